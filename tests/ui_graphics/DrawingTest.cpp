// Brushes, pens and images drawn into a 32-bit DIB, checked pixel by pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "PixelSurface.h"
#include "TestPaths.h"
#include "graphics/GDIPlugCtrl.h"

namespace {

constexpr UINT kSkinPng = 101;     // 8 x 8: columns 0-1 red, 2-3 green, 4-5 blue, 6-7 white at alpha 127
constexpr UINT kAnimGif = 102;     // 4 x 4, frames red / green / blue, 10 / 20 / 30 cs
constexpr UINT kTinyBitmap = 103;  // 4 x 4 yellow, RT_BITMAP
constexpr UINT kSkinRcData = 104;  // the skin again, as RCDATA

HMODULE Self() { return GetModuleHandleW(nullptr); }

std::vector<char> ReadFileBytes(const std::wstring& path) {
    std::vector<char> bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return bytes;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    return bytes;
}

std::wstring DataFile(const wchar_t* name) { return testpaths::SourceDir() + L"\\tests\\ui_graphics\\data\\" + name; }

}  // namespace

TEST(Brush, SolidFillKeepsAlphaPremultiplied) {
    PixelSurface s(20, 20);
    CGDIPlug_BrushCtrl brush;
    ASSERT_EQ(brush.CreateSolid(0xFF00FF00), 1);
    ASSERT_EQ(brush.FillRectangle(s.Graphics(), 0, 0, 10, 10), 1);
    ASSERT_EQ(brush.SetColor(0x80FF0000), 1);
    ASSERT_EQ(brush.FillRectangle(s.Graphics(), DUIRect{10, 10, 10, 10}), 1);
    EXPECT_EQ(s.Pixel(2, 2), 0xFF00FF00u);
    EXPECT_EQ(AlphaOf(s.Pixel(15, 15)), 0x80u);
    EXPECT_NEAR(RedOf(s.Pixel(15, 15)), 0x80, 1);  // premultiplied: 255 * 128 / 255
    EXPECT_EQ(s.Pixel(15, 2), 0u);                  // untouched stays transparent
}

TEST(Brush, EmptyBrushAndNullGraphicsDrawNothing) {
    PixelSurface s(8, 8);
    CGDIPlug_BrushCtrl brush;
    EXPECT_EQ(brush.FillRectangle(s.Graphics(), 0, 0, 8, 8), 0);
    ASSERT_EQ(brush.CreateSolid(0xFFFFFFFF), 1);
    EXPECT_EQ(brush.FillRectangle(nullptr, 0, 0, 8, 8), 0);
    EXPECT_EQ(brush.CreateHatch(999, 0, 0), 0);
    EXPECT_EQ(brush.CreateLinearGradient(DUIRectF{0, 0, 0, 5}, 0xFF000000, 0xFFFFFFFF, 45), 0);
    EXPECT_EQ(s.Pixel(4, 4), 0u);
}

TEST(Brush, GradientPieRunsFromFirstToSecondColour) {
    PixelSurface s(100, 100);
    CGDIPlug_BrushCtrl brush;
    ASSERT_EQ(brush.CreateLinearGradient(DUIRectF{0, 0, 100, 100}, 0xFFFF0000, 0xFF0000FF, 0.0f), 1);
    ASSERT_EQ(brush.FillPie(s.Graphics(), 0, 0, 100, 100, 0.0f, 360.0f), 1);
    EXPECT_GT(RedOf(s.Pixel(10, 50)), BlueOf(s.Pixel(10, 50)));
    EXPECT_GT(BlueOf(s.Pixel(90, 50)), RedOf(s.Pixel(90, 50)));
    EXPECT_EQ(s.Pixel(1, 1), 0u);  // outside the circle
    // A quarter pie only covers its quarter (angles clockwise from the x axis).
    PixelSurface q(100, 100);
    ASSERT_EQ(brush.CreateSolid(0xFF00FF00), 1);
    ASSERT_EQ(brush.FillPie(q.Graphics(), 0, 0, 100, 100, 0.0f, 90.0f), 1);
    EXPECT_EQ(q.Pixel(70, 70), 0xFF00FF00u);
    EXPECT_EQ(q.Pixel(30, 30), 0u);
}

