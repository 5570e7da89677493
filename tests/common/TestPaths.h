#pragma once
// Where a suite finds the repository and the build, as Windows paths.
// ctest passes Unix paths; Wine maps "/" to drive Z:.
#include <cstdlib>
#include <string>

#include <windows.h>

namespace testpaths {

inline std::wstring UnixToWine(const char* unixPath) {
    std::wstring out = L"Z:";
    for (const char* p = unixPath; *p; ++p) out += (*p == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out;
}

inline std::wstring SourceDir() {
    const char* v = std::getenv("VENTARO_SOURCE_DIR");
    return v ? UnixToWine(v) : L".";
}

inline std::wstring BinaryDir() {
    const char* v = std::getenv("VENTARO_BINARY_DIR");
    return v ? UnixToWine(v) : L".";
}

// A fresh, empty folder under the Windows temp folder, unique per call.
inline std::wstring MakeTempDir(const wchar_t* tag) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    std::wstring dir = std::wstring(base) + L"ventaro_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) +
                       L"_" + std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter) + L"\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

}  // namespace testpaths
