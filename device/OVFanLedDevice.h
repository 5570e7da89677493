#pragma once
// COVFanLedDevice: the one object through which the program talks to the USB
// fan-and-light controller. It finds the controller's HID interface, opens and
// closes it, and runs the command exchanges. Exchanges from different threads
// (the interface thread and the fan page's sensing thread) never interleave:
// one lock covers the write of a request and every read of its reply.
//
// A controller can go away while the program runs (unplugged, or the USB bus
// re-enumerated on a resume from sleep) and come back. Between OpenDevice and
// CloseDevice the program wants the controller: when an exchange finds it
// gone, the handle is closed and the link counts as lost; the next command at
// least a second after the last look searches for it again and opens it
// silently, and Windows' arrival and resume notifications look at once. The
// caller's own CloseDevice (a firmware flash, a controller restart) ends the
// wanting, so nothing reopens the device under the flashing tool.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "OVReportTransport.h"

// What the link observer is told.
enum class OVLinkEvent {
    kLost,      // the controller went away; its handle is closed
    kReturned,  // the device found and opened it again by itself
    kSettled,   // the caller opened or closed it while it was lost
};

class COVFanLedDevice {
public:
    // How long a reply may take before the command fails.
    static constexpr unsigned kDefaultReplyTimeoutMs = 1000;
    // A lost controller is looked for at most this often on commands.
    static constexpr unsigned kLookupIntervalMs = 1000;
    // What was confirmed since the controller last returned (SentSinceReturn).
    static constexpr int kLightStateSent = 1;
    static constexpr int kFanStateSent = 2;
    using LinkObserver = std::function<void(OVLinkEvent)>;

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
    // From here until CloseDevice the controller is wanted: one that is
    // missing now is looked for again later.
    int OpenDevice();
    // Opens the device on a transport given by the caller (a fake controller).
    int OpenWithTransport(std::unique_ptr<COVReportTransport> transport);
    // Closes the handle if one is open; waits for a running exchange. The
    // controller is no longer wanted. Returns 1.
    int CloseDevice();

    // Told on the thread that noticed, never under the device's lock; set it
    // before other threads use the device, or reset it with null.
    void SetLinkObserver(LinkObserver observer);
    // Windows reported a controller interface (or the machine resumed): when
    // the link is lost, look for the controller now. 1 when it is open after.
    int LookForControllerNow();
    // Windows reported an interface gone; when it is the open controller's,
    // its handle is closed and the link is lost.
    void OnInterfaceRemoved(const std::wstring& path);
    // Wanted but not open: no controller, or it went away.
    int IsLinkLost() const;
    // How many times a lost controller was looked for.
    unsigned GetLookupCount() const;
    // kLightStateSent | kFanStateSent: which settings the controller
    // confirmed since it last returned by itself.
    int SentSinceReturn() const;

    int IsDiscovered() const;
    int IsOpen() const;
    std::wstring GetDevicePath() const;
    void SetReplyTimeout(unsigned milliseconds);
    unsigned GetReplyTimeout() const;

    // Fills the 17-byte output report; *bytesToWrite is always 17 on success.
    // 0 when the payload is longer than 9 bytes.
    static int BuildFrame(uint8_t command, const uint8_t* payload, size_t payloadLength, uint8_t* report,
                          size_t* bytesToWrite);
    // Reads input reports until one whole reply frame is in `buffer` (which
    // must hold 255 bytes), within the reply time-out; *count receives its
    // length. 0 without an open device, on a failed or timed-out read, or on
    // malformed reports. Transact runs the same reading after its request.
    int ReadReply(uint8_t* buffer, size_t* count);
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
    using Clock = std::chrono::steady_clock;
    // The link changes an exchange or a lookup made, told once the lock is free.
    struct LinkNews {
        bool lost = false;
        bool returned = false;
        bool settled = false;
    };

    int Exchange(uint8_t command, const uint8_t* payload, size_t payloadLength, ovproto::ReplyFrame* reply);
    int SendStatusCommand(uint8_t command, const uint8_t* payload, size_t payloadLength);
    // Under the lock: finds and opens a lost controller, silently. 1 when open.
    int LookUpLocked(LinkNews* news);
    // Under the lock: a removal error closes the handle; the link is lost.
    void NoteFailureLocked(OVExchangeError error, LinkNews* news);
    void Tell(const LinkNews& news);

    mutable std::mutex lock_;  // guards everything below and every exchange
    int discovered_ = 0;
    std::wstring path_;                             // lower case; empty: no controller
    std::unique_ptr<COVReportTransport> transport_;  // owned; null while closed
    unsigned replyTimeoutMs_ = kDefaultReplyTimeoutMs;
    int wanted_ = 0;             // between OpenDevice and CloseDevice
    Clock::time_point lastLook_;  // the last open or lookup, or the loss
    unsigned lookups_ = 0;
    int sentSinceReturn_ = 0;
    LinkObserver observer_;
};
