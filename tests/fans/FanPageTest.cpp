// The fan page in process: the real page on the product skin, its controller
// on the shared ControllerSim.exe (or on a recording transport where the
// exact requests matter), its settings file in a temporary data folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "ApplicationConfigFile.h"
#include "ClientPageHarness.h"
#include "FakeTransport.h"
#include "FanCtrlPage.h"
#include "OVFanLedDevice.h"
#include "SimHarness.h"
#include "TestPaths.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_SliderBar.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"

namespace {

using pageharness::CClientPageHarness;
using Clock = std::chrono::steady_clock;
using Bytes = CFakeTransport::Bytes;

const wchar_t* const kSuccess = L"风扇设置成功!";
const wchar_t* const kFailure = L"风扇设置失败!";

// Waits until pred holds, checking every 50 ms; false after limitMs.
bool WaitFor(const std::function<bool()>& pred, int limitMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        if (pred()) return true;
        if (Clock::now() > end) return false;
        Sleep(50);
    }
}

std::wstring SettingsValue(CClientPageHarness& h, const wchar_t* key) {
    wchar_t buffer[256] = {};
    GetPrivateProfileStringW(L"OVConfig", key, L"<missing>", buffer, 256, h.Settings()->GetFilePath().c_str());
    return buffer;
}

std::string FanLevels(simharness::CSimProcess* sim) {
    auto s = sim->State();
    return s["fan0"] + "," + s["fan1"] + "," + s["fan2"] + "," + s["fan3"];
}

std::string Four(int level) {
    const std::string l = std::to_string(level);
    return l + "," + l + "," + l + "," + l;
}

// Points the sensing thread of pages created from now on at a file of ours,
// and takes the setting away again at the end of the test.
class CTemperatureFile {
public:
    CTemperatureFile() : path_(testpaths::MakeTempDir(L"temperature") + L"cpu.txt") {
        SetEnvironmentVariableW(L"VENTARO_TEMPERATURE_FILE", path_.c_str());
    }
    ~CTemperatureFile() {
        SetEnvironmentVariableW(L"VENTARO_TEMPERATURE_FILE", nullptr);
        DeleteFileW(path_.c_str());
    }
    void Write(const std::string& text) { simharness::WriteFileText(path_, text); }
    void Remove() { DeleteFileW(path_.c_str()); }

private:
    std::wstring path_;
};

class FanPage : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h.Ready());
        h.Sim()->SetFault("none");
    }
    void TearDown() override { h.Sim()->SetFault("none"); }

    CFanCtrlPage* Open() {
        CFanCtrlPage* page = h.AddPage<CFanCtrlPage>(ClientPageId::Fan);
        if (page) h.Host().ShowPage(ClientPageId::Fan);
        return page;
    }
    CDUI_SliderBar* Slider() { return static_cast<CDUI_SliderBar*>(h.FindById(kIdFanSpeedSlider)); }
    CDUI_PushButton* AutoButton() { return static_cast<CDUI_PushButton*>(h.FindById(kIdFanAutoButton)); }
    std::wstring TextOfId(int32_t id) { return CClientPageHarness::TextOf(h.FindById(id)); }
    // Clicks "确定" of the page (not the message box's) and returns the
    // message then shown, closing its box.
    std::wstring Confirm() {
        if (!h.Click(h.FindById(kIdFanConfirmButton, true))) return L"<no confirm button>";
        std::wstring shown;
        for (const wchar_t* text : {kSuccess, kFailure})
            if (h.Find(L"OVLabel", text)) shown = text;
        // The box's own "确定", not the page's.
        for (CDUI_UIControl* ok : h.FindAll(L"", L"确定"))
            if (ok->GetId() != kIdFanConfirmButton) h.Click(ok);
        EXPECT_EQ(nullptr, h.Find(L"OVLabel", shown)) << "the box closes";
        return shown;
    }
    // Sets the slider's value as its own input does (event 1301 included).
    void SlideTo(int value) { Slider()->SetSliderValue(value); }

    CClientPageHarness h;
};

// A controller that answers every fan command and records the requests.
std::unique_ptr<CFakeTransport> RecordingController(std::function<uint8_t(const Bytes&)> status = nullptr) {
    auto t = std::make_unique<CFakeTransport>();
    t->responder = [status](const Bytes& request) {
        return CFakeTransport::GoodReply(request, {status ? status(request) : uint8_t(1), request[6]});
    };
    return t;
}

