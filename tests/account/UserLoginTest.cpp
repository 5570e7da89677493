// CUserLoginCtrl against the stand-in web service (started by the ctest
// fixture of this suite), with a fixed adapter list for the terminal code.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "AccountProtocol.h"
#include "AccountRequest.h"
#include "ApplicationConfigFile.h"
#include "TextConv.h"
#include "UserLoginCtrl.h"
#include "SilentPort.h"
#include "WebServiceStub.h"

namespace {

const std::vector<account::AdapterInfo> kAdapters = {
    {"Software Loopback", 24, {1, 1, 1, 1, 1, 1}},
    {"Realtek PCIe GbE Family Controller", 6, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
};
const char kTerminalForm[] = "00%2D1A%2D2B%2D3C%2D4D%2D5E";
const wchar_t kLoginOk[] = L"登录成功";

class UserLogin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(webstub::Port(), 0) << "stand-in not running (VENTARO_WEB_PORT_FILE)";
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", webstub::HostPortText().c_str());
        webstub::Reset();
        dir_ = testpaths::MakeTempDir(L"login");
        ctrl_ = std::make_unique<CUserLoginCtrl>([this] { return adapters_; });
        ctrl_->SetDataFolder(dir_);
        ctrl_->SetLoginStateHook([this](int state) { hook_.push_back(state); });
    }
    void TearDown() override { SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", nullptr); }

    int LoginDemo() {
        std::wstring message;
        return ctrl_->Login(L"demo", L"demo1234", &message);
    }

    std::vector<account::AdapterInfo> adapters_ = kAdapters;
    std::unique_ptr<CUserLoginCtrl> ctrl_;
    std::vector<int> hook_;
    std::wstring dir_;
};

TEST_F(UserLogin, LoginSendsTheExactBodyAndFillsTheRecord) {
    std::wstring message;
    ASSERT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 1);
    EXPECT_EQ(message, kLoginOk);
    EXPECT_EQ(ctrl_->IsLoggedIn(), 1);
    EXPECT_EQ(hook_, std::vector<int>{1});

    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 1u);
    EXPECT_EQ(traffic[0].verb, "POST");
    EXPECT_EQ(traffic[0].path, "/api_new/website/api.php/v2_1/user/login");
    EXPECT_EQ(traffic[0].body, std::string("key=pc&member_name=demo&member_passwd=demo1234&terminal_code=") +
                                   kTerminalForm + "&app_key=492718");
    EXPECT_EQ(traffic[0].Header("Content-Type"), std::vector<std::string>{"application/x-www-form-urlencoded"});
    EXPECT_EQ(traffic[0].Header("Host"), std::vector<std::string>{"127.0.0.1:" + std::to_string(webstub::Port())});

    const auto& u = ctrl_->GetUserRecord();
    EXPECT_EQ(u.username, L"demo");
    EXPECT_EQ(u.password, L"demo1234");
    EXPECT_EQ(u.memberid, L"10001");
    EXPECT_EQ(u.realname, L"演示用户");
    EXPECT_EQ(u.email, L"user10001@ventaro.example");
    EXPECT_EQ(u.birthday, L"1990-01-01");
    EXPECT_EQ(u.header, L"http:\\\\" + webstub::HostPortText() + L"\\u\\10001.png");
    EXPECT_EQ(u.open_id.size(), 32u);
    EXPECT_EQ(u.level, L"1}}");
    std::wstring name, password;
    ctrl_->GetUsernameAndPassword(&name, &password);
    EXPECT_EQ(name, L"demo");
    EXPECT_EQ(password, L"demo1234");
    EXPECT_EQ(ctrl_->GetUsername(), L"demo");
}

