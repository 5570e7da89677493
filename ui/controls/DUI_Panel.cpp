#include "controls/DUI_Panel.h"

#include "controls/DUI_KindCommon.h"
#include "controls/DUI_ScrollBar.h"
#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "controls/DUI_Factory.h"
#include "skin/DUI_UIResource.h"

namespace {

constexpr int32_t kBarThickness = 12;

bool IsMouse(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= 0x020D) || message == WM_MOUSEHOVER;
}

}  // namespace

CDUI_Panel* CDUI_UIResource::CreatePanel(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                         int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<CDUI_Panel, CDUI_Panel_Style>(this, L"Panel", style, id, text, x, y, width, height);
}

CDUI_ScrollBar* CDUI_UIResource::CreateScrollBar(int32_t id, const std::wstring& style, const std::wstring& text,
                                                 int32_t x, int32_t y, int32_t width, int32_t height) {
    return static_cast<CDUI_ScrollBar*>(BuildFromStyle(L"ScrollBar", style, [&](CDUI_UIControlStyle* record) {
        auto* bar = new CDUI_ScrollBar(this, static_cast<CDUI_ScrollBar_Style*>(record), id);
        bar->SetText(text);
        bar->SetPosition(x, y);
        bar->SetSize(width, height);
        bar->SetVertical(height >= width ? 1 : 0);
        return static_cast<CDUI_UIControl*>(bar);
    }));
}

// ---- panel ----

CDUI_Panel::CDUI_Panel(CDUI_UIResource* resource, CDUI_Panel_Style* style, int32_t id)
    : CDUI_UICollection(resource, style, id) {
    border_ = 0;
    if (style) backColor_ = style->panelBackColor;
    if (resource && style && !style->scrollStyleName.empty()) {
        vbar_.reset(resource->CreateScrollBar(-1, style->scrollStyleName, L"", 0, 0, kBarThickness, 10));
        hbar_.reset(resource->CreateScrollBar(-2, style->scrollStyleName, L"", 0, 0, 10, kBarThickness));
    }
    auto follow = [this](int axis) {
        return [this, axis](int32_t position) {
            if (axis == 0)
                SetScrollOffset(scrollX_, position);
            else
                SetScrollOffset(position, scrollY_);
        };
    };
    if (vbar_) {
        vbar_->SetVertical(1);
        vbar_->SetPositionListener(follow(0));
    }
    if (hbar_) {
        hbar_->SetVertical(0);
        hbar_->SetPositionListener(follow(1));
    }
}

CDUI_Panel::~CDUI_Panel() {
    LeaveTreeBeforeDestruction();  // while the whole control still exists
}

void CDUI_Panel::ReleaseResources() {
    CDUI_UICollection::ReleaseResources();
    vbar_.reset();
    hbar_.reset();
}

DUI_Rect CDUI_Panel::ChildArea() { return {absolute_.x + 2, absolute_.y + 2, absolute_.width - 4, absolute_.height - 4}; }

void CDUI_Panel::GetContentOrigin(int32_t* x, int32_t* y) {
    if (x) *x = absolute_.x - (scrolling_ ? scrollX_ : 0);
    if (y) *y = absolute_.y - (scrolling_ ? scrollY_ : 0);
}

void CDUI_Panel::LayoutBars() {
    const bool needV = scrolling_ && contentHeight_ > absolute_.height;
    const bool needH = scrolling_ && contentWidth_ > absolute_.width;
    if (vbar_) {
        vbar_->SetShown(needV ? 1 : 0);
        vbar_->SetPosition(absolute_.x + absolute_.width - kBarThickness, absolute_.y);
        vbar_->SetSize(kBarThickness, absolute_.height - (needH ? kBarThickness : 0));
        vbar_->SetRange(contentHeight_, absolute_.height);
        vbar_->SetScrollPosition(scrollY_);
    }
    if (hbar_) {
        hbar_->SetShown(needH ? 1 : 0);
        hbar_->SetPosition(absolute_.x, absolute_.y + absolute_.height - kBarThickness);
        hbar_->SetSize(absolute_.width - (needV ? kBarThickness : 0), kBarThickness);
        hbar_->SetRange(contentWidth_, absolute_.width);
        hbar_->SetScrollPosition(scrollX_);
    }
}

