#pragma once
// The controller's wire format: request reports, reply reassembly, reply
// frames, the per-command success rules and the choice of the controller's
// interface path. Plain C++ without <windows.h>, so every byte rule can be
// tested on its own.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ovproto {

constexpr size_t kOutputReportSize = 17;  // report ID, N, frame, zero fill
constexpr size_t kInputReportSize = 20;   // report ID, C, up to 18 frame bytes
constexpr size_t kMaxChunk = kInputReportSize - 2;
constexpr size_t kMaxRequestPayload = 9;  // 6 framing bytes + 9 = 15 = 17 - 2
constexpr size_t kReplyBufferSize = 255;
constexpr size_t kPayloadBufferSize = 250;
constexpr uint8_t kStartByte = 0xAA;
constexpr uint8_t kEndByte = 0x55;

// Command codes; the reply code is the command code with its top bit set.
enum Command : uint8_t {
    kQueryVersion = 0x01,
    kSetLightMode = 0x08,
    kSetLightColor = 0x0A,
    kSetLightInterval = 0x0C,
    kSetFanLevel = 0x52,
    kSetLightBrightness = 0x62,
    kFactoryReset = 0x7A,
    kRestartController = 0x7B,
};
constexpr uint8_t ReplyCodeFor(uint8_t command) { return static_cast<uint8_t>(command | 0x80); }

// Fills `report` (17 bytes) with the output report carrying one request frame.
// Returns the number of bytes to write (always 17), or 0 when the payload
// cannot fit a report (more than 9 bytes) or an argument is missing.
size_t BuildRequestReport(uint8_t command, const uint8_t* payload, size_t payloadLength, uint8_t* report);

// Serialises a whole frame (start, L, header check, code, payload, XOR, end).
// Empty when the payload is longer than an L byte can announce (254).
std::vector<uint8_t> EncodeFrame(uint8_t code, const uint8_t* payload, size_t payloadLength);

// Collects the chunks of one reply frame from consecutive input reports.
// The total is taken from the frame's L byte (total = L + 5) as soon as it
// has arrived. A report announcing more bytes than it can carry, a total
// that does not fit the 255-byte buffer, or a chunk running past the
// announced total makes the reply malformed; nothing is ever copied past
// the buffer or past the bytes the report really holds.
class COVReplyAssembler {
public:
    enum State { kNeedMore, kComplete, kMalformed };

    COVReplyAssembler() = default;
    virtual ~COVReplyAssembler() = default;

    void Reset();
    // `report` holds `size` bytes as read (normally 20).
    State AddReport(const uint8_t* report, size_t size);
    State GetState() const { return state_; }
    const uint8_t* Frame() const { return buffer_; }
    size_t Count() const { return count_; }
    // 0 until the frame's L byte has arrived.
    size_t ExpectedTotal() const { return expected_; }

private:
    uint8_t buffer_[kReplyBufferSize] = {};
    size_t count_ = 0;
    size_t expected_ = 0;
    State state_ = kNeedMore;
};

struct ReplyFrame {
    uint8_t code = 0;
    uint8_t payload[kPayloadBufferSize] = {};
    size_t payloadLength = 0;
};

// Accepts a reply frame whose first byte is the start byte and whose last
// byte is the end byte, and whose L byte agrees with the byte count. The
// header check and XOR of replies are deliberately not verified: the
// controller's firmware has never been held to them.
int ParseReplyFrame(const uint8_t* frame, size_t count, ReplyFrame* out);

// The per-command success rules of the replies.
// A one-byte status reply: right code, exactly one payload byte, non-zero.
int IsStatusReplyOk(uint8_t command, const ReplyFrame& reply);
// The fan reply: right code, [status, fan index], status non-zero, index echoed.
int IsFanReplyOk(uint8_t fanIndex, const ReplyFrame& reply);
// The version reply: only the code is checked; any payload length.
int IsVersionReplyOk(const ReplyFrame& reply);

// The firmware version bytes as text through the C runtime's multibyte
// conversion (current locale). Stops at an embedded zero byte; bytes the
// conversion rejects are taken one byte per character.
std::wstring VersionTextFromBytes(const uint8_t* bytes, size_t count);

// ASCII lower-casing; device paths are ASCII.
std::wstring LowerAscii(std::wstring_view text);
// The first path that contains both "2c25" (vendor) and "d001" (product),
// compared in lower case, lower-cased; empty when none matches.
std::wstring SelectControllerPath(const std::vector<std::wstring>& paths);

}  // namespace ovproto
