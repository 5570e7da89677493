#pragma once
// The decisions of the application shell that need no window: command line,
// hand-over text, window dragging, the once-only timer check, placement and
// the autostart command. Kept free of <windows.h> so they test directly.
#include <string>
#include <string_view>

namespace shell {

// Only the whole command line "auto" (exact, case-sensitive) asks for a
// hidden start; log-on autostart passes it.
bool IsAutoStartCommandLine(std::wstring_view commandLine);
// The show command for the first ShowWindow: hidden (0) for "auto", else
// the one the process was given.
int StartShowCommand(std::wstring_view commandLine, int givenShowCommand);

// Hand-over text "GameTaskID_" + decimal id. Splits at the first "_"; the
// prefix must be "GameTaskID"; the id is read as unsigned decimal up to the
// first non-digit (no digits give 0). Returns false when the prefix differs.
bool ParseGameTaskHandOver(std::wstring_view text, unsigned int* id);

// Dragging the caption-less window by its top strip. The anchor stays where
// the button went down, so the point under the mouse keeps its place.
class CWindowDragState {
public:
    static constexpr int kStripWidth = 1366;
    static constexpr int kStripHeight = 50;

    struct MoveStep {
        bool captureMouse = false;  // first real move of this drag
        bool moveWindow = false;
        int dx = 0;
        int dy = 0;
    };

    virtual ~CWindowDragState() = default;
    // The strip in the window's own pixels (it grows with the drawing scale).
    void SetStrip(int width, int height) {
        m_stripWidth = width;
        m_stripHeight = height;
    }
    // True when a drag starts (point inside the strip, no drag running).
    bool ButtonDown(int x, int y);
    MoveStep MouseMove(int x, int y);
    // True when the mouse capture has to be released.
    bool ButtonUp();

    bool Dragging() const { return m_dragging; }
    bool Captured() const { return m_captured; }

private:
    bool m_dragging = false;
    bool m_captured = false;
    int m_stripWidth = kStripWidth;
    int m_stripHeight = kStripHeight;
    int m_anchorX = 0;
    int m_anchorY = 0;
};

// The one-second timer's counter: reports the 30th tick, once per run.
class CTickTrigger {
public:
    explicit CTickTrigger(int fireOnTick = 30) : m_fireAt(fireOnTick - 1) {}
    virtual ~CTickTrigger() = default;
    // Counts one tick; true exactly once, on the configured tick.
    bool Tick();
    int Ticks() const { return m_ticks; }

private:
    int m_fireAt;
    int m_ticks = 0;
};

// Origin that centres a window on a screen; 0 on an axis where the window
// is not smaller than the screen.
int CentredOrigin(int screenSize, int windowSize);

// A rectangle of the desktop (left/top inside, right/bottom outside).
struct ScreenArea {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Top-left corner that centres a width x height window in a monitor's work
// area (the screen less the taskbar); a window larger than the area on an
// axis starts at the area's edge there.
void CentreInArea(const ScreenArea& area, int width, int height, int* x, int* y);

// The drawing scale for a logical window on a monitor: the monitor's
// (dpi / 96), lowered until the window fits the work area, so all of it can
// be reached. The window's pixel size is ScaledLength(logical, scale).
double FitScale(unsigned dpi, int logicalWidth, int logicalHeight, const ScreenArea& area);
int ScaledLength(int logical, double scale);

// Moves a proposed window origin so that its title strip (the window's full
// width, stripHeight high) stays reachable on the monitor whose work area is
// given: wholly inside it vertically and at least a third of it
// horizontally (the rest may go past a side, or on to another monitor).
void KeepStripInArea(const ScreenArea& area, int width, int stripHeight, int* x, int* y);

// Tray tooltip limited to what the notification block holds (63 characters).
std::wstring ClampTooltip(std::wstring_view text);

}  // namespace shell
