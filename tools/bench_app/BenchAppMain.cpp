// bench_app: what Ventaro.exe costs the machine. Starts the controller
// simulator and Ventaro.exe (both beside this program) and prints
//   - the time from the process's creation to its first presented frame
//     (seen as the first inspection dump, which is written right after it);
//   - the working set with the window shown, and after 10 s hidden in the tray;
//   - the processor time used over 10 s idle, shown and hidden, as a
//     percentage of one core.
// Not a test: figures only. Needs no running copy of Ventaro.
//   bench_app [--seconds N]   (the idle and hidden periods, default 10)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr UINT kHideWindow = 7000;  // ID_HIDEWINDOW
constexpr UINT kExit = 7002;        // ID_EXIT

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

class CProcess {
public:
    bool Start(const std::wstring& exe, const std::wstring& args) {
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        return CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != 0;
    }
    ~CProcess() {
        if (!pi_.hProcess) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 0);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    HANDLE Handle() const { return pi_.hProcess; }
    DWORD Pid() const { return pi_.dwProcessId; }

private:
    PROCESS_INFORMATION pi_{};
};

ULONGLONG FileTimeValue(const FILETIME& t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

ULONGLONG NowFileTime() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}

// Kernel plus user time of the process, in 100 ns units.
ULONGLONG CpuTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return FileTimeValue(kernel) + FileTimeValue(user);
}

double WorkingSetMb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
    return double(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

double CpuPercentOver(HANDLE process, int seconds) {
    const ULONGLONG cpu0 = CpuTime(process), wall0 = NowFileTime();
    Sleep(DWORD(seconds) * 1000);
    const ULONGLONG cpu1 = CpuTime(process), wall1 = NowFileTime();
    return wall1 > wall0 ? 100.0 * double(cpu1 - cpu0) / double(wall1 - wall0) : -1;
}

HWND VentaroWindow(DWORD pid) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"VentaroClass", L"Ventaro"); w;
         w = FindWindowExW(nullptr, w, L"VentaroClass", L"Ventaro")) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int seconds = 10;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"--seconds") == 0) seconds = _wtoi(argv[i + 1]);
    }
    if (FindWindowW(L"VentaroClass", L"Ventaro")) {
        std::fprintf(stderr, "bench_app: Ventaro already runs; end it first\n");
        return 1;
    }
    const std::wstring folder = ProgramFolder();
    const std::wstring pipe = L"ventaro_bench_app_" + std::to_wstring(GetCurrentProcessId());
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dump = std::wstring(temp) + pipe + L".txt";
    DeleteFileW(dump.c_str());

    CProcess sim;
    if (!sim.Start(folder + L"ControllerSim.exe", L"--pipe " + pipe)) {
        std::fprintf(stderr, "bench_app: ControllerSim.exe did not start\n");
        return 1;
    }
    const std::wstring pipePath = L"\\\\.\\pipe\\" + pipe;
    bool ready = false;
    for (int i = 0; i < 200 && !ready; ++i) ready = WaitNamedPipeW(pipePath.c_str(), 100) != 0 || (Sleep(50), false);
    if (!ready) {
        std::fprintf(stderr, "bench_app: the simulator's pipe did not come up\n");
        return 1;
    }
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", pipePath.c_str());
    SetEnvironmentVariableW(L"VENTARO_UI_DUMP", dump.c_str());

    CProcess app;
    if (!app.Start(folder + L"Ventaro.exe", L"")) {
        std::fprintf(stderr, "bench_app: Ventaro.exe did not start\n");
        return 1;
    }
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(app.Handle(), &created, &exited, &kernel, &user);
    ULONGLONG firstFrame = 0;
    for (int i = 0; i < 6000 && !firstFrame; ++i) {
        if (GetFileAttributesW(dump.c_str()) != INVALID_FILE_ATTRIBUTES) firstFrame = NowFileTime();
        else if (WaitForSingleObject(app.Handle(), 5) == WAIT_OBJECT_0) break;
    }
    if (!firstFrame) {
        std::fprintf(stderr, "bench_app: no frame within 30 s\n");
        return 1;
    }
    HWND window = VentaroWindow(app.Pid());
    std::printf("first frame:            %.0f ms after process creation\n",
                double(firstFrame - FileTimeValue(created)) / 10000.0);

    Sleep(3000);  // pictures decoded, caches warm
    std::printf("working set, shown:     %.1f MB\n", WorkingSetMb(app.Handle()));
    std::printf("idle CPU, shown:        %.3f %% of one core over %d s\n", CpuPercentOver(app.Handle(), seconds),
                seconds);

    PostMessageW(window, WM_COMMAND, kHideWindow, 0);
    Sleep(DWORD(seconds) * 1000);
    std::printf("working set, hidden:    %.1f MB after %d s in the tray\n", WorkingSetMb(app.Handle()), seconds);
    std::printf("idle CPU, hidden:       %.3f %% of one core over %d s\n", CpuPercentOver(app.Handle(), seconds),
                seconds);

    PostMessageW(window, WM_COMMAND, kExit, 0);
    WaitForSingleObject(app.Handle(), 10000);
    DeleteFileW(dump.c_str());
    return 0;
}
