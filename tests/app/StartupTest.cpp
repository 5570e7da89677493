// End to end: the real Ventaro.exe under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "AccountProtocol.h"
#include "AppCommands.h"
#include "ApplicationConfigFile.h"
#include "ProgramRunner.h"
#include "SilentPort.h"
#include "SimulatedController.h"
#include "TestPaths.h"

using e2e::Program;

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

constexpr DWORD kStartMs = 30000;  // generous: a loaded machine under Wine

std::wstring VentaroExe() { return testpaths::BinaryDir() + L"\\bin\\Ventaro.exe"; }
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Ventaro.exe with the shipped store files it seeds from.
std::wstring CopyProgram(const std::wstring& folder) {
    const std::wstring bin = testpaths::BinaryDir() + L"\\bin\\";
    CopyFileW(VentaroExe().c_str(), (folder + L"Ventaro.exe").c_str(), FALSE);
    for (const wchar_t* seed : {L"LightSetConfig.dat", L"GameTaskConfig.dat"})
        CopyFileW((bin + seed).c_str(), (folder + seed).c_str(), FALSE);
    return folder + L"Ventaro.exe";
}

// Ends a running copy the way the user does, then waits for it.
long CloseAndWait(Program& program, HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return program.WaitExit(kStartMs);
}

// The text of a shown system message box of that process ("" when none).
std::wstring BoxText(DWORD pid, HWND* box) {
    *box = nullptr;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;)
        if (e2e::WindowPid(w) == pid && IsWindowVisible(w)) *box = w;
    std::wstring text;
    auto append = [](HWND child, LPARAM p) -> BOOL {
        wchar_t buffer[1024] = {};
        GetWindowTextW(child, buffer, 1024);
        *reinterpret_cast<std::wstring*>(p) += buffer;
        return TRUE;
    };
    if (*box) EnumChildWindows(*box, append, reinterpret_cast<LPARAM>(&text));
    return text;
}

class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(e2e::ProcessesNamed(L"Ventaro.exe").empty()) << "a Ventaro from elsewhere is running";
    }
};

}  // namespace

TEST_F(StartupTest, FirstStartShowsTheWindowCentredAndSetsUpTheMachine) {
    wchar_t local[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE));
    const std::wstring dataFolder = std::wstring(local) + L"\\Ventaro\\";
    RemoveDirectoryW(dataFolder.c_str());  // only when empty: other suites may keep files there
    e2e::DeleteRunValue();

    Program ventaro;
    ASSERT_TRUE(ventaro.Start(VentaroExe(), Quoted(VentaroExe()), SW_SHOWNORMAL));
    HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartMs));
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 1366);
    EXPECT_EQ(r.bottom - r.top, 768);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 1366) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 768) / 2);

    EXPECT_TRUE(e2e::FileExists(dataFolder));
    for (const wchar_t* file : {L"OVCLIENT.ini", L"LightSetConfig.ini", L"GameTaskConfig.ini"})
        EXPECT_TRUE(e2e::FileExists(dataFolder + file)) << testing::PrintToString(std::wstring(file));
    EXPECT_EQ(e2e::ReadRunValue(), Quoted(VentaroExe()) + L" auto");

    EXPECT_EQ(CloseAndWait(ventaro, window), 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(StartupTest, VersionIsOnePointOne) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(VentaroExe().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(VentaroExe().c_str(), 0, size, block.data()));
    wchar_t* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\080404b0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, L"1.1.00");
}

TEST_F(StartupTest, AutoStartsHiddenAndStaysRunning) {
    Program ventaro;
    ASSERT_TRUE(ventaro.Start(VentaroExe(), Quoted(VentaroExe()) + L" auto", SW_SHOWNORMAL));
    HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);
    Sleep(1500);  // past the loop's first ShowWindow
    EXPECT_TRUE(ventaro.Running());
    EXPECT_FALSE(IsWindowVisible(window));

    // A double-click on the tray icon brings it up; the minimise command hides it.
    PostMessageW(window, WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartMs));
    PostMessageW(window, WM_COMMAND, ID_HIDEWINDOW, 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) == FALSE; }, kStartMs));
    EXPECT_TRUE(ventaro.Running()) << "hiding never ends the program";
    EXPECT_EQ(CloseAndWait(ventaro, window), 0);
}

TEST_F(StartupTest, StartedHiddenByAnotherProgramStaysHidden) {
    // The way Pexilo starts it: command line "auto" alone, hidden show command.
    Program ventaro;
    ASSERT_TRUE(ventaro.Start(VentaroExe(), L"auto", SW_HIDE));
    HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);
    Sleep(1500);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(CloseAndWait(ventaro, window), 0);
}

