#include "MainWindow.h"

#include <windowsx.h>

#include "AppCommands.h"
#include "ClientTaskBar.h"
#include "PaceSetting.h"

namespace {
shell::ScreenArea WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info)) {
        RECT work{};
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
            work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        info.rcWork = work;
    }
    return shell::ScreenArea{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

// The DPI of the window's monitor as this per-monitor aware program sees
// it. GetDpiForWindow came with Windows 10 1607; before it, a system-aware
// process has the system DPI of the screen.
unsigned WindowDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && window) {
        if (const UINT dpi = forWindow(window)) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? unsigned(dpi) : 96u;
}

// Shortcuts opened while the program starts; more than a handful is no user.
constexpr size_t kMaxWaitingGameTasks = 8;
}  // namespace

CMainWindow::CMainWindow() = default;

CMainWindow::~CMainWindow() { Shutdown(); }

HWND CMainWindow::Initialize(HINSTANCE instance) {
    m_instance = instance;
    // Two Alt entries, both command 104, which nothing acts on.
    m_accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_VENTARO_ACCEL));

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &CMainWindow::WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VENTARO_LARGE));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VENTARO_SMALL), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
    wc.hCursor = nullptr;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = m_className.c_str();
    m_classAtom = RegisterClassExW(&wc);

    HWND window = CreateWindowExW(0, m_className.c_str(), m_title.c_str(), WS_POPUP, 400, 600, kWidth, kHeight,
                                  nullptr, nullptr, instance, this);
    if (!window) return nullptr;
    m_window = window;

    PlaceInWorkArea();

    // MAINTIMER_PERIOD_MS unless VENTARO_PACE_MS says otherwise.
    m_timer = SetTimer(window, MAINTIMER_ID, pace::SecondMs(), &CMainWindow::TimerProc);
    // Sent to every top-level window when Explorer (re)creates the taskbar.
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

    m_popupMenu = CreatePopupMenu();
    AppendMenuW(m_popupMenu, MF_STRING, ID_SHOWWINDOW, L"打开reru");
    AppendMenuW(m_popupMenu, MF_STRING, ID_CHECKUPDATE, L"检查更新");
    AppendMenuW(m_popupMenu, MF_STRING, ID_EXIT, L"退出");

    m_initialized = 1;
    return window;
}

int CMainWindow::RunMessageLoop(int showCommand) {
    if (m_window) {
        ShowWindow(m_window, showCommand);
        UpdateWindow(m_window);
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    MSG msg{};
    // GetMessage gives -1 on a broken call; that ends the loop rather than spinning.
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!m_accelerators || !TranslateAcceleratorW(m_window, m_accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

int CMainWindow::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(m_dragLock);
        m_drag.ButtonUp();  // a drag ends with the window
    }
    // Outside the lock: destroying a window that has the mouse capture sends
    // it WM_CAPTURECHANGED, whose handler takes the lock on this thread.
    if (m_window && IsWindow(m_window)) {
        if (m_timer) KillTimer(m_window, MAINTIMER_ID);
        DestroyWindow(m_window);
    }
    m_timer = 0;
    m_window = nullptr;
    if (m_classAtom) UnregisterClassW(m_className.c_str(), m_instance);
    m_classAtom = 0;
    if (m_popupMenu) DestroyMenu(m_popupMenu);
    m_popupMenu = nullptr;
    m_accelerators = nullptr;
    m_initialized = 0;
    return 1;
}

void CMainWindow::OnTimerTick() {
    if (m_taskBar) m_taskBar->RetryIfMissing();
    // The flash that held the session's end is over: log-off may go on.
    if (m_blockingShutdown && !(m_exitGuard && m_exitGuard->IsExitBlocked(nullptr))) {
        if (m_window) ShutdownBlockReasonDestroy(m_window);
        m_blockingShutdown = 0;
    }
    if (m_ticks.Tick() && m_updates) m_updates->CheckForUpdate(1);
}

LRESULT CALLBACK CMainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<CMainWindow*>(create->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->m_window = window;
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (self && self->m_window == window) {
            self->m_window = nullptr;
            self->m_timer = 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        break;
    }
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(window, message, wParam, lParam);
}

void CALLBACK CMainWindow::TimerProc(HWND window, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<CMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) self->OnTimerTick();
}

