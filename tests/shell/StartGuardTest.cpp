// End to end: the real Ventaro.exe against the stand-in's switch file.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "ProgramRunner.h"
#include "SimulatedController.h"
#include "SilentPort.h"
#include "TestPaths.h"
#include "WebServiceStub.h"

using e2e::Program;

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

using Clock = std::chrono::steady_clock;
constexpr DWORD kStartMs = 60000;  // generous: a loaded machine under Wine

std::wstring VentaroExe() { return testpaths::BinaryDir() + L"\\bin\\Ventaro.exe"; }
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring DataFolder() {
    wchar_t local[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE);
    return std::wstring(local) + L"\\Ventaro\\";
}

bool AnyWindowOf(DWORD pid) {
    struct Search {
        DWORD pid;
        bool found;
    } search{pid, false};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (e2e::WindowPid(w) == s->pid) {
                s->found = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class StartGuard : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(0, webstub::Port()) << "no stand-in web service";
        ASSERT_TRUE(e2e::ProcessesNamed(L"Ventaro.exe").empty()) << "a Ventaro from elsewhere is running";
        webstub::Reset();
        PointSwitchAt(webstub::HostPortText());
    }
    void TearDown() override { SetEnvironmentVariableW(L"VENTARO_SWITCH_HOST", nullptr); }

    static void PointSwitchAt(const std::wstring& hostPort) {
        SetEnvironmentVariableW(L"VENTARO_SWITCH_HOST", hostPort.c_str());
    }

    // Starts Ventaro hidden and expects it to end with 0 before any window,
    // tray icon (it needs the window) or autostart entry exists.
    void ExpectSilentExit() {
        e2e::DeleteRunValue();
        RemoveDirectoryW(DataFolder().c_str());  // only when empty: other suites may keep files there
        const bool folderBefore = e2e::FileExists(DataFolder());
        Program ventaro;
        ASSERT_TRUE(ventaro.Start(VentaroExe(), Quoted(VentaroExe()) + L" auto"));
        bool sawWindow = false;
        e2e::WaitFor(
            [&] {
                if (AnyWindowOf(ventaro.Pid())) sawWindow = true;
                return !ventaro.Running();
            },
            kStartMs);
        EXPECT_EQ(0, ventaro.WaitExit(kStartMs));
        EXPECT_FALSE(sawWindow);
        EXPECT_EQ(L"<no value>", e2e::ReadRunValue());
        if (!folderBefore) {
            EXPECT_FALSE(e2e::FileExists(DataFolder()));
        }
        // It did ask: the exit came from the switch, not from anything else.
        int asked = 0;
        for (const auto& r : webstub::Traffic())
            if (r.path == "/OrvaneSwitch.cfg") ++asked;
        EXPECT_EQ(1, asked);
    }

    // Starts Ventaro hidden, waits for its window and ends it; returns the
    // milliseconds from the start to the window.
    long long ExpectStart() {
        Program ventaro;
        const auto t0 = Clock::now();
        EXPECT_TRUE(ventaro.Start(VentaroExe(), Quoted(VentaroExe()) + L" auto"));
        HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
        const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
        EXPECT_NE(nullptr, window);
        if (window) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            EXPECT_EQ(0, ventaro.WaitExit(kStartMs));
        }
        return ms;
    }
};

TEST_F(StartGuard, SwitchedOffEndsSilentlyWithZero) {
    webstub::Control(L"switch?state=off");
    webstub::Clear();
    ExpectSilentExit();
}

TEST_F(StartGuard, MarkerInErrorPagesEndsSilently) {
    webstub::Clear();
    webstub::Fault(L"mode=404&path=/OrvaneSwitch.cfg", "<html>gone ... Ventaro=FALSE ...</html>");
    ExpectSilentExit();
    webstub::Clear();
    webstub::Fault(L"mode=500&path=/OrvaneSwitch.cfg", "<html>error Ventaro=FALSE</html>");
    ExpectSilentExit();
}

TEST_F(StartGuard, EveryOtherAnswerStarts) {
    const long long on = ExpectStart();
    webstub::Fault(L"mode=empty&path=/OrvaneSwitch.cfg");
    ExpectStart();
    webstub::Fault(L"mode=body&path=/OrvaneSwitch.cfg", "[Orvane]\r\nventaro=false\r\n");
    ExpectStart();
    PointSwitchAt(L"127.0.0.1:1");  // nobody listening
    const long long none = ExpectStart();
    long long silent = -1;
    {
        CSilentPort port;  // a host that never answers: the connect time-out ends the wait
        ASSERT_NE(0, port.Port());
        PointSwitchAt(L"127.0.0.1:" + std::to_wstring(port.Port()));
        silent = ExpectStart();
    }
    std::printf("start to window: switch on %lld ms, no server %lld ms, unreachable host %lld ms\n", on, none,
                silent);
}

}  // namespace
