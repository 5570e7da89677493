#include "controls/DUI_KindCommon.h"

#include "core/DUI_UIControl.h"
#include "graphics/GraphicsCtrl.h"
#include "skin/DUI_UIResource.h"

int DUI_DrawSkinPiece(CDUI_UIControl* control, Gdiplus::Graphics* graphics, const DUI_Rect& dest,
                      const DUI_SkinRect& source, int stretch) {
    if (!control || !graphics || source.width == 0 || source.height == 0 || dest.IsEmpty()) return 0;
    CDUI_UIResource* resource = control->GetResource();
    // The paint pass has set the skin image's blend and alpha for this control.
    return resource ? resource->DrawSkinRect(graphics, DUI_ToSkin(dest), source, stretch) : 0;
}

int DUI_DrawSkinRect(CDUI_UIResource* resource, Gdiplus::Graphics* graphics, const DUI_Rect& dest,
                     const DUI_SkinRect& source, int stretch, uint8_t alpha) {
    CGraphics_ImageCtrl* image = resource ? resource->GetSkinImage() : nullptr;
    if (!image || !graphics) return 0;
    image->SetAlpha(1, alpha);
    return resource->DrawSkinRect(graphics, DUI_ToSkin(dest), source, stretch);
}

void DUI_SkinImageSize(CDUI_UIResource* resource, int32_t* width, int32_t* height) {
    if (resource) {
        resource->GetSkinImageSize(width, height);
        return;
    }
    if (width) *width = 0;
    if (height) *height = 0;
}
