// Brushes and pens over GDI+.
#include "GdiplusInclude.h"

#include "GDIPlugCtrl.h"
#include "PixelSurface.h"
#include "RenderStats.h"

using namespace Gdiplus;

namespace {

std::vector<PointF> ToPointF(const std::vector<DUIPointF>& points) {
    std::vector<PointF> out;
    out.reserve(points.size());
    for (const auto& p : points) out.emplace_back(p.x, p.y);
    return out;
}

std::vector<Point> ToPoint(const std::vector<POINT>& points) {
    std::vector<Point> out;
    out.reserve(points.size());
    for (const auto& p : points) out.emplace_back(p.x, p.y);
    return out;
}

}  // namespace

// ---- brush ----

CGDIPlug_BrushCtrl::CGDIPlug_BrushCtrl() = default;
CGDIPlug_BrushCtrl::~CGDIPlug_BrushCtrl() { Release(); }

int CGDIPlug_BrushCtrl::Check(int status) {
    m_lastStatus = status;
    return status == Ok ? 1 : 0;
}

int CGDIPlug_BrushCtrl::CreateSolid(DUIColor color) {
    m_brush = std::make_unique<SolidBrush>(Color(color));
    return Check(m_brush->GetLastStatus());
}

int CGDIPlug_BrushCtrl::CreateHatch(int style, DUIColor fore, DUIColor back) {
    if (style < HatchStyleMin || style > HatchStyleMax) return Check(InvalidParameter);
    m_brush = std::make_unique<HatchBrush>(static_cast<HatchStyle>(style), Color(fore), Color(back));
    return Check(m_brush->GetLastStatus());
}

int CGDIPlug_BrushCtrl::CreateLinearGradient(const DUIRectF& rect, DUIColor color1, DUIColor color2, float angle) {
    if (rect.width <= 0 || rect.height <= 0) return Check(InvalidParameter);
    m_brush = std::make_unique<LinearGradientBrush>(RectF(rect.x, rect.y, rect.width, rect.height), Color(color1),
                                                    Color(color2), angle, FALSE);
    return Check(m_brush->GetLastStatus());
}

void CGDIPlug_BrushCtrl::Release() { m_brush.reset(); }

int CGDIPlug_BrushCtrl::SetColor(DUIColor color) {
    if (m_brush && m_brush->GetType() == BrushTypeSolidColor)
        return Check(static_cast<SolidBrush*>(m_brush.get())->SetColor(Color(color)));
    return CreateSolid(color);
}

int CGDIPlug_BrushCtrl::FillRectangle(DUIGraphics* g, float x, float y, float width, float height) {
    DUI_StageTimer timer(DUI_RenderStage::Fills);
    if (!g || !m_brush) return 0;
    return Check(g->FillRectangle(m_brush.get(), x, y, width, height));
}

int CGDIPlug_BrushCtrl::FillRectangle(DUIGraphics* g, int x, int y, int width, int height) {
    DUI_StageTimer timer(DUI_RenderStage::Fills);
    if (!g || !m_brush) return 0;
    if (m_brush->GetType() == BrushTypeSolidColor) {
        Color color;
        if (static_cast<SolidBrush*>(m_brush.get())->GetColor(&color) == Ok &&
            DUI_FillOpaqueDirect(g, x, y, width, height, color.GetValue()))
            return Check(Ok);
    }
    return Check(g->FillRectangle(m_brush.get(), x, y, width, height));
}

int CGDIPlug_BrushCtrl::FillEllipse(DUIGraphics* g, float x, float y, float width, float height) {
    if (!g || !m_brush) return 0;
    return Check(g->FillEllipse(m_brush.get(), x, y, width, height));
}

int CGDIPlug_BrushCtrl::FillEllipse(DUIGraphics* g, int x, int y, int width, int height) {
    if (!g || !m_brush) return 0;
    return Check(g->FillEllipse(m_brush.get(), x, y, width, height));
}

int CGDIPlug_BrushCtrl::FillRectangle(DUIGraphics* g, const DUIRectF& r) {
    return FillRectangle(g, r.x, r.y, r.width, r.height);
}

int CGDIPlug_BrushCtrl::FillRectangle(DUIGraphics* g, const DUIRect& r) {
    return FillRectangle(g, r.x, r.y, r.width, r.height);
}

int CGDIPlug_BrushCtrl::FillPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points) {
    return FillPolygon(g, points, 0);
}

int CGDIPlug_BrushCtrl::FillPolygon(DUIGraphics* g, const std::vector<POINT>& points) {
    if (!g || !m_brush || points.size() < 3) return 0;
    auto pts = ToPoint(points);
    return Check(g->FillPolygon(m_brush.get(), pts.data(), static_cast<INT>(pts.size())));
}

int CGDIPlug_BrushCtrl::FillPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points, int fillMode) {
    if (!g || !m_brush || points.size() < 3) return 0;
    auto pts = ToPointF(points);
    return Check(g->FillPolygon(m_brush.get(), pts.data(), static_cast<INT>(pts.size()),
                                fillMode == 1 ? FillModeWinding : FillModeAlternate));
}

int CGDIPlug_BrushCtrl::FillPie(DUIGraphics* g, float x, float y, float width, float height, float startAngle,
                                float sweepAngle) {
    if (!g || !m_brush) return 0;
    return Check(g->FillPie(m_brush.get(), x, y, width, height, startAngle, sweepAngle));
}

int CGDIPlug_BrushCtrl::FillPie(DUIGraphics* g, int x, int y, int width, int height, float startAngle,
                                float sweepAngle) {
    if (!g || !m_brush) return 0;
    return Check(g->FillPie(m_brush.get(), x, y, width, height, startAngle, sweepAngle));
}

