#include "core/DUI_UIControl.h"

#include <cmath>
#include <mutex>
#include <unordered_set>

#include "core/DUI_FontType.h"
#include "graphics/PixelSurface.h"
#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "core/DUI_RectConv.h"
#include "core/DUI_UICollection.h"
#include "graphics/GraphicsCtrl.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"

// Skips the operation (returning value) when the scene's lock cannot be had.
#define DUI_LOCK_OR_RETURN(value)   \
    CDUI_ParamLock paramLock_(this); \
    if (!paramLock_.Ok()) return value

namespace {

// Controls alive now: a posted event names its control by pointer, and the
// control may have been deleted before the message arrives.
std::mutex g_liveLock;
std::unordered_set<const CDUI_UIControl*>& LiveControls() {
    static std::unordered_set<const CDUI_UIControl*> live;
    return live;
}

int32_t PointX(LPARAM lParam) { return int16_t(LOWORD(lParam)); }
int32_t PointY(LPARAM lParam) { return int16_t(HIWORD(lParam)); }

bool IsQueuedCommonWithoutCallback(int32_t code) {
    return code >= 1 && code <= kDuiCommonEventCount && !(code >= DUI_EVT_MOVEANIM_START && code <= DUI_EVT_FADE_END);
}

bool IsMouseMessage(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= 0x020D) || message == WM_MOUSEHOVER || message == WM_MOUSELEAVE;
}

bool IsKeyMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= 0x0109) || message == WM_IME_CHAR;
}

CDUI_UICollection* AsCollection(CDUI_UIControl* control) {
    return control && control->IsCollection() ? static_cast<CDUI_UICollection*>(control) : nullptr;
}

}  // namespace

void DUI_MessagePoint(CDUI_UIControl* control, UINT message, LPARAM lParam, int32_t* x, int32_t* y) {
    POINT p{PointX(lParam), PointY(lParam)};
    if (message == WM_MOUSEWHEEL || message == 0x020E) {
        CDUI_UIScene* scene = control ? control->GetScene() : nullptr;
        if (scene && scene->GetHostWindow()) {
            ScreenToClient(scene->GetHostWindow(), &p);
            p = scene->ToScenePoint(p);
        }
    }
    if (x) *x = p.x;
    if (y) *y = p.y;
}

bool DUI_IsLiveControl(const CDUI_UIControl* control) {
    std::lock_guard<std::mutex> guard(g_liveLock);
    return LiveControls().count(control) != 0;
}

CDUI_UIControl::CDUI_UIControl(CDUI_UIResource* resource, CDUI_UIControlStyle* style, int32_t id)
    : resource_(resource), style_(style), id_(id) {
    cursor_ = LoadCursorW(nullptr, IDC_ARROW);
    if (resource_) font_ = resource_->FindFont(L"default");
    std::lock_guard<std::mutex> guard(g_liveLock);
    LiveControls().insert(this);
}

CDUI_UIControl::~CDUI_UIControl() {
    // Kinds leave the tree in their own destructors already; a control class
    // of a page that does not still leaves here, before its memory goes.
    LeaveTreeBeforeDestruction();
    {
        std::lock_guard<std::mutex> guard(g_liveLock);
        LiveControls().erase(this);
    }
    while (void* record = events_.Pop()) delete static_cast<CDUI_EventRecord*>(record);
}

// ---- tree ----

void CDUI_UIControl::LeaveTreeBeforeDestruction() {
    if (!parent_) return;
    if (CDUI_UICollection* parent = AsCollection(parent_)) {
        // Under the scene's lock: the painter never sees a half-destroyed control.
        if (parent->RemoveChild(this)) return;
    }
    CDUI_ParamLock lock(this);
    parent_ = nullptr;
}

int CDUI_UIControl::Destroy() {
    if (parent_) {
        CDUI_UICollection* parent = AsCollection(parent_);
        if (parent) {
            if (!parent->RemoveChild(this)) return 0;
        } else {
            DUI_LOCK_OR_RETURN(0);
            parent_ = nullptr;
        }
    }
    // Out of the tree: nothing else reaches it or its children, so the
    // release needs no lock and cannot stall the painter.
    ReleaseResources();
    delete this;
    return 1;
}

int CDUI_UIControl::AttachToParent(CDUI_UIControl* parent) {
    parent_ = parent;
    UpdateLayout();
    return 1;
}

int CDUI_UIControl::DetachFromParent() {
    Invalidate();
    // A modal box or pop-up leaving the tree stops blocking and painting above it.
    if (CDUI_UIScene* scene = GetScene()) scene->ForgetSubtree(this);
    if (parent_ && parent_->GetFocusedChild() == this) parent_->SetFocusedChild(nullptr);
    parent_ = nullptr;
    return 1;
}

CDUI_UIScene* CDUI_UIControl::GetScene() { return parent_ ? parent_->GetScene() : nullptr; }
CDUI_Window* CDUI_UIControl::GetWindow() { return parent_ ? parent_->GetWindow() : nullptr; }
int32_t CDUI_UIControl::GetId() { return id_; }
int CDUI_UIControl::IsCollection() { return 0; }

void CDUI_UIControl::CenterInParent() {
    DUI_LOCK_OR_RETURN();
    if (!parent_) return;
    int32_t pw = 0, ph = 0;
    parent_->GetSize(&pw, &ph);
    SetPosition(std::abs(pw - width_) / 2, std::abs(ph - height_) / 2);
}

void CDUI_UIControl::AlignInParent(int mode) {
    DUI_LOCK_OR_RETURN();
    if (!parent_) return;
    int32_t pw = 0, ph = 0;
    parent_->GetSize(&pw, &ph);
    switch (mode) {
    case 0:
        SetPosition(0, 0);
        break;
    case 1:
        SetPosition(std::max(0, (pw - width_) / 2), 0);
        break;
    case 2:  // centred on both axes, never left of or above the parent
        SetPosition(std::max(0, (pw - width_) / 2), std::max(0, (ph - height_) / 2));
        break;
    default:
        break;
    }
}

