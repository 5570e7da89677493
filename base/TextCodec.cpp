#include "TextConv.h"

// The byte codecs of TextConv.h (base64, percent-encoding): plain code, no
// system calls, so they build and are fuzzed natively as well.
namespace textconv {
namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DigitOf(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool IsFormSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
}  // namespace

std::string Base64Encode(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t v = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8) | p[i + 2];
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (i < size) {
        uint32_t v = uint32_t(p[i]) << 16;
        if (i + 1 < size) v |= uint32_t(p[i + 1]) << 8;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += (i + 1 < size) ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

namespace {
// Shared walk of the tolerant decoder; emit(byte) returns false to stop.
template <typename Emit>
bool DecodeWalk(std::string_view text, Emit emit) {
    uint32_t acc = 0;
    int digits = 0;
    int pads = 0;
    for (unsigned char c : text) {
        int d;
        if (c == '=') {
            d = 0;
            ++pads;
        } else {
            d = DigitOf(c);
            if (d < 0) continue;
        }
        acc = (acc << 6) | static_cast<uint32_t>(d);
        if (++digits == 4) {
            const int bytes = pads >= 3 ? 0 : 3 - pads;
            const uint8_t b[3] = {uint8_t(acc >> 16), uint8_t(acc >> 8), uint8_t(acc)};
            for (int k = 0; k < bytes; ++k)
                if (!emit(b[k])) return false;
            acc = 0;
            digits = 0;
            pads = 0;
        }
    }
    // A partial last group still carries whole bytes: 2 digits -> 1, 3 -> 2.
    if (digits >= 2) {
        acc <<= 6 * (4 - digits);
        const int bytes = digits - 1 - pads;
        const uint8_t b[2] = {uint8_t(acc >> 16), uint8_t(acc >> 8)};
        for (int k = 0; k < bytes && k < 2; ++k)
            if (!emit(b[k])) return false;
    }
    return true;
}
}  // namespace

int Base64DecodeTolerant(std::string_view text, uint8_t* out, size_t capacity, size_t* written) {
    size_t n = 0;
    const bool complete = DecodeWalk(text, [&](uint8_t b) {
        if (n >= capacity) return false;
        out[n++] = b;
        return true;
    });
    if (written) *written = n;
    return complete ? 1 : 0;
}

std::vector<uint8_t> Base64DecodeTolerant(std::string_view text) {
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3 + 3);
    DecodeWalk(text, [&](uint8_t b) {
        out.push_back(b);
        return true;
    });
    return out;
}

bool Base64IsStrict(std::string_view text) {
    if (text.size() % 4 != 0) return false;
    size_t pads = 0;
    while (pads < 2 && pads < text.size() && text[text.size() - 1 - pads] == '=') ++pads;
    for (size_t i = 0; i + pads < text.size(); ++i)
        if (DigitOf(static_cast<unsigned char>(text[i])) < 0) return false;
    return true;
}

std::string PercentEncodeBytes(std::string_view bytes, PlusFor plus) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if (IsAsciiAlnum(c)) {
            out += static_cast<char>(c);
        } else if (plus == PlusFor::SpaceOnly ? c == ' ' : IsFormSpace(c)) {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace textconv
