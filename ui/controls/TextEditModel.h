#pragma once
// The editing rules of the text edit, apart from painting and input plumbing:
// which characters are accepted, the maximum length, password and read-only
// modes, the caret, the selection and the horizontal scroll by first visible
// character. Positions come from a measure function that the edit gives it
// (the real glyph edges of the shown text, as the painter draws it); without
// one, from the font's ASCII and non-ASCII character widths.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

class TextEditModel {
public:
    // Key codes the edit handles (the virtual-key values).
    static constexpr int kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyRight = 39, kKeyDelete = 46;

    void SetMetrics(int asciiWidth, int nonAsciiWidth, int viewWidth);
    // Edges of the characters of a shown text: size + 1 ascending pixel
    // positions from the text's origin (edge i = left of character i, the
    // last one = right end). A result of another size means "cannot measure".
    using Measure = std::function<std::vector<int>(const std::wstring& shown)>;
    void SetMeasure(Measure measure);
    // The edges in use for the shown text now (measured or from the metrics).
    const std::vector<int>& Edges() const;
    void SetMaxLength(int maxLength) { m_maxLength = maxLength < 0 ? 0 : maxLength; }
    int GetMaxLength() const { return m_maxLength; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool IsReadOnly() const { return m_readOnly; }
    void SetPassword(bool password);
    bool IsPassword() const { return m_password; }

    // Replaces the text (cut to the maximum length); caret to the end.
    void SetText(const std::wstring& text);
    const std::wstring& Text() const { return m_text; }
    // What is shown: '*' per character in password mode.
    std::wstring DisplayText() const;

    // A character message. fromIme: WM_IME_CHAR (any character), otherwise
    // WM_CHAR (printable ASCII only). 8 is Backspace; 13 and 27 are ignored.
    // Returns 1 when the text changed (the edit fires 1801).
    int OnChar(wchar_t ch, bool fromIme);
    // Delete, Home, End, Left, Right; returns 1 when the text changed. With
    // shift the caret keys extend the selection from where it started.
    int OnKeyDown(int key, bool shift = false);
    // Clipboard commands. Copy gives the selection, or the whole text when
    // nothing is selected; 0 in password mode.
    int Copy(std::wstring* out) const;
    // Paste replaces the selection; control characters are dropped, the rest
    // is cut to the maximum length (ASCII only in password mode).
    int Paste(const std::wstring& text);
    void SelectAll();
    void SetSelection(int start, int end);

    int Caret() const { return m_caret; }
    void SetCaret(int caret);
    bool HasSelection() const { return m_selStart != m_selEnd; }
    int SelectionStart() const { return std::min(m_selStart, m_selEnd); }
    int SelectionEnd() const { return std::max(m_selStart, m_selEnd); }
    int FirstVisible() const { return m_firstVisible; }
    // Characters from FirstVisible that fit in the view width.
    int VisibleCount() const;
    // Pixel offset of a character index from the view's left edge (may be
    // negative for characters scrolled out to the left).
    int OffsetOf(int index) const;
    // The caret index nearest to a pixel offset from the view's left edge.
    int IndexAt(int offsetX) const;

private:
    int WidthOf(wchar_t ch) const;
    // Edge of character index (index == size: the right end).
    int EdgeAt(int index) const { return Edges()[static_cast<size_t>(index)]; }
    bool Accepts(wchar_t ch, bool fromIme) const;
    bool DeleteSelection();
    void ClearSelection() { m_selStart = m_selEnd = m_caret; }
    // Scrolls so the caret is inside the visible window.
    void ScrollToCaret();

    std::wstring m_text;
    int m_caret = 0;
    int m_selStart = 0, m_selEnd = 0;
    int m_firstVisible = 0;
    int m_maxLength = 0;  // 0 = unlimited
    bool m_readOnly = false;
    bool m_password = false;
    int m_asciiWidth = 7, m_nonAsciiWidth = 14, m_viewWidth = 100;
    Measure m_measure;
    mutable std::vector<int> m_edges;  // cache for m_edgesFor
    mutable std::wstring m_edgesFor;
    mutable bool m_edgesValid = false;
    mutable bool m_edgesMeasured = false;  // false: from the metrics, measure again next time
};
