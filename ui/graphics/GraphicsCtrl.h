#pragma once
// The drawing interfaces of the UI engine. Controls draw only through these,
// so another graphics back end could stand behind the same calls; the GDI+
// one (CGDIPlug_...Ctrl, graphics mode 1) is the only one there is.
//
// Every operation returns 1 on success and 0 on failure unless it says
// otherwise; a failed back-end call also leaves its status in GetLastStatus().
// A drawing call on an object that holds nothing (no brush, no image) does
// nothing and returns 0.
#include <windows.h>

#include <string>
#include <vector>

#include "UIRect.h"

namespace Gdiplus {
class Graphics;
class Image;
class Font;
class StringFormat;
}  // namespace Gdiplus

// The graphics a paint pass draws on.
using DUIGraphics = Gdiplus::Graphics;
// 32-bit ARGB, alpha in the top byte.
using DUIColor = unsigned int;

struct DUIRectF {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

struct DUIPointF {
    float x = 0;
    float y = 0;
};

class CGraphics_BrushCtrl {
public:
    virtual ~CGraphics_BrushCtrl() = default;
    virtual int CreateSolid(DUIColor color) = 0;
    // style: a hatch style number of the back end (0..52 for GDI+).
    virtual int CreateHatch(int style, DUIColor fore, DUIColor back) = 0;
    virtual int CreateLinearGradient(const DUIRectF& rect, DUIColor color1, DUIColor color2, float angle) = 0;
    virtual void Release() = 0;
    // Turns the brush into a solid one of that colour.
    virtual int SetColor(DUIColor color) = 0;
    virtual int FillRectangle(DUIGraphics* g, float x, float y, float width, float height) = 0;
    virtual int FillRectangle(DUIGraphics* g, int x, int y, int width, int height) = 0;
    virtual int FillEllipse(DUIGraphics* g, float x, float y, float width, float height) = 0;
    virtual int FillEllipse(DUIGraphics* g, int x, int y, int width, int height) = 0;
    virtual int FillRectangle(DUIGraphics* g, const DUIRectF& rect) = 0;
    virtual int FillRectangle(DUIGraphics* g, const DUIRect& rect) = 0;
    virtual int FillPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points) = 0;
    virtual int FillPolygon(DUIGraphics* g, const std::vector<POINT>& points) = 0;
    // fillMode: 0 alternate, 1 winding.
    virtual int FillPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points, int fillMode) = 0;
    // Angles in degrees, clockwise from the x axis.
    virtual int FillPie(DUIGraphics* g, float x, float y, float width, float height, float startAngle, float sweepAngle) = 0;
    virtual int FillPie(DUIGraphics* g, int x, int y, int width, int height, float startAngle, float sweepAngle) = 0;
    virtual int Reserved1() { return 1; }
    virtual int Reserved2() { return 1; }
};

class CGraphics_PenCtrl {
public:
    virtual ~CGraphics_PenCtrl() = default;
    // style: dash style (0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot).
    virtual int Create(DUIGraphics* g, DUIColor color, float width, int style) = 0;
    virtual void Release() = 0;
    virtual int SetDashStyle(int style) = 0;
    virtual DUIColor GetColor() = 0;
    virtual int SetColor(DUIColor color) = 0;
    virtual int SetWidth(float width) = 0;
    virtual int DrawRectangle(DUIGraphics* g, float x, float y, float width, float height) = 0;
    virtual int DrawRectangle(DUIGraphics* g, int x, int y, int width, int height) = 0;
    virtual int DrawEllipse(DUIGraphics* g, float x, float y, float width, float height) = 0;
    virtual int DrawEllipse(DUIGraphics* g, int x, int y, int width, int height) = 0;
    virtual int DrawLine(DUIGraphics* g, float x1, float y1, float x2, float y2) = 0;
    virtual int DrawLine(DUIGraphics* g, int x1, int y1, int x2, int y2) = 0;
    // Filled with the pen's colour.
    virtual int FillEllipse(DUIGraphics* g, float x, float y, float width, float height) = 0;
    virtual int FillEllipse(DUIGraphics* g, int x, int y, int width, int height) = 0;
    virtual int DrawPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points) = 0;
    virtual int DrawPolygon(DUIGraphics* g, const std::vector<POINT>& points) = 0;
    // Open polyline through the points.
    virtual int DrawLines(DUIGraphics* g, const std::vector<DUIPointF>& points) = 0;
    virtual int Reserved1() { return 1; }
    virtual int Reserved2() { return 1; }
};

class CGraphics_FontCtrl {
public:
    virtual ~CGraphics_FontCtrl() = default;
    // From the font selected in hdc, or from a LOGFONT.
    virtual int CreateFromDC(HDC hdc) = 0;
    virtual int CreateFromLogFont(HDC hdc, const LOGFONTW& logFont) = 0;
    // style bits: Bold 1, Italic 2, Underline 4, StrikeOut 8; unit: 3 = point
    // (the back end's unit numbers). A family that is not installed falls
    // back to the generic sans-serif family, and when even that is missing
    // (as under Wine) to an installed family that has Chinese glyphs.
    virtual int Create(const std::wstring& family, float size, int style, int unit) = 0;
    virtual void Release() = 0;
    // ASCII width = tmAveCharWidth, non-ASCII width = tmMaxCharWidth, line
    // height = tmHeight + tmExternalLeading; all 0 when the metrics cannot be read.
    virtual int GetMetrics(HDC hdc, int* asciiWidth, int* nonAsciiWidth, int* lineHeight) = 0;
    virtual Gdiplus::Font* GetFont() = 0;
    virtual int GetLogFont(LOGFONTW* logFont) = 0;
};

