#pragma once
// The arithmetic of processor sensing and the fan levels, free of Windows so
// that tests drive it with made-up readouts and time samples.
#include <cstdint>
#include <string>

// The last idle, kernel and user times (100 ns units as doubles) and the last
// load computed from them.
struct LoadSamplerState {
    double idle = 0.0;
    double kernel = 0.0;
    double user = 0.0;
    int lastLoad = 0;
};

// Share of non-idle time since the previous sample, 0 to 100, and stores the
// sample as the new previous one. Kernel time includes idle time. When no time
// has passed (two samples within one tick) the previous load is repeated
// instead of dividing by zero; counters sampled a hair apart can put idle
// above busy, so the result is kept within 0 to 100.
int ComputeLoad(LoadSamplerState& state, double idle, double kernel, double user);

// A 64-bit system time given as its two halves, as a double.
double SystemTimeToDouble(uint32_t low, uint32_t high);

// The thermal status register: the digital readout in bits 16 to 22 is the
// distance below a junction limit taken as 100 degrees.
constexpr uint32_t kThermalStatusMsr = 0x19C;
constexpr int kNoTemperature = 100;
int TemperatureFromReadout(uint32_t low);

// Fan level for the automatic step. The comparison is made on t as an unsigned
// number, so a negative temperature (readout above 100) counts as hot.
int AutoFanLevel(int celsius);
// Fan level for a manual speed in percent: s / 10 + 5, kept within 6 to 15.
// The upper bound matters for a speed edited by hand in the settings file:
// the controller is only ever sent the levels the slider's 0 to 100 give.
int ManualFanLevel(int speedPercent);

// The temperature a development source writes: the first line of a file,
// a decimal number of degrees with an optional sign and an optional fraction
// (cut off), surrounded by blanks at most. 1 with the value, 0 for anything
// else (empty, words, more than four integer digits): no reading.
int ParseTemperatureLine(const std::string& text, int* celsius);

// The temperature pie's sweep: the share of 100 degrees as a part of the full
// circle, kept within 0 to 360 for any reading (a negative one draws nothing).
float TemperaturePieSweep(int celsius);

// Current clock as a share of the maximum clock, truncated; 0 when the
// maximum is unknown (0).
int ClockRatioPercent(uint32_t currentMHz, uint32_t maxMHz);

// Texts the fan page shows.
std::wstring MaxClockText(uint32_t maxMHz);       // "3600M"
std::wstring VoltageText(uint32_t voltage);       // "12V"
std::wstring LoadText(int percent);               // "37%"
std::wstring TemperatureText(int celsius);        // "65℃", line break, "CPU"
std::wstring NoTemperatureText();                 // "--℃", line break, "CPU": no reading
std::wstring SpeedText(int percent);              // "80%"
// The account page's summary: "自动  " or "手动  ", the stored speed, "%".
std::wstring FanModeText(int autoOn, int speedPercent);
