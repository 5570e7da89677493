// The dirty area: one bounding rectangle, the negative-origin rule, clearing.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "PixelSurface.h"
#include "graphics/UIDirtyArea.h"

namespace {

// A fresh area with its initial full-scene rectangle already taken.
struct DrainedArea {
    CDUI_UIDirtyArea area{nullptr, 200, 100};
    DrainedArea() {
        area.TakeDirty();
        area.ResetCurrent();
    }
};

}  // namespace

TEST(DirtyArea, StartsCoveringTheScene) {
    CDUI_UIDirtyArea area(nullptr, 1366, 768);
    EXPECT_EQ(area.GetPending(), (DUIRect{0, 0, 1366, 768}));
    EXPECT_EQ(area.TakeDirty(), 1);
    EXPECT_EQ(area.GetCurrent(), (DUIRect{0, 0, 1366, 768}));
}

TEST(DirtyArea, NegativeOriginBecomesZeroSizeKept) {
    DrainedArea d;
    d.area.Invalidate(-5, -5, 10, 10);
    EXPECT_EQ(d.area.GetPending(), (DUIRect{0, 0, 10, 10}));
}

TEST(DirtyArea, FarRectanglesGiveTheirBoundingBox) {
    DrainedArea d;
    d.area.Invalidate(1, 1, 1, 1);
    d.area.Invalidate(150, 80, 1, 1);
    ASSERT_EQ(d.area.TakeDirty(), 1);
    EXPECT_EQ(d.area.GetCurrent(), (DUIRect{1, 1, 150, 80}));
    EXPECT_TRUE(DUIRectIsEmpty(d.area.GetPending()));
}

TEST(DirtyArea, NothingInvalidatedMeansNothingToPaint) {
    DrainedArea d;
    EXPECT_EQ(d.area.TakeDirty(), 0);
    d.area.Invalidate(5, 5, 0, 10);
    d.area.Invalidate(5, 5, 10, -1);
    EXPECT_EQ(d.area.TakeDirty(), 0);
    DUIRect visible{1, 1, 1, 1};
    EXPECT_EQ(d.area.ClipToDirty(DUIRect{0, 0, 50, 50}, &visible), 0);
    EXPECT_TRUE(DUIRectIsEmpty(visible));
}

TEST(DirtyArea, DisabledOrNotAcceptingIgnoresInvalidation) {
    DrainedArea d;
    d.area.SetEnabled(0);
    d.area.Invalidate(0, 0, 10, 10);
    d.area.SetEnabled(1);
    d.area.SetAccepting(0);
    d.area.Invalidate(0, 0, 10, 10);
    EXPECT_EQ(d.area.TakeDirty(), 0);
    d.area.SetAccepting(1);
    d.area.Invalidate(0, 0, 10, 10);
    EXPECT_EQ(d.area.TakeDirty(), 1);
}

TEST(DirtyArea, InvalidationDuringAFrameWaitsForTheNext) {
    DrainedArea d;
    d.area.Invalidate(0, 0, 10, 10);
    ASSERT_EQ(d.area.TakeDirty(), 1);
    d.area.Invalidate(50, 50, 10, 10);  // arrives while the frame paints
    EXPECT_EQ(d.area.GetCurrent(), (DUIRect{0, 0, 10, 10}));
    d.area.ResetCurrent();
    ASSERT_EQ(d.area.TakeDirty(), 1);
    EXPECT_EQ(d.area.GetCurrent(), (DUIRect{50, 50, 10, 10}));
}

TEST(DirtyArea, ClipToDirtyIntersects) {
    DrainedArea d;
    d.area.Invalidate(10, 10, 20, 20);
    d.area.TakeDirty();
    DUIRect visible;
    EXPECT_EQ(d.area.ClipToDirty(DUIRect{25, 0, 50, 50}, &visible), 1);
    EXPECT_EQ(visible, (DUIRect{25, 10, 5, 20}));
    EXPECT_EQ(d.area.ClipToDirty(DUIRect{30, 30, 5, 5}, &visible), 0);
}

TEST(DirtyArea, ManyThreadsInvalidateSafely) {
    DrainedArea d;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&d, t] {
            for (int i = 0; i < 500; ++i) d.area.Invalidate(t * 10 + (i % 7), i % 50, 1, 1);
        });
    for (auto& th : threads) th.join();
    ASSERT_EQ(d.area.TakeDirty(), 1);
    EXPECT_EQ(d.area.GetCurrent(), (DUIRect{0, 0, 37, 50}));
}

TEST(DirtyArea, ClearMakesOnlyTheCurrentRectangleTransparent) {
    PixelSurface s(40, 40, 0xFF112233);
    DrainedArea d;
    d.area.Invalidate(10, 10, 5, 5);
    ASSERT_EQ(d.area.TakeDirty(), 1);
    Gdiplus::Graphics* g = s.Graphics();
    g->SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    ASSERT_EQ(d.area.ClearDirty(g), 1);
    EXPECT_EQ(s.Pixel(10, 10), 0u);
    EXPECT_EQ(s.Pixel(14, 14), 0u);
    EXPECT_EQ(s.Pixel(15, 15), 0xFF112233u);
    EXPECT_EQ(s.Pixel(9, 10), 0xFF112233u);
    EXPECT_EQ(g->GetCompositingMode(), Gdiplus::CompositingModeSourceOver);  // restored
    d.area.ResetCurrent();
    EXPECT_EQ(d.area.ClearDirty(g), 0);
}
