#pragma once
// Keeps the controller link in step with Windows and the user: it passes
// Windows' device and power notifications to the controller device, shows a
// lost controller in the tray tooltip, and asks for the user's lights and
// fans again when the controller has come back by itself.
//
// The device tells its link changes on whatever thread noticed them (often
// the fan page's sensing thread); they are posted to the top-level window as
// WM_CONTROLLERLINK and handled here on the interface thread.
#include <windows.h>

#include <functional>
#include <string>

#include "AppHooks.h"

class CClientTaskBar;
class COVFanLedDevice;

class CControllerWatch : public IWindowMessageFilter {
public:
    static constexpr const wchar_t* kNotConnectedLine = L"控制器未连接";

    CControllerWatch() = default;
    ~CControllerWatch() override;
    CControllerWatch(const CControllerWatch&) = delete;
    CControllerWatch& operator=(const CControllerWatch&) = delete;

    // All borrowed; window and taskBar may be null. onReturn runs on the
    // interface thread once for each return of the controller.
    int Start(HWND window, COVFanLedDevice* device, CClientTaskBar* taskBar, std::function<void()> onReturn);
    // Stops the notifications and the device's reports; call after the
    // device was closed.
    void Stop();
    // The tooltip for the link as it is now.
    void ShowLinkState();

    // WM_DEVICECHANGE, WM_POWERBROADCAST and WM_CONTROLLERLINK; 1 when the
    // message was taken (its result in *result).
    int HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    void OnDeviceChange(WPARAM event, LPARAM data);

    HWND window_ = nullptr;               // borrowed: the top-level window
    COVFanLedDevice* device_ = nullptr;   // borrowed
    CClientTaskBar* taskBar_ = nullptr;   // borrowed
    std::function<void()> onReturn_;
    HDEVNOTIFY notification_ = nullptr;   // owned: HID interface arrivals and removals
};

// The tray tooltip: the program's own, and a second line while the
// controller is not connected.
std::wstring ControllerTooltip(const std::wstring& base, int linkLost);