TEST_F(UserLogin, ChineseNameAndSpecialPasswordsArriveIntact) {
    std::wstring message;
    ASSERT_EQ(ctrl_->Login(L"张三", L"zhang123", &message), 1) << message;
    EXPECT_EQ(ctrl_->GetUsername(), L"张三");
    EXPECT_NE(webstub::Traffic()[0].body.find("member_name=%E5%BC%A0%E4%B8%89&"), std::string::npos);

    // The stand-in decodes forms the standard way: "&", "=", "+", "%" and
    // Chinese text in a password must reach it unchanged.
    webstub::Control(L"account", "name=amp&password=a%26b%3Dc%2Bd+%25e%E5%AF%86");
    ASSERT_EQ(ctrl_->Login(L"amp", L"a&b=c+d %e密", &message), 1) << message;
    EXPECT_EQ(ctrl_->GetUsername(), L"amp");
    // A tab is not a space to the server.
    webstub::Control(L"account", "name=tab&password=a%09b");
    EXPECT_EQ(ctrl_->Login(L"tab", L"a b", &message), 0);
    ASSERT_EQ(ctrl_->Login(L"tab", L"a\tb", &message), 1) << message;

    webstub::Control(L"account", "name=a+b&password=x");
    ASSERT_EQ(ctrl_->Login(L"a b", L"x", &message), 1) << message;
    webstub::Control(L"account", "name=a-b&password=x");
    ASSERT_EQ(ctrl_->Login(L"a-b", L"x", &message), 1) << message;
    const auto traffic = webstub::Traffic();
    EXPECT_NE(traffic[4].body.find("member_name=a+b&"), std::string::npos);
    EXPECT_NE(traffic[5].body.find("member_name=a%2Db&"), std::string::npos);
}

TEST_F(UserLogin, NoQualifyingAdapterSendsAnEmptyTerminalCode) {
    adapters_ = {{"Software Loopback", 24, {1, 2, 3, 4, 5, 6}}};
    LoginDemo();
    std::wstring message;
    ctrl_->AddComputer(&message);
    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 2u);
    EXPECT_EQ(traffic[0].body, "key=pc&member_name=demo&member_passwd=demo1234&terminal_code=&app_key=492718");
    EXPECT_EQ(traffic[1].body, "mac_address=");
}

TEST_F(UserLogin, WrongPasswordFailsWithTheServersMessage) {
    std::wstring message;
    EXPECT_EQ(ctrl_->Login(L"demo", L"wrong", &message), 0);
    EXPECT_EQ(message, L"密码错误");
    EXPECT_EQ(ctrl_->IsLoggedIn(), 0);
    EXPECT_TRUE(hook_.empty());
    EXPECT_EQ(ctrl_->GetUserRecord().open_id, L"");
}

TEST_F(UserLogin, RepliesAreReadByPosition) {
    std::wstring message;
    webstub::Fault(L"mode=body", R"({"ret_num":"1","ret_msg":"\u5bc6\u7801\u9519\u8bef","data":""})");
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"密码错误");

    webstub::Fault(L"mode=body", R"({"ret_num":"2","ret_msg":"busy, try later","data":""})");
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"busy");

    webstub::Fault(L"mode=body", R"( {"ret_num":"0","ret_msg":"ok","data":""})");
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"接收数据破损!");
    EXPECT_EQ(ctrl_->IsLoggedIn(), 0);

    webstub::Fault(L"mode=garbage");
    message = L"";
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"接收数据破损!");
}

TEST_F(UserLogin, OnlyTheBodyCountsNotTheHeaderBlock) {
    // Headers far beyond the 4096-byte header buffer: the reply is still read.
    webstub::Fault(L"mode=bigheaders&size=6000");
    std::wstring message;
    ASSERT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 1);
    EXPECT_EQ(message, kLoginOk);
    EXPECT_EQ(ctrl_->IsLoggedIn(), 1);
}

TEST_F(UserLogin, EmptyRepliesAndNetworkFailuresLeaveTheMessageAlone) {
    std::wstring message = L"before";
    webstub::Fault(L"mode=empty");
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"before");
    webstub::Fault(L"mode=drop");
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"before");
    // The server reads the request, then closes without any answer.
    webstub::Fault(L"mode=hang&delay=2");
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"before");
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", L"127.0.0.1:1");
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"before");
    EXPECT_EQ(ctrl_->IsLoggedIn(), 0);
}

TEST_F(UserLogin, ASilentOrHungHostEndsTheRequestWithinSeconds) {
    using Clock = std::chrono::steady_clock;
    // Each step is bounded; a loaded machine gets room above the sum.
    const auto bound = std::chrono::milliseconds(4 * account::kRequestTimeoutMs);
    std::wstring message = L"before";
    webstub::Fault(L"mode=hang&delay=60");
    auto t0 = Clock::now();
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_LT(Clock::now() - t0, bound) << "a server that never answers";

    CSilentPort silent;
    ASSERT_NE(0, silent.Port());
    const std::wstring host = L"127.0.0.1:" + std::to_wstring(silent.Port());
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", host.c_str());
    t0 = Clock::now();
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_LT(Clock::now() - t0, bound) << "a host that never accepts the connection";
    EXPECT_EQ(message, L"before");
}

