// The controller link end to end: COVFanLedDevice over overlapped I/O on the
// simulator's pipe, every command, every fault mode, a hung controller, a
// disconnect mid-run, discovery and the open failure message.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "OVFanLedDevice.h"
#include "SimHarness.h"
#include "SystemMessage.h"

using simharness::CSimProcess;

namespace {

// Collects the system messages instead of showing boxes.
class MessageLog {
public:
    MessageLog() {
        previous_ = SetSystemMessageHandler([this](const std::wstring& text, const std::wstring& caption) {
            std::lock_guard<std::mutex> g(lock_);
            texts_.push_back(text);
            captions_.push_back(caption);
        });
    }
    ~MessageLog() { SetSystemMessageHandler(previous_); }
    std::vector<std::wstring> Texts() {
        std::lock_guard<std::mutex> g(lock_);
        return texts_;
    }
    std::vector<std::wstring> Captions() {
        std::lock_guard<std::mutex> g(lock_);
        return captions_;
    }

private:
    std::mutex lock_;
    std::vector<std::wstring> texts_, captions_;
    SystemMessageHandler previous_;
};

class SimLink : public ::testing::Test {
protected:
    void SetUp() override { SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", nullptr); }
    // Opens `device` on the simulator; fails the test when it cannot.
    static void Open(COVFanLedDevice& device, const CSimProcess& sim) {
        ASSERT_TRUE(sim.Ready()) << "simulator did not start";
        device.UseDevicePath(sim.PipePath());
        ASSERT_EQ(1, device.OpenDevice());
    }
    MessageLog messages;
};

// Long enough for the next look for a lost controller.
constexpr DWORD kLookupWaitMs = COVFanLedDevice::kLookupIntervalMs + 50;

double SecondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

TEST_F(SimLink, EveryCommandReachesTheController) {
    CSimProcess sim;
    COVFanLedDevice device;
    Open(device, sim);
    for (uint8_t i = 0; i < 4; ++i) EXPECT_EQ(1, device.SetFanLevel(i, static_cast<uint8_t>(10 + i)));
    EXPECT_EQ(1, device.SetLightMode(3));
    EXPECT_EQ(1, device.SetLightColor(0x12, 0xAB, 0x34));
    EXPECT_EQ(1, device.SetLightInterval(60000));
    EXPECT_EQ(1, device.SetLightBrightness(42));
    EXPECT_EQ(1, device.RestartController());
    auto s = sim.State();
    EXPECT_EQ("10", s["fan0"]);
    EXPECT_EQ("13", s["fan3"]);
    EXPECT_EQ("3", s["mode"]);
    EXPECT_EQ("12AB34", s["color"]);
    EXPECT_EQ("60000", s["interval"]);
    EXPECT_EQ("42", s["brightness"]);
    EXPECT_EQ("1", s["restarts"]);
    std::wstring version;
    EXPECT_EQ(1, device.QueryVersion(&version));  // 20-byte reply: two reports
    EXPECT_EQ(L"VENTARO-CTL105", version);
    EXPECT_EQ(1, device.FactoryReset());
    s = sim.State();
    EXPECT_EQ("1", s["resets"]);
    EXPECT_EQ("6", s["fan0"]);
    EXPECT_EQ("0", s["malformed_frames"]);
    EXPECT_EQ("11", s["good_frames"]);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SimLink, ControllerRefusesValuesItCannotTake) {
    CSimProcess sim;
    COVFanLedDevice device;
    Open(device, sim);
    EXPECT_EQ(0, device.SetLightMode(9));
    EXPECT_EQ(0, device.SetFanLevel(4, 10));  // no fifth channel
    EXPECT_EQ(1, device.SetLightMode(0));     // light off
    EXPECT_EQ("0", sim.Value("mode"));
}

TEST_F(SimLink, LongVersionTextArrivesWhole) {
    const std::string text(200, 'Z');
    CSimProcess sim(L"--version " + std::wstring(text.begin(), text.end()));
    COVFanLedDevice device;
    Open(device, sim);
    std::wstring version;
    EXPECT_EQ(1, device.QueryVersion(&version));
    EXPECT_EQ(std::wstring(200, L'Z'), version);
}

TEST_F(SimLink, SplitRepliesAreReassembled) {
    CSimProcess sim(L"--fault split");
    COVFanLedDevice device;
    Open(device, sim);
    EXPECT_EQ(1, device.SetFanLevel(1, 14));
    EXPECT_EQ(1, device.SetLightColor(1, 2, 3));
    std::wstring version;
    EXPECT_EQ(1, device.QueryVersion(&version));
    EXPECT_EQ(L"VENTARO-CTL105", version);
    EXPECT_EQ("14", sim.Value("fan1"));
}

TEST_F(SimLink, EachBadReplyFailsItsCommandCleanly) {
    CSimProcess sim;
    COVFanLedDevice device;
    Open(device, sim);
    std::wstring version = L"unchanged";

    sim.SetFault("bad-code");
    EXPECT_EQ(0, device.SetLightMode(2));
    EXPECT_EQ(0, device.SetFanLevel(0, 9));
    EXPECT_EQ(0, device.QueryVersion(&version));
    EXPECT_EQ(L"unchanged", version);

    sim.SetFault("zero-status");
    EXPECT_EQ(0, device.SetLightBrightness(10));
    EXPECT_EQ(0, device.SetFanLevel(0, 9));
    EXPECT_EQ(0, device.FactoryReset());
    EXPECT_EQ(1, device.QueryVersion(&version));  // the version reply has no status
    EXPECT_EQ("100", sim.Value("brightness"));

    sim.SetFault("bad-echo");
    EXPECT_EQ(0, device.SetFanLevel(2, 9));
    EXPECT_EQ(1, device.SetLightMode(2));  // only the fan reply echoes

    sim.SetFault("bad-frame");  // start byte, then end byte
    EXPECT_EQ(0, device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kRejectedFrame, COVFanLedDevice::GetLastExchangeError());
    EXPECT_EQ(0, device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kRejectedFrame, COVFanLedDevice::GetLastExchangeError());

    sim.SetFault("oversize");
    EXPECT_EQ(0, device.SetLightColor(9, 9, 9));
    EXPECT_EQ(OVExchangeError::kMalformedReply, COVFanLedDevice::GetLastExchangeError());

    sim.SetFault("overlong");
    EXPECT_EQ(0, device.SetLightColor(9, 9, 9));
    EXPECT_EQ(OVExchangeError::kMalformedReply, COVFanLedDevice::GetLastExchangeError());

    // The link is still good once the controller behaves again.
    sim.SetFault("none");
    EXPECT_EQ(1, device.SetFanLevel(3, 7));
    EXPECT_EQ("7", sim.Value("fan3"));
    EXPECT_EQ("0", sim.Value("malformed_frames"));
}

TEST_F(SimLink, HungControllerCostsOnlyTheTimeout) {
    CSimProcess sim(L"--fault no-reply");
    COVFanLedDevice device;
    Open(device, sim);
    ASSERT_EQ(1000u, device.GetReplyTimeout());
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, device.SetFanLevel(0, 12));
    const double took = SecondsSince(t0);
    EXPECT_EQ(OVExchangeError::kTimedOut, COVFanLedDevice::GetLastExchangeError());
    EXPECT_GE(took, 0.9);
    EXPECT_LT(took, 10.0);  // bounded, with room for a loaded machine
    sim.SetFault("none");
    EXPECT_EQ(1, device.SetFanLevel(0, 12));
}

TEST_F(SimLink, LateReplyIsNotTakenForTheNextOne) {
    CSimProcess sim(L"--fault delay:1500");
    COVFanLedDevice device;
    Open(device, sim);
    device.SetReplyTimeout(300);
    EXPECT_EQ(0, device.SetLightMode(2));
    sim.SetFault("none");
    device.SetReplyTimeout(5000);
    // Let the late mode reply land in the input queue.
    Sleep(2500);
    std::wstring version;
    EXPECT_EQ(1, device.QueryVersion(&version));
    EXPECT_EQ(L"VENTARO-CTL105", version);
    EXPECT_EQ(1, device.SetLightMode(4));
    EXPECT_EQ("4", sim.Value("mode"));
}

TEST_F(SimLink, DisconnectMidRunFailsEveryLaterCommand) {
    CSimProcess sim(L"--fault disconnect:3");
    COVFanLedDevice device;
    Open(device, sim);
    EXPECT_EQ(1, device.SetFanLevel(0, 8));
    EXPECT_EQ(1, device.SetFanLevel(1, 8));
    EXPECT_EQ(1, device.SetFanLevel(2, 8));  // the third exchange still completes
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(0, device.SetFanLevel(3, 8)) << i;
        EXPECT_NE(OVExchangeError::kNone, COVFanLedDevice::GetLastExchangeError());
    }
    std::wstring version = L"keep";
    EXPECT_EQ(0, device.QueryVersion(&version));
    EXPECT_EQ(L"keep", version);
    // The broken handle was closed when the break showed; the controller
    // stays wanted.
    EXPECT_EQ(0, device.IsOpen());
    EXPECT_EQ(1, device.IsLinkLost());
    EXPECT_EQ(1, device.CloseDevice());
    EXPECT_EQ(0, device.IsLinkLost());
    // Plugged in again: a new open reaches the controller.
    sim.SetFault("none");
    ASSERT_EQ(1, device.OpenDevice());
    EXPECT_EQ(1, device.SetFanLevel(3, 8));
    EXPECT_EQ("8", sim.Value("fan3"));
}

