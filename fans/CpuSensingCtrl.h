#pragma once
// The sensing thread: processor identity once, then once a second the load
// and the temperature, and the automatic fan step while that setting is on.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "GeneralHelper.h"
#include "ProcessorInfo.h"
#include "TemperatureSource.h"
#include "WinHandles.h"

// What the sensing thread reports to; the fan page implements it. Every call
// comes on the sensing thread.
class CSensingSink {
public:
    virtual ~CSensingSink() {}
    // Once at the start, with the first processor WMI returned (not called
    // when it returned none).
    virtual void ShowProcessorInfo(const ProcessorRecord& processor) = 0;
    // Every second; -1 when the system times could not be read.
    virtual void ShowLoad(int percent) = 0;
    // Every second that has a temperature reading.
    virtual void ShowTemperature(int celsius) = 0;
    // The in-memory automatic fan setting, read every second with a reading.
    virtual int IsAutoFanAdjustOn() = 0;
    // Sets the fans for this temperature; see AutoFanLevel.
    virtual void AutoFanStep(int celsius) = 0;
};

// Opens the register source at the start of the thread; it is destroyed at the
// thread's end. The product's register source is the driver (OpenDriverMsrSource).
using MsrSourceFactory = std::function<std::unique_ptr<CMsrSource>()>;

// The driver as a register source: removes a left-over service, starts the
// driver, and removes the service again when destroyed.
std::unique_ptr<CMsrSource> OpenDriverMsrSource(std::wstring driverFolder = {});

class CCpuSensingCtrl {
public:
    // Reads the temperature from OpenTemperatureSource (the driver beside the
    // program, or the file of VENTARO_TEMPERATURE_FILE).
    CCpuSensingCtrl();
    // The thermal register through the register sources the factory opens.
    explicit CCpuSensingCtrl(MsrSourceFactory sourceFactory, uint32_t intervalMs = 1000);
    // Any temperature source; opened on the thread at its start, destroyed at its end.
    explicit CCpuSensingCtrl(TemperatureSourceFactory sourceFactory, uint32_t intervalMs = 1000);
    virtual ~CCpuSensingCtrl();  // stops the thread
    CCpuSensingCtrl(const CCpuSensingCtrl&) = delete;
    CCpuSensingCtrl& operator=(const CCpuSensingCtrl&) = delete;

    // Connects to WMI and starts the thread; 0 (and no thread) when WMI cannot
    // be reached. sink is borrowed and must outlive StopSensing. A second call
    // while running returns 1 and changes nothing.
    int StartSensing(CSensingSink* sink);
    // Ends the thread and waits for it; returns within about one loop's reads,
    // not a whole interval.
    int StopSensing();
    int IsRunning() const { return thread_ ? 1 : 0; }

private:
    static unsigned long __stdcall ThreadProc(void* self);
    void Run();

    TemperatureSourceFactory sourceFactory_;
    uint32_t intervalMs_;
    CSensingSink* sink_ = nullptr;  // borrowed
    std::atomic<int> running_{0};
    int setupResult_ = 0;           // written by the thread before it signals ready_
    win::CUniqueHandle thread_;
    win::CUniqueHandle ready_;  // event: set once the thread's WMI set-up is done
    win::CUniqueHandle stop_;   // event: set to end the thread's wait at once
};
