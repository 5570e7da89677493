#include "UpdateCtrlPage.h"

#include <windows.h>

#include <algorithm>

#include "AccountRequest.h"
#include "ApplicationEnv.h"
#include "OVFanLedDevice.h"
#include "PaceSetting.h"
#include "ProcessOps.h"
#include "UpdateChecks.h"
#include "UpdateRules.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_Progress.h"
#include "core/DUI_ParamLock.h"
#include "core/DUI_Types.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"
#include "PageFrame.h"
#include "PageLook.h"

namespace {

// Control ids of this page.
enum : int32_t {
    kPanelId = 2300,
    kReturnId,
    kTitleId,
    kSoftwareOptionId,
    kFirmwareOptionId,
    kCardId,
    kVersionLabelId,
    kUpdatingLabelId,
    kProgressId,
    kUpdateButtonId,
    kFlashButtonId,
    kRestartButtonId,
    kResetButtonId,
    kBoxId,
};

// The two buttons that start a web request, as they read when idle.
const wchar_t kCheckButtonText[] = L"检查更新";
const wchar_t kFlashButtonText[] = L"固件升级";
const wchar_t kRestartButtonText[] = L"重启控制器";
const wchar_t kResetButtonText[] = L"恢复出厂设置";
// The tasks that talk to the controller are waited for at shut-down, the
// controller going right after the pages: one exchange's reply time-out
// and a little more (their pauses end at once then).
constexpr uint32_t kControllerTaskJoinMs = COVFanLedDevice::kDefaultReplyTimeoutMs + 1000;

// On a worker: the command, then the controller is closed and opened again,
// a paced second apart. The command's own answer does not count: the controller
// may restart before it replies. Done when it can be opened again (1). A
// stop (exit) leaves the rest undone.
int RestartAndReopen(COVFanLedDevice* device, int factoryReset) {
    if (!device) return 0;
    if (factoryReset) device->FactoryReset();
    else device->RestartController();
    if (!CWorkerTask::Wait(pace::SecondMs())) return 0;
    device->CloseDevice();
    if (!CWorkerTask::Wait(pace::SecondMs())) return 0;
    return device->OpenDevice();
}

// Plate sizes of the skin: controls of exactly these sizes show their art pixel for pixel.
constexpr int32_t kButtonW = 128, kButtonH = 36, kTabW = 120, kTabH = 40;
// The view tabs start at the shared cards' line; under them, centred, the card
// holding the version, the progress and the buttons (page coordinates).
constexpr int32_t kTabY = pageframe::kCardTop;
constexpr int32_t kCardW = 800, kCardH = 232;
constexpr int32_t kCardX = (pageframe::kPage.width - kCardW) / 2, kCardY = kTabY + kTabH + 20;

// A control of the page's own skin style when the skin has one, else of the
// shared style of its kind.
template <typename Make>
auto BuildStyled(const wchar_t* own, const wchar_t* shared, Make make) {
    auto* control = make(own);
    return control ? control : make(shared);
}

// The interface is touched from the update thread only while it holds the
// scene's parameter lock. The wait is bounded and gives up when the page
// shuts down, so the thread never blocks a shut-down that waits for it.
class UiLock {
public:
    UiLock(CDUI_UIScene* scene, const std::atomic<int>& stopping) {
        HANDLE mutex = scene ? scene->GetParamMutex() : nullptr;
        if (!scene) {
            ok_ = 1;
            return;
        }
        if (!mutex) return;
        while (!stopping.load()) {
            const DWORD wait = WaitForSingleObject(mutex, 50);
            if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
                held_ = mutex;
                ok_ = 1;
                return;
            }
            if (wait != WAIT_TIMEOUT) return;
        }
    }
    ~UiLock() {
        if (held_) ReleaseMutex(held_);
    }
    UiLock(const UiLock&) = delete;
    UiLock& operator=(const UiLock&) = delete;
    int Ok() const { return ok_; }

private:
    HANDLE held_ = nullptr;
    int ok_ = 0;
};

}  // namespace

