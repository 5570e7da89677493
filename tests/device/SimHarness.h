#pragma once
// Starts ControllerSim.exe on a pipe of its own for one test and stops it
// again; reads its state file and switches its faults through its control file.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "TestPaths.h"

namespace simharness {

inline std::string ReadFileText(const std::wstring& path) {
    std::string text;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    return text;
}

inline void WriteFileText(const std::wstring& path, const std::string& text) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

inline std::wstring UniquePipeName(const wchar_t* tag) {
    static unsigned counter = 0;
    return std::wstring(L"ventaro_") + tag + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
}

// Runs a program to its end; its standard output and error go to files that
// are read back. Returns false when it could not start or did not end in time.
inline bool RunProgram(const std::wstring& exe, const std::wstring& args, DWORD* exitCode, std::string* out = nullptr,
                       std::string* err = nullptr, DWORD timeoutMs = 60000) {
    const std::wstring dir = testpaths::MakeTempDir(L"run");
    const std::wstring outPath = dir + L"out.txt", errPath = dir + L"err.txt";
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE hOut = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    HANDLE hErr = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = hOut;
    si.hStdError = hErr;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    const BOOL started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &si, &pi);
    CloseHandle(hOut);
    CloseHandle(hErr);
    if (!started) return false;
    const bool ended = WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (out) *out = ReadFileText(outPath);
    if (err) *err = ReadFileText(errPath);
    return ended;
}

inline std::wstring BinPath(const wchar_t* program) { return testpaths::BinaryDir() + L"\\bin\\" + program; }

class CSimProcess {
public:
    // extraArgs: further simulator options, e.g. L"--fault split".
    explicit CSimProcess(const std::wstring& extraArgs = L"") {
        dir_ = testpaths::MakeTempDir(L"sim");
        statePath_ = dir_ + L"state.txt";
        controlPath_ = dir_ + L"control.txt";
        // A simulator that ended before listening (seen once on a loaded
        // machine) gets one more start under a fresh pipe name.
        extraArgs_ = extraArgs;
        for (int attempt = 0; attempt < 2 && !ready_; ++attempt) {
            Stop();
            name_ = UniquePipeName(L"sim");
            Start(extraArgs);
        }
    }
    ~CSimProcess() { Stop(); }

    // Ends the simulator and starts it again under the same pipe name, as a
    // controller that is unplugged and plugged in again (or re-enumerated
    // after a resume): the program's handle is dead, the controller's state
    // starts from its defaults. True once the new one listens.
    bool Restart() {
        Stop();
        ready_ = false;
        Start(extraArgs_);
        return ready_;
    }

private:
    void Start(const std::wstring& extraArgs) {
        const std::wstring exe = BinPath(L"ControllerSim.exe");
        std::wstring cmd = L"\"" + exe + L"\" --pipe " + name_ + L" --state \"" + statePath_ + L"\" --control \"" +
                           controlPath_ + L"\" " + extraArgs;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                            &pi_))
            return;
        // Ready once a pipe instance is listening (generous for a loaded machine).
        for (int i = 0; i < 600; ++i) {
            if (WaitNamedPipeW(PipePath().c_str(), 100)) {
                ready_ = true;
                break;
            }
            if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0) break;
            Sleep(50);
        }
    }

public:
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    void Stop() {
        if (!pi_.hProcess) return;
        TerminateProcess(pi_.hProcess, 0);
        WaitForSingleObject(pi_.hProcess, 10000);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
        pi_ = PROCESS_INFORMATION{};
    }
    bool Ready() const { return ready_; }
    std::wstring PipePath() const { return L"\\\\.\\pipe\\" + name_; }
    std::wstring StatePath() const { return statePath_; }
    // The fault for the next exchanges ("none", "split", "delay:1500", ...).
    void SetFault(const std::string& kind) { WriteFileText(controlPath_, kind + "\n"); }

    std::map<std::string, std::string> State() const {
        std::map<std::string, std::string> values;
        // The simulator replaces the file whole, but falls back to rewriting
        // it in place while a reader holds it open: read until the last key
        // ("connections") is there.
        std::string text = ReadFileText(statePath_);
        for (int i = 0; i < 100 && text.find("connections=") == std::string::npos; ++i) {
            Sleep(10);
            text = ReadFileText(statePath_);
        }
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(pos, end - pos);
            const size_t eq = line.find('=');
            if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
            pos = end + 1;
        }
        return values;
    }
    std::string Value(const std::string& key) const {
        auto values = State();
        auto it = values.find(key);
        return it == values.end() ? std::string("<missing>") : it->second;
    }

private:
    std::wstring dir_, name_, statePath_, controlPath_, extraArgs_;
    PROCESS_INFORMATION pi_{};
    bool ready_ = false;
};

}  // namespace simharness