void CDUI_Panel::OnLayout() { LayoutBars(); }

int CDUI_Panel::SetScrolling(int enable, int32_t contentWidth, int32_t contentHeight) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    scrolling_ = enable ? 1 : 0;
    contentWidth_ = contentWidth;
    contentHeight_ = contentHeight;
    scrollX_ = scrollY_ = 0;
    UpdateLayout();
    return 1;
}

int CDUI_Panel::SetContentSize(int32_t contentWidth, int32_t contentHeight) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    if (contentWidth == contentWidth_ && contentHeight == contentHeight_ && scrolling_) return 1;
    scrolling_ = 1;
    contentWidth_ = contentWidth;
    contentHeight_ = contentHeight;
    scrollX_ = ClampScrollPosition(scrollX_, contentWidth_, absolute_.width);
    scrollY_ = ClampScrollPosition(scrollY_, contentHeight_, absolute_.height);
    UpdateLayout();
    return 1;
}

void CDUI_Panel::GetContentSize(int32_t* width, int32_t* height) const {
    if (width) *width = contentWidth_;
    if (height) *height = contentHeight_;
}

int CDUI_Panel::SetScrollOffset(int32_t x, int32_t y) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    x = ClampScrollPosition(x, contentWidth_, absolute_.width);
    y = ClampScrollPosition(y, contentHeight_, absolute_.height);
    if (x == scrollX_ && y == scrollY_) return 1;
    scrollX_ = x;
    scrollY_ = y;
    UpdateLayout();  // children follow the new content origin
    return 1;
}

void CDUI_Panel::GetScrollOffset(int32_t* x, int32_t* y) const {
    if (x) *x = scrollX_;
    if (y) *y = scrollY_;
}

void CDUI_Panel::Paint(Gdiplus::Graphics* graphics) {
    auto* s = static_cast<CDUI_Panel_Style*>(style_);
    if (!graphics || !s) return;
    const DUI_Rect a = absolute_;
    // Corners at their size, the edges between them stretched.
    const int topH = s->middleUpCorner.height, bottomH = s->middleDownCorner.height;
    DUI_DrawSkinPiece(this, graphics, {a.x, a.y, s->leftUpCorner.width, s->leftUpCorner.height}, s->leftUpCorner, 0);
    DUI_DrawSkinPiece(this, graphics,
                      {a.x + s->leftUpCorner.width, a.y, a.width - s->leftUpCorner.width - s->rightUpCorner.width, topH},
                      s->middleUpCorner, 1);
    DUI_DrawSkinPiece(this, graphics, {a.x + a.width - s->rightUpCorner.width, a.y, s->rightUpCorner.width,
                                       s->rightUpCorner.height},
                      s->rightUpCorner, 0);
    DUI_DrawSkinPiece(this, graphics,
                      {a.x, a.y + s->leftUpCorner.height, s->leftBorder.width,
                       a.height - s->leftUpCorner.height - s->leftDownCorner.height},
                      s->leftBorder, 1);
    DUI_DrawSkinPiece(this, graphics,
                      {a.x + a.width - s->rightBorder.width, a.y + s->rightUpCorner.height, s->rightBorder.width,
                       a.height - s->rightUpCorner.height - s->rightDownCorner.height},
                      s->rightBorder, 1);
    DUI_DrawSkinPiece(this, graphics, {a.x, a.y + a.height - s->leftDownCorner.height, s->leftDownCorner.width,
                                       s->leftDownCorner.height},
                      s->leftDownCorner, 0);
    DUI_DrawSkinPiece(this, graphics,
                      {a.x + s->leftDownCorner.width, a.y + a.height - bottomH,
                       a.width - s->leftDownCorner.width - s->rightDownCorner.width, bottomH},
                      s->middleDownCorner, 1);
    DUI_DrawSkinPiece(this, graphics,
                      {a.x + a.width - s->rightDownCorner.width, a.y + a.height - s->rightDownCorner.height,
                       s->rightDownCorner.width, s->rightDownCorner.height},
                      s->rightDownCorner, 0);
}

