#include "scene/DUI_Window.h"

#include <algorithm>

#include "core/DUI_ControlBuilders.h"
#include "graphics/GraphicsCtrl.h"
#include "core/DUI_ParamLock.h"
#include "skin/DUI_UIResource.h"

#define DUI_LOCK_OR_RETURN(value)   \
    CDUI_ParamLock paramLock_(this); \
    if (!paramLock_.Ok()) return value

namespace {

// Ids of the caption children inside their window.
enum : int32_t { kIconId = -101, kMaxId = -102, kMinId = -103, kResetId = -104, kCloseId = -105, kTitleId = -106 };

DUI_SkinRect ToSkin(const DUI_Rect& r) { return {r.x, r.y, r.width, r.height}; }

}  // namespace

CDUI_Window* CDUI_UIResource::CreateWindow(int32_t id, const std::wstring& style, const std::wstring& text, int32_t x,
                                           int32_t y, int32_t width, int32_t height) {
    return static_cast<CDUI_Window*>(BuildFromStyle(L"Window", style, [&](CDUI_UIControlStyle* record) {
        auto* window = new CDUI_Window(this, static_cast<CDUI_Window_Style*>(record), id);
        window->CreateCaptionControls();
        window->SetText(text);
        window->SetState(DUI_STATE_NORMAL);
        window->SetPosition(x, y);
        window->SetSize(width, height);
        return static_cast<CDUI_UIControl*>(window);
    }));
}

CDUI_Window::CDUI_Window(CDUI_UIResource* resource, CDUI_Window_Style* style, int32_t id)
    : CDUI_UICollection(resource, style, id) {
    config_.cursorVertical = LoadCursorW(nullptr, IDC_SIZENS);
    config_.cursorHorizontal = LoadCursorW(nullptr, IDC_SIZEWE);
    config_.cursorBoth = LoadCursorW(nullptr, IDC_SIZENWSE);
    config_.cursorFrame = LoadCursorW(nullptr, IDC_ARROW);
    if (style) backColor_ = style->windowBackColor;
}

CDUI_Window::~CDUI_Window() {
    LeaveTreeBeforeDestruction();  // while the whole control still exists
}

void CDUI_Window::ReleaseResources() {
    icon_ = maxButton_ = minButton_ = resetButton_ = closeButton_ = titleLabel_ = nullptr;
    CDUI_UICollection::ReleaseResources();
}

CDUI_Window_Style* CDUI_Window::WindowStyle() { return static_cast<CDUI_Window_Style*>(style_); }

void CDUI_Window::CreateCaptionControls() {
    CDUI_Window_Style* style = WindowStyle();
    if (!style || !resource_) return;
    auto buttonSize = [&](const std::wstring& name, int32_t* w, int32_t* h) {
        auto* record = dynamic_cast<CDUI_Button_Style*>(resource_->FindStyle(L"Button", name));
        *w = record && record->normal.width > 0 ? record->normal.width : 16;
        *h = record && record->normal.height > 0 ? record->normal.height : 16;
    };
    auto build = [&](const wchar_t* kind, const std::wstring& name, int32_t id, int32_t w, int32_t h) {
        CDUI_UIControl* control = DUI_BuildControl(resource_, kind, name, id, L"", 0, 0, w, h);
        if (control) AddChild(control);
        return control;
    };
    int32_t w = 0, h = 0;
    if (!style->icoImage.empty()) {
        auto* record = dynamic_cast<CDUI_Image_Style*>(resource_->FindStyle(L"Image", style->icoImage));
        w = record && record->sourceRect.width > 0 ? record->sourceRect.width : 16;
        h = record && record->sourceRect.height > 0 ? record->sourceRect.height : 16;
        icon_ = build(L"Image", style->icoImage, kIconId, w, h);
    }
    buttonSize(style->maxButton, &w, &h);
    maxButton_ = build(L"Button", style->maxButton, kMaxId, w, h);
    buttonSize(style->minButton, &w, &h);
    minButton_ = build(L"Button", style->minButton, kMinId, w, h);
    buttonSize(style->resetButton, &w, &h);
    resetButton_ = build(L"Button", style->resetButton, kResetId, w, h);
    buttonSize(style->closeButton, &w, &h);
    closeButton_ = build(L"Button", style->closeButton, kCloseId, w, h);
    titleLabel_ = build(L"Label", style->titleLabel, kTitleId, 10, 10);
    // Presses on the icon and title fall through to the window, which moves.
    if (icon_) icon_->SetHitEnable(0);
    if (titleLabel_) {
        titleLabel_->SetHitEnable(0);
        titleLabel_->SetTransparent(1);
        titleLabel_->SetBorder(0);
    }
    if (closeButton_) closeButton_->SetEventCallback(DUI_EVT_CLICKED, &CDUI_Window::OnCloseClicked, this);
    // Restore only makes sense for a maximised window, which the engine never is.
    if (resetButton_) resetButton_->SetVisible(0);
    ApplyCaptionVisibility();
}