LRESULT CMainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT filterResult = 0;
    const int filtered = m_filter && m_filter->HandleWindowMessage(message, wParam, lParam, &filterResult);
    // The top strip drags the window whatever the engine made of the
    // message: the engine in front takes every press on its window control.
    switch (message) {
    case WM_LBUTTONDOWN:
        OnDragButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_MOUSEMOVE:
        OnDragMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), wParam);
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window) OnCaptureLost();
        break;
    case WM_LBUTTONUP:
        OnDragButtonUp();
        break;
    default:
        break;
    }
    if (m_controllerEvents &&
        (message == WM_DEVICECHANGE || message == WM_POWERBROADCAST || message == WM_CONTROLLERLINK)) {
        LRESULT result = 0;
        if (m_controllerEvents->HandleWindowMessage(message, wParam, lParam, &result)) return result;
    }
    if (filtered) {
        // A character the engine consumed must not reach the default procedure;
        // an accessibility answer is the engine's own.
        if (message == WM_IME_CHAR || message == WM_GETOBJECT) return filterResult;
        if (!IsWindow(window)) return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (m_taskbarCreated && message == m_taskbarCreated) {
        if (m_taskBar) m_taskBar->OnTaskbarCreated();
        return 0;
    }
    if (message >= WM_USER) {
        if (message == WM_TRAYNOTIFY && m_taskBar) m_taskBar->OnNotify(wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        break;
    case WM_DPICHANGED:
        OnDpiChanged(wParam, reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        if (!ExitRefused()) DestroyWindow(window);
        return 0;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession(window);
    case WM_ENDSESSION:
        if (wParam && m_sessionEnd) {
            // The handler may tear this window down: nothing of it is touched after.
            const std::function<void()> end = m_sessionEnd;
            end();
            return 0;
        }
        break;
    case WM_COPYDATA:
        OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        break;
    default:
        break;
    }
    if (!IsWindow(window)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

void CMainWindow::OnCommand(unsigned int id) {
    switch (id) {
    case ID_HIDEWINDOW:
        if (m_window) ShowWindow(m_window, SW_HIDE);
        // Hidden in the tray for hours: give the pages of memory back until
        // the window is shown again.
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
        break;
    case ID_SHOWWINDOW:
        if (m_window) {
            ShowWindow(m_window, SW_SHOWNORMAL);
            SetForegroundWindow(m_window);
        }
        break;
    case ID_EXIT:
        if (m_window && !ExitRefused()) DestroyWindow(m_window);
        break;
    case ID_CHECKUPDATE:
        if (m_window) ShowWindow(m_window, SW_SHOWNORMAL);
        if (m_updates) m_updates->CheckForUpdate(0);
        break;
    default:
        break;
    }
}

bool CMainWindow::ExitRefused() {
    if (!m_exitGuard || !m_exitGuard->IsExitBlocked(nullptr)) return false;
    m_exitGuard->ExplainExitBlocked();
    return true;
}

LRESULT CMainWindow::OnQueryEndSession(HWND window) {
    std::wstring reason;
    if (m_exitGuard && m_exitGuard->IsExitBlocked(&reason)) {
        // Log-off and shut-down wait, and tell the user why.
        if (ShutdownBlockReasonCreate(window, reason.c_str())) m_blockingShutdown = 1;
        return FALSE;
    }
    return TRUE;
}

void CMainWindow::OnCopyData(const COPYDATASTRUCT* data) {
    if (!data || !data->lpData) return;
    const std::wstring text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
    unsigned int id = 0;
    if (!shell::ParseGameTaskHandOver(text, &id)) return;
    // The sender only waits for the request to arrive, not for the game mode
    // (programs, pages, light commands); and the shell refuses some calls
    // made inside a sent message. The id is copied: answer, then run.
    if (InSendMessage()) ReplyMessage(TRUE);
    if (m_gameTasks && m_acceptHandOvers) {
        m_gameTasks->RunGameTaskById(id);
    } else if (m_waitingGameTasks.size() < kMaxWaitingGameTasks) {
        m_waitingGameTasks.push_back(id);
    }
}

void CMainWindow::SetGameTaskRunner(IGameTaskRunner* runner) {
    m_gameTasks = runner;
    RunWaitingGameTasks();
}

void CMainWindow::AcceptHandOvers() {
    m_acceptHandOvers = 1;
    RunWaitingGameTasks();
}

void CMainWindow::RunWaitingGameTasks() {
    if (!m_gameTasks || !m_acceptHandOvers) return;
    std::vector<unsigned int> waiting;
    waiting.swap(m_waitingGameTasks);
    for (unsigned int id : waiting) m_gameTasks->RunGameTaskById(id);
}

void CMainWindow::OnDragButtonDown(int x, int y) {
    std::lock_guard<std::mutex> lock(m_dragLock);
    m_drag.ButtonDown(x, y);
}

void CMainWindow::OnDragMove(int x, int y, WPARAM keys) {
    // The release went elsewhere (another window, a system dialog): the drag
    // ends here instead of the window following a mouse with no button down.
    if (!(keys & MK_LBUTTON)) {
        OnDragButtonUp();
        return;
    }
    shell::CWindowDragState::MoveStep step;
    int stripHeight = 0;
    {
        std::lock_guard<std::mutex> lock(m_dragLock);
        step = m_drag.MouseMove(x, y);
        stripHeight = m_stripHeight;
    }
    // Outside the lock: a move on to a monitor of another DPI sends
    // WM_DPICHANGED from inside SetWindowPos, and that takes the lock.
    if (!step.moveWindow || !m_window) return;
    if (step.captureMouse) SetCapture(m_window);
    RECT rect{};
    GetWindowRect(m_window, &rect);
    const int width = rect.right - rect.left;
    int left = rect.left + step.dx, top = rect.top + step.dy;
    // The strip is what moves the window: it never goes under the taskbar,
    // above a screen's top or out of reach at a side.
    const RECT strip{left, top, left + width, top + stripHeight};
    shell::KeepStripInArea(WorkAreaOf(MonitorFromRect(&strip, MONITOR_DEFAULTTONEAREST)), width, stripHeight, &left,
                           &top);
    SetWindowPos(m_window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainWindow::SetMessageFilter(IWindowMessageFilter* filter) {
    m_filter = filter;
    if (m_filter) m_filter->SetDrawScale(m_scale);
}

void CMainWindow::ApplyScale(unsigned dpi, const RECT& rect) {
    const shell::ScreenArea area = WorkAreaOf(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
    const double scale = shell::FitScale(dpi, kWidth, kHeight, area);
    const int width = shell::ScaledLength(kWidth, scale), height = shell::ScaledLength(kHeight, scale);
    {
        std::lock_guard<std::mutex> lock(m_dragLock);
        m_stripHeight = shell::ScaledLength(shell::CWindowDragState::kStripHeight, scale);
        m_drag.SetStrip(width, m_stripHeight);
    }
    SetWindowPos(m_window, nullptr, rect.left, rect.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (scale == m_scale) return;
    m_scale = scale;
    if (m_filter) m_filter->SetDrawScale(scale);
}

void CMainWindow::OnDpiChanged(WPARAM wParam, const RECT* suggested) {
    if (!m_window) return;
    RECT rect{};
    if (suggested) {
        rect = *suggested;
    } else {
        GetWindowRect(m_window, &rect);
    }
    // The suggested rectangle keeps the window where the user put it; its
    // size is ours to make (scaled, and fitted to the new work area).
    ApplyScale(LOWORD(wParam), rect);
}

void CMainWindow::PlaceInWorkArea() {
    if (!m_window) return;
    RECT rect{};
    GetWindowRect(m_window, &rect);
    ApplyScale(WindowDpi(m_window), rect);
    GetWindowRect(m_window, &rect);
    const shell::ScreenArea area = WorkAreaOf(MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST));
    int x = 0, y = 0;
    shell::CentreInArea(area, rect.right - rect.left, rect.bottom - rect.top, &x, &y);
    SetWindowPos(m_window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainWindow::OnCaptureLost() {
    std::lock_guard<std::mutex> lock(m_dragLock);
    m_drag.ButtonUp();  // the capture is gone already; nothing to release
}

void CMainWindow::OnDragButtonUp() {
    bool release = false;
    {
        std::lock_guard<std::mutex> lock(m_dragLock);
        release = m_drag.ButtonUp();
    }
    // Outside the lock: releasing sends WM_CAPTURECHANGED back to this window.
    if (release) ReleaseCapture();
}
