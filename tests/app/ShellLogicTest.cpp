#include <gtest/gtest.h>

#include "ShellLogic.h"

using namespace shell;

TEST(CommandLine, OnlyExactAutoStartsHidden) {
    EXPECT_TRUE(IsAutoStartCommandLine(L"auto"));
    for (const wchar_t* other : {L"", L"Auto", L"AUTO", L" auto", L"auto ", L"auto auto", L"autostart", L"/auto"})
        EXPECT_FALSE(IsAutoStartCommandLine(other)) << "\"" << testing::PrintToString(std::wstring(other)) << "\"";
}

TEST(CommandLine, ShowCommandFollowsTheProcessUnlessAuto) {
    EXPECT_EQ(StartShowCommand(L"auto", 1), 0);
    EXPECT_EQ(StartShowCommand(L"auto", 10), 0);
    EXPECT_EQ(StartShowCommand(L"", 1), 1);
    EXPECT_EQ(StartShowCommand(L"Auto", 10), 10);
    // Started hidden by another program (Pexilo): the given command stands.
    EXPECT_EQ(StartShowCommand(L"", 0), 0);
}

TEST(HandOver, ParsesGameTaskIds) {
    unsigned int id = 99;
    EXPECT_TRUE(ParseGameTaskHandOver(L"GameTaskID_7", &id));
    EXPECT_EQ(id, 7u);
    EXPECT_TRUE(ParseGameTaskHandOver(L"GameTaskID_7x", &id));
    EXPECT_EQ(id, 7u);
    EXPECT_TRUE(ParseGameTaskHandOver(L"GameTaskID_1234", &id));
    EXPECT_EQ(id, 1234u);
    // Splits at the first "_" only.
    EXPECT_TRUE(ParseGameTaskHandOver(L"GameTaskID_12_5", &id));
    EXPECT_EQ(id, 12u);
}

TEST(HandOver, NoDigitsGiveZero) {
    unsigned int id = 99;
    EXPECT_TRUE(ParseGameTaskHandOver(L"GameTaskID_", &id));
    EXPECT_EQ(id, 0u);
    EXPECT_TRUE(ParseGameTaskHandOver(L"GameTaskID_x7", &id));
    EXPECT_EQ(id, 0u);
}

TEST(HandOver, RejectsOtherPrefixes) {
    unsigned int id = 99;
    EXPECT_FALSE(ParseGameTaskHandOver(L"GameTaskID7", &id));
    EXPECT_FALSE(ParseGameTaskHandOver(L"Foo_7", &id));
    EXPECT_FALSE(ParseGameTaskHandOver(L"gametaskid_7", &id));
    EXPECT_FALSE(ParseGameTaskHandOver(L"", &id));
    EXPECT_FALSE(ParseGameTaskHandOver(L"_7", &id));
    EXPECT_FALSE(ParseGameTaskHandOver(L" GameTaskID_7", &id));
    EXPECT_EQ(id, 99u);
}

TEST(HandOver, EmbeddedZeroEndsTheNumber) {
    unsigned int id = 0;
    const std::wstring text(L"GameTaskID_4\0" L"5", 14);
    EXPECT_TRUE(ParseGameTaskHandOver(text, &id));
    EXPECT_EQ(id, 4u);
}

TEST(Drag, PressOutsideTheStripNeverDrags) {
    CWindowDragState drag;
    EXPECT_FALSE(drag.ButtonDown(100, 50));
    EXPECT_FALSE(drag.ButtonDown(100, 400));
    EXPECT_FALSE(drag.ButtonDown(-1, 10));
    EXPECT_FALSE(drag.ButtonDown(1366, 10));
    EXPECT_FALSE(drag.Dragging());
    const auto step = drag.MouseMove(300, 300);
    EXPECT_FALSE(step.moveWindow);
    EXPECT_FALSE(step.captureMouse);
    EXPECT_FALSE(drag.ButtonUp());
}

TEST(Drag, ZeroMoveDoesNotCapture) {
    CWindowDragState drag;
    ASSERT_TRUE(drag.ButtonDown(0, 0));
    const auto step = drag.MouseMove(0, 0);
    EXPECT_FALSE(step.captureMouse);
    EXPECT_FALSE(step.moveWindow);
    EXPECT_FALSE(drag.Captured());
    EXPECT_FALSE(drag.ButtonUp()) << "nothing captured, nothing to release";
}

