#include "accessibility/DUI_KeyboardFocus.h"

#include <algorithm>

#include "accessibility/DUI_AccessModel.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_SliderBar.h"
#include "core/DUI_ParamLock.h"
#include "graphics/GdiplusInclude.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"

namespace {

// Shown in the scene: it and every parent up to the scene visible.
bool ShownInScene(CDUI_UIControl* control, CDUI_UIControl* scene) {
    for (; control; control = control->GetParent()) {
        if (control == scene) return true;
        if (!control->GetVisible() || !control->GetShown()) return false;
    }
    return false;
}

DUI_Rect RingRect(const DUI_Rect& r) {
    const int32_t out = CDUI_KeyboardFocus::kRingGap + CDUI_KeyboardFocus::kRingWidth;
    return DUI_Rect{r.x - out, r.y - out, r.width + 2 * out, r.height + 2 * out};
}

bool IsBelow(const DUI_AccessTree& tree, int node, int ancestor) {
    for (; node >= 0; node = tree.nodes[node].parent)
        if (node == ancestor) return true;
    return false;
}

bool IsRowRole(DUI_AccessRole role) { return role == DUI_AccessRole::TabItem || role == DUI_AccessRole::RadioButton; }

}  // namespace

CDUI_KeyboardFocus::CDUI_KeyboardFocus(CDUI_UIScene* scene) : scene_(scene) {
    if (scene_) scene_->SetPaintHooks(nullptr, nullptr, &CDUI_KeyboardFocus::PaintRing, this);
}

CDUI_KeyboardFocus::~CDUI_KeyboardFocus() {
    if (scene_) scene_->SetPaintHooks(nullptr, nullptr, nullptr, nullptr);
}

CDUI_UIControl* CDUI_KeyboardFocus::Focused(int32_t* item) const {
    if (item) *item = focusedItem_;
    return focused_;
}

void CDUI_KeyboardFocus::InvalidateRing() {
    CDUI_ParamLock lock(scene_);
    if (!lock.Ok() || !focused_ || !ringShown_ || !DUI_IsLiveControl(focused_)) return;
    scene_->InvalidateRect(RingRect(focused_->GetAbsoluteRect()));
}

void CDUI_KeyboardFocus::SetFocused(CDUI_UIControl* control, int32_t item, int keyboard) {
    CDUI_ParamLock lock(scene_);
    if (!lock.Ok()) return;
    const bool moved = control != focused_ || item != focusedItem_;
    InvalidateRing();
    // An edit also takes the engine's own focus, so the keys after Tab type
    // into it; one left loses it.
    if (moved && focused_ && DUI_IsLiveControl(focused_) && focused_->GetKindName() == L"TextEdit")
        focused_->SetFocus(0);
    focused_ = control;
    focusedItem_ = item;
    ringShown_ = keyboard && control ? 1 : 0;
    if (control && control->GetKindName() == L"TextEdit" && !control->GetFocus()) control->SetFocus(1);
    InvalidateRing();
    if (moved && control && listener_) listener_(kFocusMoved, control, item);
}

int CDUI_KeyboardFocus::FocusControl(CDUI_UIControl* control, int32_t item) {
    const DUI_AccessTree tree = DUI_BuildAccessTree(scene_, focused_);
    const int node = tree.Find(control, item);
    if (node < 0 || !(tree.nodes[node].state & kAccessFocusable)) return 0;
    SetFocused(control, -1, 1);
    return 1;
}

int CDUI_KeyboardFocus::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!scene_) return 0;
    if (message == WM_KEYDOWN) return OnKeyDown(wParam);
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
        // The pointer moves the focus to what it pressed, without the ring
        // (the ring tells keyboard users where they are).
        const POINT p = scene_->ToScenePoint(POINT{int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam))});
        const DUI_AccessTree tree = DUI_BuildAccessTree(scene_, focused_);
        CDUI_UIControl* hit = nullptr;
        for (int i : tree.TabOrder())
            if (tree.nodes[i].rect.Contains(p.x, p.y)) hit = tree.nodes[i].control;
        if (hit != focused_ || ringShown_) SetFocused(hit, -1, 0);
    }
    return 0;
}

