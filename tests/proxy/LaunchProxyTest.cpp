// Pexilo end to end under Wine: the real Pexilo.exe, with the real Ventaro.exe
// or with VentaroProbe.exe (Ventaro's start-up and window with a game page that
// logs) copied as Ventaro.exe beside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "LaunchProxy.h"
#include "ProgramRunner.h"
#include "SimulatedController.h"
#include "TestPaths.h"

using e2e::Program;

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

constexpr DWORD kLongMs = 40000;

std::wstring BuiltExe(const wchar_t* relative) { return testpaths::BinaryDir() + relative; }
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// A folder holding Pexilo.exe and, unless probeName is empty, the probe under that name.
std::wstring MakeInstall(const wchar_t* tag, const std::wstring& probeName = L"Ventaro.exe") {
    const std::wstring dir = testpaths::MakeTempDir(tag);
    CopyFileW(BuiltExe(L"\\bin\\Pexilo.exe").c_str(), (dir + L"Pexilo.exe").c_str(), FALSE);
    if (!probeName.empty()) {
        CopyFileW(BuiltExe(L"\\tests\\VentaroProbe.exe").c_str(), (dir + probeName).c_str(), FALSE);
        // The shipped store files Ventaro seeds from.
        for (const wchar_t* seed : {L"LightSetConfig.dat", L"GameTaskConfig.dat"})
            CopyFileW((BuiltExe(L"\\bin\\") + seed).c_str(), (dir + seed).c_str(), FALSE);
    }
    return dir;
}

long RunPexilo(const std::wstring& dir, const std::wstring& argument) {
    Program pexilo;
    const std::wstring exe = dir + L"Pexilo.exe";
    if (!pexilo.Start(exe, argument.empty() ? Quoted(exe) : Quoted(exe) + L" " + argument)) return -2;
    long code = -1;
    // Pumps meanwhile: a window of this test may be the one Pexilo sends to.
    e2e::WaitFor([&] { return (code = pexilo.WaitExit(0)) != -1; }, kLongMs);
    return code;
}

HWND CloseVentaro(DWORD pid) {
    HWND window = e2e::WaitForVentaroWindow(pid, 1000);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    return window;
}

// Ends every copy these tests left, by their windows, and waits for them.
void CloseAll(Program& program) {
    CloseVentaro(program.Pid());
    program.WaitExit(kLongMs);
}

class LaunchProxyTest : public testing::Test {
protected:
    void SetUp() override {
        SetEnvironmentVariableW(L"VENTARO_PROBE_DELAY_MS", nullptr);
        ASSERT_TRUE(e2e::ProcessesNamed(L"Ventaro.exe").empty()) << "a Ventaro from elsewhere is running";
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VENTARO_PROBE_DELAY_MS", nullptr);
        // Copies Pexilo started are not ours to hold; close them by window.
        for (int i = 0; i < 3; ++i) {
            HWND w = FindWindowW(L"VentaroClass", L"Ventaro");
            if (!w) break;
            PostMessageW(w, WM_CLOSE, 0, 0);
            e2e::WaitFor([&] { return !IsWindow(w); }, kLongMs);
        }
        e2e::WaitFor([] { return e2e::ProcessesNamed(L"Ventaro.exe").empty(); }, kLongMs);
    }
};

}  // namespace

TEST(ProgramNames, ComparedWithoutCase) {
    EXPECT_TRUE(ContainsProgramName({L"explorer.exe", L"VENTARO.EXE"}, L"Ventaro.exe"));
    EXPECT_TRUE(ContainsProgramName({L"ventaro.exe"}, L"Ventaro.exe"));
    EXPECT_FALSE(ContainsProgramName({L"Ventaro.exe.bak", L"Ventaro", L"MyVentaro.exe"}, L"Ventaro.exe"));
    EXPECT_FALSE(ContainsProgramName({}, L"Ventaro.exe"));
}

TEST(ProgramNames, SnapshotListsThisProcess) {
    EXPECT_TRUE(ContainsProgramName(RunningProgramNames(), L"PROXY_LAUNCH.EXE"));
}

TEST(LaunchTiming, ZeroRetryStepStillGivesUp) {
    // Nothing titled "Ventaro" exists and none can start from the suite's
    // folder, so the whole retry time runs out.
    ASSERT_EQ(FindVentaroWindow(), nullptr);
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread run([done] {
        RunLaunchProxy(L"GameTaskID_1", LaunchTiming{0, 0, 300});
        *done = true;
    });
    for (int i = 0; i < 600 && !*done; ++i) Sleep(50);
    const bool ended = *done;
    if (ended) run.join();
    else run.detach();  // still looping; the process end stops it
    EXPECT_TRUE(ended) << "a zero retry step must not loop for ever";
}

