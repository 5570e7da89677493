#include "controls/DUI_NavigationBar.h"

#include "controls/DUI_Button.h"
#include "controls/DUI_KindCommon.h"
#include "core/DUI_FontType.h"
#include "core/DUI_ParamLock.h"
#include "skin/DUI_UIResource.h"

namespace {
constexpr int32_t kIndent = 16;
constexpr int32_t kMargin = 2;
}  // namespace

CDUI_NavigationBar* CDUI_UIResource::CreateNavigationBar(int32_t id, const std::wstring& style,
                                                         const std::wstring& text, int32_t x, int32_t y, int32_t width,
                                                         int32_t height) {
    return static_cast<CDUI_NavigationBar*>(
        BuildFromStyle(L"NavigationBar", style, [&](CDUI_UIControlStyle* record) {
            auto* own = static_cast<CDUI_NavigationBar_Style*>(record);
            auto* panelStyle = static_cast<CDUI_Panel_Style*>(FindStyle(L"Panel", own->panelStyleName));
            auto* bar = new CDUI_NavigationBar(this, panelStyle, own, id);
            bar->SetText(text);
            bar->SetPosition(x, y);
            bar->SetSize(width, height);
            return static_cast<CDUI_UIControl*>(bar);
        }));
}

CDUI_NavigationBar::CDUI_NavigationBar(CDUI_UIResource* resource, CDUI_Panel_Style* panelStyle,
                                       CDUI_NavigationBar_Style* style, int32_t id)
    : CDUI_Panel(resource, panelStyle, id), ownStyle_(style) {
    if (resource && style) {
        // One row is as high as the group button's look, and at least one line
        // of text with a little room.
        int32_t lineHeight = 0, a = 0, o = 0;
        if (font_) font_->GetMetrics(&a, &o, &lineHeight);
        rowHeight_ = lineHeight > 0 ? lineHeight + 6 : rowHeight_;
        if (auto* push = static_cast<CDUI_PushButton_Style*>(resource->FindStyle(L"PushButton", style->parentPushButton)))
            rowHeight_ = std::max(rowHeight_, push->noPush.height);
    }
}

NavigationNode* CDUI_NavigationBar::AddNode(const std::wstring& text, NavigationNode* parent, int32_t id,
                                            int32_t value, int32_t value2) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return nullptr;
    NavigationNode* node = tree_.AddNode(text, parent, id, value, value2);
    if (!node) return nullptr;
    RebuildButtons();
    return node;
}

NavigationNode* CDUI_NavigationBar::FindNode(int32_t id) {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? tree_.Find(id) : nullptr;
}

void CDUI_NavigationBar::SetSelectCallback(DUI_NavigationCallback callback, void* user) {
    selectCallback_ = callback;
    selectUser_ = user;
}

void CDUI_NavigationBar::SetToggleCallback(DUI_NavigationCallback callback, void* user) {
    toggleCallback_ = callback;
    toggleUser_ = user;
}

void CDUI_NavigationBar::OnLayout() {
    CDUI_Panel::OnLayout();
    RebuildButtons();
}

void CDUI_NavigationBar::RebuildButtons() {
    auto* style = static_cast<CDUI_NavigationBar_Style*>(ownStyle_);
    if (!style || !resource_) return;
    // Every node gets its button once; rows not visible hide theirs.
    std::vector<NavigationNode*> all;
    std::vector<NavigationNode*> stack;
    for (const auto& root : tree_.Roots()) stack.push_back(root.get());
    while (!stack.empty()) {
        NavigationNode* n = stack.back();
        stack.pop_back();
        all.push_back(n);
        for (const auto& c : n->children) stack.push_back(c.get());
    }
    for (NavigationNode* n : all) {
        auto* button = static_cast<CDUI_UIControl*>(n->button);
        const bool wantGroup = n->IsGroup();
        if (button && (button->GetKindName() == L"PushButton") != wantGroup) {
            // A leaf that became a group: its option button goes, a push button comes.
            button->SetShown(0);
            button->SetHitEnable(0);
            button = nullptr;
        }
        if (!button) {
            if (wantGroup)
                button = resource_->CreatePushButton(n->id, style->parentPushButton, n->text, 0, 0, 10, rowHeight_);
            else
                button = resource_->CreateOptionButton(n->id, style->subestOptionButton, n->text, 0, 0, 10, rowHeight_);
            if (!button) continue;
            button->SetTextPlacement(0);
            if (!wantGroup) static_cast<CDUI_OptionButton*>(button)->SetGroup(1);
            button->SetEventCallback(DUI_EVT_CLICKED, &CDUI_NavigationBar::OnButtonClicked, this);
            AddChild(button);
            n->button = button;
        }
        button->SetShown(0);
    }
    int32_t row = 0;
    for (const NavigationTree::Row& r : tree_.VisibleRows()) {
        auto* button = static_cast<CDUI_UIControl*>(r.node->button);
        if (!button) continue;
        const int32_t indent = r.depth * kIndent;
        button->SetPosition(kMargin + indent, kMargin + row * rowHeight_);
        button->SetSize(std::max(0, width_ - 2 * kMargin - indent), rowHeight_);
        button->SetShown(1);
        // The push button shows the open flag, the option button the selection.
        button->CDUI_UIControl::SetChecked(r.node->IsGroup() ? r.node->open
                                                             : (has_selection_ && selected_ == r.node->id));
        ++row;
    }
    Invalidate();
}

int CDUI_NavigationBar::SelectNode(int32_t id) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    NavigationNode* node = tree_.Find(id);
    if (!node || node->IsGroup()) return 0;
    selected_ = id;
    has_selection_ = 1;
    RebuildButtons();
    return 1;
}

void CDUI_NavigationBar::OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord*, void* user) {
    auto* self = static_cast<CDUI_NavigationBar*>(user);
    CDUI_ParamLock lock(self);
    if (!lock.Ok()) return;
    NavigationNode* node = self->tree_.Find(control->GetId());
    if (!node || node->button != control) return;
    if (node->IsGroup()) {
        // The push button toggled itself on the click; the tree follows it.
        node->open = node->open ? 0 : 1;
        self->RebuildButtons();
        self->FireEvent(kDuiNavigationToggleEvent, node->id, node->value, node->open, 0, node);
    } else {
        self->selected_ = node->id;
        self->has_selection_ = 1;
        self->RebuildButtons();
        self->FireEvent(kDuiNavigationSelectEvent, node->id, node->value, node->open, 0, node);
    }
}

int CDUI_NavigationBar::OnEvent(const CDUI_EventRecord& event) {
    if (event.code != kDuiNavigationSelectEvent && event.code != kDuiNavigationToggleEvent) return 0;
    auto* node = static_cast<NavigationNode*>(event.pointer);
    if (!node || tree_.Find(event.arg[0]) != node) return 1;  // the node went meanwhile
    DUI_NavigationCallback callback = event.code == kDuiNavigationSelectEvent ? selectCallback_ : toggleCallback_;
    void* user = event.code == kDuiNavigationSelectEvent ? selectUser_ : toggleUser_;
    if (callback) callback(this, node->id, node->text, node->value, node, node->open, user);
    return 1;
}