TEST_F(FanPage, ConfirmSendsTheSliderLevelToFansZeroToThreeAndStoresTheChoice) {
    auto transport = RecordingController();
    CFakeTransport* requests = transport.get();
    h.Device()->CloseDevice();
    ASSERT_EQ(1, h.Device()->OpenWithTransport(std::move(transport)));
    CFanCtrlPage* page = Open();
    ASSERT_NE(nullptr, page);

    const int speeds[] = {0, 15, 20, 95, 100};
    const int levels[] = {6, 6, 7, 14, 15};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(speeds[i]);
        SlideTo(speeds[i]);
        EXPECT_EQ(std::to_wstring(speeds[i]) + L"%", TextOfId(kIdFanSpeedLabel));
        requests->written.clear();
        EXPECT_EQ(kSuccess, Confirm());
        ASSERT_EQ(4u, requests->written.size());
        for (uint8_t fan = 0; fan < 4; ++fan) {
            const Bytes& r = requests->written[fan];
            EXPECT_EQ(0x52, r[5]) << "SetFanLevel";
            EXPECT_EQ(fan, r[6]) << "fans in order 0 to 3";
            EXPECT_EQ(levels[i], r[7]);
        }
        EXPECT_EQ(std::to_wstring(speeds[i]), SettingsValue(h, L"OVFanSpeedValue"));
        EXPECT_EQ(L"FALSE", SettingsValue(h, L"OVFanAutoAdjust"));
        EXPECT_EQ(1, Slider()->GetEnabled());
    }
    // The controller came back: the stored manual level again, no message.
    requests->written.clear();
    EXPECT_EQ(1, page->SendChosenLevel());
    ASSERT_EQ(4u, requests->written.size());
    EXPECT_EQ(15, requests->written[3][7]);
    EXPECT_EQ(nullptr, h.Find(L"OVLabel", kSuccess));

    // Automatic on: stored, the slider locked, the slider's level still sent once.
    SlideTo(40);
    ASSERT_TRUE(h.Click(AutoButton()));
    EXPECT_EQ(0, Slider()->GetEnabled()) << "toggling alone locks the slider";
    EXPECT_EQ(L"FALSE", SettingsValue(h, L"OVFanAutoAdjust")) << "toggling alone stores nothing";
    requests->written.clear();
    EXPECT_EQ(kSuccess, Confirm());
    EXPECT_EQ(L"TRUE", SettingsValue(h, L"OVFanAutoAdjust"));
    EXPECT_EQ(L"40", SettingsValue(h, L"OVFanSpeedValue"));
    ASSERT_EQ(4u, requests->written.size());
    EXPECT_EQ(9, requests->written[3][7]);
    EXPECT_EQ(0, Slider()->GetEnabled());
    requests->written.clear();
    EXPECT_EQ(0, page->SendChosenLevel()) << "automatic: the next step sends the level";
    EXPECT_TRUE(requests->written.empty());

    std::wstring text;
    ASSERT_EQ(1, page->GetFanModeText(&text));
    EXPECT_EQ(L"自动  40%", text);
}

TEST_F(FanPage, TheMessageSaysWhetherAllFourFansTookTheLevel) {
    CFanCtrlPage* page = Open();
    ASSERT_NE(nullptr, page);
    simharness::CSimProcess* sim = h.Sim();

    SlideTo(60);
    EXPECT_EQ(kSuccess, Confirm());
    EXPECT_EQ(Four(11), FanLevels(sim));

    // A controller that refuses: the choice is still stored, the user told.
    sim->SetFault("zero-status");
    SlideTo(30);
    EXPECT_EQ(kFailure, Confirm());
    EXPECT_EQ(Four(11), FanLevels(sim));
    EXPECT_EQ(L"30", SettingsValue(h, L"OVFanSpeedValue"));
    sim->SetFault("none");

    // One fan of four refused is a failure too.
    auto transport = RecordingController([](const Bytes& r) { return uint8_t(r[6] == 2 ? 0 : 1); });
    CFakeTransport* requests = transport.get();
    h.Device()->CloseDevice();
    ASSERT_EQ(1, h.Device()->OpenWithTransport(std::move(transport)));
    EXPECT_EQ(kFailure, Confirm());
    EXPECT_EQ(4u, requests->written.size()) << "the fans after a refusal are still set";

    // No controller at all.
    h.Device()->CloseDevice();
    EXPECT_EQ(kFailure, Confirm());
    EXPECT_EQ(L"30", SettingsValue(h, L"OVFanSpeedValue"));
}

