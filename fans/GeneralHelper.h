#pragma once
// Access to the processor's model-specific registers through the WinRing0 1.2
// kernel driver ("help.sys" beside the program), and the system load.
#include <cstdint>
#include <string>

#include "WinHandles.h"

// Where register readouts come from. The product reads them through the
// driver; tests hand in prepared readouts.
class CMsrSource {
public:
    virtual ~CMsrSource() {}
    // 1 with the register's low and high 32 bits, 0 when it cannot be read.
    virtual int ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) = 0;
};

class CGeneralHelper : public CMsrSource {
public:
    // Initialises COM for the calling thread (balanced on destruction).
    // driverFolder: where "help.sys" lies; empty means the program's folder.
    explicit CGeneralHelper(std::wstring driverFolder = {});
    ~CGeneralHelper() override;
    CGeneralHelper(const CGeneralHelper&) = delete;
    CGeneralHelper& operator=(const CGeneralHelper&) = delete;

    // 1 when the driver file exists (also when the device then stays shut:
    // every later read fails), 0 when it is missing.
    int StartDriver();
    // Creates and starts the "MyWinRing0" kernel driver service; failures are
    // not reported (no administrator rights, service already there).
    int InstallService();
    // Stops and deletes the service; a missing service is not an error. The
    // device handle stays open until CloseDevice or destruction.
    int StopDriver();
    // Closes the device handle (reads fail afterwards). A kernel driver
    // with an open handle cannot unload, so close before StopDriver.
    void CloseDevice() { device_.Reset(); }
    int ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) override;
    // Load since the previous call in percent; -1 when the system times
    // cannot be read (then returns 0).
    int ReadLoad(int* percent);

    const std::wstring& DriverPath() const { return driverPath_; }
    int IsDeviceOpen() const { return device_ ? 1 : 0; }

    static constexpr const wchar_t* kServiceName = L"MyWinRing0";
    static constexpr const wchar_t* kDeviceName = L"\\\\.\\WinRing0_1_2_0";
    static constexpr uint32_t kReadMsrCode = 0x9C402084;

private:
    int OpenDevice();

    std::wstring driverFolder_;
    std::wstring driverPath_;
    win::CUniqueHandle device_;  // the driver device; closed on destruction
    long comResult_;          // HRESULT of CoInitialize; balanced when it succeeded
};

// The process-wide load sampler behind CGeneralHelper::ReadLoad: GetSystemTimes
// against the previous call's times. 1 with the load, 0 with -1 on failure.
int ReadSystemLoad(int* percent);

// The temperature in degrees read on processor 0, or 100 (no reading) when
// the register cannot be read or reads 0. The thread is bound to processor 0
// only around the read.
int ReadCpuTemperature(CMsrSource& source);
