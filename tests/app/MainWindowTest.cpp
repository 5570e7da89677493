// The top-level window, the tray icon and the module inside the test process.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <string>
#include <thread>
#include <vector>

#include "AppCommands.h"
#include "ClientTaskBar.h"
#include "ControllerWatch.h"
#include "MainWindow.h"
#include "ProgramRunner.h"
#include "PublicModule.h"
#include "SimulatedController.h"
#include "ApplicationConfigFile.h"
#include "ApplicationEnv.h"
#include "OVFanLedDevice.h"
#include "OVSystemConfig.h"
#include "UserLoginCtrl.h"
#include "TestPaths.h"

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

struct RecordingRunner : IGameTaskRunner {
    std::vector<unsigned int> ids;
    int RunGameTaskById(unsigned int id) override {
        ids.push_back(id);
        return 1;
    }
};

struct RecordingChecker : IUpdateChecker {
    std::vector<int> calls;
    int CheckForUpdate(int silent) override {
        calls.push_back(silent);
        return 1;
    }
};

void SendText(HWND window, const std::wstring& text, DWORD bytes) {
    COPYDATASTRUCT data{};
    data.dwData = 456852;
    data.cbData = bytes;
    data.lpData = const_cast<wchar_t*>(text.data());
    SendMessageW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&data));
}

void SendText(HWND window, const std::wstring& text) {
    SendText(window, text, static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

// Drops the WM_QUIT a destroyed window leaves in this thread's queue.
void DrainQuit() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window = main.Initialize(GetModuleHandleW(nullptr));
        ASSERT_NE(window, nullptr);
        main.SetGameTaskRunner(&runner);
        main.SetUpdateChecker(&checker);
    }
    void TearDown() override {
        main.Shutdown();
        DrainQuit();
    }

    CMainWindow main;
    HWND window = nullptr;
    RecordingRunner runner;
    RecordingChecker checker;
};

}  // namespace

TEST_F(MainWindowTest, HiddenCentredPopupOfTheFixedSize) {
    EXPECT_FALSE(IsWindowVisible(window));
    wchar_t cls[64] = {}, title[64] = {};
    GetClassNameW(window, cls, 64);
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(cls, L"VentaroClass");
    EXPECT_STREQ(title, L"Ventaro");
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 1366);
    EXPECT_EQ(r.bottom - r.top, 768);
    // Centred in the work area (the screen less the taskbar), not the screen.
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const int sw = work.right - work.left, sh = work.bottom - work.top;
    EXPECT_EQ(r.left, work.left + (sw > 1366 ? (sw - 1366) / 2 : 0));
    EXPECT_EQ(r.top, work.top + (sh > 768 ? (sh - 768) / 2 : 0));
    EXPECT_NE(GetClassLongPtrW(window, GCLP_HICON), 0) << "icon 107 from the resources";
    EXPECT_NE(GetClassLongPtrW(window, GCLP_HICONSM), 0) << "icon 108 from the resources";
}

TEST_F(MainWindowTest, TrayMenuHasItsThreeItems) {
    HMENU menu = main.GetPopupMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 3);
    const UINT ids[] = {ID_SHOWWINDOW, ID_CHECKUPDATE, ID_EXIT};
    const wchar_t* texts[] = {L"打开reru", L"检查更新", L"退出"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetMenuItemID(menu, i), ids[i]);
        wchar_t text[64] = {};
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, texts[i]);
    }
}

TEST_F(MainWindowTest, HandOverRunsTheGameTask) {
    SendText(window, L"GameTaskID_7");
    SendText(window, L"GameTaskID7");
    SendText(window, L"Foo_7");
    SendText(window, L"GameTaskID_7x");
    EXPECT_EQ(runner.ids, (std::vector<unsigned int>{7, 7}));
}

