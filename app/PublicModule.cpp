#include "PublicModule.h"

#include <iterator>

#include "ApplicationConfigFile.h"
#include "ApplicationEnv.h"
#include "ClientTaskBar.h"
#include "ClientWindow.h"
#include "CrashDumpHandler.h"
#include "DUIEngine.h"
#include "MainWindow.h"
#include "OVFanLedDevice.h"
#include "OVSystemConfig.h"
#include "RemoteSwitch.h"
#include "UserLoginCtrl.h"

namespace {
CPublicModule* g_module = nullptr;
}

CPublicModule::CPublicModule() {
    if (!g_module) g_module = this;
}

CPublicModule::~CPublicModule() {
    Teardown();
    if (g_module == this) g_module = nullptr;
}

CPublicModule* CPublicModule::Current() { return g_module; }

int CPublicModule::Initialize(HINSTANCE instance) {
    m_instance = instance;
    m_startUpFailure.clear();
    // The start-up order, each step with what the user is told when it fails
    // (none for the remote switch: switched off means ending quietly).
    static constexpr struct {
        Step step;
        const wchar_t* failure;
    } kStartUp[] = {
        {&CPublicModule::CheckRemoteSwitch, nullptr},
        {&CPublicModule::StartCrashHandler, L"启动失败:无法安装崩溃处理程序。"},
        {&CPublicModule::StartEnvironment, L"启动失败:无法准备程序文件夹。"},
        {&CPublicModule::StartSettingsFile, L"启动失败:无法打开设置文件 OVCLIENT.ini。"},
        {&CPublicModule::StartDevice, L"启动失败:无法查找设备控制器。"},
        {&CPublicModule::StartRecordStores, L"启动失败:无法打开灯光方案和游戏模式文件。"},
        {&CPublicModule::StartTaskBar, L"启动失败:无法创建托盘图标。"},
        {&CPublicModule::StartMainWindow, L"启动失败:无法创建主窗口。"},
        {&CPublicModule::StartClient, L"启动失败:无法加载程序界面。"},
        {&CPublicModule::StartAccountClient, L"启动失败:无法启动账号服务。"},
        {&CPublicModule::StartEngine, L"启动失败:无法启动界面绘制。"},
    };
    for (const auto& s : kStartUp) {
        if (!(this->*s.step)()) {
            // A step that knows better says so itself (the record stores name the file).
            if (s.failure && m_startUpFailure.empty()) m_startUpFailure = s.failure;
            return 0;
        }
        // Messages other programs send (a game-mode hand-over from a
        // shortcut) are answered between the steps: a sender gives up on a
        // window that has not looked at its queue for seconds, and the
        // window exists well before the loop runs.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_initialized = 1;
    return 1;
}

void CPublicModule::EndSession() {
    // What the tray's 退出 saves and closes, in the teardown's order, while
    // the window still stands (the session end arrives inside its procedure);
    // the window and the rest go with the teardown after the loop, if the
    // system lets the process live that long.
    m_initialized = 0;
    static constexpr Step kBeforeTheProcessEnds[] = {
        &CPublicModule::StopClient,
        &CPublicModule::StopAccountClient,
        &CPublicModule::StopRecordStores,
        &CPublicModule::StopDevice,
        &CPublicModule::StopSettingsFile,
    };
    for (Step step : kBeforeTheProcessEnds) (this->*step)();
    if (m_pMainWindow && m_pMainWindow->GetWindowHandle()) DestroyWindow(m_pMainWindow->GetWindowHandle());
}

void CPublicModule::Teardown() {
    m_initialized = 0;
    // The teardown order: the client (engine holder and pages) first, the
    // crash handler last.
    static constexpr Step kTeardown[] = {
        &CPublicModule::StopClient,
        &CPublicModule::StopMainWindow,
        &CPublicModule::StopAccountClient,
        &CPublicModule::StopRecordStores,
        &CPublicModule::StopDevice,
        &CPublicModule::StopSettingsFile,
        &CPublicModule::StopTaskBar,
        &CPublicModule::StopEnvironment,
        &CPublicModule::StopCrashHandler,
    };
    for (Step step : kTeardown) (this->*step)();
}

int CPublicModule::CheckRemoteSwitch() {
    // Before anything exists: switched off means no window, tray icon or file.
    int mayRun = 1;
    ::CheckRemoteSwitch(&mayRun);
    return mayRun;
}

int CPublicModule::StartCrashHandler() {
    m_pCrashHandler = std::make_unique<CCrashDumpHandler>();
    return m_pCrashHandler->Install(0);
}

int CPublicModule::StartEnvironment() {
    m_pEnv = std::make_unique<CApplicationEnv>();
    return m_pEnv->Initialize(m_instance);
}

int CPublicModule::StartSettingsFile() {
    m_pSettings = std::make_unique<CApplicationConfigFile>();
    return m_pSettings->Initialise(m_pEnv->GetDataFolder());
}

int CPublicModule::StartDevice() {
    // Only finds the controller's path (a missing one is reported here, once);
    // the handle is opened when the client stands.
    m_pDevice = std::make_unique<COVFanLedDevice>();
    return m_pDevice->Discover();
}

int CPublicModule::StartRecordStores() {
    // Seeded from the shipped copies beside the program on first run; a
    // damaged file is set aside and told about once the window stands.
    m_pStores = std::make_unique<COVSystemConfig>();
    if (m_pStores->Initialise(m_pEnv->GetDataFolder(), m_pEnv->GetProgramFolder())) return 1;
    m_startUpFailure = m_pStores->StartUpFailure();
    return 0;
}

int CPublicModule::StartTaskBar() {
    // Ready, but not shown until the client stands.
    m_pTaskBar = std::make_unique<CClientTaskBar>();
    return m_pTaskBar->Initialize(m_instance);
}

int CPublicModule::StartMainWindow() {
    m_pMainWindow = std::make_unique<CMainWindow>();
    HWND window = m_pMainWindow->Initialize(m_instance);
    if (!window) return 0;
    m_pEnv->SetWindowHandle(window);
    // A game mode runs in a program that stands, not half way through its
    // start: RunVentaro accepts the hand-overs before the loop.
    m_pMainWindow->HoldHandOvers();
    m_pMainWindow->SetTaskBar(m_pTaskBar.get());
    m_pTaskBar->SetWindow(window, m_pMainWindow->GetPopupMenu());
    m_pMainWindow->SetSessionEndHandler([this] { EndSession(); });
    if (m_onWindowCreated) m_onWindowCreated();
    return 1;
}

int CPublicModule::StartClient() {
    // The engine holder makes the window layered, loads the skin and builds
    // the client window with its pages; the client window then shows the
    // tray icon and opens the controller, held for the whole run.
    m_pEngine = std::make_unique<CDUIEngine>();
    CDUIEngine::Parts parts;
    parts.host = m_pMainWindow->GetWindowHandle();
    parts.skinModule = m_instance;
    parts.taskBar = m_pTaskBar.get();
    parts.services.env = m_pEnv.get();
    parts.services.settings = m_pSettings.get();
    parts.services.stores = m_pStores.get();
    parts.services.device = m_pDevice.get();
    // The engine sees the window's messages while the client is built: a
    // message box shown meanwhile (a missing controller) runs a loop of its
    // own, and the events posted in it must reach their controls.
    m_pMainWindow->SetMessageFilter(m_pEngine.get());
    if (!m_pEngine->Initialize(parts)) return 0;
    CClientWindow* client = m_pEngine->ClientWindow();
    m_pMainWindow->SetGameTaskRunner(m_gameTaskRunner ? m_gameTaskRunner : client->GameLink());
    m_pMainWindow->SetUpdateChecker(client->UpdateLink());
    m_pMainWindow->SetControllerEvents(client->ControllerEvents());
    // In the window, not over the desktop: a hidden start shows it when the
    // window is next shown.
    if (!m_pStores->StartUpNotice().empty()) client->ShowNotice(m_pStores->StartUpNotice());
    m_pMainWindow->SetExitGuard(client->UpdateLink());
    return 1;
}

int CPublicModule::StartAccountClient() {
    // Logs in by itself when the user asked for it; being offline never
    // stops the start.
    m_pAccount = std::make_unique<CUserLoginCtrl>();
    m_pAccount->SetDataFolder(m_pEnv->GetDataFolder());
    // The client window's account indicator takes the login state once it
    // exists; until then there is nobody to tell.
    m_pAccount->SetLoginStateHook([](int) {});
    // On a worker: a slow or dead network never holds the start (nor the
    // window, which stands already); the login state follows when it answers.
    m_pAccount->StartAutoLogin(m_pSettings.get());
    if (m_pEngine && m_pEngine->ClientWindow()) m_pEngine->ClientWindow()->SetAccount(m_pAccount.get());
    return 1;
}

int CPublicModule::StartEngine() { return m_pEngine->Start(); }

int CPublicModule::StopClient() {
    if (!m_pEngine) return 1;
    // The window outlives the engine by one step: nothing of it may reach
    // the engine or a page from here on.
    if (m_pMainWindow) {
        m_pMainWindow->SetMessageFilter(nullptr);
        m_pMainWindow->SetGameTaskRunner(nullptr);
        m_pMainWindow->SetUpdateChecker(nullptr);
        m_pMainWindow->SetControllerEvents(nullptr);
        m_pMainWindow->SetExitGuard(nullptr);
    }
    // Pages, controller handle and tray icon go with the client window.
    m_pEngine->Stop();
    m_pEngine->Shutdown();
    m_pEngine.reset();
    return 1;
}

int CPublicModule::StopMainWindow() {
    if (!m_pMainWindow) return 1;
    m_pMainWindow->Shutdown();
    m_pMainWindow.reset();
    return 1;
}

int CPublicModule::StopAccountClient() {
    m_pAccount.reset();
    return 1;
}

int CPublicModule::StopRecordStores() {
    if (!m_pStores) return 1;
    m_pStores->ShutDown();
    m_pStores.reset();
    return 1;
}

int CPublicModule::StopDevice() {
    m_pDevice.reset();
    return 1;
}

int CPublicModule::StopSettingsFile() {
    if (!m_pSettings) return 1;
    m_pSettings->Release();
    m_pSettings.reset();
    return 1;
}

int CPublicModule::StopTaskBar() {
    if (!m_pTaskBar) return 1;
    m_pTaskBar->Shutdown();
    m_pTaskBar.reset();
    return 1;
}

int CPublicModule::StopEnvironment() {
    if (!m_pEnv) return 1;
    m_pEnv->Reset();
    m_pEnv.reset();
    return 1;
}

int CPublicModule::StopCrashHandler() {
    if (!m_pCrashHandler) return 1;
    m_pCrashHandler->ShutDown();
    m_pCrashHandler.reset();
    return 1;
}
