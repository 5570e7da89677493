#pragma once
// Where the client window puts its own controls in the 1366 x 768 window:
// the title strip (also the drag strip) and the home view. Plain numbers, so
// the rules of the look can be checked without a window.
#include <cstdint>

namespace clientlayout {

struct Box {
    int32_t x, y, width, height;
};

constexpr int32_t kWindowWidth = 1366;
constexpr int32_t kWindowHeight = 768;

// Title strip: 0-50; the caption buttons 36 x 36, 8 px apart, vertically
// centred, the last one 12 px from the right edge.
constexpr int32_t kStripHeight = 50;
constexpr int32_t kCaptionButton = 36;
constexpr int32_t kCaptionGap = 8;
constexpr int32_t kCaptionRightMargin = 12;
constexpr int32_t kCaptionTop = (kStripHeight - kCaptionButton) / 2;
constexpr Box kCloseButton{kWindowWidth - kCaptionRightMargin - kCaptionButton, kCaptionTop, kCaptionButton,
                           kCaptionButton};
constexpr Box kMinButton{kCloseButton.x - kCaptionGap - kCaptionButton, kCaptionTop, kCaptionButton, kCaptionButton};
constexpr Box kAccountButton{kMinButton.x - kCaptionGap - kCaptionButton, kCaptionTop, kCaptionButton,
                             kCaptionButton};
constexpr Box kProductMark{16, (kStripHeight - 28) / 2, 28, 28};
constexpr Box kProductName{52, 0, 200, kStripHeight};

// Home view: the feature picture centred under the strip, the arrows at its
// left and right edges, "EnterButton" centred below it, the four feature
// buttons as one tab row along the bottom. Pictures and plates are shown at
// the size they are drawn in.
constexpr int32_t kPictureWidth = 432;
constexpr int32_t kPictureHeight = 296;
constexpr Box kPicture{(kWindowWidth - kPictureWidth) / 2, 150, kPictureWidth, kPictureHeight};
constexpr int32_t kArrowWidth = 56;
constexpr int32_t kArrowHeight = 112;
constexpr int32_t kArrowGap = 40;
constexpr Box kBeforArrow{kPicture.x - kArrowGap - kArrowWidth, kPicture.y + (kPictureHeight - kArrowHeight) / 2,
                          kArrowWidth, kArrowHeight};
constexpr Box kAfterArrow{kPicture.x + kPictureWidth + kArrowGap, kBeforArrow.y, kArrowWidth, kArrowHeight};
constexpr int32_t kEnterWidth = 200;
constexpr int32_t kEnterHeight = 52;
constexpr Box kEnterButton{(kWindowWidth - kEnterWidth) / 2, kPicture.y + kPictureHeight + 32, kEnterWidth,
                           kEnterHeight};
constexpr int32_t kTabWidth = 160;
constexpr int32_t kTabHeight = 76;
constexpr int32_t kTabGap = 16;
constexpr int32_t kTabRowWidth = 4 * kTabWidth + 3 * kTabGap;
constexpr int32_t kTabTop = kWindowHeight - kTabHeight - 24;

// Tab i (0 lighting .. 3 update).
constexpr Box FeatureTab(int i) {
    return Box{(kWindowWidth - kTabRowWidth) / 2 + i * (kTabWidth + kTabGap), kTabTop, kTabWidth, kTabHeight};
}

}  // namespace clientlayout
