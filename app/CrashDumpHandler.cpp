#include "CrashDumpHandler.h"

#include <windows.h>
#include <dbghelp.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "ProcessOps.h"

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

constexpr size_t kMessageChars = 4096;

CCrashDumpHandler* g_installed = nullptr;  // borrowed: the handler the filter forwards to
CRITICAL_SECTION g_dumpLock;
bool g_dumpLockReady = false;

static_assert(sizeof(EXCEPTION_RECORD) <= 160, "exception record copy too small");

LONG WINAPI ExceptionFilter(EXCEPTION_POINTERS* exception) {
    CCrashDumpHandler* handler = g_installed;
    if (!handler) return 0;
    return handler->WriteDump(exception);
}

class CScopedHandle {
public:
    explicit CScopedHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~CScopedHandle() {
        if (h_) CloseHandle(h_);
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;  // owned
};

// SeDebugPrivilege switched on for the lifetime of the object, then put back
// as it was.
class CDebugPrivilege {
public:
    explicit CDebugPrivilege(HANDLE token) : token_(token) {
        TOKEN_PRIVILEGES wanted{};
        wanted.PrivilegeCount = 1;
        if (!LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &wanted.Privileges[0].Luid)) return;
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        DWORD size = sizeof(previous_);
        if (AdjustTokenPrivileges(token_, FALSE, &wanted, sizeof(previous_), &previous_, &size) &&
            GetLastError() == ERROR_SUCCESS)
            changed_ = true;
    }
    ~CDebugPrivilege() {
        if (changed_) AdjustTokenPrivileges(token_, FALSE, &previous_, 0, nullptr, nullptr);
    }
    CDebugPrivilege(const CDebugPrivilege&) = delete;
    CDebugPrivilege& operator=(const CDebugPrivilege&) = delete;

private:
    HANDLE token_;  // borrowed
    TOKEN_PRIVILEGES previous_{};
    bool changed_ = false;
};

}  // namespace

CCrashDumpHandler::CCrashDumpHandler() = default;

CCrashDumpHandler::~CCrashDumpHandler() {
    if (g_installed == this) ShutDown();
}

int CCrashDumpHandler::Install(int showMessages) {
    afterDump_ = nullptr;
    afterDumpData_ = nullptr;
    installed_ = 1;
    const std::wstring path = ModuleFilePath();
    const size_t slash = path.find_last_of(L'\\');
    programFolder_ = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    programFileName_ = slash == std::wstring::npos ? path : path.substr(slash + 1);
    dumpPath_ = programFolder_ + programFileName_ + L".dmp";
    helperInFolder_ = programFolder_ + L"DBGHELP.DLL";
    message_.assign(kMessageChars, L'\0');
    // The copy beside the program first (a newer one may ship there), then the system's.
    if (!dbghelp_) {
        HMODULE helper = LoadLibraryW(helperInFolder_.c_str());
        if (!helper) helper = LoadLibraryW(L"DBGHELP.DLL");
        dbghelp_ = helper;
        writeDump_ = helper ? reinterpret_cast<void*>(GetProcAddress(helper, "MiniDumpWriteDump")) : nullptr;
    }
    g_installed = this;
    showMessages_ = showMessages;
    // Created before the filter goes in, so that an early crash finds it ready.
    if (!g_dumpLockReady) {
        InitializeCriticalSection(&g_dumpLock);
        g_dumpLockReady = true;
    }
    LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(&ExceptionFilter);
    if (previous != &ExceptionFilter) previousFilter_ = reinterpret_cast<void*>(previous);
    return 1;
}

int CCrashDumpHandler::ShutDown() {
    if (g_installed == this) {
        // The filter must not reach a deleted lock or a destroyed handler.
        SetUnhandledExceptionFilter(reinterpret_cast<LPTOP_LEVEL_EXCEPTION_FILTER>(previousFilter_));
        g_installed = nullptr;
    }
    installed_ = 0;
    writeDump_ = nullptr;
    if (dbghelp_) FreeLibrary(static_cast<HMODULE>(dbghelp_));
    dbghelp_ = nullptr;
    if (g_dumpLockReady && !g_installed) {
        DeleteCriticalSection(&g_dumpLock);
        g_dumpLockReady = false;
    }
    return 1;
}

void CCrashDumpHandler::Format(const wchar_t* format, const wchar_t* path, unsigned long error) {
    if (message_.size() < kMessageChars) message_.assign(kMessageChars, L'\0');
    if (path)
        std::swprintf(message_.data(), kMessageChars, format, path, static_cast<int>(error));
    else
        std::swprintf(message_.data(), kMessageChars, L"%ls", format);
}

long CCrashDumpHandler::WriteDump(_EXCEPTION_POINTERS* exception) {
    if (exception && exception->ExceptionRecord)
        std::memcpy(exceptionRecord_, exception->ExceptionRecord, sizeof(EXCEPTION_RECORD));

    HANDLE rawToken = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, TRUE, &rawToken) &&
        !OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken))
        return 0;
    CScopedHandle token(rawToken);

    bool haveMessage = false;
    if (!message_.empty()) message_[0] = L'\0';
    {
        if (!dbghelp_) {
            Format(L"Call to LoadLibrary failed to find DBGHELP.DLL.", nullptr, 0);
            haveMessage = true;
        } else {
            auto writeDump = reinterpret_cast<MiniDumpWriteDumpFn>(writeDump_);
            if (!writeDump) {
                Format(L"Call to GetProcAddress failed to find MiniDumpWriteDump. The DBGHELP.DLL is possibly "
                       L"outdated.",
                       nullptr, 0);
                haveMessage = true;
            } else {
                // Taken for good: the process ends while holding it, so that a
                // second crashing thread cannot recreate (truncate) the dump
                // while the first writes or before it has terminated.
                if (g_dumpLockReady) EnterCriticalSection(&g_dumpLock);
                CScopedHandle file(CreateFileW(dumpPath_.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
                if (!file.Get()) {
                    Format(L"Failed to create the mini-dump file '%ls' (error %d)", dumpPath_.c_str(),
                           GetLastError());
                    haveMessage = true;
                } else {
                    MINIDUMP_EXCEPTION_INFORMATION info{};
                    info.ThreadId = GetCurrentThreadId();
                    info.ExceptionPointers = exception;
                    info.ClientPointers = FALSE;
                    BOOL written;
                    DWORD error = 0;
                    {
                        CDebugPrivilege privilege(token.Get());
                        written = writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.Get(),
                                            MiniDumpNormal, exception ? &info : nullptr, nullptr, nullptr);
                        // Taken before the privilege is put back, which resets it.
                        if (!written) error = GetLastError();
                    }
                    if (!written) {
                        Format(L"Failed to save the mini-dump file to '%ls' (error %d)", dumpPath_.c_str(), error);
                        haveMessage = true;
                    }
                }
            }
        }
    }

    if (haveMessage && showMessages_) MessageBoxW(nullptr, message_.c_str(), nullptr, MB_OK);
    if (afterDump_) afterDump_(afterDumpData_, dumpPath_.c_str());
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}
