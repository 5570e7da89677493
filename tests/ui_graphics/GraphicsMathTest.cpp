// Rectangle, dirty-area and drawing arithmetic without any graphics.
#include <gtest/gtest.h>

#include "graphics/GraphicsMath.h"
#include "graphics/UIRect.h"

TEST(UIRect, UnionIgnoresEmptyAndCoversBoth) {
    EXPECT_EQ(DUIRectUnion({}, {3, 4, 5, 6}), (DUIRect{3, 4, 5, 6}));
    EXPECT_EQ(DUIRectUnion({3, 4, 5, 6}, {9, 9, 0, 10}), (DUIRect{3, 4, 5, 6}));
    EXPECT_EQ(DUIRectUnion({0, 0, 1, 1}, {99, 49, 1, 1}), (DUIRect{0, 0, 100, 50}));
    EXPECT_EQ(DUIRectUnion({10, 10, 5, 5}, {2, 12, 3, 20}), (DUIRect{2, 10, 13, 22}));
}

TEST(UIRect, IntersectAndContains) {
    EXPECT_EQ(DUIRectIntersect({0, 0, 10, 10}, {5, 5, 10, 10}), (DUIRect{5, 5, 5, 5}));
    EXPECT_TRUE(DUIRectIsEmpty(DUIRectIntersect({0, 0, 10, 10}, {10, 0, 5, 5})));  // touching edges do not overlap
    EXPECT_TRUE(DUIRectIsEmpty(DUIRectIntersect({0, 0, 10, 10}, {2, 2, -1, 5})));
    EXPECT_TRUE(DUIRectContains({0, 0, 10, 10}, 0, 9));
    EXPECT_FALSE(DUIRectContains({0, 0, 10, 10}, 10, 5));
    EXPECT_FALSE(DUIRectContains({0, 0, 10, 10}, 5, 10));
}

TEST(UIRect, NegativeOriginClampsButKeepsSize) {
    EXPECT_EQ(DUIRectClampOrigin({-5, -5, 10, 10}), (DUIRect{0, 0, 10, 10}));
    EXPECT_EQ(DUIRectClampOrigin({-5, 7, 3, 4}), (DUIRect{0, 7, 3, 4}));
}

TEST(GraphicsMath, TextWidthCountsWideCharactersWide) {
    EXPECT_EQ(TextWidthByMetrics(L"", 6, 12), 0);
    EXPECT_EQ(TextWidthByMetrics(L"ab1", 6, 12), 18);
    EXPECT_EQ(TextWidthByMetrics(L"a中文", 6, 12), 30);
    EXPECT_EQ(CharWidthByMetrics(L'\x7F', 6, 12), 6);
    EXPECT_EQ(CharWidthByMetrics(L'\xE9', 6, 12), 12);  // anything outside ASCII counts as wide
}

TEST(GraphicsMath, NegativeSourceSizesMirror) {
    SkinSource plain = NormalizeSkinSource({4, 5, 6, 7});
    EXPECT_EQ(plain.region, (DUIRect{4, 5, 6, 7}));
    EXPECT_FALSE(plain.mirrorX);
    EXPECT_FALSE(plain.mirrorY);
    SkinSource flipped = NormalizeSkinSource({8, 10, -6, -4});
    EXPECT_EQ(flipped.region, (DUIRect{2, 6, 6, 4}));
    EXPECT_TRUE(flipped.mirrorX);
    EXPECT_TRUE(flipped.mirrorY);
}

TEST(GraphicsMath, UnstretchedDestinationUsesSourceSize) {
    EXPECT_EQ(SkinDestination({10, 20, 100, 50}, {0, 0, 8, -6}, 0), (DUIRect{10, 20, 8, 6}));
    EXPECT_EQ(SkinDestination({10, 20, 100, 50}, {0, 0, 8, 6}, 1), (DUIRect{10, 20, 100, 50}));
}

TEST(GifFrameClock, DelaysAreCentisecondsAndFramesWrap) {
    GifFrameClock clock;
    clock.SetDelaysCentiseconds({10, 20, 30});
    EXPECT_EQ(clock.FrameCount(), 3u);
    EXPECT_EQ(clock.DelayMs(1), 200u);
    EXPECT_EQ(clock.DelayMs(7), 0u);
    EXPECT_EQ(clock.Advance(60), 0);
    EXPECT_EQ(clock.CurrentFrame(), 0u);
    EXPECT_EQ(clock.Advance(60), 1);  // 120 ms >= 100 ms
    EXPECT_EQ(clock.CurrentFrame(), 1u);
    EXPECT_EQ(clock.Advance(190), 1);  // 20 carried + 190 >= 200
    EXPECT_EQ(clock.CurrentFrame(), 2u);
    EXPECT_EQ(clock.Advance(300), 1);
    EXPECT_EQ(clock.CurrentFrame(), 0u);  // wrapped
}

