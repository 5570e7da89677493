#include "accessibility/DUI_AccessModel.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "controls/DUI_Label.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_Progress.h"
#include "controls/DUI_SliderBar.h"
#include "controls/DUI_TextEdit.h"
#include "core/DUI_ParamLock.h"
#include "core/DUI_UICollection.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"

namespace {

// Default actions, as a screen reader says them.
constexpr const wchar_t* kActionPress = L"按下";
constexpr const wchar_t* kActionToggle = L"切换";
constexpr const wchar_t* kActionSelect = L"选择";
constexpr const wchar_t* kActionOpen = L"展开";
constexpr const wchar_t* kActionClose = L"收起";

// The home view's feature tabs, by style.
bool IsHomeTab(const std::wstring& style) {
    return style == L"LightButton" || style == L"FanButton" || style == L"GameModeButton" ||
           style == L"UpdateButton";
}

// A slider or a progress bar: a range from 0 and its value, also as text.
void SetRange(DUI_AccessNode* node, DUI_AccessRole role, int maximum, int value) {
    node->role = role;
    node->hasRange = 1;
    node->rangeMaximum = maximum;
    node->rangeValue = value;
    node->value = std::to_wstring(value);
}

bool Takes(DUI_AccessRole role) {
    switch (role) {
    case DUI_AccessRole::Button:
    case DUI_AccessRole::CheckBox:
    case DUI_AccessRole::RadioButton:
    case DUI_AccessRole::TabItem:
    case DUI_AccessRole::Edit:
    case DUI_AccessRole::Slider:
    case DUI_AccessRole::List:
    case DUI_AccessRole::ComboBox:
        return true;
    default:
        return false;
    }
}

struct Builder {
    DUI_AccessTree* tree;
    const CDUI_UIControl* focused;
    CDUI_UIControl* modal;

    int Add(DUI_AccessNode node, int parent) {
        node.parent = parent;
        const int index = static_cast<int>(tree->nodes.size());
        tree->nodes.push_back(std::move(node));
        if (parent >= 0) tree->nodes[parent].children.push_back(index);
        return index;
    }

