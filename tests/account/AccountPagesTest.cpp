// The login, account and password pages in process: a real engine on the
// product skin (tests/common page harness), the settings file, the stores and
// the account client in a fresh data folder, against this suite's web
// stand-in. Clicks and typing go through the scene as a user's would.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <random>

#include "AccountProtocol.h"
#include "ApplicationConfigFile.h"
#include "ClientPageHarness.h"
#include "OVSystemConfig.h"
#include "SettingsFiles.h"
#include "TextConv.h"
#include "UserConfigPage.h"
#include "UserLoginCtrl.h"
#include "UserLoginPage.h"
#include "UserPassPage.h"
#include "WebServiceStub.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_TextEdit.h"

namespace {

// Stand-ins for the other pages' links: what the account page asks and tells them.
struct FakeLight : ILightPageLink {
    std::wstring text = L"Orvane";
    int reloads = 0;
    int ApplyThemeByName(const std::wstring&) override { return 1; }
    int GetLightSelectText(std::wstring* t) override {
        *t = text;
        return 1;
    }
    void ReloadThemeList() override { ++reloads; }
};
struct FakeFan : IFanPageLink {
    std::wstring text = L"手动调节 80%";
    int refreshes = 0;
    int GetFanModeText(std::wstring* t) override {
        *t = text;
        return 1;
    }
    void Refresh() override { ++refreshes; }
};
struct FakeGame : IGamePageLink {
    int RunGameTaskById(unsigned int) override { return 1; }
    int GetGameTaskCountText(std::wstring* t) override {
        *t = L"已设置3个游戏模式";
        return 1;
    }
};

const char kApi[] = "/api_new/website/api.php/v2_1/";
// Nothing listens there: the network is down for the client.
const wchar_t kDeadHost[] = L"127.0.0.1:1";

std::vector<std::string> Paths() {
    std::vector<std::string> out;
    for (const auto& r : webstub::Traffic()) out.push_back(r.path.substr(r.path.rfind('/') + 1));
    return out;
}

std::string Utf16File(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

class AccountPages : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(webstub::Port(), 0) << "stand-in not running (VENTARO_WEB_PORT_FILE)";
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", webstub::HostPortText().c_str());
        SetEnvironmentVariableW(L"VENTARO_MEMBER_SITE", L"member.test:8081");
        webstub::Reset();
        h_ = std::make_unique<pageharness::CClientPageHarness>();
        ASSERT_TRUE(h_->Ready());
        login_ = h_->AddPage<CUserLoginPage>(ClientPageId::Login);
        config_ = h_->AddPage<CUserConfigPage>(ClientPageId::Account);
        pass_ = h_->AddPage<CUserPassPage>(ClientPageId::Password);
        ASSERT_TRUE(login_ && config_ && pass_);
        login_->SetBrowserOpener([this](const std::wstring& address) {
            opened_.push_back(address);
            return 1;
        });
    }
    void TearDown() override {
        h_.reset();
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", nullptr);
        SetEnvironmentVariableW(L"VENTARO_MEMBER_SITE", nullptr);
    }

    CDUI_UIControl* Ctl(int32_t id) { return h_->FindById(id); }
    bool Shown(int32_t id) { return pageharness::CClientPageHarness::OnScreen(Ctl(id)); }
    std::wstring Text(int32_t id) { return pageharness::CClientPageHarness::TextOf(Ctl(id)); }

    // The message box on screen; nullptr when none is.
    CDUI_MessageBox* Box() {
        for (CAccountPageKit* kit : {&login_->Kit(), &config_->Kit(), &pass_->Kit()})
            if (kit->MessageBox() && pageharness::CClientPageHarness::OnScreen(kit->MessageBox())) return kit->MessageBox();
        return nullptr;
    }
    // Its text, then answered with that button ("确定", "是", "否").
    std::wstring Answer(const wchar_t* button = L"确定") {
        CDUI_MessageBox* box = Box();
        if (!box || !box->GetLabel()) return L"<no message>";
        const std::wstring text = box->GetLabel()->GetText();
        EXPECT_TRUE(h_->ClickText(L"OVButton", button)) << "no button " << textconv::WideToUtf8(button);
        EXPECT_EQ(Box(), nullptr) << "the box stays after " << textconv::WideToUtf8(button);
        return text;
    }
    // Clicks the control and gives back the message it brought up.
    std::wstring ClickForMessage(int32_t id) {
        if (!h_->Click(Ctl(id))) return L"<not clickable>";
        return Answer();
    }
    // Clicks the box, then types as the keyboard does: ASCII as WM_CHAR,
    // everything else as the input method's WM_IME_CHAR.
    void Type(int32_t id, const std::wstring& text) {
        ASSERT_TRUE(h_->Click(Ctl(id)));
        for (wchar_t c : text) h_->Send(c < 0x80 ? WM_CHAR : WM_IME_CHAR, c, 1);
        ASSERT_EQ(Ctl(id)->GetText(), text);
    }

