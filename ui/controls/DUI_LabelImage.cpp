#include "controls/DUI_Image.h"
#include "controls/DUI_KindCommon.h"
#include "controls/DUI_Label.h"
#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "graphics/GDIPlugCtrl.h"
#include "controls/DUI_Factory.h"
#include "skin/DUI_UIResource.h"


CDUI_Label* CDUI_UIResource::CreateLabel(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                         int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_Label, CDUI_Label_Style>(this, L"Label", style, id, text, x, y, width, height);
}

CDUI_Image* CDUI_UIResource::CreateImage(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                         int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_Image, CDUI_Image_Style>(this, L"Image", style, id, text, x, y, width, height);
}

// ---- label ----

CDUI_Label::CDUI_Label(CDUI_UIResource* resource, CDUI_Label_Style* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {}

void CDUI_Label::Paint(Gdiplus::Graphics* graphics) {
    if (graphics && !text_.empty()) DrawText(graphics, text_, absolute_);
}

// ---- image ----

CDUI_Image::CDUI_Image(CDUI_UIResource* resource, CDUI_Image_Style* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {
    if (style) source_ = DUI_FromSkin(style->sourceRect);
}

CDUI_Image::~CDUI_Image() = default;

void CDUI_Image::ReleaseResources() { DropOwnImage(); }

void CDUI_Image::DropOwnImage() {
    image_.reset();
    gif_.reset();
}

int CDUI_Image::SetImageFromResource(HMODULE module, UINT resourceId) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    DropOwnImage();
    auto still = std::make_unique<CGDIPlug_ImageCtrl>();
    if (!still->LoadFromResource(module, resourceId)) {
        Invalidate();
        return 0;
    }
    int format = 0, width = 0, height = 0;
    still->GetRawFormat(&format);
    still->GetSize(&width, &height);
    if (format == 8) {
        auto animation = std::make_unique<CGDIPlug_GIFImageCtrl>();
        if (animation->LoadFromResource(module, resourceId)) {
            gif_ = std::move(animation);
            still.reset();
            lastTick_ = GetTickCount();
        }
    }
    if (still) image_ = std::move(still);
    source_ = DUI_Rect{0, 0, width, height};
    Invalidate();
    return 1;
}

int CDUI_Image::SetSkinRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    DropOwnImage();
    source_ = DUI_Rect{x, y, width, height};
    Invalidate();
    return 1;
}

int CDUI_Image::FitToImage() {
    int width = source_.width, height = source_.height;
    if (image_) image_->GetSize(&width, &height);
    if (gif_) gif_->GetSize(&width, &height);
    if (width < 1 || height < 1) return 0;
    return SetSize(width, height);
}

void CDUI_Image::Paint(Gdiplus::Graphics* graphics) {
    if (!graphics) return;
    const uint8_t alpha = fadeEnable_ ? opacity_ : 255;
    DUI_Rect source = source_;
    if (gif_) {
        const DWORD now = GetTickCount();
        gif_->Advance(now - lastTick_);
        lastTick_ = now;
        gif_->SetAlpha(1, alpha);
        gif_->DrawCurrentFrame(graphics, DUIRect{absolute_.x, absolute_.y, absolute_.width, absolute_.height},
                               DUIRect{source.x, source.y, source.width, source.height});
        int frames = 0;
        gif_->GetFrameCount(&frames);
        if (frames > 1) Invalidate();  // keeps the animation running frame by frame
        return;
    }
    if (image_) {
        if (source.width < 1 || source.height < 1) {
            int w = 0, h = 0;
            image_->GetSize(&w, &h);
            source = DUI_Rect{0, 0, w, h};
        }
        image_->SetAlpha(1, alpha);
        image_->DrawSkinRect(graphics, DUIRect{absolute_.x, absolute_.y, absolute_.width, absolute_.height},
                             DUIRect{source.x, source.y, source.width, source.height}, 1);
        return;
    }
    if (source.width < 1 || source.height < 1) {
        int32_t w = 0, h = 0;
        DUI_SkinImageSize(resource_, &w, &h);
        source = DUI_Rect{0, 0, w, h};
    }
    DUI_DrawSkinPiece(this, graphics, absolute_, DUI_ToSkin(source), 1);
}