    // The record of one shown control; 0 when it is left out (decoration,
    // an empty label) but its children may still count.
    int Describe(CDUI_UIControl* control, DUI_AccessNode* node) {
        const std::wstring kind = control->GetKindName();
        node->control = control;
        node->id = control->GetId();
        node->style = control->GetStyleName();
        node->rect = control->GetAbsoluteRect();
        node->name = control->GetText();
        if (!control->GetEnabled()) node->state |= kAccessDisabled;
        if (kind == L"Button") {
            node->role = DUI_AccessRole::Button;
            node->action = kActionPress;
        } else if (kind == L"OptionButton") {
            node->role = IsHomeTab(node->style) ? DUI_AccessRole::TabItem : DUI_AccessRole::RadioButton;
            node->action = kActionSelect;
            node->state |= kAccessSelectable;
            if (control->GetChecked()) node->state |= kAccessSelected | kAccessChecked;
        } else if (kind == L"CheckBox" || kind == L"PushButton") {
            node->role = DUI_AccessRole::CheckBox;
            node->action = kActionToggle;
            if (control->GetChecked()) node->state |= kAccessChecked;
        } else if (kind == L"TextEdit") {
            auto* edit = static_cast<CDUI_TextEdit*>(control);
            node->role = DUI_AccessRole::Edit;
            node->name.clear();
            // A password never leaves the program, not even its length.
            if (edit->GetPassword())
                node->state |= kAccessPassword;
            else
                node->value = control->GetText();
            if (edit->GetReadOnly()) node->state |= kAccessReadOnly;
        } else if (kind == L"SliderBar") {
            auto* slider = static_cast<CDUI_SliderBar*>(control);
            SetRange(node, DUI_AccessRole::Slider, slider->GetMaximum(), slider->GetSliderValue());
        } else if (kind == L"Progress") {
            auto* progress = static_cast<CDUI_Progress*>(control);
            SetRange(node, DUI_AccessRole::Progress, progress->GetMaximum(), progress->GetProgress());
        } else if (kind == L"ListBox") {
            node->role = DUI_AccessRole::List;
        } else if (kind == L"ComboBox") {
            auto* combo = static_cast<CDUI_ComboBox*>(control);
            node->role = DUI_AccessRole::ComboBox;
            node->value = control->GetText();
            node->name.clear();
            node->state |= combo->IsDropped() ? kAccessExpanded : kAccessCollapsed;
            node->action = combo->IsDropped() ? kActionClose : kActionOpen;
        } else if (kind == L"MessageBox") {
            auto* box = static_cast<CDUI_MessageBox*>(control);
            node->role = DUI_AccessRole::Dialog;
            if (node->name.empty() || node->name == L"Ventaro")
                node->name = box->GetLabel() ? box->GetLabel()->GetText() : std::wstring();
        } else if (kind == L"Window") {
            node->role = control->GetParent() && !control->GetParent()->GetParent() ? DUI_AccessRole::Pane
                                                                                    : DUI_AccessRole::Dialog;
        } else if (kind == L"Label") {
            node->role = DUI_AccessRole::Text;
            if (node->name.empty()) return 0;
        } else if (kind == L"ColorSelect") {
            node->role = DUI_AccessRole::Pane;
        } else if (control->IsCollection()) {
            node->role = DUI_AccessRole::Pane;  // panels, pages, the navigation bar
        } else {
            return 0;  // pictures, pie charts, scroll bars: nothing to read or press
        }
        // A window's caption close button.
        if (auto* window = dynamic_cast<CDUI_Window*>(control->GetParent());
            node->name.empty() && window && window->GetCloseButton() == control)
            node->name = L"关闭";
        if (node->name.empty()) {
            int32_t value = 0;
            std::wstring hint;
            control->GetHint(&value, &hint);
            node->name = hint.empty() ? DUI_AccessNameForStyle(node->style) : hint;
        }
        if (kind == L"ColorSelect" && node->name.empty()) node->name = L"颜色";
        if (Takes(node->role) && !(node->state & kAccessDisabled)) node->state |= kAccessFocusable;
        if (control == focused) node->state |= kAccessFocused;
        if (control == modal) node->state |= kAccessModal;
        return 1;
    }

    void AddListItems(CDUI_ListBox* list, int parent) {
        const DUI_Rect box = list->GetAbsoluteRect();
        const int32_t rowHeight = list->GetRowHeight();
        const int32_t inset = list->GetBorder() ? 2 : 0;
        const int32_t first = list->GetFirstVisible();
        const int32_t rows = list->GetVisibleRows();
        const int32_t count = list->GetItemCount();
        for (int32_t i = 0; i < count; ++i) {
            DUI_AccessNode item;
            item.control = list;
            item.item = i;
            item.role = DUI_AccessRole::ListItem;
            item.id = list->GetId();
            item.style = list->GetStyleName();
            int32_t value = 0;
            std::wstring text2;
            list->GetItem(i, &item.name, &value, &text2);
            item.action = kActionSelect;
            item.state |= kAccessSelectable;
            if (list->GetSelectedIndex() == i) item.state |= kAccessSelected;
            if (i < first || i >= first + rows) {
                item.state |= kAccessInvisible;  // scrolled out: no rectangle to click
            } else {
                item.rect = DUI_Rect{box.x + inset, box.y + inset + (i - first) * rowHeight, box.width - 2 * inset,
                                     rowHeight};
            }
            Add(std::move(item), parent);
        }
    }

