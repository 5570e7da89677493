#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "UiTestSupport.h"
#include "core/DUI_FontType.h"
#include "scene/DUIDevManage.h"
#include "scene/DUIDevRender.h"
#include "scene/DUI_Window.h"

using namespace uitest;

// GDI+ for the whole run: fonts and drawing objects outlive single tests.
static GdiplusSession g_gdiplus;

namespace {

// Shows one rectangle of the skin image, stretched over the control.
class SkinPatch : public CDUI_UIControl {
public:
    SkinPatch(CDUI_UIResource* r, DUI_SkinRect source) : CDUI_UIControl(r, r->FindStyle(L"Image", L"OVImage")) {
        source_ = {source.x, source.y, source.width, source.height};
        SetTransparent(1);
        SetBorder(0);
    }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* g) override {
        ++painted;
        DUI_Rect a = GetAbsoluteRect();
        resource_->DrawSkinRect(g, {a.x, a.y, a.width, a.height}, {source_.x, source_.y, source_.width, source_.height},
                                1);
    }
    int painted = 0;
};

class TextLabel : public CDUI_UIControl {
public:
    TextLabel(CDUI_UIResource* r) : CDUI_UIControl(r, r->FindStyle(L"Label", L"OVLabel")) {
        SetTransparent(1);
        SetBorder(0);
    }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* g) override { DrawText(g, text_, GetAbsoluteRect()); }
};

uint32_t A(uint32_t p) { return p >> 24; }
uint32_t R(uint32_t p) { return (p >> 16) & 0xFF; }
uint32_t G(uint32_t p) { return (p >> 8) & 0xFF; }
uint32_t B(uint32_t p) { return p & 0xFF; }

class Render : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(manager.Init(1, host.hwnd(), 1), 1);
        ASSERT_EQ(skin.Create(&manager, GetModuleHandleW(nullptr), 131), 1);
        ASSERT_EQ(manager.CreateScene(kEventMessage, 300, 400), 1);
        scene = manager.GetScene();
        host.SetScene(scene);
        render = manager.GetRender();
        ASSERT_EQ(render->CreateImage(), 1);
        render->SetPresentCallbacks(nullptr, nullptr, &Render::AfterPresent, this);
    }
    void TearDown() override {
        host.SetScene(nullptr);
        manager.StopRender();
        manager.DestroyScene();
        skin.Destroy();
        manager.Shutdown();
    }
    static void AfterPresent(HWND, HDC, HDC, const RECT*, void* user) { ++static_cast<Render*>(user)->presents; }

    HostWindow host;
    CDUIDevManage manager;
    CDUI_UIResource skin;
    CDUI_UIScene* scene = nullptr;
    CDUIDevRender* render = nullptr;
    std::atomic<int> presents{0};
};

}  // namespace

TEST_F(Render, NothingDirtyMeansNoFrameAndNoPresent) {
    EXPECT_EQ(render->RenderFrame(), 1);  // the scene starts all dirty
    EXPECT_EQ(presents, 1);
    EXPECT_EQ(render->RenderFrame(), 0);
    EXPECT_EQ(presents, 1);
    scene->InvalidateRect({5, 5, 1, 1});
    EXPECT_EQ(render->RenderFrame(), 1);
    EXPECT_EQ(presents, 2);
}

TEST_F(Render, TicksDuringAFrameAreDropped) {
    EXPECT_EQ(render->OnTimerTick(), 1);
    EXPECT_EQ(render->OnTimerTick(), 0);  // the frame has not run yet
    EXPECT_EQ(render->OnTimerTick(), 0);
    EXPECT_EQ(render->GetTicksDropped(), 2u);
    render->RenderFrame();
    // Nothing pending: the tick neither wakes the thread nor counts as dropped.
    EXPECT_EQ(render->OnTimerTick(), 0);
    EXPECT_EQ(render->GetTicksIdle(), 1u);
    EXPECT_EQ(render->GetTicksDropped(), 2u);
    scene->InvalidateRect({1, 1, 2, 2});
    EXPECT_EQ(render->OnTimerTick(), 1);
}

