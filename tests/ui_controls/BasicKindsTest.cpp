// Label, image, slider bar, progress and pie chart.
#include <gtest/gtest.h>

#include <vector>

#include "ControlsTestSupport.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_PieChart.h"
#include "controls/DUI_Progress.h"
#include "controls/DUI_SliderBar.h"
#include "graphics/GDIPlugCtrl.h"

using namespace ctltest;

namespace {

std::vector<int32_t> g_values;
void RecordValue(CDUI_UIControl*, int32_t value, void* user) {
    g_values.push_back(value);
    if (user) ++*static_cast<int*>(user);
}

bool HasInk(DWORD p) { return (p >> 24) != 0; }

}  // namespace

TEST(Label, DrawsChineseTextWithTheSkinFont) {
    Fixture f;
    CDUI_Label* label = f.resource->CreateLabel(1, L"OVLabel", L"风扇转速", 0, 0, 200, 30);
    ASSERT_NE(label, nullptr);
    label->SetTransparent(1);
    label->SetBorder(0);
    label->SetTextColor(0xFFFFFFFF);
    f.scene->AddChild(label);
    auto s = f.Paint(200, 30);
    EXPECT_GT(s->CountWhere(HasInk), 40);
    label->SetText(L"");
    EXPECT_EQ(f.Paint(200, 30)->CountWhere(HasInk), 0);
}

TEST(Image, SkinRectOwnPictureAndFit) {
    Fixture f;
    CDUI_Image* image = f.resource->CreateImage(1, L"OVImage", L"", 0, 0, 40, 10);
    ASSERT_NE(image, nullptr);
    image->SetBorder(0);
    f.scene->AddChild(image);
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(5, 5), kRed);  // the style's SourceRect: cells red, green, blue, gray
    EXPECT_EQ(s->Pixel(35, 5), kGray);
    ASSERT_EQ(image->SetSkinRect(60, 10, 10, 10), 1);
    EXPECT_EQ(f.Paint()->Pixel(20, 5), kMagenta);

    ASSERT_EQ(image->SetImageFromResource(GetModuleHandleW(nullptr), 201), 1);
    EXPECT_EQ(image->HasOwnImage(), 1);
    EXPECT_EQ(image->IsAnimated(), 0);
    ASSERT_EQ(image->FitToImage(), 1);
    int32_t w = 0, h = 0;
    image->GetSize(&w, &h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);
    EXPECT_EQ(f.Paint()->Pixel(0, 0), kRed);  // the picture's own red column
    EXPECT_EQ(f.Paint()->Pixel(4, 4), kBlue);

    ASSERT_EQ(image->SetImageFromResource(GetModuleHandleW(nullptr), 202), 1);
    EXPECT_EQ(image->IsAnimated(), 1);  // a GIF becomes an animation
    int frames = 0;
    image->GetAnimation()->GetFrameCount(&frames);
    EXPECT_EQ(frames, 3);
    image->FitToImage();
    image->GetSize(&w, &h);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(image->SetImageFromResource(GetModuleHandleW(nullptr), 999), 0);
    EXPECT_EQ(image->HasOwnImage(), 0);
}

TEST(SliderBar, DragMaximum100Width200) {
    Fixture f;
    CDUI_SliderBar* slider = f.resource->CreateSliderBar(1, L"OVSliderBar", L"", 0, 0, 200, 10, 0, 100, 0);
    ASSERT_NE(slider, nullptr);
    f.scene->AddChild(slider);
    g_values.clear();
    int calls = 0;
    slider->SetSliderCallback(RecordValue, &calls);
    const SliderPieces p = slider->GetPieces();
    const int bx = p.button.x + p.button.width / 2;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, bx, 5);
    EXPECT_EQ(slider->IsDraggingButton(), 1);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, 50, 5);
    EXPECT_EQ(slider->GetSliderValue(), 25);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, 50, 6);  // same value: no event
    f.Send(WM_LBUTTONUP, 0, 50, 6);
    EXPECT_EQ(slider->IsDraggingButton(), 0);
    EXPECT_EQ(g_values, (std::vector<int32_t>{0, 25, 25}));  // 1302 (0), 1301 (25), 1303 (25)
    slider->SetSliderValue(150);
    EXPECT_EQ(slider->GetSliderValue(), 100);
    slider->SetSliderValue(-3);
    EXPECT_EQ(slider->GetSliderValue(), 0);
    calls = 0;
    slider->SetSliderValue(0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(f.resource->CreateSliderBar(2, L"OVSliderBar", L"", 0, 0, 200, 10, 0, 0, 0), nullptr);
}

