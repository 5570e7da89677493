#pragma once
// The client of the maker's account web service and the record of the
// logged-in user. One instance for the whole run, owned by the application
// module; used by the account pages on the GUI thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AccountProtocol.h"

class CWorkerTask;

class CApplicationConfigFile;

// One account request as the window's thread prepares it: the path and the
// exact body bytes. Sending it touches nothing else, so a worker can do it.
struct CAccountCall {
    std::wstring path;
    std::string body;
};
// What a sent request brought back, unread.
struct CAccountAnswer {
    int read = 0;       // a non-empty body within the reply bound came
    int overLimit = 0;  // the body was longer than any reply of the service
    std::string reply;
};
// Sends the call to the account API host; safe on any thread.
CAccountAnswer SendAccountCall(const CAccountCall& call);

// The user's picture: where it comes from and where it goes. Fetching it
// (DownloadUserImage) touches nothing else, so a worker can do it.
struct CUserImageFetch {
    std::wstring address;  // the header field of the login reply
    std::wstring localFile;
};
// 1 when the picture was downloaded whole to fetch.localFile.
int DownloadUserImage(const CUserImageFetch& fetch);

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

    // The same operations in two halves, for a request that runs on a
    // worker: the call is made here, sent elsewhere (SendAccountCall), and
    // its answer read back here with the result and message the one-piece
    // operation would give. The bytes on the wire are the same.
    CAccountCall LoginCall(const std::wstring& username, const std::wstring& password) const;
    int FinishLogin(const std::wstring& password, const CAccountAnswer& answer, std::wstring* message);
    CAccountCall LogoutCall() const;
    int FinishLogout(const CAccountAnswer& answer, std::wstring* message);
    CAccountCall ChangePasswordCall(const std::wstring& oldPassword, const std::wstring& newPassword) const;
    int FinishChangePassword(const std::wstring& newPassword, const CAccountAnswer& answer, std::wstring* message);
    CAccountCall AddComputerCall() const;
    int FinishAddComputer(const CAccountAnswer& answer, std::wstring* message);
    CAccountCall UploadConfigCall(const std::string& payload) const;
    int FinishUploadConfig(const CAccountAnswer& answer, std::wstring* message);
    CAccountCall DownloadConfigCall() const;
    int FinishDownloadConfig(const CAccountAnswer& answer, std::string* payload, std::wstring* message);
    // Removes the earlier picture and says where this user's comes from.
    CUserImageFetch UserImageFetch() const;

    // Start-up: reads AutoLoginStatus and AutoLoginParam from the settings;
    // with status 1 and a parameter that decodes to a name and a password,
    // logs in and registers the computer. Messages are not shown. Returns 1
    // whatever the outcome: being offline must not stop the start.
    int AutoLogin(const CApplicationConfigFile* settings);
    // The same with the two settings given directly.
    int AutoLogin(int autoLoginStatus, const std::wstring& autoLoginParam);
    // The start-up's form: the same requests in the same order, sent on a
    // worker, each answer read on the calling (the window's) thread when its
    // message loop gets to it, so the window stands and answers meanwhile.
    // Returns 1 at once.
    int StartAutoLogin(const CApplicationConfigFile* settings);
    // From StartAutoLogin until the login was refused or failed, or the
    // computer's registration has answered (or given up).
    int IsAutoLoginRunning() const;
    // Told once on the window's thread when the running automatic login
    // ends, with the login state. One listener (the login page while it is
    // shown); nullptr removes it.
    void SetAutoLoginListener(std::function<void(int loggedIn)> listener);

    int IsLoggedIn() const { return loggedIn_; }
    int IsAutoLoginTried() const { return autoLogin_; }
    std::wstring GetUsername() const { return user_.username; }
    void GetUsernameAndPassword(std::wstring* username, std::wstring* password) const;
    const account::UserRecord& GetUserRecord() const { return user_; }
    // Computed afresh for every request that carries it.
    std::wstring TerminalCode() const;

private:
    // Reads an answer's items and status. Returns 0 when nothing was read
    // (network failure, empty reply): *message is then left alone.
    static int ReadAnswer(const CAccountAnswer& answer, std::vector<account::ReplyItem>* items,
                          account::ReplyStatus* status, std::wstring* message);
    void Notify(int loggedIn);
    void EndAutoLogin();

    int autoLogin_ = 0;
    int loggedIn_ = 0;
    account::UserRecord user_;
    std::wstring dataFolder_;
    AdapterSource adapters_;
    LoginStateHook hook_;
    std::unique_ptr<CWorkerTask> autoLoginTask_;  // the start-up's login, then the registration
    std::function<void(int)> autoLoginListener_;
    int autoLoginRunning_ = 0;
};

// The system's network adapters, in the system's order.
std::vector<account::AdapterInfo> QuerySystemAdapters();
