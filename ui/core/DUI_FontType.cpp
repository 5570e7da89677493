#include "core/DUI_FontType.h"

#include "core/DUI_Gdiplus.h"
#include "skin/DUI_Styles.h"

namespace {

// Families tried when the skin's family is not installed ("黑体" and "宋体"
// are missing on many systems): CJK families first, so Chinese text keeps
// its glyphs, then the generic sans-serif family.
const wchar_t* const kFallbackFamilies[] = {L"Microsoft YaHei", L"SimSun", L"WenQuanYi Zen Hei",
                                             L"WenQuanYi Micro Hei", L"Noto Sans CJK SC", L"Droid Sans Fallback"};

Gdiplus::StringAlignment Near(uint32_t flags, int shift) {
    if (flags & (2u << shift)) return Gdiplus::StringAlignmentCenter;
    if (flags & (4u << shift)) return Gdiplus::StringAlignmentFar;
    return Gdiplus::StringAlignmentNear;
}

}  // namespace

struct CDUI_FontType::Impl {
    std::unique_ptr<Gdiplus::FontFamily> family;
    std::unique_ptr<Gdiplus::Font> font;
    std::wstring familyName;  // the family actually used
};

CDUI_FontType::CDUI_FontType(CDUI_UIResource* resource, CDUI_FontType_Style* style)
    : CDUI_UIControl(resource, style), impl_(std::make_unique<Impl>()) {
    if (!style) return;
    // Metrics from a GDI font made from the same description, on the screen DC.
    HDC screen = GetDC(nullptr);
    if (screen) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(int(style->fontSize * 100.0f + 0.5f), GetDeviceCaps(screen, LOGPIXELSY), 7200);
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
}

CDUI_FontType::~CDUI_FontType() { ReleaseResources(); }

void CDUI_FontType::ReleaseResources() {
    if (!impl_) return;
    impl_->font.reset();
    impl_->family.reset();
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
    if (!graphics || text.empty()) return 0;
    if (!impl_->font) {
        // Built on first use: GDI+ is running by the time anything paints.
        float size = GetSizePoints() > 0 ? GetSizePoints() : 9.0f;
        std::wstring wanted = GetFamily();
        auto family = std::make_unique<Gdiplus::FontFamily>(wanted.c_str());
        for (const wchar_t* name : kFallbackFamilies) {
            if (family->GetLastStatus() == Gdiplus::Ok) break;
            family = std::make_unique<Gdiplus::FontFamily>(name);
        }
        if (family->GetLastStatus() != Gdiplus::Ok) {
            family.reset(Gdiplus::FontFamily::GenericSansSerif()->Clone());
        }
        if (!family || family->GetLastStatus() != Gdiplus::Ok) return 0;
        auto font = std::make_unique<Gdiplus::Font>(family.get(), size, GetStyleBits(), Gdiplus::UnitPoint);
        if (font->GetLastStatus() != Gdiplus::Ok) return 0;
        impl_->family = std::move(family);
        impl_->font = std::move(font);
    }
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    format.SetAlignment(Near(alignment, 0));
    format.SetLineAlignment(Near(alignment, 3));
    INT flags = 0;
    if (formatFlags & 1) flags |= Gdiplus::StringFormatFlagsLineLimit;
    if (formatFlags & 2) flags |= Gdiplus::StringFormatFlagsDirectionRightToLeft;
    if (formatFlags & 4) flags |= Gdiplus::StringFormatFlagsNoClip;
    format.SetFormatFlags(flags);
    format.SetTrimming(static_cast<Gdiplus::StringTrimming>(trimming));
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    Gdiplus::RectF layout(float(rect.x), float(rect.y), float(rect.width), float(rect.height));
    return graphics->DrawString(text.c_str(), int(text.size()), impl_->font.get(), layout, &format, &brush) ==
                   Gdiplus::Ok
               ? 1
               : 0;
}