void CDUI_KeyboardFocus::AfterMessage() {
    if (!scene_) return;
    CDUI_UIControl* modal = scene_->GetModal();
    if (modal == lastModal_) return;
    lastModal_ = modal;
    if (!modal) {
        // The box went: the focus goes back into the view at its first control.
        if (focused_ && !ShownInScene(focused_, scene_)) SetFocused(nullptr, -1, 0);
        return;
    }
    if (listener_) listener_(kDialogOpened, modal, -1);
    const DUI_AccessTree tree = DUI_BuildAccessTree(scene_, focused_);
    const std::vector<int> order = tree.TabOrder();
    // An edit the box put the typing focus in, else its first control that
    // is not the close button (a system message box focuses its default).
    int pick = -1;
    for (int i : order) {
        CDUI_UIControl* c = tree.nodes[i].control;
        if (tree.nodes[i].role == DUI_AccessRole::Edit && DUI_IsLiveControl(c) && c->GetFocus()) pick = i;
    }
    for (auto it = order.begin(); it != order.end() && pick < 0; ++it)
        if (tree.nodes[*it].name != L"关闭") pick = *it;
    if (pick < 0 && !order.empty()) pick = order.front();
    if (pick >= 0) SetFocused(tree.nodes[pick].control, -1, ringShown_);
}

int CDUI_KeyboardFocus::OnKeyDown(WPARAM key) {
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return 0;
    switch (key) {
    case VK_TAB:
        return MoveTab(GetKeyState(VK_SHIFT) < 0 ? 0 : 1);
    case VK_ESCAPE:
        return Escape();
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        return MoveInRow(key == VK_RIGHT || key == VK_DOWN);
    case VK_SPACE:
    case VK_RETURN: {
        CDUI_ParamLock lock(scene_);
        if (!lock.Ok()) return 0;
        const DUI_AccessTree tree = DUI_BuildAccessTree(scene_, focused_);
        const int node = tree.Find(focused_, -1);
        if (node < 0) return 0;
        // An edit the page or the pointer put the typing focus in keeps its keys.
        for (const DUI_AccessNode& n : tree.nodes)
            if (n.role == DUI_AccessRole::Edit && n.control != focused_ && n.control->GetFocus()) return 0;
        const DUI_AccessRole role = tree.nodes[node].role;
        // Edits type the key; lists and sliders have nothing to press.
        if (role == DUI_AccessRole::Edit || role == DUI_AccessRole::List || role == DUI_AccessRole::Slider) return 0;
        if (!ringShown_) {
            ringShown_ = 1;
            InvalidateRing();
        }
        return DUI_AccessPress(scene_, focused_, -1);
    }
    default:
        return 0;
    }
}

int CDUI_KeyboardFocus::MoveTab(int forward) {
    const DUI_AccessTree tree = DUI_BuildAccessTree(scene_, focused_);
    const std::vector<int> order = tree.TabOrder();
    if (order.empty()) return 1;
    const int current = tree.Find(focused_, -1);
    auto at = std::find(order.begin(), order.end(), current);
    size_t next = 0;
    if (at == order.end()) {
        next = forward ? 0 : order.size() - 1;
    } else if (!ringShown_) {
        next = static_cast<size_t>(at - order.begin());  // the first Tab shows where the focus is
    } else {
        const size_t i = static_cast<size_t>(at - order.begin());
        next = forward ? (i + 1) % order.size() : (i + order.size() - 1) % order.size();
    }
    SetFocused(tree.nodes[order[next]].control, -1, 1);
    return 1;
}

int CDUI_KeyboardFocus::MoveInRow(int forward) {
    const DUI_AccessTree tree = DUI_BuildAccessTree(scene_, focused_);
    const int current = tree.Find(focused_, -1);
    if (current < 0) return 0;
    const DUI_AccessNode& node = tree.nodes[current];
    if (node.role == DUI_AccessRole::List) {
        CDUI_ParamLock lock(scene_);
        if (!lock.Ok() || !DUI_IsLiveControl(focused_)) return 1;
        auto* list = static_cast<CDUI_ListBox*>(focused_);
        const int32_t count = list->GetItemCount();
        const int32_t at = list->GetSelectedIndex();
        const int32_t to = std::clamp(at < 0 ? 0 : at + (forward ? 1 : -1), 0, std::max(0, count - 1));
        if (count > 0 && to != at) list->SelectIndex(to, 1);
        return 1;
    }
    if (node.role == DUI_AccessRole::Slider) {
        const int32_t step = std::max(1, static_cast<int32_t>(node.rangeMaximum) / 20);
        const double to = std::clamp(node.rangeValue + (forward ? step : -step), 0.0, node.rangeMaximum);
        DUI_AccessSetRange(focused_, to);
        return 1;
    }
    if (!IsRowRole(node.role) || node.parent < 0) return 0;
    // The row: the siblings of the same role, left to right.
    std::vector<int> row;
    for (int sibling : tree.nodes[node.parent].children)
        if (tree.nodes[sibling].role == node.role && (tree.nodes[sibling].state & kAccessFocusable))
            row.push_back(sibling);
    std::stable_sort(row.begin(), row.end(), [&tree](int a, int b) {
        const DUI_Rect& ra = tree.nodes[a].rect;
        const DUI_Rect& rb = tree.nodes[b].rect;
        return ra.y != rb.y && ra.x == rb.x ? ra.y < rb.y : ra.x < rb.x;
    });
    auto at = std::find(row.begin(), row.end(), current);
    if (row.size() < 2 || at == row.end()) return 1;
    const size_t i = static_cast<size_t>(at - row.begin());
    const int target = row[forward ? (i + 1) % row.size() : (i + row.size() - 1) % row.size()];
    SetFocused(tree.nodes[target].control, -1, 1);
    // Moving along tabs selects them, as arrow keys do in a tab strip.
    DUI_AccessPress(scene_, tree.nodes[target].control, -1);
    return 1;
}

