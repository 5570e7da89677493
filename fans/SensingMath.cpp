#include "SensingMath.h"

int ComputeLoad(LoadSamplerState& state, double idle, double kernel, double user) {
    const double idleDelta = idle - state.idle;
    const double busyDelta = (kernel - state.kernel) + (user - state.user);
    state.idle = idle;
    state.kernel = kernel;
    state.user = user;
    if (!(busyDelta > 0.0)) return state.lastLoad;
    double load = 100.0 - idleDelta / busyDelta * 100.0;
    if (load < 0.0) load = 0.0;
    if (load > 100.0) load = 100.0;
    state.lastLoad = static_cast<int>(load);
    return state.lastLoad;
}

double SystemTimeToDouble(uint32_t low, uint32_t high) {
    return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

int TemperatureFromReadout(uint32_t low) {
    return 100 - static_cast<int>((low >> 16) & 0x7F);
}

int AutoFanLevel(int celsius) {
    const uint32_t t = static_cast<uint32_t>(celsius);
    if (t > 60) return 15;
    if (t >= 40) return 10;
    return 6;
}

int ManualFanLevel(int speedPercent) {
    if (speedPercent >= 100) return 15;
    const int level = speedPercent / 10 + 5;
    return level <= 6 ? 6 : level;
}

int ParseTemperatureLine(const std::string& text, int* celsius) {
    size_t end = text.find('\n');
    if (end == std::string::npos) end = text.size();
    size_t i = 0;
    // A UTF-8 byte-order mark, as editors on Windows write one.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < end && blank(text[i])) ++i;
    int sign = 1;
    if (i < end && (text[i] == '+' || text[i] == '-')) sign = text[i++] == '-' ? -1 : 1;
    int value = 0, digits = 0;
    while (i < end && digit(text[i])) {
        if (++digits > 4) return 0;
        value = value * 10 + (text[i++] - '0');
    }
    if (digits == 0) return 0;
    if (i < end && text[i] == '.') {
        ++i;
        while (i < end && digit(text[i])) ++i;
    }
    while (i < end && blank(text[i])) ++i;
    if (i != end) return 0;
    if (celsius) *celsius = sign * value;
    return 1;
}

float TemperaturePieSweep(int celsius) {
    if (celsius <= 0) return 0.0f;
    if (celsius >= 100) return 360.0f;
    return static_cast<float>(celsius) * 3.6f;
}

int ClockRatioPercent(uint32_t currentMHz, uint32_t maxMHz) {
    if (maxMHz == 0) return 0;
    return static_cast<int>(static_cast<uint64_t>(currentMHz) * 100u / maxMHz);
}

std::wstring MaxClockText(uint32_t maxMHz) { return std::to_wstring(maxMHz) + L"M"; }
std::wstring VoltageText(uint32_t voltage) { return std::to_wstring(voltage) + L"V"; }
std::wstring LoadText(int percent) { return std::to_wstring(percent) + L"%"; }
std::wstring TemperatureText(int celsius) { return std::to_wstring(celsius) + L"℃\nCPU"; }
std::wstring NoTemperatureText() { return L"--℃\nCPU"; }
std::wstring SpeedText(int percent) { return std::to_wstring(percent) + L"%"; }
std::wstring FanModeText(int autoOn, int speedPercent) {
    return std::wstring(autoOn ? L"自动  " : L"手动  ") + std::to_wstring(speedPercent) + L"%";
}
