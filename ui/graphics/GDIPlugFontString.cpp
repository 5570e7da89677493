// Fonts and text over GDI+.
#include "GdiplusInclude.h"

#include <mutex>

#include "GDIPlugCtrl.h"
#include "GraphicsMath.h"
#include "RenderStats.h"

using namespace Gdiplus;

namespace {

// GDI selection that is undone when the scope ends.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(SelectObject(dc, obj)) {}
    ~ScopedSelect() { SelectObject(m_dc, m_old); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

struct GdiFont {
    HFONT handle;
    explicit GdiFont(HFONT h) : handle(h) {}
    ~GdiFont() {
        if (handle) DeleteObject(handle);
    }
    GdiFont(const GdiFont&) = delete;
    GdiFont& operator=(const GdiFont&) = delete;
};

struct MemoryDC {
    HDC handle = CreateCompatibleDC(nullptr);
    ~MemoryDC() {
        if (handle) DeleteDC(handle);
    }
};

// Whether a GDI font of that face really exists (GDI would silently substitute
// another) and has glyphs for both a Latin and a Chinese character.
bool FaceCoversChinese(HDC dc, const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfHeight = -16;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    GdiFont font(CreateFontIndirectW(&lf));
    if (!font.handle) return false;
    ScopedSelect select(dc, font.handle);
    wchar_t actual[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, actual);
    if (lstrcmpiW(actual, face) != 0) return false;
    WORD glyphs[2] = {0xFFFF, 0xFFFF};
    if (GetGlyphIndicesW(dc, L"\x4E2D" L"A", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) return false;
    return glyphs[0] != 0xFFFF && glyphs[1] != 0xFFFF;
}

// The last resort when neither the asked family nor the generic sans-serif one
// exists (Wine ships neither "黑体" nor "Microsoft Sans Serif"): the first
// installed family that can show Chinese text, else the first installed one.
// Looked up once; the installed set does not change while the program runs.
std::wstring InstalledFallbackFamily() {
    static std::once_flag once;
    static std::wstring chosen;
    std::call_once(once, [] {
        InstalledFontCollection installed;
        const INT count = installed.GetFamilyCount();
        if (count <= 0) return;
        std::vector<FontFamily> families(static_cast<size_t>(count));
        INT found = 0;
        if (installed.GetFamilies(count, families.data(), &found) != Ok) return;
        MemoryDC dc;
        std::wstring first;
        for (INT i = 0; i < found; ++i) {
            WCHAR name[LF_FACESIZE] = {};
            if (families[i].GetFamilyName(name) != Ok || !name[0]) continue;
            if (first.empty()) first = name;
            if (dc.handle && FaceCoversChinese(dc.handle, name)) {
                chosen = name;
                return;
            }
        }
        chosen = first;
    });
    return chosen;
}

}  // namespace

// ---- font ----

CGDIPlug_FontCtrl::CGDIPlug_FontCtrl() = default;
CGDIPlug_FontCtrl::~CGDIPlug_FontCtrl() { Release(); }

void CGDIPlug_FontCtrl::Release() {
    m_font.reset();
    m_familyName.clear();
}

int CGDIPlug_FontCtrl::CreateFromDC(HDC hdc) {
    if (!hdc) return 0;
    m_font = std::make_unique<Font>(hdc);
    m_lastStatus = m_font->GetLastStatus();
    if (m_lastStatus != Ok) {
        m_font.reset();
        return 0;
    }
    LOGFONTW lf{};
    if (GetLogFont(&lf)) m_familyName = lf.lfFaceName;
    return 1;
}

int CGDIPlug_FontCtrl::CreateFromLogFont(HDC hdc, const LOGFONTW& logFont) {
    MemoryDC own;
    HDC dc = hdc ? hdc : own.handle;
    if (!dc) return 0;
    m_font = std::make_unique<Font>(dc, &logFont);
    m_lastStatus = m_font->GetLastStatus();
    if (m_lastStatus != Ok) {
        m_font.reset();
        return 0;
    }
    m_familyName = logFont.lfFaceName;
    return 1;
}

int CGDIPlug_FontCtrl::Create(const std::wstring& family, float size, int style, int unit) {
    Release();
    if (size <= 0) {
        m_lastStatus = InvalidParameter;
        return 0;
    }
    std::unique_ptr<FontFamily> chosen;
    auto tryFamily = [&](const std::wstring& name) {
        if (name.empty()) return false;
        auto candidate = std::make_unique<FontFamily>(name.c_str());
        if (candidate->GetLastStatus() != Ok) return false;
        chosen = std::move(candidate);
        return true;
    };
    if (!tryFamily(family)) {
        // The generic sans-serif family, asked for through the flat call: the
        // wrapper's static accessor does not report a missing family.
        GpFontFamily* generic = nullptr;
        std::wstring genericName;
        if (DllExports::GdipGetGenericFontFamilySansSerif(&generic) == Ok && generic) {
            WCHAR name[LF_FACESIZE] = {};
            if (DllExports::GdipGetFamilyName(generic, name, LANG_NEUTRAL) == Ok) genericName = name;
            DllExports::GdipDeleteFontFamily(generic);
        }
        if (!tryFamily(genericName) && !tryFamily(InstalledFallbackFamily())) {
            m_lastStatus = FontFamilyNotFound;
            return 0;
        }
    }
    WCHAR usedName[LF_FACESIZE] = {};
    chosen->GetFamilyName(usedName);
    const int styleBits = style & (FontStyleBold | FontStyleItalic | FontStyleUnderline | FontStyleStrikeout);
    const Unit fontUnit = (unit >= UnitWorld && unit <= UnitMillimeter) ? static_cast<Unit>(unit) : UnitPoint;
    m_font = std::make_unique<Font>(chosen.get(), size, styleBits, fontUnit);
    m_lastStatus = m_font->GetLastStatus();
    if (m_lastStatus != Ok) {
        m_font.reset();
        return 0;
    }
    m_familyName = usedName;
    return 1;
}

int CGDIPlug_FontCtrl::GetLogFont(LOGFONTW* logFont) {
    if (!m_font || !logFont) return 0;
    MemoryDC dc;
    if (!dc.handle) return 0;
    Graphics g(dc.handle);
    m_lastStatus = m_font->GetLogFontW(&g, logFont);
    return m_lastStatus == Ok ? 1 : 0;
}

int CGDIPlug_FontCtrl::GetMetrics(HDC hdc, int* asciiWidth, int* nonAsciiWidth, int* lineHeight) {
    int a = 0, n = 0, h = 0;
    int ok = 0;
    LOGFONTW lf{};
    MemoryDC own;
    HDC dc = hdc ? hdc : own.handle;
    if (dc && GetLogFont(&lf)) {
        GdiFont font(CreateFontIndirectW(&lf));
        if (font.handle) {
            ScopedSelect select(dc, font.handle);
            TEXTMETRICW tm{};
            if (GetTextMetricsW(dc, &tm)) {
                a = tm.tmAveCharWidth;
                n = tm.tmMaxCharWidth;
                h = tm.tmHeight + tm.tmExternalLeading;
                ok = 1;
            }
        }
    }
    if (asciiWidth) *asciiWidth = a;
    if (nonAsciiWidth) *nonAsciiWidth = n;
    if (lineHeight) *lineHeight = h;
    return ok;
}

// ---- string ----

struct CGDIPlug_StringCtrl::Scratch {
    Bitmap bitmap{1, 1, PixelFormat32bppARGB};
    Graphics graphics{&bitmap};
};

CGDIPlug_StringCtrl::CGDIPlug_StringCtrl() = default;
CGDIPlug_StringCtrl::~CGDIPlug_StringCtrl() { Release(); }

int CGDIPlug_StringCtrl::Check(int status) {
    m_lastStatus = status;
    return status == Ok ? 1 : 0;
}

void CGDIPlug_StringCtrl::Release() {
    m_scratch.reset();
    m_brush.reset();
    m_format.reset();
    m_graphics = nullptr;
    m_font = nullptr;
}

int CGDIPlug_StringCtrl::Init(DUIGraphics* g, CGraphics_FontCtrl* font, DUIColor textColor, int) {
    Release();
    m_graphics = g;
    m_font = font;
    m_format.reset(StringFormat::GenericTypographic()->Clone());
    if (!m_format) return Check(OutOfMemory);
    m_color = textColor;
    m_brush = std::make_unique<SolidBrush>(Color(textColor));
    SetTrimming(0);
    SetAlignment(17);
    SetFormatFlags(5);
    return Check(m_format->GetLastStatus());
}

DUIGraphics* CGDIPlug_StringCtrl::Pick(DUIGraphics* g) {
    if (g) return g;
    if (m_graphics) return m_graphics;
    if (!m_scratch) m_scratch = std::make_unique<Scratch>();
    return &m_scratch->graphics;
}

int CGDIPlug_StringCtrl::SetTrimming(int trimming) {
    if (trimming < 0 || trimming > 5) trimming = 0;
    m_trimming = trimming;
    if (!m_format) return 0;
    return Check(m_format->SetTrimming(static_cast<StringTrimming>(trimming)));
}

int CGDIPlug_StringCtrl::SetAlignment(int alignFlags) {
    m_align = alignFlags;
    if (!m_format) return 0;
    static const StringAlignment kAlign[3] = {StringAlignmentNear, StringAlignmentCenter, StringAlignmentFar};
    if (!Check(m_format->SetAlignment(kAlign[HorizontalAlignmentOf(alignFlags)]))) return 0;
    return Check(m_format->SetLineAlignment(kAlign[VerticalAlignmentOf(alignFlags)]));
}

int CGDIPlug_StringCtrl::SetFormatFlags(int formatBits) {
    m_formatBits = formatBits;
    if (!m_format) return 0;
    return Check(m_format->SetFormatFlags(StringFormatFlagsOf(formatBits)));
}

int CGDIPlug_StringCtrl::SetTextColor(DUIColor color) {
    if (!m_brush) return 0;
    if (color == m_color) return 1;
    m_color = color;
    return Check(m_brush->SetColor(Color(color)));
}

int CGDIPlug_StringCtrl::SetFormat(const StringFormat* format) {
    if (!format) return 0;
    m_format.reset(format->Clone());
    return m_format ? 1 : 0;
}

int CGDIPlug_StringCtrl::DrawString(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout) {
    DUI_StageTimer timer(DUI_RenderStage::Text);
    if (!m_font || !m_font->GetFont() || !m_format || !m_brush) return 0;
    if (text.empty()) return 1;
    DUIGraphics* target = g ? g : m_graphics;
    if (!target) return 0;
    const RectF rect(layout.x, layout.y, layout.width, layout.height);
    return Check(target->DrawString(text.c_str(), static_cast<INT>(text.size()), m_font->GetFont(), rect,
                                    m_format.get(), m_brush.get()));
}

int CGDIPlug_StringCtrl::Measure(DUIGraphics* g, const std::wstring& text, float* width, float* height) {
    DUIRectF bounds;
    const int ok = MeasureInRect(g, text, DUIRectF{0, 0, 100000.0f, 100000.0f}, &bounds);
    if (width) *width = ok ? bounds.width : 0;
    if (height) *height = ok ? bounds.height : 0;
    return ok;
}

int CGDIPlug_StringCtrl::MeasureInRect(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout,
                                       DUIRectF* bounds) {
    if (!m_font || !m_font->GetFont() || !m_format) return 0;
    DUIGraphics* target = Pick(g);
    RectF box;
    // Near alignment: measuring asks for the size, not for a placement.
    std::unique_ptr<StringFormat> format(m_format->Clone());
    format->SetAlignment(StringAlignmentNear);
    format->SetLineAlignment(StringAlignmentNear);
    if (!Check(target->MeasureString(text.c_str(), static_cast<INT>(text.size()), m_font->GetFont(),
                                     RectF(layout.x, layout.y, layout.width, layout.height), format.get(), &box)))
        return 0;
    if (bounds) *bounds = DUIRectF{box.X, box.Y, box.Width, box.Height};
    return 1;
}

int CGDIPlug_StringCtrl::MeasureCharacterRanges(DUIGraphics* g, const std::wstring& text, const DUIRectF& layout,
                                                std::vector<DUIRectF>* boxes) {
    if (!boxes || !m_font || !m_font->GetFont() || !m_format) return 0;
    boxes->assign(text.size(), DUIRectF{});
    if (text.empty()) return 1;
    DUIGraphics* target = Pick(g);
    const RectF rect(layout.x, layout.y, layout.width, layout.height);
    std::unique_ptr<StringFormat> format(m_format->Clone());
    // GDI+ measures at most 32 ranges per call.
    constexpr size_t kChunk = 32;
    for (size_t start = 0; start < text.size(); start += kChunk) {
        const size_t n = std::min(kChunk, text.size() - start);
        std::vector<CharacterRange> ranges;
        for (size_t i = 0; i < n; ++i) ranges.emplace_back(static_cast<INT>(start + i), 1);
        if (!Check(format->SetMeasurableCharacterRanges(static_cast<INT>(n), ranges.data()))) return 0;
        std::vector<Region> regions(n);
        if (!Check(target->MeasureCharacterRanges(text.c_str(), static_cast<INT>(text.size()), m_font->GetFont(),
                                                  rect, format.get(), static_cast<INT>(n), regions.data())))
            return 0;
        for (size_t i = 0; i < n; ++i) {
            RectF b;
            if (regions[i].GetBounds(&b, target) == Ok) (*boxes)[start + i] = DUIRectF{b.X, b.Y, b.Width, b.Height};
        }
    }
    return 1;
}

void CGDIPlug_StringCtrl::GetRecord(DUIColor* color, int* alignFlags, int* formatBits, int* trimming) {
    if (color) *color = m_color;
    if (alignFlags) *alignFlags = m_align;
    if (formatBits) *formatBits = m_formatBits;
    if (trimming) *trimming = m_trimming;
}
