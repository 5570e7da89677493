#pragma once
// Real mouse input for end-to-end suites: xdotool (and ImageMagick's
// import for screenshots) run as native programs from inside Wine, on the
// X display the suite runs on. Screen coordinates of Wine windows are X root
// coordinates (no desktop window around them), so a control's point from
// the inspection dump plus the window's GetWindowRect origin is where to
// click.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace xdo {

// Quotes a word for /bin/sh.
inline std::wstring ShellWord(const std::wstring& word) {
    std::wstring out = L"'";
    for (wchar_t c : word) out += c == L'\'' ? std::wstring(L"'\\''") : std::wstring(1, c);
    return out + L"'";
}

// Runs a Unix program (absolute path) with arguments and waits up to ms for
// it to end. Wine starts ELF executables natively when given their path,
// but its process handle can neither be waited on nor asked for the exit
// code, so the program runs under /bin/sh, which leaves the exit status in
// a file that is polled here.
inline bool RunUnix(const std::wstring& program, const std::vector<std::wstring>& args, DWORD ms = 10000) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    const std::wstring name = L"xdo_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    const std::wstring windowsStatus = std::wstring(temp) + name;
    char unixStatus[MAX_PATH * 3] = {};
    // The status file's Unix name, for the shell.
    {
        using ToUnix = char*(CDECL*)(LPCWSTR);
        auto toUnix = reinterpret_cast<ToUnix>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        if (!toUnix) return false;
        char* path = toUnix(windowsStatus.c_str());
        if (!path) return false;
        lstrcpynA(unixStatus, path, sizeof(unixStatus));
        HeapFree(GetProcessHeap(), 0, path);
    }
    std::wstring script = ShellWord(program);
    for (const auto& a : args) script += L" " + ShellWord(a);
    std::wstring status;
    for (const char* p = unixStatus; *p; ++p) status += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    script += L"; echo $? > " + ShellWord(status + L".tmp") + L" && mv " + ShellWord(status + L".tmp") + L" " +
              ShellWord(status);
    std::wstring cmd = L"\"Z:\\bin\\sh\" -c \"" + script + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetFileAttributesW(windowsStatus.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() > end) return false;
        Sleep(20);
    }
    char code[16] = {};
    if (FILE* f = _wfopen(windowsStatus.c_str(), L"rb")) {
        fread(code, 1, sizeof(code) - 1, f);
        fclose(f);
    }
    DeleteFileW(windowsStatus.c_str());
    return code[0] == '0';
}

inline bool Tool(const std::vector<std::wstring>& args) { return RunUnix(L"/usr/bin/xdotool", args); }

inline bool MoveTo(int x, int y) { return Tool({L"mousemove", std::to_wstring(x), std::to_wstring(y)}); }
inline bool Click(int x, int y) {
    return Tool({L"mousemove", std::to_wstring(x), std::to_wstring(y), L"sleep", L"0.1", L"click", L"1"});
}
inline bool DoubleClick(int x, int y) {
    return Tool({L"mousemove", std::to_wstring(x), std::to_wstring(y), L"sleep", L"0.1", L"click", L"--repeat", L"2",
                 L"--delay", L"80", L"1"});
}
// Press at (x, y), move in steps to (x + dx, y + dy), release there.
inline bool Drag(int x, int y, int dx, int dy) {
    std::vector<std::wstring> a{L"mousemove", std::to_wstring(x), std::to_wstring(y), L"sleep", L"0.1",
                                L"mousedown", L"1", L"sleep", L"0.1"};
    for (int step = 1; step <= 4; ++step) {
        a.insert(a.end(), {L"mousemove", std::to_wstring(x + dx * step / 4), std::to_wstring(y + dy * step / 4),
                           L"sleep", L"0.05"});
    }
    a.insert(a.end(), {L"sleep", L"0.1", L"mouseup", L"1"});
    return Tool(a);
}

// Saves the whole X screen as a PNG (a Unix path).
inline bool Screenshot(const std::wstring& unixPath) {
    return RunUnix(L"/usr/bin/import", {L"-window", L"root", unixPath}, 20000);
}

}  // namespace xdo
