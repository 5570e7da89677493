#include <gtest/gtest.h>

#include <windows.h>

#include "ClipBoardCtrl.h"
#include "PaceSetting.h"
#include "ProcessOps.h"

static std::wstring SystemCmd() {
    wchar_t dir[MAX_PATH];
    GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir) + L"\\cmd.exe";
}

TEST(StartProcess, EmptyPathFails) { EXPECT_EQ(StartProcess(L"", L"x", 1), 0); }

TEST(StartProcess, MissingProgramFails) { EXPECT_EQ(StartProcess(L"C:\\no\\such.exe", L"", 0), 0); }

TEST(StartProcess, WaitsAndReportsExitCode) {
    uint32_t code = 0;
    StartedProcess started;
    ASSERT_EQ(StartProcess(SystemCmd(), L"cmd.exe /c exit 7", 0, &started, 1, &code), 1);
    EXPECT_EQ(code, 7u);
    EXPECT_NE(started.processId, 0u);
    ASSERT_NE(started.process, nullptr);
    CloseHandle(started.process);
    CloseHandle(started.thread);
}

TEST(Clipboard, TextRoundTrip) {
    CClipBoardCtrl clip;
    if (!OpenClipboard(nullptr)) GTEST_SKIP() << "no clipboard on this desktop";
    CloseClipboard();
    ASSERT_EQ(clip.SetText(L"复制 copy"), 1);
    std::wstring text;
    ASSERT_EQ(clip.GetText(&text), 1);
    EXPECT_EQ(text, L"复制 copy");
}

TEST(PaceSetting, OnlyAPlainNumberFromOneTo60000ChangesTheSecond) {
    EXPECT_EQ(pace::ParsePaceMs(L"100"), 100u);
    EXPECT_EQ(pace::ParsePaceMs(L"1"), 1u);
    EXPECT_EQ(pace::ParsePaceMs(L"60000"), 60000u);
    for (const wchar_t* bad : {L"", L"0", L"60001", L"100000", L"-5", L"1e3", L" 100", L"100ms"})
        EXPECT_EQ(pace::ParsePaceMs(bad), pace::kDefaultMs) << bad;
}