// What the flash needs from the page, called on the update thread.
class CUpdateCtrlPage::FlashHost : public IFlashHost {
public:
    explicit FlashHost(CUpdateCtrlPage* page) : page_(page) {}
    void SetProgress(uint32_t percent) override {
        UiLock ui(page_->scene_, page_->stopping_);
        if (ui.Ok() && page_->progress_) page_->progress_->SetProgress(percent);
    }
    void CloseController() override {
        if (COVFanLedDevice* device = page_->host_->Services().device) device->CloseDevice();
    }
    int OpenController() override {
        // The program is ending and the window has let the controller go:
        // reopening it now could only end in a message nobody sees.
        if (page_->stopping_) return 0;
        COVFanLedDevice* device = page_->host_->Services().device;
        return device ? device->OpenDevice() : 0;
    }
    // Cut short when the page shuts down: the flash then stops before the tool.
    void Wait(uint32_t milliseconds) override {
        for (uint32_t waited = 0; waited < milliseconds && !page_->stopping_; waited += 50)
            Sleep(std::min<uint32_t>(50, milliseconds - waited));
    }
    int Cancelled() override { return page_->stopping_.load(); }

private:
    CUpdateCtrlPage* page_;  // borrowed
};

CUpdateCtrlPage::CUpdateCtrlPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host)
    : resource_(resource), scene_(scene), host_(host), firmwareLabel_(updaterules::kFirmwareLabelInitial) {}

CUpdateCtrlPage::~CUpdateCtrlPage() { Shutdown(); }