TEST(GifFrameClock, ZeroDelaysAndSingleFramesAreSafe) {
    GifFrameClock still;
    still.SetDelaysCentiseconds({5});
    EXPECT_EQ(still.Advance(1000), 0);
    GifFrameClock zero;
    zero.SetDelaysCentiseconds({0, 0});
    EXPECT_EQ(zero.Advance(30), 1);  // one frame per tick, never a spin
    EXPECT_EQ(zero.CurrentFrame(), 1u);
    GifFrameClock huge;
    huge.SetDelaysCentiseconds({1, 1, 1});
    huge.Advance(10000000);  // a stalled clock does not loop for ever
    EXPECT_LT(huge.CurrentFrame(), 3u);
}

TEST(GraphicsMath, FormatNumbersNameTheirMimeTypes) {
    EXPECT_STREQ(ImageFormatMimeType(0), L"unknown");
    EXPECT_STREQ(ImageFormatMimeType(1), L"image/bmp");
    EXPECT_STREQ(ImageFormatMimeType(6), L"image/bmp");
    EXPECT_STREQ(ImageFormatMimeType(7), L"image/jpeg");
    EXPECT_STREQ(ImageFormatMimeType(8), L"image/gif");
    EXPECT_STREQ(ImageFormatMimeType(10), L"image/png");
    EXPECT_STREQ(ImageFormatMimeType(11), L"unknown");
    EXPECT_STREQ(ImageFormatMimeType(-1), L"unknown");
}

TEST(GraphicsMath, AlignmentAndFormatBits) {
    EXPECT_EQ(HorizontalAlignmentOf(17), 0);
    EXPECT_EQ(VerticalAlignmentOf(17), 1);
    EXPECT_EQ(HorizontalAlignmentOf(18), 1);
    EXPECT_EQ(HorizontalAlignmentOf(20), 2);
    EXPECT_EQ(VerticalAlignmentOf(0x20 | 1), 2);
    EXPECT_EQ(VerticalAlignmentOf(0), 0);
    EXPECT_EQ(StringFormatFlagsOf(5), 0x2000 | 0x4000);
    EXPECT_EQ(StringFormatFlagsOf(2), 0x1);
    EXPECT_EQ(StringFormatFlagsOf(0), 0);
}

TEST(GraphicsMath, EmptyLinesKeepTheirPlace) {
    EXPECT_EQ(TextWithEmptyLinesKept(L"已发布!\n\n是否?"), L"已发布!\n \n是否?");
    EXPECT_EQ(TextWithEmptyLinesKept(L"a\r\n\r\nb"), L"a\r\n \r\nb");
    EXPECT_EQ(TextWithEmptyLinesKept(L"\nb"), L" \nb");
    EXPECT_EQ(TextWithEmptyLinesKept(L"a\n"), L"a\n");  // nothing follows the last break
    EXPECT_EQ(TextWithEmptyLinesKept(L"a\nb"), L"a\nb");
    EXPECT_EQ(TextWithEmptyLinesKept(L""), L"");
}

TEST(GraphicsMath, RawPixelsAreTakenOnlyWhole) {
    // 3 x 2 pixels, stride 12, as the build writes them.
    std::vector<unsigned char> bytes = {'V', 'P', 'I', 'X', 3, 0, 0, 0, 2, 0, 0, 0, 12, 0, 0, 0};
    bytes.resize(16 + 24, 0x7F);
    RawPixels raw;
    ASSERT_EQ(ParseRawPixels(bytes.data(), bytes.size(), &raw), 1);
    EXPECT_EQ(raw.width, 3);
    EXPECT_EQ(raw.height, 2);
    EXPECT_EQ(raw.stride, 12);
    EXPECT_EQ(raw.offset, 16u);
    EXPECT_EQ(ParseRawPixels(bytes.data(), bytes.size() - 1, &raw), 0);  // the last row cut short
    auto with = [&](size_t at, unsigned char value) {
        std::vector<unsigned char> changed = bytes;
        changed[at] = value;
        return ParseRawPixels(changed.data(), changed.size(), nullptr);
    };
    EXPECT_EQ(with(0, 'P'), 0);   // a PNG or anything else
    EXPECT_EQ(with(4, 0), 0);     // no width
    EXPECT_EQ(with(12, 8), 0);    // rows narrower than their pixels
    EXPECT_EQ(with(12, 14), 0);   // a stride off the 4-byte grid
    EXPECT_EQ(with(11, 0x40), 0); // a height far beyond the bytes
    EXPECT_EQ(ParseRawPixels(bytes.data(), 15, nullptr), 0);
}
