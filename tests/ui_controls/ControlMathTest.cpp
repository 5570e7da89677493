// Slider, progress, colour, scroll, list and pie arithmetic.
#include <gtest/gtest.h>

#include <limits>

#include "controls/ControlMath.h"

TEST(Slider, DragValueMaximum100Width200) {
    EXPECT_EQ(SliderValueFromPointer(50 + 30, 30, 200, 100), 25);
    EXPECT_EQ(SliderValueFromPointer(30 + 200, 30, 200, 100), 100);
    EXPECT_EQ(SliderValueFromPointer(10, 30, 200, 100), -10);  // clamped by the setter
    EXPECT_EQ(ClampSliderValue(150, 100), 100);
    EXPECT_EQ(ClampSliderValue(-3, 100), 0);
    EXPECT_EQ(ClampSliderValue(42, 100), 42);
    // Narrower than the maximum: still proportional, no division by zero.
    EXPECT_EQ(SliderValueFromPointer(25, 0, 50, 100), 50);
    EXPECT_EQ(SliderValueFromPointer(25, 0, 0, 100), 0);
    EXPECT_EQ(SliderValueFromPointer(25, 0, 50, 0), 0);
}

TEST(Slider, TrackClickValue) {
    EXPECT_EQ(SliderValueFromTrackClick(100, 200, 100), 50);
    EXPECT_EQ(SliderValueFromTrackClick(0, 200, 360), 0);
    EXPECT_EQ(SliderValueFromTrackClick(150, 200, 360), 270);
    EXPECT_EQ(SliderValueFromTrackClick(10, 0, 100), 0);
}

TEST(Slider, HorizontalLayoutPutsTheButtonCentreAtTheValue) {
    const DUIRect c{10, 20, 220, 16};
    SliderPieces p = SliderLayout(0, c, 10, 10, 12, 16, 100, 50);
    EXPECT_EQ(p.head, (DUIRect{10, 20, 10, 16}));
    EXPECT_EQ(p.tail, (DUIRect{220, 20, 10, 16}));
    EXPECT_EQ(p.back, (DUIRect{20, 20, 200, 16}));
    EXPECT_EQ(p.button, (DUIRect{114, 20, 12, 16}));  // 2 * 50 + 20 - 6
    EXPECT_EQ(p.fore, (DUIRect{20, 20, 100, 16}));    // ends at the button's centre
    p = SliderLayout(0, c, 10, 10, 12, 16, 100, 0);
    EXPECT_EQ(p.button.x, 14);
    // A back shorter than the maximum still spreads the values.
    p = SliderLayout(0, DUIRect{0, 0, 170, 10}, 10, 10, 10, 10, 300, 300);
    EXPECT_EQ(p.button.x, 10 + 150 - 5);
}

TEST(Slider, VerticalLayoutRunsAlongY) {
    SliderPieces p = SliderLayout(1, DUIRect{5, 0, 16, 380}, 10, 10, 16, 20, 360, 180);
    EXPECT_EQ(p.head, (DUIRect{5, 0, 16, 10}));
    EXPECT_EQ(p.back, (DUIRect{5, 10, 16, 360}));
    EXPECT_EQ(p.tail, (DUIRect{5, 370, 16, 10}));
    EXPECT_EQ(p.button, (DUIRect{5, 180, 16, 20}));  // keeps x; 180 + 10 - 10
    EXPECT_EQ(p.fore.height, 180);
}

TEST(Progress, LayoutAndUnsignedClamp) {
    ProgressPieces p = ProgressLayout(DUIRect{0, 0, 120, 10}, 10, 10, 100, 50);
    EXPECT_EQ(p.background, (DUIRect{0, 0, 120, 10}));
    EXPECT_EQ(p.head, (DUIRect{0, 0, 10, 10}));
    EXPECT_EQ(p.body, (DUIRect{10, 0, 50, 10}));
    EXPECT_EQ(p.tail, (DUIRect{60, 0, 10, 10}));
    EXPECT_EQ(ClampProgressValue(150, 100), 100u);
    EXPECT_EQ(ClampProgressValue(static_cast<unsigned>(-1), 100), 100u);  // compared unsigned
    p = ProgressLayout(DUIRect{0, 0, 120, 10}, 10, 10, 0, 5);
    EXPECT_EQ(p.body.width, 0);  // no maximum, no division by zero
}