// ---- pen ----

CGDIPlug_PenCtrl::CGDIPlug_PenCtrl() = default;
CGDIPlug_PenCtrl::~CGDIPlug_PenCtrl() { Release(); }

int CGDIPlug_PenCtrl::Check(int status) {
    m_lastStatus = status;
    return status == Ok ? 1 : 0;
}

int CGDIPlug_PenCtrl::Create(DUIGraphics*, DUIColor color, float width, int style) {
    m_color = color;
    m_pen = std::make_unique<Pen>(Color(color), width);
    if (!Check(m_pen->GetLastStatus())) return 0;
    return SetDashStyle(style);
}

void CGDIPlug_PenCtrl::Release() { m_pen.reset(); }

int CGDIPlug_PenCtrl::SetDashStyle(int style) {
    if (!m_pen) return 0;
    if (style < DashStyleSolid || style > DashStyleDashDotDot) style = DashStyleSolid;
    return Check(m_pen->SetDashStyle(static_cast<DashStyle>(style)));
}

DUIColor CGDIPlug_PenCtrl::GetColor() { return m_color; }

int CGDIPlug_PenCtrl::SetColor(DUIColor color) {
    if (!m_pen) return 0;
    m_color = color;
    return Check(m_pen->SetColor(Color(color)));
}

int CGDIPlug_PenCtrl::SetWidth(float width) {
    if (!m_pen) return 0;
    return Check(m_pen->SetWidth(width));
}

int CGDIPlug_PenCtrl::DrawRectangle(DUIGraphics* g, float x, float y, float width, float height) {
    DUI_StageTimer timer(DUI_RenderStage::Fills);
    if (!g || !m_pen) return 0;
    return Check(g->DrawRectangle(m_pen.get(), x, y, width, height));
}

int CGDIPlug_PenCtrl::DrawRectangle(DUIGraphics* g, int x, int y, int width, int height) {
    DUI_StageTimer timer(DUI_RenderStage::Fills);
    if (!g || !m_pen) return 0;
    // A one-unit opaque outline is four opaque bands written into the
    // pixels: GDI+ draws a pen as a widened path at many times the cost (at
    // scale 1 the same pixels; on a scaled frame the bands' edges land where
    // fills' do).
    Color color;
    if (width > 0 && height > 0 && m_pen->GetWidth() == 1.0f &&
        m_pen->GetPenType() == PenTypeSolidColor && m_pen->GetColor(&color) == Ok && color.GetAlpha() == 255 &&
        DUI_FillOpaqueDirect(g, x, y, width + 1, 1, color.GetValue())) {
        DUI_FillOpaqueDirect(g, x, y + height, width + 1, 1, color.GetValue());
        DUI_FillOpaqueDirect(g, x, y + 1, 1, height - 1, color.GetValue());
        DUI_FillOpaqueDirect(g, x + width, y + 1, 1, height - 1, color.GetValue());
        return Check(Ok);
    }
    return Check(g->DrawRectangle(m_pen.get(), x, y, width, height));
}

int CGDIPlug_PenCtrl::DrawEllipse(DUIGraphics* g, float x, float y, float width, float height) {
    if (!g || !m_pen) return 0;
    return Check(g->DrawEllipse(m_pen.get(), x, y, width, height));
}

int CGDIPlug_PenCtrl::DrawEllipse(DUIGraphics* g, int x, int y, int width, int height) {
    if (!g || !m_pen) return 0;
    return Check(g->DrawEllipse(m_pen.get(), x, y, width, height));
}

int CGDIPlug_PenCtrl::DrawLine(DUIGraphics* g, float x1, float y1, float x2, float y2) {
    if (!g || !m_pen) return 0;
    return Check(g->DrawLine(m_pen.get(), x1, y1, x2, y2));
}

int CGDIPlug_PenCtrl::DrawLine(DUIGraphics* g, int x1, int y1, int x2, int y2) {
    if (!g || !m_pen) return 0;
    return Check(g->DrawLine(m_pen.get(), x1, y1, x2, y2));
}

int CGDIPlug_PenCtrl::FillEllipse(DUIGraphics* g, float x, float y, float width, float height) {
    if (!g || !m_pen) return 0;
    SolidBrush brush{Color(m_color)};
    return Check(g->FillEllipse(&brush, x, y, width, height));
}

int CGDIPlug_PenCtrl::FillEllipse(DUIGraphics* g, int x, int y, int width, int height) {
    if (!g || !m_pen) return 0;
    SolidBrush brush{Color(m_color)};
    return Check(g->FillEllipse(&brush, x, y, width, height));
}

int CGDIPlug_PenCtrl::DrawPolygon(DUIGraphics* g, const std::vector<DUIPointF>& points) {
    if (!g || !m_pen || points.size() < 2) return 0;
    auto pts = ToPointF(points);
    return Check(g->DrawPolygon(m_pen.get(), pts.data(), static_cast<INT>(pts.size())));
}

int CGDIPlug_PenCtrl::DrawPolygon(DUIGraphics* g, const std::vector<POINT>& points) {
    if (!g || !m_pen || points.size() < 2) return 0;
    auto pts = ToPoint(points);
    return Check(g->DrawPolygon(m_pen.get(), pts.data(), static_cast<INT>(pts.size())));
}

int CGDIPlug_PenCtrl::DrawLines(DUIGraphics* g, const std::vector<DUIPointF>& points) {
    if (!g || !m_pen || points.size() < 2) return 0;
    auto pts = ToPointF(points);
    return Check(g->DrawLines(m_pen.get(), pts.data(), static_cast<INT>(pts.size())));
}
