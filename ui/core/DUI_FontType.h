#pragma once
// One skin font (a `FontType` record) as a control-shaped object: the font
// family, size and style bits, its character metrics, and text drawing with
// it. Owned by the skin resource; controls borrow it.
#include <memory>
#include <string>

#include "core/DUI_UIControl.h"

class CDUI_FontType_Style;
class CGraphics_FontCtrl;
class CGraphics_StringCtrl;

class CDUI_FontType : public CDUI_UIControl {
public:
    CDUI_FontType(CDUI_UIResource* resource, CDUI_FontType_Style* style);
    ~CDUI_FontType() override;
    void ReleaseResources() override;

    std::wstring GetFamily();
    float GetSizePoints();
    // Bold 1, Italic 2, Underline 4, StrikeOut 8.
    int GetStyleBits();
    // ASCII character width, other character width, line height in pixels
    // (all 0 when the font could not be measured).
    void GetMetrics(int32_t* asciiWidth, int32_t* otherWidth, int32_t* lineHeight);
    // Sum of the per-character widths (ASCII / other) of text.
    int32_t MeasureWidth(const std::wstring& text);
    // Draws text into rect: colour ARGB, alignment and format flags and
    // trimming as on CDUI_UIControl. Returns 0 without a usable font.
    int DrawString(Gdiplus::Graphics* graphics, const std::wstring& text, const DUI_Rect& rect, uint32_t color,
                   uint32_t alignment, uint32_t formatFlags, int trimming);
    // The drawing objects (nullptr until GDI+ runs): the font and the string
    // object that draws and measures with it.
    CGraphics_FontCtrl* GetFontCtrl();
    CGraphics_StringCtrl* GetStringCtrl();

private:
    int MakeDrawingObjects();
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int32_t asciiWidth_ = 0, otherWidth_ = 0, lineHeight_ = 0;
};
