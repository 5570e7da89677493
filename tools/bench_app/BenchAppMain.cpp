// bench_app: what Ventaro.exe costs the machine. Starts the controller
// simulator and Ventaro.exe (both beside this program) and prints
//   - the time from the process's creation to its first presented frame
//     (seen as the first inspection dump, which is written right after it);
//   - the working set with the window shown, and after 10 s hidden in the tray;
//   - the processor time used over 10 s idle, shown and hidden, as a
//     percentage of one core;
//   - how quickly clicks take effect: "进入" from the release to the first
//     frame with the page (the present of the frame that the first
//     inspection dump showing the page names; the button is pressed, then
//     released after the dump's quiet time), and the title strip's minimise
//     button from the release to the hidden window.
// Not a test: figures only. Needs no running copy of Ventaro.
// Under Wine the Windows figures of another process are not kept (processor
// times read 0, the working set is an estimate), so where the Unix process
// table is reachable (Z:\proc) the figures come from it: the Unix process
// of Ventaro.exe is the one whose command line holds this run's tag (a word
// Ventaro ignores: only "auto" has a meaning).
//   bench_app [--seconds N]   (the idle and hidden periods, default 10)
//     also: private bytes shown and hidden, the memory by component
//     (MemoryBench.cpp) and the time from a show from the tray to its frame.
//   bench_app --stalls --web PORT [--exe PATH]
//     instead: the window's thread while web requests meet a hanging or
//     trickling host (StallBench.cpp), against the web stand-in listening
//     on 127.0.0.1:PORT; PATH benchmarks another build of Ventaro.exe.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <algorithm>
#include <string>
#include <vector>

#include "MemoryBench.h"

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

// The Unix side of the benchmarked process under Wine (0 elsewhere).
class CUnixProcess {
public:
    // Finds the process whose command line holds marker.
    bool Find(const std::string& marker) {
        dir_ = UnixProcessDir(marker);
        return !dir_.empty();
    }
    bool Found() const { return !dir_.empty(); }
    const std::wstring& Dir() const { return dir_; }
    // utime + stime in seconds.
    double CpuSeconds() const {
        const std::string stat = ReadFileText(dir_ + L"stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) return -1;
        // Fields after the command name: state is field 3; utime 14, stime 15.
        unsigned long long values[13] = {};
        char state = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu %llu",
                        &state, &values[0], &values[1], &values[2], &values[3], &values[4], &values[5], &values[6],
                        &values[7], &values[8], &values[9], &values[10], &values[11]) != 13)
            return -1;
        return double(values[10] + values[11]) / 100.0;  // clock ticks of 1/100 s
    }
    double ResidentMb() const { return StatusMb(dir_, "VmRSS:"); }

private:
    std::wstring dir_;
};

CUnixProcess g_unix;

double Memory(HANDLE process) { return g_unix.Found() ? g_unix.ResidentMb() : WorkingSetMb(process); }

double CpuPercent(HANDLE process, int seconds) {
    if (!g_unix.Found()) return CpuPercentOver(process, seconds);
    const double cpu0 = g_unix.CpuSeconds();
    const ULONGLONG wall0 = NowFileTime();
    Sleep(DWORD(seconds) * 1000);
    const double cpu1 = g_unix.CpuSeconds();
    const ULONGLONG wall1 = NowFileTime();
    return 100.0 * (cpu1 - cpu0) / (double(wall1 - wall0) / 1e7);
}

ULONGLONG NowMs() { return NowFileTime() / 10000; }

// A control of the inspection dump: the first line whose style (field 3) or
// text (field 11) is name and whose visible flag (field 8) is wanted.
struct DumpControl {
    bool found = false;
    int x = 0, y = 0, width = 0, height = 0;
};
DumpControl FindInDump(const std::string& dump, const std::string& name, int visible) {
    DumpControl c;
    for (size_t pos = 0; pos < dump.size() && !c.found;) {
        size_t end = dump.find('\n', pos);
        if (end == std::string::npos) end = dump.size();
        std::vector<std::string> fields;
        for (size_t f = pos; f <= end;) {
            size_t tab = dump.find('\t', f);
            if (tab == std::string::npos || tab > end) tab = end;
            fields.push_back(dump.substr(f, tab - f));
            f = tab + 1;
        }
        pos = end + 1;
        if (fields.size() < 11 || (fields[2] != name && fields[10] != name) || std::atoi(fields[7].c_str()) != visible)
            continue;
        c = {true, std::atoi(fields[3].c_str()), std::atoi(fields[4].c_str()), std::atoi(fields[5].c_str()),
             std::atoi(fields[6].c_str())};
    }
    return c;
}