TEST(Pen, BorderRectangleOutlinesOnly) {
    PixelSurface s(20, 20);
    CGDIPlug_PenCtrl pen;
    ASSERT_EQ(pen.Create(s.Graphics(), 0xFF000000, 1.0f, 0), 1);
    ASSERT_EQ(pen.SetColor(0xFFFF0000), 1);
    EXPECT_EQ(pen.GetColor(), 0xFFFF0000u);
    // The border rule: outer rectangle x, y, width - 1, height - 1.
    ASSERT_EQ(pen.DrawRectangle(s.Graphics(), 2, 2, 9, 9), 1);
    EXPECT_EQ(s.Pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(s.Pixel(11, 11), 0xFFFF0000u);
    EXPECT_EQ(s.Pixel(6, 2), 0xFFFF0000u);
    EXPECT_EQ(s.Pixel(6, 6), 0u);
    EXPECT_EQ(s.Pixel(12, 12), 0u);
    CGDIPlug_PenCtrl none;
    EXPECT_EQ(none.DrawLine(s.Graphics(), 0, 0, 5, 5), 0);
}

class SkinImage : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(image.LoadFromResource(Self(), kSkinPng), 1); }
    CGDIPlug_ImageCtrl image;
};

TEST_F(SkinImage, ResourceFoundByIdInItsOwnType) {
    int w = 0, h = 0, format = -1;
    ASSERT_EQ(image.GetSize(&w, &h), 1);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);
    ASSERT_EQ(image.GetRawFormat(&format), 1);
    EXPECT_EQ(format, 10);
    std::wstring typeName;
    ULONG_PTR typeId = 0;
    ASSERT_EQ(FindResourceTypeById(Self(), kSkinPng, &typeName, &typeId), 1);
    EXPECT_EQ(typeName, L"PNG");
    ASSERT_EQ(FindResourceTypeById(Self(), kSkinRcData, &typeName, &typeId), 1);
    EXPECT_EQ(typeId, reinterpret_cast<ULONG_PTR>(RT_RCDATA));
    EXPECT_EQ(FindResourceTypeById(Self(), 4242, nullptr, nullptr), 0);
}

TEST_F(SkinImage, CopyModeKeepsSourceAlpha) {
    PixelSurface s(16, 16, 0xFF102030);
    image.SetAlpha(0, 255);
    ASSERT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{4, 4, 8, 8}, DUIRect{0, 0, 8, 8}, 0), 1);
    EXPECT_EQ(s.Pixel(4, 4), 0xFFFF0000u);    // red column
    EXPECT_EQ(s.Pixel(6, 8), 0xFF00FF00u);    // green
    EXPECT_EQ(s.Pixel(8, 11), 0xFF0000FFu);   // blue
    EXPECT_EQ(AlphaOf(s.Pixel(10, 4)), 127u); // translucent white replaces, not blends
    EXPECT_EQ(s.Pixel(3, 4), 0xFF102030u);    // outside untouched
    EXPECT_EQ(s.Pixel(12, 12), 0xFF102030u);
}

TEST_F(SkinImage, BlendModeComposesAndAlphaScales) {
    PixelSurface s(16, 16, 0xFF000000);
    image.SetAlpha(1, 255);
    ASSERT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 8, 8}, 0), 1);
    EXPECT_EQ(AlphaOf(s.Pixel(6, 0)), 255u);   // translucent white over opaque black stays opaque
    EXPECT_NEAR(RedOf(s.Pixel(6, 0)), 127, 2);  // half white
    PixelSurface t(16, 16);
    image.SetAlpha(1, 128);
    ASSERT_EQ(image.DrawSkinRect(t.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 2, 8}, 1), 1);
    EXPECT_NEAR(AlphaOf(t.Pixel(4, 4)), 128, 2);  // red scaled to half alpha
    EXPECT_NEAR(RedOf(t.Pixel(4, 4)), 128, 2);
    EXPECT_EQ(GreenOf(t.Pixel(4, 4)), 0u);
    image.SetAlpha(1, 0);
    PixelSurface u(8, 8);
    image.DrawSkinRect(u.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 8, 8}, 1);
    EXPECT_EQ(u.Pixel(1, 1), 0u);  // alpha 0 draws nothing visible
}

TEST_F(SkinImage, StretchScalesUnstretchedKeepsSourceSize) {
    PixelSurface s(40, 40);
    image.SetAlpha(0, 255);
    // The green column (2 x 8) stretched to 30 x 20.
    ASSERT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{5, 5, 30, 20}, DUIRect{2, 0, 2, 8}, 1), 1);
    EXPECT_EQ(s.Pixel(5, 5), 0xFF00FF00u);
    EXPECT_EQ(s.Pixel(34, 24), 0xFF00FF00u);  // the far corner: no fading edge
    EXPECT_EQ(s.Pixel(20, 15), 0xFF00FF00u);
    EXPECT_EQ(s.Pixel(35, 15), 0u);
    PixelSurface t(40, 40);
    ASSERT_EQ(image.DrawSkinRect(t.Graphics(), DUIRect{5, 5, 30, 20}, DUIRect{2, 0, 2, 8}, 0), 1);
    EXPECT_EQ(t.Pixel(6, 12), 0xFF00FF00u);
    EXPECT_EQ(t.Pixel(7, 5), 0u);   // only 2 pixels wide
    EXPECT_EQ(t.Pixel(5, 13), 0u);  // only 8 pixels high
}