class CGraphics_StringCtrl {
public:
    virtual ~CGraphics_StringCtrl() = default;
    // g is the default graphics for draws and measures that pass none (may be
    // null); ignored: kept for the interface's shape.
    virtual int Init(DUIGraphics* g, CGraphics_FontCtrl* font, DUIColor textColor, int ignored) = 0;
    virtual void Release() = 0;
    // 0..5: none, character, word, ellipsis character, ellipsis word, ellipsis path.
    virtual int SetTrimming(int trimming) = 0;
    // Bits 0/1/2 horizontal near/centre/far, bits 3/4/5 vertical near/centre/far.
    virtual int SetAlignment(int alignFlags) = 0;
    // Bit 0 line limit, bit 1 right to left, bit 2 no clip.
    virtual int SetFormatFlags(int formatBits) = 0;
    virtual int DrawString(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout) = 0;
    virtual Gdiplus::StringFormat* GetFormat() = 0;
    virtual int SetTextColor(DUIColor color) = 0;
    virtual int SetFormat(const Gdiplus::StringFormat* format) = 0;
    virtual int Measure(DUIGraphics* g, const std::wstring& text, float* width, float* height) = 0;
    virtual CGraphics_FontCtrl* GetFont() = 0;
    virtual int MeasureInRect(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout, DUIRectF* bounds) = 0;
    // One rectangle per character of text (empty for characters without a box).
    virtual int MeasureCharacterRanges(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout,
                                       std::vector<DUIRectF>* boxes) = 0;
    virtual CGraphics_StringCtrl* GetSelf() { return this; }
    virtual int Reserved1() { return 1; }
    virtual int Reserved2() { return 1; }
    // The text colour and layout bits as last set.
    virtual void GetRecord(DUIColor* color, int* alignFlags, int* formatBits, int* trimming) = 0;
};

class CGraphics_ImageCtrl {
public:
    virtual ~CGraphics_ImageCtrl() = default;
    // An empty 32-bit ARGB bitmap, fully transparent.
    virtual int Create(int width, int height) = 0;
    virtual void Release() = 0;
    virtual int CreateFromHBITMAP(HBITMAP bitmap) = 0;
    // The bytes are copied; the caller keeps its buffer.
    virtual int LoadFromMemory(const void* data, size_t size) = 0;
    virtual int LoadFromFile(const std::wstring& path) = 0;
    // The resource with this numeric id in whatever resource type holds it.
    virtual int LoadFromResource(HMODULE module, UINT id) = 0;
    // RT_BITMAP through the bitmap-from-resource call, any other type as encoded bytes.
    virtual int LoadFromResource(HMODULE module, const wchar_t* type, UINT id) = 0;
    virtual int DeleteHBitmap() = 0;
    virtual int GetSize(int* width, int* height) = 0;
    // The format number (see ImageFormatMimeType); 0 when empty or unknown.
    virtual int GetRawFormat(int* formatNumber) = 0;
    // A GDI bitmap handle the object keeps (and deletes) for a caller.
    virtual int AttachHBitmap(HBITMAP bitmap) = 0;
    virtual HBITMAP DetachHBitmap() = 0;
    virtual Gdiplus::Image* GetImage() = 0;
    // Encoder chosen by the MIME type of formatNumber.
    virtual int SaveToFile(const std::wstring& path, int formatNumber) = 0;
    // Draws the source rectangle of the image into dest: scaled (stretch 1) or
    // at the source's own size at dest's origin (stretch 0). Negative source
    // sizes mirror. Uses the blend flag, alpha, colour key and rotation set below.
    virtual int DrawSkinRect(DUIGraphics* g, const DUIRect& dest, const DUIRect& source, int stretch) = 0;
    virtual int FillColor(DUIColor color) = 0;
    virtual int Reserved0() { return 1; }
    // A graphics and a device context on the image itself, until ReleaseGraphics.
    virtual int GetGraphics(DUIGraphics** g, HDC* hdc) = 0;
    virtual int ReleaseGraphics() = 0;
    // Rotation about a centre (destination coordinates); angle taken modulo 360.
    virtual int SetRotation(int enable, float centerX, float centerY, float angle) = 0;
    // blend 1: source-over with alpha 0..255; blend 0: copy the pixels as they are.
    virtual int SetAlpha(int blend, int alpha) = 0;
    // Pixels with colours between low and high (per channel) are left out.
    virtual int SetColorKey(int enable, DUIColor low, DUIColor high) = 0;
    virtual int Reserved1() { return 1; }
    virtual int Reserved2() { return 1; }
};

class CGraphics_GIFImageCtrl {
public:
    virtual ~CGraphics_GIFImageCtrl() = default;
    virtual int LoadFromFile(const std::wstring& path) = 0;
    virtual int LoadFromMemory(const void* data, size_t size) = 0;
    virtual int LoadFromResource(HMODULE module, UINT id) = 0;
    virtual int LoadFromResource(HMODULE module, const wchar_t* type, UINT id) = 0;
    virtual void Release() = 0;
    // Reads the frame count and the frame delays of the loaded image.
    virtual int Init() = 0;
    virtual int GetSize(int* width, int* height) = 0;
    virtual int GetFrameCount(int* count) = 0;
    virtual int GetCurrentFrame(int* index) = 0;
    // source: the part of the frame to draw (width or height below 1 = whole frame).
    virtual int DrawFrame(DUIGraphics* g, int index, const DUIRect& dest, const DUIRect& source) = 0;
    virtual int DrawCurrentFrame(DUIGraphics* g, const DUIRect& dest, const DUIRect& source) = 0;
    // Elapsed milliseconds since the previous call; returns 1 when the frame changed.
    virtual int Advance(unsigned elapsedMs) = 0;
    virtual int Reserved0() { return 1; }
    virtual int Reserved1() { return 1; }
    virtual int Reserved2() { return 1; }
};
