#pragma once
// Assistive technology's way into one scene: the keyboard focus, the answer
// to WM_GETOBJECT (MSAA objects for OBJID_CLIENT, UI Automation providers
// for UiaRootObjectId where uiautomationcore.dll is there), the events a
// screen reader listens for, and the actions those tools ask for, run on the
// window's thread as if the user had done them.
#include <windows.h>

#include <memory>

class CDUI_UIScene;
class CDUI_KeyboardFocus;
struct DUI_AccessShared;

class CDUI_AccessHost {
public:
    // scene and host: borrowed; the host is the scene's window. Built and
    // destroyed on the window's thread.
    CDUI_AccessHost(CDUI_UIScene* scene, HWND host);
    ~CDUI_AccessHost();
    CDUI_AccessHost(const CDUI_AccessHost&) = delete;
    CDUI_AccessHost& operator=(const CDUI_AccessHost&) = delete;

    // Before the scene sees a host message: WM_GETOBJECT, the posted actions
    // and the keys the focus takes. 1 with *result when handled here.
    int HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // After the scene saw a host message.
    void AfterMessage();

    CDUI_KeyboardFocus* Focus() const { return focus_.get(); }

private:
    std::unique_ptr<CDUI_KeyboardFocus> focus_;
    std::shared_ptr<DUI_AccessShared> shared_;  // also held by every object handed out
    HRESULT com_ = E_FAIL;
};