TEST_F(SimLink, VanishedControllerFailsWithoutHanging) {
    auto sim = std::make_unique<CSimProcess>();
    COVFanLedDevice device;
    Open(device, *sim);
    EXPECT_EQ(1, device.SetLightMode(2));
    sim.reset();  // the process is gone
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, device.SetLightMode(3));
    EXPECT_EQ(0, device.SetLightMode(3));
    EXPECT_LT(SecondsSince(t0), 10.0);
}

TEST_F(SimLink, ControllerThatComesBackIsLookedForAtMostOnceASecond) {
    CSimProcess sim;
    COVFanLedDevice device;
    std::mutex lock;
    std::vector<OVLinkEvent> events;
    device.SetLinkObserver([&](OVLinkEvent e) {
        std::lock_guard<std::mutex> g(lock);
        events.push_back(e);
    });
    Open(device, sim);
    EXPECT_EQ(1, device.SetLightMode(2));

    // Unplugged: the next command fails at once and the handle is closed.
    sim.Stop();
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(0, device.SetLightMode(3));
    std::printf("failed %.3f s after the controller went away\n", SecondsSince(t0));
    EXPECT_EQ(OVExchangeError::kDeviceGone, COVFanLedDevice::GetLastExchangeError());
    EXPECT_EQ(0, device.IsOpen());
    EXPECT_EQ(1, device.IsLinkLost());

    // A flood while it is away: one look a second at most.
    t0 = std::chrono::steady_clock::now();
    int commands = 0;
    for (; SecondsSince(t0) < 2.5; ++commands) {
        EXPECT_EQ(0, device.SetFanLevel(0, 9));
        Sleep(1);
    }
    const unsigned lookups = device.GetLookupCount();
    std::printf("%d commands in 2.5 s looked %u times\n", commands, lookups);
    EXPECT_GT(commands, 50);
    EXPECT_GE(lookups, 1u);
    EXPECT_LE(lookups, 3u);

    // Plugged in again under the same name: a command a second later works.
    ASSERT_TRUE(sim.Restart());
    Sleep(kLookupWaitMs);
    EXPECT_EQ(1, device.SetLightMode(4));
    EXPECT_EQ("4", sim.Value("mode"));
    EXPECT_EQ(0, device.IsLinkLost());
    EXPECT_EQ(COVFanLedDevice::kLightStateSent, device.SentSinceReturn());
    {
        std::lock_guard<std::mutex> g(lock);
        EXPECT_EQ(events, (std::vector<OVLinkEvent>{OVLinkEvent::kLost, OVLinkEvent::kReturned}));
    }

    // Closed by its caller (a firmware flash): nothing opens it again.
    device.CloseDevice();
    Sleep(kLookupWaitMs);
    EXPECT_EQ(0, device.SetLightMode(1));
    EXPECT_EQ(0, device.LookForControllerNow());
    EXPECT_EQ(0, device.IsOpen());
    EXPECT_EQ("0", sim.Value("connections"));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SimLink, CloseWaitsForTheRunningExchange) {
    CSimProcess sim(L"--fault no-reply");
    COVFanLedDevice device;
    Open(device, sim);
    std::atomic<int> result{-1};
    std::thread sensing([&] { result = device.SetFanLevel(0, 10); });
    Sleep(200);
    EXPECT_EQ(1, device.CloseDevice());
    sensing.join();
    EXPECT_EQ(0, result.load());
    EXPECT_EQ(0, device.IsOpen());
    EXPECT_EQ(0, device.SetFanLevel(0, 10));
    EXPECT_EQ(OVExchangeError::kNotOpen, COVFanLedDevice::GetLastExchangeError());
}

