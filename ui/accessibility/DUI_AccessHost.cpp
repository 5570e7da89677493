#include "accessibility/DUI_AccessHost.h"

#include <cmath>

#include "accessibility/DUI_AccessShared.h"
#include "accessibility/DUI_AccessUia.h"
#include "accessibility/DUI_KeyboardFocus.h"
#include "scene/DUI_UIScene.h"

namespace {
// UiaRootObjectId: uiautomationcoreapi.h does not compile as C++ with MinGW.
constexpr LONG kUiaRootObjectId = -25;
}  // namespace

// ---- shared state ----

DUI_AccessTree DUI_AccessShared::Snapshot() {
    CDUI_UIScene* current = nullptr;
    CDUI_UIControl* focused = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock);
        current = scene;
        focused = focus ? focus->Focused() : nullptr;
    }
    // The host is destroyed on the window's thread; a call from another
    // thread racing it would build from a scene being torn down. MSAA and UI
    // Automation calls into this window come through its message queue.
    return current ? DUI_BuildAccessTree(current, focused) : DUI_AccessTree{};
}

LONG DUI_AccessShared::IdOf(const CDUI_UIControl* control, int32_t item) {
    std::lock_guard<std::mutex> hold(lock);
    auto [it, added] = ids.emplace(std::make_pair(control, item), nextId);
    if (added) ++nextId;
    return it->second;
}

bool DUI_AccessShared::FromId(LONG id, const CDUI_UIControl** control, int32_t* item) {
    std::lock_guard<std::mutex> hold(lock);
    for (const auto& [key, value] : ids) {
        if (value != id) continue;
        *control = key.first;
        *item = key.second;
        return true;
    }
    return false;
}

RECT DUI_AccessShared::ScreenRect(const DUI_Rect& r) {
    POINT origin{0, 0};
    double scale = 1.0;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!scene) return RECT{};
        scale = scene->GetScale();
    }
    ClientToScreen(host, &origin);
    // The frame has scene size * scale pixels (see CDUI_UIScene::SetScale).
    return RECT{origin.x + LONG(std::floor(r.x * scale)), origin.y + LONG(std::floor(r.y * scale)),
                origin.x + LONG(std::ceil((r.x + r.width) * scale)), origin.y + LONG(std::ceil((r.y + r.height) * scale))};
}

int DUI_AccessShared::Post(DUI_AccessAction action) {
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!scene) return 0;
        window = host;
    }
    auto* record = new DUI_AccessAction(std::move(action));
    if (!PostMessageW(window, actionMessage, 0, reinterpret_cast<LPARAM>(record))) {
        delete record;
        return 0;
    }
    return 1;
}

// ---- host ----

CDUI_AccessHost::CDUI_AccessHost(CDUI_UIScene* scene, HWND host)
    : focus_(std::make_unique<CDUI_KeyboardFocus>(scene)), shared_(std::make_shared<DUI_AccessShared>()) {
    // The objects handed out are single-threaded: calls from other programs
    // arrive through this thread's message loop.
    com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    shared_->scene = scene;
    shared_->host = host;
    shared_->focus = focus_.get();
    shared_->actionMessage = RegisterWindowMessageW(L"VentaroAccessAction");
    std::weak_ptr<DUI_AccessShared> weak = shared_;
    focus_->SetListener([weak](CDUI_KeyboardFocus::Event event, CDUI_UIControl* control, int32_t item) {
        auto shared = weak.lock();
        if (!shared) return;
        const LONG child = -shared->IdOf(control, item);
        if (event == CDUI_KeyboardFocus::kFocusMoved) {
            NotifyWinEvent(EVENT_OBJECT_FOCUS, shared->host, OBJID_CLIENT, child);
            DUI_UiaRaise(shared, control, item, DUI_UiaEvent::kFocus);
        } else {
            NotifyWinEvent(EVENT_OBJECT_SHOW, shared->host, OBJID_CLIENT, child);
            NotifyWinEvent(EVENT_SYSTEM_ALERT, shared->host, OBJID_CLIENT, child);
            DUI_UiaRaise(shared, control, item, DUI_UiaEvent::kDialogOpened);
        }
    });
}

CDUI_AccessHost::~CDUI_AccessHost() {
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->scene = nullptr;
        shared_->focus = nullptr;
    }
    DUI_UiaDisconnect(shared_->host);
    focus_.reset();
    if (SUCCEEDED(com_)) CoUninitialize();
}

int CDUI_AccessHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_GETOBJECT) {
        const LONG id = static_cast<LONG>(lParam);
        LRESULT answer = 0;
        if (id == OBJID_CLIENT) {
            IAccessible* root = DUI_NewAccessible(shared_, shared_->scene, -1);
            answer = LresultFromObject(__uuidof(IAccessible), wParam, root);
            root->Release();
        } else if (id == kUiaRootObjectId) {
            if (!DUI_UiaAnswer(shared_, wParam, lParam, &answer)) return 0;
        } else {
            return 0;
        }
        if (result) *result = answer;
        return 1;
    }
    if (message == shared_->actionMessage && shared_->actionMessage) {
        std::unique_ptr<DUI_AccessAction> action(reinterpret_cast<DUI_AccessAction*>(lParam));
        CDUI_UIScene* scene = shared_->scene;
        if (action && scene && DUI_IsLiveControl(action->control)) {
            switch (action->kind) {
            case DUI_AccessAction::kPress:
                DUI_AccessPress(scene, action->control, action->item);
                break;
            case DUI_AccessAction::kFocus:
                focus_->FocusControl(action->control, action->item);
                break;
            case DUI_AccessAction::kSetValue:
                DUI_AccessSetValue(action->control, action->text);
                break;
            case DUI_AccessAction::kSetRange:
                DUI_AccessSetRange(action->control, action->number);
                break;
            case DUI_AccessAction::kExpand:
            case DUI_AccessAction::kCollapse:
                DUI_AccessExpand(action->control, action->kind == DUI_AccessAction::kExpand);
                break;
            }
        }
        if (result) *result = 0;
        return 1;
    }
    if (focus_->OnMessage(message, wParam, lParam)) {
        if (result) *result = 0;
        return 1;
    }
    return 0;
}

void CDUI_AccessHost::AfterMessage() { focus_->AfterMessage(); }
