#include <gtest/gtest.h>

#include <windows.h>

#include "FileIOCtrl.h"
#include "TestPaths.h"

TEST(FileIO, WriteSizePositionAndSharedRead) {
    const std::wstring dir = testpaths::MakeTempDir(L"fileio");
    const std::wstring path = dir + L"data.bin";
    CFileIOCtrl f;
    ASSERT_EQ(f.Open(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS), 1);
    ASSERT_EQ(f.SetSize(10000), 1);
    int64_t size = 0;
    ASSERT_EQ(f.GetSize(&size), 1);
    EXPECT_EQ(size, 10000);
    ASSERT_EQ(f.SetPosition(5000), 1);
    uint32_t written = 0;
    ASSERT_EQ(f.Write("abc", 3, &written), 1);
    EXPECT_EQ(written, 3u);
    ASSERT_EQ(f.Flush(), 1);

    // A second reader sees the bytes while the writer still holds the file.
    CFileIOCtrl r;
    ASSERT_EQ(r.Open(path, GENERIC_READ, OPEN_EXISTING), 1);
    ASSERT_EQ(r.SetPosition(5000), 1);
    char buf[3] = {};
    uint32_t got = 0;
    ASSERT_EQ(r.Read(buf, 3, &got), 1);
    EXPECT_EQ(std::string(buf, got), "abc");
    EXPECT_EQ(r.Close(), 1);
    EXPECT_EQ(f.Close(), 1);
    EXPECT_EQ(f.Close(), 1);  // closing twice is harmless
    EXPECT_EQ(f.IsOpen(), 0);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(dir.c_str());
}

TEST(FileIO, FailuresAreReportedNotCrashed) {
    CFileIOCtrl f;
    EXPECT_EQ(f.Open(L"Z:\\no\\such\\folder\\x.bin", GENERIC_READ, OPEN_EXISTING), 0);
    uint32_t n = 7;
    EXPECT_EQ(f.Write("x", 1, &n), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(f.SetPosition(1), 0);
    EXPECT_EQ(f.Flush(), 0);
}
