#pragma once
// A picture: by default a rectangle of the skin image (the style's
// SourceRect); or an image of its own loaded from a module resource, animated
// when it is a GIF.
#include <memory>

#include "core/DUI_UIControl.h"

class CDUI_Image_Style;
class CGDIPlug_ImageCtrl;
class CGDIPlug_GIFImageCtrl;

class CDUI_Image : public CDUI_UIControl {
public:
    CDUI_Image(CDUI_UIResource* resource, CDUI_Image_Style* style, int32_t id);
    ~CDUI_Image() override;
    void ReleaseResources() override;
    void Paint(Gdiplus::Graphics* graphics) override;

    // Loads resource id of module (its type found by enumeration); a GIF is
    // kept as an animation. The source becomes the whole image. 0 on failure
    // (the control then shows nothing of its own).
    int SetImageFromResource(HMODULE module, UINT resourceId);
    // Drops any own image and shows this rectangle of the skin image.
    int SetSkinRect(int32_t x, int32_t y, int32_t width, int32_t height);
    // Sets the control's size to the image's (own image or skin rectangle).
    int FitToImage();
    int HasOwnImage() const { return (image_ || gif_) ? 1 : 0; }
    int IsAnimated() const { return gif_ ? 1 : 0; }
    CGDIPlug_GIFImageCtrl* GetAnimation() { return gif_.get(); }

private:
    void DropOwnImage();
    std::unique_ptr<CGDIPlug_ImageCtrl> image_;
    std::unique_ptr<CGDIPlug_GIFImageCtrl> gif_;
    DWORD lastTick_ = 0;
};