    void OpenLogin() {
        h_->Host().ShowPage(ClientPageId::Login);
        ASSERT_TRUE(Shown(CUserLoginPage::kIdWindow));
    }
    // Logs in through the page; the page then closes.
    void LoginThroughPage(const std::wstring& name, const std::wstring& password, bool autoLogin) {
        OpenLogin();
        Type(CUserLoginPage::kIdAccountBox, name);
        Type(CUserLoginPage::kIdPasswordBox, password);
        if ((Ctl(CUserLoginPage::kIdAutoLogin)->GetChecked() != 0) != autoLogin) {
            ASSERT_TRUE(h_->Click(Ctl(CUserLoginPage::kIdAutoLogin)));
        }
        ASSERT_TRUE(h_->Click(Ctl(CUserLoginPage::kIdLoginButton)));
        ASSERT_EQ(Box(), nullptr) << textconv::WideToUtf8(Answer());
        ASSERT_EQ(h_->Account()->IsLoggedIn(), 1);
        ASSERT_FALSE(Shown(CUserLoginPage::kIdWindow));
    }
    void OpenAccountPage() {
        h_->Host().ShowPage(ClientPageId::Account);
        ASSERT_TRUE(h_->Settle());  // the picture comes on a worker
        ASSERT_TRUE(Shown(CUserConfigPage::kIdWindow));
    }

    std::wstring SettingsFile() { return h_->DataFolder() + L"OVCLIENT.ini"; }
    std::wstring ThemesFile() { return h_->DataFolder() + L"LightSetConfig.ini"; }
    std::wstring ProfileValue(const wchar_t* key) {
        wchar_t buffer[512] = {};
        GetPrivateProfileStringW(L"OVConfig", key, L"<none>", buffer, 512, SettingsFile().c_str());
        return buffer;
    }
    // The configuration the stand-in keeps for the demo user, decoded.
    std::string StoredConfig() {
        const std::string all = webstub::Call(L"GET", L"/__control/config");
        const size_t tab = all.rfind('\t');
        if (tab == std::string::npos) return "<none>";
        std::string base64 = all.substr(tab + 1);
        while (!base64.empty() && (base64.back() == '\n' || base64.back() == '\r')) base64.pop_back();
        const auto bytes = textconv::Base64DecodeTolerant(base64);
        return std::string(bytes.begin(), bytes.end());
    }
    // Puts a payload on the stand-in as this computer's stored settings.
    void StoreOnServer(const std::string& payload) {
        std::wstring message;
        ASSERT_EQ(h_->Account()->UploadConfig(payload, &message), 1) << textconv::WideToUtf8(message);
    }

    std::unique_ptr<pageharness::CClientPageHarness> h_;
    CUserLoginPage* login_ = nullptr;
    CUserConfigPage* config_ = nullptr;
    CUserPassPage* pass_ = nullptr;
    std::vector<std::wstring> opened_;
    FakeLight light_;
    FakeFan fan_;
    FakeGame game_;
};

// ---- login page --------------------------------------------------------------