TEST_F(Render, IdleTicksDoNoWorkAndAnInvalidationIsPaintedByTheThread) {
    manager.StopRender();
    ASSERT_EQ(manager.StartRender(30, 2025), 1);
    for (int i = 0; i < 300 && presents < 1; ++i) Sleep(10);
    ASSERT_EQ(presents.load(), 1);  // the first, whole frame
    const uint64_t idleBefore = render->GetTicksIdle();
    Sleep(400);
    EXPECT_GE(render->GetTicksIdle() - idleBefore, 5u);
    EXPECT_EQ(presents.load(), 1);
    // Still for long enough, the timer rests: no ticks at all.
    for (int i = 0; i < 500 && render->IsTimerRunning(); ++i) Sleep(10);
    ASSERT_EQ(render->IsTimerRunning(), 0);
    const uint64_t idleResting = render->GetTicksIdle();
    Sleep(200);
    EXPECT_EQ(render->GetTicksIdle(), idleResting);
    // A control changing on another thread still reaches the window: the
    // invalidation starts the timer again.
    auto* red = new SkinPatch(&skin, {0, 0, 100, 100});
    red->SetPosition(300, 200);
    red->SetSize(40, 40);
    scene->AddChild(red);
    for (int i = 0; i < 300 && presents < 2; ++i) Sleep(10);
    EXPECT_EQ(presents.load(), 2);
    EXPECT_EQ(render->GetPixel(320, 220), 0xFFFF0000u);
    EXPECT_EQ(render->IsTimerRunning(), 1);
    manager.StopRender();
}

TEST_F(Render, RenderThreadPaintsOnlyWhenSomethingChanged) {
    manager.StopRender();
    // A slow present makes the timer tick during frames.
    render->SetPresentCallbacks([](HWND, HDC, HDC, const RECT*, void*) { Sleep(100); }, nullptr, &Render::AfterPresent,
                                this);
    ASSERT_EQ(manager.StartRender(30, 2025), 1);
    EXPECT_EQ(manager.GetFramePeriod(), 30);
    for (int i = 0; i < 300 && presents < 1; ++i) Sleep(10);
    ASSERT_GE(presents.load(), 1);
    for (int i = 0; i < 5; ++i) {
        scene->InvalidateRect({0, 0, 10, 10});
        Sleep(60);
    }
    for (int i = 0; i < 300 && render->GetTicksDropped() == 0; ++i) Sleep(10);
    EXPECT_GT(render->GetTicksDropped(), 0u);
    Sleep(300);  // let the last invalidation be painted
    int settled = presents;
    Sleep(400);  // ten or more idle ticks
    EXPECT_EQ(presents.load(), settled);
    manager.StopRender();
    EXPECT_EQ(render->IsRunning(), 0);
}

