#include "LightThemeMath.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

LightRgb LightSplitColor(uint32_t color) {
    return {static_cast<uint8_t>((color >> 16) & 0xFF), static_cast<uint8_t>((color >> 8) & 0xFF),
            static_cast<uint8_t>(color & 0xFF)};
}

uint32_t LightJoinColor(const LightRgb& rgb) {
    return static_cast<uint32_t>(rgb.red) * 65536u + static_cast<uint32_t>(rgb.green) * 256u + rgb.blue;
}

LightHsv LightRgbToHsv(const LightRgb& rgb) {
    const float r = rgb.red, g = rgb.green, b = rgb.blue;
    const float max = std::max({r, g, b}), min = std::min({r, g, b});
    const float d = max - min;
    LightHsv hsv;
    hsv.value = max / 255.0f;
    hsv.saturation = max > 0 ? d / max : 0.0f;
    if (d <= 0) return hsv;  // grey: any hue fits, 0 is shown
    if (r == max) {
        hsv.hue = 60.0f * (g - b) / d;
        if (g < b) hsv.hue += 360.0f;
    } else if (g == max) {
        hsv.hue = 60.0f * (b - r) / d + 120.0f;
    } else {
        hsv.hue = 60.0f * (r - g) / d + 240.0f;
    }
    return hsv;
}

namespace {

uint8_t ToChannel(float unit) {
    const float scaled = std::clamp(unit, 0.0f, 1.0f) * 255.0f;
    return static_cast<uint8_t>(scaled);  // truncated
}

uint8_t Snap(uint8_t channel) {
    if (channel <= 20) return 0;
    if (channel > 234) return 255;
    return channel;
}

}  // namespace

LightRgb LightHsvToPickedRgb(const LightHsv& hsv) {
    const float s = std::clamp(hsv.saturation, 0.0f, 1.0f), v = std::clamp(hsv.value, 0.0f, 1.0f);
    float h = std::isfinite(hsv.hue) ? hsv.hue : 0.0f;
    const float sectorF = std::floor(h / 60.0f);
    const float f = h / 60.0f - sectorF;
    int sector = static_cast<int>(sectorF) % 6;
    if (sector < 0) sector += 6;
    const float p = v * (1 - s), q = v * (1 - f * s), t = v * (1 - (1 - f) * s);
    float r = 0, g = 0, b = 0;
    switch (sector) {
        case 0: r = v, g = t, b = p; break;
        case 1: r = q, g = v, b = p; break;
        case 2: r = p, g = v, b = t; break;
        case 3: r = p, g = q, b = v; break;
        case 4: r = t, g = p, b = v; break;
        default: r = v, g = p, b = q; break;
    }
    return {Snap(ToChannel(r)), Snap(ToChannel(g)), Snap(ToChannel(b))};
}

LightFigures LightFiguresOf(const LightHsv& hsv, const LightRgb& rgb) {
    LightFigures f;
    f.hue = static_cast<int>(hsv.hue);
    f.saturation = static_cast<int>(std::lround(hsv.saturation * 100.0f));
    f.value = static_cast<int>(std::lround(hsv.value * 100.0f));
    f.red = rgb.red;
    f.green = rgb.green;
    f.blue = rgb.blue;
    return f;
}

void LightSetThemeName(LightThemeRecord* theme, const std::wstring& name) {
    const size_t n = std::min(name.size(), LightThemeRecord::kNameWidth - 1);
    std::wmemcpy(theme->name, name.data(), n);
    theme->name[n] = L'\0';
}

std::vector<LightCommand> LightCommandsFor(const LightThemeRecord& theme) {
    std::vector<LightCommand> out;
    if (!theme.status) {
        out.push_back({LightCommand::kMode, 0, {}});
        return out;
    }
    // The controller takes no interval below 5000 ms.
    const uint32_t interval = theme.interval <= 5000 ? 5000u : static_cast<uint32_t>(theme.interval);
    out.push_back({LightCommand::kInterval, interval, {}});
    out.push_back({LightCommand::kMode, static_cast<uint32_t>(std::clamp(theme.mode, 0, 255)), {}});
    out.push_back({LightCommand::kColor, 0, LightSplitColor(theme.color)});
    out.push_back({LightCommand::kBrightness, static_cast<uint32_t>(std::clamp(theme.brightness, 0, 100)), {}});
    return out;
}
