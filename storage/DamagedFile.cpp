#include "DamagedFile.h"

#include <windows.h>

#include <cwchar>

namespace damagedfile {

std::wstring AsideName(const std::wstring& path, const Stamp& stamp, int attempt) {
    wchar_t suffix[48] = {};
    std::swprintf(suffix, 48, L".damaged-%04d%02d%02d-%02d%02d", stamp.year, stamp.month, stamp.day, stamp.hour,
                  stamp.minute);
    std::wstring name = path + suffix;
    if (attempt > 1) name += L"-" + std::to_wstring(attempt);
    return name;
}

}  // namespace damagedfile

int SetDamagedFileAside(const std::wstring& path, std::wstring* keptAs) {
    if (keptAs) keptAs->clear();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return 0;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const damagedfile::Stamp stamp{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
    // Two damaged files within one minute (or one left from an earlier run)
    // each keep their own name.
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::wstring target = damagedfile::AsideName(path, stamp, attempt);
        if (MoveFileExW(path.c_str(), target.c_str(), 0)) {
            if (keptAs) *keptAs = target;
            return 1;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return 0;
    }
    return 0;
}