    void Walk(CDUI_UIControl* control, int parent) {
        if (!control->IsCollection()) return;
        for (CDUI_UIControl* child : static_cast<CDUI_UICollection*>(control)->GetChildren()) {
            if (!child || !child->GetVisible() || !child->GetShown()) continue;
            DUI_AccessNode node;
            const int described = Describe(child, &node);
            if (described && node.rect.width > 0 && node.rect.height > 0) {
                const DUI_AccessRole role = node.role;
                const int index = Add(std::move(node), parent);
                if (role == DUI_AccessRole::List) {
                    AddListItems(static_cast<CDUI_ListBox*>(child), index);
                } else if (role == DUI_AccessRole::ComboBox) {
                    // The list is the combo's content only while it is open.
                    auto* combo = static_cast<CDUI_ComboBox*>(child);
                    if (combo->IsDropped() && combo->GetList()) AddListItems(combo->GetList(), index);
                } else if (role != DUI_AccessRole::Slider) {
                    Walk(child, index);
                }
            } else if (!described) {
                Walk(child, parent);  // a left-out control's children join its parent
            }
        }
    }
};

// A control without text of its own is named by the label that goes with
// it: one over it (a placeholder), else one on its left on the same line,
// else one just above it.
void NameFromLabels(DUI_AccessTree* tree) {
    for (DUI_AccessNode& node : tree->nodes) {
        const DUI_AccessRole role = node.role;
        if (!node.name.empty() || node.parent < 0 || node.item >= 0 ||
            !(role == DUI_AccessRole::Edit || role == DUI_AccessRole::Slider || role == DUI_AccessRole::ComboBox ||
              role == DUI_AccessRole::List || role == DUI_AccessRole::Progress))
            continue;
        const DUI_Rect& r = node.rect;
        int best = -1, bestRank = 3;
        int32_t bestGap = 0;
        for (int sibling : tree->nodes[node.parent].children) {
            const DUI_AccessNode& label = tree->nodes[sibling];
            if (label.role != DUI_AccessRole::Text) continue;
            const DUI_Rect& l = label.rect;
            const bool rows = l.y < r.y + r.height && r.y < l.y + l.height;
            const bool columns = l.x < r.x + r.width && r.x < l.x + l.width;
            int rank = 3;
            int32_t gap = 0;
            if (rows && columns) {
                rank = 0;
            } else if (rows && l.x + l.width <= r.x) {
                rank = 1;
                gap = r.x - (l.x + l.width);
            } else if (columns && l.y + l.height <= r.y && r.y - (l.y + l.height) <= 48) {
                rank = 2;
                gap = r.y - (l.y + l.height);
            }
            if (rank < bestRank || (rank == bestRank && rank < 3 && gap < bestGap)) {
                best = sibling;
                bestRank = rank;
                bestGap = gap;
            }
        }
        if (best >= 0) node.name = tree->nodes[best].name;
        // The hue strip of the colour field.
        if (node.name.empty() && role == DUI_AccessRole::Slider && tree->nodes[node.parent].name == L"颜色")
            node.name = L"色相";
    }
}

bool IsInside(const DUI_AccessTree& tree, int node, int ancestor) {
    for (; node >= 0; node = tree.nodes[node].parent)
        if (node == ancestor) return true;
    return false;
}

// Scene units to the host's client pixels, as ForwardMessage expects them.
LPARAM ClientPoint(CDUI_UIScene* scene, int32_t x, int32_t y) {
    const double scale = scene->GetScale();
    const int px = static_cast<int>(std::floor((x + 0.5) * scale));
    const int py = static_cast<int>(std::floor((y + 0.5) * scale));
    return MAKELPARAM(uint16_t(int16_t(px)), uint16_t(int16_t(py)));
}

}  // namespace

int DUI_AccessTree::Find(const CDUI_UIControl* control, int32_t item) const {
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].control == control && nodes[i].item == item) return static_cast<int>(i);
    return -1;
}

int DUI_AccessTree::ModalRoot() const {
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].state & kAccessModal) return static_cast<int>(i);
    return -1;
}

