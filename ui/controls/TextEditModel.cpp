#include "TextEditModel.h"

#include <algorithm>

void TextEditModel::SetMetrics(int asciiWidth, int nonAsciiWidth, int viewWidth) {
    m_asciiWidth = std::max(1, asciiWidth);
    m_nonAsciiWidth = std::max(1, nonAsciiWidth);
    m_viewWidth = std::max(0, viewWidth);
    m_edgesValid = false;
    ScrollToCaret();
}

void TextEditModel::SetMeasure(Measure measure) {
    m_measure = std::move(measure);
    m_edgesValid = false;
    ScrollToCaret();
}

const std::vector<int>& TextEditModel::Edges() const {
    const std::wstring shown = DisplayText();
    if (m_edgesValid && shown == m_edgesFor && (m_edgesMeasured || !m_measure)) return m_edges;
    std::vector<int> edges;
    if (m_measure) edges = m_measure(shown);
    m_edgesMeasured = edges.size() == shown.size() + 1;
    if (!m_edgesMeasured) {
        edges.assign(1, 0);
        for (wchar_t ch : shown) edges.push_back(edges.back() + WidthOf(ch));
    }
    // Never backwards: a zero-width or overlapping glyph sits on the previous edge.
    for (size_t i = 1; i < edges.size(); ++i) edges[i] = std::max(edges[i], edges[i - 1]);
    m_edges = std::move(edges);
    m_edgesFor = shown;
    m_edgesValid = true;
    return m_edges;
}

void TextEditModel::SetPassword(bool password) {
    m_password = password;
    ScrollToCaret();
}

int TextEditModel::WidthOf(wchar_t ch) const {
    if (m_password) return m_asciiWidth;  // shown as '*'
    return static_cast<unsigned>(ch) < 128 ? m_asciiWidth : m_nonAsciiWidth;
}

void TextEditModel::SetText(const std::wstring& text) {
    m_text = text;
    if (m_maxLength > 0 && static_cast<int>(m_text.size()) > m_maxLength) m_text.resize(m_maxLength);
    m_firstVisible = 0;
    m_caret = static_cast<int>(m_text.size());
    ClearSelection();
    ScrollToCaret();
}

std::wstring TextEditModel::DisplayText() const {
    return m_password ? std::wstring(m_text.size(), L'*') : m_text;
}

bool TextEditModel::Accepts(wchar_t ch, bool fromIme) const {
    const bool ascii = ch >= 32 && ch <= 126;
    if (m_password) return ascii;
    if (!fromIme) return ascii;
    return ch >= 32 && ch != 127;
}

bool TextEditModel::DeleteSelection() {
    if (!HasSelection()) return false;
    const int start = SelectionStart();
    m_text.erase(start, SelectionEnd() - start);
    m_caret = start;
    ClearSelection();
    if (m_firstVisible > m_caret) m_firstVisible = m_caret;
    return true;
}

int TextEditModel::OnChar(wchar_t ch, bool fromIme) {
    if (m_readOnly) return 0;
    if (ch == 8) {
        if (DeleteSelection()) {
            ScrollToCaret();
            return 1;
        }
        if (m_caret <= 0) return 0;
        m_text.erase(m_caret - 1, 1);
        --m_caret;
        ClearSelection();
        // Keep one character of context in view when backing into the left edge.
        if (m_caret <= m_firstVisible && m_firstVisible > 0) m_firstVisible = std::max(0, m_caret - 1);
        ScrollToCaret();
        return 1;
    }
    if (ch == 13 || ch == 27) return 0;
    if (!Accepts(ch, fromIme)) return 0;
    const int selected = SelectionEnd() - SelectionStart();
    if (m_maxLength > 0 && static_cast<int>(m_text.size()) - selected >= m_maxLength) return 0;
    DeleteSelection();
    m_text.insert(m_text.begin() + m_caret, ch);
    ++m_caret;
    ClearSelection();
    ScrollToCaret();
    return 1;
}