void CDUI_Panel::PaintChildren(Gdiplus::Graphics* graphics) {
    // Children only inside the panel inset by 2: their paint is limited to
    // that part of the frame's dirty rectangle.
    const DUI_Rect area = DUI_Intersect(paintDirty_, ChildArea());
    if (!area.IsEmpty())
        for (CDUI_UIControl* child : children_) child->PaintControl(graphics, area);
    if (scrolling_) {
        if (vbar_ && vbar_->GetShown()) vbar_->PaintControl(graphics, paintDirty_);
        if (hbar_ && hbar_->GetShown()) hbar_->PaintControl(graphics, paintDirty_);
    }
}

int CDUI_Panel::OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsMouse(message)) {
        int32_t x = 0, y = 0;
        DUI_MessagePoint(this, message, lParam, &x, &y);  // the wheel comes in screen coordinates
        if (message == WM_MOUSEWHEEL && !absolute_.Contains(x, y)) return 0;  // for the panel under the pointer
        if (message != WM_MOUSEWHEEL && !absolute_.Contains(x, y)) {
            // Still let a dragged scroll thumb see the pointer.
            if (scrolling_ && vbar_ && vbar_->GetShown() && (wParam & MK_LBUTTON))
                vbar_->DispatchControlMessage(message, wParam, lParam);
            if (scrolling_ && hbar_ && hbar_->GetShown() && (wParam & MK_LBUTTON))
                hbar_->DispatchControlMessage(message, wParam, lParam);
            return 0;
        }
        if (scrolling_) {
            for (CDUI_ScrollBar* bar : {vbar_.get(), hbar_.get()})
                if (bar && bar->GetShown() && bar->GetAbsoluteRect().Contains(x, y) &&
                    bar->DispatchControlMessage(message, wParam, lParam))
                    return 1;
            if (message == WM_MOUSEWHEEL && contentHeight_ > absolute_.height) {
                // A scrollable child under the pointer (a list) scrolls first.
                if (CDUI_UICollection::OnRawMessage(message, wParam, lParam)) return 1;
                const int pixels = WheelUnits(&wheelRemainder_, GET_WHEEL_DELTA_WPARAM(wParam), wheelStep_);
                if (pixels) SetScrollOffset(scrollX_, scrollY_ - pixels);
                return 1;
            }
        }
    }
    return CDUI_UICollection::OnRawMessage(message, wParam, lParam);
}

// ---- scroll bar ----

