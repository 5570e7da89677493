#pragma once
// Shared pieces of the native fuzz targets: a failed invariant aborts, so the
// driver (libFuzzer or FuzzDriver.cpp) records the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline std::string_view Bytes(const uint8_t* data, size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The input as UTF-16-like text: each pair of bytes one unit, as the
// Windows build would see text that came through a conversion.
inline std::wstring Units(const uint8_t* data, size_t size) {
    std::wstring out;
    for (size_t i = 0; i + 1 < size; i += 2) out += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    return out;
}

// The input as text where each byte is one unit (keeps ASCII syntax readable
// in the seeds).
inline std::wstring Widened(const uint8_t* data, size_t size) {
    std::wstring out;
    for (size_t i = 0; i < size; ++i) out += static_cast<wchar_t>(data[i]);
    return out;
}

}  // namespace fuzz