int CDUI_KeyboardFocus::Escape() {
    CDUI_UIControl* target = nullptr;
    {
        CDUI_ParamLock lock(scene_);
        if (!lock.Ok()) return 0;
        const DUI_AccessTree tree = DUI_BuildAccessTree(scene_, focused_);
        // The box on top, else the last dialog shown over a page.
        int dialog = tree.ModalRoot();
        if (dialog < 0)
            for (size_t i = 0; i < tree.nodes.size(); ++i)
                if (tree.nodes[i].role == DUI_AccessRole::Dialog) dialog = static_cast<int>(i);
        if (dialog >= 0) {
            CDUI_UIControl* control = tree.nodes[dialog].control;
            auto* window = dynamic_cast<CDUI_Window*>(control);
            CDUI_UIControl* close = window ? window->GetCloseButton() : nullptr;
            if (close && tree.Find(close, -1) >= 0) target = close;
            if (auto* box = dynamic_cast<CDUI_MessageBox*>(control); box && !target) {
                // No close button: 取消, then 否; a box with 确定 alone closes by it.
                for (int which : {int(kMsgCancel), int(kMsgNo), int(kMsgOk)}) {
                    CDUI_UIControl* button = box->GetButton(which);
                    if (button && tree.Find(button, -1) >= 0) {
                        target = button;
                        break;
                    }
                }
            }
            // A dialog that draws its own close button: the button named so.
            for (size_t i = 0; i < tree.nodes.size() && !target; ++i) {
                const DUI_AccessNode& n = tree.nodes[i];
                if (n.role == DUI_AccessRole::Button && (n.name == L"关闭" || n.name == L"取消") &&
                    IsBelow(tree, static_cast<int>(i), dialog))
                    target = n.control;
            }
        } else {
            for (const DUI_AccessNode& n : tree.nodes) {
                if (n.role == DUI_AccessRole::ComboBox && (n.state & kAccessExpanded)) {
                    DUI_AccessExpand(n.control, 0);
                    return 1;
                }
            }
        }
    }
    if (!target) return 0;
    DUI_AccessPress(scene_, target, -1);
    return 1;
}

void CDUI_KeyboardFocus::PaintRing(CDUI_UIControl* control, void* graphics, void* user) {
    auto* self = static_cast<CDUI_KeyboardFocus*>(user);
    auto* g = static_cast<Gdiplus::Graphics*>(graphics);
    if (!self || !g || !self->ringShown_ || !self->focused_ || !DUI_IsLiveControl(self->focused_)) return;
    if (!ShownInScene(self->focused_, control)) return;
    const DUI_Rect r = self->focused_->GetAbsoluteRect();
    const DUI_Rect clip = control->GetClipRect();
    if (clip.IsEmpty()) return;
    // The pass's last child left its own clip; the ring keeps to the frame's dirty part.
    Gdiplus::Region saved;
    g->GetClip(&saved);
    g->SetClip(Gdiplus::Rect(clip.x, clip.y, clip.width, clip.height));
    Gdiplus::Pen pen{Gdiplus::Color(kRingColor), Gdiplus::REAL(kRingWidth)};
    const Gdiplus::REAL inset = Gdiplus::REAL(kRingGap + kRingWidth / 2.0);
    g->DrawRectangle(&pen, Gdiplus::REAL(r.x) - inset, Gdiplus::REAL(r.y) - inset,
                     Gdiplus::REAL(r.width) + 2 * inset - 1, Gdiplus::REAL(r.height) + 2 * inset - 1);
    g->SetClip(&saved);
}
