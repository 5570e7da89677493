// Prints what processor sensing costs: the WMI identity query, one load and
// one temperature read, and the CPU time the sensing thread takes per second
// of running (the whole process's CPU time while the main thread sleeps).
//   bench_sensing [seconds]      default 30
// The process times the system keeps have a coarse tick (10 ms under Wine),
// so short runs can show 0; the per-call figures bound the loop's work.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <deque>

#include "CpuSensingCtrl.h"
#include "SensingMath.h"
#include "WinHandles.h"

using win::CComApartment;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double ProcessCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return (SystemTimeToDouble(kernel.dwLowDateTime, kernel.dwHighDateTime) +
            SystemTimeToDouble(user.dwLowDateTime, user.dwHighDateTime)) /
           10000.0;
}

class CCountingSink : public CSensingSink {
public:
    void ShowProcessorInfo(const ProcessorRecord& p) override {
        if (quiet) return;
        std::wprintf(L"processor: %ls | id %ls | max %u MHz | now %u MHz | voltage %u\n", p.name.c_str(),
                     p.processorId.c_str(), p.maxClockMHz, p.currentClockMHz, p.currentVoltage);
    }
    void ShowLoad(int percent) override {
        lastLoad = percent;
        ++loads;
    }
    void ShowTemperature(int) override { ++temperatures; }
    int IsAutoFanAdjustOn() override { return 1; }
    void AutoFanStep(int) override {}
    bool quiet = false;
    std::atomic<long> loads{0};
    std::atomic<long> temperatures{0};
    std::atomic<int> lastLoad{0};
};

class CFixedSource : public CMsrSource {
public:
    int ReadMsr(uint32_t, uint32_t* low, uint32_t* high) override {
        *low = 35u << 16;
        *high = 0;
        return 1;
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int seconds = argc > 1 ? std::max(2, _wtoi(argv[1])) : 30;

    {
        CComApartment com(COINIT_MULTITHREADED);
        const auto t0 = Clock::now();
        CWmiSession wmi;
        const int connected = wmi.Connect();
        const auto t1 = Clock::now();
        std::vector<ProcessorRecord> processors;
        const int queried = connected ? ReadProcessorInfo(wmi.Services(), &processors) : 0;
        const auto t2 = Clock::now();
        std::printf("WMI connect: %.1f ms (%s); processor query: %.1f ms, %zu record(s) (%s)\n", Ms(t1 - t0),
                    connected ? "ok" : "failed", Ms(t2 - t1), processors.size(), queried ? "ok" : "failed");
    }

    {
        const int n = 100000;
        int load = 0;
        const auto t0 = Clock::now();
        for (int i = 0; i < n; ++i) ReadSystemLoad(&load);
        std::printf("ReadLoad: %.2f us per call\n", Ms(Clock::now() - t0) * 1000.0 / n);
        CFixedSource source;
        const auto t1 = Clock::now();
        for (int i = 0; i < n; ++i) ReadCpuTemperature(source);
        std::printf("temperature read with affinity switch (no driver I/O): %.2f us per call\n",
                    Ms(Clock::now() - t1) * 1000.0 / n);
    }

    {
        const auto t0 = Clock::now();
        auto driver = OpenDriverMsrSource();
        const auto t1 = Clock::now();
        driver.reset();
        std::printf("driver open (stop, start) %.1f ms, close (stop) %.1f ms\n", Ms(t1 - t0),
                    Ms(Clock::now() - t1));
    }

    {
        // The loop's work amplified: 1 ms instead of 1 s between loops, so the
        // coarse process times resolve it. One loop runs per second normally.
        CCpuSensingCtrl fast([] { return OpenDriverMsrSource(); }, 1);
        CCountingSink fastSink;
        fastSink.quiet = true;
        if (fast.StartSensing(&fastSink)) {
            Sleep(500);
            const long loops0 = fastSink.loads;
            const double cpu0 = ProcessCpuMs();
            Sleep(5000);
            const double cpu1 = ProcessCpuMs();
            const long loops = fastSink.loads - loops0;
            fast.StopSensing();
            if (loops > 0)
                std::printf("one sensing loop (load, temperature, sink, 1 ms wait): %.3f ms CPU over %ld loops\n",
                            (cpu1 - cpu0) / loops, loops);
        }
    }

    CCpuSensingCtrl sensing;  // the product's path: the driver beside the program
    CCountingSink sink;
    const auto start = Clock::now();
    if (!sensing.StartSensing(&sink)) {
        std::printf("StartSensing failed (WMI unavailable)\n");
        return 1;
    }
    std::printf("StartSensing: %.1f ms\n", Ms(Clock::now() - start));
    Sleep(1500);  // past identity and driver start-up: measure the steady loop
    const double cpu0 = ProcessCpuMs();
    const auto wall0 = Clock::now();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    const double cpu1 = ProcessCpuMs();
    const double wallS = Ms(Clock::now() - wall0) / 1000.0;
    const auto stop0 = Clock::now();
    sensing.StopSensing();
    const double stopMs = Ms(Clock::now() - stop0);
    std::printf("sensing thread: %.3f ms CPU per second of running (%.1f ms over %.1f s; %ld loads, %ld "
                "temperatures, last load %d%%)\n",
                (cpu1 - cpu0) / wallS, cpu1 - cpu0, wallS, sink.loads.load(), sink.temperatures.load(),
                sink.lastLoad.load());
    std::printf("StopSensing: %.1f ms\n", stopMs);
    return 0;
}
