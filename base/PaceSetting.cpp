#include "PaceSetting.h"

#include <windows.h>

namespace pace {

uint32_t ParsePaceMs(std::wstring_view text) {
    if (text.empty() || text.size() > 5) return kDefaultMs;
    uint32_t ms = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return kDefaultMs;
        ms = ms * 10 + static_cast<uint32_t>(c - L'0');
    }
    return ms >= 1 && ms <= 60000 ? ms : kDefaultMs;
}

// Read on every call: cheap, and an in-process test may change it between runs.
uint32_t SecondMs() {
    wchar_t value[16] = {};
    const DWORD n = GetEnvironmentVariableW(L"VENTARO_PACE_MS", value, 16);
    return n > 0 && n < 16 ? ParsePaceMs(std::wstring_view(value, n)) : kDefaultMs;
}

}  // namespace pace
