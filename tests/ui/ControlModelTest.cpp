#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "SystemMessage.h"
#include "UiTestSupport.h"
#include "core/DUI_ParamLock.h"

using namespace uitest;

// GDI+ for the whole run: fonts and drawing objects outlive single tests.
static GdiplusSession g_gdiplus;

namespace {

struct Recorder {
    std::vector<CDUI_EventRecord> events;
    static void Callback(CDUI_UIControl*, const CDUI_EventRecord* e, void* user) {
        static_cast<Recorder*>(user)->events.push_back(*e);
    }
    int Count(int32_t code) const {
        int n = 0;
        for (const auto& e : events) n += e.code == code;
        return n;
    }
};

class ControlModel : public testing::Test {
protected:
    void SetUp() override {
        skin = LoadTestSkin();
        scene.reset(skin->CreateScene(host.hwnd(), 400, 300, kEventMessage));
        ASSERT_NE(scene, nullptr);
        host.SetScene(scene.get());
    }
    void TearDown() override {
        host.SetScene(nullptr);
        scene.reset();
    }
    std::unique_ptr<CDUI_UIResource> skin;
    HostWindow host;
    std::unique_ptr<CDUI_UIScene> scene;
};

}  // namespace

TEST_F(ControlModel, ChildrenOrderedByLayerThenInsertion) {
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10, 1);
    auto* b = MakeControl(skin.get(), 0, 0, 10, 10, 2);
    auto* c = MakeControl(skin.get(), 0, 0, 10, 10, 3);
    auto* d = MakeControl(skin.get(), 0, 0, 10, 10, 4);
    a->SetLayer(5);
    b->SetLayer(5);
    c->SetLayer(1);
    d->SetLayer(9);
    scene->AddChild(a);
    scene->AddChild(d);
    scene->AddChild(b);
    scene->AddChild(c);
    auto ids = [&] {
        std::vector<int32_t> out;
        for (auto* ch : scene->GetChildren()) out.push_back(ch->GetId());
        return out;
    };
    EXPECT_EQ(ids(), (std::vector<int32_t>{3, 1, 2, 4}));
    // Raising a child re-sorts; equal layers still keep their order.
    c->SetLayer(5);
    EXPECT_EQ(ids(), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(scene->AddChild(a), 0);  // already a child
    EXPECT_EQ(a->GetParent(), scene.get());
    EXPECT_EQ(a->GetScene(), scene.get());
}

TEST_F(ControlModel, RemovingAndDeletingChildren) {
    PlainControl::destroyed = PlainControl::released = 0;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    auto* b = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    scene->AddChild(b);
    EXPECT_EQ(scene->RemoveAllChildren(0), 1);
    EXPECT_EQ(scene->GetChildCount(), 0u);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(a->GetScene(), nullptr);
    EXPECT_EQ(PlainControl::destroyed, 0);
    scene->AddChild(a);
    scene->AddChild(b);
    EXPECT_EQ(scene->DeleteChildren(), 1);
    EXPECT_EQ(PlainControl::destroyed, 2);
    EXPECT_EQ(PlainControl::released, 2);
    // A collection deleted with children releases and deletes them too.
    auto* box = MakeCollection(skin.get(), 0, 0, 50, 50);
    box->AddChild(MakeControl(skin.get(), 0, 0, 1, 1));
    scene->AddChild(box);
    scene.reset();
    EXPECT_EQ(PlainControl::destroyed, 3);
}

TEST_F(ControlModel, AControlDeletedWhileAttachedLeavesItsParent) {
    auto* box = MakeCollection(skin.get(), 0, 0, 100, 100);
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    auto* b = MakeControl(skin.get(), 0, 0, 10, 10);
    box->AddChild(a);
    box->AddChild(b);
    scene->AddChild(box);
    a->SetFocus(1);
    delete a;  // by its page, without detaching first
    EXPECT_EQ(box->GetChildCount(), 1u);
    EXPECT_EQ(box->GetChildAt(0), b);
    EXPECT_EQ(box->GetFocusedChild(), nullptr);
    EXPECT_EQ(scene->ForwardMessage(WM_MOUSEMOVE, 0, Point(5, 5)), 1);  // reaches b, not freed memory
    delete box;
    EXPECT_EQ(scene->GetChildCount(), 0u);
}

