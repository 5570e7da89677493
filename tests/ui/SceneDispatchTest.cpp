#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "scene/DUIDevManage.h"
#include "scene/DUI_Window.h"

using namespace uitest;

// GDI+ for the whole run: fonts and drawing objects outlive single tests.
static GdiplusSession g_gdiplus;

namespace {

struct Recorder {
    std::vector<std::pair<CDUI_UIControl*, int32_t>> events;
    static void Callback(CDUI_UIControl* c, const CDUI_EventRecord* e, void* user) {
        static_cast<Recorder*>(user)->events.push_back({c, e->code});
    }
    int Count(CDUI_UIControl* c, int32_t code) const {
        int n = 0;
        for (auto& e : events) n += (e.first == c && e.second == code);
        return n;
    }
    void Watch(CDUI_UIControl* c, std::initializer_list<int32_t> codes) {
        for (int32_t code : codes) c->SetEventCallback(code, Callback, this);
    }
};

// A control that takes accelerators and reports keys (like a text edit).
class InputControl : public PlainControl {
public:
    using PlainControl::PlainControl;
    int OnAccelerator(uint32_t id) override {
        lastAccelerator = id;
        return 1;
    }
    uint32_t lastAccelerator = 0;
};

class SceneDispatch : public testing::Test {
protected:
    void SetUp() override {
        skin = LoadTestSkin();
        scene.reset(skin->CreateScene(host.hwnd(), 400, 300, kEventMessage));
        ASSERT_NE(scene, nullptr);
        host.SetScene(scene.get());
        scene->SetDirectDelivery(1);
    }
    void TearDown() override {
        host.SetScene(nullptr);
        scene.reset();
    }
    int Send(UINT message, WPARAM wParam, int x, int y) { return scene->ForwardMessage(message, wParam, Point(x, y)); }
    std::unique_ptr<CDUI_UIResource> skin;
    HostWindow host;
    std::unique_ptr<CDUI_UIScene> scene;
};

}  // namespace

TEST_F(SceneDispatch, ClickNeedsPressAndReleaseInTheSameControl) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 10, 10, 50, 50);
    auto* b = MakeControl(skin.get(), 100, 10, 50, 50);
    scene->AddChild(a);
    scene->AddChild(b);
    rec.Watch(a, {DUI_EVT_LBUTTONDOWN, DUI_EVT_LBUTTONUP, DUI_EVT_LCLICK, DUI_EVT_CLICKED});
    rec.Watch(b, {DUI_EVT_LBUTTONDOWN, DUI_EVT_LBUTTONUP, DUI_EVT_LCLICK, DUI_EVT_CLICKED});
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20), 1);
    EXPECT_EQ(a->GetState(), DUI_STATE_PRESSED);
    EXPECT_EQ(a->GetFocus(), 1);
    EXPECT_EQ(Send(WM_LBUTTONUP, 0, 120, 20), 1);
    EXPECT_EQ(rec.Count(b, DUI_EVT_LBUTTONUP), 1);
    EXPECT_EQ(rec.Count(a, DUI_EVT_CLICKED) + rec.Count(b, DUI_EVT_CLICKED), 0);
    EXPECT_EQ(rec.Count(a, DUI_EVT_LCLICK) + rec.Count(b, DUI_EVT_LCLICK), 0);
    // The abandoned press on a does not turn a later release on a into a click.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 300, 250);  // empty scene area
    Send(WM_LBUTTONUP, 0, 20, 20);
    EXPECT_EQ(rec.Count(a, DUI_EVT_CLICKED), 0);
    // A real click: down, up, left click, clicked, in that order.
    rec.events.clear();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    Send(WM_LBUTTONUP, 0, 21, 21);
    ASSERT_EQ(rec.events.size(), 4u);
    EXPECT_EQ(rec.events[0].second, DUI_EVT_LBUTTONDOWN);
    EXPECT_EQ(rec.events[1].second, DUI_EVT_LBUTTONUP);
    EXPECT_EQ(rec.events[2].second, DUI_EVT_LCLICK);
    EXPECT_EQ(rec.events[3].second, DUI_EVT_CLICKED);
    EXPECT_EQ(a->GetState(), DUI_STATE_RELEASED);
}

