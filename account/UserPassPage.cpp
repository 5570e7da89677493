#include "UserPassPage.h"

#include "AccountRequest.h"
#include "ApplicationConfigFile.h"
#include "UserLoginCtrl.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_TextEdit.h"

using namespace accountui;

namespace {
using namespace accountui::dialog;
constexpr int32_t kFieldStep = 52;  // three fields, then the button
}  // namespace

CUserPassPage::CUserPassPage(CDUI_UIResource* resource, CDUI_UIScene*, IClientHost* host)
    : host_(host), kit_(resource, host) {}

CUserPassPage::~CUserPassPage() = default;

int CUserPassPage::Create() {
    if (Build()) return 1;
    kit_.Discard();
    return 0;
}

int CUserPassPage::Build() {
    if (!kit_.BuildWindow(kIdWindow, L"修改密码", kWidth, kHeight, 1, [this] { OnClose(); })) return 0;
    oldBox_ = kit_.AddTextBox(kIdOldBox, L"请输入旧密码", kLeft, kFirstField, kFieldWidth, kFieldHeight, 1);
    newBox_ = kit_.AddTextBox(kIdNewBox, L"请输入新密码", kLeft, kFirstField + kFieldStep, kFieldWidth, kFieldHeight, 1);
    againBox_ = kit_.AddTextBox(kIdAgainBox, L"请再次输入新密码", kLeft, kFirstField + 2 * kFieldStep, kFieldWidth,
                                kFieldHeight, 1);
    if (!oldBox_ || !newBox_ || !againBox_) return 0;
    confirmButton_ = kit_.AddButton(kIdConfirmButton, L"UserLoginBtn", L"确定", (kWidth - kButtonWidth) / 2,
                                    kFirstField + 3 * kFieldStep + 12, kButtonWidth, kButtonHeight,
                                    [this] { OnConfirm(); });
    return confirmButton_ ? 1 : 0;
}

void CUserPassPage::Show() {
    DropRequest();
    kit_.ResetTextBoxes();
    kit_.ShowWindow();
}

void CUserPassPage::Hide() {
    DropRequest();
    kit_.HideWindow();
}

void CUserPassPage::Shutdown() { Hide(); }

void CUserPassPage::DropRequest() {
    request_.Cancel();
    kit_.EndBusy();
}

void CUserPassPage::OnClose() {
    DropRequest();
    // Back to the account page it was opened from (or home, logged out).
    CUserLoginCtrl* client = host_->Services().account;
    if (client && client->IsLoggedIn() && host_->Page(ClientPageId::Account))
        host_->ShowPage(ClientPageId::Account);
    else
        host_->ShowHomeView();
}

void CUserPassPage::OnConfirm() {
    if (request_.IsBusy()) return;  // one change at a time
    const std::wstring oldPassword = oldBox_->GetText();
    const std::wstring newPassword = newBox_->GetText();
    const std::wstring again = againBox_->GetText();
    if (oldPassword.empty()) {
        kit_.Info(L"请输入旧密码!");
        return;
    }
    if (newPassword.empty() || again.empty()) {
        kit_.Info(L"请输入新密码!");
        return;
    }
    if (newPassword != again) {
        kit_.Info(L"新密码2次输入不正确!");
        return;
    }
    CUserLoginCtrl* client = host_->Services().account;
    if (!client) {
        kit_.Info(L"账户密码修改失败!");
        return;
    }
    auto answered = [this, newPassword](const CAccountAnswer* answer) {
        kit_.EndBusy();
        const ClientServices& services = host_->Services();
        std::wstring message;
        if (!services.account || !answer || !services.account->FinishChangePassword(newPassword, *answer, &message)) {
            kit_.Info(L"账户密码修改失败!" + message);
            return;
        }
        kit_.Info(L"账户密码修改成功!");
        // The stored parameter holds the old password: automatic login is off
        // until the user ticks it again (which then stores the new one).
        if (services.settings) {
            services.settings->SetAutoLoginStatus(0);
            services.settings->SetAutoLoginParam(L"");
        }
    };
    kit_.BeginBusy(confirmButton_, L"提交中…");
    if (!request_.Run<CAccountAnswer>(
            [call = client->ChangePasswordCall(oldPassword, newPassword)] { return SendAccountCall(call); }, answered,
            account::kRequestDeadlineMs))
        answered(nullptr);
}
