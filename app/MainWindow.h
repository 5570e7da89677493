#pragma once
// The one top-level window: a borderless popup that hosts the skinned UI,
// routes window messages (UI engine first, then the tray, menu commands,
// dragging by the top strip and the game-mode hand-over), runs the
// one-second timer and the message loop.
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "AppHooks.h"
#include "ShellLogic.h"

class CClientTaskBar;

class CMainWindow {
public:
    static constexpr const wchar_t* kClassName = L"VentaroClass";
    static constexpr const wchar_t* kTitle = L"Ventaro";
    static constexpr int kWidth = 1366;
    static constexpr int kHeight = 768;

    CMainWindow();
    virtual ~CMainWindow();
    CMainWindow(const CMainWindow&) = delete;
    CMainWindow& operator=(const CMainWindow&) = delete;

    // Registers the class, creates the hidden window centred in the work area
    // of its monitor, starts the timer and builds the tray menu. nullptr on failure.
    HWND Initialize(HINSTANCE instance);
    // Shows the window with showCommand and pumps messages until WM_QUIT;
    // returns its wParam.
    int RunMessageLoop(int showCommand);
    // Kills the timer, destroys the window if still there, unregisters the class.
    int Shutdown();

    HWND GetWindowHandle() const { return m_window; }
    HMENU GetPopupMenu() const { return m_popupMenu; }
    int IsInitialized() const { return m_initialized; }
    // Pixels per logical unit: the monitor's DPI / 96, lowered where the
    // window would not fit the monitor's work area.
    double GetDrawScale() const { return m_scale; }

    // Borrowed collaborators; each may stay unset.
    // The filter is told the drawing scale at once and at every change.
    void SetMessageFilter(IWindowMessageFilter* filter);
    void SetTaskBar(CClientTaskBar* taskBar) { m_taskBar = taskBar; }
    // A hand-over that arrives before there is a game page, or while the
    // hand-overs are held (the window exists from the middle of start-up on,
    // and a shortcut may be quicker), waits here and runs as soon as both a
    // game page is set and the hand-overs are accepted.
    void SetGameTaskRunner(IGameTaskRunner* runner);
    // The start-up holds hand-overs from the window's creation until the
    // program stands; accepted is the default.
    void HoldHandOvers() { m_acceptHandOvers = 0; }
    void AcceptHandOvers();
    void SetUpdateChecker(IUpdateChecker* checker) { m_updates = checker; }
    // Takes WM_DEVICECHANGE, WM_POWERBROADCAST and the controller's link
    // reports (the client window's controller watch); borrowed.
    void SetControllerEvents(IWindowMessageFilter* events) { m_controllerEvents = events; }
    // Asked before 退出 and WM_CLOSE end the program and when the session
    // ends; while it blocks, the program stays.
    void SetExitGuard(IExitGuard* guard) { m_exitGuard = guard; }
    // Runs when the session ends (log-off, shut-down): saves and closes what
    // the program holds in order; the system may end the process right after.
    // This window may be gone when it returns.
    void SetSessionEndHandler(std::function<void()> handler) { m_sessionEnd = std::move(handler); }

    // One tick of the one-second timer (the timer procedure calls it).
    void OnTimerTick();
    int TimerTicks() const { return m_ticks.Ticks(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(unsigned int id);
    // True (and the guard explains itself) when the program may not end now.
    bool ExitRefused();
    LRESULT OnQueryEndSession(HWND window);
    void OnCopyData(const COPYDATASTRUCT* data);
    void RunWaitingGameTasks();
    void OnDragButtonDown(int x, int y);
    void OnDragMove(int x, int y, WPARAM keys);
    void OnCaptureLost();
    void PlaceInWorkArea();
    // Takes the scale for dpi on the monitor of rect and sizes the window
    // for it at rect's origin; tells the filter when the scale changed.
    void ApplyScale(unsigned dpi, const RECT& rect);
    void OnDpiChanged(WPARAM wParam, const RECT* suggested);
    void OnDragButtonUp();

    int m_initialized = 0;
    std::wstring m_title = kTitle;
    HINSTANCE m_instance = nullptr;
    HWND m_window = nullptr;
    std::wstring m_className = kClassName;
    HACCEL m_accelerators = nullptr;  // loaded from resources; freed with the module
    ATOM m_classAtom = 0;
    UINT_PTR m_timer = 0;
    HMENU m_popupMenu = nullptr;  // owned
    shell::CTickTrigger m_ticks{30};

    std::mutex m_dragLock;  // serialises the three drag steps
    shell::CWindowDragState m_drag;
    int m_stripHeight = shell::CWindowDragState::kStripHeight;  // in the window's pixels
    double m_scale = 1.0;

    IWindowMessageFilter* m_filter = nullptr;  // borrowed: the UI engine
    CClientTaskBar* m_taskBar = nullptr;       // borrowed: owned by the module
    UINT m_taskbarCreated = 0;                 // the shell's registered "TaskbarCreated" message
    IGameTaskRunner* m_gameTasks = nullptr;    // borrowed: the game page
    std::vector<unsigned int> m_waitingGameTasks;  // hand-overs before the game page
    int m_acceptHandOvers = 1;
    IUpdateChecker* m_updates = nullptr;       // borrowed: the update page
    IWindowMessageFilter* m_controllerEvents = nullptr;  // borrowed: the client window's watch
    IExitGuard* m_exitGuard = nullptr;         // borrowed: the update page
    std::function<void()> m_sessionEnd;
    int m_blockingShutdown = 0;                // a shut-down block reason is registered
};