TEST_F(MainWindowTest, TheSenderIsAnsweredBeforeTheGameModeRuns) {
    // Pexilo's send returns once the id arrived; the game mode runs after.
    struct WaitingRunner : IGameTaskRunner {
        HANDLE senderDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        DWORD waited = WAIT_FAILED;
        int RunGameTaskById(unsigned int) override {
            waited = WaitForSingleObject(senderDone, 3000);
            return 1;
        }
    } waiting;
    main.SetGameTaskRunner(&waiting);
    std::thread sender([&] {
        SendText(window, L"GameTaskID_7");
        SetEvent(waiting.senderDone);
    });
    MSG msg;
    while (waiting.waited == WAIT_FAILED) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // takes the sent message
    }
    sender.join();
    EXPECT_EQ(waiting.waited, WAIT_OBJECT_0) << "the sender waited for the whole game mode";
    CloseHandle(waiting.senderDone);
}

TEST_F(MainWindowTest, HandOverLengthComesFromTheByteCount) {
    // 24 bytes are the 12 characters "GameTaskID_7"; the rest is not looked at.
    const std::wstring text = L"GameTaskID_789";
    SendText(window, text, 24);
    // An odd byte count covers whole characters only.
    SendText(window, text, 25);
    SendText(window, L"", 0);
    EXPECT_EQ(runner.ids, (std::vector<unsigned int>{7, 7}));
}

TEST_F(MainWindowTest, HandOverWithoutGamePageDoesNothing) {
    main.SetGameTaskRunner(nullptr);
    SendText(window, L"GameTaskID_7");
    EXPECT_TRUE(runner.ids.empty());
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, HandOverBeforeTheGamePageRunsOnceItIsThere) {
    // The window stands before the client window has built the game page;
    // a shortcut opened in that moment must not be lost.
    main.SetGameTaskRunner(nullptr);
    SendText(window, L"GameTaskID_3");
    SendText(window, L"Foo_9");
    SendText(window, L"GameTaskID_4");
    EXPECT_TRUE(runner.ids.empty());
    main.SetGameTaskRunner(&runner);
    EXPECT_EQ(runner.ids, (std::vector<unsigned int>{3, 4}));
    SendText(window, L"GameTaskID_5");
    main.SetGameTaskRunner(&runner);
    EXPECT_EQ(runner.ids, (std::vector<unsigned int>{3, 4, 5}));

    // Held during a start-up, they wait even with a game page set.
    main.HoldHandOvers();
    SendText(window, L"GameTaskID_6");
    EXPECT_EQ(runner.ids.size(), 3u);
    main.AcceptHandOvers();
    EXPECT_EQ(runner.ids, (std::vector<unsigned int>{3, 4, 5, 6}));
}

TEST_F(MainWindowTest, CommandsHideShowAndCheck) {
    SendMessageW(window, WM_COMMAND, ID_SHOWWINDOW, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    SendMessageW(window, WM_COMMAND, ID_HIDEWINDOW, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    SendMessageW(window, WM_COMMAND, ID_CHECKUPDATE, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(checker.calls, std::vector<int>{0}) << "the tray's check is not silent";
    SendMessageW(window, WM_COMMAND, 104, 0);  // the accelerators' command: no effect
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, ExitAndCloseBothDestroyAndQuit) {
    SendMessageW(window, WM_COMMAND, ID_EXIT, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(main.GetWindowHandle(), nullptr);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);

    main.Shutdown();
    CMainWindow second;
    HWND other = second.Initialize(GetModuleHandleW(nullptr));
    ASSERT_NE(other, nullptr) << "the class can be registered again after shut-down";
    SendMessageW(other, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(other));
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, ThirtiethTimerTickChecksSilentlyOnce) {
    for (int i = 1; i < 30; ++i) main.OnTimerTick();
    EXPECT_TRUE(checker.calls.empty());
    main.OnTimerTick();
    EXPECT_EQ(checker.calls, std::vector<int>{1});
    for (int i = 0; i < 100; ++i) main.OnTimerTick();
    EXPECT_EQ(checker.calls.size(), 1u);
}

TEST_F(MainWindowTest, DragByTheTopStripMovesTheWindow) {
    ShowWindow(window, SW_SHOWNORMAL);
    RECT before{}, after{};
    GetWindowRect(window, &before);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 20));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 35));
    EXPECT_EQ(GetCapture(), window);
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left - before.left, 20);
    EXPECT_EQ(after.top - before.top, 15);
    // Pulled far up, the strip stops at the top of the work area.
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, -3000));
    GetWindowRect(window, &after);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(after.top, work.top);
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(100, 20));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MainWindowTest, ShutDownInTheMiddleOfADragWithTheCapture) {
    ShowWindow(window, SW_SHOWNORMAL);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 20));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 35));
    ASSERT_EQ(GetCapture(), window);
    main.Shutdown();  // the window's capture goes with it, on this thread
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, PressBelowTheStripAndZeroMovesDoNotDrag) {
    ShowWindow(window, SW_SHOWNORMAL);
    RECT before{}, after{};
    GetWindowRect(window, &before);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 60));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(140, 90));
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(140, 90));

    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_NE(GetCapture(), window) << "a (0, 0) move does not capture";
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

