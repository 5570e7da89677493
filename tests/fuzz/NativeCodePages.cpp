// Native stand-ins for the code-page conversions of TextConv.h, which call
// the system on Windows. Only the fuzz builds link them: they keep the shape
// of the real ones (any bytes in, never a failure; ASCII unchanged; a lead
// byte pairs with the next byte), not their exact mapping.
#include "TextConv.h"

namespace textconv {

std::string WideToChs(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        if (static_cast<uint32_t>(c) < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0x4E00 && c < 0x4E00 + 0x7E * 0xBE) {
            const uint32_t i = static_cast<uint32_t>(c) - 0x4E00;
            out += static_cast<char>(0x81 + i / 0xBE);
            out += static_cast<char>(0x40 + i % 0xBE);
        } else {
            out += '?';
        }
    }
    return out;
}

std::wstring ChsToWide(std::string_view bytes) {
    std::wstring out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out += static_cast<wchar_t>(c);
        } else if (c >= 0x81 && c <= 0xFE && i + 1 < bytes.size() &&
                   static_cast<unsigned char>(bytes[i + 1]) >= 0x40) {
            const auto t = static_cast<unsigned char>(bytes[i + 1]);
            out += static_cast<wchar_t>(0x4E00 + (c - 0x81) * 0xBE + (t - 0x40));
            ++i;
        } else {
            out += L'?';
        }
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    for (wchar_t w : text) {
        const auto c = static_cast<uint32_t>(w) & 0xFFFF;  // UTF-16 units, as on Windows
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring out;
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        if (c >= 0x80 && c < 0xC0) {
            out += L'\xFFFD';
            ++i;
            continue;
        }
        uint32_t v = extra == 0 ? c : c & (0x3F >> extra);
        size_t j = 1;
        for (; j <= static_cast<size_t>(extra) && i + j < bytes.size(); ++j) v = (v << 6) | (bytes[i + j] & 0x3F);
        out += static_cast<wchar_t>(v & 0xFFFF);
        i += j;
    }
    return out;
}

std::string PercentEncodeE(std::wstring_view text) { return PercentEncodeBytes(WideToUtf8(ChsToWide(WideToChs(text)))); }

}  // namespace textconv
