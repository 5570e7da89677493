// The lighting page's plain logic: colour conversions with the 20/234 rule,
// the theme list model's ids, and the commands (and bytes, in order) that
// applying a theme sends.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "FakeTransport.h"
#include "LightThemeListModel.h"
#include "LightThemeMath.h"
#include "LightThemeSender.h"
#include "OVFanLedDevice.h"

namespace {

LightRgb Picked(float h, float s, float v) { return LightHsvToPickedRgb({h, s, v}); }

std::unique_ptr<LightThemeRecord> Theme(int32_t record, const wchar_t* name, int preset) {
    auto t = std::make_unique<LightThemeRecord>();
    t->recordNumber = record;
    LightSetThemeName(t.get(), name);
    t->preset = preset;
    return t;
}

}  // namespace

TEST(LightColor, StoredColourToHsvFollowsTheLargestChannel) {
    struct Case {
        uint32_t color;
        float hue, sat, val;
    } cases[] = {
        {0x00FF0000, 0, 1, 1},          {0x0000FF00, 120, 1, 1},     {0x000000FF, 240, 1, 1},
        {0x00FF00FF, 300, 1, 1},        // red largest, green < blue: + 360
        {0x00FF6A00, 24.94f, 1, 1},     // Orvane
        {0x00804000, 30, 1, 128 / 255.f},
        {0xFF00FFFF, 180, 1, 1},        // alpha ignored; ties go to green before blue
    };
    for (const Case& c : cases) {
        const LightHsv hsv = LightRgbToHsv(LightSplitColor(c.color));
        EXPECT_NEAR(hsv.hue, c.hue, 0.01) << std::hex << c.color;
        EXPECT_NEAR(hsv.saturation, c.sat, 0.001) << std::hex << c.color;
        EXPECT_NEAR(hsv.value, c.val, 0.001) << std::hex << c.color;
    }
    // Grey and black: no division by zero, hue 0.
    for (uint32_t grey : {0x00000000u, 0x00808080u, 0x00FFFFFFu}) {
        const LightHsv hsv = LightRgbToHsv(LightSplitColor(grey));
        EXPECT_EQ(hsv.hue, 0.0f);
        EXPECT_EQ(hsv.saturation, 0.0f);
        EXPECT_FALSE(std::isnan(hsv.hue));
    }
    const LightFigures f = LightFiguresOf(LightRgbToHsv({255, 106, 0}), {255, 106, 0});
    EXPECT_EQ(f.hue, 24);
    EXPECT_EQ(f.saturation, 100);
    EXPECT_EQ(f.value, 100);
    EXPECT_EQ(f.green, 106);
}

TEST(LightColor, PickedColourSnapsFaintAndNearlyFullChannels) {
    // Green comes out as 12: stored as 0. A channel of 240 is stored as 255.
    const LightRgb a = Picked(0, 1 - 12.5f / 255, 1);  // r 255, g = b = 12
    EXPECT_EQ(a.red, 255);
    EXPECT_EQ(a.green, 0);
    EXPECT_EQ(a.blue, 0);
    const LightRgb b = Picked(120, 1, 240.5f / 255);  // g 240
    EXPECT_EQ(b.green, 255);
    EXPECT_EQ(b.red, 0);
    // The borders: 20 goes, 21 stays; 234 stays, 235 goes up.
    EXPECT_EQ(Picked(0, 0, 20.5f / 255).red, 0);
    EXPECT_EQ(Picked(0, 0, 21.5f / 255).red, 21);
    EXPECT_EQ(Picked(0, 0, 234.5f / 255).red, 234);
    EXPECT_EQ(Picked(0, 0, 235.5f / 255).red, 255);
    // Sectors and the wrap at 360.
    const LightRgb yellow = Picked(60, 1, 1), magenta = Picked(300, 1, 1), wrap = Picked(360, 1, 1);
    EXPECT_EQ(LightJoinColor(yellow), 0x00FFFF00u);
    EXPECT_EQ(LightJoinColor(magenta), 0x00FF00FFu);
    EXPECT_EQ(LightJoinColor(wrap), 0x00FF0000u);
    // Channels are truncated, not rounded: half of 255 is 127.
    EXPECT_EQ(Picked(0, 0, 0.5f).red, 127);
    // The float round trip with truncation can lose a step (FF6A00 comes
    // back as FF6900): the reason a shown theme is never written back.
    const LightRgb orvane{255, 106, 0};
    EXPECT_EQ(LightHsvToPickedRgb(LightRgbToHsv(orvane)).green, 105);
}