TEST_F(SimLink, RestartSequenceReopensTheController) {
    CSimProcess sim;
    COVFanLedDevice device;
    Open(device, sim);
    device.RestartController();
    Sleep(100);
    EXPECT_EQ(1, device.CloseDevice());
    Sleep(100);
    EXPECT_EQ(1, device.OpenDevice());
    EXPECT_EQ(1, device.OpenDevice());  // already open: stays open
    EXPECT_EQ(1, device.SetLightBrightness(55));
    EXPECT_EQ("55", sim.Value("brightness"));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SimLink, DiscoveryTakesTheDevelopmentPath) {
    CSimProcess sim;
    ASSERT_TRUE(sim.Ready());
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", sim.PipePath().c_str());
    COVFanLedDevice device;
    EXPECT_EQ(0, device.IsDiscovered());
    EXPECT_EQ(1, device.Discover());
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", nullptr);
    EXPECT_EQ(1, device.IsDiscovered());
    EXPECT_EQ(sim.PipePath(), device.GetDevicePath());
    EXPECT_EQ(1, device.OpenDevice());
    EXPECT_EQ(1, device.SetFanLevel(0, 15));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SimLink, NoControllerIsReportedOnceAndOpenFailsSilently) {
    COVFanLedDevice device;
    EXPECT_EQ(1, device.Discover());  // this machine has no such HID interface
    EXPECT_EQ(1, device.IsDiscovered());
    EXPECT_EQ(L"", device.GetDevicePath());
    ASSERT_EQ(1u, messages.Texts().size());
    EXPECT_EQ(L"未找到设备控制器!", messages.Texts()[0]);
    EXPECT_EQ(L"信息", messages.Captions()[0]);
    EXPECT_EQ(0, device.OpenDevice());
    EXPECT_EQ(1u, messages.Texts().size());
    EXPECT_EQ(0, device.SetLightMode(1));

    // Plugged in after the start: found on a command, without a message.
    CSimProcess sim;
    ASSERT_TRUE(sim.Ready());
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", sim.PipePath().c_str());
    Sleep(kLookupWaitMs);
    EXPECT_EQ(1, device.SetLightMode(1));
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", nullptr);
    EXPECT_EQ(sim.PipePath(), device.GetDevicePath());
    EXPECT_EQ(1u, messages.Texts().size());
}

