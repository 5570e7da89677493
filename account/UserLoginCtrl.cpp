#include "UserLoginCtrl.h"

#include <windows.h>
#include <iphlpapi.h>

#include <memory>

#include "AccountRequest.h"
#include "ApplicationConfigFile.h"
#include "HTTPClientWTPCtrl.h"
#include "HttpText.h"
#include "WebHosts.h"
#include "WorkerTask.h"

using account::ReplyItem;
using account::ReplyStatus;

std::vector<account::AdapterInfo> QuerySystemAdapters() {
    std::vector<account::AdapterInfo> out;
    ULONG size = 648;
    std::vector<uint8_t> buffer(size);
    ULONG rc = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    if (rc == ERROR_BUFFER_OVERFLOW) {
        buffer.assign(size, 0);
        rc = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (rc != ERROR_SUCCESS) return out;
    for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
        account::AdapterInfo info;
        info.description.assign(a->Description, strnlen(a->Description, sizeof(a->Description)));
        info.type = a->Type;
        const UINT n = a->AddressLength < MAX_ADAPTER_ADDRESS_LENGTH ? a->AddressLength : MAX_ADAPTER_ADDRESS_LENGTH;
        info.address.assign(a->Address, a->Address + (n < 6 ? 6 : n));
        out.push_back(std::move(info));
    }
    return out;
}

CUserLoginCtrl::CUserLoginCtrl() : CUserLoginCtrl(QuerySystemAdapters) {}

CUserLoginCtrl::CUserLoginCtrl(AdapterSource adapters) : adapters_(std::move(adapters)) {}

// Out of line: the task drops a running request before the rest goes.
CUserLoginCtrl::~CUserLoginCtrl() { autoLoginTask_.reset(); }

void CUserLoginCtrl::SetDataFolder(const std::wstring& folder) {
    dataFolder_ = folder;
    if (!dataFolder_.empty() && dataFolder_.back() != L'\\' && dataFolder_.back() != L'/') dataFolder_ += L'\\';
}

void CUserLoginCtrl::SetLoginStateHook(LoginStateHook hook) { hook_ = std::move(hook); }

void CUserLoginCtrl::Notify(int loggedIn) {
    if (hook_) hook_(loggedIn);
}

std::wstring CUserLoginCtrl::TerminalCode() const {
    return adapters_ ? account::ChooseTerminalCode(adapters_()) : std::wstring{};
}

void CUserLoginCtrl::GetUsernameAndPassword(std::wstring* username, std::wstring* password) const {
    if (username) *username = user_.username;
    if (password) *password = user_.password;
}

CAccountAnswer SendAccountCall(const CAccountCall& call) {
    CAccountAnswer answer;
    answer.read = account::PostAccountForm(call.path, call.body, &answer.reply, &answer.overLimit);
    return answer;
}

int CUserLoginCtrl::ReadAnswer(const CAccountAnswer& answer, std::vector<ReplyItem>* items, ReplyStatus* status,
                               std::wstring* message) {
    items->clear();
    if (!answer.read) {
        if (!answer.overLimit) return 0;
        // Too long to be a reply of this service: damaged, never cut to size.
        if (message) *message = account::kDamagedReply;
        *status = ReplyStatus::Damaged;
        return 1;
    }
    *items = account::SplitReplyItems(account::ReplyText(answer.reply));
    std::wstring text;
    *status = account::ReadReplyStatus(*items, &text);
    if (message) *message = text;
    return 1;
}

CAccountCall CUserLoginCtrl::LoginCall(const std::wstring& username, const std::wstring& password) const {
    return {account::kLoginPath, account::LoginBody(username, password, TerminalCode())};
}

int CUserLoginCtrl::FinishLogin(const std::wstring& password, const CAccountAnswer& answer, std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!ReadAnswer(answer, &items, &status, message) || status != ReplyStatus::Succeeded) return 0;
    account::ApplyLoginItems(items, &user_);
    Notify(1);
    user_.password = password;
    loggedIn_ = 1;
    return 1;
}

