#pragma once
// The fan page: the processor's state (temperature gauge, name, clock,
// voltage, load) and the fan speed, by hand from the slider or automatically
// from the temperature.
//
// The sensing thread runs from Create to Shutdown, whether the page is shown
// or not: once a second it updates the controls and, in automatic mode, sets
// the fans. Two rules keep it from blocking the program:
//   - it reads the automatic flag from the page's own atomic copy, never from
//     the settings object, which belongs to the interface thread;
//   - it takes the scene's lock through a wait that Shutdown can cut short,
//     so stopping the thread never depends on who holds that lock.
#include <atomic>
#include <memory>
#include <string>

#include "ClientPages.h"
#include "CpuSensingCtrl.h"
#include "FanLevelSender.h"
#include "WinHandles.h"

class CDUI_Label;
class CDUI_MessageBox;
class CDUI_Panel;
class CDUI_PieChart;
class CDUI_Progress;
class CDUI_PushButton;
class CDUI_SliderBar;
class CDUI_UICollection;
class CDUI_UIControl;
struct CDUI_EventRecord;

// Ids of the fan page's controls.
enum FanPageControlId : int32_t {
    kIdFanPanel = 3200,
    kIdFanReturnButton,
    kIdFanTitle,
    kIdFanTemperaturePie,
    kIdFanTemperatureHole,
    kIdFanTemperatureLabel,
    kIdFanProcessorName,
    kIdFanClockLabel,
    kIdFanVoltageLabel,
    kIdFanLoadLabel,
    kIdFanClockBar,
    kIdFanVoltageBar,
    kIdFanLoadBar,
    kIdFanSpeedSlider,
    kIdFanSpeedLabel,
    kIdFanAutoButton,
    kIdFanConfirmButton,
    kIdFanMessageBox,
    kIdFanPausedHint,  // "无法读取处理器温度,自动调节暂停"
    kIdFanDecoration = 3260,  // cards, captions and hints from here on
};

class CFanCtrlPage : public IClientPage, public IFanPageLink, public CSensingSink {
public:
    // All borrowed; they outlive the page.
    CFanCtrlPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
    ~CFanCtrlPage() override;
    CFanCtrlPage(const CFanCtrlPage&) = delete;
    CFanCtrlPage& operator=(const CFanCtrlPage&) = delete;

    // IClientPage. Create builds the controls (hidden), sets them from the
    // settings and starts the sensing thread; 0 when the skin lacks a
    // control the page needs. Shutdown stops the thread.
    int Create() override;
    void Show() override;
    void Hide() override;
    void Shutdown() override;

    // IFanPageLink
    int GetFanModeText(std::wstring* text) override;
    // After the settings were replaced (a download): slider, its label,
    // "AutoButton" and the automatic flag from the settings.
    void Refresh() override;
    // Manual mode: the stored OVFanSpeedValue to the four fans, without a
    // message. Automatic mode sends nothing here.
    int SendChosenLevel() override;
    // Readings pause while the window is hidden and the fans are manual.
    void SetWindowShown(int shown) override;

    // "ConfirmButton": stores the automatic flag and the speed, sets the four
    // fans to the slider's level and says whether the controller took it.
    // 1 when all four fans were confirmed.
    int SetFansFromSlider();

    // CSensingSink: called on the sensing thread.
    void ShowProcessorInfo(const ProcessorRecord& processor) override;
    void ShowLoad(int percent) override;
    void ShowTemperature(int celsius) override;
    // "--℃", the ring idle, and the hint while automatic mode is on.
    void ShowNoTemperature() override;
    int IsAutoFanAdjustOn() override { return autoOn_.load(); }
    // Only while the window is shown or the fans follow the temperature.
    int WantsReadings() override { return autoOn_.load() || windowShown_.load(); }
    // The level for this temperature on the four fans, as one set; nothing
    // when automatic mode was turned off meanwhile.
    void AutoFanStep(int celsius) override;

    int IsSensing() const { return sensing_ && sensing_->IsRunning(); }
    // The sensing thread's handle while it runs (borrowed), else null.
    HANDLE SensingThread() const { return sensing_ ? sensing_->ThreadHandle() : nullptr; }

private:
    // Holds the scene's lock for one update from the sensing thread, or
    // gives up at once when the page is stopping.
    class CSensingUpdate;

    CDUI_Label* AddLabel(CDUI_UICollection* parent, int32_t id, const std::wstring& text, int32_t x, int32_t y,
                         int32_t width, int32_t height, const wchar_t* font, uint32_t color, uint32_t alignment);
    CDUI_Panel* AddCard(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height, const std::wstring& head);
    int BuildHeader();
    int BuildTemperatureCard();
    int BuildProcessorCard();
    int BuildSpeedCard();
    // Slider, its label, "AutoButton" and the atomic flag from the settings.
    void LoadFromSettings();
    void ShowSpeed(int percent);
    // Automatic mode locks the slider (disabled and faded).
    void LockSlider(int locked);
    void ShowMessage(const std::wstring& text, int iconType);
    // The ring's share of a temperature (0: the idle ring, all track).
    void SetGauge(float sweep);
    // The hint under the speed card: shown while automatic mode is on and
    // the thread has no reading to go by. Either thread.
    void ShowPausedHint();
    std::wstring Style(const wchar_t* kind, const wchar_t* name, const wchar_t* common);

    static void OnClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    static void OnSlider(CDUI_UIControl* control, int32_t value, void* user);
    static void OnAutoPushed(CDUI_UIControl* control, int32_t value, void* user);

    CDUI_UIResource* resource_;  // borrowed
    CDUI_UIScene* scene_;        // borrowed
    IClientHost* host_;          // borrowed

    // Controls: owned by the scene's tree, borrowed here.
    CDUI_Panel* panel_ = nullptr;
    CDUI_PieChart* temperaturePie_ = nullptr;
    CDUI_Label* temperatureLabel_ = nullptr;
    CDUI_Label* nameLabel_ = nullptr;
    CDUI_Label* clockLabel_ = nullptr;
    CDUI_Label* voltageLabel_ = nullptr;
    CDUI_Label* loadLabel_ = nullptr;
    CDUI_Progress* clockBar_ = nullptr;
    CDUI_Progress* voltageBar_ = nullptr;
    CDUI_Progress* loadBar_ = nullptr;
    CDUI_SliderBar* speedSlider_ = nullptr;
    CDUI_Label* speedLabel_ = nullptr;
    CDUI_PushButton* autoButton_ = nullptr;
    CDUI_MessageBox* messageBox_ = nullptr;
    CDUI_Label* pausedHint_ = nullptr;

    std::atomic<int> autoOn_{0};  // copy of OVFanAutoAdjust for the sensing thread
    std::atomic<int> windowShown_{1};
    // 1 once the sensing thread found no temperature (or cannot run), 0 again
    // with a reading; until the first report the page shows "--" without the hint.
    std::atomic<int> noReading_{0};
    std::unique_ptr<CFanLevelSender> fans_;
    win::CUniqueHandle stopping_;  // event: set when Shutdown begins
    std::unique_ptr<CCpuSensingCtrl> sensing_;
};