std::vector<int> DUI_AccessTree::TabOrder() const {
    const int modal = ModalRoot();
    std::vector<int> order;
    if (nodes.empty()) return order;
    // Reading order: panel by panel as the tree nests them, and inside each
    // the lines top to bottom, each line left to right (tops closer than
    // half the shorter height make one line).
    auto before = [this](int a, int b) {
        const DUI_Rect& ra = nodes[a].rect;
        const DUI_Rect& rb = nodes[b].rect;
        const int32_t band = std::max<int32_t>(4, std::min(ra.height, rb.height) / 2);
        if (std::abs(ra.y - rb.y) >= band) return ra.y < rb.y;
        return ra.x < rb.x;
    };
    std::vector<int> stack{0};
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const DUI_AccessNode& n = nodes[i];
        if ((n.state & kAccessFocusable) && n.item < 0 && (modal < 0 || IsInside(*this, i, modal)))
            order.push_back(i);
        std::vector<int> kids = n.children;
        std::stable_sort(kids.begin(), kids.end(), before);
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back(*it);
    }
    return order;
}

DUI_AccessTree DUI_BuildAccessTree(CDUI_UIControl* root, const CDUI_UIControl* focused) {
    DUI_AccessTree tree;
    if (!root) return tree;
    CDUI_ParamLock lock(root);
    if (!lock.Ok()) return tree;
    DUI_AccessNode top;
    top.control = root;
    top.role = DUI_AccessRole::Client;
    top.name = L"Ventaro";
    top.rect = root->GetAbsoluteRect();
    top.style = root->GetStyleName();
    CDUI_UIScene* scene = root->GetScene();
    Builder builder{&tree, focused, scene ? scene->GetModal() : nullptr};
    builder.Add(std::move(top), -1);
    builder.Walk(root, 0);
    NameFromLabels(&tree);
    return tree;
}

const wchar_t* DUI_AccessRoleName(DUI_AccessRole role) {
    switch (role) {
    case DUI_AccessRole::Client: return L"client";
    case DUI_AccessRole::Pane: return L"pane";
    case DUI_AccessRole::Dialog: return L"dialog";
    case DUI_AccessRole::Button: return L"button";
    case DUI_AccessRole::CheckBox: return L"check box";
    case DUI_AccessRole::RadioButton: return L"radio button";
    case DUI_AccessRole::TabItem: return L"tab";
    case DUI_AccessRole::Edit: return L"edit";
    case DUI_AccessRole::Slider: return L"slider";
    case DUI_AccessRole::List: return L"list";
    case DUI_AccessRole::ListItem: return L"list item";
    case DUI_AccessRole::ComboBox: return L"combo box";
    case DUI_AccessRole::Progress: return L"progress bar";
    case DUI_AccessRole::Text: return L"text";
    }
    return L"?";
}

std::wstring DUI_FormatAccessTree(const DUI_AccessTree& tree) {
    std::wstring out;
    struct Flag {
        uint32_t bit;
        const wchar_t* word;
    };
    static const Flag kFlags[] = {{kAccessFocused, L"focused"},     {kAccessDisabled, L"disabled"},
                                  {kAccessChecked, L"checked"},     {kAccessSelected, L"selected"},
                                  {kAccessInvisible, L"invisible"}, {kAccessPassword, L"password"},
                                  {kAccessReadOnly, L"read-only"},  {kAccessExpanded, L"expanded"},
                                  {kAccessModal, L"modal"}};
    std::vector<int> depth(tree.nodes.size(), 0);
    // Depth-first, as the tree is read.
    std::vector<int> stack;
    if (!tree.nodes.empty()) stack.push_back(0);
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const DUI_AccessNode& n = tree.nodes[i];
        wchar_t rect[64];
        std::swprintf(rect, 64, L" [%d,%d,%d,%d]", n.rect.x, n.rect.y, n.rect.width, n.rect.height);
        out += std::wstring(2 * depth[i], L' ') + DUI_AccessRoleName(n.role) + L" \"" + n.name + L"\"" + rect;
        for (const Flag& f : kFlags)
            if (n.state & f.bit) out += std::wstring(L" ") + f.word;
        if (!n.value.empty()) out += L" value=\"" + n.value + L"\"";
        out += L"\n";
        for (auto it = n.children.rbegin(); it != n.children.rend(); ++it) {
            depth[*it] = depth[i] + 1;
            stack.push_back(*it);
        }
    }
    return out;
}