TEST_F(StartupTest, OtherSpellingsOfAutoStartVisible) {
    for (const wchar_t* word : {L"Auto", L"AUTO", L"auto x"}) {
        Program ventaro;
        ASSERT_TRUE(ventaro.Start(VentaroExe(), Quoted(VentaroExe()) + L" " + word, SW_SHOWNORMAL));
        HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartMs))
            << testing::PrintToString(std::wstring(word));
        EXPECT_EQ(CloseAndWait(ventaro, window), 0);
    }
}

TEST_F(StartupTest, SecondStartExitsAndLeavesOneCopy) {
    Program first;
    ASSERT_TRUE(first.Start(VentaroExe(), Quoted(VentaroExe()) + L" auto"));
    HWND window = e2e::WaitForVentaroWindow(first.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);

    Sleep(1500);  // past the hidden copy's first ShowWindow
    ASSERT_FALSE(IsWindowVisible(window));

    Program second;
    ASSERT_TRUE(second.Start(VentaroExe(), Quoted(VentaroExe()), SW_SHOWNORMAL));
    EXPECT_EQ(second.WaitExit(kStartMs), 0);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(e2e::ProcessesNamed(L"Ventaro.exe").size(), 1u);
    // The copy hidden in the tray comes up: the user asked for the program.
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartMs));
    EXPECT_EQ(CloseAndWait(first, window), 0);
}

TEST_F(StartupTest, SecondStartDuringTheAutomaticLoginFindsAndShowsTheWindow) {
    // The first copy logs in by itself against a host that never answers,
    // which holds its start for seconds after the window exists.
    wchar_t local[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE));
    const std::wstring dataFolder = std::wstring(local) + L"\\Ventaro\\";
    CreateDirectoryW(dataFolder.c_str(), nullptr);
    {
        CApplicationConfigFile settings;
        ASSERT_EQ(settings.Initialise(dataFolder), 1);
        settings.SetAutoLoginStatus(1);
        settings.SetAutoLoginParam(account::MakeAutoLoginParam(L"demo", L"demo1234"));
    }
    CSilentPort silent;
    ASSERT_NE(0, silent.Port());
    const std::wstring host = L"127.0.0.1:" + std::to_wstring(silent.Port());
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", host.c_str());

    Program first;
    ASSERT_TRUE(first.Start(VentaroExe(), Quoted(VentaroExe()) + L" auto"));
    HWND window = e2e::WaitForVentaroWindow(first.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);

    const DWORD t0 = GetTickCount();
    Program second;
    ASSERT_TRUE(second.Start(VentaroExe(), Quoted(VentaroExe()), SW_SHOWNORMAL));
    EXPECT_EQ(second.WaitExit(kStartMs), 0);
    const DWORD took = GetTickCount() - t0;
    std::printf("second start during the automatic login ended after %lu ms\n", static_cast<unsigned long>(took));
    // Well below the login's own 5 s connection time-out.
    EXPECT_LT(took, 4000u) << "the second start waited for the first one's login";
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartMs));
    EXPECT_EQ(e2e::ProcessesNamed(L"Ventaro.exe").size(), 1u);

    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", nullptr);
    {
        CApplicationConfigFile settings;
        settings.Initialise(dataFolder);
        settings.SetAutoLoginStatus(0);
        settings.SetAutoLoginParam(L"");
    }
    EXPECT_EQ(CloseAndWait(first, window), 0);
}

TEST_F(StartupTest, SimultaneousStartsLeaveExactlyOneCopy) {
    std::vector<std::unique_ptr<Program>> copies;
    for (int i = 0; i < 3; ++i) {
        copies.push_back(std::make_unique<Program>());
        ASSERT_TRUE(copies.back()->Start(VentaroExe(), Quoted(VentaroExe()) + L" auto"));
    }
    // All but one end with 0; the survivor owns the one window.
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            int running = 0;
            for (auto& c : copies) running += c->Running() ? 1 : 0;
            return running <= 1;
        },
        kStartMs * 2));
    Sleep(3000);  // a late duplicate would have its window by now
    Program* survivor = nullptr;
    for (auto& c : copies) {
        if (c->Running()) {
            EXPECT_EQ(survivor, nullptr) << "two copies run";
            survivor = c.get();
        } else {
            EXPECT_EQ(c->WaitExit(0), 0);
        }
    }
    ASSERT_NE(survivor, nullptr);
    HWND window = e2e::WaitForVentaroWindow(survivor->Pid(), kStartMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindowExW(nullptr, window, L"VentaroClass", L"Ventaro"), nullptr);
    EXPECT_FALSE(IsWindowVisible(window)) << "a second start with \"auto\" showed the running copy";
    EXPECT_EQ(CloseAndWait(*survivor, window), 0);
}