TEST_F(AccountPages, LoginRefusesEmptyFieldsAndReportsFailures) {
    OpenLogin();
    auto* password = static_cast<CDUI_TextEdit*>(Ctl(CUserLoginPage::kIdPasswordBox));
    EXPECT_EQ(password->GetPassword(), 1);
    EXPECT_EQ(static_cast<CDUI_TextEdit*>(Ctl(CUserLoginPage::kIdAccountBox))->GetPassword(), 0);

    EXPECT_EQ(ClickForMessage(CUserLoginPage::kIdLoginButton), L"请输入账号!");
    Type(CUserLoginPage::kIdAccountBox, L"demo");
    EXPECT_EQ(ClickForMessage(CUserLoginPage::kIdLoginButton), L"请输入密码!");
    EXPECT_TRUE(webstub::Traffic().empty()) << "nothing is sent before both fields are filled";

    Type(CUserLoginPage::kIdPasswordBox, L"wrong");
    EXPECT_EQ(ClickForMessage(CUserLoginPage::kIdLoginButton), L"账户登录失败!密码错误");
    EXPECT_TRUE(Shown(CUserLoginPage::kIdWindow)) << "the page stays open after a refusal";
    EXPECT_EQ(h_->Account()->IsLoggedIn(), 0);
    EXPECT_EQ(Paths(), std::vector<std::string>{"login"});

    // With the network down only the prefix is shown.
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", kDeadHost);
    EXPECT_EQ(ClickForMessage(CUserLoginPage::kIdLoginButton), L"账户登录失败!");
    EXPECT_TRUE(Shown(CUserLoginPage::kIdWindow));
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", webstub::HostPortText().c_str());

    // Blanks are an account like any other: sent, and refused by the service.
    h_->Host().ShowPage(ClientPageId::Login);
    webstub::Clear();
    Type(CUserLoginPage::kIdAccountBox, L"   ");
    Type(CUserLoginPage::kIdPasswordBox, L"x");
    EXPECT_EQ(ClickForMessage(CUserLoginPage::kIdLoginButton), L"账户登录失败!用户不存在");
    ASSERT_EQ(webstub::Traffic().size(), 1u);
    EXPECT_NE(webstub::Traffic()[0].body.find("member_name=+++&"), std::string::npos);
}

TEST_F(AccountPages, LoginStoresOrClearsAutomaticLoginAndARestartLogsInByItself) {
    LoginThroughPage(L"demo", L"demo1234", true);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"login", "addComputer"}));
    EXPECT_GE(h_->HomeViewRequests(), 1) << "a successful login closes the page";
    const std::wstring param = account::MakeAutoLoginParam(L"demo", L"demo1234");
    EXPECT_EQ(h_->Settings()->GetAutoLoginStatus(), 1);
    EXPECT_EQ(h_->Settings()->GetAutoLoginParam(), param);
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"TRUE");
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), param);

    // The next start: the account client reads the stored keys by itself.
    {
        CApplicationConfigFile settings;
        ASSERT_EQ(settings.Initialise(h_->DataFolder()), 1);
        CUserLoginCtrl restarted;
        webstub::Clear();
        restarted.AutoLogin(&settings);
        EXPECT_EQ(restarted.IsLoggedIn(), 1);
        EXPECT_EQ(restarted.GetUsername(), L"demo");
        EXPECT_EQ(Paths(), (std::vector<std::string>{"login", "addComputer"}));
    }

    // The same as the program starts it, on a worker: the login page opened
    // meanwhile shows it running, refuses a login of its own, and closes
    // when the stored account is in.
    h_->Account()->Logout(nullptr);
    webstub::Clear();
    const int homeViews = h_->HomeViewRequests();
    h_->Account()->StartAutoLogin(h_->Settings());
    EXPECT_EQ(h_->Account()->IsAutoLoginRunning(), 1);
    OpenLogin();
    EXPECT_EQ(Text(CUserLoginPage::kIdLoginButton), L"登录中…");
    EXPECT_EQ(Ctl(CUserLoginPage::kIdLoginButton)->GetEnabled(), 0);
    login_->OnLogin();
    ASSERT_TRUE(h_->Settle());
    EXPECT_EQ(h_->Account()->IsLoggedIn(), 1);
    EXPECT_FALSE(Shown(CUserLoginPage::kIdWindow));
    EXPECT_GT(h_->HomeViewRequests(), homeViews);
    EXPECT_EQ(Text(CUserLoginPage::kIdLoginButton), L"登录");
    EXPECT_EQ(Paths(), (std::vector<std::string>{"login", "addComputer"})) << "no second login beside it";

    // Logging in again without the tick takes the stored keys away.
    h_->Account()->Logout(nullptr);
    webstub::Clear();
    LoginThroughPage(L"张三", L"zhang123", false);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"login", "addComputer"}));
    EXPECT_EQ(h_->Settings()->GetAutoLoginStatus(), 0);
    EXPECT_EQ(h_->Settings()->GetAutoLoginParam(), L"");
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"FALSE");
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), L"");
}

