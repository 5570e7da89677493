#include "core/DUI_Types.h"

#include <algorithm>

bool operator==(const DUI_Rect& a, const DUI_Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

DUI_Rect DUI_Intersect(const DUI_Rect& a, const DUI_Rect& b) {
    if (a.IsEmpty() || b.IsEmpty()) return {};
    int64_t l = std::max<int64_t>(a.x, b.x), t = std::max<int64_t>(a.y, b.y);
    int64_t r = std::min<int64_t>(int64_t(a.x) + a.width, int64_t(b.x) + b.width);
    int64_t btm = std::min<int64_t>(int64_t(a.y) + a.height, int64_t(b.y) + b.height);
    if (r <= l || btm <= t) return {};
    return {int32_t(l), int32_t(t), int32_t(r - l), int32_t(btm - t)};
}

DUI_Rect DUI_Union(const DUI_Rect& a, const DUI_Rect& b) {
    if (a.IsEmpty()) return b.IsEmpty() ? DUI_Rect{} : b;
    if (b.IsEmpty()) return a;
    int64_t l = std::min<int64_t>(a.x, b.x), t = std::min<int64_t>(a.y, b.y);
    int64_t r = std::max<int64_t>(int64_t(a.x) + a.width, int64_t(b.x) + b.width);
    int64_t btm = std::max<int64_t>(int64_t(a.y) + a.height, int64_t(b.y) + b.height);
    auto clamp = [](int64_t v) { return int32_t(std::min<int64_t>(v, INT32_MAX)); };
    return {int32_t(l), int32_t(t), clamp(r - l), clamp(btm - t)};
}
