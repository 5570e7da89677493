#include "UpdateRules.h"

#include <tinyxml2.h>

#include <cstring>

#include "AccountProtocol.h"
#include "HttpText.h"
#include "TextConv.h"

namespace updaterules {

std::wstring SoftwareOfferText(std::wstring_view version) {
    return L"检测到最新版本:" + std::wstring(version) + L",是否现在进行更新?";
}

std::wstring FirmwareOfferText(uint32_t version) {
    return L"检测到最新固件版本:" + std::to_wstring(version) + L"已发布!\n" + L"\n是否要进行固件升级?";
}

int IsNewerVersion(const char* candidate) {
    return candidate && std::strcmp(candidate, kCurrentVersionBytes) > 0 ? 1 : 0;
}

DescriptionResult FindNewerVersion(std::string_view xml, std::wstring* version) {
    tinyxml2::XMLDocument doc;
    if (xml.empty() || doc.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) return DescriptionResult::Unreadable;
    const tinyxml2::XMLElement* root = doc.FirstChildElement();
    if (!root) return DescriptionResult::Unreadable;
    const tinyxml2::XMLElement* info = root->FirstChildElement("UpgradeInfo");
    if (!info) return DescriptionResult::NoUpdate;
    // From the last child back: with versions listed oldest first, the newest wins.
    for (const tinyxml2::XMLElement* e = info->LastChildElement(); e; e = e->PreviousSiblingElement()) {
        const char* name = e->Attribute("name");
        if (name && IsNewerVersion(name)) {
            if (version) *version = textconv::Utf8ToWide(name);
            return DescriptionResult::Newer;
        }
    }
    return DescriptionResult::NoUpdate;
}

int ParseFirmwareReply(std::string_view body, uint32_t* version, std::wstring* address) {
    const std::vector<account::ReplyItem> items = account::SplitReplyItems(account::ReplyText(body));
    if (items.size() < 5) return 0;
    int found = 0;
    if (items[2].key == L"version") {
        if (version) *version = httptext::LeadingUnsigned(items[2].value);
        found = 1;
    }
    if (items[4].key == L"download_path") {
        std::wstring value;
        for (wchar_t c : items[4].value)
            if (c != L'/') value += c;
        // As the last item the address carries the reply's closing brace.
        if (items.size() == 5 && !value.empty() && value.back() == L'}') value.pop_back();
        if (address) *address = value;
    }
    return found;
}

std::wstring ControllerRelease(std::wstring_view versionText) {
    return versionText.size() > 11 ? std::wstring(versionText.substr(11)) : std::wstring();
}

uint32_t ControllerReleaseNumber(std::wstring_view versionText) {
    return httptext::LeadingUnsigned(ControllerRelease(versionText));
}

std::wstring FlashCommandLine(std::wstring_view firmwareFile) {
    std::wstring line = L" silence reset ";
    if (firmwareFile.find_first_of(L" \t") != std::wstring_view::npos)
        line += L"\"" + std::wstring(firmwareFile) + L"\"";
    else
        line += firmwareFile;
    return line;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The type of one record (without its line end); -1 when it is malformed.
int RecordType(std::string_view line) {
    if (line.size() < 11 || line[0] != ':' || (line.size() - 1) % 2 != 0) return -1;
    unsigned sum = 0;
    std::string_view pairs = line.substr(1);
    std::string_view::size_type count = pairs.size() / 2;
    unsigned first[4] = {};
    for (std::string_view::size_type i = 0; i < count; ++i) {
        const int hi = HexDigit(pairs[2 * i]), lo = HexDigit(pairs[2 * i + 1]);
        if (hi < 0 || lo < 0) return -1;
        const unsigned byte = unsigned(hi * 16 + lo);
        if (i < 4) first[i] = byte;
        sum += byte;
    }
    // Count, two address bytes, type, the data, the checksum.
    if (first[0] + 5 != count || (sum & 0xFF) != 0 || first[3] > 5) return -1;
    return int(first[3]);
}

}  // namespace

bool IsFlashableFirmware(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > kFirmwareMaxBytes) return false;
    bool data = false, ended = false;
    for (std::string_view::size_type pos = 0; pos < bytes.size();) {
        std::string_view::size_type end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = end + 1;
        if (ended) {
            if (!line.empty()) return false;  // nothing but line ends after the end-of-file record
            continue;
        }
        const int type = RecordType(line);
        if (type < 0) return false;
        if (type == 0) data = true;
        if (type == 1) {
            if (line.size() != 11) return false;  // it carries no data
            ended = true;
        }
    }
    return data && ended;
}

}  // namespace updaterules