int CUpdateCtrlPage::Create() {
    CDUI_Window* window = host_ ? host_->WindowControl() : nullptr;
    if (!resource_ || !window || panel_) return panel_ ? 1 : 0;

    // The page's area under the title strip, transparent over the window.
    constexpr pageframe::Box page = pageframe::kPage;
    panel_ = resource_->CreatePanel(kPanelId, L"OVPanel", L"", page.x, page.y, page.width, page.height);
    if (!panel_) return 0;
    panel_->SetTransparent(1);
    panel_->SetVisible(0);
    window->AddChild(panel_);

    auto button = [&](int32_t id, const wchar_t* own, const wchar_t* text, int32_t x, int32_t y, int32_t w,
                      int32_t h, CDUI_UIControl* parent) {
        CDUI_Button* b = BuildStyled(own, L"OVButton", [&](const wchar_t* style) {
            return resource_->CreateButton(id, style, text, x, y, w, h);
        });
        if (!b) return b;
        b->SetTransparent(1);
        b->SetBorder(0);
        b->SetTextColor(pagelook::kText);
        b->SetAlignment(2 | 16);  // centred
        if (CDUI_FontType* font = resource_->FindFont(L"yahei12")) b->SetFont(font);
        static_cast<CDUI_Panel*>(parent)->AddChild(b);
        b->SetEventCallback(DUI_EVT_CLICKED, &CUpdateCtrlPage::OnClicked, this);
        return b;
    };
    auto option = [&](int32_t id, const wchar_t* own, const wchar_t* text, int32_t x) {
        CDUI_OptionButton* o = BuildStyled(own, L"OVOptionButton", [&](const wchar_t* style) {
            return resource_->CreateOptionButton(id, style, text, x, kTabY, kTabW, kTabH);
        });
        if (!o) return o;
        o->SetGroup(1);
        o->SetTransparent(1);
        o->SetBorder(0);
        o->SetTextColor(pagelook::kText);
        o->SetAlignment(2 | 16);
        if (CDUI_FontType* font = resource_->FindFont(L"yahei14")) o->SetFont(font);
        panel_->AddChild(o);
        o->SetEventCallback(DUI_EVT_CLICKED, &CUpdateCtrlPage::OnClicked, this);
        return o;
    };
    auto label = [&](int32_t id, const wchar_t* own, const std::wstring& text, int32_t x, int32_t y, int32_t w,
                     int32_t h, const wchar_t* font, uint32_t color, CDUI_UIControl* parent) {
        CDUI_Label* l = BuildStyled(own, L"OVLabel", [&](const wchar_t* style) {
            return resource_->CreateLabel(id, style, text, x, y, w, h);
        });
        if (!l) return l;
        l->SetTransparent(1);
        l->SetBorder(0);
        l->SetTextColor(color);
        l->SetAlignment(1 | 16);  // left, vertically centred
        if (CDUI_FontType* f = resource_->FindFont(font)) l->SetFont(f);
        static_cast<CDUI_Panel*>(parent)->AddChild(l);
        return l;
    };

    // Header row: return at the left, then the page title.
    constexpr pageframe::Box back = pageframe::kReturnButton, title = pageframe::kTitle;
    returnButton_ = button(kReturnId, L"UpdateReturnButton", L"返回", back.x, back.y, back.width, back.height, panel_);
    titleLabel_ = label(kTitleId, L"OVLabel", L"软件升级", title.x, title.y, title.width, title.height, L"yahei20",
                        pagelook::kText, panel_);
    softwareOption_ = option(kSoftwareOptionId, L"UpdateSoftwareOptionButton", L"软件更新", kCardX);
    firmwareOption_ = option(kFirmwareOptionId, L"UpdateFirmwareOptionButton", L"固件更新", kCardX + kTabW + 8);

    card_ = resource_->CreatePanel(kCardId, L"OVPanel", L"", kCardX, kCardY, kCardW, kCardH);
    if (card_) {
        card_->SetTransparent(0);
        card_->SetBackColor(pagelook::kCard);
        card_->SetBorder(1);
        card_->SetBorderColors(pagelook::kHairline, pagelook::kCard);  // one hairline, the inner line in the card colour
        panel_->AddChild(card_);
        versionLabel_ = label(kVersionLabelId, L"OVLabel", updaterules::kFirmwareLabelInitial, 24, 24, 752, 40,
                              L"yahei20", pagelook::kText, card_);
        updatingLabel_ = label(kUpdatingLabelId, L"OVLabel", updaterules::kUpdatingText, 24, 80, 300, 24,
                               L"yahei12", pagelook::kAccent, card_);
        progress_ = BuildStyled(L"UpdateProgress", L"OVProgress", [&](const wchar_t* style) {
            return resource_->CreateProgress(kProgressId, style, L"", 24, 112, 752, 16);
        });
        if (progress_) {
            progress_->SetMaximum(100);
            progress_->SetProgress(0);
            card_->AddChild(progress_);
        }
        // The buttons of both views share one row; each view shows its own.
        constexpr int32_t row = kCardH - 24 - kButtonH, step = kButtonW + 16;
        updateButton_ = button(kUpdateButtonId, L"UpdateButton", kCheckButtonText, 24, row, kButtonW, kButtonH, card_);
        flashButton_ = button(kFlashButtonId, L"UpdateFanLedButton", kFlashButtonText, 24, row, kButtonW, kButtonH, card_);
        restartButton_ = button(kRestartButtonId, L"ResetFanLedButton", kRestartButtonText, 24 + step, row, kButtonW,
                                kButtonH, card_);
        resetButton_ = button(kResetButtonId, L"FactoryFanLedButton", kResetButtonText, 24 + 2 * step, row, kButtonW,
                              kButtonH, card_);
    }
    if (updatingLabel_) updatingLabel_->SetVisible(0);
    if (progress_) progress_->SetVisible(0);

    box_ = resource_->CreateMessageBox(kBoxId, L"OVMessageBox", L"信息", 0, 0, 360, 160);
    if (box_) {
        window->AddChild(box_);
        box_->SetResultCallback(&CUpdateCtrlPage::OnBoxResult, this);
    }
    ShowSoftwareView();
    return softwareOption_ && firmwareOption_ && versionLabel_ && progress_ && updateButton_ && flashButton_ &&
                   restartButton_ && resetButton_ && returnButton_ && box_
               ? 1
               : 0;
}