TEST_F(Render, PixelsOfAWindowAnImageAndALabel) {
    CDUI_Window* window = skin.CreateWindow(1, L"OVWindow2", L"", 0, 0, 200, 150);
    ASSERT_NE(window, nullptr);
    scene->AddChild(window);
    auto* red = new SkinPatch(&skin, {0, 0, 100, 100});
    red->SetPosition(250, 20);
    red->SetSize(50, 50);
    auto* green = new SkinPatch(&skin, {100, 0, 100, 100});
    green->SetPosition(250, 100);
    green->SetSize(50, 50);
    auto* label = new TextLabel(&skin);
    label->SetPosition(210, 200);
    label->SetSize(180, 60);
    label->SetTextColor(0xFFFFFFFF);
    label->SetText(L"中文测试");
    scene->AddChild(red);
    scene->AddChild(green);
    scene->AddChild(label);
    ASSERT_EQ(render->RenderFrame(), 1);
    EXPECT_EQ(render->GetPixel(100, 100), 0xFF0D2029u);  // client fill
    EXPECT_EQ(render->GetPixel(2, 60), 0xFF0000FFu);     // left frame piece from the blue skin area
    EXPECT_EQ(render->GetPixel(1, 60), 0xFF808080u);     // inner border line over it
    EXPECT_EQ(render->GetPixel(100, 10), 0xFF0000FFu);   // title bar, stretched
    EXPECT_EQ(render->GetPixel(275, 45), 0xFFFF0000u);   // opaque red skin rect
    uint32_t g = render->GetPixel(275, 125);             // half-transparent green, premultiplied
    EXPECT_NEAR(int(A(g)), 128, 3);
    EXPECT_NEAR(int(G(g)), int(A(g)), 3);
    EXPECT_EQ(R(g) + B(g), 0u);
    EXPECT_EQ(render->GetPixel(350, 50), 0u);  // nothing there: transparent
    int textPixels = 0;
    for (int y = 200; y < 260; ++y)
        for (int x = 210; x < 390; ++x) textPixels += A(render->GetPixel(x, y)) > 0;
    EXPECT_GT(textPixels, 50) << "the Chinese text left no pixels";
    // Opacity scales the window's client fill.
    window->SetOpacity(128);
    render->RenderFrame();
    EXPECT_EQ(A(render->GetPixel(100, 100)), 128u);
}

TEST_F(Render, ControlsOutsideTheDirtyRectangleAreNotTouched) {
    auto* red = new SkinPatch(&skin, {0, 0, 100, 100});
    red->SetPosition(250, 20);
    red->SetSize(50, 50);
    auto* distant = new SkinPatch(&skin, {0, 100, 100, 100});
    distant->SetPosition(10, 200);
    distant->SetSize(20, 20);
    scene->AddChild(red);
    scene->AddChild(distant);
    render->RenderFrame();
    EXPECT_EQ(red->painted, 1);
    // Scribble on the image where red is; only distant gets repainted.
    auto* pixels = const_cast<uint32_t*>(render->GetPixels());
    pixels[(300 - 1 - 30) * 400 + 260] = 0x12345678;
    distant->Invalidate();
    ASSERT_EQ(render->RenderFrame(), 1);
    EXPECT_EQ(red->painted, 1);
    EXPECT_EQ(distant->painted, 2);
    EXPECT_EQ(render->GetPixel(260, 30), 0x12345678u);
    // Two far-apart changes repaint the box between them.
    scene->InvalidateRect({0, 0, 1, 1});
    scene->InvalidateRect({399, 299, 1, 1});
    render->RenderFrame();
    EXPECT_EQ(red->painted, 2);
    EXPECT_EQ(render->GetPixel(260, 30), 0xFFFF0000u);
}

TEST_F(Render, HiddenControlsAreNotPainted) {
    auto* red = new SkinPatch(&skin, {0, 0, 100, 100});
    red->SetSize(50, 50);
    scene->AddChild(red);
    red->SetShown(0);
    render->RenderFrame();
    EXPECT_EQ(red->painted, 0);
    EXPECT_EQ(render->GetPixel(10, 10), 0u);
    red->SetShown(1);
    render->RenderFrame();
    EXPECT_EQ(red->painted, 1);
}