TEST_F(SkinImage, SourceReachingPastTheImageIsTransparentThere) {
    PixelSurface s(16, 16);
    image.SetAlpha(0, 255);
    // Blue and white columns plus 4 columns beyond the right edge, doubled.
    ASSERT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 16, 8}, DUIRect{4, 0, 8, 8}, 1), 1);
    EXPECT_EQ(s.Pixel(1, 1), 0xFF0000FFu);
    EXPECT_EQ(s.Pixel(12, 1), 0u);
    EXPECT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 4, 4}, DUIRect{100, 100, 4, 4}, 1), 1);
    EXPECT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 4, 4}, DUIRect{0, 0, 0, 4}, 1), 0);
}

TEST_F(SkinImage, RepeatedScaledDrawsFollowPixelChanges) {
    CGDIPlug_ImageCtrl canvas;
    ASSERT_EQ(canvas.Create(4, 4), 1);
    canvas.SetAlpha(0, 255);
    ASSERT_EQ(canvas.FillColor(0xFFFF0000), 1);
    PixelSurface a(8, 8);
    ASSERT_EQ(canvas.DrawSkinRect(a.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 4, 4}, 1), 1);
    EXPECT_EQ(a.Pixel(7, 7), 0xFFFF0000u);
    ASSERT_EQ(canvas.FillColor(0xFF0000FF), 1);
    PixelSurface b(8, 8);
    ASSERT_EQ(canvas.DrawSkinRect(b.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 4, 4}, 1), 1);
    EXPECT_EQ(b.Pixel(0, 0), 0xFF0000FFu);  // not the red piece kept from before
}

TEST_F(SkinImage, NegativeSourceWidthMirrors) {
    PixelSurface s(16, 16);
    image.SetAlpha(0, 255);
    // Red, green, blue columns (x 0..6) mirrored: blue first.
    ASSERT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 16, 16}, DUIRect{6, 0, -6, 8}, 0), 1);
    EXPECT_EQ(s.Pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(s.Pixel(2, 3), 0xFF00FF00u);
    EXPECT_EQ(s.Pixel(5, 7), 0xFFFF0000u);
    EXPECT_EQ(s.Pixel(6, 0), 0u);
}

TEST_F(SkinImage, RotationTurnsAboutTheCentre) {
    PixelSurface s(8, 8);
    image.SetAlpha(0, 255);
    image.SetRotation(1, 4.0f, 4.0f, 540.0f);  // 540 = 180 modulo 360
    ASSERT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 8, 8}, 0), 1);
    // Probed inside each two-pixel band: rasterisers may place a rotated
    // image half a pixel either way.
    EXPECT_EQ(s.Pixel(7, 4), 0xFFFF0000u);  // red now on the right
    EXPECT_EQ(s.Pixel(5, 4), 0xFF00FF00u);
    EXPECT_EQ(s.Pixel(3, 4), 0xFF0000FFu);
    EXPECT_EQ(AlphaOf(s.Pixel(1, 4)), 127u);
    image.SetRotation(0, 0, 0, 0);
    PixelSurface t(8, 8);
    ASSERT_EQ(image.DrawSkinRect(t.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 8, 8}, 0), 1);
    EXPECT_EQ(t.Pixel(0, 0), 0xFFFF0000u);
}

TEST_F(SkinImage, DrawingRestoresTheGraphicsState) {
    PixelSurface s(8, 8);
    Gdiplus::Graphics* g = s.Graphics();
    g->SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    image.SetAlpha(0, 255);
    image.SetRotation(1, 4, 4, 90);
    image.DrawSkinRect(g, DUIRect{0, 0, 8, 8}, DUIRect{8, 0, -8, 8}, 1);
    EXPECT_EQ(g->GetCompositingMode(), Gdiplus::CompositingModeSourceOver);
    Gdiplus::Matrix m;
    g->GetTransform(&m);
    EXPECT_TRUE(m.IsIdentity());
}