int CUserLoginCtrl::Login(const std::wstring& username, const std::wstring& password, std::wstring* message) {
    return FinishLogin(password, SendAccountCall(LoginCall(username, password)), message);
}

CAccountCall CUserLoginCtrl::LogoutCall() const { return {account::kLogoutPath, account::LogoutBody(user_.open_id)}; }

int CUserLoginCtrl::FinishLogout(const CAccountAnswer& answer, std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    const int answered = ReadAnswer(answer, &items, &status, message);
    // The user asked to log out: that holds on this machine whatever the
    // service says, and also when it cannot be reached (its session then
    // simply expires there).
    Notify(0);
    loggedIn_ = 0;
    return answered && status == ReplyStatus::Succeeded ? 1 : 0;
}

int CUserLoginCtrl::Logout(std::wstring* message) { return FinishLogout(SendAccountCall(LogoutCall()), message); }

CAccountCall CUserLoginCtrl::ChangePasswordCall(const std::wstring& oldPassword,
                                                const std::wstring& newPassword) const {
    return {account::kChangePasswordPath, account::ChangePasswordBody(user_.open_id, oldPassword, newPassword)};
}

int CUserLoginCtrl::FinishChangePassword(const std::wstring& newPassword, const CAccountAnswer& answer,
                                         std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!ReadAnswer(answer, &items, &status, message)) return 0;
    if (status != ReplyStatus::Succeeded) return 0;
    // Kept for the automatic-login parameter: ticking automatic login after
    // the change must store the password that now works.
    user_.password = newPassword;
    return 1;
}

int CUserLoginCtrl::ChangePassword(const std::wstring& oldPassword, const std::wstring& newPassword,
                                   std::wstring* message) {
    return FinishChangePassword(newPassword, SendAccountCall(ChangePasswordCall(oldPassword, newPassword)), message);
}

CAccountCall CUserLoginCtrl::AddComputerCall() const {
    return {account::kAddComputerPath, account::AddComputerBody(TerminalCode())};
}

int CUserLoginCtrl::FinishAddComputer(const CAccountAnswer& answer, std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!ReadAnswer(answer, &items, &status, message)) return 0;
    return status == ReplyStatus::Succeeded ? 1 : 0;
}

int CUserLoginCtrl::AddComputer(std::wstring* message) {
    return FinishAddComputer(SendAccountCall(AddComputerCall()), message);
}

CAccountCall CUserLoginCtrl::UploadConfigCall(const std::string& payload) const {
    return {account::kUploadConfigPath, account::UploadConfigBody(user_.open_id, TerminalCode(), payload)};
}

int CUserLoginCtrl::FinishUploadConfig(const CAccountAnswer& answer, std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!ReadAnswer(answer, &items, &status, message)) return 0;
    return status == ReplyStatus::Succeeded ? 1 : 0;
}

int CUserLoginCtrl::UploadConfig(const std::string& payload, std::wstring* message) {
    return FinishUploadConfig(SendAccountCall(UploadConfigCall(payload)), message);
}

CAccountCall CUserLoginCtrl::DownloadConfigCall() const {
    return {account::kDownloadConfigPath, account::DownloadConfigBody(user_.open_id, TerminalCode())};
}

int CUserLoginCtrl::FinishDownloadConfig(const CAccountAnswer& answer, std::string* payload, std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!ReadAnswer(answer, &items, &status, message) || status != ReplyStatus::Succeeded) return 0;
    std::string decoded;
    // A configuration that does not decode cleanly must never reach the
    // user's files: the whole download counts as a damaged reply.
    if (items.size() < 3 || items[2].key != L"config" || !account::DecodeConfigValue(items[2].value, &decoded)) {
        if (message) *message = account::kDamagedReply;
        return 0;
    }
    if (payload) *payload = std::move(decoded);
    return 1;
}

int CUserLoginCtrl::DownloadConfig(std::string* payload, std::wstring* message) {
    return FinishDownloadConfig(SendAccountCall(DownloadConfigCall()), payload, message);
}