TEST_F(AccountPages, HintsGiveWayToTypingAndLinksOpenTheMemberSite) {
    OpenLogin();
    CDUI_Image* accountHint = login_->Kit().HintOf(static_cast<CDUI_TextEdit*>(Ctl(CUserLoginPage::kIdAccountBox)));
    CDUI_Image* passwordHint =
        login_->Kit().HintOf(static_cast<CDUI_TextEdit*>(Ctl(CUserLoginPage::kIdPasswordBox)));
    ASSERT_TRUE(accountHint && passwordHint);
    EXPECT_TRUE(pageharness::CClientPageHarness::OnScreen(accountHint));
    EXPECT_TRUE(pageharness::CClientPageHarness::OnScreen(passwordHint));

    ASSERT_TRUE(h_->Click(Ctl(CUserLoginPage::kIdAccountBox)));
    EXPECT_FALSE(accountHint->GetVisible()) << "an active box shows no hint";
    EXPECT_TRUE(passwordHint->GetVisible());
    // Leaving the box empty brings the hint back; leaving it filled does not.
    ASSERT_TRUE(h_->Click(Ctl(CUserLoginPage::kIdPasswordBox)));
    EXPECT_TRUE(accountHint->GetVisible());
    EXPECT_FALSE(passwordHint->GetVisible());
    Type(CUserLoginPage::kIdAccountBox, L"demo");
    ASSERT_TRUE(h_->Click(Ctl(CUserLoginPage::kIdPasswordBox)));
    EXPECT_FALSE(accountHint->GetVisible());
    // Showing the page again empties both boxes and shows both hints.
    h_->Host().ShowHomeView();
    OpenLogin();
    EXPECT_EQ(Text(CUserLoginPage::kIdAccountBox), L"");
    EXPECT_TRUE(accountHint->GetVisible());
    EXPECT_TRUE(passwordHint->GetVisible());

    ASSERT_TRUE(h_->ClickText(L"OVLabel", L"注册账号"));
    ASSERT_TRUE(h_->ClickText(L"OVLabel", L"忘记密码?"));
    EXPECT_EQ(opened_, (std::vector<std::wstring>{L"http://member.test:8081/index.php?mod=login&fun=register",
                                                  L"http://member.test:8081/index.php?mod=login&fun=forget_password"}));
    EXPECT_TRUE(Shown(CUserLoginPage::kIdWindow));

    // "CloseButton" closes this page only.
    const int homeBefore = h_->HomeViewRequests();
    ASSERT_TRUE(h_->Click(login_->Kit().CloseButton()));
    EXPECT_FALSE(Shown(CUserLoginPage::kIdWindow));
    EXPECT_EQ(h_->HomeViewRequests(), homeBefore + 1);
    EXPECT_TRUE(IsWindow(h_->HostWindow()));
}

// ---- account page --------------------------------------------------------------

TEST_F(AccountPages, AccountPageShowsTheUserAndTheOtherPagesDescriptions) {
    h_->SetLightLink(&light_);
    h_->SetFanLink(&fan_);
    h_->SetGameLink(&game_);
    LoginThroughPage(L"demo", L"demo1234", false);
    OpenAccountPage();
    EXPECT_EQ(Text(CUserConfigPage::kIdRealName), L"demo");
    EXPECT_EQ(Text(CUserConfigPage::kIdLightDesc), L"Orvane");
    EXPECT_EQ(Text(CUserConfigPage::kIdFanDesc), L"手动调节 80%");
    EXPECT_EQ(Text(CUserConfigPage::kIdGameDesc), L"已设置3个游戏模式");
    EXPECT_EQ(Ctl(CUserConfigPage::kIdAutoLogin)->GetChecked(), 0);
    // The stand-in's picture of member 10001 was fetched and is shown.
    auto* picture = static_cast<CDUI_Image*>(Ctl(CUserConfigPage::kIdPicture));
    EXPECT_TRUE(webstub::FileExists(h_->DataFolder() + L"userimage.png"));
    EXPECT_EQ(picture->HasOwnImage(), 1);
    EXPECT_TRUE(pageharness::CClientPageHarness::OnScreen(picture));

    // Without the other pages (not built yet) the lines stay empty; a
    // picture that cannot be fetched leaves no stale one.
    h_->SetLightLink(nullptr);
    h_->SetFanLink(nullptr);
    h_->SetGameLink(nullptr);
    webstub::Fault(L"mode=404&path=/u/");
    h_->Host().ShowPage(ClientPageId::Account);
    ASSERT_TRUE(h_->Settle());
    EXPECT_EQ(Text(CUserConfigPage::kIdLightDesc), L"");
    EXPECT_EQ(Text(CUserConfigPage::kIdFanDesc), L"");
    EXPECT_EQ(Text(CUserConfigPage::kIdGameDesc), L"");
    EXPECT_FALSE(picture->GetVisible());
}

