#pragma once
// The GDI+ back end of the drawing interfaces (graphics mode 1). GDI+ must
// have been started (CDUI_UIGraphicsEngine) before any of these is created and
// every one of them destroyed before it is shut down.
#include <memory>

#include "GraphicsCtrl.h"

namespace Gdiplus {
class Brush;
class Pen;
class SolidBrush;
}  // namespace Gdiplus
struct IStream;

class CGDIPlug_BrushCtrl : public CGraphics_BrushCtrl {
public:
    CGDIPlug_BrushCtrl();
    ~CGDIPlug_BrushCtrl() override;
    int CreateSolid(DUIColor color) override;
    int CreateHatch(int style, DUIColor fore, DUIColor back) override;
    int CreateLinearGradient(const DUIRectF& rect, DUIColor color1, DUIColor color2, float angle) override;
    void Release() override;
    int SetColor(DUIColor color) override;
    int FillRectangle(DUIGraphics* g, float x, float y, float width, float height) override;
    int FillRectangle(DUIGraphics* g, int x, int y, int width, int height) override;
    int FillEllipse(DUIGraphics* g, float x, float y, float width, float height) override;
    int FillEllipse(DUIGraphics* g, int x, int y, int width, int height) override;
    int FillRectangle(DUIGraphics* g, const DUIRectF& rect) override;
    int FillRectangle(DUIGraphics* g, const DUIRect& rect) override;
    int FillPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points) override;
    int FillPolygon(DUIGraphics* g, const std::vector<POINT>& points) override;
    int FillPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points, int fillMode) override;
    int FillPie(DUIGraphics* g, float x, float y, float width, float height, float startAngle, float sweepAngle) override;
    int FillPie(DUIGraphics* g, int x, int y, int width, int height, float startAngle, float sweepAngle) override;

    int GetLastStatus() const { return m_lastStatus; }
    Gdiplus::Brush* GetBrush() { return m_brush.get(); }

private:
    int Check(int status);
    std::unique_ptr<Gdiplus::Brush> m_brush;
    int m_lastStatus = 0;
};

class CGDIPlug_PenCtrl : public CGraphics_PenCtrl {
public:
    CGDIPlug_PenCtrl();
    ~CGDIPlug_PenCtrl() override;
    int Create(DUIGraphics* g, DUIColor color, float width, int style) override;
    void Release() override;
    int SetDashStyle(int style) override;
    DUIColor GetColor() override;
    int SetColor(DUIColor color) override;
    int SetWidth(float width) override;
    int DrawRectangle(DUIGraphics* g, float x, float y, float width, float height) override;
    int DrawRectangle(DUIGraphics* g, int x, int y, int width, int height) override;
    int DrawEllipse(DUIGraphics* g, float x, float y, float width, float height) override;
    int DrawEllipse(DUIGraphics* g, int x, int y, int width, int height) override;
    int DrawLine(DUIGraphics* g, float x1, float y1, float x2, float y2) override;
    int DrawLine(DUIGraphics* g, int x1, int y1, int x2, int y2) override;
    int FillEllipse(DUIGraphics* g, float x, float y, float width, float height) override;
    int FillEllipse(DUIGraphics* g, int x, int y, int width, int height) override;
    int DrawPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points) override;
    int DrawPolygon(DUIGraphics* g, const std::vector<POINT>& points) override;
    int DrawLines(DUIGraphics* g, const std::vector<DUIPointF>& points) override;

    int GetLastStatus() const { return m_lastStatus; }

private:
    int Check(int status);
    std::unique_ptr<Gdiplus::Pen> m_pen;
    DUIColor m_color = 0xFF000000;
    int m_lastStatus = 0;
};

class CGDIPlug_FontCtrl : public CGraphics_FontCtrl {
public:
    CGDIPlug_FontCtrl();
    ~CGDIPlug_FontCtrl() override;
    int CreateFromDC(HDC hdc) override;
    int CreateFromLogFont(HDC hdc, const LOGFONTW& logFont) override;
    int Create(const std::wstring& family, float size, int style, int unit) override;
    void Release() override;
    int GetMetrics(HDC hdc, int* asciiWidth, int* nonAsciiWidth, int* lineHeight) override;
    Gdiplus::Font* GetFont() override { return m_font.get(); }
    int GetLogFont(LOGFONTW* logFont) override;

    int GetLastStatus() const { return m_lastStatus; }
    // The family actually used (after any fallback).
    const std::wstring& GetFamilyName() const { return m_familyName; }

private:
    std::unique_ptr<Gdiplus::Font> m_font;
    std::wstring m_familyName;
    int m_lastStatus = 0;
};

class CGDIPlug_StringCtrl : public CGraphics_StringCtrl {
public:
    CGDIPlug_StringCtrl();
    ~CGDIPlug_StringCtrl() override;
    int Init(DUIGraphics* g, CGraphics_FontCtrl* font, DUIColor textColor, int ignored) override;
    void Release() override;
    int SetTrimming(int trimming) override;
    int SetAlignment(int alignFlags) override;
    int SetFormatFlags(int formatBits) override;
    int DrawString(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout) override;
    Gdiplus::StringFormat* GetFormat() override { return m_format.get(); }
    int SetTextColor(DUIColor color) override;
    int SetFormat(const Gdiplus::StringFormat* format) override;
    int Measure(DUIGraphics* g, const std::wstring& text, float* width, float* height) override;
    CGraphics_FontCtrl* GetFont() override { return m_font; }
    int MeasureInRect(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout, DUIRectF* bounds) override;
    int MeasureCharacterRanges(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout,
                               std::vector<DUIRectF>* boxes) override;
    void GetRecord(DUIColor* color, int* alignFlags, int* formatBits, int* trimming) override;

