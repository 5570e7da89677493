// The navigation bar as the pages rebuild it at run time: insert, remove,
// clear, rename, open and close from code, empty groups, fonts per row kind,
// scrolling through more rows than fit, and ids kept apart from values.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ControlsTestSupport.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_ScrollBar.h"
#include "controls/NavigationTree.h"
#include "core/DUI_FontType.h"

using namespace ctltest;

namespace {

struct NavEvent {
    int code;
    int32_t id, value;
    std::wstring text;
    int open;
};
std::vector<NavEvent> g_events;
void OnSelect(CDUI_NavigationBar*, int32_t id, const std::wstring& text, int32_t value, NavigationNode*, int open,
              void*) {
    g_events.push_back({4601, id, value, text, open});
}
void OnToggle(CDUI_NavigationBar*, int32_t id, const std::wstring& text, int32_t value, NavigationNode*, int open,
              void*) {
    g_events.push_back({4602, id, value, text, open});
}

struct NavFixture : Fixture {
    CDUI_NavigationBar* nav = nullptr;
    int32_t row = 0;
    explicit NavFixture(int32_t height = 200) {
        nav = resource->CreateNavigationBar(1, L"OVNavigationBar", L"", 0, 0, 160, height);
        if (!nav) return;
        scene->AddChild(nav);
        nav->SetSelectCallback(OnSelect, nullptr);
        nav->SetToggleCallback(OnToggle, nullptr);
        row = nav->GetRowHeight();
        g_events.clear();
    }
    // The ids of the rows shown now, top to bottom, read from the buttons
    // the way a user sees them.
    std::vector<int32_t> ShownRows() {
        std::vector<std::pair<int32_t, int32_t>> rows;
        for (CDUI_UIControl* c : nav->GetChildren())
            if (c->GetShown()) rows.emplace_back(c->GetAbsoluteRect().y, c->GetId());
        std::sort(rows.begin(), rows.end());
        std::vector<int32_t> ids;
        for (const auto& r : rows) ids.push_back(r.second);
        return ids;
    }
    void ClickRow(int index) { Click(60, 2 + index * row + row / 2); }
    void Wheel(int delta, int x = 60, int y = 60) {
        scene->ForwardMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(x, y));
    }
};

}  // namespace

TEST(NavigationBarEdit, InsertRemoveRenameAndClearKeepRowsAndButtonsInStep) {
    NavFixture f;
    ASSERT_NE(f.nav, nullptr);
    // Ids are the bar's; the record numbers the page stores ride in the values.
    ASSERT_NE(f.nav->AddNode(L"主题一", nullptr, 1, 501, 0), nullptr);
    ASSERT_NE(f.nav->AddNode(L"主题三", nullptr, 3, 503, 0), nullptr);
    ASSERT_NE(f.nav->InsertNodeBefore(L"主题二", 3, 2, 502, 0), nullptr);
    EXPECT_EQ(f.nav->InsertNodeBefore(L"x", 99, 4, 0, 0), nullptr);  // unknown place
    EXPECT_EQ(f.nav->InsertNodeBefore(L"x", 1, 2, 0, 0), nullptr);   // id taken
    EXPECT_EQ(f.ShownRows(), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(f.nav->FindNodeByValue(502), f.nav->FindNode(2));

    // A click on the inserted row reports its id and the page's value.
    f.ClickRow(1);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].code, 4601);
    EXPECT_EQ(g_events[0].id, 2);
    EXPECT_EQ(g_events[0].value, 502);
    EXPECT_EQ(g_events[0].text, L"主题二");

    ASSERT_EQ(f.nav->SetNodeText(2, L"改名后的主题"), 1);
    EXPECT_EQ(f.nav->GetNodeButton(2)->GetText(), L"改名后的主题");
    ASSERT_EQ(f.nav->SetNodeValues(2, 777, 1), 1);
    f.ClickRow(0);
    f.ClickRow(1);
    EXPECT_EQ(g_events.back().value, 777);
    EXPECT_EQ(g_events.back().text, L"改名后的主题");

    // Removing the selected row removes its button and the selection; the rows close up.
    const size_t buttonsBefore = f.nav->GetChildCount();
    ASSERT_EQ(f.nav->RemoveNode(2), 1);
    EXPECT_EQ(f.nav->RemoveNode(2), 0);
    EXPECT_EQ(f.nav->HasSelection(), 0);
    EXPECT_EQ(f.nav->GetChildCount(), buttonsBefore - 1);
    EXPECT_EQ(f.ShownRows(), (std::vector<int32_t>{1, 3}));
    f.ClickRow(1);
    EXPECT_EQ(g_events.back().id, 3);
    f.Paint();  // the painter frees what was taken out

    ASSERT_EQ(f.nav->ClearNodes(), 1);
    EXPECT_EQ(f.nav->GetNodeCount(), 0);
    EXPECT_EQ(f.nav->GetChildCount(), 0u);
    EXPECT_EQ(f.nav->HasSelection(), 0);
    // Ids are free again after a clear: the page rebuilds from its records.
    EXPECT_NE(f.nav->AddNode(L"主题一", nullptr, 1, 501, 0), nullptr);
    EXPECT_EQ(f.ShownRows(), (std::vector<int32_t>{1}));
}