TEST_F(AccountPages, AutoLoginCheckBoxStoresTheKeptPassword) {
    LoginThroughPage(L"demo", L"demo1234", false);
    OpenAccountPage();
    ASSERT_TRUE(h_->Click(Ctl(CUserConfigPage::kIdAutoLogin)));
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"TRUE");
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), account::MakeAutoLoginParam(L"demo", L"demo1234"));
    ASSERT_TRUE(h_->Click(Ctl(CUserConfigPage::kIdAutoLogin)));
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"FALSE");
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), L"");

    // Showing the page sets the box from the file without writing it back.
    h_->Settings()->SetAutoLoginStatus(1);
    h_->Settings()->SetAutoLoginParam(L"c3RvcmVkI0Ajb2xk");
    h_->Host().ShowPage(ClientPageId::Account);
    EXPECT_EQ(Ctl(CUserConfigPage::kIdAutoLogin)->GetChecked(), 1);
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), L"c3RvcmVkI0Ajb2xk");
}

TEST_F(AccountPages, UploadSendsBothFilesLessTheAutoLoginParameter) {
    LoginThroughPage(L"demo", L"demo1234", true);
    h_->Settings()->SetFanSpeedValue(65);
    const std::string settings = webstub::ReadFileBytes(SettingsFile());
    const std::string themes = webstub::ReadFileBytes(ThemesFile());
    ASSERT_NE(settings.find("A\0u\0t\0o\0L\0o\0g\0i\0n\0P\0a\0r\0a\0m\0=\0Z", 0, 32), std::string::npos);
    OpenAccountPage();
    webstub::Clear();
    EXPECT_EQ(ClickForMessage(CUserConfigPage::kIdUploadButton), L"操作成功!");
    EXPECT_EQ(Paths(), std::vector<std::string>{"uploadComputerConfig"});

    // The stored copy is the two files joined, the parameter's value left out.
    std::string expectedSettings = settings;
    const std::string param = std::string("A\0u\0t\0o\0L\0o\0g\0i\0n\0P\0a\0r\0a\0m\0=\0", 30);
    const size_t at = expectedSettings.find(param) + param.size();
    const size_t end = expectedSettings.find(std::string("\r\0", 2), at);
    expectedSettings.erase(at, end - at);
    EXPECT_EQ(StoredConfig(), expectedSettings + "#$#" + themes);
    EXPECT_EQ(StoredConfig().find("ZGVtbyNAI2RlbW8xMjM0"), std::string::npos);
    EXPECT_EQ(webstub::ReadFileBytes(SettingsFile()), settings) << "the upload leaves the local file alone";

    // A file that cannot be read: nothing is sent, the user is told why.
    ASSERT_TRUE(DeleteFileW(ThemesFile().c_str()));
    webstub::Clear();
    EXPECT_EQ(ClickForMessage(CUserConfigPage::kIdUploadButton), L"操作失败!无法读取灯光方案文件!");
    EXPECT_TRUE(webstub::Traffic().empty());

    // Network down: only the prefix.
    ASSERT_EQ(settingsfiles::ReplaceFileAtomically(ThemesFile(), themes), 1);
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", kDeadHost);
    EXPECT_EQ(ClickForMessage(CUserConfigPage::kIdUploadButton), L"操作失败!");
}