TEST_F(SceneDispatch, RightClickFollowsTheSamePattern) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 10, 10, 50, 50);
    scene->AddChild(a);
    rec.Watch(a, {DUI_EVT_RBUTTONDOWN, DUI_EVT_RBUTTONUP, DUI_EVT_RCLICK, DUI_EVT_RCLICKED, DUI_EVT_MOUSEWHEEL});
    Send(WM_RBUTTONDOWN, MK_RBUTTON, 20, 20);
    Send(WM_RBUTTONUP, 0, 20, 20);
    EXPECT_EQ(rec.Count(a, DUI_EVT_RCLICK), 1);
    EXPECT_EQ(rec.Count(a, DUI_EVT_RCLICKED), 1);
}

TEST_F(SceneDispatch, AtMostOneHoveredControl) {
    auto* a = MakeControl(skin.get(), 10, 10, 50, 50);
    auto* b = MakeControl(skin.get(), 60, 10, 50, 50);  // touching a's right edge
    auto* box = MakeCollection(skin.get(), 200, 10, 100, 100);
    auto* inner = MakeControl(skin.get(), 10, 10, 20, 20);
    box->AddChild(inner);
    scene->AddChild(a);
    scene->AddChild(b);
    scene->AddChild(box);
    Send(WM_MOUSEMOVE, 0, 59, 20);
    EXPECT_EQ(a->GetState(), DUI_STATE_HOVER);
    Send(WM_MOUSEMOVE, 0, 60, 20);
    EXPECT_EQ(a->GetState(), DUI_STATE_NORMAL);
    EXPECT_EQ(b->GetState(), DUI_STATE_HOVER);
    Send(WM_MOUSEMOVE, 0, 215, 25);  // into the nested control
    EXPECT_EQ(b->GetState(), DUI_STATE_NORMAL);
    EXPECT_EQ(inner->GetState(), DUI_STATE_HOVER);
    Send(WM_MOUSEMOVE, 0, 20, 20);
    EXPECT_EQ(inner->GetState(), DUI_STATE_NORMAL);
    int hovered = 0;
    for (CDUI_UIControl* c : {static_cast<CDUI_UIControl*>(a), static_cast<CDUI_UIControl*>(b), static_cast<CDUI_UIControl*>(inner)})
        hovered += c->GetState() == DUI_STATE_HOVER;
    EXPECT_EQ(hovered, 1);
    Send(WM_MOUSELEAVE, 0, 0, 0);
    EXPECT_EQ(a->GetState(), DUI_STATE_NORMAL);
}

TEST_F(SceneDispatch, TopmostLayerTakesTheMessage) {
    Recorder rec;
    auto* low = MakeControl(skin.get(), 10, 10, 50, 50);
    auto* high = MakeControl(skin.get(), 10, 10, 50, 50);
    high->SetLayer(10);
    scene->AddChild(high);
    scene->AddChild(low);
    rec.Watch(low, {DUI_EVT_LBUTTONDOWN});
    rec.Watch(high, {DUI_EVT_LBUTTONDOWN});
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    EXPECT_EQ(rec.Count(high, DUI_EVT_LBUTTONDOWN), 1);
    EXPECT_EQ(rec.Count(low, DUI_EVT_LBUTTONDOWN), 0);
    // Without the hit flag the press goes through to the one below.
    high->SetHitEnable(0);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    EXPECT_EQ(rec.Count(low, DUI_EVT_LBUTTONDOWN), 1);
    EXPECT_EQ(low->GetFocus(), 1);
    // Nor does it take the focus where nothing lies beneath it.
    high->SetPosition(100, 10);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 110, 20);
    EXPECT_EQ(high->GetFocus(), 0);
    EXPECT_EQ(low->GetFocus(), 1);
    high->SetPosition(10, 10);
    // Hidden and not-shown controls are not offered anything.
    low->SetShown(0);
    high->SetVisible(0);
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20), 0);
}

