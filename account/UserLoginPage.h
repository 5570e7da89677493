#pragma once
// The login page: account and password boxes with their hint pictures,
// "自动登录", the links to the member site's registration and
// forgotten-password pages, and "UserLoginBtn".
#include <functional>
#include <string>

#include "AccountPageKit.h"
#include "ClientPages.h"
#include "WorkerTask.h"

class CDUI_UIScene;
class CDUI_CheckBox;
struct CAccountAnswer;

class CUserLoginPage : public IClientPage {
public:
    // Control ids, also how checks and the inspection dump find them.
    enum : int32_t {
        kIdWindow = 7300,
        kIdAccountBox = 7310,
        kIdPasswordBox = 7320,
        kIdAutoLogin = 7330,
        kIdForgotLink = 7331,
        kIdRegisterLink = 7332,
        kIdLoginButton = 7333,
    };
    // Opens an address in the user's browser; 1 when the shell took it.
    using BrowserOpener = std::function<int(const std::wstring& address)>;

    // resource, scene, host: borrowed, outlive the page.
    CUserLoginPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
    ~CUserLoginPage() override;

    int Create() override;
    void Show() override;
    void Hide() override;
    void Shutdown() override;

    // The default opens with the shell's "open" verb.
    void SetBrowserOpener(BrowserOpener opener) { opener_ = std::move(opener); }
    CAccountPageKit& Kit() { return kit_; }

    // The handlers, as the controls run them.
    void OnLogin();
    void OnRegister();
    void OnForgotPassword();
    void OnClose();

private:
    // Builds the controls; 0 when the skin lacks a style the page needs.
    int Build();
    // The login's answer on the window's thread (nullptr: past its deadline).
    void OnLoginAnswer(const std::wstring& name, const std::wstring& password, const CAccountAnswer* answer);
    // Leaves a running request behind: its late answer is dropped.
    void DropRequest();
    // The start-up's automatic login still runs: shown as this dialog's own.
    void FollowAutoLogin();
    CDUI_UIResource* resource_ = nullptr;  // borrowed
    IClientHost* host_ = nullptr;          // borrowed
    CAccountPageKit kit_;
    CDUI_TextEdit* accountBox_ = nullptr;   // owned by the page window
    CDUI_TextEdit* passwordBox_ = nullptr;  // owned by the page window
    CDUI_CheckBox* autoLogin_ = nullptr;    // owned by the page window
    CDUI_Button* loginButton_ = nullptr;    // owned by the page window
    BrowserOpener opener_;
    CWorkerTask request_;  // last: dropped before anything its answer would touch
};

// "index.php?mod=login&fun=register" and "...forget_password" on the member
// site, opened with the shell's "open" verb, shown normally.
int OpenInBrowser(const std::wstring& address);
