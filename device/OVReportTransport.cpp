#include "OVReportTransport.h"

#include <chrono>

const char* OVExchangeErrorText(OVExchangeError error) {
    switch (error) {
    case OVExchangeError::kNone: return "ok";
    case OVExchangeError::kNotOpen: return "controller not open";
    case OVExchangeError::kBadRequest: return "request does not fit a report";
    case OVExchangeError::kWriteFailed: return "write to controller failed";
    case OVExchangeError::kReadFailed: return "read from controller failed";
    case OVExchangeError::kTimedOut: return "controller did not answer in time";
    case OVExchangeError::kMalformedReply: return "malformed reply reports";
    case OVExchangeError::kRejectedFrame: return "reply frame rejected";
    case OVExchangeError::kDeviceGone: return "controller gone";
    }
    return "unknown";
}

namespace {

// A reply needs at most 15 full reports; beyond this many something is
// feeding empty reports and the deadline alone should not be the only stop.
constexpr int kMaxReportsPerReply = 64;

int Fail(OVExchangeError* error, OVExchangeError why) {
    if (error) *error = why;
    return 0;
}

}  // namespace

int ReadReplyReports(COVReportTransport& transport, unsigned timeoutMs, ovproto::COVReplyAssembler* assembler,
                     OVExchangeError* error) {
    using Clock = std::chrono::steady_clock;
    if (error) *error = OVExchangeError::kNone;
    if (!assembler) return Fail(error, OVExchangeError::kBadRequest);
    assembler->Reset();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (int reports = 0; assembler->GetState() == ovproto::COVReplyAssembler::kNeedMore; ++reports) {
        if (reports >= kMaxReportsPerReply) return Fail(error, OVExchangeError::kMalformedReply);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        // The first read always gets a chance even with a zero time-out.
        const unsigned wait = left > 0 ? static_cast<unsigned>(left) : 0;
        if (reports > 0 && left <= 0) return Fail(error, OVExchangeError::kTimedOut);
        uint8_t report[ovproto::kInputReportSize] = {};
        size_t got = 0;
        switch (transport.ReadReport(report, sizeof report, wait, &got)) {
        case OVIoResult::kOk: break;
        case OVIoResult::kTimedOut: return Fail(error, OVExchangeError::kTimedOut);
        case OVIoResult::kFailed: return Fail(error, OVExchangeError::kReadFailed);
        case OVIoResult::kGone: return Fail(error, OVExchangeError::kDeviceGone);
        }
        assembler->AddReport(report, got);
    }
    if (assembler->GetState() != ovproto::COVReplyAssembler::kComplete) return Fail(error, OVExchangeError::kMalformedReply);
    return 1;
}

int RunExchange(COVReportTransport& transport, uint8_t command, const uint8_t* payload, size_t payloadLength,
                unsigned timeoutMs, ovproto::ReplyFrame* reply, OVExchangeError* error) {
    if (error) *error = OVExchangeError::kNone;
    if (!reply) return Fail(error, OVExchangeError::kBadRequest);
    uint8_t request[ovproto::kOutputReportSize] = {};
    const size_t toWrite = ovproto::BuildRequestReport(command, payload, payloadLength, request);
    if (toWrite != ovproto::kOutputReportSize) return Fail(error, OVExchangeError::kBadRequest);

    // A late answer to an earlier, timed-out exchange must not pass for ours.
    transport.DiscardPendingInput();

    switch (transport.WriteReport(request, toWrite, timeoutMs)) {
    case OVIoResult::kOk: break;
    case OVIoResult::kTimedOut: return Fail(error, OVExchangeError::kTimedOut);
    case OVIoResult::kFailed: return Fail(error, OVExchangeError::kWriteFailed);
    case OVIoResult::kGone: return Fail(error, OVExchangeError::kDeviceGone);
    }

    ovproto::COVReplyAssembler assembler;
    if (!ReadReplyReports(transport, timeoutMs, &assembler, error)) return 0;
    if (!ovproto::ParseReplyFrame(assembler.Frame(), assembler.Count(), reply))
        return Fail(error, OVExchangeError::kRejectedFrame);
    return 1;
}
