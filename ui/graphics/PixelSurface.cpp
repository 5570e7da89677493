#include "PixelSurface.h"

#include <algorithm>

namespace {
thread_local const DUI_PixelSurface* t_surface = nullptr;
}

DUI_PixelSurfaceScope::DUI_PixelSurfaceScope(const DUI_PixelSurface& surface)
    : previous_(t_surface), surface_(surface) {
    t_surface = &surface_;
}

DUI_PixelSurfaceScope::~DUI_PixelSurfaceScope() { t_surface = previous_; }

int DUI_FillOpaqueDirect(Gdiplus::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) {
    const DUI_PixelSurface* s = t_surface;
    if (!s || !g || s->graphics != g || (argb >> 24) != 0xFF || width <= 0 || height <= 0) return 0;
    const Gdiplus::Unit unit = g->GetPageUnit();
    if ((unit != Gdiplus::UnitPixel && unit != Gdiplus::UnitDisplay) || g->GetPageScale() != 1.0f) return 0;
    Gdiplus::Matrix transform;
    if (g->GetTransform(&transform) != Gdiplus::Ok || !transform.IsIdentity()) return 0;
    // The visible part: the clip, when it is one rectangle, else GDI+ decides.
    int32_t cx = 0, cy = 0, cw = s->width, ch = s->height;
    Gdiplus::Region clip;
    if (g->GetClip(&clip) != Gdiplus::Ok) return 0;
    if (!clip.IsInfinite(g)) {
        Gdiplus::Matrix identity;
        if (clip.GetRegionScansCount(&identity) != 1) return 0;
        Gdiplus::Rect bounds;
        if (clip.GetBounds(&bounds, g) != Gdiplus::Ok) return 0;
        cx = bounds.X;
        cy = bounds.Y;
        cw = bounds.Width;
        ch = bounds.Height;
    }
    const int64_t left = std::max<int64_t>({0, x, cx});
    const int64_t top = std::max<int64_t>({0, y, cy});
    const int64_t right = std::min<int64_t>({s->width, int64_t(x) + width, int64_t(cx) + cw});
    const int64_t bottom = std::min<int64_t>({s->height, int64_t(y) + height, int64_t(cy) + ch});
    for (int64_t row = top; row < bottom; ++row) {
        auto* p = reinterpret_cast<uint32_t*>(s->row0 + row * s->stride) + left;
        std::fill(p, p + (right - left > 0 ? right - left : 0), argb);  // opaque: premultiplied is the same
    }
    return 1;
}
