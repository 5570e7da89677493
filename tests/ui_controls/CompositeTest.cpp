// Colour select and navigation bar.
#include <gtest/gtest.h>

#include <limits>

#include "ControlsTestSupport.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_ColorSelect.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_SliderBar.h"
#include "controls/ControlMath.h"

using namespace ctltest;

namespace {

std::vector<uint32_t> g_colors;
void OnColor(CDUI_UIControl*, int32_t value, void*) { g_colors.push_back(static_cast<uint32_t>(value)); }

struct NavRecord {
    int code = 0;
    int32_t id = 0, value = 0;
    std::wstring text;
    NavigationNode* node = nullptr;
    int open = -1;
};
std::vector<NavRecord> g_nav;
void OnNavSelect(CDUI_NavigationBar*, int32_t id, const std::wstring& text, int32_t value, NavigationNode* node,
                 int open, void*) {
    g_nav.push_back({4601, id, value, text, node, open});
}
void OnNavToggle(CDUI_NavigationBar*, int32_t id, const std::wstring& text, int32_t value, NavigationNode* node,
                 int open, void*) {
    g_nav.push_back({4602, id, value, text, node, open});
}

}  // namespace

TEST(ColorSelect, SetHsvReportsColourAndPlacesTheMarker) {
    Fixture f;
    CDUI_ColorSelect* picker = f.resource->CreateColorSelect(1, L"OVColorSelect", L"", 10, 10, 240, 180);
    ASSERT_NE(picker, nullptr);
    f.scene->AddChild(picker);
    g_colors.clear();
    picker->SetColorCallback(OnColor, nullptr);
    ASSERT_EQ(picker->SetHSV(0, 1, 1), 1);
    EXPECT_EQ(picker->GetColor(), 0xFFFF0000u);
    ASSERT_EQ(g_colors.size(), 1u);
    EXPECT_EQ(g_colors.back(), 0xFFFF0000u);
    ASSERT_NE(picker->GetHueSlider(), nullptr);
    EXPECT_EQ(picker->GetHueSlider()->GetSliderValue(), 360);
    EXPECT_EQ(picker->GetHueSlider()->GetMaximum(), 360);
    EXPECT_EQ(picker->GetHueSlider()->GetOrientation(), 1);

    picker->SetHSV(120, 0.5f, 0.25f);
    const DUI_Rect field = picker->FieldRect();
    int32_t mx = 0, my = 0;
    picker->GetMarker(&mx, &my);
    EXPECT_EQ(mx, field.x + static_cast<int32_t>(field.width / 100.0f * 50.0f));
    EXPECT_EQ(my, field.y + static_cast<int32_t>(75.0f * field.height / 100.0f));
    EXPECT_EQ(picker->GetHueSlider()->GetSliderValue(), 240);
    EXPECT_EQ(g_colors.back(), HsvToArgb(120, 0.5f, 0.25f));

    const float nan = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(picker->SetHSV(nan, nan, nan), 1);  // taken as 0, 0, 0
    EXPECT_EQ(picker->GetColor(), 0xFF000000u);
    EXPECT_EQ(picker->GetHueSlider()->GetSliderValue(), 360);
    picker->SetHSV(120, 0.5f, 0.25f);

    // A click in the field picks saturation and value there.
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, field.x + field.width - 1, field.y);
    f.Send(WM_LBUTTONUP, 0, field.x + field.width - 1, field.y);
    float h = 0, s = 0, v = 0;
    picker->GetHSV(&h, &s, &v);
    EXPECT_NEAR(s, 1.0f, 0.02f);
    EXPECT_NEAR(v, 1.0f, 0.02f);
    EXPECT_EQ(g_colors.back(), HsvToArgb(120, s, v));
    // Moving the hue slider reports the new hue.
    picker->GetHueSlider()->SetSliderValue(120);  // hue 240
    EXPECT_EQ(g_colors.back(), HsvToArgb(240, s, v));
}