TEST_F(FanPage, AutomaticStepLevels) {
    h.Settings()->SetFanAutoAdjust(1);
    CFanCtrlPage* page = Open();
    ASSERT_NE(nullptr, page);
    simharness::CSimProcess* sim = h.Sim();
    const int temperatures[] = {39, 40, 60, 61, -5, 30, 100, 39};
    const int levels[] = {6, 10, 10, 15, 15, 6, 15, 6};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(temperatures[i]);
        page->AutoFanStep(temperatures[i]);
        EXPECT_EQ(Four(levels[i]), FanLevels(sim));
    }
}

TEST_F(FanPage, SensingSetsTheFansOnlyFromAReadingAndOnlyInAutomaticMode) {
    CTemperatureFile temperature;  // not written yet: no reading
    h.Settings()->SetFanAutoAdjust(1);
    h.Settings()->SetFanSpeedValue(80);
    simharness::CSimProcess* sim = h.Sim();
    CFanCtrlPage* page = Open();
    ASSERT_NE(nullptr, page);
    ASSERT_EQ(1, page->IsSensing());
    const std::string exchanges = sim->Value("exchanges");

    // Seconds without a reading: the thread runs (the load changes the
    // labels) but the controller hears nothing.
    EXPECT_TRUE(WaitFor([&] { return TextOfId(kIdFanLoadLabel) != L"0%" || TextOfId(kIdFanClockLabel) != L"0M"; },
                        4000));
    Sleep(2500);
    EXPECT_EQ(exchanges, sim->Value("exchanges"));
    // Shown as no reading, not as 0℃, and the user told why the fans stay.
    EXPECT_EQ(L"--℃\nCPU", TextOfId(kIdFanTemperatureLabel));
    CDUI_UIControl* paused = h.FindById(kIdFanPausedHint, true);
    ASSERT_NE(nullptr, paused) << "no hint while automatic mode has no reading";
    EXPECT_EQ(L"无法读取处理器温度,自动调节暂停", paused->GetText());
    h.SaveScreenshot(testpaths::BinaryDir() + L"\\fan_page_no_reading.png");

    temperature.Write("65\r\n");
    EXPECT_TRUE(WaitFor([&] { return FanLevels(sim) == Four(15); }, 2500)) << FanLevels(sim);
    EXPECT_EQ(L"65℃\nCPU", TextOfId(kIdFanTemperatureLabel));
    EXPECT_EQ(nullptr, h.FindById(kIdFanPausedHint, true)) << "a reading resumes automatic mode";
    h.SaveScreenshot(testpaths::BinaryDir() + L"\\fan_page_65.png");
    temperature.Write("45");
    EXPECT_TRUE(WaitFor([&] { return FanLevels(sim) == Four(10); }, 2500)) << FanLevels(sim);
    temperature.Write("30");
    EXPECT_TRUE(WaitFor([&] { return FanLevels(sim) == Four(6); }, 2500)) << FanLevels(sim);

    // Hidden, the page goes on.
    h.Host().ShowHomeView();
    temperature.Write("61");
    EXPECT_TRUE(WaitFor([&] { return FanLevels(sim) == Four(15); }, 2500)) << FanLevels(sim);

    // The reading goes away: no more commands.
    temperature.Remove();
    Sleep(1500);
    const std::string quiet = sim->Value("exchanges");
    Sleep(2500);
    EXPECT_EQ(quiet, sim->Value("exchanges"));
    EXPECT_EQ(L"--℃\nCPU", TextOfId(kIdFanTemperatureLabel));

    // Manual mode: a reading changes the label, never the fans.
    h.Host().ShowPage(ClientPageId::Fan);
    if (AutoButton()->GetChecked()) {
        ASSERT_TRUE(h.Click(AutoButton()));
    }
    SlideTo(50);
    EXPECT_NE(nullptr, h.FindById(kIdFanPausedHint, true));
    EXPECT_EQ(kSuccess, Confirm());
    EXPECT_EQ(Four(10), FanLevels(sim));
    EXPECT_EQ(nullptr, h.FindById(kIdFanPausedHint, true)) << "by hand nothing is paused";
    temperature.Write("90");
    EXPECT_TRUE(WaitFor([&] { return TextOfId(kIdFanTemperatureLabel) == L"90℃\nCPU"; }, 2500));
    Sleep(1500);
    EXPECT_EQ(Four(10), FanLevels(sim));

    // Stopping cuts the thread's one-second wait short.
    const auto before = Clock::now();
    page->Shutdown();
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(1000));
    EXPECT_EQ(0, page->IsSensing());
}