TEST(Image, EmptyAndBrokenImagesDrawNothing) {
    PixelSurface s(8, 8);
    CGDIPlug_ImageCtrl image;
    EXPECT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 8, 8}, 1), 0);
    const char garbage[] = "this is not an image at all";
    EXPECT_EQ(image.LoadFromMemory(garbage, sizeof garbage), 0);
    EXPECT_EQ(image.GetImage(), nullptr);
    EXPECT_EQ(image.LoadFromMemory(nullptr, 10), 0);
    EXPECT_EQ(image.LoadFromFile(L"Z:\\no\\such\\file.png"), 0);
    EXPECT_EQ(image.LoadFromResource(Self(), 4242), 0);
    int w = -1, h = -1, format = -1;
    EXPECT_EQ(image.GetSize(&w, &h), 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(image.GetRawFormat(&format), 0);
    EXPECT_EQ(format, 0);
    EXPECT_EQ(image.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 8, 8}, 1), 0);
    EXPECT_EQ(s.Pixel(3, 3), 0u);
}

TEST(Image, FileAndMemoryLoadTheSamePixels) {
    CGDIPlug_ImageCtrl fromFile, fromMemory;
    ASSERT_EQ(fromFile.LoadFromFile(DataFile(L"skin.png")), 1);
    std::vector<char> bytes = ReadFileBytes(DataFile(L"skin.png"));
    ASSERT_FALSE(bytes.empty());
    ASSERT_EQ(fromMemory.LoadFromMemory(bytes.data(), bytes.size()), 1);
    bytes.assign(bytes.size(), 0);  // the object copied the bytes
    PixelSurface a(8, 8), b(8, 8);
    fromFile.SetAlpha(0, 255);
    fromMemory.SetAlpha(0, 255);
    ASSERT_EQ(fromFile.DrawSkinRect(a.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 8, 8}, 0), 1);
    ASSERT_EQ(fromMemory.DrawSkinRect(b.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{0, 0, 8, 8}, 0), 1);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(a.Pixel(x, 3), b.Pixel(x, 3)) << x;
}

TEST(Image, BitmapResourceAndRcDataLoad) {
    CGDIPlug_ImageCtrl bmp;
    ASSERT_EQ(bmp.LoadFromResource(Self(), kTinyBitmap), 1);
    int w = 0, h = 0;
    bmp.GetSize(&w, &h);
    EXPECT_EQ(w, 4);
    PixelSurface s(4, 4);
    bmp.SetAlpha(0, 255);
    ASSERT_EQ(bmp.DrawSkinRect(s.Graphics(), DUIRect{0, 0, 4, 4}, DUIRect{0, 0, 4, 4}, 0), 1);
    EXPECT_EQ(s.Pixel(1, 1) & 0x00FFFFFF, 0x00FFFF00u);
    CGDIPlug_ImageCtrl raw;
    ASSERT_EQ(raw.LoadFromResource(Self(), RT_RCDATA, kSkinRcData), 1);
    EXPECT_EQ(raw.LoadFromResource(Self(), RT_RCDATA, kSkinPng), 0);  // wrong type named explicitly
}

TEST(Image, CreateFillSaveAndReload) {
    CGDIPlug_ImageCtrl image;
    ASSERT_EQ(image.Create(6, 5), 1);
    int w = 0, h = 0;
    image.GetSize(&w, &h);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 5);
    Gdiplus::Color c;
    static_cast<Gdiplus::Bitmap*>(image.GetImage())->GetPixel(2, 2, &c);
    EXPECT_EQ(c.GetValue(), 0u);  // starts fully transparent
    ASSERT_EQ(image.FillColor(0xFF336699), 1);
    const std::wstring dir = testpaths::MakeTempDir(L"img");
    ASSERT_EQ(image.SaveToFile(dir + L"out.png", 10), 1);
    EXPECT_EQ(image.SaveToFile(dir + L"out.xyz", 0), 0);  // no encoder for "unknown"
    CGDIPlug_ImageCtrl back;
    ASSERT_EQ(back.LoadFromFile(dir + L"out.png"), 1);
    int format = 0;
    back.GetRawFormat(&format);
    EXPECT_EQ(format, 10);
    static_cast<Gdiplus::Bitmap*>(back.GetImage())->GetPixel(5, 4, &c);
    EXPECT_EQ(c.GetValue(), 0xFF336699u);
    // Reading a file does not lock it.
    EXPECT_TRUE(DeleteFileW((dir + L"out.png").c_str()));
    EXPECT_EQ(image.Create(0, 5), 0);
}