TEST_F(StartupTest, TrayMenuExitEndsLikeClose) {
    Program ventaro;
    ASSERT_TRUE(ventaro.Start(VentaroExe(), Quoted(VentaroExe()), SW_SHOWNORMAL));
    HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);

    // Right-button press on the icon opens the popup menu; "退出" is its last item.
    PostMessageW(window, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    const bool opened = e2e::WaitFor(
        [&] {
            menu = nullptr;
            for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
                 w = FindWindowExW(nullptr, w, L"#32768", nullptr))
                if (IsWindowVisible(w) && e2e::WindowPid(w) == ventaro.Pid()) menu = w;
            return menu != nullptr;
        },
        kStartMs);
    ASSERT_TRUE(opened) << "the popup menu did not open";
    PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);      // from nothing selected, up wraps to the last item
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(ventaro.WaitExit(kStartMs), 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(StartupTest, AutostartValueFollowsTheProgramsFolder) {
    // A folder with blanks, like "C:\Program Files\...": the quotes keep it one path.
    const std::wstring folder = testpaths::MakeTempDir(L"start") + L"Program Files Test\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring copy = CopyProgram(folder);
    ASSERT_TRUE(e2e::FileExists(copy));
    Program ventaro;
    ASSERT_TRUE(ventaro.Start(copy, Quoted(copy) + L" auto"));
    HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(e2e::ReadRunValue(), Quoted(copy) + L" auto");
    EXPECT_EQ(CloseAndWait(ventaro, window), 0);

    // What Windows runs at log-on: the stored command line as it is.
    Program logon;
    ASSERT_TRUE(logon.Start(L"", e2e::ReadRunValue()));
    window = e2e::WaitForVentaroWindow(logon.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);
    Sleep(1500);
    EXPECT_FALSE(IsWindowVisible(window)) << "log-on start is hidden";
    EXPECT_EQ(CloseAndWait(logon, window), 0);
}

TEST_F(StartupTest, PredecessorFolderIsRemoved) {
    const std::wstring old = L"C:\\Program Files (x86)\\Orvane\\Quellon Assistant\\";
    SHCreateDirectoryExW(nullptr, old.c_str(), nullptr);
    HANDLE h = CreateFileW((old + L"old.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    Program ventaro;
    ASSERT_TRUE(ventaro.Start(VentaroExe(), Quoted(VentaroExe()) + L" auto"));
    HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(e2e::FileExists(old));
    EXPECT_EQ(CloseAndWait(ventaro, window), 0);
}

TEST_F(StartupTest, FailedStartTellsWhatFailedEndsNonZeroAndLeavesNothingBehind) {
    wchar_t local[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE));
    const std::wstring themes = std::wstring(local) + L"\\Ventaro\\LightSetConfig.ini";
    const std::string before = e2e::ReadFileText(themes);  // the earlier starts made it
    ASSERT_FALSE(before.empty());
    // Held by another program, the file cannot be read: the start cannot go on.
    HANDLE lock = CreateFileW(themes.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Program failing;
    ASSERT_TRUE(failing.Start(VentaroExe(), Quoted(VentaroExe()) + L" auto"));
    HWND box = nullptr;
    std::wstring text;
    ASSERT_TRUE(e2e::WaitFor([&] { return !(text = BoxText(failing.Pid(), &box)).empty(); }, kStartMs));
    EXPECT_NE(text.find(L"启动失败:无法读取灯光方案文件"), std::wstring::npos);
    EXPECT_NE(text.find(themes), std::wstring::npos);
    CloseHandle(lock);

    // While the box waits for the user, a new start is not held up by it.
    Program next;
    ASSERT_TRUE(next.Start(VentaroExe(), Quoted(VentaroExe()) + L" auto"));
    HWND window = e2e::WaitForVentaroWindow(next.Pid(), kStartMs);
    ASSERT_NE(window, nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(failing.WaitExit(kStartMs), 1);
    EXPECT_EQ(CloseAndWait(next, window), 0);
    EXPECT_TRUE(e2e::ReadFileText(themes) == before) << "neither renamed nor changed";
}