TEST(SliderBar, LayoutPaintAndTrackClick) {
    Fixture f;
    // Size 0 x 0: the back piece's size (10 x 10) is used.
    CDUI_SliderBar* tiny = f.resource->CreateSliderBar(2, L"OVSliderBar", L"", 0, 100, 0, 0, 0, 10, 5);
    ASSERT_NE(tiny, nullptr);
    int32_t w = 0, h = 0;
    tiny->GetSize(&w, &h);
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, 10);
    delete tiny;
    CDUI_SliderBar* slider = f.resource->CreateSliderBar(1, L"OVSliderBar", L"", 0, 0, 208, 10, 0, 100, 50);
    f.scene->AddChild(slider);
    SliderPieces p = slider->GetPieces();
    EXPECT_EQ(p.back, (DUIRect{4, 0, 200, 10}));
    EXPECT_EQ(p.button.x, 4 + 100 - 3);
    slider->SetShowFore(1);
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(1, 5), kRed);      // head
    EXPECT_EQ(s->Pixel(50, 5), kBlue);    // fore up to the button
    EXPECT_EQ(s->Pixel(150, 5), kGreen);  // back
    EXPECT_EQ(s->Pixel(206, 5), kGray);   // tail
    EXPECT_EQ(s->Pixel(104, 5), kYellow); // button
    f.Click(154, 5);  // on the back, right of the button
    EXPECT_EQ(slider->GetSliderValue(), 75);
    CDUI_SliderBar* vertical = f.resource->CreateSliderBar(2, L"OVSliderBar", L"", 300, 0, 10, 124, 1, 360, 0);
    f.scene->AddChild(vertical);
    p = vertical->GetPieces();
    EXPECT_EQ(p.head.height, 4);
    EXPECT_EQ(p.button.x, 300);
    vertical->SetSliderValue(180);
    EXPECT_EQ(vertical->GetPieces().button.y, 4 + 58 - 3);
}

TEST(Progress, BodyFollowsTheValue) {
    Fixture f;
    CDUI_Progress* bar = f.resource->CreateProgress(1, L"OVProgress", L"", 0, 0, 106, 10);
    ASSERT_NE(bar, nullptr);
    f.scene->AddChild(bar);
    bar->SetProgress(50);
    ProgressPieces p = bar->GetPieces();
    EXPECT_EQ(p.body, (DUIRect{3, 0, 50, 10}));
    EXPECT_EQ(p.tail.x, 53);
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(1, 5), kRed);
    EXPECT_EQ(s->Pixel(30, 5), kBlue);
    EXPECT_EQ(s->Pixel(54, 5), kGreen);
    EXPECT_EQ(s->Pixel(90, 5), kGray);
    bar->SetProgress(150);
    EXPECT_EQ(bar->GetProgress(), 100u);
    bar->SetProgress(static_cast<uint32_t>(-1));
    EXPECT_EQ(bar->GetProgress(), 100u);
}

TEST(PieChart, NestedGradientSlices) {
    Fixture f;
    CDUI_PieChart* pie = f.resource->CreatePieChart(1, L"OVPieChart", L"", 0, 0, 100, 100);
    ASSERT_NE(pie, nullptr);
    f.scene->AddChild(pie);
    pie->AddItem(0xFFFF0000, 0xFFFF0000, 360.0f);
    pie->AddItem(0xFF0000FF, 0xFF0000FF, 90.0f);
    auto s = f.Paint(100, 100);
    EXPECT_EQ(s->Pixel(50, 10), kRed);   // outer item, full circle
    EXPECT_EQ(s->Pixel(60, 40), kBlue);  // inner item (inset 25): first quarter from the top
    EXPECT_EQ(s->Pixel(40, 60), kRed);
    EXPECT_EQ(s->Pixel(2, 2), 0u);
    pie->SetDrawMode(0);
    pie->ClearItems();
    pie->AddItem(0xFF00FF00, 0xFF00FF00, 90.0f);
    pie->AddItem(0xFF0000FF, 0xFF0000FF, 90.0f);
    s = f.Paint(100, 100);
    EXPECT_EQ(s->Pixel(70, 30), kGreen);  // top-right quarter
    EXPECT_EQ(s->Pixel(70, 70), kBlue);   // next quarter, clockwise
    EXPECT_EQ(s->Pixel(30, 70), 0u);
}