void CUpdateCtrlPage::Show() {
    if (!panel_) return;
    if (softwareOption_) softwareOption_->SetChecked(1);
    ShowSoftwareView();
    panel_->SetVisible(1);
}

void CUpdateCtrlPage::Hide() {
    if (panel_) panel_->SetVisible(0);
}

void CUpdateCtrlPage::Shutdown() {
    // A check still on its way is left behind; its answer is dropped. What
    // talks to the controller is let finish its step first.
    softwareCheck_.Cancel();
    firmwareQuery_.CancelAndWait(kControllerTaskJoinMs);
    versionQuery_.CancelAndWait(kControllerTaskJoinMs);
    maintenance_.CancelAndWait(kControllerTaskJoinMs);
    stopping_ = 1;
    if (worker_.joinable()) worker_.join();
}

int CUpdateCtrlPage::CheckForUpdate(int silent) {
    OfferSoftwareUpdate(silent);
    return 1;
}

int CUpdateCtrlPage::IsExitBlocked(std::wstring* reason) {
    if (!flashing_) return 0;
    if (reason) *reason = updaterules::kFlashBlocksLogOffText;
    return 1;
}

void CUpdateCtrlPage::ExplainExitBlocked() {
    // 退出 from the tray may come while the window is hidden.
    CApplicationEnv* env = host_ ? host_->Services().env : nullptr;
    if (HWND window = env ? env->GetWindowHandle() : nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
    }
    Inform(updaterules::kExitDuringFlashText);
}

CDUI_UIControl* CUpdateCtrlPage::Control(const std::wstring& name) {
    if (name == L"UpdatePanel") return panel_;
    if (name == L"UpdateReturnButton") return returnButton_;
    if (name == L"UpdateSoftwareOptionButton") return softwareOption_;
    if (name == L"UpdateFirmwareOptionButton") return firmwareOption_;
    if (name == L"UpdateButton") return updateButton_;
    if (name == L"UpdateFanLedButton") return flashButton_;
    if (name == L"ResetFanLedButton") return restartButton_;
    if (name == L"FactoryFanLedButton") return resetButton_;
    if (name == L"UpdateProgress") return progress_;
    if (name == L"UpdateVersionLabel") return versionLabel_;
    if (name == L"UpdatingLabel") return updatingLabel_;
    if (name == L"UpdateMessageBox") return box_;
    return nullptr;
}

// ---- views ----------------------------------------------------------------------

void CUpdateCtrlPage::ShowSoftwareView() {
    viewFlag_ = 0;
    if (versionLabel_)
        versionLabel_->SetText(std::wstring(updaterules::kSoftwareLabelPrefix) + updaterules::kCurrentVersion);
    ApplyViewButtons();
}

void CUpdateCtrlPage::ShowFirmwareView() {
    viewFlag_ = 1;
    {
        // The update thread writes the label text under the scene's lock too.
        CDUI_ParamLock lock(scene_);
        // Until the controller answers (and without an answer) the view shows
        // the last firmware version it knew, never the software version of
        // the other view.
        if (versionLabel_) versionLabel_->SetText(firmwareLabel_);
    }
    ApplyViewButtons();
    COVFanLedDevice* device = host_ ? host_->Services().device : nullptr;
    if (flashing_ || !device || versionQuery_.IsBusy()) return;
    auto answered = [this](const ControllerVersion* version) { OnControllerVersion(version); };
    if (!versionQuery_.Run<ControllerVersion>(
            [device] {
                ControllerVersion version;
                version.answered = device->QueryVersion(&version.text);
                return version;
            },
            answered, account::kRequestDeadlineMs))
        answered(nullptr);
}

