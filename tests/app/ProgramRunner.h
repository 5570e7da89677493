#pragma once
// Starting, watching and ending the real programs in end-to-end suites.
#include <windows.h>

#include <cstdio>
#include <tlhelp32.h>

#include <cwctype>
#include <string>
#include <vector>

namespace e2e {

inline std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// One started process; ends it on destruction when it still runs.
class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    Program(Program&& o) noexcept : process_(o.process_), pid_(o.pid_) { o.process_ = nullptr; }
    ~Program() { Kill(); }

    // application may be empty (then commandLine names it); show is the
    // STARTUPINFO show command, or -1 for none.
    bool Start(const std::wstring& application, const std::wstring& commandLine, int show = -1) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        if (show >= 0) {
            si.dwFlags = STARTF_USESHOWWINDOW;
            si.wShowWindow = static_cast<WORD>(show);
        }
        std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
        cmd.push_back(0);
        PROCESS_INFORMATION pi{};
        // Wine on a loaded machine now and then refuses a CreateProcess
        // right after others; that start is tried once more (and said).
        for (int attempt = 0;; ++attempt) {
            if (CreateProcessW(application.empty() ? nullptr : application.c_str(), cmd.data(), nullptr, nullptr,
                               FALSE, 0, nullptr, nullptr, &si, &pi))
                break;
            if (attempt == 1) return false;
            std::printf("start refused (error %lu), tried again\n", GetLastError());
            Sleep(100);
        }
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        pid_ = pi.dwProcessId;
        return true;
    }

    DWORD Pid() const { return pid_; }
    bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

    // Exit code, or -1 when it did not end within ms.
    long WaitExit(DWORD ms) {
        if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return static_cast<long>(code);
    }

    void Kill() {
        if (process_) {
            if (Running()) {
                TerminateProcess(process_, 99);
                WaitForSingleObject(process_, 10000);
            }
            CloseHandle(process_);
        }
        process_ = nullptr;
    }

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

inline std::vector<DWORD> ProcessesNamed(const std::wstring& name) {
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof(e);
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
        if (Lower(e.szExeFile) == Lower(name)) pids.push_back(e.th32ProcessID);
    CloseHandle(snap);
    return pids;
}

// Runs this thread's messages (for windows the test itself owns).
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Polls cond every 50 ms (pumping messages) until it holds or ms pass.
template <typename Cond>
bool WaitFor(Cond cond, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        if (cond()) return true;
        if (GetTickCount64() > end) return false;
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

inline DWORD WindowPid(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// The Ventaro window of a process, waiting up to ms for it.
inline HWND WaitForVentaroWindow(DWORD pid, DWORD ms) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            found = nullptr;
            for (HWND w = FindWindowExW(nullptr, nullptr, L"VentaroClass", L"Ventaro"); w;
                 w = FindWindowExW(nullptr, w, L"VentaroClass", L"Ventaro"))
                if (pid == 0 || WindowPid(w) == pid) found = w;
            return found != nullptr;
        },
        ms);
    return found;
}

inline std::wstring ReadRunValue() {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return L"<no key>";
    DWORD type = 0;
    const LONG rc = RegQueryValueExW(key, L"Ventaro", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return L"<no value>";
    return std::wstring(buffer);
}

inline void DeleteRunValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE,
                      &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"Ventaro");
        RegCloseKey(key);
    }
}

inline bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadFileText(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got > 0) text.append(buf, got);
    CloseHandle(h);
    return text;
}

}  // namespace e2e
