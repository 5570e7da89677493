// The account pages in the real Ventaro.exe under Wine: mouse clicks and
// typing through xdotool at the rectangles of the inspection dump, against
// this suite's web stand-in, with the controller simulator. What the user
// sees is read from the dump, what the program did from the stand-in's
// traffic and the files in the data folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "AccountProtocol.h"
#include "AccountRequest.h"
#include "ProgramRunner.h"
#include "SettingsSync.h"
#include "SimulatedController.h"
#include "TestPaths.h"
#include "TextConv.h"
#include "UiDump.h"
#include "WebServiceStub.h"
#include "XDoTool.h"

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

// Control ids of the pages (UserLoginPage.h, UserConfigPage.h).
constexpr int kLoginWindow = 7300, kLoginClose = 7391, kAccountBox = 7310, kPasswordBox = 7320, kAutoLogin = 7330, kLoginButton = 7333;
constexpr int kAccountWindow = 7400, kRealName = 7411, kLogoutLink = 7412, kUploadButton = 7430,
              kDownloadButton = 7431;
const char kDownloadPath[] = "/api_new/website/api.php/v2_1/computer/downloadComputerConfig";

std::wstring VentaroExe() { return testpaths::BinaryDir() + L"\\bin\\Ventaro.exe"; }

std::wstring DataFolder() {
    wchar_t local[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE);
    return std::wstring(local) + L"\\Ventaro\\";
}
std::wstring SettingsPath() { return DataFolder() + L"OVCLIENT.ini"; }
std::wstring ThemesPath() { return DataFolder() + L"LightSetConfig.ini"; }

void RemoveDataFiles() {
    for (const wchar_t* name : {L"OVCLIENT.ini", L"LightSetConfig.ini", L"GameTaskConfig.ini", L"userimage.png"})
        DeleteFileW((DataFolder() + name).c_str());
}