TEST_F(LaunchProxyTest, DeliversToRunningHiddenCopyWhichStaysHidden) {
    const std::wstring dir = MakeInstall(L"pex_run");
    Program probe;
    ASSERT_TRUE(probe.Start(dir + L"Ventaro.exe", Quoted(dir + L"Ventaro.exe") + L" auto"));
    HWND window = e2e::WaitForVentaroWindow(probe.Pid(), kLongMs);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(RunPexilo(dir, L"GameTaskID_7"), 0);
    // Pexilo is answered as soon as the id arrived; the game mode runs after.
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::ReadFileText(dir + L"handover.log") == "7\n"; }, 5000))
        << e2e::ReadFileText(dir + L"handover.log");
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(probe.Running());
    EXPECT_EQ(e2e::ProcessesNamed(L"Ventaro.exe").size(), 1u) << "no second copy was started";
    CloseAll(probe);
}

TEST_F(LaunchProxyTest, StartsVentaroHiddenWhenItDoesNotRun) {
    const std::wstring dir = MakeInstall(L"pex_cold");
    EXPECT_EQ(RunPexilo(dir, L"GameTaskID_7"), 0);
    // A hand-over that arrives while Ventaro still starts runs once its game
    // page is there, a moment after Pexilo has been answered.
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::ReadFileText(dir + L"handover.log") == "7\n"; }, 10000))
        << e2e::ReadFileText(dir + L"handover.log");
    const auto pids = e2e::ProcessesNamed(L"Ventaro.exe");
    ASSERT_EQ(pids.size(), 1u);
    HWND window = e2e::WaitForVentaroWindow(pids[0], kLongMs);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window)) << "started with \"auto\" and a hidden window";
    // The word itself arrives, not only the hidden show command.
    EXPECT_EQ(e2e::ReadFileText(dir + L"commandline.log"), "[auto]\n");
}

TEST_F(LaunchProxyTest, TwoShortcutsAtOnceOnAColdStartRunBothAndShowNothing) {
    const std::wstring dir = MakeInstall(L"pex_pair");
    std::thread other([&] { EXPECT_EQ(RunPexilo(dir, L"GameTaskID_5"), 0); });
    EXPECT_EQ(RunPexilo(dir, L"GameTaskID_6"), 0);
    other.join();
    const auto both = [&] {
        const std::string log = e2e::ReadFileText(dir + L"handover.log");
        return log == "5\n6\n" || log == "6\n5\n";
    };
    EXPECT_TRUE(e2e::WaitFor(both, 10000)) << e2e::ReadFileText(dir + L"handover.log");
    const auto pids = e2e::ProcessesNamed(L"Ventaro.exe");
    ASSERT_EQ(pids.size(), 1u);
    HWND window = e2e::WaitForVentaroWindow(pids[0], kLongMs);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window)) << "the second copy showed the first one's window";
}

TEST_F(LaunchProxyTest, WaitsForASlowColdStart) {
    // The window appears about four seconds after the start: past the first
    // second, well within the time Pexilo keeps looking.
    SetEnvironmentVariableW(L"VENTARO_PROBE_DELAY_MS", L"4000");
    const std::wstring dir = MakeInstall(L"pex_slow");
    EXPECT_EQ(RunPexilo(dir, L"GameTaskID_12"), 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::ReadFileText(dir + L"handover.log") == "12\n"; }, 10000))
        << e2e::ReadFileText(dir + L"handover.log");
}

TEST_F(LaunchProxyTest, NoArgumentSendsNothing) {
    const std::wstring dir = MakeInstall(L"pex_noarg");
    Program probe;
    ASSERT_TRUE(probe.Start(dir + L"Ventaro.exe", Quoted(dir + L"Ventaro.exe") + L" auto"));
    ASSERT_NE(e2e::WaitForVentaroWindow(probe.Pid(), kLongMs), nullptr);
    EXPECT_EQ(RunPexilo(dir, L""), 0);
    EXPECT_EQ(RunPexilo(dir, L"\"\""), 0) << "an empty argument is no argument";
    EXPECT_FALSE(e2e::FileExists(dir + L"handover.log"));
    CloseAll(probe);
}