void CUpdateCtrlPage::OnControllerVersion(const ControllerVersion* version) {
    // A flash started meanwhile tells the version itself when it ends.
    if (!version || !version->answered || flashing_) return;
    CDUI_ParamLock lock(scene_);
    firmwareLabel_ = updaterules::kFirmwareLabelPrefix + updaterules::ControllerRelease(version->text);
    if (viewFlag_ == 1 && versionLabel_) versionLabel_->SetText(firmwareLabel_);
}

void CUpdateCtrlPage::ApplyViewButtons() {
    const int idle = flashing_ ? 0 : 1;
    const int firmware = viewFlag_ == 1;
    if (updateButton_) updateButton_->SetVisible(idle && !firmware);
    if (flashButton_) flashButton_->SetVisible(idle && firmware);
    if (restartButton_) restartButton_->SetVisible(idle && firmware);
    if (resetButton_) resetButton_->SetVisible(idle && firmware);
}

// ---- input ------------------------------------------------------------------------

void CUpdateCtrlPage::OnClicked(CDUI_UIControl* control, const CDUI_EventRecord*, void* user) {
    static_cast<CUpdateCtrlPage*>(user)->HandleClick(control);
}

void CUpdateCtrlPage::OnBoxResult(CDUI_UIControl*, int32_t result, void* user) {
    static_cast<CUpdateCtrlPage*>(user)->HandleBoxResult(result);
}

void CUpdateCtrlPage::HandleClick(CDUI_UIControl* control) {
    if (control == returnButton_) {
        if (host_) host_->ShowHomeView();
    } else if (control == softwareOption_) {
        ShowSoftwareView();
    } else if (control == firmwareOption_) {
        ShowFirmwareView();
    } else if (control == updateButton_) {
        if (viewFlag_ == 0) OfferSoftwareUpdate(0);
    } else if (control == flashButton_) {
        OfferFirmwareUpdate();
    } else if (control == restartButton_) {
        AskRestart();
    } else if (control == resetButton_) {
        AskFactoryReset();
    }
}

void CUpdateCtrlPage::HandleBoxResult(int32_t result) {
    const auto what = static_cast<Pending>(pending_.exchange(static_cast<int>(Pending::None)));
    if (result != kMsgYes) return;
    switch (what) {
    case Pending::Software:
        StartUpdater();
        break;
    case Pending::Firmware:
        StartFirmwareUpdate();
        break;
    case Pending::Restart:
        RunMaintenance(0);
        break;
    case Pending::Reset:
        RunMaintenance(1);
        break;
    default:
        break;
    }
}

void CUpdateCtrlPage::Inform(const std::wstring& text) {
    pending_ = static_cast<int>(Pending::None);
    if (box_) box_->ShowMessage(text, 3, 2);
}

void CUpdateCtrlPage::Ask(Pending what, const std::wstring& text) {
    pending_ = static_cast<int>(what);
    if (box_) box_->ShowMessage(text, 4, 5);
}

// ---- software update ----------------------------------------------------------------

void CUpdateCtrlPage::ShowMainWindowOnUpdatePage() {
    CApplicationEnv* env = host_ ? host_->Services().env : nullptr;
    if (env && env->GetWindowHandle()) ShowWindow(env->GetWindowHandle(), SW_SHOWNORMAL);
    if (host_) host_->ShowPage(ClientPageId::Update);
}

void CUpdateCtrlPage::SetBusy(CDUI_Button* button, const wchar_t* busyText, int busy) {
    if (!button) return;
    const wchar_t* own = button == updateButton_    ? kCheckButtonText
                         : button == flashButton_   ? kFlashButtonText
                         : button == restartButton_ ? kRestartButtonText
                                                    : kResetButtonText;
    button->SetText(busy ? busyText : own);
    button->SetEnabled(busy ? 0 : 1);
}