TEST_F(FanPage, SpeedLabelShowsTheSliderFromTheStartAndAfterRefresh) {
    // 50 is also the slider's own initial value, so setting it changes nothing
    // the slider would report.
    h.Settings()->SetFanSpeedValue(50);
    CFanCtrlPage* page = Open();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(50, Slider()->GetSliderValue());
    EXPECT_EQ(L"50%", TextOfId(kIdFanSpeedLabel));
    EXPECT_EQ(0, AutoButton()->GetChecked());
    EXPECT_EQ(1, Slider()->GetEnabled());
    std::wstring text;
    ASSERT_EQ(1, page->GetFanModeText(&text));
    EXPECT_EQ(L"手动  50%", text);

    // A downloaded configuration: automatic, 80.
    h.Settings()->SetFanAutoAdjust(1);
    h.Settings()->SetFanSpeedValue(80);
    page->Refresh();
    EXPECT_EQ(80, Slider()->GetSliderValue());
    EXPECT_EQ(L"80%", TextOfId(kIdFanSpeedLabel));
    EXPECT_EQ(1, AutoButton()->GetChecked());
    EXPECT_EQ(0, Slider()->GetEnabled());
    ASSERT_EQ(1, page->GetFanModeText(&text));
    EXPECT_EQ(L"自动  80%", text);
    EXPECT_EQ(1, page->IsAutoFanAdjustOn()) << "the sensing thread's copy follows";

    h.Settings()->SetFanAutoAdjust(0);
    h.Settings()->SetFanSpeedValue(80);
    page->Refresh();
    EXPECT_EQ(L"80%", TextOfId(kIdFanSpeedLabel));
    EXPECT_EQ(1, Slider()->GetEnabled());
    EXPECT_EQ(0, page->IsAutoFanAdjustOn());

    // Dragging the slider's button updates the label and stores nothing.
    CDUI_SliderBar* s = Slider();
    const DUI_Rect r = s->GetAbsoluteRect();
    const DUIRect b = s->GetPieces().button;
    const int y = b.y + b.height / 2;
    h.MouseMove(b.x + b.width / 2, y);
    h.MouseDown(b.x + b.width / 2, y);
    h.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.x + r.width / 4, y));
    h.MouseUp(r.x + r.width / 4, y);
    EXPECT_GT(s->GetSliderValue(), 15);
    EXPECT_LT(s->GetSliderValue(), 35);
    EXPECT_EQ(std::to_wstring(s->GetSliderValue()) + L"%", TextOfId(kIdFanSpeedLabel));
    EXPECT_EQ(L"80", SettingsValue(h, L"OVFanSpeedValue"));
}

TEST_F(FanPage, ConfirmRacingTheAutomaticStepLeavesFourEqualLevels) {
    h.Settings()->SetFanAutoAdjust(1);  // confirmed as it stands: the automatic step keeps running
    CFanCtrlPage* page = Open();
    ASSERT_NE(nullptr, page);
    simharness::CSimProcess* sim = h.Sim();
    sim->SetFault("delay:15");  // every exchange slow, so sets overlap
    SlideTo(0);                 // confirm: 6; the automatic step at 65: 15
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        std::atomic<bool> go{false};
        std::thread automatic([&] {
            while (!go) Sleep(0);
            for (int i = 0; i < 2; ++i) page->AutoFanStep(65);
        });
        go = true;
        Sleep(round * 10);
        EXPECT_EQ(kSuccess, Confirm());
        automatic.join();
        const std::string levels = FanLevels(sim);
        EXPECT_TRUE(levels == Four(6) || levels == Four(15)) << levels;
    }
}