std::wstring UnixBuildPath(const wchar_t* name) {
    const char* dir = std::getenv("VENTARO_BINARY_DIR");
    std::wstring out;
    for (const char* p = dir ? dir : "/tmp"; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out + L"/" + name;
}

std::wstring ProfileValue(const wchar_t* key) {
    wchar_t buffer[512] = {};
    GetPrivateProfileStringW(L"OVConfig", key, L"<none>", buffer, 512, SettingsPath().c_str());
    return buffer;
}

std::vector<std::string> Calls();
// Waits up to 10 s for exactly these requests (the automatic login runs
// while the window comes up).
bool WaitCalls(const std::vector<std::string>& wanted) {
    return e2e::WaitFor([&] { return Calls() == wanted; }, 10000);
}

std::vector<std::string> Calls() {
    std::vector<std::string> out;
    for (const auto& r : webstub::Traffic()) out.push_back(r.path.substr(r.path.rfind('/') + 1));
    return out;
}

// A download reply that carries this payload.
std::string DownloadReply(const std::string& payload) {
    return R"({"ret_num":"0","ret_msg":"ok","config":")" + textconv::Base64Encode(payload) + R"("})";
}

class AccountEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(L"VentaroClass", L"Ventaro"), nullptr) << "another Ventaro runs";
        ASSERT_NE(webstub::Port(), 0) << "stand-in not running (VENTARO_WEB_PORT_FILE)";
        webstub::Reset();
        RemoveDataFiles();
        dumpPath_ = testpaths::MakeTempDir(L"accdump") + L"ui.txt";
        e2e::SimulatedControllerEnvironment::Point();
        SetEnvironmentVariableW(L"VENTARO_UI_DUMP", dumpPath_.c_str());
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", webstub::HostPortText().c_str());
    }
    void TearDown() override {
        Quit();
        SetEnvironmentVariableW(L"VENTARO_UI_DUMP", nullptr);
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", nullptr);
        e2e::DeleteRunValue();  // a later fresh Wine session must not start a copy by itself
        RemoveDataFiles();
    }

    void Launch() {
        program_ = std::make_unique<e2e::Program>();
        ASSERT_TRUE(program_->Start(VentaroExe(), L"\"" + VentaroExe() + L"\""));
        window_ = e2e::WaitForVentaroWindow(program_->Pid(), 20000);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(Wait([](const uidump::Dump& d) { return d.Shown(L"ConfigButton") != nullptr; }, 20000))
            << "no dump of the home view";
    }
    void Quit() {
        if (!program_) return;
        if (window_ && IsWindow(window_)) PostMessageW(window_, WM_COMMAND, 7002, 0);  // ID_EXIT
        if (program_->WaitExit(15000) < 0) program_->Kill();
        program_.reset();
        window_ = nullptr;
    }

    bool Wait(const std::function<bool(const uidump::Dump&)>& cond, DWORD ms = 8000) {
        return uidump::WaitFor(dumpPath_, cond, ms, &dump_);
    }
    bool WaitShown(int id, bool shown = true) {
        return Wait([&](const uidump::Dump& d) { return d.ById(id) && d.ById(id)->visible == shown; });
    }
    // The message box's text once one is on screen; "" when none comes.
    std::wstring WaitMessage() {
        std::wstring text;
        Wait([&](const uidump::Dump& d) {
            for (const auto& r : d.rows)
                if (r.visible && r.id == -100 && !r.text.empty()) {
                    text = r.text;
                    return true;
                }
            return false;
        }, 15000);
        return text;
    }
    POINT At(const uidump::Row& row) {
        RECT r{};
        GetWindowRect(window_, &r);
        const auto [x, y] = row.Centre();
        return POINT{r.left + x, r.top + y};
    }
    // A real click through X (xdotool) at the control's centre. Wine under
    // Xvfb here takes its screen for 1024 x 768 whatever the X screen is,
    // and drops pointer input beyond that rectangle; a control out there
    // (the title strip's buttons, the right part of the account page) gets
    // its press and release through the window's message queue at the same
    // point instead, as the system would deliver them.
    void ClickRow(const uidump::Row* row) {
        ASSERT_NE(row, nullptr);
        const POINT p = At(*row);
        if (p.x >= 0 && p.y >= 0 && p.x < GetSystemMetrics(SM_CXSCREEN) && p.y < GetSystemMetrics(SM_CYSCREEN)) {
            ASSERT_TRUE(xdo::Click(p.x, p.y));
            return;
        }
        const auto [x, y] = row->Centre();
        DWORD_PTR ignored = 0;
        for (const auto& [message, keys] : {std::pair<UINT, WPARAM>{WM_MOUSEMOVE, 0}, {WM_LBUTTONDOWN, MK_LBUTTON},
                                            {WM_LBUTTONUP, 0}})
            SendMessageTimeoutW(window_, message, keys, MAKELPARAM(x, y), SMTO_NORMAL, 5000, &ignored);
    }
    void ClickId(int id) {
        ASSERT_TRUE(WaitShown(id)) << "control " << id << " not on screen";
        ClickRow(dump_.ById(id));
    }
    void ClickStyle(const std::wstring& style, const std::wstring& text = L"") {
        ASSERT_TRUE(Wait([&](const uidump::Dump& d) { return d.Shown(style, text) != nullptr; }))
            << textconv::WideToUtf8(style) << " " << textconv::WideToUtf8(text);
        ClickRow(dump_.Shown(style, text));
    }
    // Answers the message box on screen and returns its text; with a shot
    // name, the screen with the box is saved first.
    std::wstring Answer(const wchar_t* button = L"确定", const wchar_t* shot = nullptr) {
        const std::wstring text = WaitMessage();
        if (shot) Shot(shot);
        ClickStyle(L"OVButton", button);
        EXPECT_TRUE(Wait([](const uidump::Dump& d) {
            for (const auto& r : d.rows)
                if (r.visible && r.id == -100) return false;
            return true;
        })) << "the message box stays";
        return text;
    }
    void ClickAccountButton() { ClickStyle(L"ConfigButton"); }
    // Clicks a text box and types ASCII into it; a password box shows one
    // "*" per character.
    void TypeInto(int id, const std::string& text, bool masked = false) {
        const std::wstring wide(text.begin(), text.end());
        const std::wstring shown = masked ? std::wstring(text.size(), L'*') : wide;
        auto arrived = [&](const uidump::Dump& d) { return d.ById(id) && d.ById(id)->text == shown; };
        // Keys typed before a slow machine gave the box its focus are lost,
        // all of them or the first few: the box gets the click once more,
        // what did arrive is taken out, and the whole text is typed again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            ClickId(id);
            const size_t kept = attempt && dump_.ById(id) ? dump_.ById(id)->text.size() : 0;
            if (kept) {
                ASSERT_TRUE(xdo::Tool({L"key", L"End"}));
                ASSERT_TRUE(xdo::Tool({L"key", L"--repeat", std::to_wstring(kept), L"BackSpace"}));
                ASSERT_TRUE(Wait([&](const uidump::Dump& d) { return d.ById(id) && d.ById(id)->text.empty(); }));
            }
            ASSERT_TRUE(xdo::Tool({L"type", L"--delay", L"40", wide}));
            if (Wait(arrived)) return;
        }
        FAIL() << "typed text did not arrive";
    }
    void Shot(const wchar_t* name) {
        xdo::MoveTo(5, 1000);
        Sleep(400);
        EXPECT_TRUE(xdo::Screenshot(UnixBuildPath(name)));
    }

    std::unique_ptr<e2e::Program> program_;
    HWND window_ = nullptr;
    std::wstring dumpPath_;
    uidump::Dump dump_;
};