void CUpdateCtrlPage::OfferSoftwareUpdate(int silent) {
    // Handing over to the updater would end the program in the middle of a flash.
    if (flashing_) return;
    if (!silent) {
        // Shown at once, busy, so the user sees the check running.
        checkSilent_ = 0;
        ShowMainWindowOnUpdatePage();
        SetBusy(updateButton_, L"检查中…", 1);
    }
    if (softwareCheck_.IsBusy()) return;  // the running check answers this call too
    checkSilent_ = silent;
    CApplicationEnv* env = host_ ? host_->Services().env : nullptr;
    const std::wstring folder = env ? env->GetProgramFolder() : std::wstring();
    auto checked = [this](const SoftwareCheck* check) { OnSoftwareChecked(check); };
    if (folder.empty() || !softwareCheck_.Run<SoftwareCheck>(
                              [folder] {
                                  SoftwareCheck check;
                                  check.result = CheckSoftwareUpdate(folder, &check.version);
                                  return check;
                              },
                              checked, account::kRequestDeadlineMs))
        checked(nullptr);
}

void CUpdateCtrlPage::OnSoftwareChecked(const SoftwareCheck* check) {
    SetBusy(updateButton_, nullptr, 0);
    // A firmware update started meanwhile: no updater hand-over in the middle of it.
    if (flashing_) return;
    const SoftwareCheckResult result = check ? check->result : SoftwareCheckResult::Failed;
    if (result == SoftwareCheckResult::Newer) {
        newSoftwareVersion_ = check->version;
        ShowMainWindowOnUpdatePage();
        Ask(Pending::Software, updaterules::SoftwareOfferText(check->version));
        return;
    }
    if (checkSilent_) return;
    ShowMainWindowOnUpdatePage();
    Inform(result == SoftwareCheckResult::UpToDate ? updaterules::kUpToDateText : updaterules::kCheckFailedText);
}

void CUpdateCtrlPage::StartUpdater() {
    CApplicationEnv* env = host_ ? host_->Services().env : nullptr;
    const std::wstring updater = env ? env->GetProgramFolder() + updaterules::kUpdaterFile : std::wstring();
    // Its command line is its own path, quoted: without one Windows passes
    // the bare path, which a folder with blanks splits into several words.
    if (updater.empty() || !StartProcess(updater, L"\"" + updater + L"\"", 1)) {
        Inform(updaterules::kUpdaterFailedText);
        return;
    }
    // Posted, not sent: the close must not tear the page down under this
    // very callback.
    if (env->GetWindowHandle()) PostMessageW(env->GetWindowHandle(), WM_CLOSE, 0, 0);
}

// ---- firmware update -------------------------------------------------------------------

void CUpdateCtrlPage::OfferFirmwareUpdate() {
    if (flashing_ || firmwareQuery_.IsBusy() || maintenance_.IsBusy()) return;
    SetBusy(flashButton_, L"检查中…", 1);
    COVFanLedDevice* device = host_ ? host_->Services().device : nullptr;
    auto queried = [this](const FirmwareQuery* query) { OnFirmwareQueried(query); };
    if (!firmwareQuery_.Run<FirmwareQuery>(
            [device] {
                // The server first; the controller only when there is a version to compare.
                FirmwareQuery query;
                query.found = QueryNewFirmware(&query.version, &query.address);
                if (query.found && device && !CWorkerTask::Stopped())
                    query.answered = device->QueryVersion(&query.controllerText);
                return query;
            },
            queried, account::kRequestDeadlineMs))
        queried(nullptr);
}

void CUpdateCtrlPage::OnFirmwareQueried(const FirmwareQuery* query) {
    SetBusy(flashButton_, nullptr, 0);
    if (flashing_) return;
    if (!query || !query->found) {
        Inform(updaterules::kFirmwareQueryFailedText);
        return;
    }
    newFirmware_ = query->version;
    firmwareAddress_ = query->address;
    // A controller that does not tell its version ends the check silently.
    if (!query->answered) return;
    if (newFirmware_ > updaterules::ControllerReleaseNumber(query->controllerText))
        Ask(Pending::Firmware, updaterules::FirmwareOfferText(newFirmware_));
    else
        Inform(updaterules::kFirmwareNewestText);
}