void CDUI_UIControl::SetFocusMarker(int flag) {
    DUI_LOCK_OR_RETURN();
    focusMarker_ = flag ? 1 : 0;
    Invalidate();
}

// ---- focus and state ----

int CDUI_UIControl::SetFocus(int flag) {
    DUI_LOCK_OR_RETURN(0);
    int result = 1;
    if (flag) {
        if (focusable_) {
            if (parent_) {
                parent_->ClearChildFocus(this);
                parent_->SetFocusedChild(this);
            }
            focus_ = 1;
            FireEvent(DUI_EVT_FOCUS, 1);
        } else {
            result = 0;
        }
    } else {
        focus_ = 0;
        if (parent_ && parent_->GetFocusedChild() == this) parent_->SetFocusedChild(nullptr);
        FireEvent(DUI_EVT_FOCUS, 0);
    }
    OnFocusChanged();
    return result;
}

int CDUI_UIControl::GetFocus() { return focus_; }

void CDUI_UIControl::ClearChildFocus(CDUI_UIControl* except) {
    CDUI_UICollection* self = AsCollection(this);
    if (!self) return;
    for (CDUI_UIControl* child : self->GetChildren()) {
        if (child == except) continue;
        if (child->GetFocus()) child->SetFocus(0);
        child->ClearChildFocus(except);
    }
}

void CDUI_UIControl::RemoveFocusIfSet() {
    if (focus_) SetFocus(0);
}

int CDUI_UIControl::SetState(int32_t state) {
    DUI_LOCK_OR_RETURN(0);
    int32_t old = state_;
    state_ = state;
    if (old != state) {
        OnStateChanged(old);
        FireEvent(DUI_EVT_STATE, state);
    }
    return 1;
}

int32_t CDUI_UIControl::GetState() { return state_; }

void CDUI_UIControl::ResetChildStates(CDUI_UIControl* except) {
    CDUI_UICollection* self = AsCollection(this);
    if (!self) return;
    for (CDUI_UIControl* child : self->GetChildren()) {
        if (child == except) continue;
        child->SetState(DUI_STATE_NORMAL);
        child->ResetChildStates(except);
    }
}

// ---- style ----

CDUI_UIControlStyle* CDUI_UIControl::GetStyle() { return style_; }
std::wstring CDUI_UIControl::GetKindName() { return style_ ? style_->kindName : std::wstring(); }
std::wstring CDUI_UIControl::GetStyleName() { return style_ ? style_->styleName : std::wstring(); }

// ---- layer, position, size ----

int CDUI_UIControl::SetLayer(int32_t layer) {
    DUI_LOCK_OR_RETURN(0);
    if (layer_ == layer) return 1;
    layer_ = layer;
    if (CDUI_UICollection* parent = AsCollection(parent_)) parent->ResortChild(this);
    OnLayerChanged();
    return 1;
}

int32_t CDUI_UIControl::GetLayer() { return layer_; }

int CDUI_UIControl::SetPosition(int32_t x, int32_t y) {
    DUI_LOCK_OR_RETURN(0);
    x_ = x;
    y_ = y;
    UpdateLayout();
    OnPositionChanged();
    return 1;
}

void CDUI_UIControl::GetPosition(int32_t* x, int32_t* y) {
    if (x) *x = x_;
    if (y) *y = y_;
}

int CDUI_UIControl::SetSize(int32_t width, int32_t height) {
    DUI_LOCK_OR_RETURN(0);
    width_ = width;
    height_ = height;
    UpdateLayout();
    OnSizeChanged();
    return 1;
}

void CDUI_UIControl::GetSize(int32_t* width, int32_t* height) {
    if (width) *width = width_;
    if (height) *height = height_;
}

DUI_Rect CDUI_UIControl::GetAbsoluteRect() {
    DUI_LOCK_OR_RETURN(absolute_);
    return absolute_;
}

// ---- plain properties ----

int CDUI_UIControl::SetCursor(HCURSOR cursor) {
    DUI_LOCK_OR_RETURN(0);
    cursor_ = cursor;
    return 1;
}
HCURSOR CDUI_UIControl::GetCursor() { return cursor_; }

int CDUI_UIControl::SetVisible(int flag) {
    DUI_LOCK_OR_RETURN(0);
    visible_ = flag ? 1 : 0;
    if (!visible_) RemoveFocusIfSet();
    OnVisibleChanged();
    if (CDUI_UIScene* scene = GetScene()) scene->NoteVisibility(this);
    return 1;
}
int CDUI_UIControl::GetVisible() { return visible_; }

int CDUI_UIControl::SetHitEnable(int flag) {
    DUI_LOCK_OR_RETURN(0);
    hitEnable_ = flag ? 1 : 0;
    if (!hitEnable_) RemoveFocusIfSet();
    return 1;
}
int CDUI_UIControl::GetHitEnable() { return hitEnable_; }

int CDUI_UIControl::SetEnabled(int flag) {
    DUI_LOCK_OR_RETURN(0);
    enabled_ = flag ? 1 : 0;
    if (!enabled_) RemoveFocusIfSet();
    OnEnabledChanged();
    return 1;
}
int CDUI_UIControl::GetEnabled() { return enabled_; }

int CDUI_UIControl::SetFadeEnable(int flag) {
    DUI_LOCK_OR_RETURN(0);
    fadeEnable_ = flag ? 1 : 0;
    Invalidate();
    return 1;
}
int CDUI_UIControl::GetFadeEnable() { return fadeEnable_; }

int CDUI_UIControl::SetOpacity(uint8_t opacity) {
    DUI_LOCK_OR_RETURN(0);
    opacity_ = opacity;
    OnOpacityChanged();
    return 1;
}
uint8_t CDUI_UIControl::GetOpacity() { return opacity_; }

int CDUI_UIControl::SetFont(CDUI_FontType* font) {
    DUI_LOCK_OR_RETURN(0);
    font_ = font;
    OnFontChanged();
    return 1;
}
CDUI_FontType* CDUI_UIControl::GetFont() { return font_; }