    int GetLastStatus() const { return m_lastStatus; }

private:
    // The graphics to use: the one passed, else the one from Init, else a
    // private one on a 1 x 1 bitmap (enough for measuring).
    DUIGraphics* Pick(DUIGraphics* g);
    int Check(int status);

    DUIGraphics* m_graphics = nullptr;  // borrowed, from Init
    CGraphics_FontCtrl* m_font = nullptr;  // borrowed: the font record outlives its string object
    std::unique_ptr<Gdiplus::StringFormat> m_format;
    std::unique_ptr<Gdiplus::SolidBrush> m_brush;
    struct Scratch;
    std::unique_ptr<Scratch> m_scratch;
    DUIColor m_color = 0xFF000000;
    int m_align = 17;
    int m_formatBits = 5;
    int m_trimming = 0;
    int m_lastStatus = 0;
};

// Art drawn at twice the size for the image resource N is the resource
// N + kDoubleArtIdOffset of the same type, where the program has one.
constexpr UINT kDoubleArtIdOffset = 1000;
// Above this frame scale, pieces are taken from the double-size art.
constexpr double kDoubleArtFromScale = 1.25;

class CGDIPlug_ImageCtrl : public CGraphics_ImageCtrl {
public:
    CGDIPlug_ImageCtrl();
    ~CGDIPlug_ImageCtrl() override;
    int Create(int width, int height) override;
    void Release() override;
    int CreateFromHBITMAP(HBITMAP bitmap) override;
    int LoadFromMemory(const void* data, size_t size) override;
    int LoadFromFile(const std::wstring& path) override;
    int LoadFromResource(HMODULE module, UINT id) override;
    int LoadFromResource(HMODULE module, const wchar_t* type, UINT id) override;
    int DeleteHBitmap() override;
    int GetSize(int* width, int* height) override;
    int GetRawFormat(int* formatNumber) override;
    int AttachHBitmap(HBITMAP bitmap) override;
    HBITMAP DetachHBitmap() override;
    Gdiplus::Image* GetImage() override;
    int SaveToFile(const std::wstring& path, int formatNumber) override;
    // On a scaled frame (a world transform of a scale and an offset) the
    // piece is resampled to the pixels it covers, from the double-size art
    // above kDoubleArtFromScale when there is one, and drawn 1:1.
    int DrawSkinRect(DUIGraphics* g, const DUIRect& dest, const DUIRect& source, int stretch) override;
    int FillColor(DUIColor color) override;
    // The double-size art of this image is resource id of module (found by
    // LoadFromResource itself for resource N + kDoubleArtIdOffset). Decoded
    // on first use only.
    void SetDoubleArt(HMODULE module, UINT id);
    int HasDoubleArt() const;
    int GetGraphics(DUIGraphics** g, HDC* hdc) override;
    int ReleaseGraphics() override;
    int SetRotation(int enable, float centerX, float centerY, float angle) override;
    int SetAlpha(int blend, int alpha) override;
    int SetColorKey(int enable, DUIColor low, DUIColor high) override;

    int GetLastStatus() const { return m_lastStatus; }
    int GetAlpha() const { return m_alpha; }
    int GetBlend() const { return m_blend; }
    // Forgets the resampled pieces kept for scaled drawing; needed whenever
    // the pixels change (drawing on the image, another GIF frame).
    void PixelsChanged();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_blend = 1;
    int m_alpha = 255;
    int m_rotate = 0;
    float m_centerX = 0, m_centerY = 0, m_angle = 0;
    int m_colorKey = 0;
    DUIColor m_keyLow = 0, m_keyHigh = 0;
    int m_lastStatus = 0;
};

class CGDIPlug_GIFImageCtrl : public CGraphics_GIFImageCtrl {
public:
    CGDIPlug_GIFImageCtrl();
    ~CGDIPlug_GIFImageCtrl() override;
    int LoadFromFile(const std::wstring& path) override;
    int LoadFromMemory(const void* data, size_t size) override;
    int LoadFromResource(HMODULE module, UINT id) override;
    int LoadFromResource(HMODULE module, const wchar_t* type, UINT id) override;
    void Release() override;
    int Init() override;
    int GetSize(int* width, int* height) override;
    int GetFrameCount(int* count) override;
    int GetCurrentFrame(int* index) override;
    int DrawFrame(DUIGraphics* g, int index, const DUIRect& dest, const DUIRect& source) override;
    int DrawCurrentFrame(DUIGraphics* g, const DUIRect& dest, const DUIRect& source) override;
    int Advance(unsigned elapsedMs) override;

    // Frame delay in milliseconds (0 past the end).
    int GetFrameDelay(int index) const;
    // Drawing options as for the still image.
    int SetAlpha(int blend, int alpha);
    int GetLastStatus() const;

private:
    std::unique_ptr<CGDIPlug_ImageCtrl> m_image;
    struct Clock;
    std::unique_ptr<Clock> m_clock;
    int m_shownFrame = -1;  // the frame the image object currently holds
};

// Finds the resource with a numeric id among all resource types of a module.
// type receives the type (a copy of a string type, or MAKEINTRESOURCE text).
int FindResourceTypeById(HMODULE module, UINT id, std::wstring* typeName, ULONG_PTR* typeId);