CDUI_ScrollBar::CDUI_ScrollBar(CDUI_UIResource* resource, CDUI_ScrollBar_Style* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {
    border_ = 0;
    if (style) backColor_ = style->scrollBarBackColor;
}

void CDUI_ScrollBar::SetVertical(int flag) {
    vertical_ = flag ? 1 : 0;
    Invalidate();
}

void CDUI_ScrollBar::SetRange(int32_t total, int32_t page, int32_t step) {
    total_ = std::max(0, total);
    page_ = std::max(0, page);
    step_ = std::max(1, step);
    position_ = ClampScrollPosition(position_, total_, page_);
    Invalidate();
}

int CDUI_ScrollBar::SetScrollPosition(int32_t position) {
    position = ClampScrollPosition(position, total_, page_);
    if (position == position_) return 1;
    position_ = position;
    Invalidate();
    if (listener_) listener_(position_);
    return 1;
}

int32_t CDUI_ScrollBar::ButtonLength() {
    const int32_t across = vertical_ ? absolute_.width : absolute_.height;
    const int32_t along = vertical_ ? absolute_.height : absolute_.width;
    return std::min(across, along / 3);
}
int32_t CDUI_ScrollBar::TrackStart() { return (vertical_ ? absolute_.y : absolute_.x) + ButtonLength(); }
int32_t CDUI_ScrollBar::TrackLength() {
    return std::max(0, (vertical_ ? absolute_.height : absolute_.width) - 2 * ButtonLength());
}

DUI_Rect CDUI_ScrollBar::ThumbRect() {
    const ScrollMetrics m = ScrollThumb(total_, page_, position_, TrackLength());
    if (m.thumbLength == 0) return {};
    if (vertical_) return {absolute_.x, TrackStart() + m.thumbStart, absolute_.width, m.thumbLength};
    return {TrackStart() + m.thumbStart, absolute_.y, m.thumbLength, absolute_.height};
}

int CDUI_ScrollBar::OnLButtonDown(int32_t x, int32_t y, WPARAM) {
    // Presses reach every control the dispatch walks past; only ours count.
    if (!absolute_.Contains(x, y)) return 0;
    const int32_t p = vertical_ ? y : x;
    const int32_t start = vertical_ ? absolute_.y : absolute_.x;
    const int32_t end = start + (vertical_ ? absolute_.height : absolute_.width);
    const DUI_Rect thumb = ThumbRect();
    if (p < start + ButtonLength()) {
        SetScrollPosition(position_ - step_);
    } else if (p >= end - ButtonLength()) {
        SetScrollPosition(position_ + step_);
    } else if (!thumb.IsEmpty() && thumb.Contains(x, y)) {
        dragging_ = 1;
        grabOffset_ = p - (vertical_ ? thumb.y : thumb.x);
    } else if (!thumb.IsEmpty()) {
        SetScrollPosition(position_ + (p < (vertical_ ? thumb.y : thumb.x) ? -page_ : page_));
    }
    return 1;
}

int CDUI_ScrollBar::OnMouseMove(int32_t x, int32_t y, WPARAM keys) {
    if (!dragging_) return 0;
    if (!(keys & MK_LBUTTON)) {
        dragging_ = 0;
        return 0;
    }
    const int32_t p = (vertical_ ? y : x) - grabOffset_ - TrackStart();
    SetScrollPosition(ScrollPositionFromThumb(p, total_, page_, TrackLength()));
    return 1;
}

int CDUI_ScrollBar::OnLButtonUp(int32_t, int32_t, WPARAM) {
    dragging_ = 0;
    return 0;
}

void CDUI_ScrollBar::SetThumbColor(uint32_t argb) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    thumbColor_ = argb;
    Invalidate();
}

void CDUI_ScrollBar::Paint(Gdiplus::Graphics* graphics) {
    auto* s = static_cast<CDUI_ScrollBar_Style*>(style_);
    if (!graphics || !s) return;
    const DUI_Rect a = absolute_;
    const int32_t b = ButtonLength();
    const DUI_Rect before = vertical_ ? DUI_Rect{a.x, a.y, a.width, b} : DUI_Rect{a.x, a.y, b, a.height};
    const DUI_Rect after = vertical_ ? DUI_Rect{a.x, a.y + a.height - b, a.width, b}
                                     : DUI_Rect{a.x + a.width - b, a.y, b, a.height};
    const DUI_Rect track = vertical_ ? DUI_Rect{a.x, a.y + b, a.width, a.height - 2 * b}
                                     : DUI_Rect{a.x + b, a.y, a.width - 2 * b, a.height};
    DUI_DrawSkinPiece(this, graphics, track, vertical_ ? s->verticalPatteBtn : s->horizontalPatteBtn, 1);
    DUI_DrawSkinPiece(this, graphics, before, vertical_ ? s->verticalBeforBtn : s->horizontalBeforBtn, 1);
    DUI_DrawSkinPiece(this, graphics, after, vertical_ ? s->verticalAfterBtn : s->horizontalAfterBtn, 1);
    const DUI_Rect thumb = ThumbRect();
    if (thumb.IsEmpty()) return;
    const DUI_SkinRect thumbSkin = vertical_ ? s->verticalScrolBtn : s->horizontalScrolBtn;
    if (thumbSkin.width == 0 || thumbSkin.height == 0) {
        // A skin without thumb art (all rects zero): a plain darker thumb.
        Gdiplus::SolidBrush brush{Gdiplus::Color(thumbColor_)};
        graphics->FillRectangle(&brush, thumb.x, thumb.y, thumb.width, thumb.height);
    } else {
        DUI_DrawSkinPiece(this, graphics, thumb, thumbSkin, 1);
    }
}