TEST_F(ControlModel, LayoutFromTheParentsContentOrigin) {
    auto* box = MakeCollection(skin.get(), 30, 40, 200, 100);
    auto* inner = MakeControl(skin.get(), 5, 6, 20, 10);
    box->AddChild(inner);
    EXPECT_EQ(inner->GetAbsoluteRect(), (DUI_Rect{35, 46, 20, 10}));  // a parent without parent sits at its own x, y
    scene->AddChild(box);
    EXPECT_EQ(box->GetAbsoluteRect(), (DUI_Rect{30, 40, 200, 100}));
    EXPECT_EQ(inner->GetAbsoluteRect(), (DUI_Rect{35, 46, 20, 10}));
    box->SetPosition(0, 0);
    EXPECT_EQ(inner->GetAbsoluteRect(), (DUI_Rect{5, 6, 20, 10}));
    inner->CenterInParent();
    int32_t x = 0, y = 0;
    inner->GetPosition(&x, &y);
    EXPECT_EQ(x, 90);
    EXPECT_EQ(y, 45);
    inner->SetSize(300, 10);
    inner->AlignInParent(1);  // wider than the parent: no negative offset
    inner->GetPosition(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    inner->SetSize(100, 10);
    inner->AlignInParent(1);
    inner->GetPosition(&x, &y);
    EXPECT_EQ(x, 50);
    EXPECT_TRUE(inner->HitTest(50, 0));
    EXPECT_TRUE(inner->HitTest(149, 9));
    EXPECT_FALSE(inner->HitTest(150, 9));  // right edge excluded
    EXPECT_FALSE(inner->HitTest(50, 10));  // bottom edge excluded
}

TEST_F(ControlModel, FocusMovesAmongSiblings) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    auto* b = MakeControl(skin.get(), 20, 0, 10, 10);
    scene->AddChild(a);
    scene->AddChild(b);
    scene->SetDirectDelivery(1);
    a->SetEventCallback(DUI_EVT_FOCUS, Recorder::Callback, &rec);
    EXPECT_EQ(a->SetFocus(1), 1);
    EXPECT_EQ(scene->GetFocusedChild(), a);
    EXPECT_EQ(b->SetFocus(1), 1);
    EXPECT_EQ(a->GetFocus(), 0);
    EXPECT_EQ(b->GetFocus(), 1);
    EXPECT_EQ(scene->GetFocusedChild(), b);
    ASSERT_EQ(rec.events.size(), 2u);
    EXPECT_EQ(rec.events[0].arg[0], 1);
    EXPECT_EQ(rec.events[1].arg[0], 0);
    b->SetVisible(0);  // hiding removes the focus
    EXPECT_EQ(b->GetFocus(), 0);
    EXPECT_EQ(scene->GetFocusedChild(), nullptr);
    a->SetFocusable(0);
    EXPECT_EQ(a->SetFocus(1), 0);
    EXPECT_EQ(a->GetFocus(), 0);
}

TEST_F(ControlModel, StateEventOnlyOnChangeAndWithACallback) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    scene->SetDirectDelivery(1);
    EXPECT_EQ(a->GetState(), DUI_STATE_NORMAL);
    a->SetState(DUI_STATE_HOVER);  // no callback yet: nothing queued
    EXPECT_EQ(a->PendingEventCount(), 0u);
    a->SetEventCallback(DUI_EVT_STATE, Recorder::Callback, &rec);
    a->SetState(DUI_STATE_HOVER);
    a->SetState(DUI_STATE_PRESSED);
    ASSERT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(rec.events[0].arg[0], DUI_STATE_PRESSED);
}

TEST_F(ControlModel, TenDraggingEventsArriveAsOneWithTheLatestValues) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    a->SetEventCallback(DUI_EVT_DRAGGING, Recorder::Callback, &rec);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(a->FireEvent(DUI_EVT_DRAGGING, 1, 2, i, -i), 1);
    EXPECT_EQ(a->PendingEventCount(), 1u);
    EXPECT_TRUE(rec.events.empty());  // posted, not run on the firing call
    host.Drain();
    ASSERT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(rec.events[0].arg[2], 9);
    EXPECT_EQ(rec.events[0].arg[3], -9);
    EXPECT_EQ(a->PendingEventCount(), 0u);
}

