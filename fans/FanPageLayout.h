#pragma once
// Where the fan page puts its controls. Plain numbers, relative to the
// page's panel, which covers the window below the 50-pixel title strip.
//
//   header row:  return button, page title
//   left card:   temperature gauge (pie with a hole, the label inside)
//   right cards: processor (name; clock, voltage, load rows with bars)
//                fan speed (slider and its value; "自动" and "确定")
#include <cstdint>

#include "PageFrame.h"

namespace fanlayout {

using Box = pageframe::Box;

constexpr int32_t kStripHeight = pageframe::kStripHeight;
constexpr Box kPanel = pageframe::kPage;

constexpr int32_t kMargin = pageframe::kMargin;  // page edge and between cards
constexpr int32_t kPadding = pageframe::kPadding;  // inside a card
constexpr int32_t kHeadHeight = 24;

// Header row: the frame every page shares.
constexpr Box kReturnButton = pageframe::kReturnButton;
constexpr Box kTitle = pageframe::kTitle;

// Cards.
constexpr int32_t kCardTop = pageframe::kCardTop;
constexpr Box kTemperatureCard{kMargin, kCardTop, 420, 560};
constexpr int32_t kRightX = kTemperatureCard.x + kTemperatureCard.width + kMargin;
constexpr int32_t kRightWidth = kPanel.width - kRightX - kMargin;
constexpr Box kProcessorCard{kRightX, kCardTop, kRightWidth, 300};
constexpr Box kSpeedCard{kRightX, kProcessorCard.y + kProcessorCard.height + kMargin, kRightWidth,
                         kTemperatureCard.height - kProcessorCard.height - kMargin};

// Inside a card (relative to the card).
constexpr Box CardHead(const Box& card) { return {kPadding, kPadding, card.width - 2 * kPadding, kHeadHeight}; }

// Temperature card: the gauge centred below the head, the hole a ring's width in.
constexpr int32_t kGaugeSize = 340;
constexpr int32_t kRingWidth = 36;
constexpr int32_t kGaugeTop = kPadding + kHeadHeight;  // the space below the head, the gauge in its middle
constexpr Box kGauge{(kTemperatureCard.width - kGaugeSize) / 2,
                     kGaugeTop + (kTemperatureCard.height - kGaugeTop - kGaugeSize) / 2, kGaugeSize, kGaugeSize};
constexpr Box kGaugeHole{kGauge.x + kRingWidth, kGauge.y + kRingWidth, kGaugeSize - 2 * kRingWidth,
                         kGaugeSize - 2 * kRingWidth};
constexpr Box kTemperatureLabel{kGaugeHole.x, kGaugeHole.y + kGaugeHole.height / 2 - 36, kGaugeHole.width, 72};

// Processor card: the name under the head, then three rows of caption, bar, value.
constexpr Box kProcessorName{kPadding, kPadding + kHeadHeight + 12, kProcessorCard.width - 2 * kPadding, 24};
constexpr int32_t kRowTop = kProcessorName.y + kProcessorName.height + 28;
constexpr int32_t kRowStep = 60;
constexpr int32_t kRowHeight = 24;
constexpr int32_t kCaptionWidth = 72;
constexpr int32_t kValueWidth = 96;
constexpr int32_t kBarHeight = 8;
constexpr Box RowCaption(int row) { return {kPadding, kRowTop + row * kRowStep, kCaptionWidth, kRowHeight}; }
constexpr Box RowBar(int row) {
    return {kPadding + kCaptionWidth + 16, kRowTop + row * kRowStep + (kRowHeight - kBarHeight) / 2,
            kProcessorCard.width - 2 * kPadding - kCaptionWidth - kValueWidth - 32, kBarHeight};
}
constexpr Box RowValue(int row) {
    return {kProcessorCard.width - kPadding - kValueWidth, kRowTop + row * kRowStep, kValueWidth, kRowHeight};
}

// Speed card: the slider row, then the buttons along the bottom.
constexpr int32_t kSliderHeight = 20;
constexpr int32_t kButtonWidth = 128;
constexpr int32_t kButtonHeight = 36;
constexpr Box kSpeedValue{kSpeedCard.width - kPadding - kValueWidth, kPadding + kHeadHeight + 32, kValueWidth,
                          kRowHeight};
constexpr Box kSlider{kPadding, kSpeedValue.y + (kRowHeight - kSliderHeight) / 2,
                      kSpeedCard.width - 2 * kPadding - kValueWidth - 16, kSliderHeight};
constexpr Box kAutoButton{kPadding, kSpeedCard.height - kPadding - kButtonHeight, kButtonWidth, kButtonHeight};
constexpr Box kConfirmButton{kSpeedCard.width - kPadding - kButtonWidth, kAutoButton.y, kButtonWidth,
                             kButtonHeight};
constexpr Box kSpeedHint{kAutoButton.x + kAutoButton.width + 16, kAutoButton.y,
                         kConfirmButton.x - kAutoButton.x - kAutoButton.width - 32, kButtonHeight};

// Under the speed card (relative to the page): automatic mode has no reading.
constexpr Box kPausedHint{kSpeedCard.x + kPadding, kSpeedCard.y + kSpeedCard.height + 12,
                          kSpeedCard.width - 2 * kPadding, 24};

}  // namespace fanlayout