TEST_F(SimLink, FailedOpenShowsItsMessageEachTime) {
    COVFanLedDevice device;
    device.UseDevicePath(L"\\\\.\\pipe\\" + simharness::UniquePipeName(L"absent"));
    EXPECT_EQ(0, device.OpenDevice());
    EXPECT_EQ(0, device.OpenDevice());
    ASSERT_EQ(2u, messages.Texts().size());
    EXPECT_EQ(L"控制器连接失败!", messages.Texts()[1]);
    EXPECT_EQ(L"信息", messages.Captions()[1]);
    EXPECT_EQ(0, device.IsOpen());
}

TEST_F(SimLink, TwoConnectionsShareOneControllerState) {
    CSimProcess sim;
    COVFanLedDevice a, b;
    Open(a, sim);
    Open(b, sim);
    EXPECT_EQ(1, a.SetFanLevel(0, 9));
    EXPECT_EQ(1, b.SetFanLevel(1, 11));
    EXPECT_EQ("9", sim.Value("fan0"));
    EXPECT_EQ("11", sim.Value("fan1"));
}

// ovctl, the command-line tool on the same device class.
namespace {
int Ovctl(const std::wstring& args, std::string* out = nullptr, std::string* err = nullptr) {
    DWORD code = 99;
    if (!simharness::RunProgram(simharness::BinPath(L"ovctl.exe"), args, &code, out, err)) return -1;
    return static_cast<int>(code);
}
}  // namespace

