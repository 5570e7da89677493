#include "FanCtrlPage.h"

#include <windows.h>

#include <algorithm>

#include "PageLook.h"
#include "ApplicationConfigFile.h"
#include "FanPageLayout.h"
#include "SensingMath.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_PieChart.h"
#include "controls/DUI_Progress.h"
#include "controls/DUI_SliderBar.h"
#include "core/DUI_FontType.h"
#include "core/DUI_ParamLock.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

namespace {

using fanlayout::Box;

// The look (design palette).

// The temperature's own colours: label, and the pie's two gradient colours.
constexpr uint32_t kTemperatureColor = 0xFE329BCA;
constexpr uint32_t kPieColor1 = 0xFE329BCA;
constexpr uint32_t kPieColor2 = 0xFE1B1B1B;
// The design's warning colour: automatic mode is paused.
constexpr uint32_t kWarningText = 0xFFFFB020;

constexpr uint32_t kAlignLeft = 1 | 16;
constexpr uint32_t kAlignCentre = 2 | 16;
constexpr uint32_t kAlignRight = 4 | 16;

constexpr int kIconInformation = 3;
constexpr int kIconError = 1;
constexpr int kButtonsOk = 2;

constexpr const wchar_t* kSuccessText = L"风扇设置成功!";
constexpr const wchar_t* kFailureText = L"风扇设置失败!";
constexpr const wchar_t* kPausedText = L"无法读取处理器温度,自动调节暂停";

template <typename T>
T* Attach(CDUI_UICollection* parent, T* control) {
    if (!control) return nullptr;
    if (!parent || !parent->AddChild(control)) {
        control->ReleaseResources();
        delete control;
        return nullptr;
    }
    return control;
}

CDUI_UICollection* AsParent(CDUI_UIControl* control) { return static_cast<CDUI_UICollection*>(control); }

int ClampPercent(int value) { return std::clamp(value, 0, 100); }

}  // namespace

// ---- the sensing thread's access to the controls ----

class CFanCtrlPage::CSensingUpdate {
public:
    CSensingUpdate(CDUI_UIScene* scene, HANDLE stopping) {
        HANDLE mutex = scene ? scene->GetParamMutex() : nullptr;
        if (!mutex) {
            ok_ = !scene && (!stopping || WaitForSingleObject(stopping, 0) != WAIT_OBJECT_0);
            return;
        }
        // The stop event first: when both are ready, stopping wins.
        HANDLE waits[2] = {stopping, mutex};
        const DWORD wait = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (wait == WAIT_OBJECT_0 + 1 || wait == WAIT_ABANDONED_0 + 1) {
            held_ = mutex;
            ok_ = true;
        }
    }
    ~CSensingUpdate() {
        if (held_) ReleaseMutex(held_);
    }
    CSensingUpdate(const CSensingUpdate&) = delete;
    CSensingUpdate& operator=(const CSensingUpdate&) = delete;
    bool Ok() const { return ok_; }

private:
    HANDLE held_ = nullptr;
    bool ok_ = false;
};

// ---- construction ----

CFanCtrlPage::CFanCtrlPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host)
    : resource_(resource), scene_(scene), host_(host) {}

CFanCtrlPage::~CFanCtrlPage() { Shutdown(); }

std::wstring CFanCtrlPage::Style(const wchar_t* kind, const wchar_t* name, const wchar_t* common) {
    return resource_->FindStyle(kind, name) ? std::wstring(name) : std::wstring(common);
}

CDUI_Label* CFanCtrlPage::AddLabel(CDUI_UICollection* parent, int32_t id, const std::wstring& text, int32_t x,
                                   int32_t y, int32_t width, int32_t height, const wchar_t* font, uint32_t color,
                                   uint32_t alignment) {
    auto* label = Attach(parent, resource_->CreateLabel(id, L"OVLabel", text, x, y, width, height));
    if (!label) return nullptr;
    label->SetTransparent(1);
    label->SetBorder(0);
    label->SetHitEnable(0);
    label->SetTextColor(color);
    label->SetAlignment(alignment);
    if (CDUI_FontType* f = resource_->FindFont(font)) label->SetFont(f);
    return label;
}

CDUI_Panel* CFanCtrlPage::AddCard(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                                  const std::wstring& head) {
    auto* card = Attach(AsParent(panel_), resource_->CreatePanel(id, L"OVPanel", L"", x, y, width, height));
    if (!card) return nullptr;
    card->SetBackColor(pagelook::kCard);
    card->SetBorder(0);  // the panel's own frame art is the hairline
    const Box h = fanlayout::CardHead({x, y, width, height});
    AddLabel(AsParent(card), id + 1, head, h.x, h.y, h.width, h.height, L"yahei14", pagelook::kText, kAlignLeft);
    return card;
}

