#include "UserConfigPage.h"

#include "AccountRequest.h"
#include "ApplicationConfigFile.h"
#include "ApplicationEnv.h"
#include "PathUtil.h"
#include "SettingsFiles.h"
#include "SettingsSync.h"
#include "UserLoginCtrl.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

using namespace accountui;

namespace {
constexpr int32_t kWidth = 1035;
constexpr int32_t kHeight = 650;
// Left card: who is logged in. Right card: the settings that sync.
constexpr int32_t kCardTop = 74;
constexpr int32_t kCardHeight = kHeight - kCardTop - 24;
constexpr int32_t kLeftX = 24, kLeftW = 320;
constexpr int32_t kRightX = kLeftX + kLeftW + 24, kRightW = kWidth - kRightX - 24;
constexpr int32_t kPictureSize = 112;
constexpr int32_t kRowTop = kCardTop + 72, kRowHeight = 84;
// "OVStyle1Btn" at the size of its plate.
constexpr int32_t kButtonW = 128, kButtonH = 36;

const wchar_t kFailed[] = L"操作失败!";
}  // namespace

CUserConfigPage::CUserConfigPage(CDUI_UIResource* resource, CDUI_UIScene*, IClientHost* host)
    : resource_(resource), host_(host), kit_(resource, host) {}

CUserConfigPage::~CUserConfigPage() = default;

int CUserConfigPage::Create() {
    if (Build()) return 1;
    kit_.Discard();
    return 0;
}

int CUserConfigPage::Build() {
    if (!kit_.BuildWindow(kIdWindow, L"我的账户", kWidth, kHeight, 0, [this] { OnClose(); })) return 0;

    // Who is logged in.
    kit_.AddCard(kIdWindow + 1, kLeftX, kCardTop, kLeftW, kCardHeight);
    const int32_t pictureX = kLeftX + (kLeftW - kPictureSize) / 2, pictureY = kCardTop + 32;
    kit_.AddCard(kIdPicture + 50, pictureX - 1, pictureY - 1, kPictureSize + 2, kPictureSize + 2);
    if (resource_) {
        picture_ = resource_->CreateImage(kIdPicture, L"OVImage", L"", pictureX, pictureY, kPictureSize, kPictureSize);
        if (picture_) {
            picture_->SetTransparent(1);
            picture_->SetBorder(0);
            picture_->SetHitEnable(0);
            picture_->SetFocusable(0);
            kit_.Window()->AddChild(picture_);
        }
    }
    realName_ = kit_.AddLabel(kIdRealName, L"", kLeftX + 16, pictureY + kPictureSize + 20, kLeftW - 32, 32,
                              L"yahei14", pagelook::kText, kAlignCentreMiddle);
    const int32_t linkY = pictureY + kPictureSize + 60;
    logoutLink_ = kit_.AddLink(kIdLogoutLink, L"账户注销", kLeftX + 16, linkY, kLeftW / 2 - 28, 24, kAlignRightMiddle,
                 [this] { OnLogout(); });
    kit_.AddLabel(kIdLogoutLink + 50, L"|", kLeftX + kLeftW / 2 - 12, linkY, 24, 24, L"yahei12", pagelook::kHairline,
                  kAlignCentreMiddle);
    switchLink_ = kit_.AddLink(kIdSwitchLink, L"账户切换", kLeftX + kLeftW / 2 + 12, linkY, kLeftW / 2 - 28, 24,
                 kAlignLeftMiddle, [this] { OnSwitchAccount(); });
    kit_.AddButton(kIdPasswordButton, L"OVStyle1Btn", L"修改密码", kLeftX + (kLeftW - kButtonW) / 2, linkY + 56,
                   kButtonW, kButtonH, [this] { OnChangePassword(); });
    autoLogin_ = kit_.AddCheckBox(kIdAutoLogin, L"AutoLoginCheckBox", L"自动登录", kLeftX + (kLeftW - 96) / 2,
                                  linkY + 112, 96, 24, [this](int checked) { OnAutoLoginChanged(checked); });

    // The settings that go to and come from the account.
    kit_.AddCard(kIdWindow + 2, kRightX, kCardTop, kRightW, kCardHeight);
    kit_.AddLabel(kIdWindow + 3, L"我的方案", kRightX + 24, kCardTop + 20, kRightW - 48, 32, L"yahei14", pagelook::kText,
                  kAlignLeftMiddle);
    const struct {
        int32_t id;
        const wchar_t* name;
        CDUI_Label** desc;
    } rows[] = {{kIdLightDesc, L"灯光", &lightDesc_}, {kIdFanDesc, L"风扇", &fanDesc_}, {kIdGameDesc, L"游戏模式", &gameDesc_}};
    for (int i = 0; i < 3; ++i) {
        const int32_t y = kRowTop + i * kRowHeight;
        kit_.AddLabel(rows[i].id + 50, rows[i].name, kRightX + 24, y + 10, kRightW - 48, 24, L"yahei12",
                      pagelook::kSecondaryText, kAlignLeftMiddle);
        *rows[i].desc = kit_.AddLabel(rows[i].id, L"", kRightX + 24, y + 36, kRightW - 48, 32, L"yahei14",
                                      pagelook::kText, kAlignLeftMiddle);
        // Hairline between the rows.
        if (CDUI_Label* line = kit_.AddCard(rows[i].id + 60, kRightX + 24, y + kRowHeight - 1, kRightW - 48, 1)) {
            line->SetBackColor(pagelook::kHairline);
            line->SetBorder(0);
        }
    }
    const int32_t syncY = kCardTop + kCardHeight - 24 - kButtonH;
    const int32_t downloadX = kRightX + kRightW - 24 - kButtonW;
    uploadButton_ = kit_.AddButton(kIdUploadButton, L"OVStyle1Btn", L"上传我的方案", downloadX - 16 - kButtonW, syncY,
                                   kButtonW, kButtonH, [this] { OnUpload(); });
    downloadButton_ = kit_.AddButton(kIdDownloadButton, L"OVStyle1Btn", L"下载我的方案", downloadX, syncY, kButtonW,
                                     kButtonH, [this] { OnDownload(); });
    return realName_ && autoLogin_ ? 1 : 0;
}