TEST_F(ControlModel, DifferentCodesInterleavedAreKeptApart) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    a->SetEventCallback(DUI_EVT_MOUSEMOVE, Recorder::Callback, &rec);
    a->SetEventCallback(DUI_EVT_CLICKED, Recorder::Callback, &rec);
    a->FireEvent(DUI_EVT_MOUSEMOVE, 1);
    a->FireEvent(DUI_EVT_CLICKED);
    a->FireEvent(DUI_EVT_MOUSEMOVE, 2);
    a->FireEvent(DUI_EVT_MOUSEMOVE, 3);
    EXPECT_EQ(a->PendingEventCount(), 3u);
    host.Drain();
    ASSERT_EQ(rec.events.size(), 3u);
    EXPECT_EQ(rec.events[0].arg[0], 1);
    EXPECT_EQ(rec.events[1].code, DUI_EVT_CLICKED);
    EXPECT_EQ(rec.events[2].arg[0], 3);
}

TEST_F(ControlModel, EventQueueingRules) {
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    // Outside a scene nothing is queued.
    EXPECT_EQ(a->FireEvent(DUI_EVT_FADE_START, 1), 0);
    scene->AddChild(a);
    // Input events need a callback; animation events are queued always.
    EXPECT_EQ(a->FireEvent(DUI_EVT_CLICKED), 0);
    EXPECT_EQ(a->FireEvent(DUI_EVT_FADE_START, 1), 1);
    EXPECT_EQ(a->PendingEventCount(), 1u);
    host.Drain();
    EXPECT_EQ(a->PendingEventCount(), 0u);
    // A scene without a host window cannot deliver: nothing piles up.
    std::unique_ptr<CDUI_UIScene> orphan(skin->CreateScene(nullptr, 10, 10, kEventMessage));
    auto* b = MakeControl(skin.get(), 0, 0, 1, 1);
    orphan->AddChild(b);
    EXPECT_EQ(b->FireEvent(DUI_EVT_FADE_START, 1), 0);
    EXPECT_EQ(b->PendingEventCount(), 0u);
}

TEST_F(ControlModel, PostedEventOfADeletedControlIsIgnored) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    a->SetEventCallback(DUI_EVT_CLICKED, Recorder::Callback, &rec);
    a->FireEvent(DUI_EVT_CLICKED);
    scene->DeleteChildren();
    host.Drain();  // the posted message names a control that is gone
    EXPECT_TRUE(rec.events.empty());
    // A stale record pointer for a live control is refused too.
    auto* b = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(b);
    CDUI_EventRecord stray;
    EXPECT_EQ(b->DeliverEvent(&stray), 0);
}

TEST_F(ControlModel, DirectDeliveryRunsOnTheFiringThread) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    scene->SetDirectDelivery(1);
    a->SetEventCallback(DUI_EVT_CLICKED, Recorder::Callback, &rec);
    a->FireEvent(DUI_EVT_CLICKED);
    EXPECT_EQ(rec.events.size(), 1u);
    EXPECT_EQ(a->PendingEventCount(), 0u);
}

TEST_F(ControlModel, UnattachedControlNeedsNoLock) {
    std::atomic<int> phase{0};
    std::thread holder([&] {
        WaitForSingleObject(scene->GetParamMutex(), INFINITE);
        phase = 1;
        while (phase != 2) Sleep(1);
        ReleaseMutex(scene->GetParamMutex());
    });
    while (phase != 1) Sleep(1);
    // The scene's lock is held elsewhere; a control outside it works on.
    auto* loose = MakeControl(skin.get(), 0, 0, 10, 10);
    EXPECT_EQ(loose->SetText(L"文本"), 1);
    EXPECT_EQ(loose->SetBackColor(0xFF010203), 1);
    EXPECT_EQ(loose->GetText(), L"文本");
    phase = 2;
    holder.join();
    scene->AddChild(loose);
    EXPECT_EQ(loose->GetBackColor(), 0xFF010203u);
}