int CFanCtrlPage::Create() {
    if (panel_ || !resource_ || !host_ || !host_->WindowControl()) return 0;
    const ClientServices& services = host_->Services();
    fans_ = std::make_unique<CFanLevelSender>(services.device);
    stopping_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopping_) return 0;

    const Box p = fanlayout::kPanel;
    panel_ = Attach(AsParent(host_->WindowControl()),
                    resource_->CreatePanel(kIdFanPanel, L"OVPanel", L"", p.x, p.y, p.width, p.height));
    if (!panel_) return 0;
    panel_->SetVisible(0);
    panel_->SetBackColor(pagelook::kWindow);
    panel_->SetBorder(0);
    if (!BuildHeader() || !BuildTemperatureCard() || !BuildProcessorCard() || !BuildSpeedCard()) return 0;

    messageBox_ = Attach(AsParent(host_->WindowControl()),
                         resource_->CreateMessageBox(kIdFanMessageBox, L"OVMessageBox", L"信息", 0, 0, 360, 180));
    if (messageBox_) messageBox_->SetText(L"信息");

    LoadFromSettings();

    // From start-up to exit, shown or not: the automatic step must run while
    // the window sits in the tray. Without WMI there is no thread, and the
    // page still works by hand, but never has a temperature.
    sensing_ = std::make_unique<CCpuSensingCtrl>();
    if (!sensing_->StartSensing(this)) {
        noReading_ = 1;
        ShowPausedHint();
    }
    return 1;
}

int CFanCtrlPage::BuildHeader() {
    CDUI_UICollection* page = AsParent(panel_);
    const Box r = fanlayout::kReturnButton;
    auto* back = Attach(page, resource_->CreateButton(kIdFanReturnButton,
                                                      Style(L"Button", L"FanReturnButton", L"OVButton"), L"返回",
                                                      r.x, r.y, r.width, r.height));
    if (!back) return 0;
    back->SetTransparent(1);  // the plate has clear corners, as on the other pages
    back->SetBorder(0);
    back->SetTextColor(pagelook::kText);
    back->SetAlignment(kAlignCentre);
    if (CDUI_FontType* f = resource_->FindFont(L"yahei12")) back->SetFont(f);
    back->SetEventCallback(DUI_EVT_CLICKED, &CFanCtrlPage::OnClicked, this);
    const Box t = fanlayout::kTitle;
    return AddLabel(page, kIdFanTitle, L"风扇", t.x, t.y, t.width, t.height, L"yahei20", pagelook::kText, kAlignLeft)
               ? 1
               : 0;
}

int CFanCtrlPage::BuildTemperatureCard() {
    const Box c = fanlayout::kTemperatureCard;
    CDUI_Panel* card = AddCard(kIdFanDecoration, c.x, c.y, c.width, c.height, L"温度");
    if (!card) return 0;
    const Box g = fanlayout::kGauge;
    temperaturePie_ = Attach(AsParent(card), resource_->CreatePieChart(kIdFanTemperaturePie, L"OVPieChart", L"CPU",
                                                                       g.x, g.y, g.width, g.height));
    if (!temperaturePie_) return 0;
    // Side by side from the top: the temperature's share, then the rest of
    // the ring as a track.
    temperaturePie_->SetDrawMode(0);
    temperaturePie_->SetHitEnable(0);
    temperaturePie_->AddItem(kPieColor1, kPieColor2, 0.0f);
    temperaturePie_->AddItem(pagelook::kRaised, pagelook::kRaised, 360.0f);
    // The hole that makes the pie a ring, with the reading inside.
    const Box h = fanlayout::kGaugeHole;
    if (auto* hole = Attach(AsParent(card), resource_->CreatePieChart(kIdFanTemperatureHole, L"OVPieChart", L"",
                                                                       h.x, h.y, h.width, h.height))) {
        hole->SetDrawMode(0);
        hole->SetHitEnable(0);
        hole->AddItem(pagelook::kCard, pagelook::kCard, 360.0f);
    }
    const Box l = fanlayout::kTemperatureLabel;
    // No reading until the sensing thread has one: "0℃" would pass for one.
    temperatureLabel_ = AddLabel(AsParent(card), kIdFanTemperatureLabel, NoTemperatureText(), l.x, l.y, l.width,
                                 l.height, L"yahei14", pagelook::kSecondaryText, kAlignCentre);
    return temperatureLabel_ ? 1 : 0;
}