TEST(Image, GraphicsOnTheImageDrawsIntoIt) {
    CGDIPlug_ImageCtrl image;
    ASSERT_EQ(image.Create(10, 10), 1);
    Gdiplus::Graphics* g = nullptr;
    ASSERT_EQ(image.GetGraphics(&g, nullptr), 1);
    CGDIPlug_BrushCtrl brush;
    brush.CreateSolid(0xFF0000FF);
    brush.FillRectangle(g, 0, 0, 5, 10);
    ASSERT_EQ(image.ReleaseGraphics(), 1);
    EXPECT_EQ(image.ReleaseGraphics(), 0);
    Gdiplus::Color c;
    static_cast<Gdiplus::Bitmap*>(image.GetImage())->GetPixel(2, 2, &c);
    EXPECT_EQ(c.GetValue(), 0xFF0000FFu);
    static_cast<Gdiplus::Bitmap*>(image.GetImage())->GetPixel(7, 2, &c);
    EXPECT_EQ(c.GetValue(), 0u);
}

TEST(Image, AttachedBitmapHandleIsOwned) {
    CGDIPlug_ImageCtrl image;
    HBITMAP h = CreateBitmap(2, 2, 1, 32, nullptr);
    ASSERT_EQ(image.AttachHBitmap(h), 1);
    EXPECT_EQ(image.DetachHBitmap(), h);
    EXPECT_EQ(image.DeleteHBitmap(), 0);  // detached: not ours any more
    ASSERT_EQ(image.AttachHBitmap(h), 1);
    EXPECT_EQ(image.DeleteHBitmap(), 1);
    EXPECT_EQ(GetObjectType(h), 0u);  // really deleted
}

TEST(GifImage, FramesDelaysAndAdvance) {
    CGDIPlug_GIFImageCtrl gif;
    ASSERT_EQ(gif.LoadFromResource(Self(), kAnimGif), 1);
    int count = 0, current = -1, w = 0, h = 0;
    ASSERT_EQ(gif.GetFrameCount(&count), 1);
    EXPECT_EQ(count, 3);
    gif.GetSize(&w, &h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(gif.GetFrameDelay(0), 100);
    EXPECT_EQ(gif.GetFrameDelay(1), 200);
    EXPECT_EQ(gif.GetFrameDelay(2), 300);
    gif.GetCurrentFrame(&current);
    EXPECT_EQ(current, 0);

    const DWORD expected[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    for (int i = 0; i < 3; ++i) {
        PixelSurface s(8, 8);
        ASSERT_EQ(gif.DrawFrame(s.Graphics(), i, DUIRect{0, 0, 8, 8}, DUIRect{}), 1);
        EXPECT_EQ(s.Pixel(5, 5), expected[i]) << "frame " << i;
    }
    PixelSurface out(8, 8);
    EXPECT_EQ(gif.DrawFrame(out.Graphics(), 3, DUIRect{0, 0, 8, 8}, DUIRect{}), 0);

    EXPECT_EQ(gif.Advance(90), 0);
    EXPECT_EQ(gif.Advance(30), 1);
    gif.GetCurrentFrame(&current);
    EXPECT_EQ(current, 1);
    PixelSurface s(8, 8);
    ASSERT_EQ(gif.DrawCurrentFrame(s.Graphics(), DUIRect{0, 0, 8, 8}, DUIRect{}), 1);
    EXPECT_EQ(s.Pixel(0, 0), 0xFF00FF00u);
}

TEST(GifImage, StillAndBrokenInputs) {
    CGDIPlug_GIFImageCtrl still;
    ASSERT_EQ(still.LoadFromResource(Self(), kSkinPng), 1);  // a PNG is a one-frame animation
    int count = 0;
    still.GetFrameCount(&count);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(still.Advance(1000), 0);
    CGDIPlug_GIFImageCtrl broken;
    const char junk[] = "GIF89a but not really";
    EXPECT_EQ(broken.LoadFromMemory(junk, sizeof junk), 0);
    EXPECT_EQ(broken.Advance(100), 0);
    PixelSurface s(4, 4);
    EXPECT_EQ(broken.DrawCurrentFrame(s.Graphics(), DUIRect{0, 0, 4, 4}, DUIRect{}), 0);
    std::vector<char> bytes = ReadFileBytes(DataFile(L"anim.gif"));
    CGDIPlug_GIFImageCtrl fromMemory;
    ASSERT_EQ(fromMemory.LoadFromMemory(bytes.data(), bytes.size()), 1);
    fromMemory.GetFrameCount(&count);
    EXPECT_EQ(count, 3);
    CGDIPlug_ImageCtrl probe;
    ASSERT_EQ(probe.LoadFromMemory(bytes.data(), bytes.size()), 1);
    int format = 0;
    probe.GetRawFormat(&format);
    EXPECT_EQ(format, 8);  // how the image control tells a GIF
}
