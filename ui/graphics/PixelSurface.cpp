#include "PixelSurface.h"

#include <algorithm>
#include <cmath>

#include "UIRect.h"

namespace {
thread_local const DUI_PixelSurface* t_surface = nullptr;
}

DUI_PixelSurfaceScope::DUI_PixelSurfaceScope(const DUI_PixelSurface& surface)
    : previous_(t_surface), surface_(surface) {
    t_surface = &surface_;
}

DUI_PixelSurfaceScope::~DUI_PixelSurfaceScope() { t_surface = previous_; }

namespace {
const DUI_PixelSurface* ScaledSurface(Gdiplus::Graphics* g) {
    const DUI_PixelSurface* s = t_surface;
    return s && g && s->graphics == g && s->frameWidth > 0 ? s : nullptr;
}

// Sets a clip given in pixels, whatever the world transform.
void ClipPixels(Gdiplus::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t height) {
    Gdiplus::Matrix transform;
    g->GetTransform(&transform);
    g->ResetTransform();
    g->SetClip(Gdiplus::Rect(x, y, std::max(width, 0), std::max(height, 0)));
    g->SetTransform(&transform);
}
}  // namespace

void DUI_ClipToSceneRect(Gdiplus::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (!g) return;
    const DUI_PixelSurface* s = ScaledSurface(g);
    if (!s) {
        g->SetClip(Gdiplus::Rect(x, y, width, height));
        return;
    }
    const DUIRect pixels = DUIRectIntersect(DUIRectScaleOut(DUIRect{x, y, width, height}, s->scale),
                                            DUIRect{s->frameX, s->frameY, s->frameWidth, s->frameHeight});
    ClipPixels(g, pixels.x, pixels.y, pixels.width, pixels.height);
}

void DUI_ClipToFrame(Gdiplus::Graphics* g) {
    if (!g) return;
    const DUI_PixelSurface* s = ScaledSurface(g);
    if (!s) {
        g->ResetClip();
        return;
    }
    ClipPixels(g, s->frameX, s->frameY, s->frameWidth, s->frameHeight);
}

double DUI_FrameScale(Gdiplus::Graphics* g) {
    const DUI_PixelSurface* s = ScaledSurface(g);
    return s ? s->scale : 1.0;
}

namespace {
// The part of the rectangle x, y, width, height (pixels) that s shows and g's
// clip lets through, as edges; 0 when the clip is not one rectangle (GDI+
// decides then). The span may be empty (right <= left or bottom <= top).
struct Span {
    int64_t left, top, right, bottom;
};
int VisibleSpan(Gdiplus::Graphics* g, const DUI_PixelSurface* s, int32_t x, int32_t y, int32_t width, int32_t height,
                Span* out) {
    int64_t cx = 0, cy = 0, cw = s->width, ch = s->height;
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
    out->left = std::max<int64_t>({0, x, cx});
    out->top = std::max<int64_t>({0, y, cy});
    out->right = std::min<int64_t>({s->width, int64_t(x) + width, cx + cw});
    out->bottom = std::min<int64_t>({s->height, int64_t(y) + height, cy + ch});
    return 1;
}
}  // namespace

int DUI_CopyOpaqueDirect(Gdiplus::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t height,
                         const uint32_t* pixels) {
    const DUI_PixelSurface* s = t_surface;
    if (!s || !g || s->graphics != g || !s->row0 || !pixels || width <= 0 || height <= 0) return 0;
    const Gdiplus::Unit unit = g->GetPageUnit();
    if ((unit != Gdiplus::UnitPixel && unit != Gdiplus::UnitDisplay) || g->GetPageScale() != 1.0f) return 0;
    Gdiplus::Matrix transform;
    if (g->GetTransform(&transform) != Gdiplus::Ok || !transform.IsIdentity()) return 0;
    Span span;
    if (!VisibleSpan(g, s, x, y, width, height, &span)) return 0;
    const auto [left, top, right, bottom] = span;
    if (right <= left) return 1;
    for (int64_t row = top; row < bottom; ++row) {
        const uint32_t* from = pixels + size_t(row - y) * size_t(width) + size_t(left - x);
        std::copy(from, from + (right - left), reinterpret_cast<uint32_t*>(s->row0 + row * s->stride) + left);
    }
    return 1;
}

int DUI_FillOpaqueDirect(Gdiplus::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) {
    const DUI_PixelSurface* s = t_surface;
    if (!s || !g || s->graphics != g || !s->row0 || (argb >> 24) != 0xFF || width <= 0 || height <= 0) return 0;
    const Gdiplus::Unit unit = g->GetPageUnit();
    if ((unit != Gdiplus::UnitPixel && unit != Gdiplus::UnitDisplay) || g->GetPageScale() != 1.0f) return 0;
    Gdiplus::Matrix transform;
    if (g->GetTransform(&transform) != Gdiplus::Ok) return 0;
    const bool scaled = !transform.IsIdentity();
    if (scaled) {
        // The scaled frame's own transform only: the edges land where GDI+
        // puts them, rounded to the nearest pixel edge.
        Gdiplus::REAL m[6];
        if (s->frameWidth <= 0 || transform.GetElements(m) != Gdiplus::Ok || m[1] != 0 || m[2] != 0 || m[4] != 0 ||
            m[5] != 0 || m[0] != Gdiplus::REAL(s->scale) || m[3] != Gdiplus::REAL(s->scale))
            return 0;
        const int32_t left = int32_t(std::floor(x * double(m[0]) + m[4] + 0.5));
        const int32_t top = int32_t(std::floor(y * double(m[3]) + m[5] + 0.5));
        const int32_t right = int32_t(std::floor((int64_t(x) + width) * double(m[0]) + m[4] + 0.5));
        const int32_t bottom = int32_t(std::floor((int64_t(y) + height) * double(m[3]) + m[5] + 0.5));
        x = left;
        y = top;
        width = right - left;
        height = bottom - top;
        if (width <= 0 || height <= 0) return 1;
        g->ResetTransform();  // the clip is read in pixels below
    }
    struct Restore {
        Gdiplus::Graphics* g;
        Gdiplus::Matrix* m;
        bool on;
        ~Restore() {
            if (on) g->SetTransform(m);
        }
    } restore{g, &transform, scaled};
    Span span;
    if (!VisibleSpan(g, s, x, y, width, height, &span)) return 0;
    const auto [left, top, right, bottom] = span;
    for (int64_t row = top; row < bottom; ++row) {
        auto* p = reinterpret_cast<uint32_t*>(s->row0 + row * s->stride) + left;
        std::fill(p, p + (right - left > 0 ? right - left : 0), argb);  // opaque: premultiplied is the same
    }
    return 1;
}
