#pragma once
// The root of the control tree for one host window. Owns the parameter lock
// that serialises the tree between the UI thread, worker threads and the
// render thread, the dirty area, and the entry point for host messages.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
    // The tree, then the layers above it: the dimming under a modal control,
    // the pop-ups and modal controls themselves, and the hint.
    void PaintChildren(Gdiplus::Graphics* graphics) override;
    // The children are offered by ForwardMessage itself; as a control the
    // scene has nothing more to pass on.
    int OnRawMessage(UINT, WPARAM, LPARAM) override { return 0; }

    HANDLE GetParamMutex() const { return paramMutex_.Get(); }
    // The parameter lock as CDUI_ParamLock takes it: the mutex is waited for
    // once per thread, nested scopes of the owner only count. Under Wine
    // every wait and release of a mutex is a round trip to the server, and
    // a frame or an inspection of the tree nests thousands of scopes.
    // Enter returns 1 when the lock is held (Leave must follow).
    int EnterParamLock();
    void LeaveParamLock();
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

    // Drawing scale: the tree, its dirty area and its hit-testing stay in
    // scene (logical) units; the frame has scene size * scale pixels, and
    // pointer positions in the host's pixels are divided back. Set while
    // the render thread is stopped.
    void SetScale(double scale);
    double GetScale() const { return scale_; }
    // A point in the host window's client pixels, in scene units.
    POINT ToScenePoint(POINT clientPixels) const;

    // Paints the dirty part of the tree into dc (a 32-bit DIB section's DC)
    // under the parameter lock. Returns 1 when something was painted. At a
    // scale other than 1 the whole pixels the dirty rectangle touches are
    // cleared and repainted, and nothing outside them is touched.
    int PaintFrame(HDC dc);
    // The pixel rectangle the last painted frame covered (what needs presenting).
    DUI_Rect GetLastPainted() const { return lastPainted_; }
    // Run at the end of every frame that painted something, on the painting
    // thread and still under the parameter lock: the tree exactly as that
    // frame shows it (the inspection dump reads it there). Set it while
    // nothing paints.
    void SetPaintedHook(std::function<void()> hook) { paintedHook_ = std::move(hook); }
    // Lock-free: whether a frame would paint anything (for the frame timer).
    int HasPendingDirty() const;
    // Run when something becomes pending after a frame took everything, on
    // the invalidating thread (see CDUI_UIDirtyArea::SetPendingHook).
    void SetDirtyHook(std::function<void()> hook);

    // The control where the current press of button (0 left, 1 right,
    // 2 middle) began; a click needs the release on the same control.
    CDUI_UIControl* GetPressOrigin(int button) const { return pressOrigin_[button]; }
    void SetPressOrigin(int button, CDUI_UIControl* control) { pressOrigin_[button] = control; }

    // ---- layers above the tree ----
    // A modal control (a shown message box) is painted above everything, the
    // rest of the scene dimmed under it, and only it gets mouse and keyboard
    // input until it is popped. Modal controls stack; the newest one rules.
    int PushModal(CDUI_UIControl* control);
    int PopModal(CDUI_UIControl* control);
    CDUI_UIControl* GetModal();
    // ARGB painted over the scene under a modal control (0: no dimming).
    void SetDimColor(uint32_t argb);
    uint32_t GetDimColor() const { return dimColor_; }
    // A pop-up (an open drop-down list) is painted above the tree, unclipped
    // by its parents, and offered mouse messages before the tree. A press
    // outside it and outside keepOpen (its owner) calls dismiss.
    int AddPopup(CDUI_UIControl* control, CDUI_UIControl* keepOpen, std::function<void()> dismiss);
    int RemovePopup(CDUI_UIControl* control);
    int IsPopup(CDUI_UIControl* control);
    // Controls above the tree are painted by the scene itself, not by their parents.
    int IsLayeredAbove(CDUI_UIControl* control);
    int IsPaintingAbove() const { return paintingAbove_; }
    // A control was shown or hidden: a modal box below it starts or stops
    // dimming the whole scene.
    void NoteVisibility(CDUI_UIControl* control);
    // Forgets control and everything below it (it leaves the tree).
    void ForgetSubtree(CDUI_UIControl* control);
    // Takes over a control already out of the tree that a dispatch on the
    // stack or a posted event may still name, and frees it on the window's
    // thread at the next host message outside any dispatch (never in a
    // frame: the painter runs on its own thread).
    void RetireControl(CDUI_UIControl* control);

    // The hint display: the text of the hinted control under the pointer,
    // in a small box next to it. Empty text hides it.
    void ShowHint(CDUI_UIControl* owner, const std::wstring& text, int32_t x, int32_t y);
    // Called by the dispatch for a hinted control under the pointer.
    void ClaimHint(CDUI_UIControl* owner, const std::wstring& text, int32_t x, int32_t y);
    std::wstring GetHintText();
    CDUI_UIControl* GetHintOwner();
    DUI_Rect GetHintRect();

private:
    win::CUniqueHandle paramMutex_;
    std::atomic<DWORD> lockOwner_{0};  // thread inside CDUI_ParamLock scopes, 0: none
    int lockDepth_ = 0;                // their nesting, touched by the owner only
    HWND host_ = nullptr;
    UINT eventMessage_ = 0;
    int directDelivery_ = 0;
    int clearFocusOnPress_ = 0;
    int fallback_ = 0;
    int takeFallbackResult_ = 0;
    CDUI_UIControl* pressOrigin_[3] = {nullptr, nullptr, nullptr};  // compared, never dereferenced

    struct Popup {
        CDUI_UIControl* control;   // borrowed, in the tree
        CDUI_UIControl* keepOpen;  // borrowed, may be null
        std::function<void()> dismiss;
    };
    void PaintAbove(CDUI_UIControl* control, Gdiplus::Graphics* graphics);
    int DispatchAbove(UINT message, WPARAM wParam, LPARAM lParam, int* handled);
    void InvalidateAll();
    CDUI_UIControl* ActiveModal();
    std::vector<CDUI_UIControl*> modals_;  // borrowed, in the tree; the last one rules
    std::vector<Popup> popups_;
    uint32_t dimColor_ = 0x99000000;
    int paintingAbove_ = 0;  // the layers above the tree are being painted
    CDUI_UIControl* hintOwner_ = nullptr;  // borrowed
    std::wstring hintShown_;
    int hintClaimed_ = 0;  // a control took the hint during this mouse move
    DUI_Rect hintRect_;

    double scale_ = 1.0;
    void FreeRetiredControls();
    std::vector<CDUI_UIControl*> retired_;  // owned, out of the tree; under the lock
    std::atomic<int> retiredCount_{0};      // its size, read without the lock
    int dispatchDepth_ = 0;                 // ForwardMessage calls on the window's thread's stack

    std::unique_ptr<CDUI_UIDirtyArea> dirty_;
    DUI_Rect lastPainted_;  // written by the render thread under the paint lock
    std::function<void()> paintedHook_;
};

// The host messages that reach the control tree.
bool DUI_IsSceneInputMessage(UINT message, WPARAM wParam);
