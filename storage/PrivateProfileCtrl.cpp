#include "PrivateProfileCtrl.h"

#include <windows.h>

#include <cstdio>
#include <io.h>
#include <memory>
#include <vector>

#include "ProfileText.h"

namespace {

bool FileExists(const std::wstring& path) { return _waccess(path.c_str(), 0) == 0; }

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// A new, empty profile file holding only the UTF-16LE byte-order mark. A file
// left behind by a failed write is removed again.
bool CreateUnicodeProfile(const std::wstring& path) {
    static const unsigned char kBom[2] = {0xFF, 0xFE};
    UniqueFile f(_wfopen(path.c_str(), L"wb"));
    if (!f) return false;
    const bool written = std::fwrite(kBom, 1, sizeof kBom, f.get()) == sizeof kBom;
    const bool closed = std::fclose(f.release()) == 0;
    if (written && closed) return true;
    _wremove(path.c_str());
    return false;
}

}  // namespace

CPrivateProfileCtrl::~CPrivateProfileCtrl() { Close(); }

void CPrivateProfileCtrl::Close() {
    path_.clear();
    open_ = 0;
}

int CPrivateProfileCtrl::OpenExisting(const std::wstring& path) {
    if (path.empty() || !FileExists(path)) {
        Close();
        return 0;
    }
    path_ = path;
    open_ = 1;
    return 1;
}

int CPrivateProfileCtrl::Create(const std::wstring& path) {
    if (path.empty()) return 0;
    if (FileExists(path) || CreateUnicodeProfile(path)) {
        path_ = path;
        open_ = 1;
    } else {
        Close();
    }
    return 1;
}

int CPrivateProfileCtrl::ReadValue(const std::wstring& section, const std::wstring& key, std::wstring* value) {
    if (value) value->clear();
    if (!open_ || section.empty() || key.empty() || !value) return 0;
    wchar_t buffer[kMaxValueLength + 1] = {};
    const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, kMaxValueLength + 1,
                                             path_.c_str());
    if (n == 0) return 0;
    value->assign(buffer, n);
    return 1;
}

int CPrivateProfileCtrl::WriteValue(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    if (!open_ || section.empty() || key.empty()) return 0;
    const std::wstring line = profiletext::OneLine(value);
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), line.c_str(), path_.c_str()) ? 1 : 0;
}

int CPrivateProfileCtrl::DeleteSection(const std::wstring& section) {
    if (!open_ || section.empty()) return 0;
    return WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, path_.c_str()) ? 1 : 0;
}

int CPrivateProfileCtrl::SectionNames(std::wstring* names) {
    if (names) names->clear();
    if (!open_ || !names) return 0;
    // The function cuts a list that does not fit and then returns size - 2;
    // a cut list would end in a shortened name ("RID_12" read as "RID_1"),
    // so the buffer grows until the whole list fits.
    DWORD size = 2048;
    std::vector<wchar_t> buffer;
    DWORD n = 0;
    for (;;) {
        buffer.assign(size, L'\0');
        n = GetPrivateProfileSectionNamesW(buffer.data(), size, path_.c_str());
        if (n + 2 < size || size >= (1u << 24)) break;
        size *= 4;
    }
    if (n == 0) return 0;
    *names = profiletext::JoinSectionNames(buffer.data(), n);
    return 1;
}
