#pragma once
// Ventaro's icon in the notification area: lets the program run with its
// window hidden. Double-click shows the window, a right-button press opens
// the top-level window's popup menu.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

class CClientTaskBar {
public:
    // The shell call that adds and deletes the icon; replaceable so the
    // notification area can be stood in for.
    using NotifyIconFunction = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;
    // Opens a popup menu at a screen point; the default is TrackPopupMenu.
    using PopupMenuFunction = std::function<void(HMENU menu, int x, int y, HWND owner)>;

    CClientTaskBar();
    virtual ~CClientTaskBar();
    CClientTaskBar(const CClientTaskBar&) = delete;
    CClientTaskBar& operator=(const CClientTaskBar&) = delete;

    // Loads icon 107 of module; the icon is not shown yet. Returns 1.
    int Initialize(HINSTANCE module);
    // The top-level window that receives the callbacks and owns the menu.
    int SetWindow(HWND window, HMENU popupMenu);
    // 1 when the icon is (already) there, 0 when not initialised or refused.
    // A refused icon (no notification area yet at log-on) is still wanted:
    // RetryIfMissing adds it later.
    int Show();
    // 1 when the icon is gone (or was never shown), 0 when not initialised.
    int Remove();
    // The notification area was (re)created, e.g. after Explorer restarted:
    // the icon is gone from it and is added again when it is wanted.
    int OnTaskbarCreated();
    // Adds a wanted icon that is missing; called once a second.
    int RetryIfMissing();
    // Callback of WM_TRAYNOTIFY: wParam = icon id, lParam = mouse message.
    int OnNotify(WPARAM iconId, LPARAM mouseMessage);
    // Releases the icon handle.
    int Shutdown();
    // Changes the tooltip; a shown icon takes it at once. 1, or 0 when not
    // initialised.
    int SetTooltip(const std::wstring& text);

    int IsShown() const { return m_shown; }
    std::wstring Tooltip() const { return m_tooltip; }

    void SetNotifyIconFunction(NotifyIconFunction f) { m_notifyIcon = std::move(f); }
    void SetPopupMenuFunction(PopupMenuFunction f) { m_popupMenu = std::move(f); }

    static constexpr UINT kIconId = 1;

private:
    int m_initialized = 0;
    int m_shown = 0;
    int m_wanted = 0;  // between Show and Remove, whether or not the shell took it
    std::wstring m_tooltip;
    HICON m_icon = nullptr;
    HWND m_window = nullptr;      // borrowed: the top-level window
    HMENU m_menu = nullptr;       // borrowed: owned by the top-level window
    NOTIFYICONDATAW m_data{};
    NotifyIconFunction m_notifyIcon;
    PopupMenuFunction m_popupMenu;
};
