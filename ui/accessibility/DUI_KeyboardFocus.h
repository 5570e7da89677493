#pragma once
// The keyboard focus of one scene: Tab and Shift+Tab walk the focusable
// controls of the view in reading order, Space and Enter press the focused
// one, Esc closes the message box or dialog on top, the arrow keys move
// between the tabs of a row (and step lists and sliders). The focused
// control carries a ring in the accent colour once the keyboard was used.
// All of it runs on the window's thread; the ring is painted by the scene's
// own paint pass under its lock.
#include <windows.h>

#include <cstdint>
#include <functional>

class CDUI_UIControl;
class CDUI_UIScene;

class CDUI_KeyboardFocus {
public:
    enum Event { kFocusMoved = 0, kDialogOpened = 1 };
    using Listener = std::function<void(Event event, CDUI_UIControl* control, int32_t item)>;

    explicit CDUI_KeyboardFocus(CDUI_UIScene* scene);
    ~CDUI_KeyboardFocus();
    CDUI_KeyboardFocus(const CDUI_KeyboardFocus&) = delete;
    CDUI_KeyboardFocus& operator=(const CDUI_KeyboardFocus&) = delete;

    // Before the scene sees a host message: 1 when the key was taken here.
    int OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // After every host message: a message box that appeared since takes the
    // focus (and is announced).
    void AfterMessage();

    // The focused control (and list row, -1 for none); nullptr when none.
    CDUI_UIControl* Focused(int32_t* item = nullptr) const;
    // Focus to control from an assistive tool; 0 when it cannot take it.
    int FocusControl(CDUI_UIControl* control, int32_t item);
    int RingShown() const { return ringShown_; }
    void SetListener(Listener listener) { listener_ = std::move(listener); }

    // The ring's colour (ARGB) and how far it stands off the control.
    static constexpr uint32_t kRingColor = 0xFFFF6A00;
    static constexpr int32_t kRingGap = 3;
    static constexpr int32_t kRingWidth = 2;

private:
    int OnKeyDown(WPARAM key);
    int MoveTab(int forward);
    int MoveInRow(int forward);
    int Escape();
    // Focus to control; shows the ring when keyboard is set.
    void SetFocused(CDUI_UIControl* control, int32_t item, int keyboard);
    void InvalidateRing();
    static void PaintRing(CDUI_UIControl* control, void* graphics, void* user);

    CDUI_UIScene* scene_;              // borrowed; outlives this object
    CDUI_UIControl* focused_ = nullptr;  // compared; used after DUI_IsLiveControl only
    int32_t focusedItem_ = -1;
    int ringShown_ = 0;
    CDUI_UIControl* lastModal_ = nullptr;  // compared only
    Listener listener_;
};