TEST_F(MainWindowTest, ADragEndsWhenTheButtonIsNoLongerDownOrTheCaptureIsLost) {
    ShowWindow(window, SW_SHOWNORMAL);
    RECT before{}, after{};
    // The release went to another window: the next move has no button down.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 20));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(110, 20));
    GetWindowRect(window, &before);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(200, 60));
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, before.left) << "the window followed a mouse with no button down";
    EXPECT_EQ(after.top, before.top);
    EXPECT_NE(GetCapture(), window);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(250, 60));
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, before.left) << "a later press elsewhere is no drag of the old one";

    // Another window took the capture mid-drag.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 20));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(105, 20));
    SendMessageW(window, WM_CAPTURECHANGED, 0, 0);
    GetWindowRect(window, &before);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(160, 40));
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, before.left);
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
}

TEST_F(MainWindowTest, DragTakesSignedCoordinates) {
    ShowWindow(window, SW_SHOWNORMAL);
    RECT before{}, after{};
    GetWindowRect(window, &before);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    // Beyond the left edge the client x is negative (0xFFF6 = -10).
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-10), 5));
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left - before.left, -15);
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
}

TEST_F(MainWindowTest, EngineSeesMessagesFirst) {
    struct SwallowCommands : IWindowMessageFilter {
        int HandleWindowMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
            if (message != WM_COMMAND && message != WM_IME_CHAR) return 0;
            *result = 4242;
            return 1;
        }
    } filter;
    main.SetMessageFilter(&filter);
    SendMessageW(window, WM_COMMAND, ID_SHOWWINDOW, 0);
    EXPECT_FALSE(IsWindowVisible(window)) << "handled by the engine, not by the command table";
    EXPECT_EQ(SendMessageW(window, WM_IME_CHAR, L'x', 0), 4242);
    main.SetMessageFilter(nullptr);
}

TEST_F(MainWindowTest, AMoveToAMonitorOfAnotherDpiRescalesTheWindowAndTheEngine) {
    struct Scales : IWindowMessageFilter {
        int HandleWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return 0; }
        void SetDrawScale(double scale) override { told.push_back(scale); }
        std::vector<double> told;
    } filter;
    main.SetMessageFilter(&filter);
    ASSERT_EQ(filter.told.size(), 1u) << "told at once";
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const shell::ScreenArea area{work.left, work.top, work.right, work.bottom};
    RECT suggested{work.left + 10, work.top + 5, work.left + 2059, work.top + 1157};
    EXPECT_EQ(SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested)), 0);
    const double scale = shell::FitScale(144, 1366, 768, area);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, suggested.left);
    EXPECT_EQ(r.top, suggested.top);
    EXPECT_EQ(r.right - r.left, shell::ScaledLength(1366, scale)) << "150 %, lowered to fit this screen";
    EXPECT_EQ(r.bottom - r.top, shell::ScaledLength(768, scale));
    ASSERT_EQ(filter.told.size(), 2u);
    EXPECT_DOUBLE_EQ(filter.told.back(), scale);
    EXPECT_DOUBLE_EQ(main.GetDrawScale(), scale);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 1366);
    EXPECT_DOUBLE_EQ(filter.told.back(), 1.0);
    main.SetMessageFilter(nullptr);
}

