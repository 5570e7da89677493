#pragma once
// The seam between the controller's protocol and the handle it travels on:
// one output report out, input reports in, each bounded in time. The real
// transport is overlapped file I/O on the HID interface (OVHidTransport.h);
// tests put a scripted fake here. Plain C++ without <windows.h>.
#include <cstddef>
#include <cstdint>

#include "OVDeviceProtocol.h"

// kGone: the device is no longer there (unplugged, re-enumerated after a
// resume, the handle at its end); the handle is of no further use.
enum class OVIoResult { kOk, kTimedOut, kFailed, kGone };

class COVReportTransport {
public:
    virtual ~COVReportTransport() = default;
    // Writes one whole output report, waiting at most timeoutMs.
    virtual OVIoResult WriteReport(const uint8_t* report, size_t size, unsigned timeoutMs) = 0;
    // Reads one input report (at most `capacity` bytes), waiting at most
    // timeoutMs; *got receives the bytes read. A read still pending at the
    // time-out is cancelled before this returns.
    virtual OVIoResult ReadReport(uint8_t* report, size_t capacity, unsigned timeoutMs, size_t* got) = 0;
    // Reads and throws away the input reports already waiting; returns how
    // many were thrown away.
    virtual size_t DiscardPendingInput() = 0;
};

// Why an exchange failed; kNone on success.
enum class OVExchangeError {
    kNone,
    kNotOpen,
    kBadRequest,      // payload too long for a report
    kWriteFailed,
    kReadFailed,
    kTimedOut,        // no whole reply within the time-out
    kMalformedReply,  // impossible chunk count or announced total
    kRejectedFrame,   // wrong start or end byte, inconsistent length
    kDeviceGone,      // the controller went away during the exchange
};
const char* OVExchangeErrorText(OVExchangeError error);

// Reads input reports until one whole reply frame is collected in
// `assembler` (reset first), within timeoutMs for all of its reports.
// Returns 1 when the frame is complete; it is not parsed here.
int ReadReplyReports(COVReportTransport& transport, unsigned timeoutMs, ovproto::COVReplyAssembler* assembler,
                     OVExchangeError* error = nullptr);

// One request and its reply on a transport: drain stale input, write the
// request report, collect the reply within timeoutMs (one deadline for all
// its reports) and parse it. Returns 1 when a frame was accepted; the reply
// code and payload are in *reply and the command's own rule decides.
int RunExchange(COVReportTransport& transport, uint8_t command, const uint8_t* payload, size_t payloadLength,
                unsigned timeoutMs, ovproto::ReplyFrame* reply, OVExchangeError* error = nullptr);
