// The accessibility model read from a live scene, and the keyboard focus
// driving it: what a screen reader is told and what the keys do.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "accessibility/DUI_AccessModel.h"
#include "accessibility/DUI_KeyboardFocus.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_SliderBar.h"
#include "controls/DUI_TextEdit.h"

using ctltest::Fixture;

namespace {

const DUI_AccessNode* Named(const DUI_AccessTree& tree, const std::wstring& name) {
    for (const DUI_AccessNode& n : tree.nodes)
        if (n.name == name) return &n;
    return nullptr;
}

}  // namespace

TEST(AccessModel, ReadsRolesNamesAndStatesAndNeverAPassword) {
    Fixture f;
    CDUI_Button* ok = f.resource->CreateButton(1, L"OVButton", L"确定", 200, 10, 60, 20);
    CDUI_Button* hidden = f.resource->CreateButton(2, L"OVButton", L"隐藏", 10, 10, 60, 20);
    CDUI_Label* label = f.resource->CreateLabel(3, L"OVLabel", L"密码", 10, 50, 60, 20);
    CDUI_TextEdit* password = f.resource->CreateTextEdit(4, L"OVTextEdit", L"", 80, 50, 100, 20);
    CDUI_SliderBar* slider = f.resource->CreateSliderBar(5, L"OVSliderBar", L"", 80, 90, 100, 10, 0, 100, 40);
    CDUI_OptionButton* option = f.resource->CreateOptionButton(6, L"OVOptionButton", L"甲", 10, 120, 30, 20);
    ASSERT_TRUE(ok && hidden && label && password && slider && option);
    for (CDUI_UIControl* c : std::initializer_list<CDUI_UIControl*>{ok, hidden, label, password, slider, option})
        f.scene->AddChild(c);
    hidden->SetVisible(0);
    password->SetPassword(1);
    password->SetText(L"hunter22");
    option->SetChecked(1);

    const DUI_AccessTree tree = DUI_BuildAccessTree(f.scene, ok);
    EXPECT_EQ(Named(tree, L"隐藏"), nullptr);
    const DUI_AccessNode* button = Named(tree, L"确定");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->role, DUI_AccessRole::Button);
    EXPECT_EQ(button->state & (kAccessFocusable | kAccessFocused), kAccessFocusable | kAccessFocused);
    const int edit = tree.Find(password);
    ASSERT_GE(edit, 0);
    EXPECT_EQ(tree.nodes[edit].name, L"密码");  // from the label on its left
    EXPECT_TRUE(tree.nodes[edit].state & kAccessPassword);
    const std::wstring dump = DUI_FormatAccessTree(tree);
    EXPECT_EQ(dump.find(L"hunter"), std::wstring::npos) << std::string(dump.begin(), dump.end());
    const int range = tree.Find(slider);
    ASSERT_GE(range, 0);
    EXPECT_EQ(tree.nodes[range].rangeValue, 40);
    EXPECT_EQ(tree.nodes[range].rangeMaximum, 100);
    EXPECT_TRUE(Named(tree, L"甲")->state & kAccessSelected);
    // Reading order: top to bottom, then left to right.
    std::vector<CDUI_UIControl*> order;
    for (int i : tree.TabOrder()) order.push_back(tree.nodes[i].control);
    EXPECT_EQ(order, (std::vector<CDUI_UIControl*>{ok, password, slider, option}));
    ok->SetEnabled(0);
    EXPECT_TRUE(DUI_BuildAccessTree(f.scene, nullptr).nodes[tree.Find(ok)].state & kAccessDisabled);
}

TEST(KeyboardFocus, TabMovesEnterPressesArrowsSelectAndTheRingIsDrawn) {
    Fixture f;
    CDUI_Button* first = f.resource->CreateButton(1, L"OVButton", L"一", 20, 20, 60, 20);
    CDUI_Button* second = f.resource->CreateButton(2, L"OVButton", L"二", 120, 20, 60, 20);
    CDUI_OptionButton* a = f.resource->CreateOptionButton(3, L"OVOptionButton", L"甲", 20, 100, 30, 20);
    CDUI_OptionButton* b = f.resource->CreateOptionButton(4, L"OVOptionButton", L"乙", 80, 100, 30, 20);
    ASSERT_TRUE(first && second && a && b);
    for (CDUI_UIControl* c : std::initializer_list<CDUI_UIControl*>{first, second, a, b}) f.scene->AddChild(c);
    a->SetChecked(1);
    static int clicks[3];
    clicks[1] = clicks[2] = 0;
    auto count = [](CDUI_UIControl* c, const CDUI_EventRecord*, void*) { ++clicks[c->GetId()]; };
    first->SetEventCallback(DUI_EVT_CLICKED, count, nullptr);
    second->SetEventCallback(DUI_EVT_CLICKED, count, nullptr);

    CDUI_KeyboardFocus focus(f.scene);
    EXPECT_EQ(focus.OnMessage(WM_KEYDOWN, VK_RETURN, 0), 0);  // nothing focused: nothing pressed
    EXPECT_EQ(focus.OnMessage(WM_KEYDOWN, VK_TAB, 0), 1);
    EXPECT_EQ(focus.Focused(), first);
    EXPECT_EQ(focus.OnMessage(WM_KEYDOWN, VK_TAB, 0), 1);
    EXPECT_EQ(focus.Focused(), second);
    EXPECT_EQ(focus.OnMessage(WM_KEYDOWN, VK_RETURN, 0), 1);
    EXPECT_EQ(clicks[2], 1);
    EXPECT_EQ(clicks[1], 0);
    // The ring stands kRingGap outside the control, in the accent colour.
    const int32_t ringX = 120 - CDUI_KeyboardFocus::kRingGap - 1;
    EXPECT_EQ(f.Paint()->Pixel(ringX, 30), CDUI_KeyboardFocus::kRingColor);
    focus.OnMessage(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(focus.Focused(), a);
    EXPECT_NE(f.Paint()->Pixel(ringX, 30), CDUI_KeyboardFocus::kRingColor);
    focus.OnMessage(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(focus.Focused(), b);
    EXPECT_TRUE(b->GetChecked());
    EXPECT_FALSE(a->GetChecked());
    focus.OnMessage(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(focus.Focused(), first);  // round to the start
    // A press with the pointer moves the focus there and hides the ring.
    focus.OnMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(130, 25));
    EXPECT_EQ(focus.Focused(), second);
    EXPECT_EQ(focus.RingShown(), 0);
}
