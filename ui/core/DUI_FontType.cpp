#include "core/DUI_FontType.h"

#include "graphics/GDIPlugCtrl.h"
#include "graphics/GraphicsMath.h"
#include "graphics/GdiplusInclude.h"
#include "skin/DUI_Styles.h"

namespace {
constexpr int kSceneUnitsPerInch = 96;
}  // namespace

struct CDUI_FontType::Impl {
    std::unique_ptr<CGDIPlug_FontCtrl> font;
    std::unique_ptr<CGDIPlug_StringCtrl> text;
};

CDUI_FontType::CDUI_FontType(CDUI_UIResource* resource, CDUI_FontType_Style* style)
    : CDUI_UIControl(resource, style), impl_(std::make_unique<Impl>()) {
    if (!style) return;
    // Metrics from a GDI font made from the same description, on the screen
    // DC, at the scene's 96 units per inch: a logical size means the same at
    // every DPI (the frame's scale enlarges text with everything else).
    HDC screen = GetDC(nullptr);
    if (screen) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(int(style->fontSize * 100.0f + 0.5f), kSceneUnitsPerInch, 7200);
        lf.lfWeight = style->bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = style->italic ? 1 : 0;
        lf.lfUnderline = style->underline ? 1 : 0;
        lf.lfStrikeOut = style->strikeOut ? 1 : 0;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, style->fontFamily.c_str(), LF_FACESIZE);
        HFONT font = CreateFontIndirectW(&lf);
        if (font) {
            HGDIOBJ old = SelectObject(screen, font);
            TEXTMETRICW tm{};
            if (GetTextMetricsW(screen, &tm)) {
                asciiWidth_ = tm.tmAveCharWidth;
                otherWidth_ = tm.tmMaxCharWidth;
                lineHeight_ = tm.tmHeight + tm.tmExternalLeading;
            }
            SelectObject(screen, old);
            DeleteObject(font);
        }
        ReleaseDC(nullptr, screen);
    }
    MakeDrawingObjects();
}

int CDUI_FontType::MakeDrawingObjects() {
    if (impl_->text) return 1;
    auto* s = static_cast<CDUI_FontType_Style*>(style_);
    if (!s) return 0;
    auto font = std::make_unique<CGDIPlug_FontCtrl>();
    // Sizes are points of a 96-unit inch, made scene pixels here: a font in
    // points would follow the system's DPI while the layout does not. A
    // missing family falls back inside the font object.
    const float points = s->fontSize > 0 ? s->fontSize : 9.0f;
    if (!font->Create(s->fontFamily, points * kSceneUnitsPerInch / 72.0f, GetStyleBits(), Gdiplus::UnitPixel))
        return 0;
    auto text = std::make_unique<CGDIPlug_StringCtrl>();
    // The record's Optimize value rides along as the initial colour, nothing more.
    if (!text->Init(nullptr, font.get(), DUIColor(s->optimize), 0)) return 0;
    impl_->font = std::move(font);
    impl_->text = std::move(text);
    return 1;
}

CGraphics_FontCtrl* CDUI_FontType::GetFontCtrl() {
    MakeDrawingObjects();
    return impl_->font.get();
}

CGraphics_StringCtrl* CDUI_FontType::GetStringCtrl() {
    MakeDrawingObjects();
    return impl_->text.get();
}

CDUI_FontType::~CDUI_FontType() { ReleaseResources(); }

void CDUI_FontType::ReleaseResources() {
    if (!impl_) return;
    impl_->text.reset();
    impl_->font.reset();
}

std::wstring CDUI_FontType::GetFamily() {
    auto* s = static_cast<CDUI_FontType_Style*>(style_);
    return s ? s->fontFamily : std::wstring();
}

float CDUI_FontType::GetSizePoints() {
    auto* s = static_cast<CDUI_FontType_Style*>(style_);
    return s ? s->fontSize : 0.0f;
}

int CDUI_FontType::GetStyleBits() {
    auto* s = static_cast<CDUI_FontType_Style*>(style_);
    if (!s) return 0;
    return (s->bold ? 1 : 0) | (s->italic ? 2 : 0) | (s->underline ? 4 : 0) | (s->strikeOut ? 8 : 0);
}

void CDUI_FontType::GetMetrics(int32_t* asciiWidth, int32_t* otherWidth, int32_t* lineHeight) {
    if (asciiWidth) *asciiWidth = asciiWidth_;
    if (otherWidth) *otherWidth = otherWidth_;
    if (lineHeight) *lineHeight = lineHeight_;
}

int32_t CDUI_FontType::MeasureWidth(const std::wstring& text) {
    int64_t width = 0;
    for (wchar_t c : text) width += (c < 128) ? asciiWidth_ : otherWidth_;
    return int32_t(std::min<int64_t>(width, INT32_MAX));
}

int CDUI_FontType::DrawString(Gdiplus::Graphics* graphics, const std::wstring& text, const DUI_Rect& rect,
                              uint32_t color, uint32_t alignment, uint32_t formatFlags, int trimming) {
    if (!graphics || text.empty() || !MakeDrawingObjects()) return 0;
    CGDIPlug_StringCtrl* out = impl_->text.get();
    out->SetTextColor(color);
    out->SetAlignment(int(alignment));
    out->SetFormatFlags(int(formatFlags));
    out->SetTrimming(trimming);
    const DUIRectF layout{float(rect.x), float(rect.y), float(rect.width), float(rect.height)};
    // Single-line texts, nearly all of them, are drawn as they are, without a copy.
    if (text.find(L'\n') == std::wstring::npos) return out->DrawString(graphics, text, layout);
    return out->DrawString(graphics, TextWithEmptyLinesKept(text), layout);
}
