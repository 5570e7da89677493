#pragma once
// CUpdateCtrlPage: the update page. Its software view checks for a newer
// program and hands over to the updater; its firmware view updates the
// controller's firmware through the flashing tool and restarts or resets the
// controller. The main window's silent check and the tray's "检查更新" reach
// it through IUpdateChecker.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "ClientPages.h"
#include "FirmwareFlash.h"
#include "UpdateChecks.h"
#include "WorkerTask.h"

class CDUI_Button;
class CDUI_Label;
class CDUI_MessageBox;
class CDUI_OptionButton;
class CDUI_Panel;
class CDUI_Progress;
class CDUI_UIControl;
struct CDUI_EventRecord;

class CUpdateCtrlPage : public IClientPage, public IUpdatePageLink {
public:
    CUpdateCtrlPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
    ~CUpdateCtrlPage() override;
    CUpdateCtrlPage(const CUpdateCtrlPage&) = delete;
    CUpdateCtrlPage& operator=(const CUpdateCtrlPage&) = delete;

    // IClientPage
    int Create() override;
    // Software view, its option button selected.
    void Show() override;
    void Hide() override;
    // Ends a running firmware update: one that has not started the tool yet
    // stops there (the controller is given back); a running tool is waited
    // for, at most as long as any flash may take.
    void Shutdown() override;

    // IUpdateChecker: the software check; silent 1 shows nothing unless a
    // newer version exists. Ignored while a firmware update runs. Returns 1.
    // The check runs on a worker; its answer comes later.
    int CheckForUpdate(int silent) override;
    // IExitGuard: blocked while a firmware update runs; the explanation
    // shows the window with "固件升级中,请勿关闭程序!".
    int IsExitBlocked(std::wstring* reason) override;
    void ExplainExitBlocked() override;

    // The views and the operations behind the buttons.
    void ShowSoftwareView();
    void ShowFirmwareView();
    void OfferSoftwareUpdate(int silent);
    void OfferFirmwareUpdate();
    void AskRestart();
    void AskFactoryReset();

    int GetViewFlag() const { return viewFlag_; }
    int IsFirmwareUpdateRunning() const { return flashing_.load(); }
    // The page's controls by skin name ("UpdateButton", "UpdateProgress",
    // "UpdateVersionLabel", "UpdatingLabel", "UpdatePanel", "UpdateMessageBox", ...);
    // nullptr for an unknown name or before Create.
    CDUI_UIControl* Control(const std::wstring& name);

private:
    enum class Pending { None, Software, Firmware, Restart, Reset };

    class FlashHost;
    friend class FlashHost;

    static void OnClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    static void OnBoxResult(CDUI_UIControl* control, int32_t result, void* user);
    void HandleClick(CDUI_UIControl* control);
    void HandleBoxResult(int32_t result);

    void Inform(const std::wstring& text);
    void Ask(Pending what, const std::wstring& text);
    void ShowMainWindowOnUpdatePage();
    void StartUpdater();
    void StartFirmwareUpdate();
    void RunFirmwareUpdate();  // the update thread
    struct SoftwareCheck {
        SoftwareCheckResult result = SoftwareCheckResult::Failed;
        std::wstring version;
    };
    struct FirmwareQuery {
        int found = 0;
        uint32_t version = 0;
        std::wstring address;
        int answered = 0;            // the controller told its version
        std::wstring controllerText;  // its version text
    };
    struct ControllerVersion {
        int answered = 0;
        std::wstring text;
    };
    void OnSoftwareChecked(const SoftwareCheck* check);
    void OnFirmwareQueried(const FirmwareQuery* query);
    void OnControllerVersion(const ControllerVersion* version);
    // The button reads busyText and is disabled (busy 1), or is itself again
    // (its own text, enabled).
    void SetBusy(CDUI_Button* button, const wchar_t* busyText, int busy);
    void RunMaintenance(int factoryReset);
    // The buttons of the current view; none while a firmware update runs.
    void ApplyViewButtons();

    CDUI_UIResource* resource_;  // borrowed
    CDUI_UIScene* scene_;        // borrowed
    IClientHost* host_;          // borrowed: the client window

    // Controls, owned by their parent collections.
    CDUI_Panel* panel_ = nullptr;
    CDUI_Button* returnButton_ = nullptr;
    CDUI_Label* titleLabel_ = nullptr;
    CDUI_OptionButton* softwareOption_ = nullptr;
    CDUI_OptionButton* firmwareOption_ = nullptr;
    CDUI_Panel* card_ = nullptr;
    CDUI_Label* versionLabel_ = nullptr;
    CDUI_Label* updatingLabel_ = nullptr;
    CDUI_Progress* progress_ = nullptr;
    CDUI_Button* updateButton_ = nullptr;
    CDUI_Button* flashButton_ = nullptr;
    CDUI_Button* restartButton_ = nullptr;
    CDUI_Button* resetButton_ = nullptr;
    CDUI_MessageBox* box_ = nullptr;

    std::atomic<int> viewFlag_{0};     // 0 software view, 1 firmware view (read by the update thread)
    std::wstring firmwareLabel_;       // the firmware view's label text, last known
    std::wstring newSoftwareVersion_;  // from the last check that found one
    uint32_t newFirmware_ = 0;         // from the last version request
    std::wstring firmwareAddress_;     // from the last version request
    std::atomic<int> pending_{0};      // Pending: what the open confirmation box asks
    std::atomic<int> flashing_{0};     // a firmware update thread runs
    std::atomic<int> stopping_{0};     // shut-down: the thread leaves the interface alone
    std::thread worker_;               // the firmware update thread, joined at the next start or at shut-down
    int checkSilent_ = 0;              // the running software check shows only a newer version
    // Last: dropped before anything their answers would touch.
    CWorkerTask softwareCheck_;  // the update description
    CWorkerTask firmwareQuery_;  // the firmware version request, then the controller's version
    CWorkerTask versionQuery_;   // the controller's version for the firmware view
    CWorkerTask maintenance_;    // restart or factory reset, with the controller closed and opened again
};