int CFanCtrlPage::BuildProcessorCard() {
    const Box c = fanlayout::kProcessorCard;
    CDUI_Panel* card = AddCard(kIdFanDecoration + 2, c.x, c.y, c.width, c.height, L"处理器");
    if (!card) return 0;
    CDUI_UICollection* in = AsParent(card);
    const Box n = fanlayout::kProcessorName;
    nameLabel_ = AddLabel(in, kIdFanProcessorName, L"GGGG", n.x, n.y, n.width, n.height, L"yahei12", pagelook::kText,
                          kAlignLeft);
    if (!nameLabel_) return 0;
    nameLabel_->SetTrimming(4);  // an ellipsis rather than a cut word

    const wchar_t* captions[3] = {L"频率", L"电压", L"负载"};
    const wchar_t* initial[3] = {L"0M", L"0V", L"0%"};
    const int32_t valueIds[3] = {kIdFanClockLabel, kIdFanVoltageLabel, kIdFanLoadLabel};
    const int32_t barIds[3] = {kIdFanClockBar, kIdFanVoltageBar, kIdFanLoadBar};
    CDUI_Label** values[3] = {&clockLabel_, &voltageLabel_, &loadLabel_};
    CDUI_Progress** bars[3] = {&clockBar_, &voltageBar_, &loadBar_};
    for (int row = 0; row < 3; ++row) {
        const Box cap = fanlayout::RowCaption(row);
        AddLabel(in, kIdFanDecoration + 4 + row, captions[row], cap.x, cap.y, cap.width, cap.height, L"yahei12",
                 pagelook::kSecondaryText, kAlignLeft);
        const Box b = fanlayout::RowBar(row);
        *bars[row] = Attach(in, resource_->CreateProgress(barIds[row], L"OVProgress", L"", b.x, b.y, b.width,
                                                          b.height));
        if (!*bars[row]) return 0;
        (*bars[row])->SetMaximum(100);
        (*bars[row])->SetProgress(0);
        (*bars[row])->SetHitEnable(0);
        const Box v = fanlayout::RowValue(row);
        *values[row] = AddLabel(in, valueIds[row], initial[row], v.x, v.y, v.width, v.height, L"yahei12",
                                pagelook::kText, kAlignRight);
        if (!*values[row]) return 0;
    }
    return 1;
}

int CFanCtrlPage::BuildSpeedCard() {
    const Box c = fanlayout::kSpeedCard;
    CDUI_Panel* card = AddCard(kIdFanDecoration + 8, c.x, c.y, c.width, c.height, L"风扇转速");
    if (!card) return 0;
    CDUI_UICollection* in = AsParent(card);
    const Box s = fanlayout::kSlider;
    speedSlider_ = Attach(in, resource_->CreateSliderBar(kIdFanSpeedSlider, L"OVSliderBar", L"", s.x, s.y, s.width,
                                                         s.height, 0, 100, 50));
    if (!speedSlider_) return 0;
    speedSlider_->SetShowFore(1);
    speedSlider_->SetSliderCallback(&CFanCtrlPage::OnSlider, this);
    const Box v = fanlayout::kSpeedValue;
    speedLabel_ = AddLabel(in, kIdFanSpeedLabel, L"00%", v.x, v.y, v.width, v.height, L"yahei12", pagelook::kText,
                           kAlignRight);
    if (!speedLabel_) return 0;

    const Box a = fanlayout::kAutoButton;
    autoButton_ = Attach(in, resource_->CreatePushButton(kIdFanAutoButton,
                                                         Style(L"PushButton", L"AutoButton", L"OVPushButton"),
                                                         L"自动", a.x, a.y, a.width, a.height));
    if (!autoButton_) return 0;
    autoButton_->SetAlignment(kAlignCentre);
    if (CDUI_FontType* f = resource_->FindFont(L"yahei12")) autoButton_->SetFont(f);
    autoButton_->SetPushCallback(&CFanCtrlPage::OnAutoPushed, this);

    const Box h = fanlayout::kSpeedHint;
    AddLabel(in, kIdFanDecoration + 9, L"开启自动后，风扇转速随处理器温度调节", h.x, h.y, h.width, h.height,
             L"yahei12", pagelook::kSecondaryText, kAlignLeft);

    const Box k = fanlayout::kConfirmButton;
    auto* confirm = Attach(in, resource_->CreateButton(kIdFanConfirmButton,
                                                       Style(L"Button", L"ConfirmButton", L"OVButton"), L"确定",
                                                       k.x, k.y, k.width, k.height));
    if (!confirm) return 0;
    confirm->SetTextColor(pagelook::kOnAccent);
    confirm->SetAlignment(kAlignCentre);
    if (CDUI_FontType* f = resource_->FindFont(L"yahei14")) confirm->SetFont(f);
    confirm->SetEventCallback(DUI_EVT_CLICKED, &CFanCtrlPage::OnClicked, this);

    const Box p = fanlayout::kPausedHint;
    pausedHint_ = AddLabel(AsParent(panel_), kIdFanPausedHint, kPausedText, p.x, p.y, p.width, p.height, L"yahei12",
                           kWarningText, kAlignLeft);
    if (pausedHint_) pausedHint_->SetVisible(0);
    return 1;
}