TEST_F(AccountPages, DownloadReplacesBothFilesKeepsLocalAutoLoginAndRefreshesThePages) {
    h_->SetLightLink(&light_);
    h_->SetFanLink(&fan_);
    LoginThroughPage(L"demo", L"demo1234", true);
    const std::wstring localParam = h_->Settings()->GetAutoLoginParam();
    const std::string remoteSettings = Utf16File(
        L"[OVConfig]\r\nOVFanAutoAdjust=TRUE\r\nOVFanSpeedValue=35\r\nOVLightSelect=夜空\r\n"
        L"AutoLoginStatus=FALSE\r\nAutoLoginParam=\r\n");
    const std::string remoteThemes =
        Utf16File(L"[LightSetConfig]\r\nRecordBaseID=9\r\n[RID_9]\r\nLightSetName=夜空\r\nLightSetStatus=true\r\n"
                  L"LightSetColor=255\r\nLightSetInterval=5000\r\nLightSetBrightness=40\r\nLightSetMode=2\r\n"
                  L"LightSetPreSet=false\r\n");
    StoreOnServer(remoteSettings + "#$#" + remoteThemes);
    OpenAccountPage();
    light_.text = L"夜空";
    EXPECT_EQ(ClickForMessage(CUserConfigPage::kIdDownloadButton), L"操作成功!");

    EXPECT_EQ(webstub::ReadFileBytes(ThemesFile()), remoteThemes);
    EXPECT_EQ(ProfileValue(L"OVFanSpeedValue"), L"35");
    EXPECT_EQ(ProfileValue(L"OVLightSelect"), L"夜空");
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"TRUE") << "the download keeps this machine's automatic login";
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), localParam);
    // The settings were read again and the pages told.
    EXPECT_EQ(h_->Settings()->GetFanSpeedValue(), 35);
    EXPECT_EQ(h_->Settings()->GetFanAutoAdjust(), 1);
    EXPECT_EQ(h_->Settings()->GetAutoLoginStatus(), 1);
    EXPECT_EQ(light_.reloads, 1);
    EXPECT_EQ(fan_.refreshes, 1);
    EXPECT_EQ(Text(CUserConfigPage::kIdLightDesc), L"夜空");
    // The theme store sees the downloaded themes and still numbers on.
    LightThemeList themes;
    ASSERT_EQ(h_->Stores()->LoadThemes(&themes), 1);
    ASSERT_EQ(themes.size(), 1u);
    EXPECT_STREQ(themes[0]->name, L"夜空");
}

TEST_F(AccountPages, DamagedDownloadsLeaveBothFilesAndTheNextStartIntact) {
    h_->SetLightLink(&light_);
    h_->SetFanLink(&fan_);
    LoginThroughPage(L"demo", L"demo1234", false);
    OpenAccountPage();
    const std::string settings = webstub::ReadFileBytes(SettingsFile());
    const std::string themes = webstub::ReadFileBytes(ThemesFile());
    std::mt19937 rng(7);
    std::string garbled(3000, '\0');
    for (char& c : garbled) c = static_cast<char>(rng());
    const struct {
        const char* what;
        std::string payload;
    } cases[] = {
        {"one part", settings},
        {"three parts", settings + "#$#" + themes + "#$#" + themes},
        {"garbled", garbled},
        {"table-less themes", settings + "#$#" + Utf16File(L"[RID_1]\r\nLightSetName=x\r\n")},
        {"no settings section", Utf16File(L"[Other]\r\nA=1\r\n") + "#$#" + themes},
    };
    for (const auto& c : cases) {
        StoreOnServer(c.payload);
        EXPECT_EQ(ClickForMessage(CUserConfigPage::kIdDownloadButton), L"操作失败!接收数据破损!") << c.what;
        EXPECT_EQ(webstub::ReadFileBytes(SettingsFile()), settings) << c.what;
        EXPECT_EQ(webstub::ReadFileBytes(ThemesFile()), themes) << c.what;
    }
    // A reply that is no reply, and a config that is no base64.
    webstub::Fault(L"mode=garbage&path=/api_new/website/api.php/v2_1/computer/downloadComputerConfig");
    EXPECT_EQ(ClickForMessage(CUserConfigPage::kIdDownloadButton), L"操作失败!接收数据破损!");
    webstub::Fault(L"mode=body&path=/api_new/website/api.php/v2_1/computer/downloadComputerConfig",
                   R"({"ret_num":"0","ret_msg":"ok","config":"@@not base64@@"})");
    EXPECT_EQ(ClickForMessage(CUserConfigPage::kIdDownloadButton), L"操作失败!接收数据破损!");
    // Nothing stored for this computer: the service's own words.
    webstub::Reset();
    h_->Account()->Login(L"demo", L"demo1234", nullptr);
    EXPECT_EQ(ClickForMessage(CUserConfigPage::kIdDownloadButton), L"操作失败!没有保存的方案");
    EXPECT_EQ(webstub::ReadFileBytes(SettingsFile()), settings);
    EXPECT_EQ(webstub::ReadFileBytes(ThemesFile()), themes);
    EXPECT_EQ(light_.reloads, 0);
    EXPECT_EQ(fan_.refreshes, 0);

    // The next start opens both files as usual.
    CApplicationConfigFile nextSettings;
    EXPECT_EQ(nextSettings.Initialise(h_->DataFolder()), 1);
    COVSystemConfig nextStores;
    EXPECT_EQ(nextStores.Initialise(h_->DataFolder(), h_->ProgramFolder()), 1);
}