void CUserConfigPage::Show() {
    DropRequests();
    const ClientServices& services = host_->Services();
    CUserLoginCtrl* client = services.account;
    realName_->SetText(client ? client->GetUsername() : std::wstring());
    if (picture_) {
        // An earlier user's picture must never stand for this one; this
        // one's appears when it has come.
        picture_->SetVisible(0);
        if (client) {
            const CUserImageFetch fetch = client->UserImageFetch();
            pictureFetch_.Run<int>([fetch] { return DownloadUserImage(fetch); },
                                   [this, file = fetch.localFile](const int* fetched) {
                                       if (fetched && *fetched && picture_->SetImageFromFile(file))
                                           picture_->SetVisible(1);
                                   },
                                   account::kRequestDeadlineMs);
        }
    }
    ShowDescriptions();
    // Shown as stored, without reporting the change back as the user's.
    if (services.settings) autoLogin_->SetChecked(services.settings->GetAutoLoginStatus() == 1 ? 1 : 0, 0);
    kit_.ShowWindow();
}

void CUserConfigPage::ShowDescriptions() {
    // Each page may not exist (yet): its line then stays empty.
    std::wstring text;
    if (ILightPageLink* light = host_->LightLink(); light && light->GetLightSelectText(&text))
        lightDesc_->SetText(text);
    else
        lightDesc_->SetText(L"");
    text.clear();
    if (IFanPageLink* fan = host_->FanLink(); fan && fan->GetFanModeText(&text))
        fanDesc_->SetText(text);
    else
        fanDesc_->SetText(L"");
    text.clear();
    if (IGamePageLink* game = host_->GameLink(); game && game->GetGameTaskCountText(&text))
        gameDesc_->SetText(text);
    else
        gameDesc_->SetText(L"");
}

void CUserConfigPage::Hide() {
    DropRequests();
    kit_.HideWindow();
}

void CUserConfigPage::Shutdown() { Hide(); }

void CUserConfigPage::DropRequests() {
    request_.Cancel();
    pictureFetch_.Cancel();
    kit_.EndBusy();
}

void CUserConfigPage::OnClose() {
    DropRequests();
    if (host_) host_->ShowHomeView();
}

void CUserConfigPage::ForgetAutoLogin() {
    // Logged out means logged out at the next start too, and the stored
    // parameter holds the password: both go, whatever the server answers.
    if (CApplicationConfigFile* settings = host_->Services().settings) {
        settings->SetAutoLoginStatus(0);
        settings->SetAutoLoginParam(L"");
    }
}

void CUserConfigPage::RunLogout(CDUI_UIControl* control, const std::wstring& busyText, std::function<void()> then) {
    CUserLoginCtrl* client = host_->Services().account;
    if (request_.IsBusy()) return;
    ForgetAutoLogin();
    if (!client) {
        then();
        return;
    }
    auto answered = [this, then](const CAccountAnswer* answer) {
        kit_.EndBusy();
        std::wstring ignored;
        // Logged out on this machine also when no answer came in time.
        if (CUserLoginCtrl* ctrl = host_->Services().account)
            ctrl->FinishLogout(answer ? *answer : CAccountAnswer{}, &ignored);
        then();
    };
    kit_.BeginBusy(control, busyText);
    if (!request_.Run<CAccountAnswer>([call = client->LogoutCall()] { return SendAccountCall(call); }, answered,
                                      account::kRequestDeadlineMs))
        answered(nullptr);
}

void CUserConfigPage::OnLogout() {
    if (request_.IsBusy()) return;
    kit_.Confirm(L"确定要注销账户吗?", [this] { RunLogout(logoutLink_, L"注销中…", [this] { OnClose(); }); });
}

