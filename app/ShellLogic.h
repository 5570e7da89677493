#pragma once
// The decisions of the application shell that need no window: command line,
// hand-over text, window dragging, the once-only timer check, placement and
// the autostart command. Kept free of <windows.h> so they test directly.
#include <string>
#include <string_view>
#include <vector>

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

// The Run value: the path in quotes so a path with blanks (the usual
// "C:\Program Files\...") names this program and nothing else, then " auto".
std::wstring AutostartCommand(std::wstring_view programPath);

// Every folder along path, shortest first, each with its trailing "\":
// "C:\a\b\" gives "C:\", "C:\a\", "C:\a\b\". UNC roots ("\\server\share\")
// come as one level.
std::vector<std::wstring> FolderLevels(std::wstring_view path);

// Tray tooltip limited to what the notification block holds (63 characters).
std::wstring ClampTooltip(std::wstring_view text);

}  // namespace shell
