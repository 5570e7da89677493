#include "VentaroApp.h"

#include <string>

#include "AppCommands.h"
#include "MainWindow.h"
#include "MemoryStages.h"
#include "PublicModule.h"
#include "ShellLogic.h"
#include "SystemMessage.h"
#include "WinHandles.h"

namespace {

// Holds the start-up lock; a lock left by a crashed copy counts as free.
class CStartUpLock {
public:
    CStartUpLock() : m_mutex(CreateMutexW(nullptr, FALSE, kStartUpLockName)) {
        if (!m_mutex) return;
        // A copy stuck in its start-up for this long is not waited for further.
        const DWORD waited = WaitForSingleObject(m_mutex.Get(), 60000);
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~CStartUpLock() { Release(); }
    CStartUpLock(const CStartUpLock&) = delete;
    CStartUpLock& operator=(const CStartUpLock&) = delete;

    bool Usable() const { return !m_mutex || m_held; }
    void Release() {
        if (m_held) ReleaseMutex(m_mutex.Get());
        m_held = false;
    }

private:
    win::CUniqueHandle m_mutex;
    bool m_held = false;
};

// The usual second start finds the copy hidden in the tray (the log-on start
// is hidden), and switching to a hidden window shows nothing: the running
// copy is asked to show itself, and may take the foreground from us.
void ShowRunningCopy(HWND running) {
    DWORD pid = 0;
    GetWindowThreadProcessId(running, &pid);
    if (pid) AllowSetForegroundWindow(pid);
    // Posted, never sent: a copy still busy with its start (building the
    // client, opening the controller) shows itself when it gets to it, and
    // this start ends at once.
    PostMessageW(running, WM_COMMAND, MAKEWPARAM(ID_SHOWWINDOW, 0), 0);
}

}  // namespace

int RunVentaro(HINSTANCE instance, const wchar_t* commandLine, int showCommand,
               const std::function<void(CPublicModule&)>& beforeStartUp) {
    CStartUpLock lock;
    if (!lock.Usable()) return 0;  // another copy is still starting; it is the one that runs

    const std::wstring command = commandLine ? commandLine : L"";
    if (HWND running = FindWindowW(CMainWindow::kClassName, CMainWindow::kTitle)) {
        // A second "auto" start (two shortcuts opened at once while no copy
        // ran, each Pexilo starting one) asks for no window: its Pexilo hands
        // the game mode to the copy that runs. Only a user's start shows it.
        if (!shell::IsAutoStartCommandLine(command)) ShowRunningCopy(running);
        return 0;
    }

    MemoryStage(L"process");
    CPublicModule module;
    // The rest of the start (the client, the controller) may take long; a
    // second start only has to find the window, which exists now.
    module.SetWindowCreatedCallback([&lock] {
        lock.Release();
        MemoryStage(L"window");
    });
    if (beforeStartUp) beforeStartUp(module);
    if (!module.Initialize(instance)) {
        // Nothing of this copy may be left for the next start to find while
        // the user reads why it ends: no window, tray icon or start-up lock.
        const std::wstring failure = module.StartUpFailure();
        module.Teardown();
        lock.Release();
        if (failure.empty()) return 0;  // switched off remotely: meant to end quietly
        ShowSystemMessage(failure);
        return kStartUpFailedExitCode;
    }
    lock.Release();
    // Hand-overs that came while the module was built run now.
    module.MainWindow()->AcceptHandOvers();

    const int exitCode = module.MainWindow()->RunMessageLoop(shell::StartShowCommand(command, showCommand));
    module.Teardown();
    return exitCode;
}
