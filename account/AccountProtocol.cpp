#include "AccountProtocol.h"

#include <cstdio>

#include "TextConv.h"

namespace account {

namespace {
// Unlike the login name's encoding, tab, CR, LF, VT and FF are escaped too:
// a form decoder turns "+" back into a space only, so they would arrive changed.
std::string FormEncodeBytes(std::string_view bytes) {
    return textconv::PercentEncodeBytes(bytes, textconv::PlusFor::SpaceOnly);
}
}  // namespace

std::string FormText(std::wstring_view text) { return FormEncodeBytes(textconv::WideToChs(text)); }

std::string FormBase64(std::string_view bytes) { return FormEncodeBytes(textconv::Base64Encode(bytes)); }

std::string FormLoginName(std::wstring_view name) { return textconv::PercentEncodeE(name); }

std::string LoginBody(std::wstring_view name, std::wstring_view password, std::wstring_view terminalCode) {
    return "key=pc&member_name=" + FormLoginName(name) + "&member_passwd=" + FormText(password) +
           "&terminal_code=" + FormText(terminalCode) + "&app_key=" + kApplicationKey;
}

std::string LogoutBody(std::wstring_view openId) { return "key=pc&open_id=" + FormText(openId); }

std::string ChangePasswordBody(std::wstring_view openId, std::wstring_view oldPassword,
                               std::wstring_view newPassword) {
    const std::string fresh = FormText(newPassword);
    return "key=pc&open_id=" + FormText(openId) + "&oldpassword=" + FormText(oldPassword) + "&newpassword=" + fresh +
           "&newrepassword=" + fresh;
}

std::string AddComputerBody(std::wstring_view terminalCode) { return "mac_address=" + FormText(terminalCode); }

std::string UploadConfigBody(std::wstring_view openId, std::wstring_view terminalCode, std::string_view payload) {
    return "open_id=" + FormText(openId) + "&mac_address=" + FormText(terminalCode) + "&config=" +
           FormBase64(payload);
}

std::string DownloadConfigBody(std::wstring_view openId, std::wstring_view terminalCode) {
    return "open_id=" + FormText(openId) + "&mac_address=" + FormText(terminalCode);
}

std::wstring ChooseTerminalCode(const std::vector<AdapterInfo>& adapters) {
    for (const AdapterInfo& a : adapters) {
        if (a.description.find("PCI") == std::string::npos && a.type != 6 && a.type != 71) continue;
        uint8_t b[6] = {};
        for (size_t i = 0; i < 6 && i < a.address.size(); ++i) b[i] = a.address[i];
        wchar_t text[18];
        std::swprintf(text, 18, L"%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
        return text;
    }
    return {};
}

std::wstring ReplyText(std::string_view body) {
    const size_t zero = body.find('\0');
    return textconv::ChsToWide(body.substr(0, zero));
}

std::vector<ReplyItem> SplitReplyItems(std::wstring_view text) {
    std::vector<ReplyItem> items;
    std::wstring piece;
    auto finish = [&] {
        ReplyItem item;
        const size_t colon = piece.find(L':');
        item.key = piece.substr(0, colon);
        if (colon != std::wstring::npos) item.value = piece.substr(colon + 1);
        items.push_back(std::move(item));
        piece.clear();
    };
    for (wchar_t c : text) {
        if (c == L'"') continue;
        if (c == L',') {
            finish();
            continue;
        }
        piece += c;
    }
    finish();
    return items;
}

ReplyStatus ReadReplyStatus(const std::vector<ReplyItem>& items, std::wstring* message) {
    if (items.size() < 2 || items[0].key != L"{ret_num" || items[1].key != L"ret_msg") {
        if (message) *message = kDamagedReply;
        return ReplyStatus::Damaged;
    }
    if (message) *message = DecodeEscapes(items[1].value);
    return items[0].value == L"0" ? ReplyStatus::Succeeded : ReplyStatus::Refused;
}

namespace {
int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

void EraseAll(std::wstring* text, std::wstring_view what) {
    for (size_t at = text->find(what); at != std::wstring::npos; at = text->find(what, at)) text->erase(at, what.size());
}
}  // namespace

std::wstring DecodeEscapes(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 5 < text.size() && text[i + 1] == L'u') {
            unsigned value = 0;
            bool hex = true;
            for (size_t k = 2; k < 6; ++k) {
                const int d = HexValue(text[i + k]);
                if (d < 0) {
                    hex = false;
                    break;
                }
                value = value * 16 + static_cast<unsigned>(d);
            }
            if (hex && value != 0) {
                out += static_cast<wchar_t>(value);
                i += 5;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

void ApplyLoginItems(const std::vector<ReplyItem>& items, UserRecord* user) {
    struct Plain {
        const wchar_t* key;
        std::wstring UserRecord::*field;
    };
    static const Plain kPlain[] = {
        {L"mobile", &UserRecord::mobile},         {L"address", &UserRecord::address},
        {L"email", &UserRecord::email},           {L"usertype", &UserRecord::usertype},
        {L"sex", &UserRecord::sex},               {L"birthday", &UserRecord::birthday},
        {L"regtime", &UserRecord::regtime},       {L"game", &UserRecord::game},
        {L"regip", &UserRecord::regip},           {L"open_id", &UserRecord::open_id},
        {L"updateTime", &UserRecord::updateTime}, {L"level", &UserRecord::level},
    };
    for (const ReplyItem& item : items) {
        if (item.key == L"user") {
            user->memberid = item.value;
            EraseAll(&user->memberid, L"{memberid:");
        } else if (item.key == L"username") {
            user->username = DecodeEscapes(item.value);
        } else if (item.key == L"realname") {
            user->realname = DecodeEscapes(item.value);
        } else if (item.key == L"header") {
            user->header = item.value;
            EraseAll(&user->header, L"/");
        } else {
            for (const Plain& p : kPlain)
                if (item.key == p.key) {
                    user->*p.field = item.value;
                    break;
                }
        }
    }
}

int DecodeConfigValue(std::wstring_view value, std::string* payload) {
    std::string text = textconv::WideToChs(value);
    // The value runs to the reply's closing brace; without it the reply was cut short.
    if (text.empty() || text.back() != '}') return 0;
    text.pop_back();
    std::string clean;
    clean.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '/') continue;  // JSON's "\/"
        clean += text[i];
    }
    if (!textconv::Base64IsStrict(clean)) return 0;
    const std::vector<uint8_t> bytes = textconv::Base64DecodeTolerant(clean);
    if (payload) payload->assign(bytes.begin(), bytes.end());
    return 1;
}

std::wstring MakeAutoLoginParam(std::wstring_view name, std::wstring_view password) {
    std::wstring joined(name);
    joined += kAutoLoginSeparator;
    joined += password;
    const std::string b64 = textconv::Base64Encode(textconv::WideToChs(joined));
    return std::wstring(b64.begin(), b64.end());
}

int DecodeAutoLoginParam(std::wstring_view param, std::wstring* name, std::wstring* password) {
    const std::string text = textconv::WideToChs(param);
    if (text.empty() || !textconv::Base64IsStrict(text)) return 0;
    const std::vector<uint8_t> bytes = textconv::Base64DecodeTolerant(text);
    const std::wstring joined = ReplyText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    const size_t sep = joined.find(kAutoLoginSeparator);
    if (name) *name = joined.substr(0, sep);
    if (password) *password = sep == std::wstring::npos ? std::wstring{} : joined.substr(sep + 3);
    return 1;
}

}  // namespace account
