// Opaque rectangle fills written straight into the frame's pixels must leave
// exactly the pixels GDI+ leaves, and must step aside whenever the state of
// the graphics is more than a plain rectangle clip.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "graphics/GDIPlugCtrl.h"
#include "graphics/PixelSurface.h"

namespace {

// A top-down premultiplied frame with GDI+ drawing into its own pixels.
struct Frame {
    static constexpr int W = 64, H = 48;
    std::vector<uint32_t> pixels;
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    std::unique_ptr<Gdiplus::Graphics> graphics;
    Frame() : pixels(size_t(W) * H) {
        // Something under the fills: translucent stripes and clear pixels.
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) pixels[size_t(y) * W + x] = (x / 4 + y / 3) % 3 == 0 ? 0x80402010u : 0u;
        bitmap = std::make_unique<Gdiplus::Bitmap>(W, H, W * 4, PixelFormat32bppPARGB,
                                                   reinterpret_cast<BYTE*>(pixels.data()));
        graphics = std::make_unique<Gdiplus::Graphics>(bitmap.get());
        graphics->SetPageUnit(Gdiplus::UnitPixel);
    }
    DUI_PixelSurface Surface(double scale = 0) {
        DUI_PixelSurface s;
        if (scale > 0) {  // a scaled frame repainting all of itself
            s.scale = scale;
            s.frameWidth = W;
            s.frameHeight = H;
        }
        s.graphics = graphics.get();
        s.row0 = reinterpret_cast<uint8_t*>(pixels.data());
        s.stride = W * 4;
        s.width = W;
        s.height = H;
        return s;
    }
    void Flush() { graphics->Flush(Gdiplus::FlushIntentionSync); }
};

struct Case {
    const char* name;
    std::function<void(Gdiplus::Graphics*)> state;  // clip, transform ...
    uint32_t color;
    int x, y, w, h;
    int direct;  // 1: written straight into the pixels
    double frameScale = 0;  // painting a frame at this scale
};

}  // namespace

TEST(DirectFill, SamePixelsAsGdiplusAndOnlyForPlainState) {
    const Case cases[] = {
        {"no clip", [](Gdiplus::Graphics*) {}, 0xFF0D2029, 5, 6, 30, 20, 1},
        {"rectangle clip", [](Gdiplus::Graphics* g) { g->SetClip(Gdiplus::Rect(10, 8, 20, 15)); }, 0xFF123456, 0, 0,
         64, 48, 1},
        {"partly outside the frame", [](Gdiplus::Graphics*) {}, 0xFFFFFFFF, -10, 40, 30, 20, 1},
        {"clip outside the fill", [](Gdiplus::Graphics* g) { g->SetClip(Gdiplus::Rect(50, 40, 5, 5)); }, 0xFF00FF00,
         0, 0, 20, 20, 1},
        {"translucent colour", [](Gdiplus::Graphics*) {}, 0x80FF0000, 5, 5, 20, 20, 0},
        {"clip of two rectangles",
         [](Gdiplus::Graphics* g) {
             g->SetClip(Gdiplus::Rect(0, 0, 10, 10));
             g->SetClip(Gdiplus::Rect(30, 30, 10, 10), Gdiplus::CombineModeUnion);
         },
         0xFF0000FF, 0, 0, 64, 48, 0},
        {"transform", [](Gdiplus::Graphics* g) { g->TranslateTransform(3.0f, 2.0f); }, 0xFF00FFFF, 5, 5, 10, 10, 0},
        {"scaled page", [](Gdiplus::Graphics* g) { g->SetPageScale(2.0f); }, 0xFFFF00FF, 5, 5, 10, 10, 0},
        {"frame at 1.5", [](Gdiplus::Graphics* g) { g->ScaleTransform(1.5f, 1.5f); }, 0xFF336699, 5, 7, 11, 10, 1, 1.5},
        {"frame at 1.5, other transform", [](Gdiplus::Graphics* g) { g->ScaleTransform(2.0f, 2.0f); }, 0xFF336699, 5,
         7, 11, 10, 0, 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame reference, direct;
        CGDIPlug_BrushCtrl brush;
        ASSERT_EQ(brush.CreateSolid(c.color), 1);
        c.state(reference.graphics.get());
        ASSERT_EQ(brush.FillRectangle(reference.graphics.get(), c.x, c.y, c.w, c.h), 1);
        reference.Flush();
        c.state(direct.graphics.get());
        {
            DUI_PixelSurfaceScope bound(direct.Surface(c.frameScale));
            EXPECT_EQ(DUI_FillOpaqueDirect(direct.graphics.get(), 0, 0, 0, 0, c.color), 0);  // empty: nothing to do
            Frame other;  // a graphics that is not the bound one never takes the shortcut
            EXPECT_EQ(DUI_FillOpaqueDirect(other.graphics.get(), c.x, c.y, c.w, c.h, 0xFF000000), 0);
            ASSERT_EQ(brush.FillRectangle(direct.graphics.get(), c.x, c.y, c.w, c.h), 1);
        }
        direct.Flush();
        EXPECT_EQ(direct.pixels, reference.pixels);
        // Whether the shortcut applies, asked again on a fresh frame in the same state.
        Frame probe;
        c.state(probe.graphics.get());
        DUI_PixelSurfaceScope bound(probe.Surface(c.frameScale));
        EXPECT_EQ(DUI_FillOpaqueDirect(probe.graphics.get(), c.x, c.y, c.w, c.h, c.color), c.direct);
    }
    // Unbound (no frame being painted): always GDI+.
    Frame loose;
    EXPECT_EQ(DUI_FillOpaqueDirect(loose.graphics.get(), 0, 0, 8, 8, 0xFF000000), 0);
}