TEST(ColorSelect, TheFieldShowsTheColourAClickThereWouldPick) {
    Fixture f;
    CDUI_ColorSelect* picker = f.resource->CreateColorSelect(1, L"OVColorSelect", L"", 10, 10, 240, 180);
    ASSERT_NE(picker, nullptr);
    f.scene->AddChild(picker);
    picker->SetHSV(200, 0, 0, 0);  // the marker in the bottom-left corner
    // A frame as the render thread paints it, straight into the DIB's pixels.
    PixelSurface surface(400, 300);
    f.scene->InvalidateRect(DUI_Rect{0, 0, 400, 300});
    ASSERT_EQ(f.scene->PaintFrame(surface.DC()), 1);
    const DUI_Rect field = picker->FieldRect();
    const DUIRect area{field.x, field.y, field.width, field.height};
    const std::pair<int, int> points[] = {
        {field.width - 1, 0}, {field.width / 2, field.height / 2}, {field.width / 4, 10}, {field.width - 3, field.height - 3}};
    for (const auto& [dx, dy] : points) {
        float s = 0, v = 0;
        ColorFieldValues(area, field.x + dx, field.y + dy, &s, &v);
        EXPECT_EQ(surface.Pixel(field.x + dx, field.y + dy), HsvToArgb(200, s, v)) << dx << "," << dy;
    }
}

TEST(NavigationBar, DuplicateIdLeafClickAndGroupToggle) {
    Fixture f;
    CDUI_NavigationBar* nav = f.resource->CreateNavigationBar(1, L"OVNavigationBar", L"", 0, 0, 160, 200);
    ASSERT_NE(nav, nullptr);
    f.scene->AddChild(nav);
    g_nav.clear();
    nav->SetSelectCallback(OnNavSelect, nullptr);
    nav->SetToggleCallback(OnNavToggle, nullptr);
    NavigationNode* group = nav->AddNode(L"灯光", nullptr, 10, 100, 0);
    ASSERT_NE(group, nullptr);
    ASSERT_NE(nav->AddNode(L"主题", group, 11, 110, 1), nullptr);
    ASSERT_NE(nav->AddNode(L"风扇", nullptr, 20, 200, 2), nullptr);
    EXPECT_EQ(nav->AddNode(L"again", nullptr, 11, 0, 0), nullptr);
    const int32_t row = nav->GetRowHeight();
    EXPECT_GE(row, 10);  // at least the group button's skin height

    // Rows: 灯光 (group, closed), 风扇 (leaf).
    f.Click(50, 2 + row + row / 2);
    ASSERT_EQ(g_nav.size(), 1u);
    EXPECT_EQ(g_nav[0].code, 4601);
    EXPECT_EQ(g_nav[0].id, 20);
    EXPECT_EQ(g_nav[0].text, L"风扇");
    EXPECT_EQ(g_nav[0].value, 200);
    EXPECT_EQ(g_nav[0].node, nav->FindNode(20));
    EXPECT_EQ(nav->GetSelectedId(), 20);

    f.Click(50, 2 + row / 2);  // the group opens
    ASSERT_EQ(g_nav.size(), 2u);
    EXPECT_EQ(g_nav[1].code, 4602);
    EXPECT_EQ(g_nav[1].id, 10);
    EXPECT_EQ(g_nav[1].open, 1);
    EXPECT_EQ(group->open, 1);
    // Now 主题 sits in the second row, indented.
    f.Click(50, 2 + row + row / 2);
    ASSERT_EQ(g_nav.size(), 3u);
    EXPECT_EQ(g_nav[2].id, 11);
    EXPECT_EQ(nav->GetSelectedId(), 11);
    auto* leaf = static_cast<CDUI_UIControl*>(nav->FindNode(11)->button);
    auto* other = static_cast<CDUI_UIControl*>(nav->FindNode(20)->button);
    EXPECT_EQ(leaf->GetChecked(), 1);
    EXPECT_EQ(other->GetChecked(), 0);
    EXPECT_GT(leaf->GetAbsoluteRect().x, other->GetAbsoluteRect().x);
    f.Click(50, 2 + row / 2);  // closes again
    EXPECT_EQ(g_nav.back().code, 4602);
    EXPECT_EQ(g_nav.back().open, 0);
    EXPECT_EQ(leaf->GetShown(), 0);
}