// Presses the control, waits until the pressed look has been dumped and the
// dump's quiet time is over, releases it; returns the release time (0: no
// such control on screen).
ULONGLONG ClickInDump(HWND window, const std::wstring& dump, const std::string& name) {
    const DumpControl c = FindInDump(ReadFileText(dump), name, 1);
    if (!c.found) return 0;
    const LPARAM at = MAKELPARAM(c.x + c.width / 2, c.y + c.height / 2);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Sleep(600);
    const ULONGLONG released = NowMs();
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    return released;
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The dump's "# frame N T": when the present of the first frame that showed
// the dump's state ended, in NowMs units (0: no such line).
ULONGLONG DumpFrameTime(const std::string& dump) {
    const size_t at = dump.find("# frame ");
    unsigned long long frame = 0, time = 0;
    if (at == std::string::npos || std::sscanf(dump.c_str() + at + 8, "%llu %llu", &frame, &time) != 2) return 0;
    return time;
}

// "进入" on the home view to the first frame of the lighting page, and back:
// the release to the end of the present of the first frame that showed the
// page, as the dump stamps it (the dump itself may come up to its write
// spacing later; that wait is not counted).
double PageOpenMs(HWND window, const std::wstring& dump) {
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        const ULONGLONG released = ClickInDump(window, dump, "EnterButton");
        if (!released) break;
        ULONGLONG shown = 0;
        for (int i = 0; i < 2000 && !shown; ++i, Sleep(2)) {
            const std::string text = ReadFileText(dump);
            if (!text.empty() && FindInDump(text, "EnterButton", 0).found) shown = DumpFrameTime(text);
        }
        if (!shown) break;
        rounds.push_back(double(shown) - double(released));
        std::printf("  page open round %d: %.0f ms\n", round + 1, rounds.back());
        Sleep(300);
        ClickInDump(window, dump, "返回");
        for (int i = 0; i < 2000 && !FindInDump(ReadFileText(dump), "EnterButton", 1).found; ++i) Sleep(2);
        Sleep(300);
    }
    return Median(rounds);
}

// The title strip's minimise button to the hidden window, then shown again.
double MinimiseMs(HWND window, const std::wstring& dump) {
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        const ULONGLONG released = ClickInDump(window, dump, "MinButton");
        if (!released) break;
        ULONGLONG hidden = 0;
        for (int i = 0; i < 5000 && !hidden; ++i, Sleep(1)) {
            if (IsWindowVisible(window)) continue;
            // The style changes first; the window leaves the screen before
            // ShowWindow returns, and only then does its thread answer.
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, nullptr);
            hidden = NowMs();
        }
        if (!hidden) break;
        rounds.push_back(double(hidden - released));
        PostMessageW(window, WM_COMMAND, 7001, 0);  // ID_SHOWWINDOW, as the tray's double-click
        Sleep(1000);
    }
    return Median(rounds);
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

int RunStallScenarios(HWND window, const std::wstring& dumpPath, uint16_t port);

