// bench_device: how fast the controller link runs against ControllerSim.
// Prints exchanges per second and the time to apply one light theme (the four
// exchanges interval, mode, colour, brightness). Not a test: figures only.
//   bench_device [--device PATH] [--exchanges N] [--themes N]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "OVFanLedDevice.h"
#include "ProcessOps.h"

namespace {

std::wstring ProgramFolder() {
    const std::wstring p = ModuleFilePath();
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

// Owns the simulator process started for the run.
class CSimulator {
public:
    bool Start(const std::wstring& pipe) {
        const std::wstring exe = ProgramFolder() + L"ControllerSim.exe";
        std::wstring cmd = L"\"" + exe + L"\" --pipe " + pipe;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi_))
            return false;
        const std::wstring path = L"\\\\.\\pipe\\" + pipe;
        for (int i = 0; i < 200; ++i) {
            if (WaitNamedPipeW(path.c_str(), 100)) return true;
            Sleep(50);
        }
        return false;
    }
    ~CSimulator() {
        if (!pi_.hProcess) return;
        TerminateProcess(pi_.hProcess, 0);
        WaitForSingleObject(pi_.hProcess, 5000);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }

private:
    PROCESS_INFORMATION pi_{};
};

double Seconds(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring device;
    long exchanges = 5000, themes = 500;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring a = argv[i];
        if (a == L"--device") device = argv[i + 1];
        else if (a == L"--exchanges") exchanges = std::wcstol(argv[i + 1], nullptr, 10);
        else if (a == L"--themes") themes = std::wcstol(argv[i + 1], nullptr, 10);
    }
    CSimulator sim;
    if (device.empty()) {
        const std::wstring pipe = L"ventaro_bench_" + std::to_wstring(GetCurrentProcessId());
        if (!sim.Start(pipe)) {
            std::fprintf(stderr, "bench_device: cannot start ControllerSim.exe\n");
            return 1;
        }
        device = L"\\\\.\\pipe\\" + pipe;
    }
    COVFanLedDevice controller;
    controller.UseDevicePath(device);
    if (!controller.OpenDevice()) {
        std::fprintf(stderr, "bench_device: cannot open %ls\n", device.c_str());
        return 1;
    }
    long failed = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (long i = 0; i < exchanges; ++i)
        if (!controller.SetFanLevel(static_cast<uint8_t>(i % 4), static_cast<uint8_t>(6 + i % 10))) ++failed;
    const double fanSeconds = Seconds(t0);

    t0 = std::chrono::steady_clock::now();
    for (long i = 0; i < themes; ++i) {
        if (!controller.SetLightInterval(5000)) ++failed;
        if (!controller.SetLightMode(static_cast<uint8_t>(1 + i % 4))) ++failed;
        if (!controller.SetLightColor(0xFF, static_cast<uint8_t>(i), 0x20)) ++failed;
        if (!controller.SetLightBrightness(80)) ++failed;
    }
    const double themeSeconds = Seconds(t0);

    std::printf("exchanges: %ld in %.3f s = %.0f exchanges/s (%.3f ms each)\n", exchanges, fanSeconds,
                exchanges / fanSeconds, 1000.0 * fanSeconds / exchanges);
    std::printf("light theme (4 exchanges): %.3f ms each over %ld applications\n", 1000.0 * themeSeconds / themes, themes);
    std::printf("failed exchanges: %ld\n", failed);
    return failed ? 1 : 0;
}
