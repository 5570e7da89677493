#include <gtest/gtest.h>

#include <algorithm>

#include "PrivateProfileCtrl.h"
#include "StorageTestFiles.h"

using namespace storagetest;

namespace {

class PrivateProfile : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testpaths::MakeTempDir(L"profile"); }
    std::wstring dir_;
};

}  // namespace

TEST_F(PrivateProfile, NewFileStartsWithUtf16BomAndKeepsChinese) {
    const std::wstring path = dir_ + L"new.ini";
    CPrivateProfileCtrl p;
    ASSERT_EQ(p.Create(path), 1);
    EXPECT_EQ(p.IsOpen(), 1);
    EXPECT_EQ(ReadBytes(path), std::string("\xFF\xFE"));
    ASSERT_EQ(p.WriteValue(L"OVConfig", L"OVLightSelect", L"我的新主题"), 1);
    ASSERT_EQ(p.WriteValue(L"主题", L"名字", L"极光蓝"), 1);

    // Stored as UTF-16 whatever the system code page: no "?" in the file.
    const std::wstring text = ReadText(path);
    EXPECT_NE(text.find(L"OVLightSelect=我的新主题"), std::wstring::npos) << "file holds: " << ReadBytes(path);
    EXPECT_EQ(text.find(L'?'), std::wstring::npos);

    CPrivateProfileCtrl again;
    ASSERT_EQ(again.OpenExisting(path), 1);
    std::wstring v;
    ASSERT_EQ(again.ReadValue(L"OVConfig", L"OVLightSelect", &v), 1);
    EXPECT_EQ(v, L"我的新主题");
    ASSERT_EQ(again.ReadValue(L"主题", L"名字", &v), 1);
    EXPECT_EQ(v, L"极光蓝");
}

TEST_F(PrivateProfile, ExistingAnsiFileIsNotConverted) {
    const std::wstring path = dir_ + L"old.ini";
    ASSERT_TRUE(WriteBytes(path, "[OVConfig]\r\nOVFanSpeedValue=55\r\n"));
    CPrivateProfileCtrl p;
    ASSERT_EQ(p.Create(path), 1);  // exists: bound as it is
    std::wstring v;
    ASSERT_EQ(p.ReadValue(L"OVConfig", L"OVFanSpeedValue", &v), 1);
    EXPECT_EQ(v, L"55");
    ASSERT_EQ(p.WriteValue(L"OVConfig", L"OVFanAutoAdjust", L"TRUE"), 1);
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(static_cast<unsigned char>(bytes[0]), 0xFF);  // still ANSI
    EXPECT_NE(bytes.find("OVFanAutoAdjust=TRUE"), std::string::npos);
    EXPECT_NE(bytes.find("OVFanSpeedValue=55"), std::string::npos);
}

TEST_F(PrivateProfile, OpenAndCreateResults) {
    CPrivateProfileCtrl p;
    EXPECT_EQ(p.OpenExisting(dir_ + L"missing.ini"), 0);
    EXPECT_EQ(p.IsOpen(), 0);
    EXPECT_EQ(p.Path(), L"");
    EXPECT_FALSE(Exists(dir_ + L"missing.ini"));  // open never creates
    EXPECT_EQ(p.OpenExisting(L""), 0);
    EXPECT_EQ(p.Create(L""), 0);

    // Closed: every operation fails without touching anything.
    std::wstring v = L"stale";
    EXPECT_EQ(p.ReadValue(L"S", L"K", &v), 0);
    EXPECT_EQ(v, L"");
    EXPECT_EQ(p.WriteValue(L"S", L"K", L"v"), 0);
    EXPECT_EQ(p.DeleteSection(L"S"), 0);
    EXPECT_EQ(p.SectionNames(&v), 0);

    ASSERT_EQ(p.Create(dir_ + L"a.ini"), 1);
    EXPECT_EQ(p.WriteValue(L"", L"K", L"v"), 0);
    EXPECT_EQ(p.WriteValue(L"S", L"", L"v"), 0);
    EXPECT_EQ(p.ReadValue(L"", L"K", &v), 0);
    EXPECT_EQ(p.DeleteSection(L""), 0);
}