// ---- showing and stopping ----

void CFanCtrlPage::Show() {
    if (panel_) panel_->SetVisible(1);
}

void CFanCtrlPage::Hide() {
    if (messageBox_ && messageBox_->GetVisible()) messageBox_->Hide();
    if (panel_) panel_->SetVisible(0);
}

void CFanCtrlPage::Shutdown() {
    // First release the thread from any wait for the scene's lock: the caller
    // may hold that lock (an event callback, the engine's teardown), and the
    // thread must be able to end without it.
    if (stopping_) SetEvent(stopping_.Get());
    if (sensing_) sensing_->StopSensing();
    sensing_.reset();
}

// ---- settings and the account page ----

void CFanCtrlPage::ShowSpeed(int percent) {
    if (speedLabel_) speedLabel_->SetText(SpeedText(percent));
}

void CFanCtrlPage::LockSlider(int locked) {
    if (!speedSlider_) return;
    speedSlider_->SetEnabled(locked ? 0 : 1);
    // The slider has no art of its own for "disabled": it fades instead.
    speedSlider_->SetOpacity(locked ? 90 : 255);
}

void CFanCtrlPage::LoadFromSettings() {
    CApplicationConfigFile* settings = host_ ? host_->Services().settings : nullptr;
    const int on = settings ? (settings->GetFanAutoAdjust() ? 1 : 0) : 0;
    const int speed = ClampPercent(settings ? settings->GetFanSpeedValue() : 50);
    autoOn_ = on;
    // Values shown from the settings, not the user's moves: not reported.
    if (speedSlider_) speedSlider_->SetSliderValue(speed, 0);
    LockSlider(on);
    // The label follows the slider's value itself: setting it reports nothing.
    ShowSpeed(speedSlider_ ? speedSlider_->GetSliderValue() : speed);
    if (autoButton_) {
        autoButton_->SetChecked(on, 0);
        autoButton_->SetTextColor(on ? pagelook::kOnAccent : pagelook::kText);
    }
    ShowPausedHint();
}

void CFanCtrlPage::Refresh() {
    LoadFromSettings();
    if (sensing_) sensing_->Wake();
}

void CFanCtrlPage::SetWindowShown(int shown) {
    windowShown_ = shown ? 1 : 0;
    if (shown && sensing_) sensing_->Wake();
}

int CFanCtrlPage::SendChosenLevel() {
    CApplicationConfigFile* settings = host_ ? host_->Services().settings : nullptr;
    if (!settings || !fans_ || settings->GetFanAutoAdjust()) return 0;
    return fans_->SendToAllFans(static_cast<uint8_t>(ManualFanLevel(ClampPercent(settings->GetFanSpeedValue()))));
}

int CFanCtrlPage::GetFanModeText(std::wstring* text) {
    CApplicationConfigFile* settings = host_ ? host_->Services().settings : nullptr;
    if (!text || !settings) return 0;
    *text = FanModeText(settings->GetFanAutoAdjust(), settings->GetFanSpeedValue());
    return 1;
}

// ---- the user's actions ----

int CFanCtrlPage::SetFansFromSlider() {
    if (!speedSlider_ || !autoButton_) return 0;
    const int on = autoButton_->GetChecked() ? 1 : 0;
    CApplicationConfigFile* settings = host_->Services().settings;
    if (settings) settings->SetFanAutoAdjust(on);
    autoOn_ = on;
    if (on && sensing_) sensing_->Wake();
    LockSlider(on);
    ShowPausedHint();
    const int speed = speedSlider_->GetSliderValue();
    if (settings) settings->SetFanSpeedValue(speed);

    // Sent once even in automatic mode; the next automatic step replaces it.
    const int confirmed = fans_ ? fans_->SendToAllFans(static_cast<uint8_t>(ManualFanLevel(speed))) : 0;
    ShowMessage(confirmed ? kSuccessText : kFailureText, confirmed ? kIconInformation : kIconError);
    return confirmed;
}

void CFanCtrlPage::ShowMessage(const std::wstring& text, int iconType) {
    if (!messageBox_) return;
    messageBox_->SetText(L"信息");
    messageBox_->ShowMessage(text, iconType, kButtonsOk);
}

