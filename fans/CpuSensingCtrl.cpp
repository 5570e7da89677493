#include "CpuSensingCtrl.h"

#include <windows.h>
#include <objbase.h>

#include "SensingMath.h"
#include "WinHandles.h"

using win::CComApartment;

namespace {

class CDriverMsrSource : public CMsrSource {
public:
    explicit CDriverMsrSource(std::wstring driverFolder) : helper_(std::move(driverFolder)) {
        helper_.StopDriver();  // a service left over from an earlier run
        helper_.StartDriver();
    }
    ~CDriverMsrSource() override {
        helper_.CloseDevice();  // the driver can only unload once no handle is open
        helper_.StopDriver();
    }
    int ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) override {
        return helper_.ReadMsr(index, low, high);
    }

private:
    CGeneralHelper helper_;
};

}  // namespace

std::unique_ptr<CMsrSource> OpenDriverMsrSource(std::wstring driverFolder) {
    return std::make_unique<CDriverMsrSource>(std::move(driverFolder));
}

CCpuSensingCtrl::CCpuSensingCtrl() : CCpuSensingCtrl(TemperatureSourceFactory(&OpenTemperatureSource)) {}

CCpuSensingCtrl::CCpuSensingCtrl(MsrSourceFactory sourceFactory, uint32_t intervalMs)
    : intervalMs_(intervalMs) {
    if (sourceFactory)
        sourceFactory_ = [factory = std::move(sourceFactory)]() -> std::unique_ptr<CTemperatureSource> {
            std::unique_ptr<CMsrSource> msr = factory();
            return msr ? MsrTemperatureSource(std::move(msr)) : nullptr;
        };
}

CCpuSensingCtrl::CCpuSensingCtrl(TemperatureSourceFactory sourceFactory, uint32_t intervalMs)
    : sourceFactory_(std::move(sourceFactory)), intervalMs_(intervalMs) {}

CCpuSensingCtrl::~CCpuSensingCtrl() { StopSensing(); }

int CCpuSensingCtrl::StartSensing(CSensingSink* sink) {
    if (thread_) return 1;
    if (!sink) return 0;
    sink_ = sink;
    ready_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready_ || !stop_) return 0;
    setupResult_ = 0;
    running_ = 1;
    DWORD id = 0;
    thread_.Reset(CreateThread(nullptr, 0, &CCpuSensingCtrl::ThreadProc, this, 0, &id));
    if (!thread_) {
        running_ = 0;
        return 0;
    }
    // The WMI objects belong to the thread that uses them; wait for its
    // verdict so that a failed connection still means "no thread".
    HANDLE waits[2] = {ready_.Get(), thread_.Get()};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (!setupResult_) {
        StopSensing();
        return 0;
    }
    return 1;
}

int CCpuSensingCtrl::StopSensing() {
    if (!thread_) return 1;
    running_ = 0;
    SetEvent(stop_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
    ready_.Reset();
    stop_.Reset();
    sink_ = nullptr;
    return 1;
}

unsigned long __stdcall CCpuSensingCtrl::ThreadProc(void* self) {
    static_cast<CCpuSensingCtrl*>(self)->Run();
    return 0;
}

void CCpuSensingCtrl::Run() {
    CComApartment apartment(COINIT_MULTITHREADED);
    CWmiSession wmi;
    if (apartment.Usable()) {
        // Process-wide and settable once; a later call's failure is harmless.
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT, RPC_C_IMP_LEVEL_IMPERSONATE,
                             nullptr, EOAC_NONE, nullptr);
        setupResult_ = wmi.Connect();
    }
    SetEvent(ready_.Get());
    if (!setupResult_) return;

    {
        std::vector<ProcessorRecord> processors;
        if (ReadProcessorInfo(wmi.Services(), &processors) && !processors.empty())
            sink_->ShowProcessorInfo(processors.front());
    }

    std::unique_ptr<CTemperatureSource> source = sourceFactory_ ? sourceFactory_() : nullptr;
    while (running_) {
        int load = -1;
        ReadSystemLoad(&load);
        sink_->ShowLoad(load);

        int t = 0;
        if (source && source->ReadTemperature(&t)) {
            sink_->ShowTemperature(t);
            if (running_ && sink_->IsAutoFanAdjustOn()) sink_->AutoFanStep(t);
        }
        if (!running_) break;
        WaitForSingleObject(stop_.Get(), intervalMs_);
    }
}