TEST_F(FanPage, AnAutomaticStepDecidedBeforeTheUserTurnedItOffNeverFollowsTheConfirm) {
    h.Settings()->SetFanAutoAdjust(1);
    CFanCtrlPage* page = Open();
    ASSERT_NE(nullptr, page);
    simharness::CSimProcess* sim = h.Sim();
    page->AutoFanStep(65);
    ASSERT_EQ(Four(15), FanLevels(sim));
    SlideTo(0);  // by hand: level 6
    ASSERT_TRUE(h.Click(AutoButton()));
    ASSERT_EQ(0, AutoButton()->GetChecked());

    // The sensing thread finds automatic mode on, then reaches the fans while
    // the user's confirm is sending its set.
    sim->SetFault("delay:40");
    const int before = std::atoi(sim->Value("exchanges").c_str());
    std::atomic<bool> checked{false};
    std::thread sensing([&] {
        if (!page->IsAutoFanAdjustOn()) return;
        checked = true;
        WaitFor([&] { return std::atoi(sim->Value("exchanges").c_str()) > before; }, 5000);
        page->AutoFanStep(65);
    });
    EXPECT_TRUE(WaitFor([&] { return checked.load(); }, 5000));
    EXPECT_EQ(kSuccess, Confirm());
    sensing.join();
    sim->SetFault("none");
    EXPECT_EQ(Four(6), FanLevels(sim)) << "the user's last choice wins";
    page->AutoFanStep(65);  // a step with automatic mode off
    EXPECT_EQ(Four(6), FanLevels(sim));
}

TEST_F(FanPage, ShutdownEndsTheSensingWhileTheCallerHoldsTheSceneLock) {
    CTemperatureFile temperature;
    temperature.Write("70");
    CFanCtrlPage* page = Open();
    ASSERT_NE(nullptr, page);
    ASSERT_TRUE(WaitFor([&] { return TextOfId(kIdFanTemperatureLabel) == L"70℃\nCPU"; }, 4000));

    HANDLE lock = h.Scene()->GetParamMutex();
    std::atomic<bool> done{false};
    std::thread closer([&] {
        // As an event callback or the engine's teardown would: the lock is
        // held while the page is stopped, long enough that the sensing thread
        // is already waiting for it.
        WaitForSingleObject(lock, INFINITE);
        Sleep(1500);
        page->Shutdown();
        ReleaseMutex(lock);
        done = true;
    });
    const bool ended = WaitFor([&] { return done.load(); }, 6000);
    if (!ended) {
        ADD_FAILURE() << "Shutdown deadlocked against the sensing thread";
        std::printf("[  FAILED  ] the suite cannot go on past a deadlock\n");
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    closer.join();
    EXPECT_EQ(0, page->IsSensing());
}

TEST_F(FanPage, ReturnButtonGoesHome) {
    ASSERT_NE(nullptr, Open());
    CDUI_UIControl* back = h.FindById(kIdFanReturnButton, true);
    ASSERT_NE(nullptr, back);
    // The skin's own art for the three buttons when it has them.
    if (h.Resource()->FindStyle(L"Button", L"FanReturnButton")) {
        EXPECT_EQ(L"FanReturnButton", back->GetStyleName());
        EXPECT_NE(nullptr, h.Find(L"AutoButton", L"自动"));
        EXPECT_NE(nullptr, h.Find(L"ConfirmButton", L"确定"));
    }
    EXPECT_NE(nullptr, h.Find(L"OVPieChart", L"CPU"));
    ASSERT_TRUE(h.Click(back));
    EXPECT_EQ(1, h.HomeViewRequests());
    EXPECT_EQ(nullptr, h.FindById(kIdFanConfirmButton, true));
}

TEST_F(FanPage, AHiddenPageKeepsItsFiguresAndDrawsNothingUntilShown) {
    // Built hidden, as the client window builds it; no temperature file and
    // no driver here, so only this test reports a temperature.
    CFanCtrlPage* page = h.AddPage<CFanCtrlPage>(ClientPageId::Fan);
    ASSERT_NE(nullptr, page);
    h.Scene()->TakeDirty(nullptr);
    page->ShowTemperature(61);
    page->ShowLoad(42);
    const DUI_Rect dirty = h.Scene()->PeekDirty();
    EXPECT_TRUE(dirty.width <= 0 || dirty.height <= 0) << "a hidden page woke the render thread";
    h.Host().ShowPage(ClientPageId::Fan);
    EXPECT_EQ(L"61℃\nCPU", TextOfId(kIdFanTemperatureLabel)) << "the latest reading is there at once";
    page->ShowTemperature(63);
    EXPECT_EQ(L"63℃\nCPU", TextOfId(kIdFanTemperatureLabel)) << "a shown page follows every reading";
}

}  // namespace
