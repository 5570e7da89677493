#pragma once
// A picture: by default a rectangle of the skin image (the style's
// SourceRect); or an image of its own loaded from a module resource, a file
// or a bitmap, animated when it is a GIF. A picture is decoded before the
// lock is taken and swapped in under it, so the render thread never paints a
// half-replaced or freed picture; a failed load leaves the control empty.
#include <functional>
#include <memory>
#include <string>

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
    // kept as an animation. The source becomes the whole image. 0 on failure:
    // the control then draws nothing at all (no piece of the skin sheet)
    // until a later load or SetSkinRect succeeds.
    int SetImageFromResource(HMODULE module, UINT resourceId);
    // The same from a picture file (PNG, JPEG, BMP, GIF, ...). The bytes are
    // read into memory first, so the file is not kept open or locked.
    int SetImageFromFile(const std::wstring& path);
    // A copy of a bitmap (DIB section or device-dependent); 32-bit pixels
    // keep their alpha (straight, not premultiplied; a 32-bit bitmap whose
    // alpha bytes are all 0 counts as opaque). The caller keeps the HBITMAP.
    int SetImageFromBitmap(HBITMAP bitmap);
    // Drops any own image and shows this rectangle of the skin image.
    int SetSkinRect(int32_t x, int32_t y, int32_t width, int32_t height);
    // Sets the control's size to the image's (own image or skin rectangle).
    int FitToImage();
    int HasOwnImage() const { return (image_ || gif_ || pictureId_) ? 1 : 0; }
    // Lets the decoded pixels of a still picture from a module resource go
    // (a window hidden in the tray); the next paint decodes them again.
    // 1 when something was let go.
    int DropDecodedPicture();
    // 1 after a failed load (nothing is drawn).
    int LoadFailed() const { return failed_; }
    int IsAnimated() const { return gif_ ? 1 : 0; }
    CGDIPlug_GIFImageCtrl* GetAnimation() { return gif_.get(); }

private:
    void DropOwnImage();
    // Decodes with load (on a fresh still image) outside the lock, keeps a GIF
    // animated, then swaps the result in under the lock; the old picture is
    // freed after the lock is released.
    int LoadOwn(const std::function<int(CGDIPlug_ImageCtrl*)>& load,
                const std::function<int(CGDIPlug_GIFImageCtrl*)>& loadAnimation);
    std::unique_ptr<CGDIPlug_ImageCtrl> image_;
    std::unique_ptr<CGDIPlug_GIFImageCtrl> gif_;
    int failed_ = 0;
    DWORD lastTick_ = 0;
    // Where a still picture from a resource comes from, to decode it again.
    HMODULE pictureModule_ = nullptr;
    UINT pictureId_ = 0;
};