TEST(LightColor, NameIsCutTo199Characters) {
    LightThemeRecord t;
    LightSetThemeName(&t, std::wstring(300, L'主'));
    EXPECT_EQ(std::wstring(t.name).size(), 199u);
    LightSetThemeName(&t, L"夜");
    EXPECT_EQ(std::wstring(t.name), L"夜");
}

TEST(LightCommands, OnThemeSendsIntervalModeColourBrightnessOffThemeOnlyModeZero) {
    LightThemeRecord t;
    t.status = 1;
    t.color = 0x00FF6A00;
    t.interval = 3000;  // below the controller's least: raised
    t.mode = 3;
    t.brightness = 80;
    auto c = LightCommandsFor(t);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0].kind, LightCommand::kInterval);
    EXPECT_EQ(c[0].value, 5000u);
    EXPECT_EQ(c[1].kind, LightCommand::kMode);
    EXPECT_EQ(c[1].value, 3u);
    EXPECT_EQ(c[2].kind, LightCommand::kColor);
    EXPECT_EQ(c[2].rgb.red, 255);
    EXPECT_EQ(c[2].rgb.green, 106);
    EXPECT_EQ(c[2].rgb.blue, 0);
    EXPECT_EQ(c[3].kind, LightCommand::kBrightness);
    EXPECT_EQ(c[3].value, 80u);
    t.interval = 5000;
    EXPECT_EQ(LightCommandsFor(t)[0].value, 5000u);
    t.interval = 60000;
    EXPECT_EQ(LightCommandsFor(t)[0].value, 60000u);
    t.brightness = 250;  // a hand-edited file
    EXPECT_EQ(LightCommandsFor(t)[3].value, 100u);

    t.status = 0;
    c = LightCommandsFor(t);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].kind, LightCommand::kMode);
    EXPECT_EQ(c[0].value, 0u);
}

TEST(LightCommands, SendThemePutsTheFramesOnTheWireInOrder) {
    COVFanLedDevice device;
    auto transport = std::make_unique<CFakeTransport>();
    transport->responder = [](const CFakeTransport::Bytes& request) {
        return CFakeTransport::GoodReply(request, {0x01});
    };
    CFakeTransport* fake = transport.get();
    ASSERT_EQ(device.OpenWithTransport(std::move(transport)), 1);

    LightThemeRecord t;
    t.status = 1;
    t.color = 0x0000A0FF;
    t.interval = 10000;
    t.mode = 2;
    t.brightness = 80;
    EXPECT_EQ(LightSendTheme(&device, t), 1);
    ASSERT_EQ(fake->written.size(), 4u);
    // Report: id, N, then the frame: start, L, header check, code, payload.
    EXPECT_EQ(fake->written[0][5], ovproto::kSetLightInterval);
    EXPECT_EQ(fake->written[0][6] | (fake->written[0][7] << 8), 10000);
    EXPECT_EQ(fake->written[1][5], ovproto::kSetLightMode);
    EXPECT_EQ(fake->written[1][6], 2);
    EXPECT_EQ(fake->written[2][5], ovproto::kSetLightColor);
    EXPECT_EQ(fake->written[2][6], 0x00);
    EXPECT_EQ(fake->written[2][7], 0xA0);
    EXPECT_EQ(fake->written[2][8], 0xFF);
    EXPECT_EQ(fake->written[3][5], ovproto::kSetLightBrightness);
    EXPECT_EQ(fake->written[3][6], 80);

    fake->written.clear();
    t.status = 0;
    LightSendTheme(&device, t);
    ASSERT_EQ(fake->written.size(), 1u);
    EXPECT_EQ(fake->written[0][5], ovproto::kSetLightMode);
    EXPECT_EQ(fake->written[0][6], 0);

    EXPECT_EQ(LightSendTheme(nullptr, t), 0);
}

