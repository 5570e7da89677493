// The settings file, the controller device, the record stores and the
// account client as members of the application module: in process through
// CPublicModule, and end to end through the real Ventaro.exe. Both use the
// real per-user data folder of the suite's Wine prefix, the stand-in web
// service of this suite's fixture and a simulated controller.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "ApplicationConfigFile.h"
#include "MainWindow.h"
#include "OVFanLedDevice.h"
#include "OVSystemConfig.h"
#include "ProgramRunner.h"
#include "PublicModule.h"
#include "SimulatedController.h"
#include "SystemMessage.h"
#include "TestPaths.h"
#include "UserLoginCtrl.h"
#include "WebServiceStub.h"
#include "WinHandles.h"

using e2e::Program;

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

constexpr DWORD kStartMs = 30000;  // generous: a loaded machine under Wine

// "name#@#password" in code page 936, base64: what the login page stores.
constexpr const wchar_t* kDemoParam = L"ZGVtbyNAI2RlbW8xMjM0";               // demo / demo1234
constexpr const wchar_t* kZhangParam = L"1cXI/SNAI3poYW5nMTIz";              // 张三 / zhang123
constexpr const wchar_t* kWrongPasswordParam = L"ZGVtbyNAI3dyb25ncGFzcw==";  // demo / wrongpass

constexpr const char* kLoginPath = "/api_new/website/api.php/v2_1/user/login";
constexpr const char* kAddComputerPath = "/api_new/website/api.php/v2_1/computer/addComputer";

std::wstring DataFolder() {
    wchar_t local[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE);
    return std::wstring(local) + L"\\Ventaro\\";
}

std::wstring SettingsPath() { return DataFolder() + L"OVCLIENT.ini"; }
std::wstring ThemesPath() { return DataFolder() + L"LightSetConfig.ini"; }
std::wstring GameTasksPath() { return DataFolder() + L"GameTaskConfig.ini"; }

std::wstring BinFolder() { return testpaths::BinaryDir() + L"\\bin\\"; }
std::wstring VentaroExe() { return BinFolder() + L"Ventaro.exe"; }
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

std::wstring SuiteFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.rfind(L'\\') + 1);
}

