#include "ShellLogic.h"

#include <algorithm>
#include <cmath>

namespace shell {

bool IsAutoStartCommandLine(std::wstring_view commandLine) { return commandLine == L"auto"; }

int StartShowCommand(std::wstring_view commandLine, int givenShowCommand) {
    return IsAutoStartCommandLine(commandLine) ? 0 : givenShowCommand;
}

bool ParseGameTaskHandOver(std::wstring_view text, unsigned int* id) {
    const size_t cut = text.find(L'_');
    const std::wstring_view prefix = text.substr(0, cut);
    const std::wstring_view suffix = cut == std::wstring_view::npos ? std::wstring_view() : text.substr(cut + 1);
    if (prefix != L"GameTaskID") return false;
    unsigned int value = 0;
    for (wchar_t c : suffix) {
        if (c < L'0' || c > L'9') break;
        value = value * 10u + static_cast<unsigned int>(c - L'0');  // wraps like the C parser would
    }
    if (id) *id = value;
    return true;
}

bool CWindowDragState::ButtonDown(int x, int y) {
    const bool inStrip = x >= 0 && x < m_stripWidth && y >= 0 && y < m_stripHeight;
    if (!inStrip || m_dragging) return false;
    m_anchorX = x;
    m_anchorY = y;
    m_captured = false;
    m_dragging = true;
    return true;
}

CWindowDragState::MoveStep CWindowDragState::MouseMove(int x, int y) {
    MoveStep step;
    if (!m_dragging) return step;
    step.dx = x - m_anchorX;
    step.dy = y - m_anchorY;
    if (step.dx == 0 && step.dy == 0) return step;
    if (!m_captured) {
        step.captureMouse = true;
        m_captured = true;
    }
    step.moveWindow = true;
    return step;
}

bool CWindowDragState::ButtonUp() {
    if (!m_dragging) return false;
    const bool release = m_captured;
    m_captured = false;
    m_anchorX = 0;
    m_anchorY = 0;
    m_dragging = false;
    return release;
}

bool CTickTrigger::Tick() {
    const int seen = m_ticks;
    // Stop counting once past the trigger: nothing later depends on it and
    // the counter can then never wrap round to fire again.
    if (m_ticks <= m_fireAt) ++m_ticks;
    return seen == m_fireAt;
}

int CentredOrigin(int screenSize, int windowSize) {
    return windowSize < screenSize ? (screenSize - windowSize) / 2 : 0;
}

void CentreInArea(const ScreenArea& area, int width, int height, int* x, int* y) {
    if (x) *x = area.left + CentredOrigin(area.Width(), width);
    if (y) *y = area.top + CentredOrigin(area.Height(), height);
}

int ScaledLength(int logical, double scale) { return static_cast<int>(std::floor(logical * scale + 0.5)); }

double FitScale(unsigned dpi, int logicalWidth, int logicalHeight, const ScreenArea& area) {
    double scale = (dpi ? dpi : 96u) / 96.0;
    if (logicalWidth <= 0 || logicalHeight <= 0 || area.Width() <= 0 || area.Height() <= 0) return scale;
    // Lowered in steps of 1/64: a scale that is a short binary fraction keeps
    // the edges of neighbouring controls on the same pixel rows.
    while (scale > 1.0 / 64 && (ScaledLength(logicalWidth, scale) > area.Width() ||
                                ScaledLength(logicalHeight, scale) > area.Height()))
        scale = std::ceil(scale * 64 - 1) / 64;
    return scale;
}

void KeepStripInArea(const ScreenArea& area, int width, int stripHeight, int* x, int* y) {
    if (y) *y = std::max(area.top, std::min(*y, area.bottom - stripHeight));
    if (x) {
        const int keep = std::max(1, width / 3);
        *x = std::max(area.left - (width - keep), std::min(*x, area.right - keep));
    }
}

std::wstring ClampTooltip(std::wstring_view text) { return std::wstring(text.substr(0, 63)); }

}  // namespace shell