int CDUI_UIControl::SetBackColor(uint32_t argb) {
    DUI_LOCK_OR_RETURN(0);
    backColor_ = argb;
    OnColorChanged();
    return 1;
}
uint32_t CDUI_UIControl::GetBackColor() { return backColor_; }

int CDUI_UIControl::SetTextColor(uint32_t argb) {
    DUI_LOCK_OR_RETURN(0);
    textColor_ = argb;
    OnColorChanged();
    return 1;
}
uint32_t CDUI_UIControl::GetTextColor() { return textColor_; }

int CDUI_UIControl::SetBorder(int flag) {
    DUI_LOCK_OR_RETURN(0);
    border_ = flag ? 1 : 0;
    Invalidate();
    return 1;
}
int CDUI_UIControl::GetBorder() { return border_; }

int CDUI_UIControl::SetBorderColor(uint32_t outer) {
    DUI_LOCK_OR_RETURN(0);
    outerBorderColor_ = outer;
    OnColorChanged();
    return 1;
}
uint32_t CDUI_UIControl::GetBorderColor() { return outerBorderColor_; }

int CDUI_UIControl::SetBorderColors(uint32_t outer, uint32_t inner) {
    DUI_LOCK_OR_RETURN(0);
    outerBorderColor_ = outer;
    innerBorderColor_ = inner;
    OnColorChanged();
    return 1;
}
void CDUI_UIControl::GetBorderColors(uint32_t* outer, uint32_t* inner) {
    if (outer) *outer = outerBorderColor_;
    if (inner) *inner = innerBorderColor_;
}

int CDUI_UIControl::SetTransparent(int flag) {
    DUI_LOCK_OR_RETURN(0);
    transparent_ = flag ? 1 : 0;
    Invalidate();
    return 1;
}
int CDUI_UIControl::GetTransparent() { return transparent_; }

int CDUI_UIControl::SetTrimming(int mode) {
    if (mode < 0 || mode > 5) return 0;
    DUI_LOCK_OR_RETURN(0);
    trimming_ = mode;
    Invalidate();
    return 1;
}
int CDUI_UIControl::GetTrimming() { return trimming_; }

int CDUI_UIControl::SetAlignment(uint32_t flags) {
    DUI_LOCK_OR_RETURN(0);
    alignment_ = flags;
    Invalidate();
    return 1;
}
uint32_t CDUI_UIControl::GetAlignment() { return alignment_; }

int CDUI_UIControl::SetFormatFlags(uint32_t flags) {
    DUI_LOCK_OR_RETURN(0);
    formatFlags_ = flags;
    Invalidate();
    return 1;
}
uint32_t CDUI_UIControl::GetFormatFlags() { return formatFlags_; }

int CDUI_UIControl::SetTabStop(int flag) {
    DUI_LOCK_OR_RETURN(0);
    tabStop_ = flag ? 1 : 0;
    return 1;
}
int CDUI_UIControl::GetTabStop() { return tabStop_; }

int CDUI_UIControl::SetText(const std::wstring& text) {
    DUI_LOCK_OR_RETURN(0);
    text_ = text;
    OnTextChanged();
    return 1;
}
std::wstring CDUI_UIControl::GetText() {
    DUI_LOCK_OR_RETURN(std::wstring());
    return text_;
}

int CDUI_UIControl::SetChecked(int flag, int) {
    DUI_LOCK_OR_RETURN(0);
    checked_ = flag ? 1 : 0;
    OnCheckedChanged();
    return 1;
}
int CDUI_UIControl::GetChecked() { return checked_; }

int CDUI_UIControl::SetTextPlacement(int placement) {
    static const uint32_t kAlign[] = {17, 18, 20};
    if (placement < 0 || placement > 2) return 0;
    DUI_LOCK_OR_RETURN(0);
    textPlacement_ = placement;
    alignment_ = kAlign[placement];
    OnValueChanged();
    return 1;
}
int CDUI_UIControl::GetTextPlacement() { return textPlacement_; }

int CDUI_UIControl::SetShown(int flag) {
    DUI_LOCK_OR_RETURN(0);
    shown_ = flag ? 1 : 0;
    OnVisibleChanged();
    if (CDUI_UIScene* scene = GetScene()) scene->NoteVisibility(this);
    return 1;
}
int CDUI_UIControl::GetShown() { return shown_; }

int CDUI_UIControl::SetFocusable(int flag) {
    DUI_LOCK_OR_RETURN(0);
    focusable_ = flag ? 1 : 0;
    return 1;
}
int CDUI_UIControl::GetFocusable() { return focusable_; }

int CDUI_UIControl::SetParent(CDUI_UIControl* parent) {
    DUI_LOCK_OR_RETURN(0);
    parent_ = parent;
    return 1;
}
CDUI_UIControl* CDUI_UIControl::GetParent() { return parent_; }

int CDUI_UIControl::SetKindProperty1(int32_t value) {
    DUI_LOCK_OR_RETURN(0);
    kindProperty1_ = value;
    OnKindPropertyChanged(1);
    return 1;
}
int32_t CDUI_UIControl::GetKindProperty1() { return kindProperty1_; }
int CDUI_UIControl::SetKindProperty2(int32_t value) {
    DUI_LOCK_OR_RETURN(0);
    kindProperty2_ = value;
    OnKindPropertyChanged(2);
    return 1;
}
int32_t CDUI_UIControl::GetKindProperty2() { return kindProperty2_; }

int CDUI_UIControl::SetHint(int32_t value, const std::wstring& text) {
    DUI_LOCK_OR_RETURN(0);
    hintValue_ = value;
    hintText_ = text;
    return 1;
}
void CDUI_UIControl::GetHint(int32_t* value, std::wstring* text) {
    DUI_LOCK_OR_RETURN();
    if (value) *value = hintValue_;
    if (text) *text = hintText_;
}