TEST_F(UserLogin, RepliesLongerThan4096BytesAreReadWhole) {
    // A valid login reply with a long real name: nothing may be cut.
    std::string name;
    for (int i = 0; i < 1500; ++i) name += "\\u6f14";
    const std::string reply = R"({"ret_num":"0","ret_msg":"ok","user":{"memberid":"7","realname":")" + name +
                              R"(","open_id":"oid","level":"9"}})";
    ASSERT_GT(reply.size(), 4096u);
    webstub::Fault(L"mode=body", reply);
    std::wstring message;
    ASSERT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 1);
    EXPECT_EQ(ctrl_->GetUserRecord().realname, std::wstring(1500, L'演'));
    EXPECT_EQ(ctrl_->GetUserRecord().level, L"9}}");
}

TEST_F(UserLogin, AReplyBeyondTheBoundIsDamagedNotTruncated) {
    webstub::Fault(L"mode=big&size=1100000");
    std::wstring message;
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(message, L"接收数据破损!");
}

TEST_F(UserLogin, LogoutAlwaysLogsOutHere) {
    ASSERT_EQ(LoginDemo(), 1);
    const std::wstring openId = ctrl_->GetUserRecord().open_id;
    std::wstring message;
    webstub::Fault(L"mode=500", R"({"ret_num":"9","ret_msg":"no","data":""})");
    EXPECT_EQ(ctrl_->Logout(&message), 0);
    EXPECT_EQ(message, L"no");
    EXPECT_EQ(ctrl_->IsLoggedIn(), 0);
    EXPECT_EQ(hook_, (std::vector<int>{1, 0}));
    // The record stays until the next login.
    EXPECT_EQ(ctrl_->GetUsername(), L"demo");

    ASSERT_EQ(LoginDemo(), 1);
    EXPECT_EQ(ctrl_->Logout(&message), 1);
    EXPECT_EQ(message, L"退出成功");
    const auto traffic = webstub::Traffic();
    EXPECT_EQ(traffic[1].path, "/api_new/website/api.php/v2_1/user/logout");
    EXPECT_EQ(traffic[1].body, "key=pc&open_id=" + std::string(openId.begin(), openId.end()));

    // Without any answer the user is logged out here all the same; the
    // message stays as it was.
    ASSERT_EQ(LoginDemo(), 1);
    webstub::Fault(L"mode=drop");
    message = L"before";
    EXPECT_EQ(ctrl_->Logout(&message), 0);
    EXPECT_EQ(message, L"before");
    EXPECT_EQ(ctrl_->IsLoggedIn(), 0);
    EXPECT_EQ(hook_, (std::vector<int>{1, 0, 1, 0, 1, 0}));
}

TEST_F(UserLogin, ChangePasswordSendsTheNewPasswordTwice) {
    ASSERT_EQ(LoginDemo(), 1);
    std::wstring message;
    EXPECT_EQ(ctrl_->ChangePassword(L"bad", L"n&w=1", &message), 0);
    EXPECT_EQ(message, L"原密码错误");
    std::wstring name, password;
    ctrl_->GetUsernameAndPassword(&name, &password);
    EXPECT_EQ(password, L"demo1234");
    ASSERT_EQ(ctrl_->ChangePassword(L"demo1234", L"n&w=1", &message), 1);
    EXPECT_EQ(message, L"修改成功");
    // The kept password follows the change (automatic login stores it).
    ctrl_->GetUsernameAndPassword(&name, &password);
    EXPECT_EQ(password, L"n&w=1");
    const std::wstring oid = ctrl_->GetUserRecord().open_id;
    EXPECT_EQ(webstub::Traffic().back().body, "key=pc&open_id=" + std::string(oid.begin(), oid.end()) +
                                                  "&oldpassword=demo1234&newpassword=n%26w%3D1&newrepassword=n%26w%3D1");
    EXPECT_EQ(ctrl_->Login(L"demo", L"demo1234", &message), 0);
    EXPECT_EQ(ctrl_->Login(L"demo", L"n&w=1", &message), 1);
}

TEST_F(UserLogin, AddComputerRegistersTheTerminalCode) {
    std::wstring message;
    ASSERT_EQ(ctrl_->AddComputer(&message), 1);
    EXPECT_EQ(message, L"添加成功");
    EXPECT_EQ(webstub::Traffic()[0].body, std::string("mac_address=") + kTerminalForm);
    EXPECT_EQ(webstub::Call(L"GET", L"/__control/computers"), "00-1A-2B-3C-4D-5E");
}

