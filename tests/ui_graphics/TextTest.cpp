// Fonts with fallback and text drawn into a DIB: Chinese text must show even
// where the skin's families ("黑体", "宋体") are not installed.
#include <gtest/gtest.h>

#include "PixelSurface.h"
#include "graphics/GDIPlugCtrl.h"

namespace {

bool HasInk(DWORD p) { return (p >> 24) != 0; }

struct InkBox {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1, count = 0;
};

InkBox FindInk(PixelSurface& s) {
    InkBox box;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (HasInk(s.Pixel(x, y))) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
                ++box.count;
            }
    return box;
}

}  // namespace

TEST(Font, MissingFamiliesFallBackAndStillWork) {
    for (const wchar_t* family : {L"黑体", L"宋体", L"No Such Family 12345"}) {
        CGDIPlug_FontCtrl font;
        ASSERT_EQ(font.Create(family, 12.0f, 0, 3), 1) << "status " << font.GetLastStatus();
        EXPECT_NE(font.GetFont(), nullptr);
        EXPECT_FALSE(font.GetFamilyName().empty());
        int ascii = 0, wide = 0, line = 0;
        ASSERT_EQ(font.GetMetrics(nullptr, &ascii, &wide, &line), 1);
        EXPECT_GT(ascii, 0);
        EXPECT_GE(wide, ascii);
        EXPECT_GT(line, 10);  // 12 pt at 96 dpi is 16 pixels
    }
}

TEST(Font, StyleBitsAndBadSizes) {
    CGDIPlug_FontCtrl font;
    ASSERT_EQ(font.Create(L"黑体", 14.0f, 1 | 4, 3), 1);
    EXPECT_EQ(font.GetFont()->GetStyle(), 1 | 4);
    LOGFONTW lf{};
    ASSERT_EQ(font.GetLogFont(&lf), 1);
    EXPECT_GE(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfUnderline);
    CGDIPlug_FontCtrl copy;
    ASSERT_EQ(copy.CreateFromLogFont(nullptr, lf), 1);
    CGDIPlug_FontCtrl bad;
    EXPECT_EQ(bad.Create(L"黑体", 0.0f, 0, 3), 0);
    EXPECT_EQ(bad.GetFont(), nullptr);
    int a = -1, w = -1, h = -1;
    EXPECT_EQ(bad.GetMetrics(nullptr, &a, &w, &h), 0);
    EXPECT_EQ(a + w + h, 0);
}

TEST(Text, ChineseRendersPixelsWithTheFallbackFont) {
    CGDIPlug_FontCtrl font;
    ASSERT_EQ(font.Create(L"黑体", 12.0f, 0, 3), 1);
    PixelSurface s(200, 40);
    CGDIPlug_StringCtrl text;
    ASSERT_EQ(text.Init(s.Graphics(), &font, 0xFFFFFFFF, 4095), 1);
    ASSERT_EQ(text.DrawString(nullptr, L"风扇控制", DUIRectF{0, 0, 200, 40}), 1);
    const InkBox ink = FindInk(s);
    EXPECT_GT(ink.count, 60) << "family " << std::string(font.GetFamilyName().begin(), font.GetFamilyName().end());
    // Four glyphs side by side, each roughly square.
    EXPECT_GT(ink.right - ink.left, 40);
}

TEST(Text, AlignmentBitsPlaceTheText) {
    CGDIPlug_FontCtrl font;
    ASSERT_EQ(font.Create(L"黑体", 12.0f, 0, 3), 1);
    CGDIPlug_StringCtrl text;
    ASSERT_EQ(text.Init(nullptr, &font, 0xFF000000, 0), 1);
    int align = 0, bits = 0, trim = -1;
    DUIColor color = 0;
    text.GetRecord(&color, &align, &bits, &trim);
    EXPECT_EQ(align, 17);
    EXPECT_EQ(bits, 5);
    EXPECT_EQ(trim, 0);

    PixelSurface left(300, 60), centre(300, 60), right(300, 60);
    ASSERT_EQ(text.DrawString(left.Graphics(), L"OK 确定", DUIRectF{0, 0, 300, 60}), 1);
    text.SetAlignment(18);
    ASSERT_EQ(text.DrawString(centre.Graphics(), L"OK 确定", DUIRectF{0, 0, 300, 60}), 1);
    text.SetAlignment(20);
    ASSERT_EQ(text.DrawString(right.Graphics(), L"OK 确定", DUIRectF{0, 0, 300, 60}), 1);
    const InkBox l = FindInk(left), c = FindInk(centre), r = FindInk(right);
    ASSERT_GT(l.count, 0);
    EXPECT_LT(l.left, 10);
    EXPECT_NEAR((c.left + c.right) / 2, 150, 8);
    EXPECT_GT(r.right, 290);
    // Vertically centred (bit 4) in all three.
    EXPECT_NEAR((l.top + l.bottom) / 2, 30, 6);
}

TEST(Text, ColourChangesAndMeasuring) {
    CGDIPlug_FontCtrl font;
    ASSERT_EQ(font.Create(L"宋体", 12.0f, 0, 3), 1);
    CGDIPlug_StringCtrl text;
    ASSERT_EQ(text.Init(nullptr, &font, 0xFF000000, 0), 1);
    ASSERT_EQ(text.SetTextColor(0xFFFF0000), 1);
    ASSERT_EQ(text.SetTextColor(0xFFFF0000), 1);  // unchanged: nothing to do
    PixelSurface s(100, 30);
    ASSERT_EQ(text.DrawString(s.Graphics(), L"HH", DUIRectF{0, 0, 100, 30}), 1);
    bool sawRed = false;
    for (int y = 0; y < 30 && !sawRed; ++y)
        for (int x = 0; x < 100; ++x)
            if (s.Pixel(x, y) == 0xFFFF0000) sawRed = true;
    EXPECT_TRUE(sawRed);

    float w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    ASSERT_EQ(text.Measure(nullptr, L"ab", &w1, &h1), 1);
    ASSERT_EQ(text.Measure(nullptr, L"abab", &w2, &h2), 1);
    EXPECT_GT(w1, 0);
    EXPECT_GT(w2, w1 * 1.5f);
    EXPECT_GT(h1, 8);
    float wc = 0, hc = 0;
    ASSERT_EQ(text.Measure(nullptr, L"中文", &wc, &hc), 1);
    EXPECT_GT(wc, w1);  // Chinese glyphs are wider than Latin ones

    std::vector<DUIRectF> boxes;
    ASSERT_EQ(text.MeasureCharacterRanges(nullptr, L"a中b", DUIRectF{0, 0, 500, 40}, &boxes), 1);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_LT(boxes[0].x, boxes[1].x);
    EXPECT_LT(boxes[1].x, boxes[2].x);
    EXPECT_GT(boxes[1].width, boxes[0].width);
    // More than one measuring batch of 32 characters.
    ASSERT_EQ(text.MeasureCharacterRanges(nullptr, std::wstring(40, L'x'), DUIRectF{0, 0, 2000, 40}, &boxes), 1);
    ASSERT_EQ(boxes.size(), 40u);
    EXPECT_GT(boxes[39].x, boxes[31].x);
}

TEST(Text, UninitialisedStringDrawsNothing) {
    CGDIPlug_StringCtrl text;
    PixelSurface s(20, 20);
    EXPECT_EQ(text.DrawString(s.Graphics(), L"x", DUIRectF{0, 0, 20, 20}), 0);
    float w = -1, h = -1;
    EXPECT_EQ(text.Measure(nullptr, L"x", &w, &h), 0);
    EXPECT_EQ(w, 0);
}