int CDUI_UIControl::SetShadow(int32_t offset, uint32_t color1, uint32_t color2) {
    DUI_LOCK_OR_RETURN(0);
    shadowOffset_ = offset;
    shadowColor1_ = color1;
    shadowColor2_ = color2;
    Invalidate();
    return 1;
}

int CDUI_UIControl::SetHoverFrame(int flag) {
    DUI_LOCK_OR_RETURN(0);
    hoverFrame_ = flag ? 1 : 0;
    Invalidate();
    return 1;
}
int CDUI_UIControl::GetHoverFrame() { return hoverFrame_; }

int CDUI_UIControl::SetDragEnable(int flag) {
    DUI_LOCK_OR_RETURN(0);
    dragEnable_ = flag ? 1 : 0;
    return 1;
}
int CDUI_UIControl::GetDragEnable() { return dragEnable_; }
int CDUI_UIControl::SetDragConfine(int flag) {
    DUI_LOCK_OR_RETURN(0);
    dragConfine_ = flag ? 1 : 0;
    return 1;
}
int CDUI_UIControl::SetDragNoRestore(int flag) {
    DUI_LOCK_OR_RETURN(0);
    dragNoRestore_ = flag ? 1 : 0;
    return 1;
}

int CDUI_UIControl::SetInputFlag(int flag) {
    DUI_LOCK_OR_RETURN(0);
    input_ = flag ? 1 : 0;
    return 1;
}
int CDUI_UIControl::GetInputFlag() { return input_; }

DUI_Rect CDUI_UIControl::GetSourceRect() {
    DUI_LOCK_OR_RETURN(source_);
    return source_;
}
void CDUI_UIControl::SetSourceRect(const DUI_Rect& rect) {
    DUI_LOCK_OR_RETURN();
    source_ = rect;
    Invalidate();
}

void CDUI_UIControl::SetMessageHooks(DUI_MessageHook pre, void* preUser, DUI_MessageHook post, void* postUser) {
    DUI_LOCK_OR_RETURN();
    preHook_ = pre;
    preHookUser_ = preUser;
    postHook_ = post;
    postHookUser_ = postUser;
}

void CDUI_UIControl::SetPaintHooks(DUI_PaintHook pre, void* preUser, DUI_PaintHook post, void* postUser) {
    DUI_LOCK_OR_RETURN();
    prePaintHook_ = pre;
    prePaintUser_ = preUser;
    postPaintHook_ = post;
    postPaintUser_ = postUser;
}

// ---- animations ----

int CDUI_UIControl::StartMoveAnimation(const DUI_Rect& target, int32_t durationMs) {
    DUI_LOCK_OR_RETURN(0);
    if (anim_.running) return 0;
    DUI_Rect start{x_, y_, width_, height_};
    double dx = double(target.x) - start.x, dy = double(target.y) - start.y;
    double total = std::sqrt(dx * dx + dy * dy);
    // Without a distance there is no direction to travel along.
    if (total <= 0.0) return 0;
    anim_.start = start;
    anim_.target = target;
    anim_.total = total;
    anim_.travelled = 0;
    anim_.speed = total / double(durationMs > 0 ? durationMs : 1);
    anim_.dirX = dx / total;
    anim_.dirY = dy / total;
    anim_.running = 1;
    FireEvent(DUI_EVT_MOVEANIM_START, start.x, start.y, start.width, start.height);
    Invalidate();
    return 1;
}

int CDUI_UIControl::StopMoveAnimation() {
    DUI_LOCK_OR_RETURN(0);
    if (!anim_.running) return 0;
    anim_.running = 0;
    const DUI_Rect& t = anim_.target;
    FireEvent(DUI_EVT_MOVEANIM_END, t.x, t.y, t.width, t.height);
    x_ = anim_.start.x;
    y_ = anim_.start.y;
    width_ = anim_.start.width;
    height_ = anim_.start.height;
    UpdateLayout();
    return 1;
}

int CDUI_UIControl::StartFade(uint8_t startAlpha, uint8_t targetAlpha, uint8_t step) {
    DUI_LOCK_OR_RETURN(0);
    if (!fadeEnable_ || fade_.running) return 0;
    FireEvent(DUI_EVT_FADE_START, opacity_);
    opacity_ = startAlpha;
    fade_.target = targetAlpha;
    fade_.step = step;
    fade_.running = 1;
    Invalidate();
    return 1;
}

int CDUI_UIControl::StopFade() {
    DUI_LOCK_OR_RETURN(0);
    if (!fade_.running) return 0;
    fade_.running = 0;
    FireEvent(DUI_EVT_FADE_END, opacity_);
    Invalidate();
    return 1;
}

void CDUI_UIControl::StepAnimations() {
    if (anim_.running) {
        anim_.travelled += anim_.speed * kDuiFramePeriodMs;
        if (anim_.travelled > anim_.total) {
            StopMoveAnimation();
        } else {
            double remaining = anim_.total - anim_.travelled;
            double part = anim_.travelled / anim_.total;
            const DUI_Rect& s = anim_.start;
            const DUI_Rect& t = anim_.target;
            x_ = int32_t(std::lround(t.x - remaining * anim_.dirX));
            y_ = int32_t(std::lround(t.y - remaining * anim_.dirY));
            width_ = int32_t(std::lround(s.width + (double(t.width) - s.width) * part));
            height_ = int32_t(std::lround(s.height + (double(t.height) - s.height) * part));
            FireEvent(DUI_EVT_MOVEANIM_STEP, x_, y_, width_, height_);
            UpdateLayout();
            Invalidate();
        }
    }
    if (fade_.running) {
        int next = int(opacity_) - int(fade_.step);
        if (next < fade_.target) next = fade_.target;
        opacity_ = uint8_t(next);
        if (next > fade_.target) {
            FireEvent(DUI_EVT_FADE_STEP, next);
        } else {
            fade_.running = 0;
            FireEvent(DUI_EVT_FADE_END, next);
        }
        Invalidate();
    }
}