TEST_F(ControlModel, NestedScopesHoldTheLockUntilTheOutermostEnds) {
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    auto othersCanTake = [&] {
        return std::async(std::launch::async, [&] {
                   const DWORD wait = WaitForSingleObject(scene->GetParamMutex(), 0);
                   if (wait == WAIT_OBJECT_0) ReleaseMutex(scene->GetParamMutex());
                   return wait == WAIT_OBJECT_0;
               }).get();
    };
    {
        CDUI_ParamLock outer(a);
        ASSERT_EQ(outer.Ok(), 1);
        {
            CDUI_ParamLock inner(a);
            EXPECT_EQ(a->SetText(L"x"), 1);  // a third scope inside
        }
        EXPECT_FALSE(othersCanTake());
    }
    EXPECT_TRUE(othersCanTake());
}

TEST_F(ControlModel, FailedLockWaitIsReportedAndSkipsTheOperation) {
    std::vector<std::wstring> shown;
    SystemMessageHandler previous = SetSystemMessageHandler(
        [&](const std::wstring& text, const std::wstring& caption) { shown.push_back(text + L"|" + caption); });
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    // Break the lock under the scene: the next wait fails.
    HANDLE lock = scene->GetParamMutex();
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), lock, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    CloseHandle(lock);
    EXPECT_EQ(a->SetText(L"x"), 0);
    EXPECT_EQ(scene->ForwardMessage(WM_MOUSEMOVE, 0, Point(1, 1)), 0);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], L"DUI RequestParamMutex Failed!|信息");
    // Teardown cannot lock either; it reports again and still frees the tree.
    host.SetScene(nullptr);
    scene.reset();
    SetSystemMessageHandler(previous);
    CloseHandle(copy);
}

TEST_F(ControlModel, ConfinedDragStopsAtTheParentsEdgePerAxis) {
    Recorder rec;
    auto* box = MakeCollection(skin.get(), 50, 50, 100, 100);
    auto* a = MakeControl(skin.get(), 10, 10, 20, 20);
    auto* other = MakeControl(skin.get(), 0, 0, 5, 5);
    box->AddChild(a);
    box->AddChild(other);
    scene->AddChild(box);
    scene->SetDirectDelivery(1);
    a->SetDragEnable(1);
    a->SetDragConfine(1);
    a->SetLayer(3);
    a->SetEventCallback(DUI_EVT_DRAGSTART, Recorder::Callback, &rec);
    a->SetEventCallback(DUI_EVT_DRAGGING, Recorder::Callback, &rec);
    a->SetEventCallback(DUI_EVT_DRAGEND, Recorder::Callback, &rec);
    // Press at absolute (65, 65), inside a.
    EXPECT_EQ(a->DispatchControlMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(65, 65)), 1);
    a->DispatchControlMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(75, 65));  // past the drag rectangle: starts the drag
    EXPECT_EQ(a->GetLayer(), kDuiDragLayer);
    EXPECT_EQ(box->GetChildAt(1), a);  // raised above its sibling
    int32_t x = 0, y = 0;
    a->DispatchControlMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(65 + 70, 65 + 5));
    a->GetPosition(&x, &y);
    EXPECT_EQ(x, 80);  // right edge of a at the parent's right edge
    EXPECT_EQ(y, 15);
    a->DispatchControlMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(65 + 90, 65 + 20));
    a->GetPosition(&x, &y);
    EXPECT_EQ(x, 80);  // refused on x
    EXPECT_EQ(y, 30);  // still follows on y
    a->DispatchControlMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(65 + 30, 65 - 40));
    a->GetPosition(&x, &y);
    EXPECT_EQ(x, 40);
    EXPECT_EQ(y, 30);  // refused on y (would leave at the top)
    a->DispatchControlMessage(WM_LBUTTONUP, 0, Point(65 + 30, 65 - 40));
    a->GetPosition(&x, &y);
    EXPECT_EQ(x, 10);  // restored
    EXPECT_EQ(y, 10);
    EXPECT_EQ(a->GetLayer(), 3);
    EXPECT_EQ(rec.Count(DUI_EVT_DRAGSTART), 1);
    EXPECT_EQ(rec.Count(DUI_EVT_DRAGEND), 1);
    ASSERT_FALSE(rec.events.empty());
    EXPECT_EQ(rec.events.back().arg[2], 30);
    EXPECT_EQ(rec.events.back().arg[3], -40);
    // gx = x + width - press x, taken at the press (absolute).
    EXPECT_EQ(rec.events[0].arg[0], 60 + 20 - 65);
}

