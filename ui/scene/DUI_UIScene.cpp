#include "scene/DUI_UIScene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "core/DUI_FontType.h"
#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "core/DUI_RectConv.h"
#include "graphics/PixelSurface.h"
#include "graphics/RenderStats.h"
#include "graphics/UIDirtyArea.h"
#include "skin/DUI_UIResource.h"

bool DUI_IsSceneInputMessage(UINT message, WPARAM wParam) {
    if (message >= WM_KEYFIRST && message <= 0x0109) return true;  // keys, WM_CHAR
    if (message == WM_IME_CHAR || message == WM_IME_COMPOSITION) return true;
    if (message >= WM_MOUSEFIRST && message <= 0x020D) return true;  // to WM_MOUSEHWHEEL
    if (message == WM_MOUSEHOVER || message == WM_MOUSELEAVE) return true;
    return message == WM_COMMAND && HIWORD(wParam) == 1;  // accelerators
}

CDUI_UIScene* CDUI_UIResource::CreateScene(HWND host, int32_t width, int32_t height, UINT eventMessage) {
    return static_cast<CDUI_UIScene*>(BuildFromStyle(L"Scene", L"DUIScene", [&](CDUI_UIControlStyle* style) {
        auto* scene = new CDUI_UIScene(this, style, host, width, height, eventMessage);
        if (!scene->GetParamMutex()) {
            delete scene;
            return static_cast<CDUI_UIScene*>(nullptr);
        }
        return scene;
    }));
}

CDUI_UIScene::CDUI_UIScene(CDUI_UIResource* resource, CDUI_UIControlStyle* style, HWND host, int32_t width,
                           int32_t height, UINT eventMessage)
    : CDUI_UICollection(resource, style), host_(host), eventMessage_(eventMessage) {
    paramMutex_.Reset(CreateMutexW(nullptr, FALSE, nullptr));
    dirty_ = std::make_unique<CDUI_UIDirtyArea>(this, width, height);
    SetPosition(0, 0);
    SetSize(width, height);
    SetTransparent(1);
    SetBorder(0);
    SetFocusable(0);
}

CDUI_UIScene::~CDUI_UIScene() {
    EnableDirty(0);
    // Children go while the lock still exists, so their teardown can take it.
    ReleaseResources();
    paramMutex_.Reset();
}

int CDUI_UIScene::EnterParamLock() {
    const DWORD self = GetCurrentThreadId();
    // Only this thread ever stores its own id here, so finding it means the
    // mutex is already this thread's.
    if (lockOwner_.load(std::memory_order_relaxed) == self) {
        ++lockDepth_;
        return 1;
    }
    HANDLE mutex = paramMutex_.Get();
    if (!mutex) return 0;
    const DWORD wait = WaitForSingleObject(mutex, INFINITE);
    // An abandoned mutex is still owned by this thread now.
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return 0;
    lockDepth_ = 1;
    lockOwner_.store(self, std::memory_order_relaxed);
    return 1;
}

void CDUI_UIScene::LeaveParamLock() {
    if (--lockDepth_ > 0) return;
    lockOwner_.store(0, std::memory_order_relaxed);
    ReleaseMutex(paramMutex_.Get());
}

void CDUI_UIScene::ReleaseResources() {
    DeleteChildren();
    FreeRetiredControls();
}

void CDUI_UIScene::RetireControl(CDUI_UIControl* control) {
    if (!control) return;
    CDUI_ParamLock lock(this);
    retired_.push_back(control);
    retiredCount_ = static_cast<int>(retired_.size());
}

void CDUI_UIScene::FreeRetiredControls() {
    std::vector<CDUI_UIControl*> retired;
    {
        CDUI_ParamLock lock(this);
        if (!lock.Ok()) return;
        retired.swap(retired_);
        retiredCount_ = 0;
    }
    for (CDUI_UIControl* control : retired) {
        control->ReleaseResources();
        delete control;
    }
}

int CDUI_UIScene::PostEvent(CDUI_UIControl* control, CDUI_EventRecord* record) {
    if (!host_ || !IsWindow(host_)) return 0;
    return PostMessageW(host_, eventMessage_, reinterpret_cast<WPARAM>(control), reinterpret_cast<LPARAM>(record))
               ? 1
               : 0;
}

