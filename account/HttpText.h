#pragma once
// Text handling around HTTP that needs no platform: host settings, the
// Content-Range value, the range request header.
#include <cstdint>
#include <string>
#include <string_view>

namespace httptext {

struct HostPort {
    std::wstring host;
    uint16_t port = 80;
};

// "host" or "host:port" (port 1..65535); port 80 when none is given. Returns 0
// for an empty host or a port that is not a number in range; *out is then left
// unchanged.
int ParseHostPort(std::wstring_view text, HostPort* out);

// "bytes FIRST-LAST/TOTAL": the text after the first space; the number after
// its first "/" is the total; before that "/", the number before the first "-"
// is the first byte and the one after it the last. Each is read as unsigned
// decimal (leading digits); anything that is not a number yields 0.
void SplitContentRange(std::wstring_view value, uint32_t* total, uint32_t* first, uint32_t* last);

// Leading decimal digits as an unsigned number, saturating at 0xFFFFFFFF;
// 0 when the text does not start with a digit.
uint32_t LeadingUnsigned(std::wstring_view text);

// The resume header line, "Range:bytes=<offset>-\r\n".
std::wstring RangeHeaderLine(int32_t offset);

// A picture or firmware address as the account service hands it out, after the
// "/" characters were dropped from its "\/" escapes: "http:\\H\a\b.png". Every
// "http:\\" is removed and backslashes become "/"; the host (with an optional
// ":port") is the text before the first "/", the path "/" plus the rest.
void SplitServedAddress(std::wstring_view address, std::wstring* host, std::wstring* path);

}  // namespace httptext
