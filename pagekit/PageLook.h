#pragma once
// The product look's colours (ARGB), one set for the client window and every
// page, so pages built apart still read as one program. The engine paints
// labels black by default: pages set their text colours from here.
#include <cstdint>

namespace pagelook {

inline constexpr uint32_t kWindow = 0xFF0B0F14;         // window background
inline constexpr uint32_t kCard = 0xFF121821;           // panels and cards
inline constexpr uint32_t kRaised = 0xFF1A2230;         // list rows, inputs
inline constexpr uint32_t kHairline = 0xFF263042;       // frames and separators
inline constexpr uint32_t kText = 0xFFE8ECF2;           // primary text
inline constexpr uint32_t kSecondaryText = 0xFF9AA4B2;  // units, hints
inline constexpr uint32_t kDisabledText = 0xFF4A5363;
inline constexpr uint32_t kAccent = 0xFFFF6A00;  // actions, selection, live values
inline constexpr uint32_t kAccentHover = 0xFFFF8A33;
inline constexpr uint32_t kOnAccent = 0xFF0B0F14;  // text on the accent

}  // namespace pagelook