TEST(LightListModel, ItemIdsNeverMeetRecordNumbersOrTheFixedItems) {
    CLightThemeListModel model;
    LightThemeList themes;
    themes.push_back(Theme(1000, L"甲", 1));
    themes.push_back(Theme(2000, L"Orvane", 1));
    themes.push_back(Theme(3000, L"乙", 0));
    themes.push_back(Theme(3001, L"Orvane", 1));
    themes.push_back(Theme(7, L"Orvane", 0));  // a user theme of that name is not the default
    model.Assign(std::move(themes));

    // Groups and "＋" carry no theme, whatever record numbers exist.
    EXPECT_EQ(model.ThemeOfItem(kLightGroupRecommendedId), nullptr);
    EXPECT_EQ(model.ThemeOfItem(kLightGroupMineId), nullptr);
    EXPECT_EQ(model.ThemeOfItem(kLightAddItemId), nullptr);
    for (const auto& e : model.Entries()) {
        EXPECT_NE(e.itemId, kLightGroupRecommendedId);
        EXPECT_NE(e.itemId, kLightGroupMineId);
        EXPECT_NE(e.itemId, kLightAddItemId);
        EXPECT_EQ(model.ThemeOfItem(e.itemId), e.theme.get());
        EXPECT_EQ(model.ItemOfRecord(e.theme->recordNumber), e.itemId);
    }
    // The last preset named "Orvane" is the default.
    ASSERT_NE(model.DefaultTheme(), nullptr);
    EXPECT_EQ(model.DefaultTheme()->recordNumber, 3001);
    EXPECT_EQ(model.UserThemeCount(), 2);
    EXPECT_EQ(model.LastUserTheme()->recordNumber, 7);

    // A reload hands out fresh ids: an id of the old list finds nothing.
    const int32_t oldId = model.ItemOfRecord(1000);
    LightThemeList again;
    again.push_back(Theme(1000, L"甲", 1));
    model.Assign(std::move(again));
    EXPECT_EQ(model.ThemeOfItem(oldId), nullptr);
    EXPECT_NE(model.ItemOfRecord(1000), oldId);
    EXPECT_EQ(model.ThemeOfRecord(3000), nullptr);
}

TEST(LightListModel, AtMostFiveUserThemesAndRemovalByRecord) {
    CLightThemeListModel model;
    LightThemeList themes;
    themes.push_back(Theme(1, L"Orvane", 1));
    model.Assign(std::move(themes));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(model.CanAddUserTheme());
        auto t = CLightThemeListModel::NewUserTheme();
        EXPECT_EQ(std::wstring(t->name), L"我的新主题");
        EXPECT_EQ(t->status, 1);
        EXPECT_EQ(t->color, 0x00FF0000u);
        EXPECT_EQ(t->interval, 5000);
        EXPECT_EQ(t->brightness, 100);
        EXPECT_EQ(t->mode, 1);
        EXPECT_EQ(t->preset, 0);
        t->recordNumber = 10 + i;
        model.Append(std::move(t));
    }
    EXPECT_FALSE(model.CanAddUserTheme());
    EXPECT_EQ(model.Remove(12), 1);
    EXPECT_EQ(model.Remove(12), 0);
    EXPECT_TRUE(model.CanAddUserTheme());
    EXPECT_EQ(model.LastUserTheme()->recordNumber, 14);
}