CUserImageFetch CUserLoginCtrl::UserImageFetch() const {
    CUserImageFetch fetch{user_.header, dataFolder_ + L"userimage.png"};
    // An old picture must not pass for this user's.
    DeleteFileW(fetch.localFile.c_str());
    return fetch;
}

int DownloadUserImage(const CUserImageFetch& fetch) {
    auto client = std::make_unique<CHTTPClientWTPCtrl>();
    if (!client->Open()) return 0;
    client->SetTimeouts(account::kRequestTimeoutMs, account::kRequestTimeoutMs, account::kRequestTimeoutMs);
    std::wstring hostText, path;
    httptext::SplitServedAddress(fetch.address, &hostText, &path);
    const httptext::HostPort host = webhosts::ServedHost(hostText);
    int ok = 0;
    if (!host.host.empty() && client->Connect(host.host, host.port)) {
        ok = client->DownloadToFile(path, fetch.localFile, 0);
        // A half-written picture is removed: the file exists only after a good download.
        if (!ok) DeleteFileW(fetch.localFile.c_str());
        client->CloseConnection();
    }
    client->Close();
    return ok;
}

std::wstring CUserLoginCtrl::FetchUserImage() {
    const CUserImageFetch fetch = UserImageFetch();
    DownloadUserImage(fetch);
    return fetch.localFile;
}

int CUserLoginCtrl::AutoLogin(const CApplicationConfigFile* settings) {
    if (!settings) {
        autoLogin_ = 1;
        return 1;
    }
    return AutoLogin(settings->GetAutoLoginStatus(), settings->GetAutoLoginParam());
}

int CUserLoginCtrl::AutoLogin(int autoLoginStatus, const std::wstring& autoLoginParam) {
    autoLogin_ = 1;
    if (autoLoginStatus != 1) return 1;
    std::wstring name, password;
    if (!account::DecodeAutoLoginParam(autoLoginParam, &name, &password)) return 1;
    if (name.empty() || password.empty()) return 1;
    std::wstring message;
    if (Login(name, password, &message)) AddComputer(&message);
    return 1;
}

int CUserLoginCtrl::StartAutoLogin(const CApplicationConfigFile* settings) {
    autoLogin_ = 1;
    if (!settings || settings->GetAutoLoginStatus() != 1) return 1;
    std::wstring name, password;
    if (!account::DecodeAutoLoginParam(settings->GetAutoLoginParam(), &name, &password)) return 1;
    if (name.empty() || password.empty()) return 1;
    if (!autoLoginTask_) autoLoginTask_ = std::make_unique<CWorkerTask>();
    auto registered = [this](const CAccountAnswer* answer) {
        std::wstring ignored;
        if (answer) FinishAddComputer(*answer, &ignored);
        EndAutoLogin();
    };
    auto answered = [this, password, registered](const CAccountAnswer* answer) {
        std::wstring ignored;
        if (!answer || !FinishLogin(password, *answer, &ignored)) {
            EndAutoLogin();
            return;
        }
        if (!autoLoginTask_->Run<CAccountAnswer>([call = AddComputerCall()] { return SendAccountCall(call); },
                                                 registered, account::kRequestDeadlineMs))
            EndAutoLogin();
    };
    autoLoginRunning_ = 1;
    if (!autoLoginTask_->Run<CAccountAnswer>([call = LoginCall(name, password)] { return SendAccountCall(call); },
                                             answered, account::kRequestDeadlineMs))
        autoLoginRunning_ = 0;
    return 1;
}

int CUserLoginCtrl::IsAutoLoginRunning() const { return autoLoginRunning_; }

void CUserLoginCtrl::SetAutoLoginListener(std::function<void(int)> listener) {
    autoLoginListener_ = std::move(listener);
}

void CUserLoginCtrl::EndAutoLogin() {
    autoLoginRunning_ = 0;
    // Taken out first: the listener may set another one or remove itself.
    std::function<void(int)> listener = std::move(autoLoginListener_);
    autoLoginListener_ = nullptr;
    if (listener) listener(loggedIn_);
}