// ---- geometry ----

int CDUI_UIControl::HitTest(int32_t x, int32_t y) { return absolute_.Contains(x, y) ? 1 : 0; }

void CDUI_UIControl::Invalidate() {
    // What is not drawn needs no frame: a hidden page whose figures change
    // every second must not wake the render thread.
    if (!shown_ || !visible_) return;
    InvalidateArea();
}

void CDUI_UIControl::InvalidateArea() {
    for (CDUI_UIControl* up = parent_; up; up = up->parent_)
        if (!up->shown_ || !up->visible_) return;
    if (CDUI_UIScene* scene = GetScene()) scene->InvalidateRect(absolute_);
}

void CDUI_UIControl::Tick() { OnTick(); }

void CDUI_UIControl::UpdateLayout() {
    Invalidate();
    int32_t ox = 0, oy = 0;
    if (parent_) parent_->GetContentOrigin(&ox, &oy);
    absolute_ = {ox + x_, oy + y_, width_, height_};
    OnLayout();
    Invalidate();
}

int CDUI_UIControl::CreateDrawObjects() { return 1; }
int CDUI_UIControl::ReleaseDrawObjects() { return 1; }

// ---- painting ----

void CDUI_UIControl::Paint(Gdiplus::Graphics*) {}
void CDUI_UIControl::PrePaint(Gdiplus::Graphics*) {}
void CDUI_UIControl::PaintChildren(Gdiplus::Graphics*) {}

void CDUI_UIControl::PaintControl(Gdiplus::Graphics* graphics, const DUI_Rect& dirty) {
    if (!shown_ || !visible_) return;
    if (aboveTree_) {
        // A modal box or open drop-down: painted by the scene after the tree.
        CDUI_UIScene* scene = GetScene();
        if (scene && !scene->IsPaintingAbove()) return;
    }
    if (prePaintHook_) prePaintHook_(this, graphics, prePaintUser_);
    PrePaint(graphics);
    StepAnimations();
    clip_ = ComputeClip(dirty);
    if (!clip_.IsEmpty()) {
        SetClipRegion(graphics);
        if (resource_) {
            if (CGraphics_ImageCtrl* skin = resource_->GetSkinImage()) skin->SetAlpha(fadeEnable_, opacity_);
        }
        PaintBackground(graphics);
        Paint(graphics);
        PaintHoverFrame(graphics);
        PaintBorder(graphics);
        ApplyClip(graphics);
    }
    PaintChildrenInDirty(graphics, dirty);
    MeasureText();
    PaintFocusMarker(graphics);
    if (postPaintHook_) postPaintHook_(this, graphics, postPaintUser_);
}

void CDUI_UIControl::PaintChildrenInDirty(Gdiplus::Graphics* graphics, const DUI_Rect& dirty) {
    paintDirty_ = dirty;
    PaintChildren(graphics);
}

int32_t CDUI_UIControl::MeasureText() { return font_ ? font_->MeasureWidth(text_) : 0; }

void CDUI_UIControl::DrawText(Gdiplus::Graphics* graphics, const std::wstring& text, const DUI_Rect& rect) {
    if (font_ && graphics) font_->DrawString(graphics, text, rect, textColor_, alignment_, formatFlags_, trimming_);
}

void CDUI_UIControl::PaintBackground(Gdiplus::Graphics* graphics) {
    if (transparent_ || !graphics) return;
    // Only the visible part: a clipped fill still costs its whole area.
    DUI_Rect fill = clip_.IsEmpty() ? absolute_ : DUI_Intersect(absolute_, clip_);
    CGraphics_BrushCtrl* brush = resource_ ? resource_->GetBrush() : nullptr;
    if (!brush) return;
    brush->SetColor(backColor_);
    brush->FillRectangle(graphics, ToDUIRect(fill));
}

namespace {
// True when clip lies wholly inside rect shrunk by inset: lines along the
// edges cannot show, and drawing them clipped still costs their full length.
bool ClipInside(const DUI_Rect& clip, const DUI_Rect& rect, int32_t inset) {
    if (clip.IsEmpty()) return false;
    return clip.x >= rect.x + inset && clip.y >= rect.y + inset &&
           int64_t(clip.x) + clip.width <= int64_t(rect.x) + rect.width - inset &&
           int64_t(clip.y) + clip.height <= int64_t(rect.y) + rect.height - inset;
}
}  // namespace

void CDUI_UIControl::PaintBorder(Gdiplus::Graphics* graphics) {
    if (!border_ || !graphics || ClipInside(clip_, absolute_, 2)) return;
    CGraphics_PenCtrl* pen = resource_ ? resource_->GetPen() : nullptr;
    if (!pen) return;
    pen->SetWidth(1.0f);
    pen->SetColor(outerBorderColor_);
    pen->DrawRectangle(graphics, absolute_.x, absolute_.y, absolute_.width - 1, absolute_.height - 1);
    pen->SetColor(innerBorderColor_);
    pen->DrawRectangle(graphics, absolute_.x + 1, absolute_.y + 1, absolute_.width - 3, absolute_.height - 3);
}

void CDUI_UIControl::PaintHoverFrame(Gdiplus::Graphics* graphics) {
    if (!hoverFrame_ || state_ != DUI_STATE_HOVER || !graphics || ClipInside(clip_, absolute_, 1)) return;
    CGraphics_PenCtrl* pen = resource_ ? resource_->GetPen() : nullptr;
    if (!pen) return;
    pen->SetWidth(1.0f);
    pen->SetColor(outerBorderColor_);
    pen->DrawRectangle(graphics, absolute_.x, absolute_.y, absolute_.width - 1, absolute_.height - 1);
}

void CDUI_UIControl::PaintFocusMarker(Gdiplus::Graphics* graphics) {
    if (!focusMarker_ || !focus_ || !graphics) return;
    CGraphics_PenCtrl* pen = resource_ ? resource_->GetPen() : nullptr;
    if (!pen) return;
    pen->SetWidth(1.0f);
    pen->SetColor(outerBorderColor_);
    pen->DrawRectangle(graphics, absolute_.x + 5, absolute_.y + 5, 10, 10);
}