TEST(RenderPlain, NonLayeredHostGetsTheImageCopied) {
    HostWindow host;
    CDUIDevManage manager;
    ASSERT_EQ(manager.Init(0, host.hwnd(), 1), 1);
    EXPECT_EQ(GetWindowLongPtrW(host.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    CDUI_UIResource skin;
    skin.Create(&manager, GetModuleHandleW(nullptr), 131);
    ASSERT_EQ(manager.CreateScene(kEventMessage, 50, 60), 1);
    CDUIDevRender* render = manager.GetRender();
    ASSERT_EQ(render->CreateImage(), 1);
    EXPECT_EQ(render->GetWidth(), 60);
    EXPECT_EQ(render->GetHeight(), 50);
    int before = 0, after = 0;
    render->SetPresentCallbacks([](HWND, HDC dc, HDC memory, const RECT* r, void* u) {
        EXPECT_NE(dc, nullptr);
        EXPECT_NE(memory, nullptr);
        EXPECT_EQ(r->right, 60);
        EXPECT_EQ(r->bottom, 50);
        ++*static_cast<int*>(u);
    }, &before, [](HWND, HDC, HDC, const RECT*, void* u) { ++*static_cast<int*>(u); }, &after);
    EXPECT_EQ(render->RenderFrame(), 1);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    manager.DestroyScene();
    skin.Destroy();
    manager.Shutdown();
}

TEST_F(Render, AtScaleOneAndAHalfClicksMeetTheirControlAndFramesCoverWholePixels) {
    render->FreeImage();
    ASSERT_EQ(manager.SetScale(1.5), 1);
    ASSERT_EQ(render->CreateImage(), 1);
    EXPECT_EQ(render->GetWidth(), 600);
    EXPECT_EQ(render->GetHeight(), 450);
    // Odd logical edges: they fall on half pixels.
    auto* left = MakeControl(&skin, 11, 11, 41, 21);
    auto* right = MakeControl(&skin, 52, 11, 41, 21);
    for (CDUI_UIControl* c : {static_cast<CDUI_UIControl*>(left), static_cast<CDUI_UIControl*>(right)}) {
        c->SetTransparent(0);
        c->SetBorder(0);
    }
    left->SetBackColor(0xFFFF0000);
    right->SetBackColor(0xFF00FF00);
    scene->AddChild(left);
    scene->AddChild(right);
    scene->SetDirectDelivery(1);
    int leftClicks = 0, rightClicks = 0;
    auto count = [](CDUI_UIControl*, const CDUI_EventRecord*, void* user) { ++*static_cast<int*>(user); };
    left->SetEventCallback(DUI_EVT_CLICKED, count, &leftClicks);
    right->SetEventCallback(DUI_EVT_CLICKED, count, &rightClicks);
    // The right one's centre in pixels: ((52 + 20.5) * 1.5, (11 + 10.5) * 1.5).
    scene->ForwardMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(108, 32));
    scene->ForwardMessage(WM_LBUTTONUP, 0, Point(108, 32));
    EXPECT_EQ(rightClicks, 1);
    EXPECT_EQ(leftClicks, 0);
    // Pixel 77 is logical 51.3, still the left one's.
    scene->ForwardMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(77, 32));
    scene->ForwardMessage(WM_LBUTTONUP, 0, Point(77, 32));
    EXPECT_EQ(leftClicks, 1);

    ASSERT_EQ(render->RenderFrame(), 1);
    EXPECT_EQ(render->GetPixel(77, 20), 0xFFFF0000u);
    EXPECT_EQ(render->GetPixel(78, 20), 0xFF00FF00u) << "the shared edge at 52 * 1.5 = 78";
    EXPECT_EQ(render->GetPixel(16, 20), 0u) << "the left edge 16.5 rounds to 17";
    EXPECT_EQ(render->GetPixel(17, 20), 0xFFFF0000u);
    // Repainting the left one clears and repaints the whole pixels it
    // touches, 16 to 77, and nothing of its neighbour.
    auto* pixels = const_cast<uint32_t*>(render->GetPixels());
    pixels[(450 - 1 - 20) * 600 + 16] = 0x12345678;
    pixels[(450 - 1 - 20) * 600 + 78] = 0x12345678;
    left->Invalidate();
    ASSERT_EQ(render->RenderFrame(), 1);
    EXPECT_EQ(scene->GetLastPainted(), DUI_Rect(16, 16, 62, 32));
    EXPECT_EQ(render->GetPixel(16, 20), 0u);
    EXPECT_EQ(render->GetPixel(78, 20), 0x12345678u);
    EXPECT_EQ(render->GetPixel(77, 20), 0xFFFF0000u);
}