void CUserConfigPage::OnSwitchAccount() {
    if (request_.IsBusy()) return;
    kit_.Confirm(L"确定要切换账户吗?", [this] {
        RunLogout(switchLink_, L"切换中…", [this] { host_->ShowPage(ClientPageId::Login); });
    });
}

void CUserConfigPage::OnChangePassword() { host_->ShowPage(ClientPageId::Password); }

void CUserConfigPage::OnAutoLoginChanged(int checked) {
    const ClientServices& services = host_->Services();
    CApplicationConfigFile* settings = services.settings;
    if (!settings) return;
    settings->SetAutoLoginStatus(checked ? 1 : 0);
    std::wstring param;
    if (checked && services.account) {
        std::wstring name, password;
        services.account->GetUsernameAndPassword(&name, &password);
        param = account::MakeAutoLoginParam(name, password);
    }
    settings->SetAutoLoginParam(param);
}

std::wstring CUserConfigPage::SettingsPath() const {
    const ClientServices& services = host_->Services();
    if (services.env) return services.env->GetDataFolder() + CApplicationConfigFile::kFileName;
    return services.settings ? services.settings->GetFilePath() : std::wstring();
}

std::wstring CUserConfigPage::ThemesPath() const {
    const std::wstring settings = SettingsPath();
    return settings.empty() ? settings : FolderOfPath(settings) + L"LightSetConfig.ini";
}

void CUserConfigPage::OnUpload() {
    if (request_.IsBusy()) return;  // one request at a time
    CUserLoginCtrl* client = host_->Services().account;
    std::string settings, themes, payload;
    // What cannot be read is not sent: a half payload would overwrite the
    // stored copy with less than the user has.
    if (!settingsfiles::ReadWholeFile(SettingsPath(), &settings)) {
        kit_.Info(std::wstring(kFailed) + L"无法读取设置文件!");
        return;
    }
    if (!settingsfiles::ReadWholeFile(ThemesPath(), &themes)) {
        kit_.Info(std::wstring(kFailed) + L"无法读取灯光方案文件!");
        return;
    }
    if (!settingssync::BuildUploadPayload(settings, themes, &payload)) {
        kit_.Info(std::wstring(kFailed) + L"方案中含有无法上传的字符!");
        return;
    }
    if (!client) {
        kit_.Info(kFailed);
        return;
    }
    auto answered = [this](const CAccountAnswer* answer) {
        kit_.EndBusy();
        CUserLoginCtrl* ctrl = host_->Services().account;
        std::wstring message;
        if (ctrl && answer && ctrl->FinishUploadConfig(*answer, &message))
            kit_.Info(L"操作成功!");
        else
            kit_.Info(kFailed + message);
    };
    kit_.BeginBusy(uploadButton_, L"上传中…");
    if (!request_.Run<CAccountAnswer>([call = client->UploadConfigCall(payload)] { return SendAccountCall(call); },
                                      answered, account::kRequestDeadlineMs))
        answered(nullptr);
}

void CUserConfigPage::OnDownload() {
    if (request_.IsBusy()) return;
    CUserLoginCtrl* client = host_->Services().account;
    if (!client) {
        kit_.Info(kFailed);
        return;
    }
    kit_.BeginBusy(downloadButton_, L"下载中…");
    if (!request_.Run<CAccountAnswer>([call = client->DownloadConfigCall()] { return SendAccountCall(call); },
                                      [this](const CAccountAnswer* answer) { OnDownloadAnswer(answer); },
                                      account::kRequestDeadlineMs))
        OnDownloadAnswer(nullptr);
}

void CUserConfigPage::OnDownloadAnswer(const CAccountAnswer* answer) {
    kit_.EndBusy();
    const ClientServices& services = host_->Services();
    CUserLoginCtrl* client = services.account;
    std::string payload, settingsPart, themesPart;
    std::wstring message;
    if (!client || !answer || !client->FinishDownloadConfig(*answer, &payload, &message)) {
        kit_.Info(kFailed + message);
        return;
    }
    // Only a payload that holds both files whole replaces them.
    if (!settingssync::SplitDownloadedPayload(payload, &settingsPart, &themesPart)) {
        kit_.Info(std::wstring(kFailed) + account::kDamagedReply);
        return;
    }
    if (services.settings)
        settingsPart = settingssync::KeepLocalAutoLogin(settingsPart, services.settings->GetAutoLoginStatus(),
                                                        services.settings->GetAutoLoginParam());
    if (!settingsfiles::ReplaceFilePair(SettingsPath(), settingsPart, ThemesPath(), themesPart)) {
        kit_.Info(std::wstring(kFailed) + L"无法保存方案文件!");
        return;
    }
    if (services.settings) services.settings->Load();
    if (ILightPageLink* light = host_->LightLink()) light->ReloadThemeList();
    if (IFanPageLink* fan = host_->FanLink()) fan->Refresh();
    ShowDescriptions();
    kit_.Info(L"操作成功!");
}
