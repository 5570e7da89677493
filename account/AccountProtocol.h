#pragma once
// The account web API's wire format, as plain functions: form bodies, the
// reading of replies (quotes removed, cut at commas, keys by position), the
// \uXXXX escapes, the user record a login fills, the configuration and the
// automatic-login parameter. No platform calls.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace account {

inline constexpr const wchar_t* kLoginPath = L"/api_new/website/api.php/v2_1/user/login";
inline constexpr const wchar_t* kLogoutPath = L"/api_new/website/api.php/v2_1/user/logout";
inline constexpr const wchar_t* kChangePasswordPath = L"/api_new/website/api.php/v2_1/option/changepwd";
inline constexpr const wchar_t* kAddComputerPath = L"/api_new/website/api.php/v2_1/computer/addComputer";
inline constexpr const wchar_t* kUploadConfigPath = L"/api_new/website/api.php/v2_1/computer/uploadComputerConfig";
inline constexpr const wchar_t* kDownloadConfigPath =
    L"/api_new/website/api.php/v2_1/computer/downloadComputerConfig";
inline constexpr const char* kApplicationKey = "492718";
inline constexpr const wchar_t* kDamagedReply = L"接收数据破损!";
// Separates name and password in the automatic-login parameter.
inline constexpr const wchar_t* kAutoLoginSeparator = L"#@#";

// ---- form values ------------------------------------------------------------

// A form value: the code page 936 bytes of text, percent-encoded byte by byte
// (letters and digits kept, the space "+", all else "%XX") so that a
// standard form decoder hands the server exactly those bytes.
std::string FormText(std::wstring_view text);
// Binary form value: standard base64 of the bytes, percent-encoded the same
// way ("+", "/" and "=" would otherwise not survive form decoding).
std::string FormBase64(std::string_view bytes);
// The login name: its 936 characters re-expressed as UTF-8, percent-encoded
// (letters and digits kept, white space "+", all else "%XX").
std::string FormLoginName(std::wstring_view name);

std::string LoginBody(std::wstring_view name, std::wstring_view password, std::wstring_view terminalCode);
std::string LogoutBody(std::wstring_view openId);
std::string ChangePasswordBody(std::wstring_view openId, std::wstring_view oldPassword, std::wstring_view newPassword);
std::string AddComputerBody(std::wstring_view terminalCode);
std::string UploadConfigBody(std::wstring_view openId, std::wstring_view terminalCode, std::string_view payload);
std::string DownloadConfigBody(std::wstring_view openId, std::wstring_view terminalCode);

// ---- terminal code ------------------------------------------------------------

struct AdapterInfo {
    std::string description;
    uint32_t type = 0;             // IF_TYPE_*: 6 Ethernet, 71 IEEE 802.11
    std::vector<uint8_t> address;  // hardware address
};

// The first adapter whose description contains "PCI" or whose type is 6 or
// 71, as "%02X-%02X-%02X-%02X-%02X-%02X"; empty text when none qualifies.
std::wstring ChooseTerminalCode(const std::vector<AdapterInfo>& adapters);

// ---- replies ---------------------------------------------------------------------

struct ReplyItem {
    std::wstring key;    // text before the first ":"
    std::wstring value;  // text after it; empty without ":"
};

// Body bytes up to the first zero byte, as code page 936 text.
std::wstring ReplyText(std::string_view body);
// Every double quote removed, cut at every ",".
std::vector<ReplyItem> SplitReplyItems(std::wstring_view text);

enum class ReplyStatus { Damaged, Refused, Succeeded };
// Item 0 must be "{ret_num", item 1 "ret_msg"; otherwise Damaged with the
// message "接收数据破损!". Else the message is ret_msg escape-decoded and the
// status Succeeded when ret_num is exactly "0".
ReplyStatus ReadReplyStatus(const std::vector<ReplyItem>& items, std::wstring* message);

// Each "\u" with four hex digits (not all zero) becomes that UTF-16 unit; any
// other backslash stays.
std::wstring DecodeEscapes(std::wstring_view text);

// ---- the logged-in user -------------------------------------------------------

struct UserRecord {
    std::wstring username;
    std::wstring password;
    std::wstring memberid;
    std::wstring realname;
    std::wstring mobile;
    std::wstring address;
    std::wstring email;
    std::wstring usertype;
    std::wstring sex;
    std::wstring birthday;
    std::wstring regtime;
    std::wstring header;
    std::wstring game;
    std::wstring regip;
    std::wstring open_id;
    std::wstring updateTime;
    std::wstring level;
};

// The per-key treatment of a successful login reply (password untouched).
void ApplyLoginItems(const std::vector<ReplyItem>& items, UserRecord* user);

// ---- configuration and automatic login ---------------------------------------

// The value of the reply's "config" item: base64 followed by the reply's
// closing brace, "/" possibly written "\/". Returns 0 unless the brace is there
// and the rest is strict base64; *payload is then sized from the input.
int DecodeConfigValue(std::wstring_view value, std::string* payload);

// The automatic-login parameter: base64 of the 936 bytes of
// name + "#@#" + password.
std::wstring MakeAutoLoginParam(std::wstring_view name, std::wstring_view password);
// Returns 0 for a parameter that is not strict base64; otherwise splits the
// decoded text at the first "#@#" (no separator: all of it is the name).
int DecodeAutoLoginParam(std::wstring_view param, std::wstring* name, std::wstring* password);

}  // namespace account
