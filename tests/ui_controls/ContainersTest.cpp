// Panel (content origin, clipping, scroll bars), scroll bar, list box, combo box.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_ScrollBar.h"
#include "controls/DUI_TextEdit.h"

using namespace ctltest;

namespace {

std::vector<int32_t> g_selected;
void OnSelect(CDUI_UIControl*, int32_t index, void*) { g_selected.push_back(index); }

}  // namespace

TEST(Panel, ChildrenFollowTheContentOriginAndAreClipped) {
    Fixture f;
    CDUI_Panel* panel = f.resource->CreatePanel(1, L"OVPanel", L"", 50, 50, 100, 100);
    ASSERT_NE(panel, nullptr);
    f.scene->AddChild(panel);
    EXPECT_EQ(panel->GetBackColor(), 0xFF203040u);
    CDUI_Button* inside = f.resource->CreateButton(2, L"OVButton", L"", 10, 10, 20, 20);
    CDUI_Button* sticking = f.resource->CreateButton(3, L"OVButton", L"", 80, 80, 60, 60);
    panel->AddChild(inside);
    panel->AddChild(sticking);
    EXPECT_EQ(inside->GetAbsoluteRect(), (DUI_Rect{60, 60, 20, 20}));
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(65, 65), kRed);
    EXPECT_EQ(s->Pixel(140, 140), kRed);           // inside the panel less 2 pixels
    EXPECT_NE(s->Pixel(148, 140), kRed);           // the 2-pixel margin
    EXPECT_EQ(s->Pixel(160, 160), 0u);             // outside the panel: clipped
    EXPECT_EQ(s->Pixel(51, 51), kWhite);           // frame piece
    EXPECT_EQ(s->Pixel(100, 100), 0xFF203040u);    // back colour

    ASSERT_EQ(panel->SetScrolling(1, 100, 400), 1);
    ASSERT_EQ(panel->SetScrollOffset(0, 40), 1);
    EXPECT_EQ(inside->GetAbsoluteRect(), (DUI_Rect{60, 20, 20, 20}));
    ASSERT_NE(panel->GetVerticalBar(), nullptr);
    EXPECT_EQ(panel->GetVerticalBar()->GetShown(), 1);
    EXPECT_EQ(panel->GetHorizontalBar()->GetShown(), 0);
    EXPECT_EQ(panel->GetVerticalBar()->GetScrollPosition(), 40);
    panel->SetScrollOffset(0, 5000);
    int32_t sx = 0, sy = 0;
    panel->GetScrollOffset(&sx, &sy);
    EXPECT_EQ(sy, 300);  // content 400, page 100
}

TEST(Panel, MouseOutsideIsNotOfferedToChildren) {
    Fixture f;
    CDUI_Panel* panel = f.resource->CreatePanel(1, L"OVPanel", L"", 0, 0, 50, 50);
    f.scene->AddChild(panel);
    CDUI_Button* b = f.resource->CreateButton(2, L"OVButton", L"", 30, 30, 60, 60);  // reaches past the panel
    panel->AddChild(b);
    static int clicks = 0;
    clicks = 0;
    b->SetEventCallback(DUI_EVT_CLICKED, [](CDUI_UIControl*, const CDUI_EventRecord*, void*) { ++clicks; }, nullptr);
    f.Click(70, 70);  // on the button but outside the panel
    EXPECT_EQ(clicks, 0);
    f.Click(40, 40);
    EXPECT_EQ(clicks, 1);
}

TEST(ScrollBar, ButtonsTrackAndThumb) {
    Fixture f;
    CDUI_ScrollBar* bar = f.resource->CreateScrollBar(1, L"OVScrollBar", L"", 0, 0, 12, 120);
    ASSERT_NE(bar, nullptr);
    f.scene->AddChild(bar);
    EXPECT_EQ(bar->IsVertical(), 1);
    bar->SetRange(1000, 100, 10);
    std::vector<int32_t> seen;
    bar->SetPositionListener([&](int32_t p) { seen.push_back(p); });
    f.Click(6, 115);  // after button
    EXPECT_EQ(bar->GetScrollPosition(), 10);
    f.Click(6, 2);  // before button
    EXPECT_EQ(bar->GetScrollPosition(), 0);
    f.Click(6, 90);  // track below the thumb: a page
    EXPECT_EQ(bar->GetScrollPosition(), 100);
    bar->SetScrollPosition(100000);
    EXPECT_EQ(bar->GetScrollPosition(), 900);
    EXPECT_EQ(seen, (std::vector<int32_t>{10, 0, 100, 900}));
    const DUI_Rect thumb = bar->ThumbRect();
    EXPECT_EQ(thumb.y + thumb.height, 120 - 12);  // at the end of the track
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(6, 2), kRed);                       // before button
    EXPECT_EQ(s->Pixel(6, thumb.y + thumb.height / 2), kGreen);  // thumb
    EXPECT_EQ(s->Pixel(6, 20), kGray);                     // track pattern
}

