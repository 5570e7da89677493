#include "TemperatureSource.h"

#include <windows.h>

#include <vector>

#include "CpuSensingCtrl.h"
#include "GeneralHelper.h"
#include "SensingMath.h"
#include "WinHandles.h"

namespace {

class CMsrTemperatureSource : public CTemperatureSource {
public:
    explicit CMsrTemperatureSource(std::unique_ptr<CMsrSource> msr) : msr_(std::move(msr)) {}
    int ReadTemperature(int* celsius) override {
        if (!msr_) return 0;
        const int t = ReadCpuTemperature(*msr_);
        if (t == kNoTemperature) return 0;
        if (celsius) *celsius = t;
        return 1;
    }

private:
    std::unique_ptr<CMsrSource> msr_;  // owned
};

class CFileTemperatureSource : public CTemperatureSource {
public:
    explicit CFileTemperatureSource(std::wstring path) : path_(std::move(path)) {}
    int ReadTemperature(int* celsius) override {
        // Shared every way, so whoever writes the file can replace it at any time.
        win::CUniqueHandle file(CreateFileW(path_.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return 0;
        char buffer[64];
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return 0;
        return ParseTemperatureLine(std::string(buffer, got), celsius);
    }

private:
    std::wstring path_;
};

std::wstring EnvironmentValue(const wchar_t* name) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(n);
    }
}

}  // namespace

std::unique_ptr<CTemperatureSource> MsrTemperatureSource(std::unique_ptr<CMsrSource> msr) {
    return std::make_unique<CMsrTemperatureSource>(std::move(msr));
}

std::unique_ptr<CTemperatureSource> FileTemperatureSource(std::wstring path) {
    return std::make_unique<CFileTemperatureSource>(std::move(path));
}

std::unique_ptr<CTemperatureSource> OpenTemperatureSource() {
    std::wstring path = EnvironmentValue(kTemperatureFileVariable);
    if (!path.empty()) return FileTemperatureSource(std::move(path));
    return MsrTemperatureSource(OpenDriverMsrSource());
}