int CDUI_UIScene::ForwardMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!paramMutex_) return 0;
    // Outside any dispatch nothing on this thread still holds a retired
    // control, and a posted event for one finds it gone below.
    // Only then is the lock taken: most messages never wait for the painter.
    if (dispatchDepth_ == 0 && retiredCount_.load()) FreeRetiredControls();
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(dispatchDepth_);
    if (message == eventMessage_ && wParam != 0) {
        // Delivery takes the lock itself and runs the callback after releasing
        // it, so page logic never holds up the painter.
        auto* control = reinterpret_cast<CDUI_UIControl*>(wParam);
        if (DUI_IsLiveControl(control)) control->DeliverEvent(reinterpret_cast<CDUI_EventRecord*>(lParam));
        return 1;
    }
    if (!DUI_IsSceneInputMessage(message, wParam)) return 0;
    // Pointer positions in client pixels become scene units here; the wheel
    // carries screen positions, turned into scene units where they are read.
    if (scale_ != 1.0 && ((message >= WM_MOUSEFIRST && message <= 0x020D && message != WM_MOUSEWHEEL) ||
                          message == WM_MOUSEHOVER)) {
        const POINT p = ToScenePoint(POINT{int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam))});
        lParam = MAKELPARAM(uint16_t(int16_t(p.x)), uint16_t(int16_t(p.y)));
    }
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    if (message == WM_MOUSEMOVE) hintClaimed_ = 0;
    int handled = 0;
    const int above = DispatchAbove(message, wParam, lParam, &handled);
    if (!above) handled = DispatchToChildren(message, wParam, lParam);
    // The hint follows the pointer: no hinted control under it, no hint.
    if ((message == WM_MOUSEMOVE && !hintClaimed_) || message == WM_MOUSELEAVE) ShowHint(nullptr, L"", 0, 0);
    if (!handled && !above) {
        if (clearFocusOnPress_ &&
            (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN))
            ClearChildFocus(nullptr);
        if (fallback_) {
            int own = DispatchControlMessage(message, wParam, lParam);
            if (takeFallbackResult_) handled = own;
        }
    }
    // A release ends the press wherever it landed.
    if (message == WM_LBUTTONUP) pressOrigin_[0] = nullptr;
    if (message == WM_RBUTTONUP) pressOrigin_[1] = nullptr;
    if (message == WM_MBUTTONUP) pressOrigin_[2] = nullptr;
    return handled;
}

void CDUI_UIScene::SetScale(double scale) {
    if (!(scale > 0.1 && scale < 10.0)) scale = 1.0;
    CDUI_ParamLock lock(this);
    scale_ = scale;
    InvalidateAll();
}

POINT CDUI_UIScene::ToScenePoint(POINT p) const {
    if (scale_ == 1.0) return p;
    return POINT{LONG(std::floor(p.x / scale_)), LONG(std::floor(p.y / scale_))};
}

void CDUI_UIScene::InvalidateRect(const DUI_Rect& rect) {
    if (dirty_) dirty_->Invalidate(ToDUIRect(rect));
}

int CDUI_UIScene::TakeDirty(DUI_Rect* current) {
    int pending = dirty_ ? dirty_->TakeDirty() : 0;
    if (current) *current = dirty_ ? FromDUIRect(dirty_->GetCurrent()) : DUI_Rect{};
    return pending;
}

DUI_Rect CDUI_UIScene::PeekDirty() { return dirty_ ? FromDUIRect(dirty_->GetPending()) : DUI_Rect{}; }

void CDUI_UIScene::EnableDirty(int flag) {
    if (dirty_) dirty_->SetEnabled(flag);
}

