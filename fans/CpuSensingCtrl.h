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
    // Every second without one (no source, or it gave none this time).
    virtual void ShowNoTemperature() {}
    // The in-memory automatic fan setting, read every second with a reading.
    virtual int IsAutoFanAdjustOn() = 0;
    // Sets the fans for this temperature; see AutoFanLevel.
    virtual void AutoFanStep(int celsius) = 0;
    // 0 while nobody sees the readings and nothing acts on them (a window
    // in the tray, automatic fans off): the thread then waits, reading
    // nothing, until CCpuSensingCtrl::Wake.
    virtual int WantsReadings() { return 1; }
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

    // Starts the thread, which connects to WMI; 0 (and no thread) when WMI
    // refuses. A WMI that does not answer within kSetupWaitMs is not waited
    // for: the thread keeps trying and the figures stay empty meanwhile.
    // sink is borrowed and must outlive StopSensing. A second call while
    // running returns 1 and changes nothing.
    int StartSensing(CSensingSink* sink);
    // Ends the thread and waits for it, at most kStopWaitMs: a thread stuck in
    // a WMI call is left behind and never reaches the sink again.
    int StopSensing();
    int IsRunning() const { return thread_ ? 1 : 0; }
    // The sink may want readings again: a waiting thread asks it at once.
    void Wake();
    // The thread's handle while it runs (borrowed), for measuring its cost.
    HANDLE ThreadHandle() const { return thread_.Get(); }

    // How the thread connects to WMI; the default is CWmiSession::Connect.
    using WmiConnector = std::function<int(CWmiSession*)>;
    void SetWmiConnector(WmiConnector connector) { connector_ = std::move(connector); }

    static constexpr uint32_t kSetupWaitMs = 5000;
    static constexpr uint32_t kStopWaitMs = 5000;

private:
    // Everything the thread touches, kept alive by the thread itself so that
    // a thread left behind in a hung WMI call outlives this object safely.
    struct Shared;
    static unsigned long __stdcall ThreadProc(void* shared);
    static void Run(Shared& shared);

    TemperatureSourceFactory sourceFactory_;
    WmiConnector connector_;
    uint32_t intervalMs_;
    std::shared_ptr<Shared> shared_;
    win::CUniqueHandle thread_;
};