int wmain(int argc, wchar_t** argv) {
    int seconds = 10;
    int stalls = 0, webPort = 0;
    std::wstring exe;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--stalls") == 0) stalls = 1;
        if (i + 1 >= argc) continue;
        if (std::wcscmp(argv[i], L"--seconds") == 0) seconds = _wtoi(argv[i + 1]);
        if (std::wcscmp(argv[i], L"--web") == 0) webPort = _wtoi(argv[i + 1]);
        if (std::wcscmp(argv[i], L"--exe") == 0) exe = argv[i + 1];
    }
    if (argc > 1 && std::wcscmp(argv[1], L"--bare-window") == 0) return RunBareWindow(false);
    if (argc > 1 && std::wcscmp(argv[1], L"--bare-gdiplus") == 0) return RunBareWindow(true);
    if (stalls && webPort <= 0) {
        std::fprintf(stderr, "bench_app: --stalls needs --web PORT of a running web stand-in\n");
        return 1;
    }
    if (FindWindowW(L"VentaroClass", L"Ventaro")) {
        std::fprintf(stderr, "bench_app: Ventaro already runs; end it first\n");
        return 1;
    }
    const std::wstring folder = ProgramFolder();
    const std::wstring pipe = L"ventaro_bench_sim_" + std::to_wstring(GetCurrentProcessId());
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
    const std::wstring memoryLog = std::wstring(temp) + pipe + L"_memory.txt";
    DeleteFileW(memoryLog.c_str());
    if (!stalls) SetEnvironmentVariableW(L"VENTARO_MEMORY_LOG", memoryLog.c_str());
    const MemoryReading bare = stalls ? MemoryReading{} : MeasureBareWindow(false);
    const MemoryReading bareGdiplus = stalls ? MemoryReading{} : MeasureBareWindow(true);
    if (stalls) {
        const std::wstring host = L"127.0.0.1:" + std::to_wstring(webPort);
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", host.c_str());
        SetEnvironmentVariableW(L"VENTARO_DOWNLOAD_HOST", host.c_str());
    }

    CProcess app;
    const std::wstring tag = L"bench_app_run_" + std::to_wstring(GetCurrentProcessId());
    if (!app.Start(exe.empty() ? folder + L"Ventaro.exe" : exe, tag)) {
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
    if (stalls) {
        Sleep(2000);
        const int rc = RunStallScenarios(window, dump, static_cast<uint16_t>(webPort));
        // Exit while a check waits on a host that never answers (the
        // scenarios left that fault in place).
        PostMessageW(window, WM_COMMAND, 7003, 0);
        Sleep(1000);
        const ULONGLONG asked = GetTickCount64();
        PostMessageW(window, WM_COMMAND, kExit, 0);
        const bool ended = WaitForSingleObject(app.Handle(), 60000) == WAIT_OBJECT_0;
        std::printf("exit while a request runs: %s after %.0f ms\n", ended ? "ended" : "still running",
                    double(GetTickCount64() - asked));
        DeleteFileW(dump.c_str());
        return rc;
    }
    std::printf("first frame:            %.0f ms after process creation\n",
                double(firstFrame - FileTimeValue(created)) / 10000.0);

    if (g_unix.Find(std::string(tag.begin(), tag.end()))) std::printf("(figures from the Unix process table)\n");

    Sleep(3000);  // pictures decoded, caches warm
    std::printf("working set, shown:     %.1f MB\n", Memory(app.Handle()));
    const std::wstring unixDir = g_unix.Dir();
    const MemoryReading shown = ReadMemory(app.Handle(), unixDir);
    std::printf("private bytes, shown:   %.1f MB (%+.1f MB against the bare window process; Unix shared %.1f MB)\n",
                shown.privateMb, shown.privateMb - bare.privateMb, shown.sharedMb);
    PrintMemoryStages(memoryLog, bare, bareGdiplus);
    std::printf("idle CPU, shown:        %.3f %% of one core over %d s\n", CpuPercent(app.Handle(), seconds), seconds);

    std::printf("page open, click to first frame: %.0f ms (median of 5)\n", PageOpenMs(window, dump));
    std::printf("minimise, click to hidden:       %.0f ms (median of 5)\n", MinimiseMs(window, dump));

    PostMessageW(window, WM_COMMAND, kHideWindow, 0);
    Sleep(DWORD(seconds) * 1000);
    std::printf("working set, hidden:    %.1f MB after %d s in the tray\n", Memory(app.Handle()), seconds);
    const MemoryReading hidden = ReadMemory(app.Handle(), unixDir);
    std::printf("private bytes, hidden:  %.1f MB (%+.1f MB against the bare window process; Unix shared %.1f MB)\n",
                hidden.privateMb, hidden.privateMb - bare.privateMb, hidden.sharedMb);
    std::printf("idle CPU, hidden:       %.3f %% of one core over %d s\n", CpuPercent(app.Handle(), seconds), seconds);

    // The first show comes after the long stay in the tray (the skin is
    // decoded again), the others after 1.5 s hidden.
    std::printf("show from the tray to its first frame: %.0f ms after %d s hidden\n", ShowToFirstFrameMs(window, dump),
                seconds * 2);
    std::vector<double> shows;
    for (int round = 0; round < 3; ++round) {
        Sleep(1500);
        PostMessageW(window, WM_COMMAND, kHideWindow, 0);
        Sleep(1500);
        shows.push_back(ShowToFirstFrameMs(window, dump));
    }
    std::printf("show from the tray to its first frame: %.0f ms after 1.5 s hidden (median of 3)\n", Median(shows));

    PostMessageW(window, WM_COMMAND, kExit, 0);
    WaitForSingleObject(app.Handle(), 10000);
    DeleteFileW(dump.c_str());
    DeleteFileW(memoryLog.c_str());
    return 0;
}