DUI_Rect CDUI_UIControl::ComputeClip(const DUI_Rect& dirty) { return DUI_Intersect(dirty, absolute_); }

void CDUI_UIControl::GetContentOrigin(int32_t* x, int32_t* y) {
    if (x) *x = absolute_.x;
    if (y) *y = absolute_.y;
}

void CDUI_UIControl::SetClipRegion(Gdiplus::Graphics* graphics) {
    DUI_ClipToSceneRect(graphics, clip_.x, clip_.y, clip_.width, clip_.height);
}

void CDUI_UIControl::ApplyClip(Gdiplus::Graphics* graphics) {
    DUI_ClipToFrame(graphics);
}

// ---- default handlers ----

int CDUI_UIControl::OnRawMessage(UINT, WPARAM, LPARAM) { return 0; }
int CDUI_UIControl::OnAfterMessage(UINT, WPARAM, LPARAM, int result) { return result; }
void CDUI_UIControl::OnLayout() {}
void CDUI_UIControl::OnTick() {}
int CDUI_UIControl::OnEvent(const CDUI_EventRecord&) { return 0; }
int CDUI_UIControl::OnMouseMessage(UINT, int32_t, int32_t, WPARAM) { return 0; }
int CDUI_UIControl::OnMouseLeave() { return 0; }
int CDUI_UIControl::OnLButtonDown(int32_t, int32_t, WPARAM) { return 0; }
int CDUI_UIControl::OnLButtonUp(int32_t, int32_t, WPARAM) { return 0; }
int CDUI_UIControl::OnLButtonClick(int32_t, int32_t) { return 0; }
int CDUI_UIControl::OnRButtonDown(int32_t, int32_t, WPARAM) { return 0; }
int CDUI_UIControl::OnRButtonUp(int32_t, int32_t, WPARAM) { return 0; }
int CDUI_UIControl::OnRButtonClick(int32_t, int32_t) { return 0; }
int CDUI_UIControl::OnMButtonDown(int32_t, int32_t, WPARAM) { return 0; }
int CDUI_UIControl::OnMButtonUp(int32_t, int32_t, WPARAM) { return 0; }
int CDUI_UIControl::OnMButtonClick(int32_t, int32_t) { return 0; }
int CDUI_UIControl::OnMouseMove(int32_t, int32_t, WPARAM) { return 0; }
int CDUI_UIControl::OnMouseWheel(int32_t, int32_t, WPARAM, int32_t) { return 0; }
int CDUI_UIControl::OnClickCommand() { return 0; }
int CDUI_UIControl::OnRightClickCommand() { return 0; }
int CDUI_UIControl::OnKeyMessage(UINT, WPARAM, LPARAM) { return 0; }
int CDUI_UIControl::OnAccelerator(uint32_t) { return 0; }

void CDUI_UIControl::OnStateChanged(int32_t) { Invalidate(); }
void CDUI_UIControl::OnValueChanged() { Invalidate(); }
void CDUI_UIControl::OnCheckedChanged() { Invalidate(); }
void CDUI_UIControl::OnTextChanged() { Invalidate(); }
void CDUI_UIControl::OnColorChanged() { Invalidate(); }
void CDUI_UIControl::OnFontChanged() { Invalidate(); }
void CDUI_UIControl::OnPositionChanged() { Invalidate(); }
void CDUI_UIControl::OnSizeChanged() { Invalidate(); }
void CDUI_UIControl::OnVisibleChanged() { InvalidateArea(); }
void CDUI_UIControl::OnEnabledChanged() { Invalidate(); }
void CDUI_UIControl::OnLayerChanged() { Invalidate(); }
void CDUI_UIControl::OnFocusChanged() { Invalidate(); }
void CDUI_UIControl::OnOpacityChanged() { Invalidate(); }
void CDUI_UIControl::OnKindPropertyChanged(int) { Invalidate(); }
void CDUI_UIControl::OnDragStart() { Invalidate(); }

// ---- events ----

int CDUI_UIControl::SetEventCallback(int32_t code, DUI_EventCallback callback, void* user) {
    if (code < 1 || code > kDuiCommonEventCount) return 0;
    DUI_LOCK_OR_RETURN(0);
    callbacks_[code].callback = callback;
    callbacks_[code].user = user;
    return 1;
}

int CDUI_UIControl::FireEvent(int32_t code, int32_t a1, int32_t a2, int32_t a3, int32_t a4, void* pointer) {
    CDUI_UIScene* scene = GetScene();
    if (!scene) return 0;
    CDUI_EventRecord* direct = nullptr;
    {
        DUI_LOCK_OR_RETURN(0);
        if (IsQueuedCommonWithoutCallback(code) && !callbacks_[code].callback) return 0;
        auto* newest = static_cast<CDUI_EventRecord*>(events_.Back());
        if (newest && newest->code == code) {
            // A burst of the same event delivers only its latest values.
            newest->arg[0] = a1;
            newest->arg[1] = a2;
            newest->arg[2] = a3;
            newest->arg[3] = a4;
            newest->pointer = pointer;
            return 1;
        }
        auto* record = new CDUI_EventRecord{code, {a1, a2, a3, a4}, pointer};
        events_.Push(record);
        if (scene->GetDirectDelivery()) {
            direct = record;
        } else if (!scene->PostEvent(this, record)) {
            // Nobody will ever deliver it: take it back out instead of leaking it.
            DropEventsThrough(record);
            return 0;
        }
    }
    if (direct) DeliverEvent(direct);
    return 1;
}

int CDUI_UIControl::DropEventsThrough(CDUI_EventRecord* record, CDUI_EventRecord* copy) {
    bool queued = false;
    size_t count = events_.Count();
    for (size_t i = 0; i < count; ++i) {
        void* item = events_.Pop();
        events_.Push(item);
        if (item == record) queued = true;
    }
    if (!queued) return 0;
    while (void* item = events_.Pop()) {
        auto* r = static_cast<CDUI_EventRecord*>(item);
        if (r == record && copy) *copy = *r;
        delete r;
        if (item == record) break;
    }
    return 1;
}

