#pragma once
// The simulated controller's behaviour, apart from any pipe: it checks a
// request report byte by byte, changes its state, and yields the input
// reports of its reply, misbehaving on request. Plain C++ so the simulator's
// own rules can be tested without a pipe.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class FaultKind {
    kNone,
    kSplit,       // every reply spread over two input reports
    kBadCode,     // reply code without its top bit
    kZeroStatus,  // status byte 0 (the request is refused, state unchanged)
    kBadEcho,     // fan reply echoes another fan index
    kNoReply,     // the request is read and never answered (nor acted on)
    kBadFrame,    // wrong start byte (odd exchanges) or end byte (even ones)
    kOversize,    // an input report announcing 19 bytes, more than it carries
    kOverlong,    // a reply frame announcing a total beyond 255 bytes
    kDelay,       // the reply comes after `value` milliseconds
    kDisconnect,  // the connection is closed after `value` exchanges
};

struct Fault {
    FaultKind kind = FaultKind::kNone;
    unsigned value = 0;
    std::string text = "none";
};

// "none", "split", "bad-code", "zero-status", "bad-echo", "no-reply",
// "bad-frame", "oversize", "overlong", "delay:MS", "disconnect:N".
bool ParseFault(const std::string& text, Fault* out);

struct ControllerState {
    uint8_t fans[4] = {6, 6, 6, 6};
    uint8_t mode = 1;
    uint8_t red = 0xFF, green = 0xFF, blue = 0xFF;
    unsigned interval = 5000;
    uint8_t brightness = 100;
    unsigned restarts = 0;
    unsigned resets = 0;
};

class CControllerModel {
public:
    explicit CControllerModel(std::string version);
    virtual ~CControllerModel() = default;

    // Handles one request as read from the pipe (normally 17 bytes) and
    // returns the input reports (20 bytes each) to send back, possibly none.
    std::vector<std::vector<uint8_t>> HandleRequest(const uint8_t* report, size_t size, const Fault& fault);

    // The version text the controller reports from now on (a flashed firmware).
    void SetVersion(std::string version);
    const std::string& Version() const { return version_; }

    // The whole state as "key=value" lines.
    std::string StateText(const Fault& fault) const;
    const ControllerState& State() const { return state_; }
    unsigned long long Exchanges() const { return exchanges_; }
    unsigned long long MalformedFrames() const { return malformed_; }

private:
    // Applies a well-formed request; returns the reply payload, or false
    // for an unknown command.
    bool Apply(uint8_t command, const uint8_t* payload, size_t length, bool refuse, std::vector<uint8_t>* reply);

    std::string version_;
    ControllerState state_;
    unsigned long long exchanges_ = 0;
    unsigned long long good_ = 0;
    unsigned long long malformed_ = 0;
    unsigned long long unknown_ = 0;
};

}  // namespace sim
