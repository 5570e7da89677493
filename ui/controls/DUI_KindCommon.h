#pragma once
// Pieces every standard control kind shares: the kind-event callback, skin
// rect conversion and drawing a skin piece with the control's opacity.
#include <cstdint>

#include "core/DUI_Types.h"
#include "skin/DUI_Styles.h"

class CDUI_UIControl;
class CDUI_UIResource;
namespace Gdiplus {
class Graphics;
}

// A kind event (601, 1301, 1801, 4401, ...) reaches the page with the
// control, the event's value and the page's user value.
using DUI_KindCallback = void (*)(CDUI_UIControl* control, int32_t value, void* user);

struct DUI_KindCallbackEntry {
    DUI_KindCallback callback = nullptr;
    void* user = nullptr;
    explicit operator bool() const { return callback != nullptr; }
    void Call(CDUI_UIControl* control, int32_t value) const {
        if (callback) callback(control, value, user);
    }
};

// Kind event codes.
constexpr int32_t kDuiCheckBoxEvent = 601;
constexpr int32_t kDuiSliderValueEvent = 1301;
constexpr int32_t kDuiSliderDragStartEvent = 1302;
constexpr int32_t kDuiSliderDragEndEvent = 1303;
constexpr int32_t kDuiTextChangedEvent = 1801;
constexpr int32_t kDuiMessageBoxEvent = 2501;
constexpr int32_t kDuiColorEvent = 4401;
constexpr int32_t kDuiNavigationSelectEvent = 4601;
constexpr int32_t kDuiNavigationToggleEvent = 4602;
constexpr int32_t kDuiPushButtonEvent = 4701;

inline DUI_Rect DUI_FromSkin(const DUI_SkinRect& r) { return {r.x, r.y, r.width, r.height}; }
inline DUI_SkinRect DUI_ToSkin(const DUI_Rect& r) { return {r.x, r.y, r.width, r.height}; }

// Draws a rectangle of the skin image into dest (stretched or at its own
// size), blended with the control's opacity. Nothing for an empty source.
int DUI_DrawSkinPiece(CDUI_UIControl* control, Gdiplus::Graphics* graphics, const DUI_Rect& dest,
                      const DUI_SkinRect& source, int stretch);
// The same outside a control's paint pass: the skin image blended with alpha 0..255.
int DUI_DrawSkinRect(CDUI_UIResource* resource, Gdiplus::Graphics* graphics, const DUI_Rect& dest,
                     const DUI_SkinRect& source, int stretch, uint8_t alpha);
// Size of the decoded skin image (0, 0 when there is none).
void DUI_SkinImageSize(CDUI_UIResource* resource, int32_t* width, int32_t* height);

