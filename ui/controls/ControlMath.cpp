#include "ControlMath.h"

#include <algorithm>
#include <cmath>

// ---- slider bar ----

int ClampSliderValue(int value, int maximum) {
    if (value < 0) return 0;
    if (value > maximum) return maximum;
    return value;
}

SliderPieces SliderLayout(int orientation, const DUIRect& c, int headLength, int tailLength, int buttonWidth,
                          int buttonHeight, int maximum, int value) {
    SliderPieces p;
    // The step per value is computed in floating point: with whole-number
    // division a track shorter than the maximum would put every value at 0.
    const float perValue = [&](int backLength) {
        return maximum > 0 ? static_cast<float>(backLength) / static_cast<float>(maximum) : 0.0f;
    }(orientation == 1 ? c.height - headLength - tailLength : c.width - headLength - tailLength);
    if (orientation == 1) {
        p.head = {c.x, c.y, c.width, headLength};
        p.tail = {c.x, c.y + c.height - tailLength, c.width, tailLength};
        p.back = {c.x, c.y + headLength, c.width, c.height - headLength - tailLength};
        const int by = static_cast<int>(perValue * static_cast<float>(value) + static_cast<float>(p.back.y) -
                                        static_cast<float>(buttonHeight) / 2.0f);
        p.button = {c.x, by, buttonWidth, buttonHeight};
        p.fore = {p.back.x, p.back.y, p.back.width, buttonHeight / 2 + by - p.back.y};
    } else {
        p.head = {c.x, c.y, headLength, c.height};
        p.tail = {c.x + c.width - tailLength, c.y, tailLength, c.height};
        p.back = {c.x + headLength, c.y, c.width - headLength - tailLength, c.height};
        const int bx = static_cast<int>(perValue * static_cast<float>(value) + static_cast<float>(p.back.x) -
                                        static_cast<float>(buttonWidth) / 2.0f);
        p.button = {bx, c.y, buttonWidth, buttonHeight};
        p.fore = {p.back.x, p.back.y, buttonWidth / 2 + bx - p.back.x, p.back.height};
    }
    return p;
}

int SliderValueFromPointer(int pointer, int controlStart, int controlLength, int maximum) {
    if (controlLength <= 0 || maximum <= 0) return 0;
    const float perValue = static_cast<float>(controlLength) / static_cast<float>(maximum);
    return static_cast<int>(static_cast<float>(pointer - controlStart) / perValue);
}

int SliderValueFromTrackClick(int offset, int backLength, int maximum) {
    if (backLength <= 0 || maximum <= 0) return 0;
    return static_cast<int>(static_cast<float>(offset) / static_cast<float>(backLength) * 100.0f / 100.0f *
                            static_cast<float>(maximum));
}

// ---- progress ----

unsigned ClampProgressValue(unsigned value, unsigned maximum) { return std::min(value, maximum); }

ProgressPieces ProgressLayout(const DUIRect& c, int headWidth, int tailWidth, unsigned maximum, unsigned value) {
    ProgressPieces p;
    p.background = c;
    p.head = {c.x, c.y, headWidth, c.height};
    int bodyWidth = 0;
    if (maximum > 0)
        bodyWidth = static_cast<int>(static_cast<float>(c.width - headWidth - tailWidth) / static_cast<float>(maximum) *
                                     static_cast<float>(std::min(value, maximum)));
    if (bodyWidth < 0) bodyWidth = 0;
    p.body = {c.x + headWidth, c.y, bodyWidth, c.height};
    p.tail = {p.body.x + bodyWidth, c.y, tailWidth, c.height};
    return p;
}

// ---- colour select ----

void ArgbToHsv(uint32_t argb, float* h, float* s, float* v) {
    const float r = float((argb >> 16) & 0xFF) / 255.0f, g = float((argb >> 8) & 0xFF) / 255.0f,
                b = float(argb & 0xFF) / 255.0f;
    const float maxc = std::max({r, g, b}), minc = std::min({r, g, b}), d = maxc - minc;
    float hue = 0.0f;
    if (d > 0.0f) {
        if (maxc == r) hue = 60.0f * std::fmod((g - b) / d, 6.0f);
        else if (maxc == g) hue = 60.0f * ((b - r) / d + 2.0f);
        else hue = 60.0f * ((r - g) / d + 4.0f);
        if (hue < 0.0f) hue += 360.0f;
    }
    if (h) *h = hue;
    if (s) *s = maxc > 0.0f ? d / maxc : 0.0f;
    if (v) *v = maxc;
}

int WheelUnits(int* remainder, int delta, int unitsPerNotch) {
    // A reversal starts afresh: what was left over belonged to the other way.
    if ((*remainder > 0 && delta < 0) || (*remainder < 0 && delta > 0)) *remainder = 0;
    const long long total = static_cast<long long>(*remainder) + static_cast<long long>(delta) * unitsPerNotch;
    const long long units = total / 120;
    *remainder = static_cast<int>(total - units * 120);
    return static_cast<int>(units);
}

