#include "skin/SkinParse.h"

#include <cwctype>
#include <limits>
#include <string>

namespace skinparse {
namespace {

size_t SkipSpace(std::wstring_view text, size_t i) {
    while (i < text.size() && std::iswspace(text[i])) ++i;
    return i;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

bool HasHexPrefix(std::wstring_view text) {
    return text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
}

}  // namespace

int32_t ParseInt(std::wstring_view text) {
    size_t i = SkipSpace(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) break;  // clamped below
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int ParseBool(std::wstring_view text) {
    std::wstring lower;
    for (wchar_t c : text) lower += static_cast<wchar_t>(std::towlower(c));
    return (lower == L"true" || lower == L"1") ? 1 : 0;
}

float ParseFloat(std::wstring_view text) {
    std::wstring copy(text);
    wchar_t* end = nullptr;
    double v = std::wcstod(copy.c_str(), &end);
    if (end == copy.c_str()) return 0.0f;
    if (v > std::numeric_limits<float>::max()) return std::numeric_limits<float>::max();
    if (v < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::max();
    return static_cast<float>(v);
}

uint32_t ParseHexAccumulate(std::wstring_view digits) {
    uint32_t value = 0;
    for (wchar_t c : digits) {
        int d = HexDigit(c);
        if (d < 0) return 0;
        value = value * 16u + static_cast<uint32_t>(d);
    }
    return value;
}

uint32_t ParseColor(std::wstring_view text) {
    if (HasHexPrefix(text)) return ParseHexAccumulate(text.substr(2));
    size_t i = SkipSpace(text, 0);
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(value);
}

uint32_t ParseColorParam(std::wstring_view text) {
    if (HasHexPrefix(text)) text.remove_prefix(2);
    return ParseHexAccumulate(text);
}

int32_t EdgeSpan(int32_t from, int32_t to) {
    int64_t span = int64_t(to) - int64_t(from);
    if (span > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (span < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(span);
}

}  // namespace skinparse
