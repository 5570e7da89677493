#include "GameTile.h"

#include <vector>

#include "GameShellOps.h"
#include "graphics/GdiplusInclude.h"
#include "skin/DUI_Styles.h"
#include "skin/DUI_UIResource.h"

namespace {
constexpr int kIconOffset = 28, kIconSize = 64;
}

CGameTile* CGameTile::Build(CDUI_UIResource* resource, int32_t id, int32_t x, int32_t y, int32_t width,
                            int32_t height) {
    return static_cast<CGameTile*>(resource->BuildFromStyle(L"Image", L"OVImage", [&](CDUI_UIControlStyle* record) {
        auto* tile = new CGameTile(resource, static_cast<CDUI_Image_Style*>(record), id);
        tile->SetPosition(x, y);
        tile->SetSize(width, height);
        return static_cast<CDUI_UIControl*>(tile);
    }));
}

CGameTile::CGameTile(CDUI_UIResource* resource, CDUI_Image_Style* style, int32_t id) : CDUI_Image(resource, style, id) {
    SetBorder(0);
    SetTransparent(1);
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
}

CGameTile::~CGameTile() = default;

void CGameTile::SetProgram(const std::wstring& programPath) {
    int32_t width = 0, height = 0;
    GetSize(&width, &height);
    if (width <= 0 || height <= 0) return;
    HICON icon = nullptr;
    bool own = ExtractProgramIcon(programPath, &icon, nullptr) != 0;
    if (!own) icon = LoadIconW(nullptr, IDI_APPLICATION);

    // Drawn on a 32-bit DIB the way a Windows icon draws itself, then made
    // opaque: the fill has no alpha of its own.
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(dc, dib);
        HBRUSH fill = CreateSolidBrush(RGB(3, 5, 6));
        RECT all{0, 0, width, height};
        FillRect(dc, &all, fill);
        DeleteObject(fill);
        if (icon) DrawIconEx(dc, kIconOffset, kIconOffset, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        GdiFlush();
        pixels_.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + width * height);
        for (auto& p : pixels_) p |= 0xFF000000u;
        SelectObject(dc, old);
        picture_ = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppARGB,
                                                     reinterpret_cast<BYTE*>(pixels_.data()));
    }
    if (dib) DeleteObject(dib);
    DeleteDC(dc);
    if (own && icon) DestroyIcon(icon);
    Invalidate();
}

uint32_t CGameTile::PixelAt(int x, int y) const {
    int32_t width = 0, height = 0;
    const_cast<CGameTile*>(this)->GetSize(&width, &height);
    if (!picture_ || x < 0 || y < 0 || x >= width || y >= height) return 0;
    return pixels_[static_cast<size_t>(y) * width + x];
}

void CGameTile::Paint(Gdiplus::Graphics* graphics) {
    if (!picture_) return CDUI_Image::Paint(graphics);
    const DUI_Rect a = GetAbsoluteRect();
    graphics->DrawImage(picture_.get(), a.x, a.y, a.width, a.height);
}
