#pragma once
// The client of the maker's account web service and the record of the
// logged-in user. One instance for the whole run, owned by the application
// module; used by the account pages on the GUI thread.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "AccountProtocol.h"

class CApplicationConfigFile;

class CUserLoginCtrl {
public:
    // Where the network adapter list comes from (the terminal code); the
    // default asks the system (GetAdaptersInfo).
    using AdapterSource = std::function<std::vector<account::AdapterInfo>()>;
    // Told 1 when a user has logged in, 0 when logged out (the main client
    // window moves its account indicator).
    using LoginStateHook = std::function<void(int loggedIn)>;

    CUserLoginCtrl();
    explicit CUserLoginCtrl(AdapterSource adapters);
    virtual ~CUserLoginCtrl();
    CUserLoginCtrl(const CUserLoginCtrl&) = delete;
    CUserLoginCtrl& operator=(const CUserLoginCtrl&) = delete;

    // The per-user data folder (with or without trailing "\"), where the
    // user's picture is stored.
    void SetDataFolder(const std::wstring& folder);
    void SetLoginStateHook(LoginStateHook hook);

    // Each returns 1 on success; *message gets the server's message, or
    // "接收数据破损!" for a damaged reply, and stays unchanged when the network
    // failed or the reply was empty.
    int Login(const std::wstring& username, const std::wstring& password, std::wstring* message);
    // Logs the user out on this machine in every case; 1 only when the
    // service confirmed it.
    int Logout(std::wstring* message);
    // On success the kept password becomes the new one.
    int ChangePassword(const std::wstring& oldPassword, const std::wstring& newPassword, std::wstring* message);
    int AddComputer(std::wstring* message);
    // payload: raw bytes (the settings file, "#$#", the light-theme file).
    int UploadConfig(const std::string& payload, std::wstring* message);
    int DownloadConfig(std::string* payload, std::wstring* message);
    // Downloads the user's picture to the data folder; returns that file's
    // path (the file exists only when the download succeeded).
    std::wstring FetchUserImage();
    // Start-up: reads AutoLoginStatus and AutoLoginParam from the settings;
    // with status 1 and a parameter that decodes to a name and a password,
    // logs in and registers the computer. Messages are not shown. Returns 1
    // whatever the outcome: being offline must not stop the start.
    int AutoLogin(const CApplicationConfigFile* settings);
    // The same with the two settings given directly.
    int AutoLogin(int autoLoginStatus, const std::wstring& autoLoginParam);

    int IsLoggedIn() const { return loggedIn_; }
    int IsAutoLoginTried() const { return autoLogin_; }
    std::wstring GetUsername() const { return user_.username; }
    void GetUsernameAndPassword(std::wstring* username, std::wstring* password) const;
    const account::UserRecord& GetUserRecord() const { return user_; }
    // Computed afresh for every request that carries it.
    std::wstring TerminalCode() const;

private:
    // Posts body to path and reads the reply's items and status. Returns 0
    // when nothing was read (network failure, empty reply): *message is then
    // left alone.
    int Exchange(const wchar_t* path, const std::string& body, std::vector<account::ReplyItem>* items,
                 account::ReplyStatus* status, std::wstring* message);
    void Notify(int loggedIn);

    int autoLogin_ = 0;
    int loggedIn_ = 0;
    account::UserRecord user_;
    std::wstring dataFolder_;
    AdapterSource adapters_;
    LoginStateHook hook_;
};

// The system's network adapters, in the system's order.
std::vector<account::AdapterInfo> QuerySystemAdapters();
