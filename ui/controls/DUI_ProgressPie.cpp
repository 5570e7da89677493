#include "controls/DUI_KindCommon.h"
#include "controls/DUI_PieChart.h"
#include "controls/DUI_Progress.h"
#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "graphics/GDIPlugCtrl.h"
#include "controls/DUI_Factory.h"
#include "skin/DUI_UIResource.h"

CDUI_Progress* CDUI_UIResource::CreateProgress(int32_t id, const std::wstring& style, const std::wstring& text,
                                               int32_t x, int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_Progress, CDUI_Progress_Style>(this, L"Progress", style, id, text, x, y, width, height);
}

CDUI_PieChart* CDUI_UIResource::CreatePieChart(int32_t id, const std::wstring& style, const std::wstring& text,
                                               int32_t x, int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_PieChart, CDUI_PieChart_Style>(this, L"PieChart", style, id, text, x, y, width, height);
}

// ---- progress ----

CDUI_Progress::CDUI_Progress(CDUI_UIResource* resource, CDUI_Progress_Style* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {
    border_ = 0;
    transparent_ = 1;
    alignment_ = 18;
}

void CDUI_Progress::Relayout() {
    auto* style = static_cast<CDUI_Progress_Style*>(style_);
    const int head = style ? style->surfaceHead.width : 0;
    const int tail = style ? style->surfaceTail.width : 0;
    pieces_ = ProgressLayout(DUIRect{absolute_.x, absolute_.y, absolute_.width, absolute_.height}, head, tail,
                             maximum_, value_);
}

void CDUI_Progress::OnLayout() { Relayout(); }
void CDUI_Progress::OnSizeChanged() {
    Relayout();
    Invalidate();
}
void CDUI_Progress::OnPositionChanged() {
    Relayout();
    Invalidate();
}

int CDUI_Progress::SetProgress(uint32_t value, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    (void)notify;  // nothing of its own to report
    value_ = ClampProgressValue(value, maximum_);
    Relayout();
    Invalidate();
    return 1;
}

int CDUI_Progress::SetMaximum(uint32_t maximum) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    maximum_ = maximum;
    value_ = ClampProgressValue(value_, maximum_);
    Relayout();
    Invalidate();
    return 1;
}

void CDUI_Progress::Paint(Gdiplus::Graphics* graphics) {
    auto* style = static_cast<CDUI_Progress_Style*>(style_);
    if (!graphics || !style) return;
    Relayout();  // the absolute rectangle may have moved with the parent
    auto rect = [](const DUIRect& r) { return DUI_Rect{r.x, r.y, r.width, r.height}; };
    DUI_DrawSkinPiece(this, graphics, rect(pieces_.background), style->backGround, 1);
    DUI_DrawSkinPiece(this, graphics, rect(pieces_.head), style->surfaceHead, 1);
    DUI_DrawSkinPiece(this, graphics, rect(pieces_.body), style->surfaceBody, 1);
    DUI_DrawSkinPiece(this, graphics, rect(pieces_.tail), style->surfaceTail, 1);
    if (!text_.empty()) DrawText(graphics, text_, absolute_);
}

// ---- pie chart ----

CDUI_PieChart::CDUI_PieChart(CDUI_UIResource* resource, CDUI_PieChart_Style* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {
    border_ = 0;
    transparent_ = 1;
}

int CDUI_PieChart::AddItem(uint32_t color1, uint32_t color2, float sweep) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    items_.push_back({color1, color2, sweep});
    Invalidate();
    return 1;
}

int CDUI_PieChart::SetItem(size_t index, uint32_t color1, uint32_t color2, float sweep) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok() || index >= items_.size()) return 0;
    items_[index] = {color1, color2, sweep};
    Invalidate();
    return 1;
}

int CDUI_PieChart::ClearItems() {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    items_.clear();
    Invalidate();
    return 1;
}

size_t CDUI_PieChart::GetItemCount() {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? items_.size() : 0;
}

int CDUI_PieChart::SetDrawMode(int mode) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    mode_ = mode == 1 ? 1 : 0;
    Invalidate();
    return 1;
}

void CDUI_PieChart::Paint(Gdiplus::Graphics* graphics) {
    if (!graphics || items_.empty() || absolute_.IsEmpty()) return;
    const auto mode = graphics->GetSmoothingMode();
    graphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    const int n = static_cast<int>(items_.size());
    const DUIRect whole{absolute_.x, absolute_.y, absolute_.width, absolute_.height};
    float start = -90.0f;  // mode 0 runs clockwise from the top
    for (int i = 0; i < n; ++i) {
        const DUI_PieItem& item = items_[static_cast<size_t>(i)];
        const DUIRect r = mode_ == 1 ? PieInset(whole, i, n) : whole;
        if (r.width <= 0 || r.height <= 0) continue;
        CGDIPlug_BrushCtrl brush;
        if (!brush.CreateLinearGradient(DUIRectF{float(r.x), float(r.y), float(r.width), float(r.height)}, item.color1,
                                        item.color2, 45.0f))
            continue;
        brush.FillPie(graphics, r.x, r.y, r.width, r.height, mode_ == 1 ? -90.0f : start, item.sweep);
        start += item.sweep;
    }
    graphics->SetSmoothingMode(mode);
}
