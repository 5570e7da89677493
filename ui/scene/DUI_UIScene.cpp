#include "scene/DUI_UIScene.h"

#include "graphics/GdiplusInclude.h"
#include "core/DUI_ParamLock.h"
#include "core/DUI_RectConv.h"
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

void CDUI_UIScene::ReleaseResources() { DeleteChildren(); }

int CDUI_UIScene::PostEvent(CDUI_UIControl* control, CDUI_EventRecord* record) {
    if (!host_ || !IsWindow(host_)) return 0;
    return PostMessageW(host_, eventMessage_, reinterpret_cast<WPARAM>(control), reinterpret_cast<LPARAM>(record))
               ? 1
               : 0;
}

int CDUI_UIScene::ForwardMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!paramMutex_) return 0;
    if (message == eventMessage_ && wParam != 0) {
        // Delivery takes the lock itself and runs the callback after releasing
        // it, so page logic never holds up the painter.
        auto* control = reinterpret_cast<CDUI_UIControl*>(wParam);
        if (DUI_IsLiveControl(control)) control->DeliverEvent(reinterpret_cast<CDUI_EventRecord*>(lParam));
        return 1;
    }
    if (!DUI_IsSceneInputMessage(message, wParam)) return 0;
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    int handled = DispatchToChildren(message, wParam, lParam);
    if (!handled) {
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

int CDUI_UIScene::PaintFrame(HDC dc) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    Tick();
    DUI_Rect current;
    if (!TakeDirty(&current)) return 0;
    {
        Gdiplus::Graphics graphics(dc);
        graphics.SetPageUnit(Gdiplus::UnitPixel);
        // Only the dirty rectangle is cleared; the rest keeps the last frame.
        dirty_->ClearDirty(&graphics);
        PaintControl(&graphics, current);
    }
    dirty_->ResetCurrent();
    return 1;
}