TEST_F(PrivateProfile, EmptyAndMissingValuesCountAsFailedReads) {
    CPrivateProfileCtrl p;
    ASSERT_EQ(p.Create(dir_ + L"e.ini"), 1);
    ASSERT_EQ(p.WriteValue(L"S", L"Empty", L""), 1);
    std::wstring v = L"x";
    EXPECT_EQ(p.ReadValue(L"S", L"Empty", &v), 0);
    EXPECT_EQ(v, L"");
    EXPECT_EQ(p.ReadValue(L"S", L"Missing", &v), 0);
    EXPECT_EQ(p.ReadValue(L"NoSection", L"K", &v), 0);
}

TEST_F(PrivateProfile, LongValueIsCutTo2047OnRead) {
    CPrivateProfileCtrl p;
    ASSERT_EQ(p.Create(dir_ + L"long.ini"), 1);
    std::wstring big(3000, L'长');
    big[0] = L'A';
    ASSERT_EQ(p.WriteValue(L"S", L"Big", big), 1);
    ASSERT_EQ(p.WriteValue(L"S", L"After", L"ok"), 1);
    std::wstring v;
    ASSERT_EQ(p.ReadValue(L"S", L"Big", &v), 1);
    EXPECT_EQ(v.size(), 2047u);
    EXPECT_EQ(v, big.substr(0, 2047));
    ASSERT_EQ(p.ReadValue(L"S", L"After", &v), 1);
    EXPECT_EQ(v, L"ok");
}

TEST_F(PrivateProfile, SectionNamesAndDelete) {
    CPrivateProfileCtrl p;
    ASSERT_EQ(p.Create(dir_ + L"s.ini"), 1);
    std::wstring names = L"stale";
    EXPECT_EQ(p.SectionNames(&names), 0);  // no sections yet
    EXPECT_EQ(names, L"");
    p.WriteValue(L"A", L"k", L"1");
    p.WriteValue(L"灯光", L"k", L"2");
    p.WriteValue(L"C", L"k", L"3");
    ASSERT_EQ(p.SectionNames(&names), 1);
    EXPECT_EQ(names, L"A,灯光,C");
    ASSERT_EQ(p.DeleteSection(L"灯光"), 1);
    ASSERT_EQ(p.SectionNames(&names), 1);
    EXPECT_EQ(names, L"A,C");
    std::wstring v;
    EXPECT_EQ(p.ReadValue(L"灯光", L"k", &v), 0);
}

TEST_F(PrivateProfile, SectionListLongerThanTheFirstBufferIsComplete) {
    // 400 sections of about 9 characters: well past the 2048 first tried.
    std::wstring text = L"[Head]\r\nx=1\r\n";
    for (int i = 1; i <= 400; ++i) text += L"[RID_" + std::to_wstring(1000 + i) + L"]\r\nk=v\r\n";
    const std::wstring path = dir_ + L"many.ini";
    ASSERT_TRUE(WriteUtf16(path, text));
    CPrivateProfileCtrl p;
    ASSERT_EQ(p.OpenExisting(path), 1);
    std::wstring names;
    ASSERT_EQ(p.SectionNames(&names), 1);
    EXPECT_EQ(names.substr(0, 14), L"Head,RID_1001,");
    EXPECT_EQ(names.substr(names.size() - 9), L",RID_1400");
    EXPECT_EQ(std::count(names.begin(), names.end(), L','), 400);
}

