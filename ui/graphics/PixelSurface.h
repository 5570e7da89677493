#pragma once
// The frame's pixels behind a GDI+ graphics, made known to the drawing
// objects while the render thread paints a frame, so that plain opaque
// rectangle fills can be written straight into them instead of through
// GDI+'s general path (a whole-window fill costs a frame's budget there).
#include <cstddef>
#include <cstdint>

#include "GdiplusInclude.h"

struct DUI_PixelSurface {
    Gdiplus::Graphics* graphics = nullptr;  // borrowed: drawing on these pixels
    uint8_t* row0 = nullptr;                // first (top) row
    ptrdiff_t stride = 0;                   // bytes from one row to the next below (negative when bottom-up)
    int32_t width = 0, height = 0;
    // Scaled frames: the graphics maps scene units to pixels by scale, and
    // everything drawn stays inside the frame's pixel rectangle (frameWidth 0:
    // no such bound; the frame is not scaled).
    double scale = 1.0;
    int32_t frameX = 0, frameY = 0, frameWidth = 0, frameHeight = 0;
};

// Binds a surface to the calling thread for the lifetime of the object.
class DUI_PixelSurfaceScope {
public:
    explicit DUI_PixelSurfaceScope(const DUI_PixelSurface& surface);
    ~DUI_PixelSurfaceScope();
    DUI_PixelSurfaceScope(const DUI_PixelSurfaceScope&) = delete;
    DUI_PixelSurfaceScope& operator=(const DUI_PixelSurfaceScope&) = delete;

private:
    const DUI_PixelSurface* previous_;
    DUI_PixelSurface surface_;
};

// Clips g to a scene rectangle. On a scaled frame that is the whole pixels
// the rectangle touches, inside the frame's rectangle; otherwise the
// rectangle itself.
void DUI_ClipToSceneRect(Gdiplus::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t height);
// Back to the frame's own bound (no clip on an unscaled frame).
void DUI_ClipToFrame(Gdiplus::Graphics* g);
// The scale of the frame g paints (1 outside a scaled frame).
double DUI_FrameScale(Gdiplus::Graphics* g);

// Fills x, y, width, height with an opaque ARGB colour when g draws on the
// thread's bound surface with a plain state (pixel units, no transform, a
// rectangular clip, no transform but a scaled frame's scale); returns 0 when GDI+ has to do it.
int DUI_FillOpaqueDirect(Gdiplus::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb);
// Copies an opaque block of width x height ARGB pixels (rows of width, the
// top one first) to x, y on the same terms, on an unscaled frame only;
// returns 0 when GDI+ has to draw it.
int DUI_CopyOpaqueDirect(Gdiplus::Graphics* g, int32_t x, int32_t y, int32_t width, int32_t height,
                         const uint32_t* pixels);
