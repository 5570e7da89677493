#pragma once
// COVFanLedDevice: the one object through which the program talks to the USB
// fan-and-light controller. It finds the controller's HID interface, opens and
// closes it, and runs the command exchanges. Exchanges from different threads
// (the interface thread and the fan page's sensing thread) never interleave:
// one lock covers the write of a request and every read of its reply.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "OVReportTransport.h"

class COVFanLedDevice {
public:
    // How long a reply may take before the command fails.
    static constexpr unsigned kDefaultReplyTimeoutMs = 1000;

    COVFanLedDevice();
    virtual ~COVFanLedDevice();
    COVFanLedDevice(const COVFanLedDevice&) = delete;
    COVFanLedDevice& operator=(const COVFanLedDevice&) = delete;

    // Finds the controller's interface path. The deployment setting
    // VENTARO_CONTROLLER_PATH, when set, is taken as the path instead of
    // enumerating the HID interfaces. Shows "未找到设备控制器!" when nothing
    // was found. Always returns 1.
    int Discover();
    // Takes `path` as the discovered controller path (command-line tools).
    int UseDevicePath(const std::wstring& path);
    // Opens the remembered path. 0 without a path (silently) or when the open
    // fails (with the message "控制器连接失败!"). An open device stays open.
    int OpenDevice();
    // Opens the device on a transport given by the caller (a fake controller).
    int OpenWithTransport(std::unique_ptr<COVReportTransport> transport);
    // Closes the handle if one is open; waits for a running exchange. Returns 1.
    int CloseDevice();

    int IsDiscovered() const;
    int IsOpen() const;
    std::wstring GetDevicePath() const;
    void SetReplyTimeout(unsigned milliseconds);
    unsigned GetReplyTimeout() const;

    // Fills the 17-byte output report; *bytesToWrite is always 17 on success.
    // 0 when the payload is longer than 9 bytes.
    static int BuildFrame(uint8_t command, const uint8_t* payload, size_t payloadLength, uint8_t* report,
                          size_t* bytesToWrite);
    // Checks a collected reply frame and yields its code and payload
    // (`payload` must hold 250 bytes).
    static int ParseFrame(const uint8_t* bytes, size_t count, uint8_t* replyCode, uint8_t* payload,
                          size_t* payloadLength);
    // One whole exchange under the lock: the reply's code and payload come
    // back for the command's own rule. `replyPayload` must hold 250 bytes.
    int Transact(uint8_t command, const uint8_t* payload, size_t payloadLength, uint8_t* replyCode,
                 uint8_t* replyPayload, size_t* replyPayloadLength);
    // Why the calling thread's last exchange on any device failed.
    static OVExchangeError GetLastExchangeError();

    // The commands. Each returns 1 only when the controller confirmed it.
    int QueryVersion(std::wstring* versionText);  // text untouched on failure
    int SetLightMode(uint8_t mode);
    int SetLightColor(uint8_t red, uint8_t green, uint8_t blue);
    // Sent as 16 bits little-endian; longer intervals are sent as 65535
    // rather than wrapping round to a short one.
    int SetLightInterval(unsigned milliseconds);
    int SetFanLevel(uint8_t fanIndex, uint8_t level);
    int SetLightBrightness(uint8_t brightness);
    int FactoryReset();
    int RestartController();

private:
    int Exchange(uint8_t command, const uint8_t* payload, size_t payloadLength, ovproto::ReplyFrame* reply);
    int SendStatusCommand(uint8_t command, const uint8_t* payload, size_t payloadLength);

    mutable std::mutex lock_;  // guards everything below and every exchange
    int discovered_ = 0;
    std::wstring path_;                             // lower case; empty: no controller
    std::unique_ptr<COVReportTransport> transport_;  // owned; null while closed
    unsigned replyTimeoutMs_ = kDefaultReplyTimeoutMs;
};
