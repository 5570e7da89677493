#include "ProcessOps.h"

#include <windows.h>

#include <vector>

int StartProcess(const std::wstring& application, const std::wstring& commandLine, int show,
                 StartedProcess* started, int wait, uint32_t* exitCode, const std::wstring& folder) {
    if (application.empty()) return 0;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show == 1 ? SW_SHOW : SW_HIDE;
    PROCESS_INFORMATION pi{};
    // CreateProcessW may write into the command line, so it gets a private copy.
    std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back(L'\0');
    if (!CreateProcessW(application.c_str(), commandLine.empty() ? nullptr : cmd.data(), nullptr,
                        nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return 0;
    if (wait) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        if (exitCode) *exitCode = code;
    }
    if (started) {
        started->processId = pi.dwProcessId;
        started->threadId = pi.dwThreadId;
        started->process = pi.hProcess;
        started->thread = pi.hThread;
    } else {
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    return 1;
}

std::wstring ModuleFilePath(void* module) {
    // The path may exceed MAX_PATH (long-path aware systems); a full buffer
    // means the path was cut, so grow and ask again.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() > 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}