TEST_F(ControlModel, DragWithoutRestoreKeepsThePosition) {
    auto* a = MakeControl(skin.get(), 10, 10, 20, 20);
    scene->AddChild(a);
    a->SetDragEnable(1);
    a->SetDragNoRestore(1);
    a->DispatchControlMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(15, 15));
    a->DispatchControlMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(25, 25));
    a->DispatchControlMessage(WM_MOUSEMOVE, MK_LBUTTON, Point(115, 215));
    // Moves without the button held do not drag.
    a->DispatchControlMessage(WM_MOUSEMOVE, 0, Point(300, 300));
    a->DispatchControlMessage(WM_LBUTTONUP, 0, Point(115, 215));
    int32_t x = 0, y = 0;
    a->GetPosition(&x, &y);
    EXPECT_EQ(x, 110);
    EXPECT_EQ(y, 210);
    EXPECT_EQ(a->GetLayer(), 0);
}

TEST_F(ControlModel, MoveAnimationAdvancesPerPaintedFrame) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    scene->SetDirectDelivery(1);
    for (int code = DUI_EVT_MOVEANIM_START; code <= DUI_EVT_MOVEANIM_END; ++code)
        a->SetEventCallback(code, Recorder::Callback, &rec);
    // 300 px along x in 300 ms: 30 px per frame, width 10 -> 40.
    ASSERT_EQ(a->StartMoveAnimation(DUI_Rect{300, 0, 40, 10}, 300), 1);
    EXPECT_EQ(a->StartMoveAnimation(DUI_Rect{10, 10, 1, 1}, 10), 0);  // already running
    a->StepAnimations();
    int32_t x = 0, y = 0, w = 0, h = 0;
    a->GetPosition(&x, &y);
    a->GetSize(&w, &h);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(w, 13);
    for (int i = 0; i < 9; ++i) a->StepAnimations();
    a->GetPosition(&x, &y);
    EXPECT_EQ(x, 300);  // ten frames: at the target, not yet past it
    a->StepAnimations();
    EXPECT_EQ(a->IsAnimating(), 0);
    a->GetPosition(&x, &y);
    EXPECT_EQ(x, 0);  // the rectangle goes back to the start
    EXPECT_EQ(rec.Count(DUI_EVT_MOVEANIM_START), 1);
    EXPECT_EQ(rec.Count(DUI_EVT_MOVEANIM_STEP), 10);
    ASSERT_EQ(rec.Count(DUI_EVT_MOVEANIM_END), 1);
    EXPECT_EQ(rec.events.back().arg[0], 300);
    EXPECT_EQ(rec.events.back().arg[2], 40);
    EXPECT_EQ(a->StartMoveAnimation(DUI_Rect{0, 0, 50, 50}, 100), 0);  // no distance to travel
}

TEST_F(ControlModel, FadeNeedsItsFlagAndStopsAtTheTarget) {
    Recorder rec;
    auto* a = MakeControl(skin.get(), 0, 0, 10, 10);
    scene->AddChild(a);
    scene->SetDirectDelivery(1);
    for (int code = DUI_EVT_FADE_START; code <= DUI_EVT_FADE_END; ++code)
        a->SetEventCallback(code, Recorder::Callback, &rec);
    a->SetFadeEnable(0);
    EXPECT_EQ(a->StartFade(255, 0, 100), 0);
    a->SetFadeEnable(1);
    ASSERT_EQ(a->StartFade(250, 40, 100), 1);
    EXPECT_EQ(a->GetOpacity(), 250);
    a->StepAnimations();
    EXPECT_EQ(a->GetOpacity(), 150);
    a->StepAnimations();
    EXPECT_EQ(a->GetOpacity(), 50);
    a->StepAnimations();
    EXPECT_EQ(a->GetOpacity(), 40);
    EXPECT_EQ(a->IsFading(), 0);
    EXPECT_EQ(rec.Count(DUI_EVT_FADE_START), 1);
    EXPECT_EQ(rec.events[0].arg[0], 255);  // the opacity before the fade
    EXPECT_EQ(rec.Count(DUI_EVT_FADE_STEP), 2);
    EXPECT_EQ(rec.Count(DUI_EVT_FADE_END), 1);
    EXPECT_EQ(a->StopFade(), 0);
}

