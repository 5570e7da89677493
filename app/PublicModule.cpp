#include "PublicModule.h"

#include <iterator>

#include "ApplicationEnv.h"
#include "ClientTaskBar.h"
#include "CrashDumpHandler.h"
#include "MainWindow.h"
#include "RemoteSwitch.h"

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
    // The start-up order. Members still to come take their place here:
    //   settings file, controller device,
    //   record stores                        between environment and tray
    //   account client, engine start         after the client
    static constexpr Step kStartUp[] = {
        &CPublicModule::CheckRemoteSwitch,
        &CPublicModule::StartCrashHandler,
        &CPublicModule::StartEnvironment,
        &CPublicModule::StartTaskBar,
        &CPublicModule::StartMainWindow,
        &CPublicModule::StartClient,
    };
    for (Step step : kStartUp) {
        if (!(this->*step)()) return 0;
    }
    m_initialized = 1;
    return 1;
}

void CPublicModule::Teardown() {
    m_initialized = 0;
    // The teardown order: the client (engine holder and pages) first, the
    // crash handler last. Members still to come take their place here:
    //   account client, record stores,
    //   controller device, settings file     after the window
    static constexpr Step kTeardown[] = {
        &CPublicModule::StopClient,
        &CPublicModule::StopMainWindow,
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
    m_pMainWindow->SetTaskBar(m_pTaskBar.get());
    m_pTaskBar->SetWindow(window, m_pMainWindow->GetPopupMenu());
    return 1;
}

int CPublicModule::StartClient() {
    // The engine holder builds the client window here and shows the tray
    // icon when it stands; until then the tray icon is all there is.
    m_pTaskBar->Show();
    return 1;
}

int CPublicModule::StopClient() {
    if (m_pTaskBar) m_pTaskBar->Remove();
    return 1;
}

int CPublicModule::StopMainWindow() {
    if (!m_pMainWindow) return 1;
    m_pMainWindow->Shutdown();
    m_pMainWindow.reset();
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