TEST(ColorSelect, HsvToArgbPrimaries) {
    EXPECT_EQ(HsvToArgb(0, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(HsvToArgb(120, 1, 1), 0xFF00FF00u);
    EXPECT_EQ(HsvToArgb(240, 1, 1), 0xFF0000FFu);
    EXPECT_EQ(HsvToArgb(360, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(HsvToArgb(60, 1, 1), 0xFFFFFF00u);
    EXPECT_EQ(HsvToArgb(200, 0, 1), 0xFFFFFFFFu);
    EXPECT_EQ(HsvToArgb(200, 1, 0), 0xFF000000u);
    EXPECT_EQ(HsvToArgb(0, 1, 0.5f), 0xFF800000u);
    // Absurd input gives a colour, not undefined casts.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(HsvToArgb(nan, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(HsvToArgb(inf, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(HsvToArgb(0, nan, 1), 0xFFFFFFFFu);
    EXPECT_EQ(HsvToArgb(0, 1, nan), 0xFF000000u);
}

TEST(ColorSelect, MarkerFollowsTheFormula) {
    const DUIRect field{20, 30, 200, 150};
    int x = 0, y = 0;
    ColorFieldMarker(field, 1, 1, &x, &y);
    EXPECT_EQ(x, 220);
    EXPECT_EQ(y, 30);
    ColorFieldMarker(field, 0.5f, 0.25f, &x, &y);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 30 + 75 * 150 / 100);
    float s = 0, v = 0;
    ColorFieldValues(field, 120, 30 + 112, &s, &v);
    EXPECT_NEAR(s, 0.5f, 0.01f);
    EXPECT_NEAR(v, 0.25f, 0.01f);
    ColorFieldValues(field, -50, 1000, &s, &v);
    EXPECT_EQ(s, 0.0f);
    EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(HueSliderValue(0), 360);
    EXPECT_EQ(HueSliderValue(90), 270);
    EXPECT_EQ(HueFromSliderValue(270), 90.0f);
}

TEST(ScrollBar, ThumbSizeAndPosition) {
    ScrollMetrics m = ScrollThumb(1000, 100, 0, 200);
    EXPECT_EQ(m.thumbLength, 20);
    EXPECT_EQ(m.thumbStart, 0);
    m = ScrollThumb(1000, 100, 900, 200);
    EXPECT_EQ(m.thumbStart, 180);
    m = ScrollThumb(1000, 100, 5000, 200);  // past the end: clamped
    EXPECT_EQ(m.thumbStart, 180);
    m = ScrollThumb(100000, 10, 0, 200);
    EXPECT_EQ(m.thumbLength, 8);  // never thinner than the minimum
    m = ScrollThumb(50, 100, 0, 200);
    EXPECT_EQ(m.thumbLength, 0);  // everything fits
    EXPECT_EQ(ScrollPositionFromThumb(90, 1000, 100, 200), 450);
    EXPECT_EQ(ScrollPositionFromThumb(500, 1000, 100, 200), 900);
    EXPECT_EQ(ClampScrollPosition(-5, 1000, 100), 0);
}

TEST(ListBox, RowsAndScrollingIntoView) {
    EXPECT_EQ(ListVisibleRows(100, 18), 5);
    EXPECT_EQ(ListVisibleRows(100, 0), 0);
    EXPECT_EQ(ListScrollIntoView(0, 5, 7, 20), 3);
    EXPECT_EQ(ListScrollIntoView(10, 5, 4, 20), 4);
    EXPECT_EQ(ListScrollIntoView(2, 5, 4, 20), 2);
    EXPECT_EQ(ListScrollIntoView(2, 5, 40, 20), 2);  // no such item
    EXPECT_EQ(ListRowAt(40, 18, 3, 20), 5);
    EXPECT_EQ(ListRowAt(40, 18, 3, 5), -1);
    EXPECT_EQ(ListRowAt(-1, 18, 0, 5), -1);
}

TEST(PieChart, ItemsNestInward) {
    const DUIRect c{0, 0, 120, 60};
    EXPECT_EQ(PieInset(c, 0, 3), c);
    EXPECT_EQ(PieInset(c, 1, 3), (DUIRect{20, 10, 80, 40}));
    EXPECT_EQ(PieInset(c, 2, 3), (DUIRect{40, 20, 40, 20}));
    EXPECT_EQ(PieInset(c, 0, 0), c);
}
