// A stand-in for the web browser: registered in a test prefix as the "open"
// command of the http and https protocols, it appends the address it was
// asked to open (its arguments, one line, UTF-8) to the file named by
// VENTARO_BROWSER_LOG and ends.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
    wchar_t file[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VENTARO_BROWSER_LOG", file, MAX_PATH)) return 0;
    std::wstring line;
    for (int i = 1; i < argc; ++i) line += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    line += L"\n";
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int i = 0; i < 50 && h == INVALID_HANDLE_VALUE; ++i) {
        h = CreateFileW(file, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) Sleep(20);
    }
    if (h == INVALID_HANDLE_VALUE) return 1;
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(h);
    return 0;
}