int TextEditModel::OnKeyDown(int key, bool shift) {
    if (shift && (key == kKeyHome || key == kKeyEnd || key == kKeyLeft || key == kKeyRight)) {
        const int anchor = HasSelection() ? (m_caret == m_selEnd ? m_selStart : m_selEnd) : m_caret;
        int target = m_caret;
        if (key == kKeyHome) target = 0;
        if (key == kKeyEnd) target = static_cast<int>(m_text.size());
        if (key == kKeyLeft) target = m_caret - 1;
        if (key == kKeyRight) target = m_caret + 1;
        SetSelection(anchor, target);
        return 0;
    }
    switch (key) {
        case kKeyDelete:
            if (m_readOnly) return 0;
            if (DeleteSelection()) {
                ScrollToCaret();
                return 1;
            }
            if (m_caret >= static_cast<int>(m_text.size())) return 0;
            m_text.erase(m_caret, 1);
            ScrollToCaret();
            return 1;
        case kKeyHome: SetCaret(0); return 0;
        case kKeyEnd: SetCaret(static_cast<int>(m_text.size())); return 0;
        case kKeyLeft: SetCaret(HasSelection() ? SelectionStart() : m_caret - 1); return 0;
        case kKeyRight: SetCaret(HasSelection() ? SelectionEnd() : m_caret + 1); return 0;
        default: return 0;
    }
}

int TextEditModel::Copy(std::wstring* out) const {
    if (m_password || !out) return 0;
    *out = HasSelection() ? m_text.substr(SelectionStart(), SelectionEnd() - SelectionStart()) : m_text;
    return 1;
}

int TextEditModel::Paste(const std::wstring& text) {
    if (m_readOnly) return 0;
    std::wstring accepted;
    for (wchar_t ch : text)
        if (Accepts(ch, true)) accepted += ch;
    if (accepted.empty() && !HasSelection()) return 0;
    DeleteSelection();
    if (m_maxLength > 0) {
        const int room = std::max(0, m_maxLength - static_cast<int>(m_text.size()));
        if (static_cast<int>(accepted.size()) > room) accepted.resize(room);
    }
    m_text.insert(m_caret, accepted);
    m_caret += static_cast<int>(accepted.size());
    ClearSelection();
    ScrollToCaret();
    return 1;
}

void TextEditModel::SelectAll() {
    m_selStart = 0;
    m_selEnd = static_cast<int>(m_text.size());
    m_caret = m_selEnd;
    ScrollToCaret();
}

void TextEditModel::SetSelection(int start, int end) {
    const int len = static_cast<int>(m_text.size());
    m_selStart = std::clamp(start, 0, len);
    m_selEnd = std::clamp(end, 0, len);
    m_caret = m_selEnd;
    ScrollToCaret();
}

void TextEditModel::SetCaret(int caret) {
    m_caret = std::clamp(caret, 0, static_cast<int>(m_text.size()));
    ClearSelection();
    ScrollToCaret();
}

int TextEditModel::VisibleCount() const {
    const int len = static_cast<int>(m_text.size());
    const int start = EdgeAt(m_firstVisible);
    int count = 0;
    for (int i = m_firstVisible; i < len && EdgeAt(i + 1) - start <= m_viewWidth; ++i) ++count;
    return count;
}

void TextEditModel::ScrollToCaret() {
    const int len = static_cast<int>(m_text.size());
    m_caret = std::clamp(m_caret, 0, len);
    m_firstVisible = std::clamp(m_firstVisible, 0, len);
    if (m_caret < m_firstVisible) m_firstVisible = m_caret;
    // Advance the window while the caret lies past its end: one character for
    // ASCII (or password) text, two for wide characters.
    while (m_firstVisible < m_caret && OffsetOf(m_caret) > m_viewWidth) {
        const bool narrow = m_password || static_cast<unsigned>(m_text[m_firstVisible]) < 128;
        m_firstVisible = std::min(m_caret, m_firstVisible + (narrow ? 1 : 2));
    }
}

int TextEditModel::OffsetOf(int index) const {
    index = std::clamp(index, 0, static_cast<int>(m_text.size()));
    return EdgeAt(index) - EdgeAt(m_firstVisible);
}

int TextEditModel::IndexAt(int offsetX) const {
    const int len = static_cast<int>(m_text.size());
    const int start = EdgeAt(m_firstVisible);
    for (int i = m_firstVisible; i < len; ++i) {
        const int left = EdgeAt(i) - start, w = EdgeAt(i + 1) - EdgeAt(i);
        if (offsetX < left + w / 2) return i;
    }
    return len;
}
