// The message box: buttons per type, result by button or by closing, icons, size.
#include <gtest/gtest.h>

#include <algorithm>

#include "ControlsTestSupport.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_StandardControls.h"

using namespace ctltest;

namespace {

std::vector<int32_t> g_results;
void OnResult(CDUI_UIControl*, int32_t value, void*) { g_results.push_back(value); }

struct BoxFixture : Fixture {
    CDUI_MessageBox* box = nullptr;
    BoxFixture() {
        DUI_RegisterStandardControls();  // the window's caption buttons are built by kind name
        box = resource->CreateMessageBox(1, L"OVMessageBox", L"信息", 0, 0, 300, 150);
        if (box) {
            scene->AddChild(box);
            box->SetResultCallback(OnResult, nullptr);
        }
        g_results.clear();
    }
    void ClickControl(CDUI_UIControl* c) {
        const DUI_Rect r = c->GetAbsoluteRect();
        Click(r.x + r.width / 2, r.y + r.height / 2);
    }
};

}  // namespace

TEST(MessageBoxKind, EachButtonTypeShowsItsButtons) {
    BoxFixture f;
    ASSERT_NE(f.box, nullptr);
    EXPECT_EQ(f.box->GetShown(), 0);  // hidden until a message comes
    const std::vector<std::vector<int>> expected = {
        {kMsgAbort, kMsgRetry, kMsgIgnore}, {kMsgOk}, {kMsgOk, kMsgCancel},
        {kMsgRetry, kMsgCancel},            {kMsgYes, kMsgNo}, {kMsgCancel, kMsgYes, kMsgNo}};
    for (int type = 1; type <= 6; ++type) {
        ASSERT_EQ(f.box->ShowMessage(L"确认删除该主题？", 4, type), 1);
        EXPECT_EQ(f.box->GetShown(), 1);
        // The visible buttons, left to right.
        std::vector<std::pair<int32_t, int>> row;
        for (int b = 0; b < kMsgButtonCount; ++b)
            if (f.box->GetButton(b) && f.box->GetButton(b)->GetVisible())
                row.emplace_back(f.box->GetButton(b)->GetAbsoluteRect().x, b);
        std::sort(row.begin(), row.end());
        std::vector<int> shown;
        for (const auto& entry : row) shown.push_back(entry.second);
        EXPECT_EQ(shown, expected[static_cast<size_t>(type - 1)]) << "type " << type;
        f.box->Hide();
    }
    EXPECT_STREQ(MessageBoxButtonText(kMsgCancel), L"取消");
    EXPECT_EQ(f.box->GetButton(kMsgCancel)->GetText(), L"取消");
}

TEST(MessageBoxKind, ClosedWithoutAButtonReportsTheTypeResult) {
    BoxFixture f;
    ASSERT_NE(f.box, nullptr);
    ASSERT_EQ(f.box->ShowMessage(L"保存成功", 3, 3), 1);
    ASSERT_NE(f.box->GetCloseButton(), nullptr);
    f.ClickControl(f.box->GetCloseButton());
    EXPECT_EQ(f.box->GetShown(), 0);
    ASSERT_EQ(g_results.size(), 1u);
    EXPECT_EQ(g_results[0], 1);
    EXPECT_EQ(f.box->GetResult(), 1);
    // Hidden by the page: also the type's result.
    f.box->ShowMessage(L"x", 0, 5);
    f.box->Hide();
    EXPECT_EQ(g_results.back(), 3);
}

TEST(MessageBoxKind, PressingAButtonReportsItsValue) {
    BoxFixture f;
    ASSERT_NE(f.box, nullptr);
    f.box->ShowMessage(L"是否继续？", 4, 6);
    f.ClickControl(f.box->GetButton(kMsgYes));
    EXPECT_EQ(f.box->GetShown(), 0);
    ASSERT_EQ(g_results.size(), 1u);
    EXPECT_EQ(g_results[0], kMsgYes);
    f.box->ShowMessage(L"重试？", 1, 4);
    f.ClickControl(f.box->GetButton(kMsgRetry));
    EXPECT_EQ(g_results.back(), kMsgRetry);
}

TEST(MessageBoxKind, OnlyTheChosenIconAndSizeRules) {
    BoxFixture f;
    ASSERT_NE(f.box, nullptr);
    const std::wstring longText = L"这是一条比较长的错误信息文字";  // wider than one button
    f.box->ShowMessage(longText, 1, 2);
    for (int t = 1; t <= 6; ++t) {
        ASSERT_NE(f.box->GetIcon(t), nullptr);
        EXPECT_EQ(f.box->GetIcon(t)->GetVisible(), t == 1 ? 1 : 0) << t;
    }
    int32_t w1 = 0, h1 = 0;
    f.box->GetSize(&w1, &h1);
    f.box->Hide();
    f.box->ShowMessage(longText, 0, 2);
    for (int t = 1; t <= 6; ++t) EXPECT_EQ(f.box->GetIcon(t)->GetVisible(), 0);
    int32_t w0 = 0, h0 = 0;
    f.box->GetSize(&w0, &h0);
    EXPECT_EQ(w1 - w0, 10 + 5);  // the 10-pixel icon and its 5-pixel gap
    f.box->Hide();
    f.box->ShowMessage(L"", 0, 1);  // three buttons decide the width
    int32_t w3 = 0, h3 = 0;
    f.box->GetSize(&w3, &h3);
    EXPECT_EQ(w3, 4 + 4 + 10 + 3 * 80 + 2 * 5);  // frame borders 4 + 4 in the test skin
    // Centred in the scene.
    int32_t x = 0, y = 0;
    f.box->GetPosition(&x, &y);
    EXPECT_EQ(x, (400 - w3) / 2);
    f.box->SetButtonTextColor(0xFF123456);
    EXPECT_EQ(f.box->GetButton(kMsgIgnore)->GetTextColor(), 0xFF123456u);
    EXPECT_EQ(f.box->GetButton(kMsgOk)->GetTextColor(), 0xFF123456u);
    EXPECT_EQ(f.box->GetLabel()->GetText(), L"");
}