TEST_F(PrivateProfile, LineBreaksInAValueDoNotCreateKeysOrSections) {
    CPrivateProfileCtrl p;
    ASSERT_EQ(p.Create(dir_ + L"nl.ini"), 1);
    ASSERT_EQ(p.WriteValue(L"RID_1", L"LightSetName", L"evil\r\n[RID_9]\r\nLightSetPreSet=true"), 1);
    std::wstring names, v;
    ASSERT_EQ(p.SectionNames(&names), 1);
    EXPECT_EQ(names, L"RID_1");
    EXPECT_EQ(p.ReadValue(L"RID_1", L"LightSetPreSet", &v), 0);
    ASSERT_EQ(p.ReadValue(L"RID_1", L"LightSetName", &v), 1);
    EXPECT_EQ(v, L"evil  [RID_9]  LightSetPreSet=true");
}

TEST_F(PrivateProfile, RandomBytesFileReadsSafely) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const std::wstring path = dir_ + L"random" + std::to_wstring(seed) + L".ini";
        ASSERT_TRUE(WriteBytes(path, RandomBytes(64 * 1024, seed)));
        CPrivateProfileCtrl p;
        ASSERT_EQ(p.OpenExisting(path), 1);
        std::wstring names, v;
        p.SectionNames(&names);  // whatever the bytes parse into; must not crash
        EXPECT_LE(v.size(), 2047u);
        for (const auto& section : {L"OVConfig", L"LightSetConfig", L"RID_1"}) {
            p.ReadValue(section, L"RecordBaseID", &v);
            EXPECT_LE(v.size(), 2047u);
        }
        // A write still lands and reads back (ASCII: a file without a BOM is
        // an ANSI file, where Chinese depends on the system code page).
        ASSERT_EQ(p.WriteValue(L"Probe", L"Key", L"value"), 1);
        ASSERT_EQ(p.ReadValue(L"Probe", L"Key", &v), 1);
        EXPECT_EQ(v, L"value");
    }
}

TEST_F(PrivateProfile, VeryLongLinesAreCutNotOverrun) {
    // One 200000-character key line and a 100000-character section name.
    std::string ansi = "[OVConfig]\r\nOVFanSpeedValue=";
    ansi += std::string(200000, '7');
    ansi += "\r\n[" + std::string(100000, 'S') + "]\r\nk=v\r\n[Tail]\r\nAutoLoginStatus=TRUE\r\n";
    const std::wstring path = dir_ + L"lines.ini";
    ASSERT_TRUE(WriteBytes(path, ansi));
    CPrivateProfileCtrl p;
    ASSERT_EQ(p.OpenExisting(path), 1);
    std::wstring v;
    ASSERT_EQ(p.ReadValue(L"OVConfig", L"OVFanSpeedValue", &v), 1);
    EXPECT_EQ(v, std::wstring(2047, L'7'));
    ASSERT_EQ(p.ReadValue(L"Tail", L"AutoLoginStatus", &v), 1);
    EXPECT_EQ(v, L"TRUE");
    std::wstring names;
    ASSERT_EQ(p.SectionNames(&names), 1);
    EXPECT_EQ(names.substr(0, 9), L"OVConfig,");
    EXPECT_EQ(names.substr(names.size() - 5), L",Tail");
}

TEST_F(PrivateProfile, UnwritableFolderLeavesTheObjectClosed) {
    const std::wstring folder = UnwritableFolder(dir_);
    const std::wstring path = folder + L"x.ini";
    CPrivateProfileCtrl p;
    EXPECT_EQ(p.Create(path), 1);  // documented: still success, but closed
    EXPECT_EQ(p.IsOpen(), 0);
    EXPECT_EQ(p.WriteValue(L"S", L"K", L"v"), 0);
    EXPECT_FALSE(Exists(path));

    // A drive that does not exist behaves the same.
    CPrivateProfileCtrl q;
    EXPECT_EQ(q.Create(L"Q:\\NoSuchDrive\\Ventaro\\x.ini"), 1);
    EXPECT_EQ(q.IsOpen(), 0);
}