TEST(NavigationBarEdit, GroupsOpenFromCodeAndAnEmptyGroupIsNeverALeaf) {
    NavFixture f;
    ASSERT_NE(f.nav, nullptr);
    NavigationNode* games = f.nav->AddNode(L"游戏", nullptr, 10, 0, 0, 1);  // a group with no games yet
    ASSERT_NE(games, nullptr);
    ASSERT_NE(f.nav->AddNode(L"设置", nullptr, 20, 0, 0), nullptr);
    EXPECT_TRUE(games->IsGroup());
    EXPECT_EQ(f.nav->GetNodeButton(10)->GetKindName(), L"PushButton");
    // Clicking it toggles it; it is never selected like a leaf.
    f.ClickRow(0);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].code, 4602);
    EXPECT_EQ(g_events[0].open, 1);
    EXPECT_EQ(f.nav->SelectNode(10), 0);
    EXPECT_EQ(f.nav->HasSelection(), 0);

    // Its first child arrives; the open group shows it indented under it.
    ASSERT_NE(f.nav->AddNode(L"游戏甲", games, 11, 0, 0), nullptr);
    EXPECT_EQ(f.ShownRows(), (std::vector<int32_t>{10, 11, 20}));
    EXPECT_GT(f.nav->GetNodeButton(11)->GetAbsoluteRect().x, f.nav->GetNodeButton(10)->GetAbsoluteRect().x);
    // Closed and opened from code: silently by default, reported on request.
    g_events.clear();
    ASSERT_EQ(f.nav->SetNodeOpen(10, 0), 1);
    EXPECT_EQ(f.ShownRows(), (std::vector<int32_t>{10, 20}));
    EXPECT_EQ(f.nav->GetNodeButton(10)->GetChecked(), 0);
    EXPECT_TRUE(g_events.empty());
    ASSERT_EQ(f.nav->SetNodeOpen(10, 1, 1), 1);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].code, 4602);
    EXPECT_EQ(g_events[0].open, 1);
    EXPECT_EQ(f.nav->GetNodeButton(10)->GetChecked(), 1);
    EXPECT_EQ(f.nav->SetNodeOpen(20, 1), 0);  // a leaf does not open
    // Its last child removed, it stays a group.
    ASSERT_EQ(f.nav->RemoveNode(11), 1);
    EXPECT_TRUE(f.nav->FindNode(10)->IsGroup());
    EXPECT_EQ(f.nav->GetNodeButton(10)->GetKindName(), L"PushButton");

    // A leaf that receives a child becomes a group with a push button.
    ASSERT_NE(f.nav->AddNode(L"子项", f.nav->FindNode(20), 21, 0, 0), nullptr);
    EXPECT_EQ(f.nav->GetNodeButton(20)->GetKindName(), L"PushButton");

    // Selecting from code: silent by default, 4601 on request.
    f.nav->SetNodeOpen(20, 1);
    g_events.clear();
    ASSERT_EQ(f.nav->SelectNode(21), 1);
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(f.nav->GetNodeButton(21)->GetChecked(), 1);
    ASSERT_EQ(f.nav->SelectNode(21, 1), 1);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].id, 21);
}