int CDUI_UIControl::DeliverEvent(CDUI_EventRecord* record) {
    CDUI_EventRecord copy;
    CallbackEntry entry;
    {
        DUI_LOCK_OR_RETURN(0);
        if (!DropEventsThrough(record, &copy)) return 0;
        if (copy.code >= 1 && copy.code <= kDuiCommonEventCount) entry = callbacks_[copy.code];
    }
    if (OnEvent(copy)) return 1;
    if (entry.callback) entry.callback(this, &copy, entry.user);
    return 1;
}

size_t CDUI_UIControl::PendingEventCount() {
    DUI_LOCK_OR_RETURN(0);
    return events_.Count();
}

// ---- drag ----

void CDUI_UIControl::DragPrepare(int32_t x, int32_t y) {
    drag_.prepared = 1;
    drag_.dragging = 0;
    drag_.startX = x_;
    drag_.startY = y_;
    drag_.startLayer = layer_;
    drag_.pressX = x;
    drag_.pressY = y;
    drag_.grabX = absolute_.x + width_ - x;
    drag_.grabY = absolute_.y + height_ - y;
    drag_.lastX = x;
    drag_.lastY = y;
}

void CDUI_UIControl::DragMove(int32_t x, int32_t y) {
    drag_.lastX = x;
    drag_.lastY = y;
    if (!drag_.dragging) {
        if (!DUI_PastDragThreshold(x - drag_.pressX, y - drag_.pressY, GetSystemMetrics(SM_CXDRAG),
                                   GetSystemMetrics(SM_CYDRAG)))
            return;
        drag_.dragging = 1;
        SetLayer(kDuiDragLayer);
        FireEvent(DUI_EVT_DRAGSTART, drag_.grabX, drag_.grabY);
        OnDragStart();
        return;
    }
    int32_t dx = x - drag_.pressX, dy = y - drag_.pressY;
    int32_t nx = drag_.startX + dx, ny = drag_.startY + dy;
    if (dragConfine_ && parent_) {
        int32_t pw = 0, ph = 0;
        parent_->GetSize(&pw, &ph);
        // Each axis on its own: a refused axis keeps its position.
        if (nx < 0 || nx + width_ > pw) nx = x_;
        if (ny < 0 || ny + height_ > ph) ny = y_;
    }
    SetPosition(nx, ny);
    FireEvent(DUI_EVT_DRAGGING, drag_.grabX, drag_.grabY, dx, dy);
}

void CDUI_UIControl::DragEnd() {
    int wasDragging = drag_.dragging;
    drag_.prepared = 0;
    drag_.dragging = 0;
    if (!wasDragging) return;
    if (!dragNoRestore_) SetPosition(drag_.startX, drag_.startY);
    SetLayer(drag_.startLayer);
    FireEvent(DUI_EVT_DRAGEND, drag_.grabX, drag_.grabY, drag_.lastX - drag_.pressX, drag_.lastY - drag_.pressY);
}

// ---- input dispatch ----

int CDUI_UIControl::DispatchControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    DUI_LOCK_OR_RETURN(0);
    if (!visible_ || !shown_) return 0;
    if (!enabled_) {
        // A disabled control only explains itself through its hint.
        if ((message == WM_MOUSEHOVER || message == WM_MOUSEMOVE) && !hintText_.empty()) {
            int32_t x = PointX(lParam), y = PointY(lParam);
            if (!HitTest(x, y)) return 0;
            if (CDUI_UIScene* scene = GetScene()) scene->ClaimHint(this, hintText_, x, y);
            return message == WM_MOUSEHOVER ? 1 : 0;
        }
        return 0;
    }
    int result = 0;
    if ((preHook_ && preHook_(this, message, wParam, lParam, preHookUser_)) || OnRawMessage(message, wParam, lParam)) {
        result = 1;
    } else if (message == WM_COMMAND) {
        result = OnAccelerator(LOWORD(wParam));
    } else if (IsMouseMessage(message)) {
        result = DispatchMouse(message, wParam, lParam);
    } else if (IsKeyMessage(message)) {
        result = DispatchKey(message, wParam, lParam);
    }
    result = OnAfterMessage(message, wParam, lParam, result);
    if (postHook_) postHook_(this, message, wParam, lParam, postHookUser_);
    return result;
}

