#pragma once
// Small value types shared by the control model, the scene and the kinds.
#include <cstdint>

#include "graphics/UIRect.h"

class CDUI_UIControl;

// Rectangles inside the engine are x, y, width, height; empty when the width
// or the height is 0 or less. The same rectangle the drawing objects take
// (DUIRect), so a control's rectangle goes to them as it is.
struct DUI_Rect : DUIRect {
    DUI_Rect() = default;
    DUI_Rect(int32_t x_, int32_t y_, int32_t width_, int32_t height_) : DUIRect{x_, y_, width_, height_} {}
    DUI_Rect(const DUIRect& r) : DUIRect(r) {}  // NOLINT: implicit on purpose
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    // Right and bottom edges excluded.
    bool Contains(int32_t px, int32_t py) const {
        return width > 0 && height > 0 && px >= x && py >= y && int64_t(px) < int64_t(x) + width &&
               int64_t(py) < int64_t(y) + height;
    }
};

bool operator==(const DUI_Rect& a, const DUI_Rect& b);
// Intersection; an empty rectangle (all zero) when they do not overlap.
DUI_Rect DUI_Intersect(const DUI_Rect& a, const DUI_Rect& b);
// Bounding box; an empty input is ignored.
DUI_Rect DUI_Union(const DUI_Rect& a, const DUI_Rect& b);

// The event record: code, up to four arguments, an optional pointer.
struct CDUI_EventRecord {
    int32_t code = 0;
    int32_t arg[4] = {0, 0, 0, 0};
    void* pointer = nullptr;
};

// Receives the control, the event and the user value given with the callback.
using DUI_EventCallback = void (*)(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);

// Raw message hooks around a control's dispatch (pre-hook before, post-hook
// after with the result); a pre-hook returning 1 takes the message.
using DUI_MessageHook = int (*)(CDUI_UIControl* control, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                void* user);
// Paint hooks called before and after a control is painted.
using DUI_PaintHook = void (*)(CDUI_UIControl* control, void* graphics, void* user);

// Common event codes (1 to 32); kinds use their own above 100.
enum DUI_EventCode : int32_t {
    DUI_EVT_MOUSEMOVE = 1,
    DUI_EVT_MOUSEWHEEL = 2,
    DUI_EVT_LBUTTONDOWN = 3,
    DUI_EVT_LBUTTONUP = 4,
    DUI_EVT_LCLICK = 5,
    DUI_EVT_LDBLCLK = 6,
    DUI_EVT_RBUTTONDOWN = 7,
    DUI_EVT_RBUTTONUP = 8,
    DUI_EVT_RCLICK = 9,
    DUI_EVT_RDBLCLK = 10,
    DUI_EVT_MBUTTONDOWN = 11,
    DUI_EVT_MBUTTONUP = 12,
    DUI_EVT_MCLICK = 13,
    DUI_EVT_MDBLCLK = 14,
    DUI_EVT_MOUSEHOVER = 15,
    DUI_EVT_CHAR = 16,
    DUI_EVT_IMECHAR = 17,
    DUI_EVT_KEYDOWN = 18,
    DUI_EVT_KEYUP = 19,
    DUI_EVT_CLICKED = 20,
    DUI_EVT_RCLICKED = 21,
    DUI_EVT_FOCUS = 22,
    DUI_EVT_DRAGSTART = 23,
    DUI_EVT_DRAGGING = 24,
    DUI_EVT_DRAGEND = 25,
    DUI_EVT_MOVEANIM_START = 26,
    DUI_EVT_MOVEANIM_STEP = 27,
    DUI_EVT_MOVEANIM_END = 28,
    DUI_EVT_FADE_START = 29,
    DUI_EVT_FADE_STEP = 30,
    DUI_EVT_FADE_END = 31,
    DUI_EVT_STATE = 32,
};
constexpr int32_t kDuiCommonEventCount = 32;

// Visual states set by the input dispatch.
enum DUI_State : int32_t { DUI_STATE_HOVER = 1, DUI_STATE_PRESSED = 2, DUI_STATE_RELEASED = 3, DUI_STATE_NORMAL = 4 };

// Layer a control is raised to while it is dragged.
constexpr int32_t kDuiDragLayer = 65000;

// A press becomes a drag only once the pointer leaves the drag rectangle
// (width x height, the system's SM_CXDRAG x SM_CYDRAG) centred on the press;
// smaller wobbles stay a click.
inline bool DUI_PastDragThreshold(int32_t dx, int32_t dy, int32_t width, int32_t height) {
    const int32_t halfW = width > 1 ? width / 2 : 1, halfH = height > 1 ? height / 2 : 1;
    return dx > halfW || dx < -halfW || dy > halfH || dy < -halfH;
}
// Milliseconds one painted frame advances the animations by.
constexpr int32_t kDuiFramePeriodMs = 30;
