#pragma once
// The firmware update's work, as the update thread runs it: download the
// firmware file, hand the controller over to the flashing tool, run the tool
// and take the controller back. The page supplies what touches the interface
// and the controller through IFlashHost.
#include <cstdint>
#include <string>

class IFlashHost {
public:
    virtual ~IFlashHost() = default;
    virtual void SetProgress(uint32_t percent) = 0;
    virtual void CloseController() = 0;
    // 1 when the controller is open again.
    virtual int OpenController() = 0;
    // May return early once Cancelled says so.
    virtual void Wait(uint32_t milliseconds) = 0;
    // 1 once the program is ending: no tool is started any more.
    virtual int Cancelled() { return 0; }
};

// The longest a flash may take; a tool still running then is hung.
constexpr uint32_t kFlashToolTimeoutMs = 10 * 60 * 1000;

struct FlashFiles {
    std::wstring firmwareFile;  // where the download goes (user data folder + "Firmware.hex")
    std::wstring toolFile;      // program folder + "Zentaflash.exe"
    uint32_t toolTimeoutMs = kFlashToolTimeoutMs;
};

// Downloads the firmware from address ("http:\\H\path" as the version reply
// gives it) and, only when the whole file arrived with status 200 and is a
// well-formed Intel HEX file of at most 4 MiB, closes the
// controller, raises the progress from 20 to 90 over seven seconds, runs the
// tool hidden and waits for it (at most toolTimeoutMs; then it is ended),
// then reopens the controller. Success is the tool's exit code 1; otherwise
// the tool's processes are ended by image name. A failed download leaves the
// controller open and runs no tool; so does a cancel before the tool starts
// (the controller is reopened if it was released). 1/0.
int FlashFirmware(const std::wstring& address, const FlashFiles& files, IFlashHost* host);

// Ends every process whose image name equals name (case-insensitive);
// returns how many were ended. Replaces "kill NAME" through a command
// processor: no shell, no quoting, no code page.
int EndProcessesByImageName(const std::wstring& name);