// ---- password page, log out, switch account -----------------------------------------

TEST_F(AccountPages, PasswordPageChecksAndBothOutcomes) {
    LoginThroughPage(L"demo", L"demo1234", true);
    OpenAccountPage();
    ASSERT_TRUE(h_->ClickText(L"OVStyle1Btn", L"修改密码"));
    ASSERT_TRUE(Shown(CUserPassPage::kIdWindow));
    for (int32_t id : {CUserPassPage::kIdOldBox, CUserPassPage::kIdNewBox, CUserPassPage::kIdAgainBox})
        EXPECT_EQ(static_cast<CDUI_TextEdit*>(Ctl(id))->GetPassword(), 1);
    webstub::Clear();

    EXPECT_EQ(ClickForMessage(CUserPassPage::kIdConfirmButton), L"请输入旧密码!");
    Type(CUserPassPage::kIdOldBox, L"demo1234");
    EXPECT_EQ(ClickForMessage(CUserPassPage::kIdConfirmButton), L"请输入新密码!");
    Type(CUserPassPage::kIdNewBox, L"fresh99");
    EXPECT_EQ(ClickForMessage(CUserPassPage::kIdConfirmButton), L"请输入新密码!");
    Type(CUserPassPage::kIdAgainBox, L"fresh98");
    EXPECT_EQ(ClickForMessage(CUserPassPage::kIdConfirmButton), L"新密码2次输入不正确!");
    EXPECT_TRUE(webstub::Traffic().empty());

    // A wrong old password: refused, automatic login untouched.
    h_->Host().ShowPage(ClientPageId::Password);
    Type(CUserPassPage::kIdOldBox, L"nope");
    Type(CUserPassPage::kIdNewBox, L"fresh99");
    Type(CUserPassPage::kIdAgainBox, L"fresh99");
    EXPECT_EQ(ClickForMessage(CUserPassPage::kIdConfirmButton), L"账户密码修改失败!原密码错误");
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"TRUE");
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", kDeadHost);
    EXPECT_EQ(ClickForMessage(CUserPassPage::kIdConfirmButton), L"账户密码修改失败!");
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", webstub::HostPortText().c_str());

    // Success: automatic login goes off (the stored parameter is stale).
    h_->Host().ShowPage(ClientPageId::Password);
    Type(CUserPassPage::kIdOldBox, L"demo1234");
    Type(CUserPassPage::kIdNewBox, L"fresh99");
    Type(CUserPassPage::kIdAgainBox, L"fresh99");
    EXPECT_EQ(ClickForMessage(CUserPassPage::kIdConfirmButton), L"账户密码修改成功!");
    EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"FALSE");
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), L"");

    // Closing goes back to the account page; ticking automatic login there
    // now stores the new password, and a restart logs in with it.
    ASSERT_TRUE(h_->Click(pass_->Kit().CloseButton()));
    ASSERT_TRUE(Shown(CUserConfigPage::kIdWindow));
    EXPECT_EQ(Ctl(CUserConfigPage::kIdAutoLogin)->GetChecked(), 0);
    ASSERT_TRUE(h_->Click(Ctl(CUserConfigPage::kIdAutoLogin)));
    EXPECT_EQ(ProfileValue(L"AutoLoginParam"), account::MakeAutoLoginParam(L"demo", L"fresh99"));
    CUserLoginCtrl restarted;
    restarted.AutoLogin(1, ProfileValue(L"AutoLoginParam"));
    EXPECT_EQ(restarted.IsLoggedIn(), 1);
}