TEST_F(SceneDispatch, OnlyTheEngineMessagesArePassedOn) {
    auto* a = new InputControl(skin.get(), skin->FindStyle(L"Label", L"OVLabel"));
    a->SetSize(50, 50);
    scene->AddChild(a);
    EXPECT_EQ(scene->ForwardMessage(WM_PAINT, 0, 0), 0);
    EXPECT_EQ(scene->ForwardMessage(WM_SIZE, 0, 0), 0);
    EXPECT_EQ(scene->ForwardMessage(WM_COMMAND, MAKEWPARAM(0x7001, 0), 0), 0);  // a menu command
    EXPECT_EQ(scene->ForwardMessage(WM_COMMAND, MAKEWPARAM(0x7001, 1), 0), 1);  // an accelerator
    EXPECT_EQ(a->lastAccelerator, 0x7001u);
    EXPECT_EQ(DUI_IsSceneInputMessage(WM_IME_COMPOSITION, 0), true);
    EXPECT_EQ(DUI_IsSceneInputMessage(WM_MOUSEHOVER, 0), true);
    EXPECT_EQ(DUI_IsSceneInputMessage(WM_TIMER, 0), false);
}

TEST_F(SceneDispatch, DisabledControlsOnlyExplainThemselves) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 10, 10, 50, 50);
    scene->AddChild(a);
    rec.Watch(a, {DUI_EVT_LBUTTONDOWN, DUI_EVT_MOUSEMOVE});
    a->SetEnabled(0);
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20), 0);
    EXPECT_EQ(Send(WM_MOUSEMOVE, 0, 20, 20), 0);
    EXPECT_EQ(Send(WM_MOUSEHOVER, 0, 20, 20), 0);  // no hint
    a->SetHint(1, L"不可用");
    EXPECT_EQ(Send(WM_MOUSEHOVER, 0, 20, 20), 1);
    EXPECT_TRUE(rec.events.empty());
}

TEST_F(SceneDispatch, TabMovesFocusAmongTabStops) {
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10, 1);
    auto* b = MakeControl(skin.get(), 20, 0, 10, 10, 2);
    auto* c = MakeControl(skin.get(), 40, 0, 10, 10, 3);
    auto* d = MakeControl(skin.get(), 60, 0, 10, 10, 4);
    for (auto* x : {a, b, c, d}) scene->AddChild(x);
    scene->SetTabStop(1);
    a->SetInputFlag(1);
    a->SetTabStop(1);
    b->SetTabStop(1);
    d->SetTabStop(1);  // c is skipped
    // Nobody has the focus: the search starts after the first child.
    EXPECT_EQ(scene->ForwardMessage(WM_KEYDOWN, VK_TAB, 0), 1);
    EXPECT_EQ(scene->GetFocusedChild(), b);
    scene->ForwardMessage(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(scene->GetFocusedChild(), d);
    scene->ForwardMessage(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(scene->GetFocusedChild(), a);  // wraps around
    EXPECT_EQ(b->GetFocus() + d->GetFocus(), 0);
    // Without the parent's tab-stop flag nothing moves.
    scene->SetTabStop(0);
    scene->ForwardMessage(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(scene->GetFocusedChild(), a);
}

TEST_F(SceneDispatch, FallbackAndClearFocusFlags) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 10, 10, 50, 50);
    scene->AddChild(a);
    a->SetFocus(1);
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, 300, 200), 0);
    EXPECT_EQ(a->GetFocus(), 1);  // flag off: the focus stays
    scene->SetClearFocusOnPress(1);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 300, 200);
    EXPECT_EQ(a->GetFocus(), 0);
    rec.Watch(scene.get(), {DUI_EVT_LBUTTONDOWN});
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 300, 200);
    EXPECT_TRUE(rec.events.empty());  // fallback off
    scene->SetFallback(1);
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, 300, 200), 0);  // result not taken
    EXPECT_EQ(rec.Count(scene.get(), DUI_EVT_LBUTTONDOWN), 1);
    scene->SetTakeFallbackResult(1);
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, 300, 200), 1);
}

TEST_F(SceneDispatch, PostedEventsArriveThroughTheHostWindow) {
    scene->SetDirectDelivery(0);
    Recorder rec;
    auto* a = MakeControl(skin.get(), 10, 10, 50, 50);
    scene->AddChild(a);
    rec.Watch(a, {DUI_EVT_CLICKED});
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 20, 20);
    Send(WM_LBUTTONUP, 0, 20, 20);
    EXPECT_TRUE(rec.events.empty());
    EXPECT_TRUE(host.PumpUntil([&] { return !rec.events.empty(); }));
    EXPECT_EQ(rec.Count(a, DUI_EVT_CLICKED), 1);
}

