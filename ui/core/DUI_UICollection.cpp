#include "core/DUI_UICollection.h"

#include <algorithm>

#include "core/DUI_ParamLock.h"

#define DUI_LOCK_OR_RETURN(value)   \
    CDUI_ParamLock paramLock_(this); \
    if (!paramLock_.Ok()) return value

CDUI_UICollection::CDUI_UICollection(CDUI_UIResource* resource, CDUI_UIControlStyle* style, int32_t id)
    : CDUI_UIControl(resource, style, id) {}

CDUI_UICollection::~CDUI_UICollection() {
    // Out of the tree first (under the lock); after that the children are
    // reachable only from here. A kind that released them left the list empty.
    LeaveTreeBeforeDestruction();
    std::vector<CDUI_UIControl*> children;
    {
        CDUI_ParamLock lock(this);  // only a scene root still has a lock here
        children.swap(children_);
        focusedChild_ = nullptr;
    }
    for (CDUI_UIControl* child : children) {
        child->SetParent(nullptr);
        child->ReleaseResources();
        delete child;
    }
}

int CDUI_UICollection::AttachToParent(CDUI_UIControl* parent) {
    // The base lays this control out; UpdateLayout below carries it to the children.
    return CDUI_UIControl::AttachToParent(parent);
}

void CDUI_UICollection::ReleaseResources() { DeleteChildren(); }

int CDUI_UICollection::SetCursor(HCURSOR cursor) {
    DUI_LOCK_OR_RETURN(0);
    CDUI_UIControl::SetCursor(cursor);
    for (CDUI_UIControl* child : children_) child->SetCursor(cursor);
    return 1;
}

int CDUI_UICollection::SetFont(CDUI_FontType* font) {
    DUI_LOCK_OR_RETURN(0);
    CDUI_UIControl::SetFont(font);
    for (CDUI_UIControl* child : children_) child->SetFont(font);
    return 1;
}

void CDUI_UICollection::Tick() {
    CDUI_UIControl::Tick();
    for (CDUI_UIControl* child : children_) child->Tick();
}

void CDUI_UICollection::UpdateLayout() {
    CDUI_UIControl::UpdateLayout();
    for (CDUI_UIControl* child : children_) child->UpdateLayout();
}

void CDUI_UICollection::PaintChildren(Gdiplus::Graphics* graphics) {
    for (CDUI_UIControl* child : children_) child->PaintControl(graphics, paintDirty_);
}

int CDUI_UICollection::AddChild(CDUI_UIControl* child) {
    if (!child || child == this) return 0;
    DUI_LOCK_OR_RETURN(0);
    if (std::find(children_.begin(), children_.end(), child) != children_.end()) return 0;
    auto at = std::find_if(children_.begin(), children_.end(),
                           [&](CDUI_UIControl* c) { return c->GetLayer() > child->GetLayer(); });
    children_.insert(at, child);
    child->AttachToParent(this);
    return 1;
}

int CDUI_UICollection::RemoveAllChildren(int deleteChildren) {
    std::vector<CDUI_UIControl*> children;
    {
        DUI_LOCK_OR_RETURN(0);
        children.swap(children_);
        focusedChild_ = nullptr;
        for (CDUI_UIControl* child : children) child->DetachFromParent();
    }
    // Detached above under the lock: nothing paints them any more.
    if (deleteChildren) {
        for (CDUI_UIControl* child : children) {
            child->ReleaseResources();
            delete child;
        }
    }
    return 1;
}

int CDUI_UICollection::DestroyChild(CDUI_UIControl* child) {
    if (!child || child->GetParent() != this) return 0;
    return child->Destroy();
}

int CDUI_UICollection::RemoveChild(CDUI_UIControl* child) {
    DUI_LOCK_OR_RETURN(0);
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return 0;
    children_.erase(it);
    child->DetachFromParent();
    return 1;
}

int CDUI_UICollection::DeleteChildren() { return RemoveAllChildren(1); }

int CDUI_UICollection::ResortChild(CDUI_UIControl* child) {
    DUI_LOCK_OR_RETURN(0);
    auto it = std::find(children_.begin(), children_.end(), child);
    if (it == children_.end()) return 0;
    children_.erase(it);
    auto at = std::find_if(children_.begin(), children_.end(),
                           [&](CDUI_UIControl* c) { return c->GetLayer() > child->GetLayer(); });
    children_.insert(at, child);
    child->Invalidate();
    return 1;
}

std::vector<CDUI_UIControl*> CDUI_UICollection::GetChildren() {
    DUI_LOCK_OR_RETURN({});
    return children_;
}

size_t CDUI_UICollection::GetChildCount() {
    DUI_LOCK_OR_RETURN(0);
    return children_.size();
}

CDUI_UIControl* CDUI_UICollection::GetChildAt(size_t index) {
    DUI_LOCK_OR_RETURN(nullptr);
    return index < children_.size() ? children_[index] : nullptr;
}

CDUI_UIControl* CDUI_UICollection::FindChildById(int32_t id) {
    DUI_LOCK_OR_RETURN(nullptr);
    for (CDUI_UIControl* child : children_)
        if (child->GetId() == id) return child;
    return nullptr;
}

int CDUI_UICollection::OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchToChildren(message, wParam, lParam);
}

int CDUI_UICollection::DispatchToChildren(UINT message, WPARAM wParam, LPARAM lParam) {
    DUI_LOCK_OR_RETURN(0);
    // A handler may change the list (close a window, add a control): walk a copy
    // and skip children that left meanwhile.
    std::vector<CDUI_UIControl*> snapshot = children_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        if (std::find(children_.begin(), children_.end(), *it) == children_.end()) continue;
        if ((*it)->DispatchControlMessage(message, wParam, lParam)) return 1;
    }
    return 0;
}
