#include "HttpText.h"

namespace httptext {

int ParseHostPort(std::wstring_view text, HostPort* out) {
    const size_t colon = text.rfind(L':');
    std::wstring_view host = text;
    uint32_t port = 80;
    if (colon != std::wstring_view::npos) {
        host = text.substr(0, colon);
        const std::wstring_view digits = text.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) return 0;
        port = 0;
        for (wchar_t c : digits) {
            if (c < L'0' || c > L'9') return 0;
            port = port * 10 + static_cast<uint32_t>(c - L'0');
        }
        if (port == 0 || port > 65535) return 0;
    }
    if (host.empty() || host.find(L':') != std::wstring_view::npos) return 0;
    if (out) {
        out->host.assign(host);
        out->port = static_cast<uint16_t>(port);
    }
    return 1;
}

uint32_t LeadingUnsigned(std::wstring_view text) {
    uint64_t v = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        v = v * 10 + static_cast<uint64_t>(c - L'0');
        if (v > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(v);
}

void SplitContentRange(std::wstring_view value, uint32_t* total, uint32_t* first, uint32_t* last) {
    const size_t space = value.find(L' ');
    const std::wstring_view range = space == std::wstring_view::npos ? std::wstring_view{} : value.substr(space + 1);
    const size_t slash = range.find(L'/');
    const std::wstring_view span = range.substr(0, slash);
    const std::wstring_view whole = slash == std::wstring_view::npos ? std::wstring_view{} : range.substr(slash + 1);
    const size_t dash = span.find(L'-');
    const std::wstring_view from = span.substr(0, dash);
    const std::wstring_view to = dash == std::wstring_view::npos ? std::wstring_view{} : span.substr(dash + 1);
    if (total) *total = LeadingUnsigned(whole);
    if (first) *first = LeadingUnsigned(from);
    if (last) *last = LeadingUnsigned(to);
}

std::wstring RangeHeaderLine(int32_t offset) {
    return L"Range:bytes=" + std::to_wstring(offset) + L"-\r\n";
}

void SplitServedAddress(std::wstring_view address, std::wstring* host, std::wstring* path) {
    std::wstring text;
    text.reserve(address.size());
    static constexpr std::wstring_view kScheme = L"http:\\\\";
    for (size_t i = 0; i < address.size();) {
        if (address.substr(i, kScheme.size()) == kScheme) {
            i += kScheme.size();
            continue;
        }
        text += address[i] == L'\\' ? L'/' : address[i];
        ++i;
    }
    const size_t slash = text.find(L'/');
    if (host) *host = text.substr(0, slash);
    if (path) *path = L"/" + (slash == std::wstring::npos ? std::wstring{} : text.substr(slash + 1));
}

}  // namespace httptext
