#include "controls/DUI_Image.h"
#include "controls/DUI_KindCommon.h"
#include "controls/DUI_Label.h"
#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "graphics/GDIPlugCtrl.h"
#include "controls/DUI_Factory.h"
#include "skin/DUI_UIResource.h"
#include "WinHandles.h"

#include <vector>

// A copy of bitmap's pixels as a 32-bit ARGB image. GDI+'s own FromHBITMAP
// drops the alpha of 32-bit bitmaps, so the rows are copied by hand.
static int DUI_CopyBitmapWithAlpha(HBITMAP bitmap, CGDIPlug_ImageCtrl* image) {
    if (!bitmap || !image) return 0;
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0) return 0;
    const int width = info.bmWidth, height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    if (width > 16384 || height > 16384) return 0;
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;  // top-down rows
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    HDC screen = GetDC(nullptr);
    const int rows = screen ? GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &request,
                                        DIB_RGB_COLORS)
                            : 0;
    if (screen) ReleaseDC(nullptr, screen);
    if (rows != height) return 0;
    // Bitmaps of fewer bits, and 32-bit ones GDI drew into, carry no alpha: opaque.
    bool anyAlpha = false;
    if (info.bmBitsPixel == 32)
        for (uint32_t p : pixels)
            if (p >> 24) {
                anyAlpha = true;
                break;
            }
    if (!anyAlpha)
        for (uint32_t& p : pixels) p |= 0xFF000000u;
    if (!image->Create(width, height)) return 0;
    auto* target = static_cast<Gdiplus::Bitmap*>(image->GetImage());
    if (!target) return 0;
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (target->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) != Gdiplus::Ok) return 0;
    for (int y = 0; y < height; ++y)
        memcpy(static_cast<unsigned char*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
               pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width), static_cast<size_t>(width) * 4);
    target->UnlockBits(&data);
    image->PixelsChanged();
    return 1;
}


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

CDUI_Image::~CDUI_Image() {
    // Out of the tree before the picture goes: the painter may be drawing it.
    LeaveTreeBeforeDestruction();
}

void CDUI_Image::ReleaseResources() {
    std::unique_ptr<CGDIPlug_ImageCtrl> image;
    std::unique_ptr<CGDIPlug_GIFImageCtrl> gif;
    {
        CDUI_ParamLock lock(this);
        image = std::move(image_);
        gif = std::move(gif_);
        pictureId_ = 0;
    }
}

void CDUI_Image::DropOwnImage() {
    image_.reset();
    gif_.reset();
    pictureId_ = 0;
}

int CDUI_Image::LoadOwn(const std::function<int(CGDIPlug_ImageCtrl*)>& load,
                        const std::function<int(CGDIPlug_GIFImageCtrl*)>& loadAnimation) {
    // Decoding may take a while: no lock yet, the painter goes on meanwhile.
    auto still = std::make_unique<CGDIPlug_ImageCtrl>();
    std::unique_ptr<CGDIPlug_GIFImageCtrl> animation;
    int width = 0, height = 0;
    const int ok = load(still.get()) && still->GetSize(&width, &height) && width > 0 && height > 0;
    if (ok) {
        int format = 0;
        still->GetRawFormat(&format);
        if (format == 8 && loadAnimation) {
            animation = std::make_unique<CGDIPlug_GIFImageCtrl>();
            if (loadAnimation(animation.get()))
                still.reset();
            else
                animation.reset();
        }
    }
    // The old picture leaves the control under the lock and is freed after it.
    std::unique_ptr<CGDIPlug_ImageCtrl> oldImage;
    std::unique_ptr<CGDIPlug_GIFImageCtrl> oldAnimation;
    {
        CDUI_ParamLock lock(this);
        if (!lock.Ok()) return 0;
        oldImage = std::move(image_);
        oldAnimation = std::move(gif_);
        pictureModule_ = nullptr;
        pictureId_ = 0;
        if (ok) {
            image_ = std::move(still);
            gif_ = std::move(animation);
            if (gif_) lastTick_ = GetTickCount();
            source_ = DUI_Rect{0, 0, width, height};
            failed_ = 0;
        } else {
            // Nothing to show: neither the old picture nor a piece of the skin sheet.
            source_ = DUI_Rect{};
            failed_ = 1;
        }
        Invalidate();
    }
    return ok ? 1 : 0;
}

int CDUI_Image::SetImageFromResource(HMODULE module, UINT resourceId) {
    const int ok =
        LoadOwn([&](CGDIPlug_ImageCtrl* image) { return image->LoadFromResource(module, resourceId); },
                [&](CGDIPlug_GIFImageCtrl* gif) { return gif->LoadFromResource(module, resourceId); });
    CDUI_ParamLock lock(this);
    if (ok && lock.Ok() && image_ && !gif_) {
        pictureModule_ = module;
        pictureId_ = resourceId;
    }
    return ok;
}

int CDUI_Image::DropDecodedPicture() {
    std::unique_ptr<CGDIPlug_ImageCtrl> old;
    {
        CDUI_ParamLock lock(this);
        if (!lock.Ok() || !pictureId_ || !image_) return 0;
        old = std::move(image_);
    }
    return 1;
}

int CDUI_Image::SetImageFromFile(const std::wstring& path) {
    // Read once; both decoders work on the same bytes and the file is closed at once.
    std::vector<unsigned char> bytes;
    {
        win::CUniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                            FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        LARGE_INTEGER size{};
        if (file && GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < (256LL << 20)) {
            bytes.resize(static_cast<size_t>(size.QuadPart));
            DWORD read = 0;
            if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                read != bytes.size())
                bytes.clear();
        }
    }
    return LoadOwn(
        [&](CGDIPlug_ImageCtrl* image) { return !bytes.empty() && image->LoadFromMemory(bytes.data(), bytes.size()); },
        [&](CGDIPlug_GIFImageCtrl* gif) { return gif->LoadFromMemory(bytes.data(), bytes.size()); });
}

int CDUI_Image::SetImageFromBitmap(HBITMAP bitmap) {
    return LoadOwn([&](CGDIPlug_ImageCtrl* image) { return DUI_CopyBitmapWithAlpha(bitmap, image); }, nullptr);
}

int CDUI_Image::SetSkinRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    std::unique_ptr<CGDIPlug_ImageCtrl> oldImage;
    std::unique_ptr<CGDIPlug_GIFImageCtrl> oldAnimation;
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    oldImage = std::move(image_);
    oldAnimation = std::move(gif_);
    pictureModule_ = nullptr;
    pictureId_ = 0;
    source_ = DUI_Rect{x, y, width, height};
    failed_ = 0;
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
    if (!graphics || failed_) return;
    if (!image_ && !gif_ && pictureId_) {
        // Let go while the window was hidden: decoded again on its first paint.
        auto still = std::make_unique<CGDIPlug_ImageCtrl>();
        if (!still->LoadFromResource(pictureModule_, pictureId_)) {
            failed_ = 1;
            return;
        }
        image_ = std::move(still);
    }
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
