#pragma once
// Attribute syntaxes of the skin description, as plain functions so that the
// reader's arithmetic can be tested without a document or a window.
#include <cstdint>
#include <string_view>

namespace skinparse {

// Leading decimal digits like strtol (optional white space and sign); empty
// or non-numeric text gives 0; values beyond 32 bits are clamped.
int32_t ParseInt(std::wstring_view text);

// Lower-cased "true" or "1" is true; anything else, also empty, is false.
int ParseBool(std::wstring_view text);

// Leading float like atof; empty or non-numeric text gives 0.
float ParseFloat(std::wstring_view text);

// Hexadecimal digits accumulated as value * 16 + digit in 32-bit arithmetic
// (more than eight digits keep the low 32 bits); the first character outside
// 0-9, a-f (case-insensitive) makes the whole value 0.
uint32_t ParseHexAccumulate(std::wstring_view digits);

// A `Color` attribute: "0x" prefix -> ParseHexAccumulate of the rest;
// otherwise an unsigned decimal number (clamped to 32 bits). Empty -> 0.
uint32_t ParseColor(std::wstring_view text);

// A `ColorParam` attribute: always hexadecimal, the "0x" prefix optional.
uint32_t ParseColorParam(std::wstring_view text);

// Width or height of a skin rect from two edges, kept within 32 bits even for
// absurd coordinates.
int32_t EdgeSpan(int32_t from, int32_t to);

}  // namespace skinparse
