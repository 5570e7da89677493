#pragma once
// Processor identity, clocks and voltage from WMI (class Win32_Processor).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct IWbemServices;

struct ProcessorRecord {
    static constexpr size_t kNameChars = 100;        // field size with its terminator
    static constexpr size_t kProcessorIdChars = 50;  // field size with its terminator
    std::wstring name;         // property Name, at most kNameChars - 1 characters
    std::wstring processorId;  // property ProcessorId, at most kProcessorIdChars - 1
    uint32_t maxClockMHz = 0;      // MaxClockSpeed
    uint32_t currentClockMHz = 0;  // CurrentClockSpeed
    uint16_t currentVoltage = 0;   // CurrentVoltage, as WMI reports it
};

// Runs "Select * From Win32_Processor" on the services object and appends one
// record per processor object. A property that cannot be read leaves its
// field empty or zero.
int ReadProcessorInfo(IWbemServices* services, std::vector<ProcessorRecord>* records);

// A connection to the WMI namespace ROOT\CIMV2 for the calling thread, which
// must have COM initialised.
class CWmiSession {
public:
    CWmiSession();
    virtual ~CWmiSession();
    CWmiSession(const CWmiSession&) = delete;
    CWmiSession& operator=(const CWmiSession&) = delete;

    // Creates the locator, connects and sets the proxy blanket; 0 on any failure.
    int Connect();
    IWbemServices* Services() const;  // borrowed; nullptr before a successful Connect

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