namespace {

// A GDI+ bitmap over the pixels of the 32-bit DIB section selected into dc
// (no copy), or nothing when dc holds no such bitmap.
std::unique_ptr<Gdiplus::Bitmap> WrapDIBSection(HDC dc, const DUI_Rect& clear, DUI_Rect* cleared,
                                               DUI_PixelSurface* surface) {
    *cleared = {};
    HGDIOBJ object = dc ? GetCurrentObject(dc, OBJ_BITMAP) : nullptr;
    DIBSECTION dib{};
    if (!object || GetObjectW(object, sizeof dib, &dib) != sizeof dib) return nullptr;
    const BITMAPINFOHEADER& h = dib.dsBmih;
    if (!dib.dsBm.bmBits || h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0)
        return nullptr;
    const INT width = h.biWidth, height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const INT stride = width * 4;
    auto* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    GdiFlush();  // GDI may still owe writes to these pixels
    // Bottom-up rows: start at the last row and walk back.
    std::unique_ptr<Gdiplus::Bitmap> bitmap(
        h.biHeight > 0 ? new Gdiplus::Bitmap(width, height, -stride, PixelFormat32bppPARGB,
                                             bits + size_t(height - 1) * size_t(stride))
                       : new Gdiplus::Bitmap(width, height, stride, PixelFormat32bppPARGB, bits));
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    surface->row0 = h.biHeight > 0 ? bits + size_t(height - 1) * size_t(stride) : bits;
    surface->stride = h.biHeight > 0 ? -ptrdiff_t(stride) : ptrdiff_t(stride);
    surface->width = width;
    surface->height = height;
    const DUI_Rect area = DUI_Intersect(clear, DUI_Rect{0, 0, width, height});
    if (area == clear && !area.IsEmpty()) {
        DUI_StageTimer timer(DUI_RenderStage::Fills);
        for (int32_t y = area.y; y < area.y + area.height; ++y) {
            const size_t row = h.biHeight > 0 ? size_t(height - 1 - y) : size_t(y);
            std::memset(bits + row * size_t(stride) + size_t(area.x) * 4, 0, size_t(area.width) * 4);
        }
        *cleared = area;
    }
    return bitmap;
}

}  // namespace

int CDUI_UIScene::PaintFrame(HDC dc) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    Tick();
    DUI_Rect current;
    if (!TakeDirty(&current)) return 0;
    // The pixels to repaint: the dirty rectangle itself at scale 1, else the
    // whole pixels it touches, and the scene rectangle that covers those.
    const double scale = scale_;
    const bool scaled = scale != 1.0;
    DUI_Rect pixels = current, painted = current;
    if (scaled) {
        const DUI_Rect frame{0, 0, DUIScaledEdge(absolute_.width, scale), DUIScaledEdge(absolute_.height, scale)};
        pixels = DUI_Intersect(DUIRectScaleOut(current, scale), frame);
        painted = DUIRectUnscaleOut(pixels, scale);
    }
    {
        // GDI+ draws straight into the DIB section's premultiplied pixels when
        // it can reach them: on a device context every draw goes through a
        // temporary bitmap and a GDI blend.
        DUI_Rect cleared;
        DUI_PixelSurface surface;
        std::unique_ptr<Gdiplus::Bitmap> wrapped = WrapDIBSection(dc, pixels, &cleared, &surface);
        std::unique_ptr<Gdiplus::Graphics> graphics(wrapped ? new Gdiplus::Graphics(wrapped.get())
                                                            : new Gdiplus::Graphics(dc));
        graphics->SetPageUnit(Gdiplus::UnitPixel);
        surface.graphics = graphics.get();
        if (scaled) {
            // Everything drawn stays in the cleared pixels, so nothing outside
            // them is blended twice.
            graphics->SetClip(Gdiplus::Rect(pixels.x, pixels.y, pixels.width, pixels.height));
            graphics->ScaleTransform(Gdiplus::REAL(scale), Gdiplus::REAL(scale));
            surface.scale = scale;
            surface.frameX = pixels.x;
            surface.frameY = pixels.y;
            surface.frameWidth = pixels.width;
            surface.frameHeight = pixels.height;
        }
        DUI_PixelSurfaceScope direct(surface);
        // Only the dirty rectangle is cleared; the rest keeps the last frame.
        // Over the pixels themselves that is a row fill of zeros (transparent
        // premultiplied), the same result as the clearing brush at a
        // fraction of its cost.
        if (!(cleared == pixels)) dirty_->ClearDirty(graphics.get());
        PaintControl(graphics.get(), painted);
    }
    dirty_->ResetCurrent();
    lastPainted_ = pixels;
    if (paintedHook_) paintedHook_();
    return 1;
}

