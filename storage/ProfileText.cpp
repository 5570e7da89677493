#include "ProfileText.h"

#include <climits>
#include <cstdio>
#include <cwchar>

namespace profiletext {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Leading blanks and sign, then the magnitude of the digits (saturated at
// `limit`, which it never exceeds). Returns false when no digit follows.
bool ScanDecimal(std::wstring_view text, bool* negative, uint64_t limit, uint64_t* magnitude) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    *negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        *negative = text[i] == L'-';
        ++i;
    }
    if (i >= text.size() || !IsDigit(text[i])) return false;
    uint64_t v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const uint64_t d = static_cast<uint64_t>(text[i] - L'0');
        // Out of range once: stay one above the limit and only consume digits.
        v = (v > limit || v > (limit - d) / 10) ? limit + 1 : v * 10 + d;
    }
    *magnitude = v;
    return true;
}

}  // namespace

int ParseBool(std::wstring_view text) {
    if (text == L"1") return 1;
    if (text.size() != 4) return 0;
    static const wchar_t kTrue[] = L"true";
    for (size_t i = 0; i < 4; ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != kTrue[i]) return 0;
    }
    return 1;
}

int64_t ParseInt64(std::wstring_view text) {
    bool negative = false;
    uint64_t m = 0;
    const uint64_t limit = static_cast<uint64_t>(INT64_MAX) + 1;
    if (!ScanDecimal(text, &negative, limit, &m)) return 0;
    if (negative) return m >= limit ? INT64_MIN : -static_cast<int64_t>(m);
    return m >= limit ? INT64_MAX : static_cast<int64_t>(m);
}

int32_t ParseInt(std::wstring_view text) {
    const int64_t v = ParseInt64(text);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

uint32_t ParseUnsigned(std::wstring_view text) {
    bool negative = false;
    uint64_t m = 0;
    if (!ScanDecimal(text, &negative, UINT32_MAX, &m)) return 0;
    if (m > UINT32_MAX) return UINT32_MAX;
    const uint32_t v = static_cast<uint32_t>(m);
    return negative ? static_cast<uint32_t>(0u - v) : v;
}

std::wstring RecordSectionName(uint32_t recordNumber) { return L"RID_" + std::to_wstring(recordNumber); }

uint32_t RecordNumberOfSection(std::wstring_view name) {
    const size_t bar = name.find(L'_');
    if (bar == std::wstring_view::npos || name.substr(0, bar) != L"RID") return 0;
    const std::wstring_view digits = name.substr(bar + 1);
    if (digits.empty()) return 0;
    uint64_t v = 0;
    for (wchar_t c : digits) {
        if (!IsDigit(c)) return 0;
        v = v * 10 + static_cast<uint64_t>(c - L'0');
        if (v > INT32_MAX) return 0;
    }
    return static_cast<uint32_t>(v);
}

std::wstring JoinSectionNames(const wchar_t* buffer, size_t n) {
    if (!buffer || n == 0) return {};
    std::wstring out(buffer, n);
    for (wchar_t& c : out)
        if (c == L'\0') c = L',';
    // The last name's terminator was turned into a trailing "," above.
    out.resize(n - 1);
    return out;
}

std::vector<std::wstring> SplitList(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::wstring_view::npos) end = text.size();
        if (end > start) pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::wstring OneLine(std::wstring_view value) {
    std::wstring out(value);
    for (wchar_t& c : out)
        if (c == L'\r' || c == L'\n') c = L' ';
    return out;
}

namespace {

int64_t AsInteger(const ColumnValue& value) {
    if (auto p = std::get_if<int32_t>(&value)) return *p;
    if (auto p = std::get_if<int64_t>(&value)) return *p;
    if (auto p = std::get_if<uint32_t>(&value)) return *p;
    if (auto p = std::get_if<float>(&value)) return static_cast<int64_t>(*p);
    return ParseInt64(std::get<std::wstring>(value));
}

std::wstring FormatReal(double v) {
    wchar_t buf[64];
    std::swprintf(buf, 64, L"%.4f", v);
    return buf;
}

}  // namespace

std::wstring FormatColumnValue(int columnType, const ColumnValue& value) {
    switch (columnType) {
        case kColumnInt:
        case kColumnInt32: {
            const int64_t v = AsInteger(value);
            return std::to_wstring(static_cast<int32_t>(v));
        }
        case kColumnLong:
            return std::to_wstring(AsInteger(value));
        case kColumnUnsigned:
            if (auto p = std::get_if<std::wstring>(&value)) return std::to_wstring(ParseUnsigned(*p));
            return std::to_wstring(static_cast<uint32_t>(AsInteger(value)));
        case kColumnBool:
            if (auto p = std::get_if<std::wstring>(&value)) return ParseBool(*p) ? L"true" : L"false";
            return AsInteger(value) == 1 ? L"true" : L"false";
        case kColumnReal:
            if (auto p = std::get_if<float>(&value)) return FormatReal(*p);
            if (auto p = std::get_if<std::wstring>(&value)) return FormatReal(std::wcstod(p->c_str(), nullptr));
            return FormatReal(static_cast<double>(AsInteger(value)));
        case kColumnText:
        default:
            if (auto p = std::get_if<std::wstring>(&value)) return *p;
            if (auto p = std::get_if<float>(&value)) return FormatReal(*p);
            return std::to_wstring(AsInteger(value));
    }
}

}  // namespace profiletext
