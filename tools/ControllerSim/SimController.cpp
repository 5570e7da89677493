#include "SimController.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "OVDeviceProtocol.h"

namespace sim {

bool ParseFault(const std::string& text, Fault* out) {
    Fault f;
    f.text = text.empty() ? "none" : text;
    const size_t colon = text.find(':');
    const std::string name = text.substr(0, colon);
    std::string arg = colon == std::string::npos ? "" : text.substr(colon + 1);
    auto number = [&](unsigned* value) {
        if (arg.empty() || arg.size() > 9) return false;
        for (char c : arg)
            if (c < '0' || c > '9') return false;
        *value = static_cast<unsigned>(std::strtoul(arg.c_str(), nullptr, 10));
        return true;
    };
    if (name == "delay" || name == "disconnect") {
        if (!number(&f.value)) return false;
        f.kind = name == "delay" ? FaultKind::kDelay : FaultKind::kDisconnect;
    } else {
        if (colon != std::string::npos) return false;
        if (text.empty() || name == "none") f.kind = FaultKind::kNone;
        else if (name == "split") f.kind = FaultKind::kSplit;
        else if (name == "bad-code") f.kind = FaultKind::kBadCode;
        else if (name == "zero-status") f.kind = FaultKind::kZeroStatus;
        else if (name == "bad-echo") f.kind = FaultKind::kBadEcho;
        else if (name == "no-reply") f.kind = FaultKind::kNoReply;
        else if (name == "bad-frame") f.kind = FaultKind::kBadFrame;
        else if (name == "oversize") f.kind = FaultKind::kOversize;
        else if (name == "overlong") f.kind = FaultKind::kOverlong;
        else return false;
    }
    *out = f;
    return true;
}

CControllerModel::CControllerModel(std::string version) { SetVersion(std::move(version)); }

void CControllerModel::SetVersion(std::string version) {
    version_ = std::move(version);
    if (version_.size() > 249) version_.resize(249);  // L must stay a byte
}

bool CControllerModel::Apply(uint8_t command, const uint8_t* p, size_t n, bool refuse, std::vector<uint8_t>* reply) {
    uint8_t ok = 0;
    switch (command) {
    case ovproto::kQueryVersion:
        reply->assign(version_.begin(), version_.end());
        return true;
    case ovproto::kSetFanLevel: {
        const uint8_t index = n >= 1 ? p[0] : 0;
        ok = n == 2 && index < 4 && p[1] <= 100 && !refuse;
        if (ok) state_.fans[index] = p[1];
        *reply = {ok, index};
        return true;
    }
    case ovproto::kSetLightMode:
        ok = n == 1 && p[0] <= 4 && !refuse;
        if (ok) state_.mode = p[0];
        break;
    case ovproto::kSetLightColor:
        ok = n == 3 && !refuse;
        if (ok) state_.red = p[0], state_.green = p[1], state_.blue = p[2];
        break;
    case ovproto::kSetLightInterval:
        ok = n == 2 && !refuse;
        if (ok) state_.interval = p[0] | (p[1] << 8);
        break;
    case ovproto::kSetLightBrightness:
        ok = n == 1 && p[0] <= 100 && !refuse;
        if (ok) state_.brightness = p[0];
        break;
    case ovproto::kFactoryReset:
        ok = n == 0 && !refuse;
        if (ok) {
            ControllerState fresh;
            fresh.restarts = state_.restarts;
            fresh.resets = state_.resets + 1;
            state_ = fresh;
        }
        break;
    case ovproto::kRestartController:
        ok = n == 0 && !refuse;
        if (ok) ++state_.restarts;
        break;
    default:
        return false;
    }
    *reply = {ok};
    return true;
}

std::vector<std::vector<uint8_t>> CControllerModel::HandleRequest(const uint8_t* report, size_t size, const Fault& fault) {
    ++exchanges_;
    // Byte-exact check of the output report: ID 0, N = P + 6, the frame, zero fill.
    bool good = report && size == ovproto::kOutputReportSize && report[0] == 0 && report[1] >= 6 && report[1] <= 15;
    if (good) {
        const uint8_t* f = report + 2;
        const size_t n = report[1];
        const size_t p = n - 6;
        uint8_t x = 0;
        for (size_t i = 0; i < 4 + p; ++i) x ^= f[i];
        good = f[0] == ovproto::kStartByte && f[1] == p + 1 && f[2] == static_cast<uint8_t>(0xAA + f[1]) &&
               f[4 + p] == x && f[5 + p] == ovproto::kEndByte;
        for (size_t i = 2 + n; good && i < size; ++i) good = report[i] == 0;
    }
    if (!good) {
        ++malformed_;
        return {};
    }
    ++good_;
    if (fault.kind == FaultKind::kNoReply) return {};

    const uint8_t* frame = report + 2;
    const uint8_t command = frame[3];
    std::vector<uint8_t> payload;
    if (!Apply(command, frame + 4, report[1] - 6, fault.kind == FaultKind::kZeroStatus, &payload)) {
        ++unknown_;
        return {};
    }
    uint8_t code = ovproto::ReplyCodeFor(command);
    if (fault.kind == FaultKind::kBadCode) code = command;
    if (fault.kind == FaultKind::kBadEcho && command == ovproto::kSetFanLevel) payload[1] = (payload[1] + 1) & 3;
    std::vector<uint8_t> out = ovproto::EncodeFrame(code, payload.data(), payload.size());
    if (fault.kind == FaultKind::kBadFrame) {
        if (exchanges_ % 2) out.front() = 0xAB;
        else out.back() = 0x54;
    }
    if (fault.kind == FaultKind::kOverlong) {
        out[1] = 0xFF;  // announces 260 bytes
        out[2] = static_cast<uint8_t>(0xAA + 0xFF);
    }

    // Chunk sizes: as many full reports as needed, or two halves when split.
    std::vector<size_t> chunks;
    if (fault.kind == FaultKind::kSplit && out.size() <= 2 * ovproto::kMaxChunk) {
        chunks = {out.size() / 2, out.size() - out.size() / 2};
    } else {
        for (size_t left = out.size(); left > 0;) {
            const size_t c = left > ovproto::kMaxChunk ? ovproto::kMaxChunk : left;
            chunks.push_back(c);
            left -= c;
        }
    }
    std::vector<std::vector<uint8_t>> reports;
    size_t offset = 0;
    for (size_t c : chunks) {
        std::vector<uint8_t> r(ovproto::kInputReportSize, 0);
        const size_t carried = c > ovproto::kMaxChunk ? ovproto::kMaxChunk : c;
        r[1] = static_cast<uint8_t>(c);
        std::memcpy(r.data() + 2, out.data() + offset, carried);
        offset += c;
        reports.push_back(std::move(r));
    }
    if (fault.kind == FaultKind::kOversize) {
        reports.resize(1);
        reports[0][1] = 19;
    }
    return reports;
}

std::string CControllerModel::StateText(const Fault& fault) const {
    char colour[8];
    std::snprintf(colour, sizeof colour, "%02X%02X%02X", state_.red, state_.green, state_.blue);
    std::string s;
    for (int i = 0; i < 4; ++i) s += "fan" + std::to_string(i) + "=" + std::to_string(state_.fans[i]) + "\n";
    s += "mode=" + std::to_string(state_.mode) + "\n";
    s += std::string("color=") + colour + "\n";
    s += "interval=" + std::to_string(state_.interval) + "\n";
    s += "brightness=" + std::to_string(state_.brightness) + "\n";
    s += "restarts=" + std::to_string(state_.restarts) + "\n";
    s += "resets=" + std::to_string(state_.resets) + "\n";
    s += "version=" + version_ + "\n";
    s += "exchanges=" + std::to_string(exchanges_) + "\n";
    s += "good_frames=" + std::to_string(good_) + "\n";
    s += "malformed_frames=" + std::to_string(malformed_) + "\n";
    s += "unknown_commands=" + std::to_string(unknown_) + "\n";
    s += "fault=" + fault.text + "\n";
    return s;
}

}  // namespace sim
