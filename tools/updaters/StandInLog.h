#pragma once
// The stand-ins' log: UTF-8 lines appended to the file named by an
// environment variable (a Windows path); nothing when it is unset.
#include <windows.h>

#include <cstdio>
#include <string>

#include "TextConv.h"

namespace standin {

inline std::wstring Env(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
    return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

inline void AppendLine(const std::wstring& file, const std::wstring& line) {
    if (file.empty()) return;
    FILE* f = _wfopen(file.c_str(), L"ab");
    if (!f) return;
    const std::string bytes = textconv::WideToUtf8(line) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace standin
