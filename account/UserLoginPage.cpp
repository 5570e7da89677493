#include "UserLoginPage.h"

#include <windows.h>
#include <shellapi.h>

#include "AccountProtocol.h"
#include "AccountRequest.h"
#include "ApplicationConfigFile.h"
#include "UserLoginCtrl.h"
#include "WebHosts.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_TextEdit.h"
#include "scene/DUI_Window.h"

using namespace accountui;

namespace {
using namespace accountui::dialog;
constexpr int32_t kFieldStep = 48;  // fields, options, the button
}  // namespace

int OpenInBrowser(const std::wstring& address) {
    const auto rc = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return rc > 32 ? 1 : 0;
}

CUserLoginPage::CUserLoginPage(CDUI_UIResource* resource, CDUI_UIScene*, IClientHost* host)
    : resource_(resource), host_(host), kit_(resource, host), opener_(&OpenInBrowser) {}

CUserLoginPage::~CUserLoginPage() = default;

int CUserLoginPage::Create() {
    if (Build()) return 1;
    kit_.Discard();
    return 0;
}

int CUserLoginPage::Build() {
    if (!kit_.BuildWindow(kIdWindow, L"账户登录", kWidth, kHeight, 1, [this] { OnClose(); })) return 0;
    accountBox_ = kit_.AddTextBox(kIdAccountBox, L"请输入账号", kLeft, kFirstField, kFieldWidth, kFieldHeight, 0);
    passwordBox_ = kit_.AddTextBox(kIdPasswordBox, L"请输入密码", kLeft, kFirstField + kFieldStep, kFieldWidth,
                                   kFieldHeight, 1);
    if (!accountBox_ || !passwordBox_) return 0;
    const int32_t optionsY = kFirstField + 2 * kFieldStep + 2;
    autoLogin_ = kit_.AddCheckBox(kIdAutoLogin, L"TPStatusButton", L"自动登录", kLeft, optionsY, 160, 24, nullptr);
    kit_.AddLink(kIdForgotLink, L"忘记密码?", kLeft + kFieldWidth - 120, optionsY, 120, 24, kAlignRightMiddle,
                 [this] { OnForgotPassword(); });
    loginButton_ = kit_.AddButton(kIdLoginButton, L"UserLoginBtn", L"登录", (kWidth - kButtonWidth) / 2,
                                  optionsY + 38, kButtonWidth, kButtonHeight, [this] { OnLogin(); });
    if (!loginButton_) return 0;
    const int32_t registerY = optionsY + 38 + kButtonHeight + 16;
    kit_.AddLabel(kIdRegisterLink + 50, L"还没有账号?", kLeft, registerY, kFieldWidth / 2 - 2, 24, L"yahei12",
                  pagelook::kSecondaryText, kAlignRightMiddle);
    kit_.AddLink(kIdRegisterLink, L"注册账号", kLeft + kFieldWidth / 2 + 2, registerY, kFieldWidth / 2 - 2, 24,
                 kAlignLeftMiddle, [this] { OnRegister(); });
    return 1;
}

void CUserLoginPage::Show() {
    DropRequest();
    kit_.ResetTextBoxes();
    FollowAutoLogin();
    kit_.ShowWindow();
}

void CUserLoginPage::FollowAutoLogin() {
    CUserLoginCtrl* client = host_->Services().account;
    if (!client || !client->IsAutoLoginRunning()) return;
    // Busy like a login of its own: no second login beside it, and it
    // closes when the stored account is logged in.
    kit_.BeginBusy(loginButton_, L"登录中…");
    client->SetAutoLoginListener([this](int loggedIn) {
        kit_.EndBusy();
        if (loggedIn) OnClose();
    });
}

void CUserLoginPage::Hide() {
    DropRequest();
    kit_.HideWindow();
}

void CUserLoginPage::Shutdown() { Hide(); }

void CUserLoginPage::DropRequest() {
    request_.Cancel();
    // The automatic login goes on; only this dialog stops following it.
    if (CUserLoginCtrl* client = host_ ? host_->Services().account : nullptr) client->SetAutoLoginListener(nullptr);
    kit_.EndBusy();
}

void CUserLoginPage::OnClose() {
    // A login still on its way is left behind: nothing of it is kept.
    DropRequest();
    // Only this page goes away; the program and the other pages stay.
    if (host_) host_->ShowHomeView();
}

void CUserLoginPage::OnRegister() {
    if (opener_) opener_(webhosts::MemberSiteAddress(L"index.php?mod=login&fun=register"));
}

void CUserLoginPage::OnForgotPassword() {
    if (opener_) opener_(webhosts::MemberSiteAddress(L"index.php?mod=login&fun=forget_password"));
}

void CUserLoginPage::OnLogin() {
    // One login at a time: the button is disabled while one runs, and Enter
    // or a second click must not send another.
    if (request_.IsBusy()) return;
    if (CUserLoginCtrl* client = host_->Services().account; client && client->IsAutoLoginRunning()) return;
    const std::wstring name = accountBox_->GetText();
    const std::wstring password = passwordBox_->GetText();
    if (name.empty()) {
        kit_.Info(L"请输入账号!");
        return;
    }
    if (password.empty()) {
        kit_.Info(L"请输入密码!");
        return;
    }
    CUserLoginCtrl* client = host_->Services().account;
    if (!client) {
        kit_.Info(L"账户登录失败!");
        return;
    }
    kit_.BeginBusy(loginButton_, L"登录中…");
    const int started = request_.Run<CAccountAnswer>(
        [call = client->LoginCall(name, password)] { return SendAccountCall(call); },
        [this, name, password](const CAccountAnswer* answer) { OnLoginAnswer(name, password, answer); },
        account::kRequestDeadlineMs);
    if (!started) OnLoginAnswer(name, password, nullptr);
}

void CUserLoginPage::OnLoginAnswer(const std::wstring& name, const std::wstring& password,
                                   const CAccountAnswer* answer) {
    const ClientServices& services = host_->Services();
    CUserLoginCtrl* client = services.account;
    std::wstring message;
    if (!client || !answer || !client->FinishLogin(password, *answer, &message)) {
        kit_.EndBusy();
        kit_.Info(L"账户登录失败!" + message);
        return;
    }
    if (CApplicationConfigFile* settings = services.settings) {
        const int remember = autoLogin_ && autoLogin_->GetChecked() ? 1 : 0;
        settings->SetAutoLoginStatus(remember);
        settings->SetAutoLoginParam(remember ? account::MakeAutoLoginParam(name, password) : std::wstring());
    }
    // The computer is registered next, with the button still busy; its
    // answer is not shown, and one that never comes does not undo the login.
    auto added = [this](const CAccountAnswer* reply) {
        std::wstring ignored;
        if (CUserLoginCtrl* ctrl = host_->Services().account; ctrl && reply)
            ctrl->FinishAddComputer(*reply, &ignored);
        kit_.EndBusy();
        OnClose();
    };
    if (!request_.Run<CAccountAnswer>([call = client->AddComputerCall()] { return SendAccountCall(call); }, added,
                                      account::kRequestDeadlineMs))
        added(nullptr);
}