TEST_F(MainWindowTest, WhileTheGuardBlocksExitCloseAndLogOffTheProgramStays) {
    struct Guard : IExitGuard {
        int blocked = 1, explained = 0;
        int IsExitBlocked(std::wstring* reason) override {
            if (blocked && reason) *reason = L"busy";
            return blocked;
        }
        void ExplainExitBlocked() override { ++explained; }
    } guard;
    int sessionEnds = 0;
    main.SetExitGuard(&guard);
    main.SetSessionEndHandler([&] { ++sessionEnds; });
    SendMessageW(window, WM_COMMAND, ID_EXIT, 0);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(guard.explained, 2);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
    guard.blocked = 0;
    main.OnTimerTick();  // the block reason goes with the flash
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    SendMessageW(window, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_EQ(sessionEnds, 0) << "a log-off that was called off ends nothing";
    SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(sessionEnds, 1);
    SendMessageW(window, WM_COMMAND, ID_EXIT, 0);
    EXPECT_FALSE(IsWindow(window));
    main.SetExitGuard(nullptr);
}

TEST_F(MainWindowTest, AcceleratorTableHasTwoAltEntries) {
    HACCEL accel = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_VENTARO_ACCEL));
    ASSERT_NE(accel, nullptr);
    ACCEL entries[4] = {};
    ASSERT_EQ(CopyAcceleratorTableW(accel, entries, 4), 2);
    for (const ACCEL& e : entries) {
        if (!e.cmd) continue;
        EXPECT_EQ(e.cmd, 104);
        EXPECT_TRUE(e.fVirt & FALT);
    }
    EXPECT_EQ(entries[0].key, '?');
    EXPECT_EQ(entries[1].key, '/');
}

// ---- tray icon -------------------------------------------------------------

namespace {

struct FakeShell {
    std::vector<DWORD> calls;
    NOTIFYICONDATAW last{};
    BOOL result = TRUE;
    CClientTaskBar::NotifyIconFunction Function() {
        return [this](DWORD message, NOTIFYICONDATAW* data) {
            calls.push_back(message);
            last = *data;
            return result;
        };
    }
};

}  // namespace