TEST(SceneDevice, NoSceneMeansNotHandled) {
    CDUIDevManage manager;
    EXPECT_EQ(manager.ForwardMessage(WM_LBUTTONDOWN, 0, 0), 0);
    EXPECT_EQ(manager.ForwardMessage(kEventMessage, 1, 1), 0);
    HostWindow host;
    ASSERT_EQ(manager.Init(0, host.hwnd(), 1), 1);
    EXPECT_EQ(manager.CreateScene(kEventMessage, 300, 400), 0);  // no skin yet
    EXPECT_EQ(manager.ForwardMessage(WM_MOUSEMOVE, 0, 0), 0);
    CDUI_UIResource skin;
    skin.Create(&manager, GetModuleHandleW(nullptr), 131);
    EXPECT_EQ(manager.GetResource(), &skin);
    ASSERT_EQ(manager.CreateScene(kEventMessage, 300, 400), 1);
    EXPECT_EQ(manager.GetSceneWidth(), 400);
    EXPECT_EQ(manager.GetScene()->GetAbsoluteRect(), (DUI_Rect{0, 0, 400, 300}));
    EXPECT_EQ(manager.DestroyScene(), 1);
    EXPECT_EQ(manager.ForwardMessage(WM_MOUSEMOVE, 0, 0), 0);
    skin.Destroy();
    EXPECT_EQ(manager.Shutdown(), 1);
}

TEST(SceneDevice, LayeredModeMakesTheHostLayered) {
    HostWindow host;
    CDUIDevManage manager;
    ASSERT_EQ(manager.Init(1, host.hwnd(), 1), 1);
    EXPECT_NE(GetWindowLongPtrW(host.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
}

// ---- in-scene windows ----

class SceneWindow : public SceneDispatch {
protected:
    CDUI_Window* MakeWindow(int x, int y, int w, int h, const wchar_t* style = L"OVWindow") {
        CDUI_Window* window = skin->CreateWindow(7, style, L"标题", x, y, w, h);
        if (window) scene->AddChild(window);
        return window;
    }
};

TEST_F(SceneWindow, FrameLayout) {
    CDUI_Window* w = MakeWindow(10, 20, 200, 100);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetText(), L"标题");
    EXPECT_EQ(w->GetBackColor(), 0xFE000000u);  // the style's WindowBackColor
    // Corners 4 x 30 at the top, 4 x 4 at the bottom, borders 4 wide.
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::LeftUp), (DUI_Rect{10, 20, 4, 30}));
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::MiddleUp), (DUI_Rect{14, 20, 192, 30}));
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::RightUp), (DUI_Rect{206, 20, 4, 30}));
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::LeftBorder), (DUI_Rect{10, 50, 4, 66}));
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::RightBorder), (DUI_Rect{206, 50, 4, 66}));
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::LeftDown), (DUI_Rect{10, 116, 4, 4}));
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::MiddleDown), (DUI_Rect{14, 116, 192, 4}));
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::RightDown), (DUI_Rect{206, 116, 4, 4}));
    EXPECT_EQ(w->GetClientRect(), (DUI_Rect{14, 50, 192, 66}));
    EXPECT_EQ(w->GetTitleBarRect(), (DUI_Rect{10, 20, 200, 30}));
    w->SetFrameMode(2);
    EXPECT_TRUE(w->GetPieceRect(CDUI_Window::LeftBorder).IsEmpty());
    EXPECT_EQ(w->GetPieceRect(CDUI_Window::MiddleUp), (DUI_Rect{14, 20, 192, 30}));
    EXPECT_EQ(skin->CreateWindow(1, L"NoSuchWindow", L"", 0, 0, 10, 10), nullptr);
}