uint32_t HsvToArgb(float h, float s, float v) {
    // NaN passes std::clamp unchanged and would reach the integer casts below.
    if (!std::isfinite(h)) h = 0.0f;
    if (std::isnan(s)) s = 0.0f;
    if (std::isnan(v)) v = 0.0f;
    s = std::clamp(s, 0.0f, 1.0f);
    v = std::clamp(v, 0.0f, 1.0f);
    h = std::fmod(h, 360.0f);
    if (h < 0) h += 360.0f;
    const float c = v * s;
    const float hp = h / 60.0f;
    const float x = c * (1.0f - std::fabs(std::fmod(hp, 2.0f) - 1.0f));
    float r = 0, g = 0, b = 0;
    switch (static_cast<int>(hp)) {
        case 0: r = c; g = x; break;
        case 1: r = x; g = c; break;
        case 2: g = c; b = x; break;
        case 3: g = x; b = c; break;
        case 4: r = x; b = c; break;
        default: r = c; b = x; break;
    }
    const float m = v - c;
    auto byte = [m](float f) { return static_cast<uint32_t>(std::lround((f + m) * 255.0f)) & 0xFF; };
    return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

void ColorFieldMarker(const DUIRect& field, float s, float v, int* x, int* y) {
    if (x) *x = field.x + static_cast<int>(static_cast<float>(field.width) / 100.0f * (s * 100.0f));
    if (y) *y = field.y + static_cast<int>((100.0f - v * 100.0f) * static_cast<float>(field.height) / 100.0f);
}

void ColorFieldValues(const DUIRect& field, int x, int y, float* s, float* v) {
    const float fs = field.width > 0 ? static_cast<float>(x - field.x) / static_cast<float>(field.width) : 0.0f;
    const float fv = field.height > 0 ? 1.0f - static_cast<float>(y - field.y) / static_cast<float>(field.height) : 0.0f;
    if (s) *s = std::clamp(fs, 0.0f, 1.0f);
    if (v) *v = std::clamp(fv, 0.0f, 1.0f);
}

int HueSliderValue(float h) { return 360 - static_cast<int>(std::lround(std::clamp(h, 0.0f, 360.0f))); }

float HueFromSliderValue(int sliderValue) { return static_cast<float>(360 - std::clamp(sliderValue, 0, 360)); }

// ---- scroll bar ----

int ClampScrollPosition(int position, int total, int page) {
    const int maxPos = std::max(0, total - page);
    return std::clamp(position, 0, maxPos);
}

ScrollMetrics ScrollThumb(int total, int page, int position, int trackLength, int minThumb) {
    ScrollMetrics m;
    if (total <= page || total <= 0 || trackLength <= 0) return m;
    m.thumbLength = std::max(std::min(minThumb, trackLength), static_cast<int>(static_cast<long long>(trackLength) * page / total));
    const int room = trackLength - m.thumbLength;
    const int maxPos = total - page;
    m.thumbStart = static_cast<int>(static_cast<long long>(room) * ClampScrollPosition(position, total, page) / maxPos);
    return m;
}

int ScrollPositionFromThumb(int thumbStart, int total, int page, int trackLength, int minThumb) {
    const ScrollMetrics m = ScrollThumb(total, page, 0, trackLength, minThumb);
    const int room = trackLength - m.thumbLength;
    if (m.thumbLength == 0 || room <= 0) return 0;
    const int maxPos = total - page;
    const int start = std::clamp(thumbStart, 0, room);
    return static_cast<int>((static_cast<long long>(start) * maxPos + room / 2) / room);
}

// ---- list box rows ----

int ListVisibleRows(int height, int rowHeight) { return rowHeight > 0 && height > 0 ? height / rowHeight : 0; }

int ListScrollIntoView(int firstVisible, int visibleRows, int index, int count) {
    if (index < 0 || index >= count) return firstVisible;
    if (visibleRows <= 0) return index;
    if (index < firstVisible) return index;
    if (index >= firstVisible + visibleRows) return index - visibleRows + 1;
    return firstVisible;
}

int ListRowAt(int offsetY, int rowHeight, int firstVisible, int count) {
    if (offsetY < 0 || rowHeight <= 0) return -1;
    const int row = firstVisible + offsetY / rowHeight;
    return row < count ? row : -1;
}

// ---- pie chart ----

DUIRect PieInset(const DUIRect& c, int index, int count) {
    if (count <= 0) return c;
    const int dx = index * (c.width / 2 / count);
    const int dy = index * (c.height / 2 / count);
    return {c.x + dx, c.y + dy, c.width - 2 * dx, c.height - 2 * dy};
}