TEST(NavigationBarEdit, GroupAndItemRowsUseTheirOwnFonts) {
    NavFixture f;
    ASSERT_NE(f.nav, nullptr);
    CDUI_FontType* big = f.resource->FindFont(L"yahei12");
    CDUI_FontType* small = f.resource->FindFont(L"default");
    ASSERT_NE(big, nullptr);
    ASSERT_NE(big, small);
    NavigationNode* group = f.nav->AddNode(L"组", nullptr, 1, 0, 0, 1);
    f.nav->AddNode(L"项", group, 2, 0, 0);
    f.nav->SetNodeFonts(big, small);
    f.nav->SetNodeOpen(1, 1);
    f.nav->AddNode(L"后来的组", nullptr, 3, 0, 0, 1);  // rows added later get them too
    f.nav->AddNode(L"后来的项", nullptr, 4, 0, 0);
    EXPECT_EQ(f.nav->GetNodeButton(1)->GetFont(), big);
    EXPECT_EQ(f.nav->GetNodeButton(3)->GetFont(), big);
    EXPECT_EQ(f.nav->GetNodeButton(2)->GetFont(), small);
    EXPECT_EQ(f.nav->GetNodeButton(4)->GetFont(), small);
    // Rows are as tall as the taller font needs.
    int32_t a = 0, o = 0, bigLine = 0;
    big->GetMetrics(&a, &o, &bigLine);
    EXPECT_GE(f.nav->GetRowHeight(), bigLine);
    int32_t bw = 0, bh = 0;
    f.nav->GetNodeButton(2)->GetSize(&bw, &bh);
    EXPECT_EQ(bh, f.nav->GetRowHeight());
    // A font for the whole bar leaves the rows' own fonts alone.
    f.nav->SetFont(small);
    EXPECT_EQ(f.nav->GetNodeButton(1)->GetFont(), big);
    f.nav->SetNodeTextColors(0xFFFF6A00, 0xFFE8ECF2);
    EXPECT_EQ(f.nav->GetNodeButton(1)->GetTextColor(), 0xFFFF6A00u);
    EXPECT_EQ(f.nav->GetNodeButton(2)->GetTextColor(), 0xFFE8ECF2u);
}

TEST(NavigationBarScroll, TwentyRowsInABarForSixAreAllReachable) {
    NavFixture f(6 * 12 + 4);  // room for about six rows
    ASSERT_NE(f.nav, nullptr);
    const int32_t height = 6 * 12 + 4;
    for (int i = 0; i < 20; ++i)
        ASSERT_NE(f.nav->AddNode(L"行" + std::to_wstring(i + 1), nullptr, 100 + i, 1000 + i, 0), nullptr);
    ASSERT_LT(height, 20 * f.row);
    CDUI_ScrollBar* bar = f.nav->GetVerticalBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetShown(), 1);
    // Buttons leave the scroll bar's strip free.
    EXPECT_LE(f.nav->GetNodeButton(100)->GetAbsoluteRect().x + f.nav->GetNodeButton(100)->GetAbsoluteRect().width,
              160 - 12);

    // The rows shown at first are clicked where they are; then, wheeling
    // down a quarter notch at a time (a precise wheel), the row at the bottom
    // edge is clicked after every step. Every row must have been clicked.
    std::set<int32_t> reached;
    for (int i = 0; 2 + (i + 1) * f.row <= height - 2; ++i) {
        g_events.clear();
        f.ClickRow(i);
        if (!g_events.empty()) reached.insert(g_events[0].id);
    }
    const int bottomY = height - 5;
    for (int step = 0; step < 300; ++step) {
        f.Wheel(-30);
        g_events.clear();
        f.Click(60, bottomY);
        ASSERT_FALSE(g_events.empty()) << "no row under the bottom edge after step " << step;
        reached.insert(g_events[0].id);
        if (g_events[0].id == 119) break;
    }
    EXPECT_EQ(reached.size(), 20u);
    EXPECT_EQ(*reached.rbegin(), 119);
    // A whole notch up goes back 40 pixels; enough of them reach the top.
    int32_t sx = 0, sy = 0, before = 0;
    f.nav->GetScrollOffset(&sx, &before);
    f.Wheel(120);
    f.nav->GetScrollOffset(&sx, &sy);
    EXPECT_EQ(sy, before - 40);
    for (int i = 0; i < 100; ++i) f.Wheel(120);
    f.nav->GetScrollOffset(&sx, &sy);
    EXPECT_EQ(sy, 0);
    g_events.clear();
    f.Click(60, 2 + f.row / 2);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].id, 100);

    // From code: selecting the last row scrolls it into view.
    ASSERT_EQ(f.nav->SelectNode(119), 1);
    const DUI_Rect last = f.nav->GetNodeButton(119)->GetAbsoluteRect();
    EXPECT_GE(last.y, 0);
    EXPECT_LE(last.y + last.height, height);
    // Fewer rows again: the scroll bar goes and the offset comes back into range.
    for (int i = 2; i < 20; ++i) f.nav->RemoveNode(100 + i);
    ASSERT_LT(2 * f.row + 4, height);
    EXPECT_EQ(bar->GetShown(), 0);
    f.nav->GetScrollOffset(&sx, &sy);
    EXPECT_EQ(sy, 0);
    EXPECT_EQ(f.nav->GetNodeButton(100)->GetAbsoluteRect().y, 2);
}

