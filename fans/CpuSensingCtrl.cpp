#include "CpuSensingCtrl.h"

#include <windows.h>
#include <objbase.h>

#include <mutex>

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

struct CCpuSensingCtrl::Shared {
    TemperatureSourceFactory sourceFactory;
    WmiConnector connector;
    uint32_t intervalMs = 1000;
    CSensingSink* sink = nullptr;  // borrowed; reached only while running
    std::atomic<int> running{1};
    std::atomic<int> setupResult{0};  // written by the thread before it signals ready
    win::CUniqueHandle ready;         // event: set once the thread's WMI set-up is done
    win::CUniqueHandle stop;          // event: set to end the thread's wait at once
    win::CUniqueHandle wake;          // auto-reset event: the sink may want readings again
    std::mutex sinkLock;              // held around every sink call; StopSensing takes it once
};

int CCpuSensingCtrl::StartSensing(CSensingSink* sink) {
    if (thread_) return 1;
    if (!sink) return 0;
    auto shared = std::make_shared<Shared>();
    shared->sourceFactory = sourceFactory_;
    shared->connector = connector_ ? connector_ : [](CWmiSession* wmi) { return wmi->Connect(); };
    shared->intervalMs = intervalMs_;
    shared->sink = sink;
    shared->ready.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    shared->stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    shared->wake.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!shared->ready || !shared->stop || !shared->wake) return 0;
    // The thread owns one reference, handed over through the start argument.
    auto* threadRef = new std::shared_ptr<Shared>(shared);
    DWORD id = 0;
    thread_.Reset(CreateThread(nullptr, 0, &CCpuSensingCtrl::ThreadProc, threadRef, 0, &id));
    if (!thread_) {
        delete threadRef;
        return 0;
    }
    shared_ = shared;
    // The WMI objects belong to the thread that uses them; wait a while for
    // its verdict so that a refused connection still means "no thread".
    HANDLE waits[2] = {shared->ready.Get(), thread_.Get()};
    const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, kSetupWaitMs);
    if (waited != WAIT_TIMEOUT && !shared->setupResult) {
        StopSensing();
        return 0;
    }
    return 1;
}

void CCpuSensingCtrl::Wake() {
    if (shared_) SetEvent(shared_->wake.Get());
}

int CCpuSensingCtrl::StopSensing() {
    if (!thread_) return 1;
    shared_->running = 0;
    SetEvent(shared_->stop.Get());
    if (WaitForSingleObject(thread_.Get(), kStopWaitMs) == WAIT_TIMEOUT) {
        // Stuck in WMI. Once any sink call in progress has returned, the
        // thread never calls the sink again, so the sink may go.
        std::lock_guard<std::mutex> lock(shared_->sinkLock);
        shared_->sink = nullptr;
    }
    thread_.Reset();
    shared_.reset();
    return 1;
}

unsigned long __stdcall CCpuSensingCtrl::ThreadProc(void* param) {
    std::unique_ptr<std::shared_ptr<Shared>> ref(static_cast<std::shared_ptr<Shared>*>(param));
    std::shared_ptr<Shared> shared = *ref;
    Run(*shared);
    return 0;
}

void CCpuSensingCtrl::Run(Shared& shared) {
    // Every report goes through here: none after the stop.
    auto report = [&shared](auto&& call) {
        std::lock_guard<std::mutex> lock(shared.sinkLock);
        if (shared.running && shared.sink) call(*shared.sink);
    };
    CComApartment apartment(COINIT_MULTITHREADED);
    CWmiSession wmi;
    if (apartment.Usable()) {
        // Process-wide and settable once; a later call's failure is harmless.
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT, RPC_C_IMP_LEVEL_IMPERSONATE,
                             nullptr, EOAC_NONE, nullptr);
        shared.setupResult = shared.connector(&wmi);
    }
    SetEvent(shared.ready.Get());
    if (!shared.setupResult) return;

    {
        std::vector<ProcessorRecord> processors;
        if (shared.running && ReadProcessorInfo(wmi.Services(), &processors) && !processors.empty())
            report([&](CSensingSink& sink) { sink.ShowProcessorInfo(processors.front()); });
    }

    std::unique_ptr<CTemperatureSource> source =
        shared.running && shared.sourceFactory ? shared.sourceFactory() : nullptr;
    while (shared.running) {
        int wanted = 1;
        report([&wanted](CSensingSink& sink) { wanted = sink.WantsReadings(); });
        if (!wanted) {
            HANDLE waits[2] = {shared.stop.Get(), shared.wake.Get()};
            WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            continue;
        }
        int load = -1;
        ReadSystemLoad(&load);
        report([&](CSensingSink& sink) { sink.ShowLoad(load); });

        int t = 0;
        if (source && source->ReadTemperature(&t)) {
            report([&](CSensingSink& sink) {
                sink.ShowTemperature(t);
                if (sink.IsAutoFanAdjustOn()) sink.AutoFanStep(t);
            });
        } else {
            report([](CSensingSink& sink) { sink.ShowNoTemperature(); });
        }
        if (!shared.running) break;
        WaitForSingleObject(shared.stop.Get(), shared.intervalMs);
    }
}
