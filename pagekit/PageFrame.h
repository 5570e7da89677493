#pragma once
// The frame every feature page shares, so the header row and the first card
// stay on the same window pixels when the user switches pages. Numbers are
// relative to a page's root panel, which covers the window below the title
// strip.
//
//   header row:   return button at the left, the page title after it
//   left column:  the page's list in a card, where the page has one
//   editing area: cards to the right of the column (or from the margin)
#include <cstdint>

namespace pageframe {

struct Box {
    int32_t x, y, width, height;
};

inline constexpr int32_t kStripHeight = 50;  // the client window's title strip
inline constexpr Box kPage{0, kStripHeight, 1366, 768 - kStripHeight};

inline constexpr int32_t kMargin = 24;   // page edge
inline constexpr int32_t kPadding = 16;  // inside a card
inline constexpr int32_t kCardGap = 24;  // between cards

// Header row.
inline constexpr Box kReturnButton{kMargin, 8, 96, 36};
inline constexpr Box kTitle{kReturnButton.x + kReturnButton.width + kPadding, kReturnButton.y, 300,
                            kReturnButton.height};

// Cards start under the header row, each page's first one at the same line.
inline constexpr int32_t kCardTop = 60;
inline constexpr int32_t kCardBottom = kPage.height - kMargin;  // lowest line a card reaches

// Left column: a card holding a list whose rows are drawn 296 wide (the list
// keeps 2 px clear around them).
inline constexpr int32_t kListWidth = 296 + 4;
inline constexpr int32_t kColumnWidth = kListWidth + 2 * kPadding;
inline constexpr Box kColumn{kMargin, kCardTop, kColumnWidth, kCardBottom - kCardTop};

// Editing area right of the column.
inline constexpr int32_t kEditorLeft = kColumn.x + kColumn.width + kCardGap;
inline constexpr int32_t kEditorWidth = kPage.width - kEditorLeft - kMargin;

}  // namespace pageframe
