#include "ControllerWatch.h"

#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}

#include <vector>

#include "AppCommands.h"
#include "ClientTaskBar.h"
#include "OVDeviceProtocol.h"
#include "OVFanLedDevice.h"

namespace {
constexpr const wchar_t* kTooltip = L"reru";
}

std::wstring ControllerTooltip(const std::wstring& base, int linkLost) {
    return linkLost ? base + L"\n" + CControllerWatch::kNotConnectedLine : base;
}

CControllerWatch::~CControllerWatch() { Stop(); }

int CControllerWatch::Start(HWND window, COVFanLedDevice* device, CClientTaskBar* taskBar,
                            std::function<void()> onReturn) {
    Stop();
    window_ = window;
    device_ = device;
    taskBar_ = taskBar;
    onReturn_ = std::move(onReturn);
    if (!device_ || !window_) return 1;
    // The observer holds only the window handle: a report still on its way
    // when the window is gone is dropped by PostMessage.
    device_->SetLinkObserver([window](OVLinkEvent event) {
        PostMessageW(window, WM_CONTROLLERLINK, static_cast<WPARAM>(event), 0);
    });
    // Arrivals and removals of HID interfaces come to the window; the
    // controller is one of them. Resume reports come to every top-level
    // window without asking.
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HidD_GetHidGuid(&filter.dbcc_classguid);
    notification_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    return 1;
}

void CControllerWatch::Stop() {
    if (notification_) UnregisterDeviceNotification(notification_);
    notification_ = nullptr;
    if (device_) device_->SetLinkObserver(nullptr);
    device_ = nullptr;
    taskBar_ = nullptr;
    window_ = nullptr;
    onReturn_ = nullptr;
}

void CControllerWatch::ShowLinkState() {
    if (taskBar_ && device_) taskBar_->SetTooltip(ControllerTooltip(kTooltip, device_->IsLinkLost()));
}

int CControllerWatch::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!device_) return 0;
    switch (message) {
    case WM_DEVICECHANGE:
        OnDeviceChange(wParam, lParam);
        if (result) *result = TRUE;
        return 1;
    case WM_POWERBROADCAST:
        // Back from sleep: a controller lost before or during the sleep is
        // looked for now. One that kept its handle needs nothing; if the bus
        // was re-enumerated, removal and arrival reports follow.
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) device_->LookForControllerNow();
        return 0;  // the default answer (TRUE) stands
    case WM_CONTROLLERLINK:
        ShowLinkState();
        // The device reported the return of a lost controller once; the
        // user's settings go back once, on this thread.
        if (static_cast<OVLinkEvent>(wParam) == OVLinkEvent::kReturned && onReturn_) onReturn_();
        if (result) *result = 0;
        return 1;
    default:
        return 0;
    }
}

void CControllerWatch::OnDeviceChange(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return;
    const auto* item = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    const std::wstring path = item->dbcc_name;
    if (event == DBT_DEVICEREMOVECOMPLETE) {
        device_->OnInterfaceRemoved(path);
    } else if (!ovproto::SelectControllerPath({path}).empty()) {
        // Only the controller's own interface: other HID devices come and
        // go without a search.
        device_->LookForControllerNow();
    }
}
