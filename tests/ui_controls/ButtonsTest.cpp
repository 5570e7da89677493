// The button kinds: looks per state, push, option groups, check boxes.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/DUI_Button.h"

using namespace ctltest;

namespace {

struct Recorded {
    int calls = 0;
    int32_t last = -1;
};

void Record(CDUI_UIControl*, int32_t value, void* user) {
    auto* r = static_cast<Recorded*>(user);
    ++r->calls;
    r->last = value;
}

}  // namespace

TEST(Button, LookFollowsStateAndEnabled) {
    Fixture f;
    CDUI_Button* b = f.resource->CreateButton(1, L"OVButton", L"", 10, 10, 40, 20);
    ASSERT_NE(b, nullptr);
    f.scene->AddChild(b);
    EXPECT_EQ(b->GetBorder(), 0);  // buttons start without a border
    EXPECT_EQ(f.Paint()->Pixel(30, 20), kRed);
    b->SetState(DUI_STATE_HOVER);
    EXPECT_EQ(f.Paint()->Pixel(30, 20), kGreen);
    b->SetState(DUI_STATE_PRESSED);
    EXPECT_EQ(f.Paint()->Pixel(30, 20), kBlue);
    b->SetState(DUI_STATE_RELEASED);
    EXPECT_EQ(f.Paint()->Pixel(30, 20), kGreen);
    b->SetEnabled(0);
    EXPECT_EQ(f.Paint()->Pixel(30, 20), kGray);
    EXPECT_EQ(f.resource->CreateButton(2, L"NoSuchStyle", L"", 0, 0, 1, 1), nullptr);
}

TEST(Button, UnstretchedSkinIsCentred) {
    Fixture f;
    CDUI_Button* b = f.resource->CreateButton(1, L"SmallButton", L"", 0, 0, 20, 20);
    ASSERT_NE(b, nullptr);
    b->SetTransparent(1);
    DUI_ButtonDrawing d;
    d.stretch = 0;
    b->SetDrawing(d);
    f.scene->AddChild(b);
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(9, 9), kRed);     // the 4 x 4 skin rect at 8..11
    EXPECT_EQ(s->Pixel(11, 11), kRed);
    EXPECT_EQ(s->Pixel(7, 9), 0u);
    EXPECT_EQ(s->Pixel(12, 9), 0u);
}

TEST(Button, ClickThroughTheSceneFiresClickedOnce) {
    Fixture f;
    CDUI_Button* a = f.resource->CreateButton(1, L"OVButton", L"", 0, 0, 50, 20);
    CDUI_Button* b = f.resource->CreateButton(2, L"OVButton", L"", 60, 0, 50, 20);
    f.scene->AddChild(a);
    f.scene->AddChild(b);
    static int clicks[3];
    clicks[1] = clicks[2] = 0;
    auto onClick = [](CDUI_UIControl* c, const CDUI_EventRecord*, void*) { ++clicks[c->GetId()]; };
    a->SetEventCallback(DUI_EVT_CLICKED, onClick, nullptr);
    b->SetEventCallback(DUI_EVT_CLICKED, onClick, nullptr);
    f.Click(10, 10);
    EXPECT_EQ(clicks[1], 1);
    // Press on a, release on b: neither clicks.
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
    f.Send(WM_LBUTTONUP, 0, 70, 10);
    EXPECT_EQ(clicks[1], 1);
    EXPECT_EQ(clicks[2], 0);
}

TEST(PushButton, ClickTogglesAndReports4701) {
    Fixture f;
    CDUI_PushButton* p = f.resource->CreatePushButton(1, L"OVPushButton", L"", 0, 0, 40, 20);
    ASSERT_NE(p, nullptr);
    f.scene->AddChild(p);
    EXPECT_EQ(f.Paint()->Pixel(20, 10), kYellow);
    Recorded r;
    p->SetPushCallback(Record, &r);
    f.Click(20, 10);
    EXPECT_EQ(p->GetChecked(), 1);
    EXPECT_EQ(r.calls, 1);
    EXPECT_EQ(r.last, 1);
    EXPECT_EQ(f.Paint()->Pixel(20, 10), kWhite);  // pushed and still hovered (released state)
    f.Send(WM_MOUSEMOVE, 0, 300, 200);
    EXPECT_EQ(f.Paint()->Pixel(20, 10), kMagenta);  // pushed, normal
    f.Click(20, 10);
    EXPECT_EQ(p->GetChecked(), 0);
    EXPECT_EQ(r.last, 0);
    p->SetEnabled(0);
    EXPECT_EQ(f.Paint()->Pixel(20, 10), kGray);
}

TEST(OptionButton, SelectingClearsOnlyTheSameGroup) {
    Fixture f;
    CDUI_OptionButton* a = f.resource->CreateOptionButton(1, L"OVOptionButton", L"", 0, 0, 30, 20);
    CDUI_OptionButton* b = f.resource->CreateOptionButton(2, L"OVOptionButton", L"", 40, 0, 30, 20);
    CDUI_OptionButton* c = f.resource->CreateOptionButton(3, L"OVOptionButton", L"", 80, 0, 30, 20);
    ASSERT_TRUE(a && b && c);
    a->SetGroup(1);
    b->SetGroup(1);
    c->SetGroup(2);
    f.scene->AddChild(a);
    f.scene->AddChild(b);
    f.scene->AddChild(c);
    a->SetChecked(1);
    c->SetChecked(1);
    f.Click(50, 10);  // b
    EXPECT_EQ(b->GetChecked(), 1);
    EXPECT_EQ(a->GetChecked(), 0);
    EXPECT_EQ(c->GetChecked(), 1);  // another group keeps its selection
    f.Click(50, 10);
    EXPECT_EQ(b->GetChecked(), 1);  // not deselectable: stays selected
    b->SetDeselectable(1);
    f.Click(50, 10);
    EXPECT_EQ(b->GetChecked(), 0);
    f.Send(WM_MOUSEMOVE, 0, 300, 200);
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(5, 5), kMaroon);  // not selected
    EXPECT_EQ(s->Pixel(85, 5), kNavy);   // selected
    EXPECT_EQ(a->SetTextPlacement(1), 1);
    EXPECT_EQ(a->GetAlignment(), 18u);
}

TEST(CheckBox, ClickTogglesAnd601OnEveryChange) {
    Fixture f;
    CDUI_CheckBox* box = f.resource->CreateCheckBox(1, L"OVCheckBox", L"", 0, 0, 60, 10);
    ASSERT_NE(box, nullptr);
    f.scene->AddChild(box);
    Recorded r;
    box->SetCheckCallback(Record, &r);
    f.Click(5, 5);
    EXPECT_EQ(box->GetChecked(), 1);
    EXPECT_EQ(r.calls, 1);
    EXPECT_EQ(r.last, 1);
    box->SetChecked(1);
    EXPECT_EQ(r.calls, 1);  // no change, no event
    box->SetChecked(0);
    EXPECT_EQ(r.calls, 2);
    EXPECT_EQ(r.last, 0);
    f.Send(WM_MOUSEMOVE, 0, 300, 200);
    EXPECT_EQ(f.Paint()->Pixel(5, 5), kTeal);
    box->SetChecked(1);
    EXPECT_EQ(f.Paint()->Pixel(5, 5), kPurple);
    EXPECT_EQ(box->SetTextPlacement(1), 0);  // only left and right
    EXPECT_EQ(box->SetTextPlacement(2), 1);
}
