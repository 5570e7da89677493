#include "controls/DUI_TextEdit.h"

#include <imm.h>

#include "ClipBoardCtrl.h"
#include <cmath>

#include "core/DUI_FontType.h"
#include "graphics/GraphicsCtrl.h"
#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "scene/DUI_UIScene.h"
#include "controls/DUI_Factory.h"
#include "skin/DUI_UIResource.h"

CDUI_TextEdit* CDUI_UIResource::CreateTextEdit(int32_t id, const std::wstring& style, const std::wstring& text,
                                               int32_t x, int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_TextEdit, CDUI_TextEdit_Style>(this, L"TextEdit", style, id, text, x, y, width, height);
}

CDUI_TextEdit::CDUI_TextEdit(CDUI_UIResource* resource, CDUI_TextEdit_Style* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {
    input_ = 1;  // takes the keyboard and shows its own cursor
    tabStop_ = 1;
    cursor_ = LoadCursorW(nullptr, IDC_IBEAM);
    backColor_ = 0xFFFFFFFF;
    // Caret, scrolling and clicks use the glyph edges the painter will draw.
    model_.SetMeasure([this](const std::wstring& shown) { return MeasureEdges(shown); });
    SyncMetrics();
}

std::vector<int> CDUI_TextEdit::MeasureEdges(const std::wstring& shown) {
    if (shown.empty()) return {0};
    // The font's string object is shared with the painter: only used under
    // the scene's lock, so an edit outside the scene waits to be measured.
    CGraphics_StringCtrl* strings = font_ && GetScene() ? font_->GetStringCtrl() : nullptr;
    if (!strings) return {};
    // The same font object and string format as Paint's DrawString; a probe
    // character after the text gives the right end, trailing spaces included.
    strings->SetAlignment(kTextAlignment);
    strings->SetFormatFlags(kTextFormat);
    strings->SetTrimming(0);
    std::vector<DUIRectF> boxes;
    const std::wstring probe = shown + L"x";
    if (!strings->MeasureCharacterRanges(nullptr, probe, DUIRectF{0, 0, 1000000.0f, float(std::max(1, height_))},
                                         &boxes) ||
        boxes.size() != probe.size())
        return {};
    std::vector<int> edges(shown.size() + 1);
    for (size_t i = 0; i <= shown.size(); ++i) edges[i] = static_cast<int>(std::lround(boxes[i].x));
    return edges;
}

void CDUI_TextEdit::SyncMetrics() {
    int32_t ascii = 7, other = 14, line = 16;
    if (font_) font_->GetMetrics(&ascii, &other, &line);
    if (ascii <= 0) ascii = 7;
    if (other <= 0) other = ascii * 2;
    model_.SetMetrics(ascii, other, std::max(0, width_ - 2 * kPadding));
}

void CDUI_TextEdit::OnSizeChanged() {
    SyncMetrics();
    Invalidate();
}

void CDUI_TextEdit::OnFontChanged() {
    SyncMetrics();
    model_.SetMeasure([this](const std::wstring& shown) { return MeasureEdges(shown); });  // measure afresh
    Invalidate();
}

int CDUI_TextEdit::SetText(const std::wstring& text) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    model_.SetText(text);
    text_ = model_.Text();
    OnTextChanged();
    return 1;
}

std::wstring CDUI_TextEdit::GetText() {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? model_.Text() : std::wstring();
}

void CDUI_TextEdit::SetMaxLength(int32_t length) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    model_.SetMaxLength(length);
}

void CDUI_TextEdit::SetPassword(int flag) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    model_.SetPassword(flag != 0);
    Invalidate();
}

void CDUI_TextEdit::SetReadOnly(int flag) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    model_.SetReadOnly(flag != 0);
}

void CDUI_TextEdit::SetTextCallback(DUI_KindCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    callback_ = {callback, user};
}

void CDUI_TextEdit::Changed() {
    text_ = model_.Text();
    Invalidate();
    FireEvent(kDuiTextChangedEvent, static_cast<int32_t>(text_.size()));
}

int CDUI_TextEdit::OnEvent(const CDUI_EventRecord& event) {
    if (event.code != kDuiTextChangedEvent) return 0;
    callback_.Call(this, event.arg[0]);
    return 1;
}