TEST(TrayIcon, ShowsOnceAndRemovesOnce) {
    FakeShell shell;
    CClientTaskBar tray;
    tray.SetNotifyIconFunction(shell.Function());
    EXPECT_EQ(tray.Show(), 0) << "not initialised";
    EXPECT_EQ(tray.Remove(), 0);
    ASSERT_EQ(tray.Initialize(GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(tray.Remove(), 1) << "not shown: nothing to do";
    EXPECT_TRUE(shell.calls.empty());
    HWND owner = reinterpret_cast<HWND>(0x1234);
    tray.SetWindow(owner, nullptr);
    EXPECT_EQ(tray.Show(), 1);
    EXPECT_EQ(tray.Show(), 1);
    ASSERT_EQ(shell.calls, std::vector<DWORD>{NIM_ADD});
    EXPECT_EQ(shell.last.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(shell.last.hWnd, owner);
    EXPECT_EQ(shell.last.uID, 1u);
    EXPECT_EQ(shell.last.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(shell.last.uCallbackMessage, 2258u);
    EXPECT_NE(shell.last.hIcon, nullptr);
    EXPECT_STREQ(shell.last.szTip, L"reru");
    EXPECT_EQ(tray.Remove(), 1);
    EXPECT_EQ(tray.Remove(), 1);
    EXPECT_EQ(shell.calls, (std::vector<DWORD>{NIM_ADD, NIM_DELETE}));
    tray.Shutdown();
    EXPECT_EQ(tray.Show(), 0);
}

TEST(TrayIcon, ARefusedIconIsRetriedAndAnExplorerRestartAddsItAgain) {
    FakeShell shell;
    shell.result = FALSE;  // no notification area yet, as early at log-on
    CClientTaskBar tray;
    tray.SetNotifyIconFunction(shell.Function());
    tray.Initialize(GetModuleHandleW(nullptr));
    EXPECT_EQ(tray.Show(), 0);
    EXPECT_EQ(tray.IsShown(), 0) << "a refused icon is not shown";
    EXPECT_EQ(tray.RetryIfMissing(), 0);
    shell.result = TRUE;
    EXPECT_EQ(tray.RetryIfMissing(), 1);
    EXPECT_EQ(tray.IsShown(), 1);
    EXPECT_EQ(tray.RetryIfMissing(), 0) << "there already";
    EXPECT_EQ(shell.calls, (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_ADD}));

    // Explorer restarted: its new taskbar has no icon until it is added again.
    EXPECT_EQ(tray.OnTaskbarCreated(), 1);
    EXPECT_EQ(shell.calls.back(), static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell.calls.size(), 4u);
    // Removed on purpose: neither a retry nor a new taskbar brings it back.
    tray.Remove();
    EXPECT_EQ(tray.RetryIfMissing(), 0);
    EXPECT_EQ(tray.OnTaskbarCreated(), 0);
    EXPECT_EQ(shell.calls.back(), static_cast<DWORD>(NIM_DELETE));

    // The icon is the notification area's small size.
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(shell.last.hIcon, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXSMICON));
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

TEST_F(MainWindowTest, TaskbarCreatedReachesTheTrayIcon) {
    FakeShell shell;
    CClientTaskBar tray;
    tray.SetNotifyIconFunction(shell.Function());
    tray.Initialize(GetModuleHandleW(nullptr));
    tray.SetWindow(window, main.GetPopupMenu());
    main.SetTaskBar(&tray);
    tray.Show();
    SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_EQ(shell.calls, (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
    main.SetTaskBar(nullptr);
}

// Windows' device reports as the shell sends them (Wine sends none for the
// simulator's pipe).
void SendInterfaceChange(HWND window, WPARAM event, const std::wstring& path) {
    std::vector<unsigned char> block(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + path.size() * sizeof(wchar_t), 0);
    auto* item = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(block.data());
    item->dbcc_size = static_cast<DWORD>(block.size());
    item->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    wcscpy(item->dbcc_name, path.c_str());
    SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(item));
}

TEST_F(MainWindowTest, ALostControllerShowsInTheTooltipAndWindowsReportsBringItBack) {
    FakeShell shell;
    CClientTaskBar tray;
    tray.SetNotifyIconFunction(shell.Function());
    tray.Initialize(GetModuleHandleW(nullptr));
    tray.SetWindow(window, main.GetPopupMenu());
    tray.Show();
    COVFanLedDevice device;  // no path yet: not found at the start
    int returns = 0;
    CControllerWatch watch;
    watch.Start(window, &device, &tray, [&] { ++returns; });
    main.SetControllerEvents(&watch);
    EXPECT_EQ(device.OpenDevice(), 0);
    e2e::Pump();
    EXPECT_STREQ(shell.last.szTip, L"reru\n控制器未连接");
    EXPECT_EQ(shell.calls, (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));

    // Another HID device arrives: no search. The controller's interface
    // arrives: found at once (through VENTARO_CONTROLLER_PATH here).
    SendInterfaceChange(window, DBT_DEVICEARRIVAL, L"\\\\?\\hid#vid_046d&pid_c077#7&1");
    EXPECT_EQ(device.GetLookupCount(), 0u);
    SendInterfaceChange(window, DBT_DEVICEARRIVAL, L"\\\\?\\HID#VID_2C25&PID_D001#7&2");
    EXPECT_EQ(device.IsOpen(), 1);
    e2e::Pump();
    EXPECT_EQ(returns, 1);
    EXPECT_STREQ(shell.last.szTip, L"reru");

    // Its removal closes it; resuming from sleep looks again.
    SendInterfaceChange(window, DBT_DEVICEREMOVECOMPLETE, device.GetDevicePath());
    EXPECT_EQ(device.IsOpen(), 0);
    e2e::Pump();
    EXPECT_STREQ(shell.last.szTip, L"reru\n控制器未连接");
    SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(device.IsOpen(), 1);
    e2e::Pump();
    EXPECT_EQ(returns, 2);
    EXPECT_STREQ(shell.last.szTip, L"reru");
    device.CloseDevice();
    watch.Stop();
    main.SetControllerEvents(nullptr);
}

TEST_F(MainWindowTest, TrayMenuTakesTheForegroundAndLetsTheMenuClose) {
    ShowWindow(window, SW_SHOWNORMAL);
    CClientTaskBar tray;  // the real popup menu
    tray.Initialize(GetModuleHandleW(nullptr));
    tray.SetWindow(window, main.GetPopupMenu());
    main.SetTaskBar(&tray);
    // Dismisses the menu once it is open, as a click elsewhere would.
    std::thread closer([this] {
        Sleep(700);
        PostMessageW(window, WM_CANCELMODE, 0, 0);
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    SendMessageW(window, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
    closer.join();
    EXPECT_EQ(GetForegroundWindow(), window);
    MSG msg{};
    EXPECT_TRUE(PeekMessageW(&msg, window, WM_NULL, WM_NULL, PM_REMOVE)) << "the posted WM_NULL after the menu";
    main.SetTaskBar(nullptr);
}

TEST_F(MainWindowTest, TrayNotificationsReachTheMenuAndTheWindow) {
    FakeShell shell;
    int popups = 0;
    HMENU shownMenu = nullptr;
    CClientTaskBar tray;
    tray.SetNotifyIconFunction(shell.Function());
    tray.SetPopupMenuFunction([&](HMENU menu, int, int, HWND owner) {
        ++popups;
        shownMenu = menu;
        EXPECT_EQ(owner, window);
    });
    EXPECT_EQ(tray.OnNotify(1, WM_RBUTTONDOWN), 0) << "not initialised";
    tray.Initialize(GetModuleHandleW(nullptr));
    tray.SetWindow(window, main.GetPopupMenu());
    main.SetTaskBar(&tray);

    SendMessageW(window, WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(shownMenu, main.GetPopupMenu());
    SendMessageW(window, WM_TRAYNOTIFY, 2, WM_RBUTTONDOWN);  // another icon id
    for (LPARAM ignored : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE})
        SendMessageW(window, WM_TRAYNOTIFY, 1, ignored);
    EXPECT_EQ(popups, 1);
    e2e::Pump();
    EXPECT_FALSE(IsWindowVisible(window));

    SendMessageW(window, WM_TRAYNOTIFY, 5, WM_LBUTTONDBLCLK);  // any icon id
    e2e::Pump();
    EXPECT_TRUE(IsWindowVisible(window)) << "double-click posts ID_SHOWWINDOW";
    main.SetTaskBar(nullptr);
}

// ---- environment -----------------------------------------------------------

TEST(Environment, CreatesEveryMissingLevel) {
    const std::wstring root = testpaths::MakeTempDir(L"env");
    const std::wstring deep = root + L"a\\b\\c\\";
    EXPECT_EQ(CApplicationEnv::CreateFolderLevels(deep), 1);
    EXPECT_TRUE(e2e::FileExists(deep));
    EXPECT_EQ(CApplicationEnv::CreateFolderLevels(deep), 1) << "existing folders are fine";
}

TEST(Environment, FileInTheWayFails) {
    const std::wstring root = testpaths::MakeTempDir(L"env");
    HANDLE h = CreateFileW((root + L"block").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(CApplicationEnv::CreateFolderLevels(root + L"block\\inner\\"), 0);
}

TEST(Environment, RecyclesAFolderWithItsFiles) {
    const std::wstring root = testpaths::MakeTempDir(L"env");
    const std::wstring old = root + L"Old Product\\";
    ASSERT_EQ(CApplicationEnv::CreateFolderLevels(old + L"sub\\"), 1);
    HANDLE h = CreateFileW((old + L"sub\\data.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(CApplicationEnv::RecycleFolder(old), 1);
    EXPECT_FALSE(e2e::FileExists(old));
    EXPECT_EQ(CApplicationEnv::RecycleFolder(old), 1) << "nothing there is fine";
}

TEST(Environment, InitialiseWorksOutFoldersAndAutostart) {
    CApplicationEnv env;
    ASSERT_EQ(env.Initialize(GetModuleHandleW(nullptr)), 1);
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path = self;
    EXPECT_EQ(env.GetProgramFolder() + env.GetProgramFileName(), path);
    EXPECT_EQ(env.GetProgramFolder().back(), L'\\');
    EXPECT_EQ(env.GetProgramFileName(), L"app_window.exe");
    EXPECT_EQ(env.GetToolsFolder(), env.GetProgramFolder() + L"Tools\\");
    EXPECT_EQ(env.GetTempFolder(), env.GetProgramFolder() + L"Temp\\");
    const std::wstring data = env.GetDataFolder();
    ASSERT_GE(data.size(), 9u);
    EXPECT_EQ(data.substr(data.size() - 9), L"\\Ventaro\\");
    EXPECT_TRUE(e2e::FileExists(data));
    EXPECT_EQ(e2e::ReadRunValue(), L"\"" + path + L"\" auto");
    EXPECT_EQ(env.GetInstanceHandle(), GetModuleHandleW(nullptr));
    env.SetWindowHandle(reinterpret_cast<HWND>(0x10));
    EXPECT_EQ(env.Reset(), 1);
    EXPECT_EQ(env.GetWindowHandle(), nullptr);
    EXPECT_EQ(env.GetInstanceHandle(), nullptr);
    EXPECT_EQ(env.IsInitialized(), 0);
}

// ---- module ----------------------------------------------------------------

TEST(Module, BuildsWindowAndTrayAndTearsThemDown) {
    CPublicModule module;
    EXPECT_EQ(CPublicModule::Current(), &module);
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(module.IsInitialized(), 1);
    ASSERT_NE(module.Env(), nullptr);
    ASSERT_NE(module.MainWindow(), nullptr);
    ASSERT_NE(module.TaskBar(), nullptr);
    ASSERT_NE(module.Settings(), nullptr);
    EXPECT_EQ(module.Settings()->GetFilePath(), module.Env()->GetDataFolder() + L"OVCLIENT.ini");
    ASSERT_NE(module.Stores(), nullptr);
    EXPECT_EQ(module.Stores()->IsReady(), 1);
    ASSERT_NE(module.Account(), nullptr);
    EXPECT_EQ(module.Account()->IsLoggedIn(), 0);
    ASSERT_NE(module.Device(), nullptr);
    EXPECT_EQ(module.Device()->IsOpen(), 1) << "the suite's simulated controller";
    HWND window = module.MainWindow()->GetWindowHandle();
    EXPECT_EQ(module.Env()->GetWindowHandle(), window);
    EXPECT_FALSE(IsWindowVisible(window)) << "shown only by the message loop";
    EXPECT_EQ(module.TaskBar()->IsShown(), 1);
    module.Teardown();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(module.MainWindow(), nullptr);
    EXPECT_EQ(module.TaskBar(), nullptr);
    EXPECT_EQ(module.Env(), nullptr);
    EXPECT_EQ(module.Settings(), nullptr);
    EXPECT_EQ(module.Stores(), nullptr);
    EXPECT_EQ(module.Account(), nullptr);
    EXPECT_EQ(module.Device(), nullptr);
    module.Teardown();  // twice is harmless
    DrainQuit();
}
