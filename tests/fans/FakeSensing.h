#pragma once
// Prepared register readouts and a sink that records what the sensing thread
// reports, for driving CCpuSensingCtrl without a driver or a fan page.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "CpuSensingCtrl.h"
#include "SensingMath.h"

class CFakeMsrSource : public CMsrSource {
public:
    // Each read takes the next readout (bits 16..22); when they run out the
    // reads fail.
    explicit CFakeMsrSource(std::deque<uint32_t> readouts) : readouts_(std::move(readouts)) {}
    int ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) override {
        lastIndex = index;
        // The previous mask is the current one: the read must run on processor 0 only.
        HANDLE thread = GetCurrentThread();
        maskDuringRead = SetThreadAffinityMask(thread, 1);
        if (readouts_.empty()) return 0;
        *low = readouts_.front() << 16;
        *high = 0x88000000u;
        readouts_.pop_front();
        return 1;
    }
    uint32_t lastIndex = 0;
    DWORD_PTR maskDuringRead = 0;

private:
    std::deque<uint32_t> readouts_;
};

class CRecordingSink : public CSensingSink {
public:
    explicit CRecordingSink(int autoOn) : autoOn_(autoOn) {}

    void ShowProcessorInfo(const ProcessorRecord& processor) override {
        std::lock_guard<std::mutex> g(lock_);
        processors.push_back(processor);
        changed_.notify_all();
    }
    void ShowLoad(int percent) override {
        std::lock_guard<std::mutex> g(lock_);
        loads.push_back(percent);
        changed_.notify_all();
    }
    void ShowTemperature(int celsius) override {
        std::lock_guard<std::mutex> g(lock_);
        temperatures.push_back(celsius);
        changed_.notify_all();
    }
    int IsAutoFanAdjustOn() override { return autoOn_; }
    int WantsReadings() override { return wants.load(); }
    std::atomic<int> wants{1};
    // What the fan page does: the level for this temperature on the four fans.
    void AutoFanStep(int celsius) override {
        std::lock_guard<std::mutex> g(lock_);
        autoLevels.push_back(AutoFanLevel(celsius));
        changed_.notify_all();
    }

    // Waits (generously) until at least n loads were reported.
    bool WaitForLoads(size_t n, std::chrono::milliseconds limit = std::chrono::seconds(60)) {
        std::unique_lock<std::mutex> g(lock_);
        return changed_.wait_for(g, limit, [&] { return loads.size() >= n; });
    }
    template <class F>
    auto Read(F f) {
        std::lock_guard<std::mutex> g(lock_);
        return f();
    }

    std::vector<ProcessorRecord> processors;
    std::vector<int> loads;
    std::vector<int> temperatures;
    std::vector<int> autoLevels;

private:
    int autoOn_;
    std::mutex lock_;
    std::condition_variable changed_;
};