TEST_F(AccountPages, LogoutAndSwitchAccountAskFirstAndWorkWithTheNetworkDown) {
    for (bool networkDown : {false, true}) {
        SCOPED_TRACE(networkDown ? "network down" : "network up");
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", webstub::HostPortText().c_str());
        LoginThroughPage(L"demo", L"demo1234", true);
        OpenAccountPage();
        if (networkDown) SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", kDeadHost);

        // "否" changes nothing.
        ASSERT_TRUE(h_->ClickText(L"OVLabel", L"账户注销"));
        EXPECT_EQ(Answer(L"否"), L"确定要注销账户吗?");
        EXPECT_EQ(h_->Account()->IsLoggedIn(), 1);
        EXPECT_TRUE(Shown(CUserConfigPage::kIdWindow));
        EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"TRUE");

        const int homeBefore = h_->HomeViewRequests();
        ASSERT_TRUE(h_->ClickText(L"OVLabel", L"账户注销"));
        EXPECT_EQ(Answer(L"是"), L"确定要注销账户吗?");
        EXPECT_EQ(h_->Account()->IsLoggedIn(), 0);
        EXPECT_FALSE(Shown(CUserConfigPage::kIdWindow));
        EXPECT_EQ(h_->HomeViewRequests(), homeBefore + 1);
        EXPECT_EQ(Box(), nullptr) << "log out shows nothing more";
        // No automatic login at the next start, and no password kept for one.
        EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"FALSE");
        EXPECT_EQ(ProfileValue(L"AutoLoginParam"), L"");

        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", webstub::HostPortText().c_str());
        LoginThroughPage(L"demo", L"demo1234", true);
        OpenAccountPage();
        if (networkDown) SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", kDeadHost);
        ASSERT_TRUE(h_->ClickText(L"OVLabel", L"账户切换"));
        EXPECT_EQ(Answer(L"是"), L"确定要切换账户吗?");
        EXPECT_EQ(h_->Account()->IsLoggedIn(), 0);
        EXPECT_EQ(ProfileValue(L"AutoLoginStatus"), L"FALSE");
        EXPECT_EQ(ProfileValue(L"AutoLoginParam"), L"");
        EXPECT_FALSE(Shown(CUserConfigPage::kIdWindow));
        EXPECT_TRUE(Shown(CUserLoginPage::kIdWindow)) << "switching leads to the login page";
        EXPECT_EQ(h_->PageRequests().back(), ClientPageId::Login);
        h_->Host().ShowHomeView();
    }
}

}  // namespace

namespace {

// Pictures of the three pages and their messages, for a person to look at:
// build/account_shots/*.png.
TEST_F(AccountPages, Screenshots) {
    const std::wstring dir = testpaths::BinaryDir() + L"\\account_shots\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    auto shot = [&](const wchar_t* name) { EXPECT_EQ(h_->SaveScreenshot(dir + name + L".png"), 1) << name; };
    h_->SetLightLink(&light_);
    h_->SetFanLink(&fan_);
    h_->SetGameLink(&game_);
    OpenLogin();
    shot(L"login");
    ASSERT_TRUE(h_->Click(Ctl(CUserLoginPage::kIdLoginButton)));
    shot(L"login_message");
    Answer();
    Type(CUserLoginPage::kIdAccountBox, L"demo");
    Type(CUserLoginPage::kIdPasswordBox, L"wrong");
    ASSERT_TRUE(h_->Click(Ctl(CUserLoginPage::kIdAutoLogin)));
    shot(L"login_filled");
    ASSERT_TRUE(h_->Click(Ctl(CUserLoginPage::kIdLoginButton)));
    shot(L"login_refused");
    Answer();
    h_->Host().ShowHomeView();
    LoginThroughPage(L"demo", L"demo1234", true);
    OpenAccountPage();
    shot(L"account");
    ASSERT_TRUE(h_->ClickText(L"OVLabel", L"账户注销"));
    shot(L"account_confirm");
    Answer(L"否");
    ASSERT_TRUE(h_->Click(Ctl(CUserConfigPage::kIdUploadButton)));
    shot(L"account_uploaded");
    Answer();
    StoreOnServer("only one part");
    ASSERT_TRUE(h_->Click(Ctl(CUserConfigPage::kIdDownloadButton)));
    shot(L"account_damaged");
    Answer();
    ASSERT_TRUE(h_->Click(Ctl(CUserConfigPage::kIdPasswordButton)));
    shot(L"password");
    Type(CUserPassPage::kIdOldBox, L"demo1234");
    Type(CUserPassPage::kIdNewBox, L"abc");
    Type(CUserPassPage::kIdAgainBox, L"abd");
    ASSERT_TRUE(h_->Click(Ctl(CUserPassPage::kIdConfirmButton)));
    shot(L"password_mismatch");
    Answer();
}

}  // namespace
