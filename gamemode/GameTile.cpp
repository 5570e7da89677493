#include "GameTile.h"

#include "GameShellOps.h"

namespace {
constexpr int kIconOffset = 28, kIconSize = 64;
}

HBITMAP MakeTileBitmap(const std::wstring& programPath, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    HBITMAP dib = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        DeleteDC(dc);
        return nullptr;
    }
    HICON icon = nullptr;
    const bool own = ExtractProgramIcon(programPath, &icon, nullptr) != 0;
    if (!own) icon = LoadIconW(nullptr, IDI_APPLICATION);  // shared: never destroyed
    HGDIOBJ old = SelectObject(dc, dib);
    HBRUSH fill = CreateSolidBrush(RGB(3, 5, 6));
    RECT all{0, 0, width, height};
    FillRect(dc, &all, fill);
    DeleteObject(fill);
    if (icon) DrawIconEx(dc, kIconOffset, kIconOffset, icon, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    GdiFlush();
    // GDI leaves the alpha bytes as it found them; the tile is opaque.
    auto* pixel = static_cast<uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) pixel[i] |= 0xFF000000u;
    SelectObject(dc, old);
    DeleteDC(dc);
    if (own) DestroyIcon(icon);
    return dib;
}