TEST_F(AccountEndToEnd, LoginAutoLoginRestartSyncAndLogout) {
    Launch();
    EXPECT_TRUE(webstub::Traffic().empty()) << "no automatic login on a first run";

    // The account button opens the login page while nobody is logged in.
    ClickAccountButton();
    ASSERT_TRUE(WaitShown(kLoginWindow));
    ClickId(kLoginButton);
    EXPECT_EQ(Answer(), L"请输入账号!");
    TypeInto(kAccountBox, "demo");
    ClickId(kLoginButton);
    EXPECT_EQ(Answer(), L"请输入密码!");
    TypeInto(kPasswordBox, "wrong", true);
    ClickId(kLoginButton);
    EXPECT_EQ(Answer(), L"账户登录失败!密码错误");
    EXPECT_EQ(Calls(), std::vector<std::string>{"login"});

    // The right password with automatic login ticked, to a host that takes
    // the login and never answers: the dialog shows at once that it is busy,
    // closes at a click, and nothing of the login is kept, not even when
    // the request gives up later.
    ClickId(kPasswordBox);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(xdo::Tool({L"key", L"BackSpace"}));
    TypeInto(kPasswordBox, "demo1234", true);
    ClickId(kAutoLogin);
    ASSERT_TRUE(Wait([](const uidump::Dump& d) { return d.ById(kAutoLogin) && d.ById(kAutoLogin)->checked; }));
    webstub::Fault(L"mode=hang&delay=30&path=/api_new/website/api.php/v2_1/user/login");
    ClickId(kLoginButton);
    const ULONGLONG pressed = GetTickCount64();
    EXPECT_TRUE(Wait([](const uidump::Dump& d) { return d.ById(kLoginButton) && d.ById(kLoginButton)->text == L"登录中…"; }))
        << "the dialog does not show the running login";
    std::printf("busy shown %llu ms after the press\n", GetTickCount64() - pressed);
    Shot(L"account-e2e-busy.png");
    ClickId(kLoginClose);
    EXPECT_TRUE(WaitShown(kLoginWindow, false)) << "the dialog stays while the host holds the login";
    // Watched until well past the request's own time-out, counted from the press.
    const ULONGLONG givenUp = pressed + account::kRequestTimeoutMs + 3000;
    const ULONGLONG now = GetTickCount64();
    EXPECT_FALSE(Wait([](const uidump::Dump& d) {
        for (const auto& r : d.rows)
            if (r.visible && r.id == -100) return true;
        return false;
    }, static_cast<DWORD>(std::max<ULONGLONG>(givenUp > now ? givenUp - now : 0, 1000))))
        << "the late failure came back after the dialog was closed";
    EXPECT_NE(ProfileValue(L"AutoLoginStatus"), L"TRUE");
    EXPECT_NE(ProfileValue(L"AutoLoginParam"), account::MakeAutoLoginParam(L"demo", L"demo1234"));
    ClickAccountButton();
    ASSERT_TRUE(WaitShown(kLoginWindow)) << "not logged in: the account button leads to the login page";
    TypeInto(kAccountBox, "demo");
    TypeInto(kPasswordBox, "demo1234", true);
    ASSERT_TRUE(Wait([](const uidump::Dump& d) { return d.ById(kAutoLogin) && d.ById(kAutoLogin)->checked; }));
    Shot(L"account-e2e-login.png");
    webstub::Clear();
    ClickId(kLoginButton);
    ASSERT_TRUE(WaitShown(kLoginWindow, false)) << "a successful login closes the page";
    EXPECT_TRUE(WaitCalls({"login", "addComputer"})) << testing::PrintToString(Calls());
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"TRUE");
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), account::MakeAutoLoginParam(L"demo", L"demo1234"));

    // Logged in: the account button opens the account page.
    ClickAccountButton();
    ASSERT_TRUE(WaitShown(kAccountWindow));
    EXPECT_EQ(dump_.ById(kRealName)->text, L"demo");
    Shot(L"account-e2e-account.png");
    webstub::Clear();
    ClickId(kUploadButton);
    EXPECT_EQ(Answer(), L"操作成功!");
    {
        std::string settings, themes, expected;
        settings = webstub::ReadFileBytes(SettingsPath());
        themes = webstub::ReadFileBytes(ThemesPath());
        ASSERT_EQ(settingssync::BuildUploadPayload(settings, themes, &expected), 1);
        const std::string stored = webstub::Call(L"GET", L"/__control/config");
        const std::string base64 = stored.substr(stored.rfind('\t') + 1);
        const auto bytes = textconv::Base64DecodeTolerant(base64);
        EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == expected) << "stored copy differs";
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()).find("Z\0G\0V\0t", 0, 8), std::string::npos)
            << "the automatic-login parameter never leaves the machine";
    }
    Quit();

    // The next start logs in by itself; the account button then goes
    // straight to the account page.
    webstub::Clear();
    Launch();
    EXPECT_TRUE(WaitCalls({"login", "addComputer"})) << testing::PrintToString(Calls());
    ClickAccountButton();
    ASSERT_TRUE(WaitShown(kAccountWindow));

    // A one-part download leaves both files as they are.
    const std::string settingsBefore = webstub::ReadFileBytes(SettingsPath());
    const std::string themesBefore = webstub::ReadFileBytes(ThemesPath());
    webstub::Fault(L"mode=body&path=" + std::wstring(std::begin(kDownloadPath), std::end(kDownloadPath) - 1),
                   DownloadReply(settingsBefore));
    ClickId(kDownloadButton);
    EXPECT_EQ(Answer(L"确定", L"account-e2e-damaged.png"), L"操作失败!接收数据破损!");
    EXPECT_TRUE(webstub::ReadFileBytes(SettingsPath()) == settingsBefore) << "settings file changed";
    EXPECT_TRUE(webstub::ReadFileBytes(ThemesPath()) == themesBefore) << "theme file changed";

    // A good one replaces both, keeping this machine's automatic login.
    std::string remote = settingssync::WriteProfileValue(settingsBefore, L"OVConfig", L"OVFanSpeedValue", L"42");
    remote = settingssync::WriteProfileValue(remote, L"OVConfig", L"AutoLoginStatus", L"FALSE");
    remote = settingssync::WriteProfileValue(remote, L"OVConfig", L"AutoLoginParam", L"");
    const std::string remoteThemes = settingssync::WriteProfileValue(themesBefore, L"RID_1", L"LightSetName", L"Remote");
    webstub::Fault(L"mode=body&path=" + std::wstring(std::begin(kDownloadPath), std::end(kDownloadPath) - 1),
                   DownloadReply(remote + "#$#" + remoteThemes));
    ClickId(kDownloadButton);
    EXPECT_EQ(Answer(), L"操作成功!");
    EXPECT_EQ(ProfileValue(L"OVFanSpeedValue"), L"42");
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"TRUE");
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), account::MakeAutoLoginParam(L"demo", L"demo1234"));
    EXPECT_TRUE(webstub::ReadFileBytes(ThemesPath()) == remoteThemes) << "theme file not replaced";

    // Log out with the network down: the user is logged out all the same.
    webstub::Fault(L"mode=drop&path=/api_new/website/api.php/v2_1/user/logout");
    ClickId(kLogoutLink);
    EXPECT_EQ(Answer(L"是"), L"确定要注销账户吗?");
    ASSERT_TRUE(WaitShown(kAccountWindow, false));
    ClickAccountButton();
    EXPECT_TRUE(WaitShown(kLoginWindow)) << "logged out: the account button leads to the login page";
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"FALSE");
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), L"");
    Quit();

    // The replaced files make a normal next start, and the user logged out
    // stays logged out: no login request.
    webstub::Clear();
    Launch();
    EXPECT_TRUE(program_->Running());
    EXPECT_FALSE(e2e::WaitFor([] { return !Calls().empty(); }, 5000)) << testing::PrintToString(Calls());
}

}  // namespace