void RemoveDataFiles() {
    CreateDirectoryW(DataFolder().c_str(), nullptr);
    for (const auto& path : {SettingsPath(), ThemesPath(), GameTasksPath()}) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// A settings file as the login page leaves it (ANSI, as a hand-made file is).
void WriteSettings(bool autoLogin, const std::wstring& param) {
    std::string text = "[OVConfig]\r\nOVFanAutoAdjust=FALSE\r\nOVFanSpeedValue=35\r\nOVLightSelect=Orvane\r\n";
    text += std::string("AutoLoginStatus=") + (autoLogin ? "TRUE" : "FALSE") + "\r\n";
    text += "AutoLoginParam=" + std::string(param.begin(), param.end()) + "\r\n";
    WriteBytes(SettingsPath(), text);
}

// The key=value lines of one section, in file order.
std::vector<std::wstring> SectionLines(const std::wstring& path, const wchar_t* section) {
    std::vector<wchar_t> buffer(32768, 0);
    const DWORD n = GetPrivateProfileSectionW(section, buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    std::vector<std::wstring> lines;
    for (DWORD i = 0; i < n;) {
        std::wstring line(buffer.data() + i);
        if (line.empty()) break;
        i += static_cast<DWORD>(line.size()) + 1;
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Paths(const std::vector<webstub::Request>& traffic) {
    std::vector<std::string> paths;
    for (const auto& r : traffic) paths.push_back(r.path);
    return paths;
}

// Points this process and the programs it starts at a web service.
class ScopedAccountHost {
public:
    explicit ScopedAccountHost(const std::wstring& host) {
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", host.c_str());
    }
    ~ScopedAccountHost() { SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", nullptr); }
    ScopedAccountHost(const ScopedAccountHost&) = delete;
    ScopedAccountHost& operator=(const ScopedAccountHost&) = delete;
};

// A port on this machine where nothing listens: a dead network for the client.
std::wstring DeadHost() { return L"127.0.0.1:1"; }

// Runs the window's thread's messages until the start-up's automatic login
// has its answers (it runs on a worker and answers through them).
bool SettleAutoLogin(CPublicModule& module) {
    for (int i = 0; i < 600 && module.Account() && module.Account()->IsAutoLoginRunning(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return module.Account() && !module.Account()->IsAutoLoginRunning();
}

void DrainQuit() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

class ModuleMembers : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // The module takes the shipped stores from the folder of the running
        // program, which here is the suite's own.
        for (const wchar_t* name : {L"LightSetConfig.dat", L"GameTaskConfig.dat"})
            CopyFileW((BinFolder() + name).c_str(), (SuiteFolder() + name).c_str(), FALSE);
    }
    void SetUp() override {
        ASSERT_TRUE(e2e::ProcessesNamed(L"Ventaro.exe").empty()) << "a Ventaro from elsewhere is running";
        ASSERT_NE(webstub::Port(), 0) << "stand-in not running (VENTARO_WEB_PORT_FILE)";
        webstub::Reset();
        RemoveDataFiles();
        previousHandler_ = SetSystemMessageHandler(
            [this](const std::wstring& text, const std::wstring& caption) { messages_.push_back(caption + L": " + text); });
    }
    // Later suites start from the first-run state, with automatic login off.
    void TearDown() override {
        SetSystemMessageHandler(previousHandler_);
        e2e::SimulatedControllerEnvironment::Point();
        RemoveDataFiles();
        DrainQuit();
    }

    // System messages of the module in this process, as "caption: text".
    std::vector<std::wstring> messages_;
    SystemMessageHandler previousHandler_;
};

using VentaroMembers = ModuleMembers;

}  // namespace

// ---- in process ------------------------------------------------------------

TEST_F(ModuleMembers, BuildsSettingsStoresAndAccountAndTearsThemDown) {
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);

    CApplicationConfigFile* settings = module.Settings();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->GetFilePath(), SettingsPath());
    EXPECT_EQ(settings->GetFanAutoAdjust(), 0);
    EXPECT_EQ(settings->GetFanSpeedValue(), 80);
    EXPECT_EQ(settings->GetLightSelect(), L"Orvane");
    EXPECT_EQ(settings->GetAutoLoginStatus(), 0);

    COVSystemConfig* stores = module.Stores();
    ASSERT_NE(stores, nullptr);
    EXPECT_EQ(stores->IsReady(), 1);
    EXPECT_EQ(stores->LightFilePath(), ThemesPath());
    LightThemeList themes;
    ASSERT_EQ(stores->LoadThemes(&themes), 1);
    ASSERT_FALSE(themes.empty());
    EXPECT_STREQ(themes[0]->name, L"Orvane");
    GameTaskList tasks;
    EXPECT_EQ(stores->LoadGameTasks(&tasks), 1);

    CUserLoginCtrl* account = module.Account();
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(account->IsAutoLoginTried(), 1);
    EXPECT_EQ(account->IsLoggedIn(), 0);
    EXPECT_TRUE(webstub::Traffic().empty()) << "automatic login is off on a first run";
    EXPECT_TRUE(messages_.empty()) << testing::PrintToString(messages_);

    module.Teardown();
    EXPECT_EQ(module.Account(), nullptr);
    EXPECT_EQ(module.Device(), nullptr);
    EXPECT_EQ(module.Stores(), nullptr);
    EXPECT_EQ(module.Settings(), nullptr);
    EXPECT_EQ(module.MainWindow(), nullptr);
    EXPECT_EQ(module.Env(), nullptr);
    // Released files can be replaced at once (the account page's download does so).
    EXPECT_TRUE(DeleteFileW(ThemesPath().c_str()));
}

TEST_F(ModuleMembers, ExistingSettingsAreReadNotReset) {
    WriteSettings(false, kDemoParam);
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(module.Settings()->GetFanSpeedValue(), 35);
    EXPECT_EQ(module.Settings()->GetAutoLoginParam(), kDemoParam);
    EXPECT_EQ(module.Account()->IsLoggedIn(), 0) << "stored parameter without automatic login";
    EXPECT_TRUE(webstub::Traffic().empty());
    module.Teardown();
    EXPECT_NE(e2e::ReadFileText(SettingsPath()).find("OVFanSpeedValue=35"), std::string::npos);
}

TEST_F(ModuleMembers, ThemeFileHeldByAnotherProgramStopsTheStartBeforeTheWindow) {
    // Held locked, the file cannot be read now; it is not damaged, so it is
    // neither set aside nor replaced, and the start cannot go on.
    WriteBytes(ThemesPath(), "[RID_1]\r\nLightSetName=x\r\n");
    win::CUniqueHandle lock(CreateFileW(ThemesPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    CPublicModule module;
    EXPECT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 0);
    EXPECT_EQ(module.StartUpFailure(), L"启动失败:无法读取灯光方案文件,文件可能正被其他程序使用。\n" + ThemesPath());
    EXPECT_EQ(module.IsInitialized(), 0);
    EXPECT_NE(module.Settings(), nullptr) << "the settings file comes before the stores";
    ASSERT_NE(module.Device(), nullptr) << "the controller is looked for before the stores";
    EXPECT_EQ(module.Device()->IsDiscovered(), 1);
    EXPECT_EQ(module.Device()->IsOpen(), 0) << "opened only with the client";
    EXPECT_EQ(module.TaskBar(), nullptr);
    EXPECT_EQ(module.MainWindow(), nullptr);
    EXPECT_EQ(module.Account(), nullptr);
    EXPECT_EQ(FindWindowW(CMainWindow::kClassName, CMainWindow::kTitle), nullptr);
    EXPECT_TRUE(webstub::Traffic().empty());
}

TEST_F(ModuleMembers, AutoLoginWithTheStoredParameterLogsInAndRegisters) {
    ScopedAccountHost host(webstub::HostPortText());
    WriteSettings(true, kDemoParam);
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    ASSERT_TRUE(SettleAutoLogin(module));
    EXPECT_EQ(module.Account()->IsLoggedIn(), 1);
    EXPECT_EQ(module.Account()->GetUsername(), L"demo");
    const auto traffic = webstub::Traffic();
    EXPECT_EQ(Paths(traffic), (std::vector<std::string>{kLoginPath, kAddComputerPath}));
}

TEST_F(ModuleMembers, RefusedAutoLoginStillStartsLoggedOut) {
    ScopedAccountHost host(webstub::HostPortText());
    WriteSettings(true, kWrongPasswordParam);
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    ASSERT_TRUE(SettleAutoLogin(module));
    EXPECT_EQ(module.Account()->IsLoggedIn(), 0);
    EXPECT_NE(module.MainWindow(), nullptr);
    EXPECT_EQ(Paths(webstub::Traffic()), std::vector<std::string>{kLoginPath}) << "no registration after a refusal";
}

TEST_F(ModuleMembers, DeadNetworkStillStarts) {
    ScopedAccountHost host(DeadHost());
    WriteSettings(true, kDemoParam);
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(module.IsInitialized(), 1);
    EXPECT_EQ(module.Account()->IsAutoLoginTried(), 1);
    EXPECT_EQ(module.Account()->IsLoggedIn(), 0);
}

TEST_F(ModuleMembers, HangingHostDoesNotHoldTheStart) {
    ScopedAccountHost host(webstub::HostPortText());
    webstub::Fault(L"mode=hang&delay=30&path=/api_new/website/api.php/v2_1/user/login");
    WriteSettings(true, kDemoParam);
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    // The start is done while the login still waits for its answer.
    EXPECT_EQ(module.Account()->IsAutoLoginRunning(), 1);
    EXPECT_EQ(module.Account()->IsLoggedIn(), 0);
    EXPECT_NE(module.MainWindow(), nullptr);
    module.Teardown();
    EXPECT_EQ(module.Account(), nullptr);
}

TEST_F(ModuleMembers, GarbledParameterStartsWithoutARequest) {
    ScopedAccountHost host(webstub::HostPortText());
    WriteSettings(true, L"%%%not base64, no separator");
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(module.Account()->IsLoggedIn(), 0);
    EXPECT_TRUE(webstub::Traffic().empty());
}

TEST_F(ModuleMembers, ControllerIsFoundAtStartAndOpenedWithTheClient) {
    simharness::CSimProcess* sim = e2e::SimulatedControllerEnvironment::Sim();
    ASSERT_NE(sim, nullptr);
    const std::string exchangesBefore = sim->Value("exchanges");
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    COVFanLedDevice* device = module.Device();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->IsDiscovered(), 1);
    EXPECT_EQ(e2e::Lower(device->GetDevicePath()), e2e::Lower(sim->PipePath()));
    EXPECT_EQ(device->IsOpen(), 1);
    EXPECT_EQ(sim->Value("exchanges"), exchangesBefore) << "the start sends the controller nothing";
    std::wstring version;
    EXPECT_EQ(device->QueryVersion(&version), 1);
    EXPECT_FALSE(version.empty());
    EXPECT_EQ(sim->Value("malformed_frames"), "0");
    EXPECT_TRUE(messages_.empty()) << testing::PrintToString(messages_);
    module.Teardown();
    EXPECT_EQ(module.Device(), nullptr);
}

TEST_F(ModuleMembers, MissingControllerIsToldOnceAndTheStartGoesOn) {
    // No simulator: the machine's own HID interfaces, where there is no controller.
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", nullptr);
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(messages_, std::vector<std::wstring>{L"信息: 未找到设备控制器!"}) << "no path: opening stays silent";
    EXPECT_EQ(module.Device()->IsDiscovered(), 1);
    EXPECT_EQ(module.Device()->IsOpen(), 0);
    EXPECT_EQ(module.Stores()->IsReady(), 1);
    EXPECT_NE(module.MainWindow(), nullptr);
    EXPECT_NE(module.Account(), nullptr);
}

TEST_F(ModuleMembers, UnopenableControllerIsToldAndTheStartGoesOn) {
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", L"\\\\.\\pipe\\ventaro_no_controller_here");
    CPublicModule module;
    ASSERT_EQ(module.Initialize(GetModuleHandleW(nullptr)), 1);
    EXPECT_EQ(messages_, std::vector<std::wstring>{L"信息: 控制器连接失败!"});
    EXPECT_EQ(module.Device()->IsOpen(), 0);
    EXPECT_EQ(module.IsInitialized(), 1);
}

// ---- the real Ventaro.exe --------------------------------------------------

namespace {

// Starts Ventaro hidden, waits for its window, ends it like the tray's exit.
// Returns the exit code, or -1 when no window came.
long StartAndClose(const std::wstring& exe = VentaroExe(), const std::function<void()>& whileRunning = {}) {
    Program ventaro;
    if (!ventaro.Start(exe, Quoted(exe) + L" auto")) return -1;
    HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
    if (!window) return -1;
    if (whileRunning) whileRunning();
    PostMessageW(window, WM_CLOSE, 0, 0);
    return ventaro.WaitExit(kStartMs);
}

// Ventaro's system message box, when one is open.
HWND FindMessageBox(DWORD pid) {
    struct Search {
        DWORD pid;
        HWND box;
    } search{pid, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t cls[64] = {};
            GetClassNameW(w, cls, 64);
            if (e2e::WindowPid(w) == s->pid && std::wstring(cls) == L"#32770" && IsWindowVisible(w)) {
                s->box = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.box;
}

// Starts Ventaro visible. The window shows only once the whole start-up has
// run, so a visible window means every step is behind it.
HWND StartVisible(Program& ventaro) {
    if (!ventaro.Start(VentaroExe(), Quoted(VentaroExe()), SW_SHOWNORMAL)) return nullptr;
    HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
    if (!window || !e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartMs)) return nullptr;
    return window;
}

// A pipe in the controller's place that tells when a program opened it and
// whether that program still holds it.
class WatchedControllerPipe {
public:
    WatchedControllerPipe() : path_(L"\\\\.\\pipe\\" + simharness::UniquePipeName(L"watch")) {
        pipe_ = CreateNamedPipeW(path_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
        event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        overlapped_.hEvent = event_;
        if (!ConnectNamedPipe(pipe_, &overlapped_) && GetLastError() == ERROR_PIPE_CONNECTED) SetEvent(event_);
    }
    ~WatchedControllerPipe() {
        CancelIo(pipe_);
        CloseHandle(pipe_);
        CloseHandle(event_);
    }
    WatchedControllerPipe(const WatchedControllerPipe&) = delete;
    WatchedControllerPipe& operator=(const WatchedControllerPipe&) = delete;

    bool Valid() const { return pipe_ != INVALID_HANDLE_VALUE && event_; }
    const std::wstring& Path() const { return path_; }
    bool WaitOpened(DWORD ms) { return WaitForSingleObject(event_, ms) == WAIT_OBJECT_0; }
    // Whether the program at the other end still holds its handle.
    bool Held() {
        DWORD available = 0;
        return PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr) != FALSE;
    }

private:
    std::wstring path_;
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
    HANDLE event_ = nullptr;
    OVERLAPPED overlapped_{};
};

}  // namespace

TEST_F(VentaroMembers, FirstStartCreatesTheSettingsAndSeedsTheStores) {
    ASSERT_EQ(StartAndClose(), 0);

    EXPECT_EQ(SectionLines(SettingsPath(), L"OVConfig"),
              (std::vector<std::wstring>{L"OVFanAutoAdjust=FALSE", L"OVFanSpeedValue=80", L"OVLightSelect=Orvane",
                                         L"AutoLoginStatus=FALSE", L"AutoLoginParam="}));
    const std::string settings = e2e::ReadFileText(SettingsPath());
    ASSERT_GE(settings.size(), 2u);
    EXPECT_EQ(settings.substr(0, 2), "\xFF\xFE") << "created as UTF-16";

    const std::string shippedThemes = e2e::ReadFileText(BinFolder() + L"LightSetConfig.dat");
    ASSERT_FALSE(shippedThemes.empty());
    EXPECT_EQ(e2e::ReadFileText(ThemesPath()), shippedThemes) << "a byte copy of the shipped themes";
    EXPECT_EQ(e2e::ReadFileText(GameTasksPath()), e2e::ReadFileText(BinFolder() + L"GameTaskConfig.dat"));
}

TEST_F(VentaroMembers, LaterStartsKeepTheUsersFiles) {
    ASSERT_EQ(StartAndClose(), 0);
    // What the fan page and the lighting page would have changed meanwhile.
    ASSERT_TRUE(WritePrivateProfileStringW(L"OVConfig", L"OVFanSpeedValue", L"55", SettingsPath().c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"RID_1", L"LightSetBrightness", L"7", ThemesPath().c_str()));
    const std::string settings = e2e::ReadFileText(SettingsPath());
    const std::string themes = e2e::ReadFileText(ThemesPath());

    ASSERT_EQ(StartAndClose(), 0);
    EXPECT_EQ(e2e::ReadFileText(SettingsPath()), settings);
    EXPECT_EQ(e2e::ReadFileText(ThemesPath()), themes);

    // A deleted theme file comes back as shipped at the next start.
    ASSERT_TRUE(DeleteFileW(ThemesPath().c_str()));
    ASSERT_EQ(StartAndClose(), 0);
    EXPECT_EQ(e2e::ReadFileText(ThemesPath()), e2e::ReadFileText(BinFolder() + L"LightSetConfig.dat"));
}

TEST_F(VentaroMembers, BrokenThemeFileNoLongerStopsTheStart) {
    WriteBytes(ThemesPath(), "[RID_1]\r\nLightSetName=x\r\n");
    ASSERT_EQ(StartAndClose(), 0);  // kept aside; the shipped themes are back
    EXPECT_EQ(e2e::ReadFileText(ThemesPath()), e2e::ReadFileText(BinFolder() + L"LightSetConfig.dat"));
    WIN32_FIND_DATAW kept{};
    HANDLE found = FindFirstFileW((ThemesPath() + L".damaged-*").c_str(), &kept);
    ASSERT_NE(found, INVALID_HANDLE_VALUE);
    FindClose(found);
    EXPECT_TRUE(DeleteFileW((DataFolder() + kept.cFileName).c_str()));
}

TEST_F(VentaroMembers, AutoLoginLogsInAgainstTheService) {
    ScopedAccountHost host(webstub::HostPortText());
    for (const wchar_t* param : {kDemoParam, kZhangParam}) {
        webstub::Clear();
        WriteSettings(true, param);
        // The login runs on a worker once the window stands: closed only
        // when the service has seen both requests.
        ASSERT_EQ(StartAndClose(VentaroExe(), [] {
                      for (int i = 0; i < 400 && webstub::Traffic().size() < 2; ++i) Sleep(50);
                  }),
                  0);
        const auto traffic = webstub::Traffic();
        ASSERT_EQ(Paths(traffic), (std::vector<std::string>{kLoginPath, kAddComputerPath}))
            << testing::PrintToString(std::wstring(param));
        const std::string& body = traffic[0].body;
        if (std::wstring(param) == kDemoParam) {
            EXPECT_NE(body.find("&member_name=demo&member_passwd=demo1234&"), std::string::npos) << body;
        } else {
            EXPECT_NE(body.find("&member_name=%E5%BC%A0%E4%B8%89&member_passwd=zhang123&"), std::string::npos)
                << body;
        }
    }
}

TEST_F(VentaroMembers, StartsWithoutAnyService) {
    WriteSettings(true, kDemoParam);
    {
        // Nothing listens on the account host's port.
        ScopedAccountHost host(DeadHost());
        EXPECT_EQ(StartAndClose(), 0);
    }
    // The compiled-in host, which does not resolve here.
    EXPECT_EQ(StartAndClose(), 0);
    EXPECT_TRUE(webstub::Traffic().empty());
}

TEST_F(VentaroMembers, ControllerIsHeldFromTheStartToTheExit) {
    WatchedControllerPipe controller;
    ASSERT_TRUE(controller.Valid());
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", controller.Path().c_str());
    Program ventaro;
    HWND window = StartVisible(ventaro);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(controller.WaitOpened(kStartMs)) << "not opened by the time the start-up was done";
    EXPECT_TRUE(controller.Held());
    EXPECT_EQ(FindMessageBox(ventaro.Pid()), nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ventaro.WaitExit(kStartMs), 0);
    EXPECT_FALSE(controller.Held()) << "the handle outlived the program's teardown";
}

TEST_F(VentaroMembers, ASessionEndClosesInOrderBeforeItIsAnswered) {
    WatchedControllerPipe controller;
    ASSERT_TRUE(controller.Valid());
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", controller.Path().c_str());
    Program ventaro;
    HWND window = StartVisible(ventaro);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(controller.WaitOpened(kStartMs));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 10000, &answer));
    EXPECT_EQ(answer, DWORD_PTR(TRUE)) << "no flash runs: the log-off may go on";
    ASSERT_TRUE(SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 20000, &answer));
    // The system may end the process as soon as it has the answer.
    EXPECT_FALSE(controller.Held()) << "the controller was still held when the session end was answered";
    EXPECT_EQ(ventaro.WaitExit(kStartMs), 0);
}

