#pragma once
// A scripted controller behind the transport seam: it records every output
// report and answers through a responder; input reports not yet read stay
// queued, as on a HID handle.
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "OVDeviceProtocol.h"
#include "OVReportTransport.h"

class CFakeTransport : public COVReportTransport {
public:
    using Bytes = std::vector<uint8_t>;
    using Responder = std::function<std::vector<Bytes>(const Bytes& request)>;

    // Splits a frame into input reports of at most 18 bytes.
    static std::vector<Bytes> Reports(const Bytes& frame) {
        std::vector<Bytes> out;
        for (size_t off = 0; off < frame.size();) {
            const size_t c = std::min<size_t>(18, frame.size() - off);
            Bytes r(ovproto::kInputReportSize, 0);
            r[1] = static_cast<uint8_t>(c);
            std::copy(frame.begin() + off, frame.begin() + off + c, r.begin() + 2);
            out.push_back(r);
            off += c;
        }
        return out;
    }
    // The reply a well-behaved controller gives.
    static std::vector<Bytes> GoodReply(const Bytes& request, const Bytes& payload) {
        return Reports(ovproto::EncodeFrame(ovproto::ReplyCodeFor(request[5]), payload.data(), payload.size()));
    }

    OVIoResult WriteReport(const uint8_t* report, size_t size, unsigned) override {
        std::lock_guard<std::mutex> guard(lock);
        Bytes request(report, report + size);
        written.push_back(request);
        if (failWrite) return OVIoResult::kFailed;
        if (responder)
            for (auto& r : responder(request)) input.push_back(r);
        return OVIoResult::kOk;
    }
    OVIoResult ReadReport(uint8_t* report, size_t capacity, unsigned timeoutMs, size_t* got) override {
        std::lock_guard<std::mutex> guard(lock);
        ++reads;
        lastTimeout = timeoutMs;
        *got = 0;
        if (failRead) return OVIoResult::kFailed;
        if (input.empty()) return OVIoResult::kTimedOut;
        const Bytes r = input.front();
        input.pop_front();
        const size_t n = std::min(capacity, r.size());
        std::copy(r.begin(), r.begin() + n, report);
        *got = n;
        return OVIoResult::kOk;
    }
    size_t DiscardPendingInput() override {
        std::lock_guard<std::mutex> guard(lock);
        const size_t n = input.size();
        discarded += n;
        input.clear();
        ++drains;
        return n;
    }

    std::mutex lock;
    Responder responder;
    std::vector<Bytes> written;
    std::deque<Bytes> input;
    bool failWrite = false;
    bool failRead = false;
    size_t discarded = 0;
    int drains = 0;
    int reads = 0;
    unsigned lastTimeout = 0;
};
