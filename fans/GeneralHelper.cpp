#include "GeneralHelper.h"

#include <windows.h>

#include <mutex>
#include <vector>

#include "ProcessOps.h"
#include "SensingMath.h"
#include "WinHandles.h"

using win::CServiceHandle;

namespace {

// Previous times of the load sampler: process-wide, surviving a restart of
// the sensing thread.
std::mutex g_loadLock;
LoadSamplerState g_loadState;

std::wstring ProgramFolder() {
    const std::wstring path = ModuleFilePath();
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool FileExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

}  // namespace

CGeneralHelper::CGeneralHelper(std::wstring driverFolder)
    : driverFolder_(std::move(driverFolder)), comResult_(CoInitialize(nullptr)) {}

CGeneralHelper::~CGeneralHelper() {
    device_.Reset();
    if (SUCCEEDED(comResult_)) CoUninitialize();
}

int CGeneralHelper::StartDriver() {
    std::wstring folder = driverFolder_.empty() ? ProgramFolder() : driverFolder_;
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    driverPath_ = folder + L"\\help.sys";
    if (!FileExists(driverPath_)) return 0;
    if (!OpenDevice()) {
        InstallService();
        OpenDevice();
    }
    return 1;
}

int CGeneralHelper::OpenDevice() {
    device_.Reset(CreateFileW(kDeviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    return device_ ? 1 : 0;
}

int CGeneralHelper::InstallService() {
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return 0;
    {
        CServiceHandle created(CreateServiceW(manager.Get(), kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                              SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                              SERVICE_ERROR_NORMAL, driverPath_.c_str(), nullptr, nullptr,
                                              nullptr, nullptr, nullptr));
    }
    CServiceHandle service(OpenServiceW(manager.Get(), kServiceName, SERVICE_ALL_ACCESS));
    if (!service) return 0;
    StartServiceW(service.Get(), 0, nullptr);
    return 1;
}

int CGeneralHelper::StopDriver() {
    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) return 0;
    {
        CServiceHandle service(OpenServiceW(manager.Get(), kServiceName, SERVICE_ALL_ACCESS));
        if (!service) return 1;  // nothing left over
        SERVICE_STATUS status{};
        ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    }
    CServiceHandle service(OpenServiceW(manager.Get(), kServiceName, SERVICE_ALL_ACCESS));
    if (service) DeleteService(service.Get());
    return 1;
}

int CGeneralHelper::ReadMsr(uint32_t index, uint32_t* low, uint32_t* high) {
    if (!device_ || !low || !high) return 0;
    uint32_t out[2] = {0, 0};
    DWORD returned = 0;
    if (!DeviceIoControl(device_.Get(), kReadMsrCode, &index, sizeof(index), out, sizeof(out),
                         &returned, nullptr))
        return 0;
    // A short answer would leave half of the register undefined.
    if (returned < sizeof(out)) return 0;
    *low = out[0];
    *high = out[1];
    return 1;
}

int CGeneralHelper::ReadLoad(int* percent) { return ReadSystemLoad(percent); }

int ReadSystemLoad(int* percent) {
    FILETIME idle{}, kernel{}, user{};
    if (!GetSystemTimes(&idle, &kernel, &user)) {
        if (percent) *percent = -1;
        return 0;
    }
    std::lock_guard<std::mutex> guard(g_loadLock);
    const int load = ComputeLoad(g_loadState, SystemTimeToDouble(idle.dwLowDateTime, idle.dwHighDateTime),
                                 SystemTimeToDouble(kernel.dwLowDateTime, kernel.dwHighDateTime),
                                 SystemTimeToDouble(user.dwLowDateTime, user.dwHighDateTime));
    if (percent) *percent = load;
    return 1;
}

int ReadCpuTemperature(CMsrSource& source) {
    uint32_t low = 0, high = 0;
    HANDLE thread = GetCurrentThread();
    const DWORD_PTR previous = SetThreadAffinityMask(thread, 1);
    if (!source.ReadMsr(kThermalStatusMsr, &low, &high)) low = 0;
    if (previous != 0) SetThreadAffinityMask(thread, previous);
    return TemperatureFromReadout(low);
}