std::wstring DUI_AccessNameForStyle(const std::wstring& style) {
    struct Name {
        const wchar_t* style;
        const wchar_t* name;
    };
    static const Name kNames[] = {
        {L"CloseButton", L"关闭"},        {L"MinButton", L"最小化"},       {L"ConfigButton", L"账户"},
        {L"BeforArrowButton", L"上一个"}, {L"AfterArrowButton", L"下一个"}, {L"BackButton", L"返回"},
    };
    for (const Name& n : kNames)
        if (style == n.style) return n.name;
    return {};
}

int DUI_AccessPress(CDUI_UIControl* sceneControl, CDUI_UIControl* control, int32_t item) {
    auto* scene = sceneControl ? sceneControl->GetScene() : nullptr;
    if (!scene || !control) return 0;
    LPARAM at = 0;
    {
        CDUI_ParamLock lock(scene);
        if (!lock.Ok() || !DUI_IsLiveControl(control)) return 0;
        const DUI_AccessTree tree = DUI_BuildAccessTree(scene, nullptr);
        const int node = tree.Find(control, item);
        if (node < 0 || (tree.nodes[node].state & (kAccessDisabled | kAccessInvisible))) return 0;
        const DUI_Rect& r = tree.nodes[node].rect;
        at = ClientPoint(scene, r.x + r.width / 2, r.y + r.height / 2);
    }
    // Down and up at one point: the dispatch's own click, with its hit test,
    // its modal rule and its events in their usual order.
    scene->ForwardMessage(WM_MOUSEMOVE, 0, at);
    scene->ForwardMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    scene->ForwardMessage(WM_LBUTTONUP, 0, at);
    return 1;
}

int DUI_AccessSetRange(CDUI_UIControl* control, double value) {
    CDUI_ParamLock lock(control);
    if (!lock.Ok() || !DUI_IsLiveControl(control) || control->GetKindName() != L"SliderBar" || !control->GetEnabled())
        return 0;
    auto* slider = static_cast<CDUI_SliderBar*>(control);
    if (value < 0 || value > slider->GetMaximum()) return 0;
    slider->SetSliderValue(static_cast<int32_t>(std::lround(value)), 1);
    return 1;
}

int DUI_AccessSetValue(CDUI_UIControl* control, const std::wstring& text) {
    CDUI_UIScene* scene = control ? control->GetScene() : nullptr;
    if (!scene) return 0;
    {
        CDUI_ParamLock lock(scene);
        if (!lock.Ok() || !DUI_IsLiveControl(control) || control->GetKindName() != L"TextEdit" ||
            !control->GetEnabled() || static_cast<CDUI_TextEdit*>(control)->GetReadOnly())
            return 0;
        control->SetFocus(1);
    }
    // Typed: select all, delete, then each character, so the page hears the
    // edit as it hears a user's.
    scene->ForwardMessage(WM_COMMAND, MAKEWPARAM(kDuiCmdSelectAll, 1), 0);
    scene->ForwardMessage(WM_KEYDOWN, VK_DELETE, 0);
    scene->ForwardMessage(WM_KEYUP, VK_DELETE, 0);
    for (wchar_t c : text) scene->ForwardMessage(WM_CHAR, c, 1);
    return 1;
}

int DUI_AccessExpand(CDUI_UIControl* control, int open) {
    CDUI_ParamLock lock(control);
    if (!lock.Ok() || !DUI_IsLiveControl(control) || control->GetKindName() != L"ComboBox" || !control->GetEnabled())
        return 0;
    auto* combo = static_cast<CDUI_ComboBox*>(control);
    if (combo->IsDropped() == (open ? 1 : 0)) return 1;
    return combo->Drop(open ? 1 : 0);
}
