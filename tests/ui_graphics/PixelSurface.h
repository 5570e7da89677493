#pragma once
// A 32-bit bottom-up DIB section in a memory DC with a GDI+ graphics on it:
// the same kind of surface the renderer paints the scene into.
#include <memory>

#include "graphics/GdiplusInclude.h"

class PixelSurface {
public:
    PixelSurface(int width, int height, DWORD fill = 0) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;  // positive: bottom-up
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; ++i) m_bits[i] = fill;
        m_graphics = std::make_unique<Gdiplus::Graphics>(m_dc);
    }
    ~PixelSurface() {
        m_graphics.reset();
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    PixelSurface(const PixelSurface&) = delete;
    PixelSurface& operator=(const PixelSurface&) = delete;

    Gdiplus::Graphics* Graphics() { return m_graphics.get(); }
    HDC DC() const { return m_dc; }
    // Premultiplied ARGB at (x, y), y counted from the top.
    DWORD Pixel(int x, int y) {
        GdiFlush();
        m_graphics->Flush(Gdiplus::FlushIntentionSync);
        return m_bits[(m_height - 1 - y) * m_width + x];
    }
    int CountWhere(bool (*pred)(DWORD)) {
        Pixel(0, 0);  // flushes
        int n = 0;
        for (int i = 0; i < m_width * m_height; ++i)
            if (pred(m_bits[i])) ++n;
        return n;
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
    std::unique_ptr<Gdiplus::Graphics> m_graphics;
};

inline unsigned AlphaOf(DWORD p) { return p >> 24; }
inline unsigned RedOf(DWORD p) { return (p >> 16) & 0xFF; }
inline unsigned GreenOf(DWORD p) { return (p >> 8) & 0xFF; }
inline unsigned BlueOf(DWORD p) { return p & 0xFF; }