TEST_F(SceneWindow, MovesByTheTitleBarAndStaysConfined) {
    CDUI_Window* w = MakeWindow(100, 100, 100, 80);
    ASSERT_NE(w, nullptr);
    int32_t x = 0, y = 0;
    std::vector<std::pair<int32_t, int32_t>> moves;
    w->SetMovedCallback([](CDUI_Window*, int32_t mx, int32_t my, void* user) {
        static_cast<std::vector<std::pair<int32_t, int32_t>>*>(user)->push_back({mx, my});
    }, &moves);
    // A press in the body does not move it.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 160);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 170, 170);
    Send(WM_LBUTTONUP, 0, 170, 170);
    w->GetPosition(&x, &y);
    EXPECT_EQ(x, 100);
    // The title bar does.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 110);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 160, 115);
    w->GetPosition(&x, &y);
    EXPECT_EQ(x, 110);
    EXPECT_EQ(y, 105);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), (std::pair<int32_t, int32_t>{110, 105}));
    // Confined: past the right edge (400) x is kept, y follows.
    w->SetConfine(1);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 160 + 250, 115 + 20);
    w->GetPosition(&x, &y);
    EXPECT_EQ(x, 110);
    EXPECT_EQ(y, 125);
    Send(WM_LBUTTONUP, 0, 410, 135);
    EXPECT_EQ(w->IsMoving(), 0);
    // Not movable: nothing.
    w->SetMovable(0);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 130);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 100, 130);
    w->GetPosition(&x, &y);
    EXPECT_EQ(x, 110);
    Send(WM_LBUTTONUP, 0, 100, 130);
    // Move by body.
    w->SetMovable(1);
    w->SetMoveByBody(1);
    w->SetConfine(0);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 180);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 140, 170);
    Send(WM_LBUTTONUP, 0, 140, 170);
    w->GetPosition(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 115);
}

TEST_F(SceneWindow, ResizesByTheBottomRightCorner) {
    CDUI_Window* w = MakeWindow(10, 10, 100, 80);
    ASSERT_NE(w, nullptr);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 108, 88);
    EXPECT_EQ(w->IsResizing(), 1);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 138, 98);
    int32_t width = 0, height = 0;
    w->GetSize(&width, &height);
    EXPECT_EQ(width, 130);
    EXPECT_EQ(height, 90);
    Send(WM_MOUSEMOVE, MK_LBUTTON, -500, -500);  // never below the frame
    w->GetSize(&width, &height);
    EXPECT_EQ(width, 9);
    EXPECT_EQ(height, 35);
    Send(WM_LBUTTONUP, 0, 0, 0);
    EXPECT_EQ(w->IsResizing(), 0);
}

TEST_F(SceneWindow, ShowAndHideWithVetoAndCallbacks) {
    CDUI_Window* w = MakeWindow(10, 10, 100, 80);
    ASSERT_NE(w, nullptr);
    struct Log {
        std::vector<std::string> calls;
        int allow = 1;
    } log;
    w->SetVetoCallback([](CDUI_Window*, int showing, void* u) {
        auto* l = static_cast<Log*>(u);
        l->calls.push_back("veto" + std::to_string(showing));
        return l->allow;
    }, &log);
    w->SetAfterShowCallback([](CDUI_Window*, int v, void* u) {
        static_cast<Log*>(u)->calls.push_back("shown" + std::to_string(v));
    }, &log);
    w->SetAfterHideCallback([](CDUI_Window*, int v, void* u) {
        static_cast<Log*>(u)->calls.push_back("hidden" + std::to_string(v));
    }, &log);
    EXPECT_EQ(w->Show(5), 1);  // already shown: nothing at all
    EXPECT_TRUE(log.calls.empty());
    log.allow = 0;
    EXPECT_EQ(w->Hide(), 0);  // vetoed
    EXPECT_EQ(w->GetShown(), 1);
    log.allow = 1;
    EXPECT_EQ(w->Hide(), 1);
    EXPECT_EQ(w->GetShown(), 0);
    EXPECT_EQ(w->GetVisible(), 0);
    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, 50, 50), 0);  // hidden windows take nothing
    EXPECT_EQ(w->Show(5), 1);
    EXPECT_EQ(w->GetShowValue(), 5);
    EXPECT_EQ(w->GetFocus(), 1);
    EXPECT_EQ(w->CloseByButton(), 1);
    EXPECT_EQ((std::vector<std::string>{"veto0", "veto0", "hidden0", "veto1", "shown5", "veto1", "hidden1"}),
              log.calls);
}
