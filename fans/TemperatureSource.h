#pragma once
// Where the sensing thread's temperature comes from: the processor's thermal
// register through the driver (the product), or, for development and tests,
// a file named by VENTARO_TEMPERATURE_FILE whose first line holds degrees.
#include <functional>
#include <memory>
#include <string>

class CMsrSource;

class CTemperatureSource {
public:
    virtual ~CTemperatureSource() {}
    // 1 with the temperature in degrees, 0 when there is no reading this time.
    virtual int ReadTemperature(int* celsius) = 0;
};

using TemperatureSourceFactory = std::function<std::unique_ptr<CTemperatureSource>()>;

constexpr const wchar_t* kTemperatureFileVariable = L"VENTARO_TEMPERATURE_FILE";

// The thermal register read on processor 0 through msr (owned); a readout of 0
// or a failed read is no reading.
std::unique_ptr<CTemperatureSource> MsrTemperatureSource(std::unique_ptr<CMsrSource> msr);
// The first line of the file at path, read anew at every call; a missing,
// locked or unparsable file is no reading.
std::unique_ptr<CTemperatureSource> FileTemperatureSource(std::wstring path);
// The file named by VENTARO_TEMPERATURE_FILE when that is set and not empty,
// else the driver beside the program.
std::unique_ptr<CTemperatureSource> OpenTemperatureSource();
