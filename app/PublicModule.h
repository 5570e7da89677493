#pragma once
// The application module: the one owner of every top-level object of
// Ventaro. Members are built in a fixed order by the start-up steps and torn
// down in a fixed order by the teardown steps; a member that joins adds its
// pointer below, one start-up step and one teardown step to the two tables in
// PublicModule.cpp.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class CApplicationConfigFile;
class CApplicationEnv;
class CCrashDumpHandler;
class CClientTaskBar;
class CDUIEngine;
class CMainWindow;
class COVFanLedDevice;
class COVSystemConfig;
class CUserLoginCtrl;
class IGameTaskRunner;

class CPublicModule {
public:
    CPublicModule();
    virtual ~CPublicModule();
    CPublicModule(const CPublicModule&) = delete;
    CPublicModule& operator=(const CPublicModule&) = delete;

    // Runs the start-up steps in order; 0 as soon as one fails (the caller
    // then ends the process; the destructor tears down what was built).
    int Initialize(HINSTANCE instance);
    // What failed in the last Initialize, for the user; "" when it did not
    // fail or is meant to end quietly (the remote switch).
    const std::wstring& StartUpFailure() const { return m_startUpFailure; }
    // Runs the teardown steps; each member is shut down and freed only if present.
    void Teardown();
    // The session ends: runs the teardown steps up to the settings file at
    // once (the window stays for the loop to end), then destroys the window.
    void EndSession();
    // Called once during Initialize, as soon as the top-level window exists
    // (a second start can find it from then on).
    void SetWindowCreatedCallback(std::function<void()> callback) { m_onWindowCreated = std::move(callback); }
    // Who runs the game modes handed over by Pexilo; set before Initialize.
    // Without one the client window's game page does (borrowed).
    void SetGameTaskRunner(IGameTaskRunner* runner) { m_gameTaskRunner = runner; }

    // The module of this process (the first one constructed), or nullptr.
    static CPublicModule* Current();

    int IsInitialized() const { return m_initialized; }
    CCrashDumpHandler* CrashHandler() const { return m_pCrashHandler.get(); }
    CApplicationEnv* Env() const { return m_pEnv.get(); }
    CApplicationConfigFile* Settings() const { return m_pSettings.get(); }
    COVSystemConfig* Stores() const { return m_pStores.get(); }
    CClientTaskBar* TaskBar() const { return m_pTaskBar.get(); }
    CMainWindow* MainWindow() const { return m_pMainWindow.get(); }
    CDUIEngine* Engine() const { return m_pEngine.get(); }
    COVFanLedDevice* Device() const { return m_pDevice.get(); }
    CUserLoginCtrl* Account() const { return m_pAccount.get(); }

private:
    using Step = int (CPublicModule::*)();

    int CheckRemoteSwitch();
    int StartCrashHandler();
    int StartEnvironment();
    int StartSettingsFile();
    int StartDevice();
    int StartRecordStores();
    int StartTaskBar();
    int StartMainWindow();
    int StartClient();
    int StartAccountClient();
    int StartEngine();

    int StopClient();
    int StopMainWindow();
    int StopAccountClient();
    int StopRecordStores();
    int StopDevice();
    int StopSettingsFile();
    int StopTaskBar();
    int StopEnvironment();
    int StopCrashHandler();

    HINSTANCE m_instance = nullptr;

    // Owned members.
    std::unique_ptr<CCrashDumpHandler> m_pCrashHandler;
    std::unique_ptr<CApplicationEnv> m_pEnv;
    std::unique_ptr<CApplicationConfigFile> m_pSettings;
    std::unique_ptr<COVSystemConfig> m_pStores;
    std::unique_ptr<CClientTaskBar> m_pTaskBar;
    std::unique_ptr<CMainWindow> m_pMainWindow;
    std::unique_ptr<CDUIEngine> m_pEngine;  // the UI engine holder with the client window and pages
    std::unique_ptr<COVFanLedDevice> m_pDevice;
    std::unique_ptr<CUserLoginCtrl> m_pAccount;
    int m_initialized = 0;
    std::wstring m_startUpFailure;
    std::function<void()> m_onWindowCreated;
    IGameTaskRunner* m_gameTaskRunner = nullptr;  // borrowed; overrides the game page
};
