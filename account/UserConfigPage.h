#pragma once
// The account page: the user's name and picture, the one-line descriptions
// of the lighting, fan and game-mode settings, automatic login, log out,
// switch account, change password, and the upload and download of the
// user's settings (OVCLIENT.ini and LightSetConfig.ini).
#include <string>

#include "AccountPageKit.h"
#include "ClientPages.h"
#include "WorkerTask.h"

class CDUI_UIScene;
class CDUI_CheckBox;
struct CAccountAnswer;

class CUserConfigPage : public IClientPage {
public:
    enum : int32_t {
        kIdWindow = 7400,
        kIdPicture = 7410,
        kIdRealName = 7411,
        kIdLogoutLink = 7412,
        kIdSwitchLink = 7413,
        kIdPasswordButton = 7414,
        kIdAutoLogin = 7415,
        kIdLightDesc = 7420,
        kIdFanDesc = 7421,
        kIdGameDesc = 7422,
        kIdUploadButton = 7430,
        kIdDownloadButton = 7431,
    };

    // resource, scene, host: borrowed, outlive the page.
    CUserConfigPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
    ~CUserConfigPage() override;

    int Create() override;
    void Show() override;
    void Hide() override;
    void Shutdown() override;

    CAccountPageKit& Kit() { return kit_; }

    // The handlers, as the controls run them.
    // Automatic login off and its stored parameter removed (注销, 切换).
    void ForgetAutoLogin();
    void OnLogout();
    void OnSwitchAccount();
    void OnChangePassword();
    void OnAutoLoginChanged(int checked);
    void OnUpload();
    void OnDownload();
    void OnClose();

private:
    // Builds the controls; 0 when the skin lacks a style the page needs.
    int Build();
    // The two synced files in the user data folder.
    std::wstring SettingsPath() const;
    std::wstring ThemesPath() const;
    void ShowDescriptions();
    // Leaves running requests behind: their late answers are dropped.
    void DropRequests();
    // Logs out on a worker (the control reads busyText meanwhile), then runs then.
    void RunLogout(CDUI_UIControl* control, const std::wstring& busyText, std::function<void()> then);
    void OnDownloadAnswer(const CAccountAnswer* answer);

    CDUI_UIResource* resource_ = nullptr;  // borrowed
    IClientHost* host_ = nullptr;          // borrowed
    CAccountPageKit kit_;
    // Owned by the page window:
    CDUI_Image* picture_ = nullptr;
    CDUI_Label* realName_ = nullptr;
    CDUI_Label* lightDesc_ = nullptr;
    CDUI_Label* fanDesc_ = nullptr;
    CDUI_Label* gameDesc_ = nullptr;
    CDUI_CheckBox* autoLogin_ = nullptr;
    CDUI_Label* logoutLink_ = nullptr;
    CDUI_Label* switchLink_ = nullptr;
    CDUI_Button* uploadButton_ = nullptr;
    CDUI_Button* downloadButton_ = nullptr;
    // Last: dropped before anything their answers would touch.
    CWorkerTask request_;  // log out, upload, download: one at a time
    CWorkerTask pictureFetch_;  // the user's picture
};
