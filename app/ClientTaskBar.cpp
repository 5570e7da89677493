#include "ClientTaskBar.h"

#include <cwchar>

#include "AppCommands.h"
#include "ShellLogic.h"

CClientTaskBar::CClientTaskBar()
    : m_notifyIcon([](DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data); }),
      m_popupMenu([](HMENU menu, int x, int y, HWND owner) {
          // Without the foreground the menu stays open when the user clicks
          // elsewhere; the posted message lets it close properly.
          SetForegroundWindow(owner);
          TrackPopupMenu(menu, TPM_BOTTOMALIGN | TPM_RIGHTALIGN, x, y, 0, owner, nullptr);
          PostMessageW(owner, WM_NULL, 0, 0);
      }) {}

CClientTaskBar::~CClientTaskBar() {
    Remove();
    Shutdown();
}

int CClientTaskBar::Initialize(HINSTANCE module) {
    m_shown = 0;
    m_tooltip = L"reru";
    if (m_icon) DestroyIcon(m_icon);
    // LoadImage rather than LoadIcon: the handle is ours to destroy at shut-down.
    // At the notification area's own size, so the shell never scales a large one down.
    m_icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_VENTARO_LARGE), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    m_initialized = 1;
    return 1;
}

int CClientTaskBar::SetWindow(HWND window, HMENU popupMenu) {
    m_window = window;
    m_menu = popupMenu;
    return 1;
}

int CClientTaskBar::Show() {
    if (!m_initialized) return 0;
    m_wanted = 1;
    if (m_shown) return 1;
    m_data = NOTIFYICONDATAW{};
    // The structure's own size: the 64-bit layout is larger than the 32-bit one.
    m_data.cbSize = sizeof(NOTIFYICONDATAW);
    m_data.hWnd = m_window;
    m_data.uID = kIconId;
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_data.uCallbackMessage = WM_TRAYNOTIFY;
    m_data.hIcon = m_icon;
    const std::wstring tip = shell::ClampTooltip(m_tooltip);
    wcsncpy(m_data.szTip, tip.c_str(), 63);
    m_data.szTip[63] = L'\0';
    m_shown = m_notifyIcon(NIM_ADD, &m_data) ? 1 : 0;
    return m_shown;
}

int CClientTaskBar::SetTooltip(const std::wstring& text) {
    if (!m_initialized) return 0;
    if (text == m_tooltip) return 1;
    m_tooltip = text;
    if (!m_shown) return 1;  // Show puts it in
    const std::wstring tip = shell::ClampTooltip(m_tooltip);
    wcsncpy(m_data.szTip, tip.c_str(), 63);
    m_data.szTip[63] = L'\0';
    m_data.uFlags = NIF_TIP;
    m_notifyIcon(NIM_MODIFY, &m_data);
    m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    return 1;
}

int CClientTaskBar::OnTaskbarCreated() {
    if (!m_initialized || !m_wanted) return 0;
    m_shown = 0;  // the old notification area took the icon with it
    return Show();
}

int CClientTaskBar::RetryIfMissing() {
    if (!m_initialized || !m_wanted || m_shown) return 0;
    return Show();
}

int CClientTaskBar::Remove() {
    if (!m_initialized) return 0;
    m_wanted = 0;
    if (!m_shown) return 1;
    m_notifyIcon(NIM_DELETE, &m_data);
    m_shown = 0;
    return 1;
}

int CClientTaskBar::OnNotify(WPARAM iconId, LPARAM mouseMessage) {
    if (!m_initialized) return 0;
    const UINT mouse = static_cast<UINT>(mouseMessage);
    if (iconId == kIconId && mouse == WM_RBUTTONDOWN) {
        POINT cursor{};
        GetCursorPos(&cursor);
        if (m_menu && m_window) m_popupMenu(m_menu, cursor.x, cursor.y, m_window);
    } else if (mouse == WM_LBUTTONDBLCLK) {
        if (m_window) PostMessageW(m_window, WM_COMMAND, MAKEWPARAM(ID_SHOWWINDOW, 0), 0);
    }
    return 1;
}

int CClientTaskBar::Shutdown() {
    if (m_icon) DestroyIcon(m_icon);
    m_icon = nullptr;
    m_initialized = 0;
    return 1;
}
