#pragma once
// The root of the control tree for one host window. Owns the parameter lock
// that serialises the tree between the UI thread, worker threads and the
// render thread, the dirty area, and the entry point for host messages.
#include <memory>

#include "WinHandles.h"
#include "core/DUI_UICollection.h"

class CDUI_UIDirtyArea;

class CDUI_UIScene : public CDUI_UICollection {
public:
    // Built by CDUI_UIResource::CreateScene. eventMessage: the message that
    // carries posted events to host (2026 in this program).
    CDUI_UIScene(CDUI_UIResource* resource, CDUI_UIControlStyle* style, HWND host, int32_t width, int32_t height,
                 UINT eventMessage);
    ~CDUI_UIScene() override;

    void ReleaseResources() override;
    CDUI_UIScene* GetScene() override { return this; }
    // The children are offered by ForwardMessage itself; as a control the
    // scene has nothing more to pass on.
    int OnRawMessage(UINT, WPARAM, LPARAM) override { return 0; }

    HANDLE GetParamMutex() const { return paramMutex_.Get(); }
    HWND GetHostWindow() const { return host_; }
    UINT GetEventMessage() const { return eventMessage_; }

    // 1: events run at once on the firing thread instead of being posted.
    void SetDirectDelivery(int flag) { directDelivery_ = flag ? 1 : 0; }
    int GetDirectDelivery() const { return directDelivery_; }
    // Behaviour when no child takes a message: clear the focus on a press,
    // offer the message to the scene itself, and report that result.
    void SetClearFocusOnPress(int flag) { clearFocusOnPress_ = flag ? 1 : 0; }
    void SetFallback(int flag) { fallback_ = flag ? 1 : 0; }
    void SetTakeFallbackResult(int flag) { takeFallbackResult_ = flag ? 1 : 0; }

    // Posts the record to the host window (wParam control, lParam record).
    int PostEvent(CDUI_UIControl* control, CDUI_EventRecord* record);
    // Entry for host window messages (1 = handled): posted events, then the
    // mouse, keyboard, IME and accelerator messages dispatched to the tree.
    int ForwardMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Dirty area: one bounding rectangle of everything invalidated since the
    // last frame. Negative origins are moved to 0; empty rectangles ignored.
    void InvalidateRect(const DUI_Rect& rect);
    // Moves the pending rectangle into *current; 0 when nothing is pending.
    int TakeDirty(DUI_Rect* current);
    DUI_Rect PeekDirty();
    // Off while the scene is torn down, so late invalidations are dropped.
    void EnableDirty(int flag);
    CDUI_UIDirtyArea* GetDirtyArea() { return dirty_.get(); }

    // Paints the dirty part of the tree into dc (a 32-bit DIB section's DC)
    // under the parameter lock. Returns 1 when something was painted.
    int PaintFrame(HDC dc);

    // The control where the current press of button (0 left, 1 right,
    // 2 middle) began; a click needs the release on the same control.
    CDUI_UIControl* GetPressOrigin(int button) const { return pressOrigin_[button]; }
    void SetPressOrigin(int button, CDUI_UIControl* control) { pressOrigin_[button] = control; }

private:
    win::CUniqueHandle paramMutex_;
    HWND host_ = nullptr;
    UINT eventMessage_ = 0;
    int directDelivery_ = 0;
    int clearFocusOnPress_ = 0;
    int fallback_ = 0;
    int takeFallbackResult_ = 0;
    CDUI_UIControl* pressOrigin_[3] = {nullptr, nullptr, nullptr};  // compared, never dereferenced

    std::unique_ptr<CDUI_UIDirtyArea> dirty_;
};

// The host messages that reach the control tree.
bool DUI_IsSceneInputMessage(UINT message, WPARAM wParam);