TEST_F(LaunchProxyTest, CapitalisedProgramNameCountsAsRunning) {
    const std::wstring running = MakeInstall(L"pex_caps_b", L"VENTARO.EXE");
    const std::wstring here = MakeInstall(L"pex_caps_a");
    Program probe;
    ASSERT_TRUE(probe.Start(running + L"VENTARO.EXE", Quoted(running + L"VENTARO.EXE") + L" auto"));
    ASSERT_NE(e2e::WaitForVentaroWindow(probe.Pid(), kLongMs), nullptr);
    ASSERT_TRUE(ContainsProgramName(RunningProgramNames(), L"VENTARO.EXE"));

    EXPECT_EQ(RunPexilo(here, L"GameTaskID_9"), 0);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::ReadFileText(running + L"handover.log") == "9\n"; }, 5000));
    EXPECT_FALSE(e2e::FileExists(here + L"handover.log"));
    EXPECT_EQ(e2e::ProcessesNamed(L"Ventaro.exe").size(), 1u) << "Pexilo did not start its own copy";
    CloseAll(probe);
}

namespace {
struct Received {
    std::wstring text;
    ULONG_PTR tag = 0;
    DWORD bytes = 0;
    int count = 0;
} g_received;

LRESULT CALLBACK DecoyProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        g_received.tag = data->dwData;
        g_received.bytes = data->cbData;
        g_received.text.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / 2);
        ++g_received.count;
        return TRUE;
    }
    return DefWindowProcW(w, m, wp, lp);
}
}  // namespace

TEST_F(LaunchProxyTest, AnotherProgramsWindowTitledVentaroNeverTakesTheRequest) {
    const std::wstring dir = MakeInstall(L"pex_decoy");
    Program probe;
    ASSERT_TRUE(probe.Start(dir + L"Ventaro.exe", Quoted(dir + L"Ventaro.exe") + L" auto"));
    ASSERT_NE(e2e::WaitForVentaroWindow(probe.Pid(), kLongMs), nullptr);

    // Created after Ventaro's window, so it comes first in the enumeration,
    // as an Explorer window on a folder named Ventaro would.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DecoyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ProxyDecoy";
    RegisterClassW(&wc);
    HWND decoy = CreateWindowExW(0, L"ProxyDecoy", L"Ventaro", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_NE(decoy, nullptr);

    g_received = {};
    EXPECT_EQ(RunPexilo(dir, L""), 0);
    EXPECT_EQ(RunPexilo(dir, L"GameTaskID_7"), 0);
    EXPECT_EQ(g_received.count, 0) << "the decoy took the request";
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::ReadFileText(dir + L"handover.log") == "7\n"; }, 5000))
        << "Ventaro's own window got exactly the one request";
    DestroyWindow(decoy);
    UnregisterClassW(L"ProxyDecoy", wc.hInstance);
    CloseAll(probe);
}

TEST_F(LaunchProxyTest, AHungVentaroDoesNotHangTheProxy) {
    // A window of Ventaro's class and title on a thread that never pumps.
    HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread hung([&] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VentaroClass";
        RegisterClassW(&wc);
        HWND w = CreateWindowExW(0, L"VentaroClass", L"Ventaro", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        SetEvent(created);
        WaitForSingleObject(release, INFINITE);
        DestroyWindow(w);
        UnregisterClassW(L"VentaroClass", wc.hInstance);
    });
    WaitForSingleObject(created, INFINITE);
    // No Ventaro.exe beside this Pexilo: it can only find the hung window.
    const std::wstring dir = MakeInstall(L"pex_hung", L"");
    const DWORD t0 = GetTickCount();
    EXPECT_EQ(RunPexilo(dir, L"GameTaskID_2"), 0);
    const DWORD took = GetTickCount() - t0;
    std::printf("Pexilo against a hung Ventaro: %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_LT(took, 1000u + kHandOverTimeoutMs + 8000u);
    SetEvent(release);
    hung.join();
    CloseHandle(created);
    CloseHandle(release);
}

TEST_F(LaunchProxyTest, RealVentaroStartedByPexiloStaysHidden) {
    // The shipped pair as built: Pexilo beside Ventaro.exe in build/bin.
    const std::wstring bin = testpaths::BinaryDir() + L"\\bin\\";
    EXPECT_EQ(RunPexilo(bin, L"GameTaskID_3"), 0);
    const auto pids = e2e::ProcessesNamed(L"Ventaro.exe");
    ASSERT_EQ(pids.size(), 1u);
    HWND window = e2e::WaitForVentaroWindow(pids[0], kLongMs);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));

    // Running hidden: a second request changes nothing visible and starts nothing.
    EXPECT_EQ(RunPexilo(bin, L"GameTaskID_3"), 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(e2e::ProcessesNamed(L"Ventaro.exe").size(), 1u);
}