TEST_F(UserLogin, ConfigurationOf20KiBRoundTripsByteIdentical) {
    ASSERT_EQ(LoginDemo(), 1);
    std::string payload(20 * 1024, '\0');
    std::mt19937 rng(99);
    for (char& c : payload) c = static_cast<char>(rng());
    payload.replace(100, 3, "#$#");
    std::wstring message;
    ASSERT_EQ(ctrl_->UploadConfig(payload, &message), 1) << std::string(message.begin(), message.end());
    EXPECT_EQ(message, L"上传成功");
    // The service holds exactly the base64 text: no "+" turned into a space.
    const std::string stored = webstub::Call(L"GET", L"/__control/config");
    EXPECT_EQ(stored, "demo\t00-1A-2B-3C-4D-5E\t" + textconv::Base64Encode(payload));

    std::string back;
    ASSERT_EQ(ctrl_->DownloadConfig(&back, &message), 1);
    EXPECT_EQ(message, L"下载成功");
    EXPECT_EQ(back, payload);
    const auto traffic = webstub::Traffic();
    const std::wstring oid = ctrl_->GetUserRecord().open_id;
    EXPECT_EQ(traffic.back().body,
              "open_id=" + std::string(oid.begin(), oid.end()) + "&mac_address=" + kTerminalForm);
    EXPECT_EQ(traffic[1].body.rfind("open_id=" + std::string(oid.begin(), oid.end()) + "&mac_address=" +
                                        kTerminalForm + "&config=",
                                    0),
              0u);
}

TEST_F(UserLogin, DamagedConfigurationsNeverBecomeAPayload) {
    ASSERT_EQ(LoginDemo(), 1);
    std::string payload = "keep";
    std::wstring message;
    EXPECT_EQ(ctrl_->DownloadConfig(&payload, &message), 0);  // nothing stored yet
    EXPECT_EQ(message, L"没有保存的方案");

    const char* damaged[] = {
        R"({"ret_num":"0","ret_msg":"ok","config":"QUJD)",          // cut before the brace
        R"({"ret_num":"0","ret_msg":"ok","config":"QU JD"})",       // not base64
        R"({"ret_num":"0","ret_msg":"ok","conf":"QUJD"})",          // wrong key
        R"({"ret_num":"0","ret_msg":"ok"})",                        // too few items
        R"({"ret_num":"0","ret_msg":"ok","config":"QUJD","x":"1"})",  // brace not after the value
    };
    for (const char* body : damaged) {
        webstub::Fault(L"mode=body", body);
        message.clear();
        EXPECT_EQ(ctrl_->DownloadConfig(&payload, &message), 0) << body;
        EXPECT_EQ(message, L"接收数据破损!") << body;
    }
    EXPECT_EQ(payload, "keep");

    webstub::Fault(L"mode=body", R"({"ret_num":"0","ret_msg":"ok","config":"QUJD\/w=="})");
    ASSERT_EQ(ctrl_->DownloadConfig(&payload, &message), 1);
    EXPECT_EQ(payload, std::string("ABC\xFF", 4));
}

TEST_F(UserLogin, FetchUserImageFollowsTheHeaderAddress) {
    ASSERT_EQ(LoginDemo(), 1);
    const std::wstring file = ctrl_->FetchUserImage();
    EXPECT_EQ(file, dir_ + L"userimage.png");
    EXPECT_EQ(webstub::ReadFileBytes(file).substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(webstub::Traffic().back().path, "/u/10001.png");
    EXPECT_EQ(webstub::Traffic().back().verb, "GET");

    // A header written http:\/\/H\/u\/1.png is stored as http:\\H\u\1.png and fetched as /u/1.png from H.
    webstub::Control(L"file?path=/u/1.png", "picture-bytes");
    const std::string host = "127.0.0.1:" + std::to_string(webstub::Port());
    webstub::Fault(L"mode=body", R"({"ret_num":"0","ret_msg":"ok","user":{"memberid":"1","header":"http:\/\/)" +
                                     host + R"(\/u\/1.png","open_id":"o"}})");
    ASSERT_EQ(LoginDemo(), 1);
    EXPECT_EQ(ctrl_->GetUserRecord().header, L"http:\\\\" + webstub::HostPortText() + L"\\u\\1.png");
    ctrl_->FetchUserImage();
    EXPECT_EQ(webstub::ReadFileBytes(file), "picture-bytes");
    EXPECT_EQ(webstub::Traffic().back().path, "/u/1.png");
}