void CUpdateCtrlPage::StartFirmwareUpdate() {
    if (flashing_ || stopping_) return;
    if (worker_.joinable()) worker_.join();  // the last one has finished: flashing_ is 0
    flashing_ = 1;
    ApplyViewButtons();
    if (progress_) {
        progress_->SetProgress(0);
        progress_->SetVisible(1);
    }
    if (updatingLabel_) updatingLabel_->SetVisible(1);
    worker_ = std::thread(&CUpdateCtrlPage::RunFirmwareUpdate, this);
}

void CUpdateCtrlPage::RunFirmwareUpdate() {
    CApplicationEnv* env = host_->Services().env;
    COVFanLedDevice* device = host_->Services().device;
    FlashFiles files;
    if (env) {
        files.firmwareFile = env->GetDataFolder() + updaterules::kFirmwareFile;
        files.toolFile = env->GetProgramFolder() + updaterules::kFlashToolFile;
    }
    FlashHost flashHost(this);
    const int ok = env ? FlashFirmware(firmwareAddress_, files, &flashHost) : 0;
    std::wstring text;
    const int haveVersion = ok && device && device->QueryVersion(&text);

    UiLock ui(scene_, stopping_);
    flashing_ = 0;
    if (!ui.Ok()) return;  // shutting down: nobody is left to tell
    if (haveVersion) {
        firmwareLabel_ = updaterules::kFirmwareLabelPrefix + updaterules::ControllerRelease(text);
        if (viewFlag_ == 1 && versionLabel_) versionLabel_->SetText(firmwareLabel_);
    }
    if (progress_) progress_->SetVisible(0);
    if (updatingLabel_) updatingLabel_->SetVisible(0);
    ApplyViewButtons();
    Inform(ok ? updaterules::kFlashSucceededText : updaterules::kFlashFailedText);
}

// ---- restart and factory reset -------------------------------------------------------------

void CUpdateCtrlPage::AskRestart() {
    if (flashing_ || maintenance_.IsBusy()) return;
    Ask(Pending::Restart, updaterules::kRestartAskText);
}

void CUpdateCtrlPage::AskFactoryReset() {
    if (flashing_ || maintenance_.IsBusy()) return;
    Ask(Pending::Reset, updaterules::kResetAskText);
}

void CUpdateCtrlPage::RunMaintenance(int factoryReset) {
    if (flashing_ || maintenance_.IsBusy()) return;
    COVFanLedDevice* device = host_ ? host_->Services().device : nullptr;
    CDUI_Button* button = factoryReset ? resetButton_ : restartButton_;
    // Two seconds of pauses and three exchanges: on a worker, the button
    // busy and the other controller buttons, refused meanwhile, disabled.
    CDUI_Button* other = factoryReset ? restartButton_ : resetButton_;
    SetBusy(button, factoryReset ? L"恢复中…" : L"重启中…", 1);
    if (other) other->SetEnabled(0);
    if (flashButton_ && !firmwareQuery_.IsBusy()) flashButton_->SetEnabled(0);
    auto done = [this, factoryReset, button, other](const int* reopened) {
        SetBusy(button, nullptr, 0);
        if (other) other->SetEnabled(1);
        if (flashButton_ && !firmwareQuery_.IsBusy()) flashButton_->SetEnabled(1);
        const int ok = reopened && *reopened;
        if (factoryReset)
            Inform(ok ? updaterules::kResetDoneText : updaterules::kResetFailedText);
        else
            Inform(ok ? updaterules::kRestartDoneText : updaterules::kRestartFailedText);
    };
    if (!maintenance_.Run<int>([device, factoryReset] { return RestartAndReopen(device, factoryReset); }, done,
                               account::kRequestDeadlineMs))
        done(nullptr);
}