int CDUI_UIControl::DispatchMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    int32_t x = 0, y = 0;
    DUI_MessagePoint(this, message, lParam, &x, &y);
    const int inside = message == WM_MOUSELEAVE ? 0 : HitTest(x, y);
    int consumed = 0;
    if (!inside) {
        SetState(DUI_STATE_NORMAL);
    } else {
        // Reset from the root, not just among siblings: a control inside a
        // window or panel must also clear the hover of the window's siblings.
        CDUI_UIControl* root = GetScene();
        if (!root) root = parent_;
        if (root) root->ResetChildStates(this);
        switch (message) {
        case WM_MOUSEMOVE:
            SetState(DUI_STATE_HOVER);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            SetState(DUI_STATE_RELEASED);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            // A press passes through a control with hit-testing off; it
            // must not take the focus from the control that gets the press.
            if (hitEnable_) SetFocus(1);
            SetState(DUI_STATE_PRESSED);
            break;
        default:
            break;
        }
        if (!input_) consumed = 1;
        else ::SetCursor(cursor_);
    }

    int taken = OnMouseMessage(message, x, y, wParam);
    if (!taken) {
        CDUI_UIScene* scene = GetScene();
        auto pressBegan = [&](int button) {
            return scene ? scene->GetPressOrigin(button) == this : pressInside_[button] != 0;
        };
        auto notePress = [&](int button) {
            pressInside_[button] = 1;
            if (scene) scene->SetPressOrigin(button, this);
        };
        auto clearPress = [&](int button) {
            pressInside_[button] = 0;
            if (scene && scene->GetPressOrigin(button) == this) scene->SetPressOrigin(button, nullptr);
        };
        switch (message) {
        case WM_MOUSEMOVE:
            if (inside && !hintText_.empty() && scene) scene->ClaimHint(this, hintText_, x, y);
            taken = OnMouseMove(x, y, wParam);
            if (drag_.prepared && (wParam & MK_LBUTTON)) DragMove(x, y);
            if (inside) FireEvent(DUI_EVT_MOUSEMOVE, x, y, int32_t(wParam));
            break;
        case WM_LBUTTONDOWN:
            taken = OnLButtonDown(x, y, wParam);
            if (!taken && inside) {
                notePress(0);
                if (dragEnable_) DragPrepare(x, y);
                FireEvent(DUI_EVT_LBUTTONDOWN, x, y);
            }
            break;
        case WM_LBUTTONUP:
            taken = OnLButtonUp(x, y, wParam);
            if (!taken) {
                if (drag_.dragging) {
                    DragEnd();
                } else if (inside) {
                    FireEvent(DUI_EVT_LBUTTONUP, x, y);
                    if (pressBegan(0)) {
                        OnLButtonClick(x, y);
                        FireEvent(DUI_EVT_LCLICK, x, y);
                        OnClickCommand();
                        FireEvent(DUI_EVT_CLICKED);
                    }
                }
            }
            drag_.prepared = 0;
            clearPress(0);
            break;
        case WM_RBUTTONDOWN:
            taken = OnRButtonDown(x, y, wParam);
            if (!taken && inside) {
                notePress(1);
                FireEvent(DUI_EVT_RBUTTONDOWN, x, y);
            }
            break;
        case WM_RBUTTONUP:
            taken = OnRButtonUp(x, y, wParam);
            if (!taken && inside) {
                FireEvent(DUI_EVT_RBUTTONUP, x, y);
                if (pressBegan(1)) {
                    OnRButtonClick(x, y);
                    FireEvent(DUI_EVT_RCLICK, x, y);
                    OnRightClickCommand();
                    FireEvent(DUI_EVT_RCLICKED);
                }
            }
            clearPress(1);
            break;
        case WM_MBUTTONDOWN:
            taken = OnMButtonDown(x, y, wParam);
            if (!taken && inside) {
                notePress(2);
                FireEvent(DUI_EVT_MBUTTONDOWN, x, y);
            }
            break;
        case WM_MBUTTONUP:
            taken = OnMButtonUp(x, y, wParam);
            if (!taken && inside) {
                FireEvent(DUI_EVT_MBUTTONUP, x, y);
                if (pressBegan(2)) {
                    OnMButtonClick(x, y);
                    FireEvent(DUI_EVT_MCLICK, x, y);
                }
            }
            clearPress(2);
            break;
        case WM_LBUTTONDBLCLK:
            if (inside) FireEvent(DUI_EVT_LDBLCLK, x, y);
            break;
        case WM_RBUTTONDBLCLK:
            if (inside) FireEvent(DUI_EVT_RDBLCLK, x, y);
            break;
        case WM_MBUTTONDBLCLK:
            if (inside) FireEvent(DUI_EVT_MDBLCLK, x, y);
            break;
        case WM_MOUSEWHEEL:
            taken = OnMouseWheel(x, y, LOWORD(wParam), int16_t(HIWORD(wParam)));
            if (!taken && inside) FireEvent(DUI_EVT_MOUSEWHEEL, x, y, LOWORD(wParam), int16_t(HIWORD(wParam)));
            break;
        case WM_MOUSEHOVER:
            if (inside) FireEvent(DUI_EVT_MOUSEHOVER, x, y, int32_t(wParam));
            break;
        case WM_MOUSELEAVE:
            taken = OnMouseLeave();
            break;
        default:
            break;
        }
    }
    if (taken) return 1;
    // The wheel is not a press: a control that does nothing with it lets the
    // panel or list around it scroll.
    if (message == WM_MOUSEWHEEL) return (inside && hitEnable_ && callbacks_[DUI_EVT_MOUSEWHEEL].callback) ? 1 : 0;
    return (inside && hitEnable_ && consumed) ? 1 : 0;
}

int CDUI_UIControl::DispatchKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnKeyMessage(message, wParam, lParam)) return 1;
    switch (message) {
    case WM_CHAR:
        FireEvent(DUI_EVT_CHAR, int32_t(wParam), int32_t(lParam));
        break;
    case WM_IME_CHAR:
        FireEvent(DUI_EVT_IMECHAR, int32_t(wParam), int32_t(lParam));
        break;
    case WM_KEYDOWN:
        FireEvent(DUI_EVT_KEYDOWN, int32_t(wParam), int32_t(lParam));
        // One Tab moves the focus once: the input control that moved it takes the key.
        if (wParam == VK_TAB && input_ && MoveTabFocus()) return 1;
        break;
    case WM_KEYUP:
        FireEvent(DUI_EVT_KEYUP, int32_t(wParam), int32_t(lParam));
        break;
    default:
        break;
    }
    return 0;
}

int CDUI_UIControl::MoveTabFocus() {
    CDUI_UICollection* parent = AsCollection(parent_);
    if (!parent || !parent->GetTabStop()) return 0;
    std::vector<CDUI_UIControl*> children = parent->GetChildren();
    if (children.empty()) return 0;
    size_t from = 0;
    CDUI_UIControl* focused = parent->GetFocusedChild();
    for (size_t i = 0; i < children.size(); ++i)
        if (children[i] == focused && focused->GetFocus()) from = i;
    for (size_t step = 1; step <= children.size(); ++step) {
        CDUI_UIControl* next = children[(from + step) % children.size()];
        if (next->GetTabStop() && next->GetFocusable() && next->GetVisible() && next->GetShown()) {
            return next->SetFocus(1);
        }
    }
    return 0;
}
