// Built only for scripts/test: keeps the Wine desktop of the suites' prefix
// up for the whole run.
//   desktop_holder.exe READY_FILE
// Wine starts the desktop process (explorer.exe /desktop) for the first
// program that needs the desktop, and that process inherits the program's
// Unix output. Started by a suite, it holds ctest's pipe of that suite until
// the desktop closes, which is only when no program of any suite uses it:
// that suite's ctest entry would not end, and one of ctest's slots would stay
// taken. Started from here with its output on /dev/null, the desktop stays up
// (this program is one of its users) until scripts/test ends the server.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (!GetDesktopWindow()) return 1;  // starts the desktop process when there is none
    // A window of its own, never shown: this program counts as a desktop user.
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!window) return 1;
    if (argc > 1) {
        HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (ready == INVALID_HANDLE_VALUE) return 1;
        CloseHandle(ready);
    }
    // Answers what is sent to every top-level window, so no sender waits on it.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
