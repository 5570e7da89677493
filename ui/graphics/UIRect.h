#pragma once
// Rectangles of the UI engine are x, y, width, height in scene pixels. The
// arithmetic lives here, free of <windows.h>, so the dirty-area and layout
// rules can be tested on their own.
#include <algorithm>
#include <cmath>

struct DUIRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const DUIRect&) const = default;
};

// Empty when width or height is 0 or less.
inline bool DUIRectIsEmpty(const DUIRect& r) { return r.width <= 0 || r.height <= 0; }

// Bounding box of two rectangles; an empty one does not widen the other.
inline DUIRect DUIRectUnion(const DUIRect& a, const DUIRect& b) {
    if (DUIRectIsEmpty(a)) return b;
    if (DUIRectIsEmpty(b)) return a;
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width);
    const int bottom = std::max(a.y + a.height, b.y + b.height);
    return {left, top, right - left, bottom - top};
}

// Overlap of two rectangles; {0,0,0,0} when they do not overlap.
inline DUIRect DUIRectIntersect(const DUIRect& a, const DUIRect& b) {
    if (DUIRectIsEmpty(a) || DUIRectIsEmpty(b)) return {};
    const int left = std::max(a.x, b.x);
    const int top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.width, b.x + b.width);
    const int bottom = std::min(a.y + a.height, b.y + b.height);
    if (right <= left || bottom <= top) return {};
    return {left, top, right - left, bottom - top};
}

// Right and bottom edges excluded, as for hit testing.
inline bool DUIRectContains(const DUIRect& r, int px, int py) {
    return px >= r.x && py >= r.y && px < r.x + r.width && py < r.y + r.height;
}

// Scaled drawing: scene rectangles are logical; the frame is in pixels of
// logical * scale. A logical edge lands on pixel edge round(v * scale).
inline int DUIScaledEdge(int v, double scale) { return static_cast<int>(std::floor(v * scale + 0.5)); }
// The whole pixels a logical rectangle touches (edges rounded outwards).
inline DUIRect DUIRectScaleOut(const DUIRect& r, double scale) {
    if (DUIRectIsEmpty(r)) return {};
    const int left = static_cast<int>(std::floor(r.x * scale)), top = static_cast<int>(std::floor(r.y * scale));
    const int right = static_cast<int>(std::ceil((r.x + r.width) * scale - 1e-9));
    const int bottom = static_cast<int>(std::ceil((r.y + r.height) * scale - 1e-9));
    return {left, top, right - left, bottom - top};
}
// The logical rectangle whose drawing covers a pixel rectangle.
inline DUIRect DUIRectUnscaleOut(const DUIRect& r, double scale) {
    if (DUIRectIsEmpty(r) || scale <= 0) return {};
    const int left = static_cast<int>(std::floor(r.x / scale + 1e-9)), top = static_cast<int>(std::floor(r.y / scale + 1e-9));
    const int right = static_cast<int>(std::ceil((r.x + r.width) / scale - 1e-9));
    const int bottom = static_cast<int>(std::ceil((r.y + r.height) / scale - 1e-9));
    return {left, top, right - left, bottom - top};
}

// A rectangle with its negative origin clamped to 0 (its size kept): the rule
// the dirty area applies to everything invalidated.
inline DUIRect DUIRectClampOrigin(DUIRect r) {
    if (r.x < 0) r.x = 0;
    if (r.y < 0) r.y = 0;
    return r;
}
