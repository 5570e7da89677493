#pragma once
// Text conversions shared by the web client, the game-mode commands and the
// settings sync. Declared without <windows.h> so the pure parts stay testable.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace textconv {

// UTF-16 -> Chinese multibyte (code page 936), the bytes the C runtime gives
// under the "chs" locale. Characters 936 cannot hold become "?".
std::string WideToChs(std::wstring_view text);
// Code page 936 bytes -> UTF-16. Invalid sequences become U+FFFD or the
// code page's default; never fails.
std::wstring ChsToWide(std::string_view bytes);

// UTF-16 <-> UTF-8, for files and logs that are UTF-8 by design.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view bytes);

// Standard base64 (RFC 4648 alphabet, groups completed with "=").
std::string Base64Encode(const void* data, size_t size);
inline std::string Base64Encode(std::string_view bytes) { return Base64Encode(bytes.data(), bytes.size()); }

// Tolerant base64 decoding: characters outside the alphabet are skipped, each
// "=" is a zero digit that shortens its group's output by one byte, and a
// trailing partial group yields its whole bytes. Writes at most `capacity`
// bytes to `out`; returns 1 when the whole input fit, 0 when the output was
// cut at the bound. *written receives the byte count either way.
int Base64DecodeTolerant(std::string_view text, uint8_t* out, size_t capacity, size_t* written);
// Same, into a vector sized from the input (never truncated).
std::vector<uint8_t> Base64DecodeTolerant(std::string_view text);
// True when text is strict base64: alphabet only, whole groups, "=" only as
// the last one or two characters.
bool Base64IsStrict(std::string_view text);

// The login-name encoding of the account API: the 936 bytes re-expressed as
// UTF-8, then letters and digits kept, white space as "+", all else "%XX".
std::string PercentEncodeE(std::wstring_view text);
// How white space is written by PercentEncodeBytes.
enum class PlusFor {
    AnyWhiteSpace,  // space, tab, CR, LF, VT, FF: the login name's rule
    SpaceOnly,      // only the space; a form decoder turns "+" back into a space alone
};
// Letters and digits kept, white space as "+" per `plus`, every other byte "%XX".
// With AnyWhiteSpace this is the byte step of PercentEncodeE.
std::string PercentEncodeBytes(std::string_view bytes, PlusFor plus = PlusFor::AnyWhiteSpace);

}  // namespace textconv
