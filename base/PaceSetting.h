#pragma once
// The program's paced waits: the main window's one-second timer (the silent
// update check comes on its 30th tick), the firmware flash's progress steps
// and its closing wait, the waits of a controller restart or factory reset.
// They last 1000 ms, or what the deployment setting VENTARO_PACE_MS says
// (demonstrations and test runs go through them faster). The processor
// sensing keeps its own one-second period.
#include <cstdint>
#include <string_view>

namespace pace {

constexpr uint32_t kDefaultMs = 1000;

// A setting's text to milliseconds: decimal digits only, 1 to 60000;
// anything else (empty included) gives the default.
uint32_t ParsePaceMs(std::wstring_view text);

// The length of one paced second: VENTARO_PACE_MS, else the default.
uint32_t SecondMs();

}  // namespace pace