void CDUI_Window::OnCloseClicked(CDUI_UIControl*, const CDUI_EventRecord*, void* user) {
    static_cast<CDUI_Window*>(user)->CloseByButton();
}

void CDUI_Window::ApplyCaptionVisibility() {
    if (icon_) icon_->SetVisible(config_.showIcon);
    if (titleLabel_) titleLabel_->SetVisible(config_.showTitle);
    if (closeButton_) closeButton_->SetVisible(config_.showClose);
    if (maxButton_) maxButton_->SetVisible(config_.showMax);
    if (minButton_) minButton_->SetVisible(config_.showMin);
    UpdateLayout();
}

void CDUI_Window::OnLayout() {
    CDUI_Window_Style* s = WindowStyle();
    for (auto& piece : pieces_) piece = {};
    client_ = titleBar_ = {};
    if (!s) return;
    const int32_t x = absolute_.x, y = absolute_.y, W = absolute_.width, H = absolute_.height;
    const DUI_SkinRect &lu = s->leftUpCorner, &mu = s->middleUpCorner, &ru = s->rightUpCorner;
    const DUI_SkinRect &ld = s->leftDownCorner, &md = s->middleDownCorner, &rd = s->rightDownCorner;
    const DUI_SkinRect &lb = s->leftBorder, &rb = s->rightBorder;
    int32_t middleWidth = W - lu.width - ru.width;
    pieces_[LeftUp] = {x, y, lu.width, lu.height};
    pieces_[MiddleUp] = {x + lu.width, y, middleWidth, mu.height};
    pieces_[RightUp] = {x + lu.width + middleWidth, y, ru.width, ru.height};
    if (config_.frameMode != 2) {
        pieces_[LeftBorder] = {x, y + lu.height, lb.width, H - lu.height - ld.height};
        pieces_[RightBorder] = {x + W - rb.width, y + ru.height, rb.width, H - ru.height - rd.height};
        pieces_[LeftDown] = {x, y + H - ld.height, ld.width, ld.height};
        pieces_[MiddleDown] = {x + ld.width, y + H - md.height, W - ld.width - rd.width, md.height};
        pieces_[RightDown] = {x + W - rd.width, y + H - rd.height, rd.width, rd.height};
    }
    client_ = {x + lb.width, y + mu.height, W - lb.width - rb.width, H - mu.height - md.height};
    titleBar_ = {x, y, W, mu.height};

    // Caption children, relative to the window.
    const int32_t barHeight = mu.height;
    auto place = [&](CDUI_UIControl* c, int32_t cx) {
        int32_t cw = 0, ch = 0;
        c->GetSize(&cw, &ch);
        int32_t px = 0, py = 0;
        c->GetPosition(&px, &py);
        int32_t ny = (barHeight - ch) / 2;
        if (px != cx || py != ny) c->SetPosition(cx, ny);
    };
    auto width = [](CDUI_UIControl* c) {
        int32_t cw = 0;
        if (c) c->GetSize(&cw, nullptr);
        return cw;
    };
    int32_t right = W - 5;
    if (closeButton_ && closeButton_->GetVisible()) {
        right -= width(closeButton_);
        place(closeButton_, right);
    }
    int32_t beside = right;
    if (maxButton_ && maxButton_->GetVisible()) {
        beside = std::min(beside, right - width(maxButton_));
        place(maxButton_, right - width(maxButton_));
    }
    if (resetButton_ && resetButton_->GetVisible()) {
        beside = std::min(beside, right - width(resetButton_));
        place(resetButton_, right - width(resetButton_));
    }
    right = beside;
    if (minButton_ && minButton_->GetVisible()) {
        right -= width(minButton_);
        place(minButton_, right);
    }
    int32_t titleX = 5;
    if (icon_ && icon_->GetVisible()) {
        place(icon_, 5);
        titleX = 5 + width(icon_) + 10;
    }
    if (titleLabel_) {
        int32_t tw = std::max(0, right - titleX), th = std::max(0, barHeight);
        int32_t cw = 0, ch = 0;
        titleLabel_->GetSize(&cw, &ch);
        if (cw != tw || ch != th) titleLabel_->SetSize(tw, th);
        place(titleLabel_, titleX);
    }
}