TEST_F(ControlModel, InvalidationKeepsOneBoundingRectangle) {
    scene->TakeDirty(nullptr);
    scene->InvalidateRect({-5, -5, 10, 10});
    EXPECT_EQ(scene->PeekDirty(), (DUI_Rect{0, 0, 10, 10}));
    scene->InvalidateRect({300, 200, 1, 1});
    EXPECT_EQ(scene->PeekDirty(), (DUI_Rect{0, 0, 301, 201}));
    scene->InvalidateRect({50, 50, 0, 10});  // empty: ignored
    EXPECT_EQ(scene->PeekDirty(), (DUI_Rect{0, 0, 301, 201}));
    DUI_Rect taken;
    EXPECT_EQ(scene->TakeDirty(&taken), 1);
    EXPECT_EQ(taken, (DUI_Rect{0, 0, 301, 201}));
    EXPECT_EQ(scene->TakeDirty(&taken), 0);
    // A moved control repaints where it was and where it is.
    auto* a = MakeControl(skin.get(), 10, 10, 5, 5);
    scene->AddChild(a);
    scene->TakeDirty(nullptr);
    a->SetPosition(100, 10);
    EXPECT_EQ(scene->PeekDirty(), (DUI_Rect{10, 10, 95, 5}));
}

// Two threads change controls and fire events while a third paints, all on
// one scene: nothing deadlocks and the last values win.
TEST_F(ControlModel, ThreeThreadStress) {
    auto* a = MakeControl(skin.get(), 0, 0, 40, 20);
    auto* b = MakeControl(skin.get(), 100, 0, 40, 20);
    scene->AddChild(a);
    scene->AddChild(b);
    Recorder recA, recB;
    a->SetEventCallback(DUI_EVT_DRAGGING, Recorder::Callback, &recA);
    b->SetEventCallback(DUI_EVT_DRAGGING, Recorder::Callback, &recB);
    constexpr int kRounds = 1000;
    std::atomic<int> running{2};
    std::atomic<bool> stopPainter{false};
    std::atomic<int> frames{0};
    auto worker = [&](CDUI_UIControl* c) {
        for (int i = 0; i < kRounds; ++i) {
            c->SetPosition(i % 300, i % 200);
            c->SetText(std::to_wstring(i));
            c->SetBackColor(0xFF000000u | uint32_t(i));
            c->FireEvent(DUI_EVT_DRAGGING, i, 0, 0, 0);
            if (i % 64 == 0) Sleep(0);
        }
        --running;
    };
    auto painter = std::async(std::launch::async, [&] {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 400, 300, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, dib);
        while (!stopPainter) {
            scene->InvalidateRect({0, 0, 400, 300});
            frames += scene->PaintFrame(dc);
        }
        SelectObject(dc, old);
        DeleteObject(dib);
        DeleteDC(dc);
    });
    auto one = std::async(std::launch::async, worker, a);
    auto two = std::async(std::launch::async, worker, b);
    // Deliver posted events on this (the host's) thread meanwhile.
    bool finished = host.PumpUntil([&] { return running == 0; }, 120000);
    stopPainter = true;
    ASSERT_TRUE(finished) << "workers did not finish: deadlock?";
    ASSERT_EQ(painter.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    one.get();
    two.get();
    host.Drain();
    int32_t x = 0, y = 0;
    a->GetPosition(&x, &y);
    EXPECT_EQ(x, (kRounds - 1) % 300);
    EXPECT_EQ(y, (kRounds - 1) % 200);
    EXPECT_EQ(b->GetText(), std::to_wstring(kRounds - 1));
    EXPECT_EQ(b->GetBackColor(), 0xFF000000u | uint32_t(kRounds - 1));
    ASSERT_FALSE(recA.events.empty());
    ASSERT_FALSE(recB.events.empty());
    EXPECT_EQ(recA.events.back().arg[0], kRounds - 1);
    EXPECT_EQ(recB.events.back().arg[0], kRounds - 1);
    EXPECT_LE(recA.events.size(), size_t(kRounds));
    EXPECT_EQ(a->PendingEventCount(), 0u);
    EXPECT_GT(frames.load(), 0);
}