TEST_F(UserLogin, FailedPictureDownloadLeavesNoFile) {
    ASSERT_EQ(LoginDemo(), 1);
    const std::wstring file = ctrl_->FetchUserImage();
    ASSERT_TRUE(webstub::FileExists(file));
    webstub::Fault(L"mode=short&path=/u/");
    ctrl_->FetchUserImage();
    EXPECT_FALSE(webstub::FileExists(file));
    webstub::Fault(L"mode=body", R"({"ret_num":"0","ret_msg":"ok","user":{"memberid":"1","header":"http:\/\/127.0.0.1:1\/u\/1.png"}})");
    ASSERT_EQ(LoginDemo(), 1);
    EXPECT_FALSE(webstub::FileExists(ctrl_->FetchUserImage()));
}

TEST_F(UserLogin, AutoLoginWithAStoredParameterLogsInAndRegisters) {
    ASSERT_EQ(ctrl_->AutoLogin(1, account::MakeAutoLoginParam(L"demo", L"demo1234")), 1);
    EXPECT_EQ(ctrl_->IsAutoLoginTried(), 1);
    EXPECT_EQ(ctrl_->IsLoggedIn(), 1);
    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 2u);
    EXPECT_EQ(traffic[0].path, "/api_new/website/api.php/v2_1/user/login");
    EXPECT_EQ(traffic[1].path, "/api_new/website/api.php/v2_1/computer/addComputer");
}

TEST_F(UserLogin, AutoLoginWithoutAUsableParameterDoesNothing) {
    const std::wstring good = account::MakeAutoLoginParam(L"demo", L"demo1234");
    EXPECT_EQ(ctrl_->AutoLogin(0, good), 1);  // switched off
    for (const wchar_t* bad : {L"", L"%%%%", L"ZGVtbw==" /* "demo": no password */, L"I0AjcHc=" /* "#@#pw" */,
                               L"ZGVtbyNAI2RlbW8xMjM" /* unpadded */}) {
        EXPECT_EQ(ctrl_->AutoLogin(1, bad), 1) << bad;
    }
    std::wstring huge(100000, L'A');
    EXPECT_EQ(ctrl_->AutoLogin(1, huge), 1);  // decodes to zero bytes only
    EXPECT_EQ(ctrl_->IsAutoLoginTried(), 1);
    EXPECT_EQ(ctrl_->IsLoggedIn(), 0);
    EXPECT_TRUE(webstub::Traffic().empty());

    // A refused automatic login is silent and registers nothing.
    EXPECT_EQ(ctrl_->AutoLogin(1, account::MakeAutoLoginParam(L"demo", L"old")), 1);
    EXPECT_EQ(ctrl_->IsLoggedIn(), 0);
    EXPECT_EQ(webstub::Traffic().size(), 1u);
}

TEST_F(UserLogin, AutoLoginReadsTheSettingsFile) {
    {
        CApplicationConfigFile settings;
        ASSERT_EQ(settings.Initialise(dir_), 1);
        settings.SetAutoLoginStatus(1);
        settings.SetAutoLoginParam(account::MakeAutoLoginParam(L"张三", L"zhang123"));
    }
    CApplicationConfigFile settings;  // read back from the file, as at start-up
    ASSERT_EQ(settings.Initialise(dir_), 1);
    ASSERT_EQ(settings.GetAutoLoginStatus(), 1);
    EXPECT_EQ(ctrl_->AutoLogin(&settings), 1);
    EXPECT_EQ(ctrl_->IsLoggedIn(), 1);
    EXPECT_EQ(ctrl_->GetUsername(), L"张三");
    EXPECT_EQ(webstub::Traffic().size(), 2u);
}

TEST_F(UserLogin, AutoLoginWithACorruptSettingsFileDoesNothing) {
    {
        std::ofstream out(std::filesystem::path(dir_ + L"OVCLIENT.ini"), std::ios::binary);
        out << "[OVConfig]\r\nAutoLoginStatus=TRUE\r\nAutoLoginParam=\x01\xff#@#garbage==\r\n";
    }
    CApplicationConfigFile settings;
    ASSERT_EQ(settings.Initialise(dir_), 1);
    ASSERT_EQ(settings.GetAutoLoginStatus(), 1);
    EXPECT_EQ(ctrl_->AutoLogin(&settings), 1);
    EXPECT_EQ(ctrl_->AutoLogin(nullptr), 1);
    EXPECT_EQ(ctrl_->IsAutoLoginTried(), 1);
    EXPECT_EQ(ctrl_->IsLoggedIn(), 0);
    EXPECT_TRUE(webstub::Traffic().empty());
}

}  // namespace