void CDUI_Window::Paint(Gdiplus::Graphics* graphics) {
    CDUI_Window_Style* s = WindowStyle();
    if (!s || !graphics || !resource_) return;
    const uint8_t alpha = fadeEnable_ ? opacity_ : 255;
    const DUI_SkinRect sources[PieceCount] = {s->leftUpCorner,   s->middleUpCorner,   s->rightUpCorner,
                                              s->leftDownCorner, s->middleDownCorner, s->rightDownCorner,
                                              s->leftBorder,     s->rightBorder};
    // Corners at their own size; middle pieces and borders stretched.
    const int stretch[PieceCount] = {0, 1, 0, 0, 1, 0, 1, 1};
    const int count = config_.frameMode == 2 ? 3 : PieceCount;
    for (int i = 0; i < count; ++i) {
        // Pieces outside this frame's clip cost a full stretched draw for nothing.
        if (DUI_Intersect(pieces_[i], clip_).IsEmpty()) continue;
        resource_->DrawSkinRect(graphics, ToSkin(pieces_[i]), sources[i], stretch[i]);
    }
    // Filled only where the clip lets it show: a clipped fill still costs its whole area.
    DUI_Rect fill = DUI_Intersect(client_, clip_);
    if (config_.frameMode != 2 && !fill.IsEmpty()) {
        uint32_t a = (backColor_ >> 24) * alpha / 255;
        if (CGraphics_BrushCtrl* brush = resource_->GetBrush()) {
            brush->SetColor((a << 24) | (backColor_ & 0x00FFFFFF));
            brush->FillRectangle(graphics, DUIRect{fill.x, fill.y, fill.width, fill.height});
        }
    }
}

void CDUI_Window::PaintChildren(Gdiplus::Graphics* graphics) {
    if (config_.frameMode == 2) return;
    CDUI_UICollection::PaintChildren(graphics);
}

int CDUI_Window::OnEvent(const CDUI_EventRecord& event) {
    if (event.code != kDuiWindowMovedEvent) return 0;
    if (moved_) moved_(this, event.arg[0], event.arg[1], movedUser_);
    return 1;
}

int CDUI_Window::OnLButtonDown(int32_t x, int32_t y, WPARAM) {
    if (config_.frameMode != 3 || !HitTest(x, y)) return 0;
    CDUI_Window_Style* s = WindowStyle();
    const int32_t right = absolute_.x + absolute_.width, bottom = absolute_.y + absolute_.height;
    const int32_t edgeW = s ? std::max(s->rightBorder.width, 1) : 1;
    const int32_t edgeH = s ? std::max(s->middleDownCorner.height, 1) : 1;
    lastX_ = x;
    lastY_ = y;
    if (config_.resizable) {
        bool atRight = x >= right - edgeW, atBottom = y >= bottom - edgeH;
        if (atRight || atBottom) {
            resizeMode_ = (atRight && atBottom) ? 3 : atRight ? 1 : 2;
            resizing_ = 1;
            ::SetCursor(resizeMode_ == 3 ? config_.cursorBoth
                                         : resizeMode_ == 1 ? config_.cursorHorizontal : config_.cursorVertical);
            return 0;
        }
    }
    if (config_.movable && (config_.moveByBody || y < titleBar_.y + titleBar_.height + config_.titleExtraHeight))
        moving_ = 1;
    return 0;
}

int CDUI_Window::OnMouseMove(int32_t x, int32_t y, WPARAM keys) {
    if (!moving_ && !resizing_) return 0;
    if (!(keys & MK_LBUTTON)) {  // the release went elsewhere
        moving_ = resizing_ = 0;
        return 0;
    }
    const int32_t dx = x - lastX_, dy = y - lastY_;
    lastX_ = x;
    lastY_ = y;
    if (moving_) {
        int32_t nx = x_ + dx, ny = y_ + dy;
        if (config_.confine && parent_) {
            int32_t pw = 0, ph = 0;
            parent_->GetSize(&pw, &ph);
            if (nx < 0 || nx + width_ > pw) nx = x_;
            if (ny < 0 || ny + height_ > ph) ny = y_;
        }
        if (nx != x_ || ny != y_) {
            SetPosition(nx, ny);
            FireEvent(kDuiWindowMovedEvent, nx, ny);
        }
        ::SetCursor(config_.cursorFrame);
        return 1;
    }
    CDUI_Window_Style* s = WindowStyle();
    const int32_t minW = s ? s->leftUpCorner.width + s->rightUpCorner.width + 1 : 1;
    const int32_t minH = s ? s->middleUpCorner.height + s->middleDownCorner.height + 1 : 1;
    int32_t nw = width_, nh = height_;
    if (resizeMode_ & 1) nw = std::max(minW, width_ + dx);
    if (resizeMode_ & 2) nh = std::max(minH, height_ + dy);
    if (nw != width_ || nh != height_) SetSize(nw, nh);
    ::SetCursor(resizeMode_ == 3 ? config_.cursorBoth
                                 : resizeMode_ == 1 ? config_.cursorHorizontal : config_.cursorVertical);
    return 1;
}