TEST_F(SimLink, OvctlDrivesTheController) {
    CSimProcess sim;
    ASSERT_TRUE(sim.Ready());
    const std::wstring dev = L"--device " + sim.PipePath() + L" ";
    EXPECT_EQ(0, Ovctl(dev + L"fan 10"));
    auto s = sim.State();
    for (const char* k : {"fan0", "fan1", "fan2", "fan3"}) EXPECT_EQ("10", s[k]) << k;
    EXPECT_EQ(0, Ovctl(dev + L"fan 2 13"));
    EXPECT_EQ("13", sim.Value("fan2"));
    EXPECT_EQ(0, Ovctl(dev + L"mode 2"));
    EXPECT_EQ(0, Ovctl(dev + L"color 0a0B0c"));
    EXPECT_EQ(0, Ovctl(dev + L"interval 30000"));
    EXPECT_EQ(0, Ovctl(dev + L"brightness 70"));
    EXPECT_EQ(0, Ovctl(dev + L"restart"));
    s = sim.State();
    EXPECT_EQ("2", s["mode"]);
    EXPECT_EQ("0A0B0C", s["color"]);
    EXPECT_EQ("30000", s["interval"]);
    EXPECT_EQ("70", s["brightness"]);
    EXPECT_EQ("1", s["restarts"]);
    std::string out;
    EXPECT_EQ(0, Ovctl(dev + L"version", &out));
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
    EXPECT_EQ("VENTARO-CTL105\n", out);
    EXPECT_EQ(0, Ovctl(dev + L"reset"));
    EXPECT_EQ("1", sim.Value("resets"));
}

TEST_F(SimLink, OvctlReportsFailures) {
    CSimProcess sim(L"--fault bad-echo");
    ASSERT_TRUE(sim.Ready());
    const std::wstring dev = L"--device " + sim.PipePath() + L" ";
    std::string err;
    EXPECT_EQ(1, Ovctl(dev + L"fan 10", nullptr, &err));
    EXPECT_NE(std::string::npos, err.find("fan failed: reply refused")) << err;
    EXPECT_EQ(1, Ovctl(dev + L"fan 1 2 3"));
    EXPECT_EQ(1, Ovctl(dev + L"color 12345"));
    EXPECT_EQ(1, Ovctl(dev + L"brightness 256"));
    EXPECT_EQ(1, Ovctl(dev + L"wobble"));
    EXPECT_EQ(1, Ovctl(L""));
    EXPECT_EQ(1, Ovctl(L"--device \\\\.\\pipe\\" + simharness::UniquePipeName(L"none") + L" mode 1", nullptr, &err));
    EXPECT_NE(std::string::npos, err.find("\xE6\x8E\xA7")) << err;  // "控制器连接失败!" in UTF-8
    sim.SetFault("no-reply");
    EXPECT_EQ(1, Ovctl(dev + L"--timeout 200 mode 1"));  // options after --device
    EXPECT_EQ(1, Ovctl(L"--timeout 200 " + dev + L"mode 1", nullptr, &err));
    EXPECT_NE(std::string::npos, err.find("did not answer")) << err;
}

TEST_F(SimLink, SimulatorOutlivesClientsKilledMidExchange) {
    CSimProcess sim(L"--fault no-reply");
    ASSERT_TRUE(sim.Ready());
    const std::wstring args = L"--device " + sim.PipePath() + L" --timeout 600000 mode 2";
    // More killed clients than the simulator has listeners: each one must
    // give its pipe instance back when its client dies.
    const std::wstring exe = simharness::BinPath(L"ovctl.exe");
    for (int i = 1; i <= 6; ++i) {
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                   &si, &pi));
        // Killed once its request has reached the simulator.
        bool sent = false;
        for (int wait = 0; wait < 600 && !sent; ++wait) {
            sent = sim.Value("exchanges") == std::to_string(i);
            if (!sent) Sleep(50);
        }
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 0)) << "ovctl " << i << " should still be waiting";
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        ASSERT_TRUE(sent) << "request " << i << " never reached the simulator";
    }
    sim.SetFault("none");
    COVFanLedDevice device;
    Open(device, sim);
    EXPECT_EQ(1, device.SetLightMode(2));
    EXPECT_EQ("2", sim.Value("mode"));
    EXPECT_EQ("0", sim.Value("malformed_frames"));
}

TEST_F(SimLink, OvctlFindsTheControllerThroughTheDevelopmentPath) {
    CSimProcess sim;
    ASSERT_TRUE(sim.Ready());
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", sim.PipePath().c_str());  // inherited
    const int code = Ovctl(L"brightness 33");
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", nullptr);
    EXPECT_EQ(0, code);
    EXPECT_EQ("33", sim.Value("brightness"));
}
