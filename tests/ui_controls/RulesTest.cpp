// Message box button table and sizes; the navigation tree.
#include <gtest/gtest.h>

#include "controls/MessageBoxRules.h"
#include "controls/NavigationTree.h"

TEST(MessageBoxRules, ButtonTypesShowTheirButtons) {
    EXPECT_EQ(MessageBoxVisibleButtons(1), (std::vector<int>{kMsgAbort, kMsgRetry, kMsgIgnore}));
    EXPECT_EQ(MessageBoxVisibleButtons(2), (std::vector<int>{kMsgOk}));
    EXPECT_EQ(MessageBoxVisibleButtons(3), (std::vector<int>{kMsgOk, kMsgCancel}));
    EXPECT_EQ(MessageBoxVisibleButtons(4), (std::vector<int>{kMsgRetry, kMsgCancel}));
    EXPECT_EQ(MessageBoxVisibleButtons(5), (std::vector<int>{kMsgYes, kMsgNo}));
    EXPECT_EQ(MessageBoxVisibleButtons(6), (std::vector<int>{kMsgCancel, kMsgYes, kMsgNo}));
    EXPECT_EQ(MessageBoxVisibleButtons(99), (std::vector<int>{kMsgOk}));
    const int closed[] = {4, 0, 1, 1, 3, 1};
    for (int type = 1; type <= 6; ++type) EXPECT_EQ(MessageBoxClosedResult(type), closed[type - 1]) << type;
    EXPECT_STREQ(MessageBoxButtonText(kMsgOk), L"确定");
    EXPECT_STREQ(MessageBoxButtonText(kMsgIgnore), L"忽略");
    EXPECT_STREQ(MessageBoxButtonText(7), L"");
}

TEST(MessageBoxRules, SizeFollowsTheLargerPart) {
    MessageBoxMetrics m;
    m.frameLeft = 3, m.frameRight = 4, m.frameTop = 30, m.frameBottom = 5;
    m.iconWidth = 32, m.iconHeight = 32;
    m.textWidth = 200, m.textHeight = 20;
    m.buttonWidth = 80, m.buttonHeight = 28, m.buttonCount = 2;
    MessageBoxLayoutResult r = MessageBoxLayout(m);
    EXPECT_EQ(r.width, 3 + 4 + 10 + (32 + 5 + 200));
    EXPECT_EQ(r.height, 30 + 5 + 10 + 32 + 28 + 10);
    EXPECT_EQ(r.iconX, 8);
    EXPECT_EQ(r.iconY, 35);
    EXPECT_EQ(r.textX, 8 + 37);
    ASSERT_EQ(r.buttonX.size(), 2u);
    EXPECT_EQ(r.buttonX[1] - r.buttonX[0], 85);
    // A short text: the button row decides the width.
    m.textWidth = 10;
    m.buttonCount = 3;
    r = MessageBoxLayout(m);
    EXPECT_EQ(r.width, 3 + 4 + 10 + (3 * 80 + 2 * 5));
    // No icon.
    m.iconWidth = m.iconHeight = 0;
    m.textWidth = 300;
    r = MessageBoxLayout(m);
    EXPECT_EQ(r.width, 3 + 4 + 10 + 300);
    EXPECT_EQ(r.height, 30 + 5 + 10 + 20 + 28 + 10);
}

TEST(MessageBoxRules, TextLinesAreMeasuredOneByOne) {
    // The width is the widest line, not the whole text laid end to end.
    MessageBoxTextBlock b = MeasureMessageBoxText(L"ab\n\n\u6E38\u620F", 7, 14, 420);
    EXPECT_EQ(b.width, 28);
    EXPECT_EQ(b.lines, 3);  // the empty line between keeps its height
    b = MeasureMessageBoxText(L"abc\r\n", 7, 14, 420);
    EXPECT_EQ(b.width, 21);
    EXPECT_EQ(b.lines, 2);
    // A long line wraps; the block is never wider than allowed.
    b = MeasureMessageBoxText(std::wstring(61, L'x'), 7, 14, 420);
    EXPECT_EQ(b.width, 420);
    EXPECT_EQ(b.lines, 2);
    b = MeasureMessageBoxText(L"", 7, 14, 420);
    EXPECT_EQ(b.width, 0);
    EXPECT_EQ(b.lines, 1);
}

TEST(NavigationTree, DuplicateIdsFailAndGroupsToggle) {
    NavigationTree tree;
    NavigationNode* group = tree.AddNode(L"灯光", nullptr, 1, 10, 11);
    ASSERT_NE(group, nullptr);
    ASSERT_NE(tree.AddNode(L"主题", group, 2, 20, 21), nullptr);
    ASSERT_NE(tree.AddNode(L"亮度", group, 3, 30, 31), nullptr);
    ASSERT_NE(tree.AddNode(L"风扇", nullptr, 4, 40, 41), nullptr);
    EXPECT_EQ(tree.AddNode(L"again", nullptr, 2, 0, 0), nullptr);
    NavigationNode stranger;
    EXPECT_EQ(tree.AddNode(L"orphan", &stranger, 9, 0, 0), nullptr);
    EXPECT_EQ(tree.Find(3)->value, 30);
    EXPECT_EQ(tree.Find(3)->parent, group);
    EXPECT_EQ(tree.Find(99), nullptr);

    EXPECT_EQ(tree.VisibleRows().size(), 2u);  // groups start closed
    EXPECT_EQ(tree.Toggle(1), 1);
    auto rows = tree.VisibleRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].node->id, 2);
    EXPECT_EQ(rows[1].depth, 1);
    EXPECT_EQ(rows[3].node->id, 4);
    EXPECT_EQ(tree.Toggle(4), 0);  // a leaf does not toggle
    EXPECT_EQ(tree.Toggle(1), 1);
    EXPECT_EQ(tree.VisibleRows().size(), 2u);
    EXPECT_EQ(tree.AddNode(std::wstring(300, L'x'), nullptr, 7, 0, 0)->text.size(), 199u);
}