int CDUI_Window::OnLButtonUp(int32_t, int32_t, WPARAM) {
    moving_ = resizing_ = 0;
    resizeMode_ = 0;
    return 0;
}

void CDUI_Window::OnTextChanged() {
    if (titleLabel_) titleLabel_->SetText(text_);
    Invalidate();
}

void CDUI_Window::OnColorChanged() {
    if (titleLabel_) titleLabel_->SetTextColor(textColor_);
    Invalidate();
}

int CDUI_Window::Show(int value) {
    {
        DUI_LOCK_OR_RETURN(0);
        if (shown_) return 1;
    }
    if (veto_ && veto_(this, 1, vetoUser_) != 1) return 0;
    {
        DUI_LOCK_OR_RETURN(0);
        showValue_ = value;
        SetShown(1);
        SetVisible(1);
        SetFocus(1);
    }
    if (afterShow_) afterShow_(this, value, afterShowUser_);
    return 1;
}

static int HideWindow(CDUI_Window* window, int byClose, DUI_WindowVetoCallback veto, void* vetoUser,
                      DUI_WindowCallback after, void* afterUser) {
    if (!window->GetShown()) return 1;
    if (veto && veto(window, byClose ? 1 : 0, vetoUser) != 1) return 0;
    {
        CDUI_ParamLock lock(window);
        if (!lock.Ok()) return 0;
        window->SetFocus(0);
        window->SetVisible(0);
        window->SetShown(0);
    }
    if (after) after(window, byClose, afterUser);
    return 1;
}

int CDUI_Window::Hide() { return HideWindow(this, 0, veto_, vetoUser_, afterHide_, afterHideUser_); }

int CDUI_Window::CloseByButton() { return HideWindow(this, 1, veto_, vetoUser_, afterHide_, afterHideUser_); }

// The configuration is read by the dispatch and the layout on other threads:
// every change, and the layout it causes, runs under the lock.
void CDUI_Window::SetMovable(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.movable = flag ? 1 : 0;
}
void CDUI_Window::SetMoveByBody(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.moveByBody = flag ? 1 : 0;
}
void CDUI_Window::SetConfine(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.confine = flag ? 1 : 0;
}
void CDUI_Window::SetResizable(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.resizable = flag ? 1 : 0;
}
void CDUI_Window::SetShowTitle(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.showTitle = flag ? 1 : 0;
    ApplyCaptionVisibility();
}
void CDUI_Window::SetShowIcon(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.showIcon = flag ? 1 : 0;
    ApplyCaptionVisibility();
}
void CDUI_Window::SetShowClose(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.showClose = flag ? 1 : 0;
    ApplyCaptionVisibility();
}
void CDUI_Window::SetShowMax(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.showMax = flag ? 1 : 0;
    ApplyCaptionVisibility();
}
void CDUI_Window::SetShowMin(int flag) {
    DUI_LOCK_OR_RETURN();
    config_.showMin = flag ? 1 : 0;
    ApplyCaptionVisibility();
}
void CDUI_Window::SetTitleExtraHeight(int32_t height) {
    DUI_LOCK_OR_RETURN();
    config_.titleExtraHeight = height;
}
void CDUI_Window::SetFrameMode(int mode) {
    DUI_LOCK_OR_RETURN();
    config_.frameMode = mode;
    UpdateLayout();
}
void CDUI_Window::SetResizeCursors(HCURSOR vertical, HCURSOR horizontal, HCURSOR both) {
    DUI_LOCK_OR_RETURN();
    config_.cursorVertical = vertical;
    config_.cursorHorizontal = horizontal;
    config_.cursorBoth = both;
}
DUI_WindowConfig CDUI_Window::GetConfig() {
    DUI_LOCK_OR_RETURN(config_);
    return config_;
}

void CDUI_Window::SetVetoCallback(DUI_WindowVetoCallback callback, void* user) {
    DUI_LOCK_OR_RETURN();
    veto_ = callback;
    vetoUser_ = user;
}
void CDUI_Window::SetAfterShowCallback(DUI_WindowCallback callback, void* user) {
    DUI_LOCK_OR_RETURN();
    afterShow_ = callback;
    afterShowUser_ = user;
}
void CDUI_Window::SetAfterHideCallback(DUI_WindowCallback callback, void* user) {
    DUI_LOCK_OR_RETURN();
    afterHide_ = callback;
    afterHideUser_ = user;
}
void CDUI_Window::SetMovedCallback(DUI_WindowMovedCallback callback, void* user) {
    DUI_LOCK_OR_RETURN();
    moved_ = callback;
    movedUser_ = user;
}