int CDUI_TextEdit::OnKeyMessage(UINT message, WPARAM wParam, LPARAM) {
    // Keys reach every control; only the focused edit with input acts on them.
    if (!input_ || !focus_) return 0;
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR: {
        const wchar_t ch = static_cast<wchar_t>(wParam);
        if (ch == L'\t') return 0;  // Tab moves the focus
        if (model_.OnChar(ch, message == WM_IME_CHAR)) Changed();
        return 1;
    }
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_LEFT:
        case VK_RIGHT:
            if (model_.OnKeyDown(static_cast<int>(wParam), (GetKeyState(VK_SHIFT) & 0x8000) != 0)) Changed();
            Invalidate();
            return 1;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

int CDUI_TextEdit::OnAccelerator(uint32_t commandId) {
    if (!focus_) return 0;
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    CClipBoardCtrl* clipboard = resource_ ? resource_->GetClipboard() : nullptr;
    CDUI_UIScene* scene = GetScene();
    void* owner = scene ? scene->GetHostWindow() : nullptr;
    switch (commandId) {
    case kDuiCmdCopy: {
        std::wstring text;
        if (clipboard && model_.Copy(&text)) clipboard->SetText(text, owner);
        return 1;
    }
    case kDuiCmdPaste: {
        std::wstring text;
        if (clipboard && clipboard->GetText(&text, owner) && model_.Paste(text)) Changed();
        return 1;
    }
    case kDuiCmdSelectAll:
        model_.SelectAll();
        Invalidate();
        return 1;
    default:
        return 0;
    }
}

int CDUI_TextEdit::OnRawMessage(UINT message, WPARAM, LPARAM) {
    if (message != WM_IME_COMPOSITION || !focus_) return 0;
    // Put the input method's composition window just below the edit.
    CDUI_UIScene* scene = GetScene();
    HWND host = scene ? scene->GetHostWindow() : nullptr;
    if (!host) return 0;
    if (HIMC context = ImmGetContext(host)) {
        COMPOSITIONFORM form{};
        form.dwStyle = CFS_FORCE_POSITION;
        // In the host's pixels: scene units times the drawing scale.
        form.ptCurrentPos.x = LONG(absolute_.x * scene->GetScale());
        form.ptCurrentPos.y = LONG((absolute_.y + absolute_.height) * scene->GetScale());
        ImmSetCompositionWindow(context, &form);
        ImmReleaseContext(host, context);
    }
    return 0;  // the host still lets the input method draw
}

int CDUI_TextEdit::OnLButtonDown(int32_t x, int32_t y, WPARAM) {
    if (!absolute_.Contains(x, y)) return 0;
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    model_.SetCaret(model_.IndexAt(x - absolute_.x - kPadding));
    selecting_ = 1;
    selectAnchor_ = model_.Caret();
    Invalidate();
    return 0;
}

int CDUI_TextEdit::OnMouseMove(int32_t x, int32_t, WPARAM keys) {
    if (!selecting_) return 0;
    if (!(keys & MK_LBUTTON)) {
        selecting_ = 0;
        return 0;
    }
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    model_.SetSelection(selectAnchor_, model_.IndexAt(x - absolute_.x - kPadding));
    Invalidate();
    return 0;
}

int CDUI_TextEdit::OnLButtonUp(int32_t, int32_t, WPARAM) {
    selecting_ = 0;
    return 0;
}

void CDUI_TextEdit::Paint(Gdiplus::Graphics* graphics) {
    if (!graphics) return;
    const std::wstring shown = model_.DisplayText();
    const int first = model_.FirstVisible();
    const int count = model_.VisibleCount();
    const DUI_Rect inner{absolute_.x + kPadding, absolute_.y, absolute_.width - 2 * kPadding, absolute_.height};
    if (model_.HasSelection() && focus_) {
        const int from = std::max(model_.SelectionStart(), first);
        const int to = std::min(model_.SelectionEnd(), first + count);
        if (to > from) {
            Gdiplus::SolidBrush selection{Gdiplus::Color(0xFF3399FF)};
            const int left = inner.x + model_.OffsetOf(from);
            graphics->FillRectangle(&selection, left, inner.y + 3, model_.OffsetOf(to) - model_.OffsetOf(from),
                                    inner.height - 6);
        }
    }
    if (font_ && !shown.empty()) {
        // The whole text, shifted so the first visible character starts at the
        // inner edge and clipped to the inner area: every glyph sits exactly
        // where the model measured it. Left-aligned and vertically centred,
        // whatever the control's alignment.
        const int shift = model_.Edges()[static_cast<size_t>(first)];
        Gdiplus::Region outer;
        graphics->GetClip(&outer);
        graphics->SetClip(Gdiplus::Rect(inner.x, inner.y, inner.width + kPadding, inner.height),
                          Gdiplus::CombineModeIntersect);
        font_->DrawString(graphics, shown, DUI_Rect{inner.x - shift, inner.y, shift + inner.width + kPadding, inner.height},
                          textColor_, kTextAlignment, kTextFormat, 0);
        graphics->SetClip(&outer);
    }
    if (focus_) {
        Gdiplus::Pen caret(Gdiplus::Color(textColor_), 1.0f);
        const int cx = inner.x + model_.OffsetOf(model_.Caret());
        graphics->DrawLine(&caret, cx, inner.y + 4, cx, inner.y + inner.height - 5);
    }
}
