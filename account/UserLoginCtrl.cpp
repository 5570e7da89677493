#include "UserLoginCtrl.h"

#include <windows.h>
#include <iphlpapi.h>

#include <memory>

#include "AccountRequest.h"
#include "ApplicationConfigFile.h"
#include "HTTPClientWTPCtrl.h"
#include "HttpText.h"
#include "WebHosts.h"

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

CUserLoginCtrl::~CUserLoginCtrl() = default;

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

int CUserLoginCtrl::Exchange(const wchar_t* path, const std::string& body, std::vector<ReplyItem>* items,
                             ReplyStatus* status, std::wstring* message) {
    std::string reply;
    int overLimit = 0;
    items->clear();
    if (!account::PostAccountForm(path, body, &reply, &overLimit)) {
        if (!overLimit) return 0;
        // Too long to be a reply of this service: damaged, never cut to size.
        if (message) *message = account::kDamagedReply;
        *status = ReplyStatus::Damaged;
        return 1;
    }
    *items = account::SplitReplyItems(account::ReplyText(reply));
    std::wstring text;
    *status = account::ReadReplyStatus(*items, &text);
    if (message) *message = text;
    return 1;
}

int CUserLoginCtrl::Login(const std::wstring& username, const std::wstring& password, std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!Exchange(account::kLoginPath, account::LoginBody(username, password, TerminalCode()), &items, &status,
                  message) ||
        status != ReplyStatus::Succeeded)
        return 0;
    account::ApplyLoginItems(items, &user_);
    Notify(1);
    user_.password = password;
    loggedIn_ = 1;
    return 1;
}

int CUserLoginCtrl::Logout(std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    const int answered =
        Exchange(account::kLogoutPath, account::LogoutBody(user_.open_id), &items, &status, message);
    // The user asked to log out: that holds on this machine whatever the
    // service says, and also when it cannot be reached (its session then
    // simply expires there).
    Notify(0);
    loggedIn_ = 0;
    return answered && status == ReplyStatus::Succeeded ? 1 : 0;
}

int CUserLoginCtrl::ChangePassword(const std::wstring& oldPassword, const std::wstring& newPassword,
                                   std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!Exchange(account::kChangePasswordPath, account::ChangePasswordBody(user_.open_id, oldPassword, newPassword),
                  &items, &status, message))
        return 0;
    if (status != ReplyStatus::Succeeded) return 0;
    // Kept for the automatic-login parameter: ticking automatic login after
    // the change must store the password that now works.
    user_.password = newPassword;
    return 1;
}

int CUserLoginCtrl::AddComputer(std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!Exchange(account::kAddComputerPath, account::AddComputerBody(TerminalCode()), &items, &status, message))
        return 0;
    return status == ReplyStatus::Succeeded ? 1 : 0;
}

int CUserLoginCtrl::UploadConfig(const std::string& payload, std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!Exchange(account::kUploadConfigPath, account::UploadConfigBody(user_.open_id, TerminalCode(), payload), &items,
                  &status, message))
        return 0;
    return status == ReplyStatus::Succeeded ? 1 : 0;
}

int CUserLoginCtrl::DownloadConfig(std::string* payload, std::wstring* message) {
    std::vector<ReplyItem> items;
    ReplyStatus status = ReplyStatus::Damaged;
    if (!Exchange(account::kDownloadConfigPath, account::DownloadConfigBody(user_.open_id, TerminalCode()), &items,
                  &status, message) ||
        status != ReplyStatus::Succeeded)
        return 0;
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

std::wstring CUserLoginCtrl::FetchUserImage() {
    const std::wstring local = dataFolder_ + L"userimage.png";
    // An old picture must not pass for this user's.
    DeleteFileW(local.c_str());
    auto client = std::make_unique<CHTTPClientWTPCtrl>();
    if (!client->Open()) return local;
    client->SetTimeouts(account::kRequestTimeoutMs, account::kRequestTimeoutMs, account::kRequestTimeoutMs);
    std::wstring hostText, path;
    httptext::SplitServedAddress(user_.header, &hostText, &path);
    const httptext::HostPort host = webhosts::ServedHost(hostText);
    if (!host.host.empty() && client->Connect(host.host, host.port)) {
        // A half-written picture is removed: the file exists only after a good download.
        if (!client->DownloadToFile(path, local, 0)) DeleteFileW(local.c_str());
        client->CloseConnection();
    }
    client->Close();
    return local;
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
