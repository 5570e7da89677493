#pragma once
// The remote availability switch: before anything else is built, the file
// "/OrvaneSwitch.cfg" on the maker's object-storage host may switch the
// program off. Every failure lets the program run.
#include <cstddef>
#include <cstdint>
#include <string>

// The switch-off marker, exact and case-sensitive, anywhere in the body.
constexpr const char kSwitchOffMarker[] = "Ventaro=FALSE";
constexpr const wchar_t kSwitchPath[] = L"/OrvaneSwitch.cfg";
constexpr uint32_t kSwitchTimeoutMs = 3000;
constexpr uint32_t kSwitchBufferBytes = 2048;
// The start waits no longer than this for the whole check.
constexpr uint32_t kSwitchTotalMs = 6000;

// 1 when the first `length` bytes of body hold the marker. Zero bytes in the
// body do not end the search, and nothing past `length` is read.
int BodySaysSwitchedOff(const char* body, size_t length);

// Asks host:port for the switch file. Always returns 1, within about
// kSwitchTotalMs; *mayRun is 1 unless a body was read in that time that holds
// the marker in its first kSwitchBufferBytes (the status code is not looked at).
int CheckRemoteSwitchAt(const std::wstring& host, uint16_t port, int* mayRun);

// The same against the configured object-storage host (VENTARO_SWITCH_HOST).
int CheckRemoteSwitch(int* mayRun);
