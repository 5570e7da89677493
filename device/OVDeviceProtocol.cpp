#include "OVDeviceProtocol.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ovproto {

size_t BuildRequestReport(uint8_t command, const uint8_t* payload, size_t payloadLength, uint8_t* report) {
    if (!report || payloadLength > kMaxRequestPayload || (payloadLength > 0 && !payload)) return 0;
    std::memset(report, 0, kOutputReportSize);
    const uint8_t length = static_cast<uint8_t>(payloadLength + 1);
    uint8_t* frame = report + 2;
    report[0] = 0;  // report ID
    report[1] = static_cast<uint8_t>(payloadLength + 6);
    frame[0] = kStartByte;
    frame[1] = length;
    frame[2] = static_cast<uint8_t>(kStartByte + length);
    frame[3] = command;
    if (payloadLength) std::memcpy(frame + 4, payload, payloadLength);
    uint8_t x = 0;
    for (size_t i = 0; i < 4 + payloadLength; ++i) x ^= frame[i];
    frame[4 + payloadLength] = x;
    frame[5 + payloadLength] = kEndByte;
    return kOutputReportSize;
}

std::vector<uint8_t> EncodeFrame(uint8_t code, const uint8_t* payload, size_t payloadLength) {
    if (payloadLength > 254 || (payloadLength > 0 && !payload)) return {};
    const uint8_t length = static_cast<uint8_t>(payloadLength + 1);
    std::vector<uint8_t> frame;
    frame.reserve(payloadLength + 6);
    frame.push_back(kStartByte);
    frame.push_back(length);
    frame.push_back(static_cast<uint8_t>(kStartByte + length));
    frame.push_back(code);
    frame.insert(frame.end(), payload, payload + payloadLength);
    uint8_t x = 0;
    for (uint8_t b : frame) x ^= b;
    frame.push_back(x);
    frame.push_back(kEndByte);
    return frame;
}

void COVReplyAssembler::Reset() {
    std::memset(buffer_, 0, sizeof buffer_);
    count_ = 0;
    expected_ = 0;
    state_ = kNeedMore;
}

COVReplyAssembler::State COVReplyAssembler::AddReport(const uint8_t* report, size_t size) {
    if (state_ != kNeedMore) return state_;
    if (!report || size < 2) return state_ = kMalformed;
    const size_t carried = report[1];
    // The count must fit both the report format and the bytes really read.
    if (carried > kMaxChunk || carried > size - 2) return state_ = kMalformed;
    size_t expected = expected_;
    if (!expected && count_ + carried >= 2) {
        // The frame's L byte arrives with this chunk.
        expected = static_cast<size_t>(report[2 + (1 - count_)]) + 5;
        if (expected > kReplyBufferSize) return state_ = kMalformed;
    }
    if (expected && count_ + carried > expected) return state_ = kMalformed;
    if (count_ + carried > kReplyBufferSize) return state_ = kMalformed;
    std::memcpy(buffer_ + count_, report + 2, carried);
    count_ += carried;
    expected_ = expected;
    if (expected_ && count_ == expected_) state_ = kComplete;
    return state_;
}

int ParseReplyFrame(const uint8_t* frame, size_t count, ReplyFrame* out) {
    if (!frame || !out || count < 6) return 0;
    if (frame[0] != kStartByte || frame[count - 1] != kEndByte) return 0;
    const size_t length = frame[1];
    if (length < 1 || length + 5 != count) return 0;
    const size_t payloadLength = length - 1;
    if (payloadLength > kPayloadBufferSize) return 0;
    std::memset(out->payload, 0, sizeof out->payload);
    out->code = frame[3];
    out->payloadLength = payloadLength;
    std::memcpy(out->payload, frame + 4, payloadLength);
    return 1;
}

int IsStatusReplyOk(uint8_t command, const ReplyFrame& reply) {
    return reply.code == ReplyCodeFor(command) && reply.payloadLength == 1 && reply.payload[0] != 0;
}

int IsFanReplyOk(uint8_t fanIndex, const ReplyFrame& reply) {
    return reply.code == ReplyCodeFor(kSetFanLevel) && reply.payloadLength == 2 && reply.payload[0] != 0 &&
           reply.payload[1] == fanIndex;
}

int IsVersionReplyOk(const ReplyFrame& reply) { return reply.code == ReplyCodeFor(kQueryVersion); }

std::wstring VersionTextFromBytes(const uint8_t* bytes, size_t count) {
    if (!bytes) return {};
    std::string narrow(reinterpret_cast<const char*>(bytes), count);
    narrow = narrow.c_str();  // the C conversion ends at the first zero byte
    if (narrow.empty()) return {};
    std::vector<wchar_t> wide(narrow.size() + 1, L'\0');
    const size_t n = std::mbstowcs(wide.data(), narrow.c_str(), wide.size());
    if (n != static_cast<size_t>(-1)) return std::wstring(wide.data(), n);
    std::wstring text;
    for (unsigned char c : narrow) text += static_cast<wchar_t>(c);
    return text;
}

std::wstring LowerAscii(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return out;
}

std::wstring SelectControllerPath(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) {
        std::wstring lower = LowerAscii(path);
        if (lower.find(L"2c25") != std::wstring::npos && lower.find(L"d001") != std::wstring::npos) return lower;
    }
    return {};
}

}  // namespace ovproto
