#pragma once
// Starting outside programs: games, companion programs, Ventaro from Pexilo.
#include <cstdint>
#include <string>

struct StartedProcess {
    uint32_t processId = 0;
    uint32_t threadId = 0;
    void* process = nullptr;  // HANDLE, owned by the caller when handed out
    void* thread = nullptr;   // HANDLE, owned by the caller when handed out
};

// Returns 0 for an empty application path or a failed CreateProcessW.
// show: 1 -> SW_SHOW, else SW_HIDE. When `started` is given the handles are
// handed out and the caller closes them; otherwise they are closed here.
// With wait set, waits without limit and stores the exit code in *exitCode.
// folder: the new process's working folder; empty inherits this one's.
int StartProcess(const std::wstring& application, const std::wstring& commandLine, int show,
                 StartedProcess* started = nullptr, int wait = 0, uint32_t* exitCode = nullptr,
                 const std::wstring& folder = std::wstring());

// The full path of a module of this process (nullptr: the program), however
// long; empty when the system cannot tell.
std::wstring ModuleFilePath(void* module = nullptr);