TEST(ScrollBar, PressesElsewhereReachTheirControls) {
    Fixture f;
    CDUI_Button* button = f.resource->CreateButton(1, L"OVButton", L"", 0, 0, 50, 20);
    CDUI_ListBox* list = f.resource->CreateListBox(2, L"OVListBox", L"", 0, 100, 100, 60);
    CDUI_ScrollBar* bar = f.resource->CreateScrollBar(3, L"OVScrollBar", L"", 300, 0, 12, 120);  // topmost
    f.scene->AddChild(button);
    f.scene->AddChild(list);
    f.scene->AddChild(bar);
    bar->SetRange(1000, 100, 10);
    list->AddItem(L"a", 1, L"");
    static int clicks = 0;
    clicks = 0;
    button->SetEventCallback(DUI_EVT_CLICKED, [](CDUI_UIControl*, const CDUI_EventRecord*, void*) { ++clicks; }, nullptr);
    f.Click(10, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(bar->GetScrollPosition(), 0);
    f.Click(200, 105);  // beside the list, level with its first row
    EXPECT_EQ(list->GetSelectedIndex(), -1);
}

TEST(ListBox, ItemsSelectionAndLookups) {
    Fixture f;
    CDUI_ListBox* list = f.resource->CreateListBox(1, L"OVListBox", L"", 0, 0, 150, 100);
    ASSERT_NE(list, nullptr);
    f.scene->AddChild(list);
    g_selected.clear();
    list->SetSelectCallback(OnSelect, nullptr);
    for (int i = 0; i < 20; ++i) list->AddItem(L"项目 " + std::to_wstring(i), i * 10, L"second" + std::to_wstring(i));
    std::wstring text, text2;
    int32_t value = 0;
    ASSERT_EQ(list->GetItem(3, &text, &value, &text2), 1);
    EXPECT_EQ(text, L"项目 3");
    EXPECT_EQ(value, 30);
    EXPECT_EQ(text2, L"second3");
    EXPECT_EQ(list->GetItem(20, &text, &value, &text2), 0);
    EXPECT_EQ(list->GetItem(-1, &text, &value, &text2), 0);

    const int32_t rowH = list->GetRowHeight();
    ASSERT_GT(rowH, 8);
    f.Click(20, rowH * 2 + rowH / 2);
    EXPECT_EQ(list->GetSelectedIndex(), 2);
    f.Click(20, rowH * 2 + rowH / 2);  // the same row: no second call
    EXPECT_EQ(g_selected, (std::vector<int32_t>{2}));
    ASSERT_EQ(list->SelectByValue(150), 1);
    EXPECT_EQ(list->GetSelectedIndex(), 15);
    EXPECT_LE(list->GetFirstVisible(), 15);
    EXPECT_GT(list->GetFirstVisible() + list->GetVisibleRows(), 15);  // scrolled into view
    EXPECT_EQ(list->SelectByText(L"项目 7"), 1);
    EXPECT_EQ(list->SelectByText(L"nothing"), 0);
    EXPECT_EQ(list->SelectByValue(-5), 0);
    EXPECT_EQ(g_selected, (std::vector<int32_t>{2, 15, 7}));
    f.Send(WM_MOUSEMOVE, 0, 20, rowH / 2);
    EXPECT_EQ(list->GetHoverIndex(), list->GetFirstVisible());
    f.Send(WM_MOUSELEAVE, 0, 0, 0);
    list->ClearItems();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->GetSelectedIndex(), -1);
}

TEST(ComboBox, DropSelectAndClear) {
    Fixture f;
    CDUI_ComboBox* combo = f.resource->CreateComboBox(1, L"OVComboBox", L"", 10, 10, 150, 24);
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(combo->GetEdit(), nullptr);
    ASSERT_NE(combo->GetList(), nullptr);
    f.scene->AddChild(combo);
    g_selected.clear();
    combo->SetSelectCallback(OnSelect, nullptr);
    combo->AddItem(L"红色", 1, L"");
    combo->AddItem(L"绿色", 2, L"");
    combo->AddItem(L"蓝色", 3, L"");
    combo->SelectByValue(3);  // chosen while the list is still closed (and tiny)
    EXPECT_EQ(combo->GetText(), L"蓝色");
    g_selected.clear();
    EXPECT_EQ(combo->IsDropped(), 0);
    f.Click(150, 20);  // the drop button
    EXPECT_EQ(combo->IsDropped(), 1);
    int32_t w = 0, h = 0;
    combo->GetSize(&w, &h);
    EXPECT_GT(h, 24);
    EXPECT_EQ(combo->GetList()->GetFirstVisible(), 0);  // all three rows in view again
    const int32_t rowH = combo->GetList()->GetRowHeight();
    f.Click(40, 10 + 24 + rowH + rowH / 2);  // the second row
    EXPECT_EQ(combo->IsDropped(), 0);
    EXPECT_EQ(combo->GetText(), L"绿色");
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    EXPECT_EQ(g_selected, (std::vector<int32_t>{1}));
    combo->GetSize(&w, &h);
    EXPECT_EQ(h, 24);
    EXPECT_EQ(combo->SelectByValue(3), 1);
    EXPECT_EQ(combo->GetText(), L"蓝色");
    combo->ClearItems();
    EXPECT_EQ(combo->GetText(), L"");  // not editable: the text goes too
    EXPECT_EQ(combo->GetList()->GetItemCount(), 0);
}
