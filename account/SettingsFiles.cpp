#include "SettingsFiles.h"

#include <windows.h>

#include <algorithm>

#include "WinHandles.h"

namespace settingsfiles {

namespace {

// Largest file the sync reads: far above any profile file of the program,
// and small enough that a runaway file cannot exhaust memory.
constexpr LONGLONG kMaxFileSize = 16ll << 20;

// A temporary file beside path that removes itself unless it was renamed.
class CTempFile {
public:
    explicit CTempFile(const std::wstring& target)
        : path_(target + L".new" + std::to_wstring(GetCurrentProcessId())) {}
    ~CTempFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    int Write(std::string_view bytes) {
        win::CUniqueHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return 0;
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return 0;
            done += written;
        }
        // On disk before the rename, so a crash cannot leave an empty file in
        // the place of the old one.
        return FlushFileBuffers(file.Get()) ? 1 : 0;
    }

    int MoveOver(const std::wstring& target) {
        if (!MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        path_.clear();
        return 1;
    }

private:
    std::wstring path_;  // empty once renamed into place
};

}  // namespace

int ReadWholeFile(const std::wstring& path, std::string* bytes) {
    win::CUniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxFileSize) return 0;
    std::string data(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < data.size()) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), data.data() + done, static_cast<DWORD>(data.size() - done), &read, nullptr))
            return 0;
        if (read == 0) break;  // the file shrank meanwhile
        done += read;
    }
    data.resize(done);
    if (bytes) *bytes = std::move(data);
    return 1;
}

int ReplaceFileAtomically(const std::wstring& path, std::string_view bytes) {
    CTempFile temp(path);
    return temp.Write(bytes) && temp.MoveOver(path);
}

int ReplaceFilePair(const std::wstring& firstPath, std::string_view firstBytes, const std::wstring& secondPath,
                    std::string_view secondBytes) {
    std::string firstOld;
    const int firstExisted = ReadWholeFile(firstPath, &firstOld);
    if (!firstExisted && GetFileAttributesW(firstPath.c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
    CTempFile first(firstPath), second(secondPath);
    if (!first.Write(firstBytes) || !second.Write(secondBytes)) return 0;
    if (!first.MoveOver(firstPath)) return 0;
    if (second.MoveOver(secondPath)) return 1;
    // A new settings file must not stay beside the old theme file.
    if (firstExisted)
        ReplaceFileAtomically(firstPath, firstOld);
    else
        DeleteFileW(firstPath.c_str());
    return 0;
}

}  // namespace settingsfiles