TEST_F(VentaroMembers, StartWithTheSimulatorRunsQuietlyAndASecondStartExitsZero) {
    simharness::CSimProcess* sim = e2e::SimulatedControllerEnvironment::Sim();
    ASSERT_NE(sim, nullptr);
    const std::string exchangesBefore = sim->Value("exchanges");
    Program first;
    HWND window = StartVisible(first);
    ASSERT_NE(window, nullptr) << "a start blocked, perhaps on a controller message";
    EXPECT_EQ(FindMessageBox(first.Pid()), nullptr);

    // The second copy ends before it looks for the controller the first holds.
    Program second;
    ASSERT_TRUE(second.Start(VentaroExe(), Quoted(VentaroExe()), SW_SHOWNORMAL));
    EXPECT_EQ(second.WaitExit(kStartMs), 0);
    EXPECT_TRUE(first.Running());

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(kStartMs), 0);
    EXPECT_EQ(sim->Value("exchanges"), exchangesBefore) << "the start sends the controller nothing";
    EXPECT_EQ(sim->Value("malformed_frames"), "0");
}

TEST_F(VentaroMembers, ControllerMessagesAreRealBoxesAndTheStartGoesOnAfterThem) {
    struct Case {
        const wchar_t* path;  // nullptr: the machine's own HID interfaces (none here)
        const wchar_t* text;
    };
    for (const Case& c : {Case{nullptr, L"未找到设备控制器!"},
                          Case{L"\\\\.\\pipe\\ventaro_no_controller_here", L"控制器连接失败!"}}) {
        SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", c.path);
        Program ventaro;
        ASSERT_TRUE(ventaro.Start(VentaroExe(), Quoted(VentaroExe()), SW_SHOWNORMAL));
        HWND box = nullptr;
        ASSERT_TRUE(e2e::WaitFor([&] { return (box = FindMessageBox(ventaro.Pid())) != nullptr; }, kStartMs))
            << testing::PrintToString(std::wstring(c.text));
        wchar_t caption[64] = {}, text[256] = {};
        GetWindowTextW(box, caption, 64);
        GetDlgItemTextW(box, 0xFFFF, text, 256);  // the message box's text control
        EXPECT_STREQ(caption, L"信息");
        EXPECT_STREQ(text, c.text);
        EXPECT_TRUE(ventaro.Running()) << "waits for the user";

        PostMessageW(box, WM_COMMAND, IDOK, 0);
        HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kStartMs);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartMs));
        EXPECT_EQ(FindMessageBox(ventaro.Pid()), nullptr) << "told once";
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(ventaro.WaitExit(kStartMs), 0);
    }
}