int CDUI_UIScene::HasPendingDirty() const { return dirty_ ? dirty_->HasPending() : 0; }

void CDUI_UIScene::SetDirtyHook(std::function<void()> hook) {
    if (dirty_) dirty_->SetPendingHook(std::move(hook));
}

// ---- layers above the tree ----

namespace {

bool IsBelow(CDUI_UIControl* control, CDUI_UIControl* ancestor) {
    for (CDUI_UIControl* c = control; c; c = c->GetParent())
        if (c == ancestor) return true;
    return false;
}

// Shown with all its ancestors: a box in a page that was hidden is out of play.
bool IsShownInScene(CDUI_UIControl* control) {
    for (CDUI_UIControl* c = control; c; c = c->GetParent())
        if (!c->GetShown() || !c->GetVisible()) return false;
    return true;
}

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
}

bool IsMouseInput(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= 0x020D) || message == WM_MOUSEHOVER || message == WM_MOUSELEAVE;
}

constexpr int32_t kHintPadding = 4;
constexpr uint32_t kHintBack = 0xF01A2230, kHintFrame = 0xFF263042, kHintText = 0xFFE8ECF2;

}  // namespace

void CDUI_UIScene::InvalidateAll() { InvalidateRect(absolute_); }

int CDUI_UIScene::PushModal(CDUI_UIControl* control) {
    if (!control || control == this) return 0;
    CDUI_ParamLock lock(this);
    if (!lock.Ok() || control->GetScene() != this) return 0;
    modals_.erase(std::remove(modals_.begin(), modals_.end(), control), modals_.end());
    modals_.push_back(control);
    control->SetAboveTree(1);
    // Whatever was pressed or hovered behind it is over.
    for (auto& origin : pressOrigin_) origin = nullptr;
    ResetChildStates(control);
    ClearChildFocus(control);
    ShowHint(nullptr, L"", 0, 0);
    InvalidateAll();
    return 1;
}

int CDUI_UIScene::PopModal(CDUI_UIControl* control) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    auto it = std::find(modals_.begin(), modals_.end(), control);
    if (it == modals_.end()) return 0;
    modals_.erase(it);
    if (!IsLayeredAbove(control)) control->SetAboveTree(0);
    InvalidateAll();
    return 1;
}

CDUI_UIControl* CDUI_UIScene::ActiveModal() {
    // The newest modal control that can be seen; one inside a hidden page neither blocks nor dims.
    for (auto it = modals_.rbegin(); it != modals_.rend(); ++it)
        if (IsShownInScene(*it)) return *it;
    return nullptr;
}

CDUI_UIControl* CDUI_UIScene::GetModal() {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return nullptr;
    return ActiveModal();
}

void CDUI_UIScene::SetDimColor(uint32_t argb) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    dimColor_ = argb;
    if (!modals_.empty()) InvalidateAll();
}

int CDUI_UIScene::AddPopup(CDUI_UIControl* control, CDUI_UIControl* keepOpen, std::function<void()> dismiss) {
    if (!control || control == this) return 0;
    CDUI_ParamLock lock(this);
    if (!lock.Ok() || control->GetScene() != this) return 0;
    RemovePopup(control);
    popups_.push_back({control, keepOpen, std::move(dismiss)});
    control->SetAboveTree(1);
    control->Invalidate();
    return 1;
}

int CDUI_UIScene::RemovePopup(CDUI_UIControl* control) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    auto it = std::find_if(popups_.begin(), popups_.end(), [&](const Popup& p) { return p.control == control; });
    if (it == popups_.end()) return 0;
    popups_.erase(it);
    if (std::find(modals_.begin(), modals_.end(), control) == modals_.end()) control->SetAboveTree(0);
    control->Invalidate();
    return 1;
}