void CFanCtrlPage::OnClicked(CDUI_UIControl* control, const CDUI_EventRecord*, void* user) {
    auto* page = static_cast<CFanCtrlPage*>(user);
    if (!page || !control) return;
    switch (control->GetId()) {
    case kIdFanReturnButton:
        page->Hide();
        page->host_->ShowHomeView();
        break;
    case kIdFanConfirmButton:
        page->SetFansFromSlider();
        break;
    default:
        break;
    }
}

void CFanCtrlPage::OnSlider(CDUI_UIControl*, int32_t value, void* user) {
    if (auto* page = static_cast<CFanCtrlPage*>(user)) page->ShowSpeed(value);
}

void CFanCtrlPage::OnAutoPushed(CDUI_UIControl*, int32_t value, void* user) {
    auto* page = static_cast<CFanCtrlPage*>(user);
    if (!page) return;
    // Only the look changes; Confirm stores the choice.
    page->LockSlider(value);
    if (page->autoButton_) page->autoButton_->SetTextColor(value ? pagelook::kOnAccent : pagelook::kText);
}

// ---- the sensing thread ----

void CFanCtrlPage::ShowProcessorInfo(const ProcessorRecord& processor) {
    CSensingUpdate update(scene_, stopping_.Get());
    if (!update.Ok()) return;
    if (clockLabel_) clockLabel_->SetText(MaxClockText(processor.maxClockMHz));
    if (clockBar_)
        clockBar_->SetProgress(static_cast<uint32_t>(ClockRatioPercent(processor.currentClockMHz,
                                                                        processor.maxClockMHz)));
    if (voltageLabel_) voltageLabel_->SetText(VoltageText(processor.currentVoltage));
    if (voltageBar_) voltageBar_->SetProgress(processor.currentVoltage);
    if (nameLabel_ && !processor.name.empty()) nameLabel_->SetText(processor.name);
}

void CFanCtrlPage::ShowLoad(int percent) {
    CSensingUpdate update(scene_, stopping_.Get());
    if (!update.Ok()) return;
    if (loadLabel_) loadLabel_->SetText(LoadText(percent));
    // -1 (no system times) must not read as a full bar.
    if (loadBar_) loadBar_->SetProgress(static_cast<uint32_t>(ClampPercent(percent)));
}

void CFanCtrlPage::SetGauge(float sweep) {
    if (!temperaturePie_) return;
    temperaturePie_->SetItem(0, kPieColor1, kPieColor2, sweep);
    temperaturePie_->SetItem(1, pagelook::kRaised, pagelook::kRaised, 360.0f - sweep);
}

void CFanCtrlPage::ShowPausedHint() {
    if (!pausedHint_) return;
    // Both threads change the flags and then come here; deciding under the
    // scene's lock means the last to come decides from the latest flags.
    CDUI_ParamLock lock(pausedHint_);
    if (!lock.Ok()) return;
    const int shown = autoOn_ && noReading_ ? 1 : 0;
    if (pausedHint_->GetVisible() != shown) pausedHint_->SetVisible(shown);
}

void CFanCtrlPage::ShowTemperature(int celsius) {
    CSensingUpdate update(scene_, stopping_.Get());
    if (!update.Ok()) return;
    noReading_ = 0;
    if (temperatureLabel_) {
        temperatureLabel_->SetText(TemperatureText(celsius));
        temperatureLabel_->SetTextColor(kTemperatureColor);
    }
    SetGauge(TemperaturePieSweep(celsius));
    ShowPausedHint();
}

void CFanCtrlPage::ShowNoTemperature() {
    CSensingUpdate update(scene_, stopping_.Get());
    if (!update.Ok()) return;
    // Once is enough: the controls already say so.
    if (noReading_.exchange(1)) return;
    if (temperatureLabel_) {
        temperatureLabel_->SetText(NoTemperatureText());
        temperatureLabel_->SetTextColor(pagelook::kSecondaryText);
    }
    SetGauge(0.0f);
    ShowPausedHint();
}

void CFanCtrlPage::AutoFanStep(int celsius) {
    // No new set once the page is stopping; a set under way is finished whole.
    if (stopping_ && WaitForSingleObject(stopping_.Get(), 0) == WAIT_OBJECT_0) return;
    // The thread saw automatic mode on before it came here; a confirm in
    // between turned it off and set the fans by hand, and the user's choice
    // is the last word. So the flag is asked again once the fans are ours.
    if (fans_) fans_->SendToAllFansIf(static_cast<uint8_t>(AutoFanLevel(celsius)), autoOn_);
}