TEST(Drag, MovesRelativeToTheFixedAnchor) {
    CWindowDragState drag;
    ASSERT_TRUE(drag.ButtonDown(100, 20));
    EXPECT_FALSE(drag.ButtonDown(200, 20)) << "a running drag is not restarted";
    auto step = drag.MouseMove(110, 25);
    EXPECT_TRUE(step.captureMouse);
    EXPECT_TRUE(step.moveWindow);
    EXPECT_EQ(step.dx, 10);
    EXPECT_EQ(step.dy, 5);
    // The window moved with the mouse, so the client point is back at the
    // anchor; the next delta is again measured from the same anchor.
    step = drag.MouseMove(97, 20);
    EXPECT_FALSE(step.captureMouse) << "captured once per drag";
    EXPECT_EQ(step.dx, -3);
    EXPECT_EQ(step.dy, 0);
    EXPECT_TRUE(drag.ButtonUp());
    EXPECT_FALSE(drag.Dragging());
    EXPECT_FALSE(drag.MouseMove(150, 30).moveWindow);
}

TEST(Timer, ThirtiethTickFiresOnce) {
    CTickTrigger ticks(30);
    int fired = 0;
    int firedAt = -1;
    for (int i = 1; i <= 200; ++i) {
        if (ticks.Tick()) {
            ++fired;
            firedAt = i;
        }
    }
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(firedAt, 30);
}

TEST(Placement, CentresOnlyWhenSmaller) {
    EXPECT_EQ(CentredOrigin(1920, 1366), 277);
    EXPECT_EQ(CentredOrigin(1080, 768), 156);
    EXPECT_EQ(CentredOrigin(1366, 1366), 0);
    EXPECT_EQ(CentredOrigin(1024, 1366), 0);
}

TEST(Placement, CentredInTheWorkAreaAndScaledToFitIt) {
    int x = 0, y = 0;
    CentreInArea(ScreenArea{1920, 0, 3840, 1040}, 1366, 768, &x, &y);  // a second monitor, taskbar below
    EXPECT_EQ(x, 1920 + 277);
    EXPECT_EQ(y, 136);
    EXPECT_DOUBLE_EQ(FitScale(144, 1366, 768, ScreenArea{0, 0, 2560, 1400}), 1.5);
    EXPECT_EQ(ScaledLength(1366, 1.5), 2049);
    // 150 % on 1920 x 1080 and 100 % on 1366 x 768, both with a taskbar: lowered until it fits.
    for (const auto& [dpi, area] : {std::pair{144u, ScreenArea{0, 0, 1920, 1040}}, {96u, ScreenArea{0, 0, 1366, 728}}}) {
        const double scale = FitScale(dpi, 1366, 768, area);
        EXPECT_LT(scale, dpi / 96.0);
        EXPECT_LE(ScaledLength(768, scale), area.Height());
        EXPECT_GT(ScaledLength(768, scale + 1.0 / 64), area.Height()) << "lowered no more than needed";
    }
}

TEST(Placement, TheDraggedStripStaysReachable) {
    const ScreenArea area{0, 0, 1920, 1040};
    int x = 100, y = -40;
    KeepStripInArea(area, 1366, 50, &x, &y);
    EXPECT_EQ(y, 0);
    y = 1030;
    KeepStripInArea(area, 1366, 50, &x, &y);
    EXPECT_EQ(y, 990) << "not under the taskbar";
    x = 1900;
    KeepStripInArea(area, 1366, 50, &x, &y);
    EXPECT_EQ(x, 1920 - 1366 / 3);
    x = -1300;
    KeepStripInArea(area, 1366, 50, &x, &y);
    EXPECT_EQ(x, -(1366 - 1366 / 3));
}

TEST(Tray, TooltipFitsTheBlock) {
    EXPECT_EQ(ClampTooltip(L"reru"), L"reru");
    EXPECT_EQ(ClampTooltip(std::wstring(100, L'x')).size(), 63u);
}
