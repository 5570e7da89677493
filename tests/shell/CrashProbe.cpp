// Built only for the tests: installs the crash dump handler the way Ventaro
// does (no messages) and then crashes on purpose.
//   crash        write through a null pointer
//   twothreads   two threads crash at the same moment
//   nocrash      install, then end normally with exit code 7
#include <windows.h>

#include <cwchar>

#include "CrashDumpHandler.h"

namespace {

volatile int* volatile g_nowhere = nullptr;
HANDLE g_go = nullptr;

DWORD WINAPI CrashOnSignal(void*) {
    WaitForSingleObject(g_go, INFINITE);
    *g_nowhere = 1;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CCrashDumpHandler handler;
    handler.Install(0);
    const wchar_t* mode = argc > 1 ? argv[1] : L"crash";
    if (std::wcscmp(mode, L"nocrash") == 0) {
        handler.ShutDown();
        return 7;
    }
    if (std::wcscmp(mode, L"twothreads") == 0) {
        g_go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE a = CreateThread(nullptr, 0, CrashOnSignal, nullptr, 0, nullptr);
        HANDLE b = CreateThread(nullptr, 0, CrashOnSignal, nullptr, 0, nullptr);
        Sleep(100);
        SetEvent(g_go);
        WaitForSingleObject(a, INFINITE);
        WaitForSingleObject(b, INFINITE);
        return 9;  // not reached: the handler ends the process
    }
    *g_nowhere = 1;
    return 8;  // not reached
}
