#pragma once
// The arithmetic of the lighting page, kept free of the UI and of Windows:
// colour conversions between the stored RGB value and the picker's HSV, the
// editor's name rule, and the controller commands that apply one theme.
#include <cstdint>
#include <string>
#include <vector>

#include "LightThemeRecord.h"

struct LightRgb {
    uint8_t red = 0, green = 0, blue = 0;
};

// Hue in degrees (0 to 360), saturation and value 0 to 1.
struct LightHsv {
    float hue = 0, saturation = 0, value = 0;
};

// Bits 16-23, 8-15 and 0-7; the alpha byte is ignored.
LightRgb LightSplitColor(uint32_t color);
// red * 65536 + green * 256 + blue, alpha 0 (the stored form).
uint32_t LightJoinColor(const LightRgb& rgb);
// The opaque form the previews show.
inline uint32_t LightOpaque(uint32_t color) { return 0xFF000000u | (color & 0x00FFFFFFu); }

// Hue of the largest channel (ties go to red, then green), saturation
// d / max, value max / 255. Grey (no saturation) has hue 0.
LightHsv LightRgbToHsv(const LightRgb& rgb);

// The standard HSV-to-RGB conversion with each channel truncated to 0..255,
// then snapped: a channel of 20 or less becomes 0, one above 234 becomes 255,
// so a picked colour the controller cannot show faintly reaches full off/on.
LightRgb LightHsvToPickedRgb(const LightHsv& hsv);

// The six numbers of the editor: hue (whole degrees), saturation x 100,
// value x 100, red, green, blue.
struct LightFigures {
    int hue = 0, saturation = 0, value = 0, red = 0, green = 0, blue = 0;
};
LightFigures LightFiguresOf(const LightHsv& hsv, const LightRgb& rgb);

// Stores name into the record's field, cut to 199 characters.
void LightSetThemeName(LightThemeRecord* theme, const std::wstring& name);

// One controller command of a theme's application.
struct LightCommand {
    enum Kind { kInterval, kMode, kColor, kBrightness };
    Kind kind = kMode;
    uint32_t value = 0;  // interval (ms), mode or brightness
    LightRgb rgb;        // kColor
};

// What applying a theme sends, in order: a theme that is on sends the
// interval (at least 5000), the mode, the colour and the brightness (0 to
// 100); a theme that is off only mode 0.
std::vector<LightCommand> LightCommandsFor(const LightThemeRecord& theme);

// The items of the two lists of the editor.
struct LightChoice {
    const wchar_t* text;
    int32_t value;
};
inline constexpr LightChoice kLightModeChoices[] = {
    {L"常亮", 1}, {L"单色呼吸", 2}, {L"颜色渐变", 3}, {L"渐变呼吸", 4}};
inline constexpr LightChoice kLightIntervalChoices[] = {
    {L"5秒", 5000}, {L"10秒", 10000}, {L"30秒", 30000}, {L"1分钟", 60000}};