TEST(NavigationTreeEdit, InsertRemoveAndGroupsWithoutChildren) {
    NavigationTree tree;
    NavigationNode* a = tree.AddNode(L"a", nullptr, 1, 10, 0);
    tree.AddNode(L"c", nullptr, 3, 30, 0);
    ASSERT_NE(tree.InsertBefore(L"b", 3, 2, 20, 0), nullptr);
    NavigationNode* child = tree.AddNode(L"a1", a, 4, 40, 0);
    ASSERT_NE(tree.InsertBefore(L"a0", 4, 5, 50, 0), nullptr);
    EXPECT_EQ(child->parent, a);
    EXPECT_EQ(a->children[0]->id, 5);  // inserted under the same parent, before a1
    tree.SetOpen(1, 1);
    std::vector<int> rows;
    for (const auto& r : tree.VisibleRows()) rows.push_back(r.node->id);
    EXPECT_EQ(rows, (std::vector<int>{1, 5, 4, 2, 3}));
    EXPECT_EQ(tree.FindByValue(40), child);
    EXPECT_EQ(tree.SetText(4, std::wstring(300, L'x')), 1);
    EXPECT_EQ(child->text.size(), NavigationTree::kMaxText);
    auto removed = tree.Remove(1);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->children.size(), 2u);  // the subtree goes with it
    EXPECT_EQ(tree.Find(4), nullptr);
    EXPECT_EQ(tree.Size(), 2u);
    NavigationNode* g = tree.AddNode(L"g", nullptr, 6, 0, 0, 1);
    EXPECT_TRUE(g->IsGroup());
    EXPECT_EQ(tree.SetOpen(6, 1), 1);
    tree.AddNode(L"g1", g, 7, 0, 0);
    tree.Remove(7);
    EXPECT_TRUE(g->IsGroup());
    EXPECT_EQ(tree.SetOpen(2, 1), 0);  // a leaf
}

TEST(NavigationBarEdit, APageMayRemoveTheClickedRowInsideItsCallback) {
    // Direct delivery runs the callback inside the button's own click: the
    // button must outlive the click even though its row is gone.
    NavFixture f;
    ASSERT_NE(f.nav, nullptr);
    for (int i = 1; i <= 3; ++i) f.nav->AddNode(L"主题" + std::to_wstring(i), nullptr, i, 100 + i, 0);
    CDUI_UIControl* removed = f.nav->GetNodeButton(2);
    f.nav->SetSelectCallback(
        [](CDUI_NavigationBar* bar, int32_t id, const std::wstring&, int32_t, NavigationNode*, int, void*) {
            bar->RemoveNode(id);  // "delete this theme" right away
            bar->AddNode(L"新主题", nullptr, 50 + id, 0, 0);
        },
        nullptr);
    f.ClickRow(1);
    EXPECT_EQ(f.nav->FindNode(2), nullptr);
    EXPECT_EQ(f.ShownRows(), (std::vector<int32_t>{1, 3, 52}));
    f.Paint();
    EXPECT_TRUE(DUI_IsLiveControl(removed)) << "freed in a frame, off the window's thread";
    f.Send(WM_MOUSEMOVE, 0, 300, 290);
    EXPECT_FALSE(DUI_IsLiveControl(removed)) << "freed on the window's thread's next message";
    f.ClickRow(0);
    EXPECT_EQ(f.ShownRows(), (std::vector<int32_t>{3, 52, 51}));
}
