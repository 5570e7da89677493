#pragma once
// Narrow entries through which the top-level window reaches the pages that
// act on its requests. The game page and the update page implement them; the
// UI engine implements the message filter. Until one is set, nothing acts as
// if a game mode ran or an update was checked (the top-level window keeps
// early hand-overs until the game page is there).
#include <windows.h>

#include <string>

// Runs the game mode with this record id (shortcut hand-over).
class IGameTaskRunner {
public:
    virtual ~IGameTaskRunner() = default;
    virtual int RunGameTaskById(unsigned int id) = 0;
};

// Checks for a new program version; silent 1 shows nothing unless there is one.
class IUpdateChecker {
public:
    virtual ~IUpdateChecker() = default;
    virtual int CheckForUpdate(int silent) = 0;
};

// Keeps the program from ending while work runs that must not be cut off
// (a firmware flash). The update page implements it.
class IExitGuard {
public:
    virtual ~IExitGuard() = default;
    // 1 while ending now would cut the work off; *reason then says so in a
    // few words (for the system's log-off screen).
    virtual int IsExitBlocked(std::wstring* reason) = 0;
    // Shows the window with a message that says why the program stays.
    virtual void ExplainExitBlocked() = 0;
};

// Sees every window message first. Returns 1 when it handled the message
// and then stores its result in *result.
class IWindowMessageFilter {
public:
    virtual ~IWindowMessageFilter() = default;
    virtual int HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
    // The window's pixels per logical unit changed (its monitor's DPI, or the
    // fit into the work area); also told once when the filter is set.
    virtual void SetDrawScale(double) {}
};
