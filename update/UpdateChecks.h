#pragma once
// The two web look-ups of the update page: the update description on the
// download host and the firmware version request to the account API host.
#include <cstdint>
#include <string>

enum class SoftwareCheckResult { Failed, UpToDate, Newer };

// Downloads the update description into programFolder + "Refrescor.xml"
// (replacing any earlier copy), reads it back through its wide path and looks
// for a newer version. Failed when it could not be fetched or read.
SoftwareCheckResult CheckSoftwareUpdate(const std::wstring& programFolder, std::wstring* newVersion);

// The firmware version request; 1 when the reply named a version.
int QueryNewFirmware(uint32_t* version, std::wstring* address);
