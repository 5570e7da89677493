// The four feature pages share one frame: switching between them leaves the
// return button, the page title and the first row under the header on the
// same window pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "ClientPageHarness.h"
#include "FanCtrlPage.h"
#include "GameCtrlPage.h"
#include "LightCtrlPage.h"
#include "UpdateCtrlPage.h"
#include "core/DUI_UIControl.h"

namespace {

struct FramePage {
    ClientPageId id;
    const wchar_t* returnStyle;
    const wchar_t* title;
    const wchar_t* firstRowStyle;  // what starts the area under the header
};

// The topmost shown control of the style below the header row, in window pixels.
int TopBelowHeader(pageharness::CClientPageHarness& h, const wchar_t* style) {
    int top = INT_MAX;
    for (CDUI_UIControl* c : h.FindAll(style)) {
        const DUI_Rect r = c->GetAbsoluteRect();
        if (r.y > 50 + 50) top = std::min(top, static_cast<int>(r.y));  // not the page's own root
    }
    return top;
}

TEST(PageFrame, HeaderAndFirstCardStayPutAcrossTheFeaturePages) {
    pageharness::CClientPageHarness h;
    ASSERT_TRUE(h.Ready());
    ASSERT_NE(h.AddPage<CLightCtrlPage>(ClientPageId::Light), nullptr);
    ASSERT_NE(h.AddPage<CFanCtrlPage>(ClientPageId::Fan), nullptr);
    ASSERT_NE(h.AddPage<CGameCtrlPage>(ClientPageId::Game), nullptr);
    ASSERT_NE(h.AddPage<CUpdateCtrlPage>(ClientPageId::Update), nullptr);

    const FramePage pages[] = {
        {ClientPageId::Light, L"LightReturnButton", L"灯光", L"OVPanel"},
        {ClientPageId::Fan, L"FanReturnButton", L"风扇", L"OVPanel"},
        {ClientPageId::Game, L"GameReturnButton", L"游戏模式", L"OVPanel"},
        // The update page's view tabs sit on the cards' line, its card under them.
        {ClientPageId::Update, L"UpdateReturnButton", L"软件升级", L"UpdateSoftwareOptionButton"},
    };
    bool first = true;
    DUI_Rect back0{}, title0{};
    int top0 = 0;
    for (const FramePage& p : pages) {
        SCOPED_TRACE(static_cast<int>(p.id));
        h.Host().ShowPage(p.id);
        CDUI_UIControl* back = h.Find(p.returnStyle, L"返回");
        CDUI_UIControl* title = h.Find(L"OVLabel", p.title);
        ASSERT_NE(back, nullptr);
        ASSERT_NE(title, nullptr);
        const DUI_Rect b = back->GetAbsoluteRect(), t = title->GetAbsoluteRect();
        const int top = TopBelowHeader(h, p.firstRowStyle);
        ASSERT_NE(top, INT_MAX);
        // The header row sits inside the gap between the title strip and the cards.
        EXPECT_GE(b.y, 50);
        EXPECT_LE(b.y + b.height, top);
        EXPECT_LE(b.x + b.width, t.x);
        if (first) {
            back0 = b, title0 = t, top0 = top, first = false;
            continue;
        }
        EXPECT_EQ(b.x, back0.x);
        EXPECT_EQ(b.y, back0.y);
        EXPECT_EQ(b.width, back0.width);
        EXPECT_EQ(b.height, back0.height);
        EXPECT_EQ(t.x, title0.x);
        EXPECT_EQ(t.y, title0.y);
        EXPECT_EQ(t.height, title0.height);
        EXPECT_EQ(top, top0);
    }
}

}  // namespace