int CDUI_UIScene::IsPopup(CDUI_UIControl* control) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    return std::any_of(popups_.begin(), popups_.end(), [&](const Popup& p) { return p.control == control; }) ? 1 : 0;
}

int CDUI_UIScene::IsLayeredAbove(CDUI_UIControl* control) {
    if (std::find(modals_.begin(), modals_.end(), control) != modals_.end()) return 1;
    return std::any_of(popups_.begin(), popups_.end(), [&](const Popup& p) { return p.control == control; }) ? 1
                                                                                                              : 0;
}

void CDUI_UIScene::NoteVisibility(CDUI_UIControl* control) {
    for (CDUI_UIControl* m : modals_)
        if (IsBelow(m, control)) {
            InvalidateAll();
            return;
        }
}

void CDUI_UIScene::ForgetSubtree(CDUI_UIControl* control) {
    if (!control) return;
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    bool changed = false;
    for (auto it = modals_.begin(); it != modals_.end();) {
        if (IsBelow(*it, control)) {
            (*it)->SetAboveTree(0);
            it = modals_.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    for (auto it = popups_.begin(); it != popups_.end();) {
        if (IsBelow(it->control, control)) {
            it->control->SetAboveTree(0);
            it = popups_.erase(it);
            changed = true;
        } else {
            if (it->keepOpen && IsBelow(it->keepOpen, control)) it->keepOpen = nullptr;
            ++it;
        }
    }
    if (hintOwner_ && IsBelow(hintOwner_, control)) ShowHint(nullptr, L"", 0, 0);
    if (changed) InvalidateAll();
}

void CDUI_UIScene::ShowHint(CDUI_UIControl* owner, const std::wstring& text, int32_t x, int32_t y) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    if (text.empty() || !owner) {
        if (!hintShown_.empty()) InvalidateRect(hintRect_);
        hintOwner_ = nullptr;
        hintShown_.clear();
        hintRect_ = {};
        return;
    }
    if (owner == hintOwner_ && text == hintShown_) return;  // stays where it first appeared
    if (!hintShown_.empty()) InvalidateRect(hintRect_);
    CDUI_FontType* font = owner->GetFont() ? owner->GetFont() : font_;
    int32_t a = 7, o = 14, line = 16;
    if (font) font->GetMetrics(&a, &o, &line);
    const int32_t textWidth = font ? font->MeasureWidth(text) : static_cast<int32_t>(text.size()) * 14;
    const int32_t w = std::min<int32_t>(textWidth + 2 * kHintPadding + 4, std::max<int32_t>(absolute_.width, 1));
    const int32_t h = std::max<int32_t>(line, 12) + 2 * kHintPadding;
    // Below and right of the pointer, kept inside the scene.
    int32_t hx = x + 12, hy = y + 20;
    if (hx + w > absolute_.width) hx = std::max(0, absolute_.width - w);
    if (hy + h > absolute_.height) hy = std::max(0, y - h - 4);
    hintOwner_ = owner;
    hintShown_ = text;
    hintRect_ = {hx, hy, w, h};
    InvalidateRect(hintRect_);
}

void CDUI_UIScene::ClaimHint(CDUI_UIControl* owner, const std::wstring& text, int32_t x, int32_t y) {
    // The topmost hinted control under the pointer wins for this move.
    if (hintClaimed_) return;
    hintClaimed_ = 1;
    ShowHint(owner, text, x, y);
}

std::wstring CDUI_UIScene::GetHintText() {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? hintShown_ : std::wstring();
}

CDUI_UIControl* CDUI_UIScene::GetHintOwner() {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? hintOwner_ : nullptr;
}

DUI_Rect CDUI_UIScene::GetHintRect() {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? hintRect_ : DUI_Rect{};
}

void CDUI_UIScene::PaintAbove(CDUI_UIControl* control, Gdiplus::Graphics* graphics) {
    paintingAbove_ = 1;
    control->PaintControl(graphics, paintDirty_);
    paintingAbove_ = 0;
}

void CDUI_UIScene::PaintChildren(Gdiplus::Graphics* graphics) {
    CDUI_UICollection::PaintChildren(graphics);
    if (!graphics) return;
    CDUI_UIControl* modal = ActiveModal();
    for (const Popup& p : popups_)
        if ((!modal || !IsBelow(p.control, modal)) && IsShownInScene(p.control)) PaintAbove(p.control, graphics);
    for (CDUI_UIControl* m : modals_)
        if (m != modal && IsShownInScene(m)) PaintAbove(m, graphics);  // part of the page behind the newest one
    if (modal) {
        if (dimColor_ >> 24) {
            DUI_StageTimer timer(DUI_RenderStage::Fills);
            Gdiplus::SolidBrush dim{Gdiplus::Color(dimColor_)};
            graphics->FillRectangle(&dim, paintDirty_.x, paintDirty_.y, paintDirty_.width, paintDirty_.height);
        }
        PaintAbove(modal, graphics);
        // Pop-ups of the modal control (a list inside the box) above it.
        for (const Popup& p : popups_)
            if (IsBelow(p.control, modal)) PaintAbove(p.control, graphics);
    }
    const DUI_Rect hintClip = hintShown_.empty() ? DUI_Rect{} : DUI_Intersect(hintRect_, paintDirty_);
    if (!hintClip.IsEmpty()) {
        const DUI_Rect r = hintRect_;
        // Only inside the cleared area: anywhere else its translucent ground
        // would be blended over the last frame's hint once more.
        graphics->SetClip(Gdiplus::Rect(hintClip.x, hintClip.y, hintClip.width, hintClip.height));
        Gdiplus::SolidBrush back{Gdiplus::Color(kHintBack)};
        graphics->FillRectangle(&back, r.x, r.y, r.width, r.height);
        Gdiplus::Pen frame{Gdiplus::Color(kHintFrame), 1.0f};
        graphics->DrawRectangle(&frame, r.x, r.y, r.width - 1, r.height - 1);
        CDUI_FontType* font = hintOwner_ && hintOwner_->GetFont() ? hintOwner_->GetFont() : font_;
        if (font)
            font->DrawString(graphics, hintShown_,
                             DUI_Rect{r.x + kHintPadding, r.y, r.width - 2 * kHintPadding, r.height}, kHintText, 17,
                             4, 0);
        graphics->ResetClip();
    }
}

int CDUI_UIScene::DispatchAbove(UINT message, WPARAM wParam, LPARAM lParam, int* handled) {
    // Returns 1 when the tree below must not see the message.
    const bool mouse = IsMouseInput(message);
    CDUI_UIControl* modal = ActiveModal();
    if (mouse && !popups_.empty()) {
        POINT p{int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam))};
        if (message == WM_MOUSEWHEEL && host_) {
            ScreenToClient(host_, &p);
            p = ToScenePoint(p);
        }
        // The newest pop-up first; a press outside a pop-up and its owner closes it.
        std::vector<Popup> snapshot = popups_;
        for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
            CDUI_UIControl* control = it->control;
            if (modal && !IsBelow(control, modal)) continue;
            if (!IsLayeredAbove(control) || !IsShownInScene(control)) continue;
            const bool inside = control->GetAbsoluteRect().Contains(p.x, p.y);
            const bool inOwner = it->keepOpen && it->keepOpen->GetAbsoluteRect().Contains(p.x, p.y);
            if (inside || (message == WM_MOUSEMOVE && (wParam & MK_LBUTTON))) {
                if (control->DispatchControlMessage(message, wParam, lParam)) {
                    *handled = 1;
                    return 1;
                }
                if (inside) {
                    *handled = 1;
                    return 1;  // a pop-up covers what lies under it
                }
            }
            if (IsButtonDown(message) && !inside && !inOwner && it->dismiss) it->dismiss();
        }
    }
    if (modal) {
        if (mouse || DUI_IsSceneInputMessage(message, wParam)) {
            // Only the modal control hears input; everything else waits for it to close.
            *handled = modal->DispatchControlMessage(message, wParam, lParam);
            if (mouse && message != WM_MOUSELEAVE) *handled = 1;
            return 1;
        }
    }
    return 0;
}
