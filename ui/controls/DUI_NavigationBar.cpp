#include "controls/DUI_NavigationBar.h"

#include "controls/DUI_Button.h"
#include "controls/DUI_KindCommon.h"
#include "controls/DUI_ScrollBar.h"
#include "core/DUI_FontType.h"
#include "core/DUI_ParamLock.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"

namespace {
constexpr int32_t kIndent = 16;
constexpr int32_t kTextInset = 10;
constexpr int32_t kMargin = 2;
constexpr int32_t kBarRoom = 12;  // the vertical scroll bar's width
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
    baseRowHeight_ = rowHeight_;
}

int CDUI_NavigationBar::SetFont(CDUI_FontType* font) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok() || !CDUI_Panel::SetFont(font)) return 0;
    for (NavigationNode* n : tree_.AllNodes())
        if (auto* button = static_cast<CDUI_UIControl*>(n->button)) ApplyFont(button, n->IsGroup());
    return 1;
}

CDUI_NavigationBar::~CDUI_NavigationBar() {
    LeaveTreeBeforeDestruction();
    FreeRetired();
}

void CDUI_NavigationBar::ReleaseResources() {
    CDUI_Panel::ReleaseResources();
    FreeRetired();
    tree_.Clear();
}

void CDUI_NavigationBar::RetireButton(CDUI_UIControl* button) {
    if (!button) return;
    RemoveChild(button);  // under the lock: the painter no longer sees it
    if (CDUI_UIScene* scene = GetScene()) scene->RetireControl(button);
    else retired_.push_back(button);
}

void CDUI_NavigationBar::FreeRetired() {
    std::vector<CDUI_UIControl*> retired;
    {
        CDUI_ParamLock lock(this);
        retired.swap(retired_);
    }
    for (CDUI_UIControl* button : retired) {
        button->ReleaseResources();
        delete button;
    }
}

NavigationNode* CDUI_NavigationBar::AddNode(const std::wstring& text, NavigationNode* parent, int32_t id,
                                            int32_t value, int32_t value2, int group) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return nullptr;
    NavigationNode* node = tree_.AddNode(text, parent, id, value, value2, group);
    if (!node) return nullptr;
    RebuildButtons();
    return node;
}

NavigationNode* CDUI_NavigationBar::InsertNodeBefore(const std::wstring& text, int32_t beforeId, int32_t id,
                                                     int32_t value, int32_t value2, int group) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return nullptr;
    NavigationNode* node = tree_.InsertBefore(text, beforeId, id, value, value2, group);
    if (!node) return nullptr;
    RebuildButtons();
    return node;
}

int CDUI_NavigationBar::RemoveNode(int32_t id) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    std::unique_ptr<NavigationNode> gone = tree_.Remove(id);
    if (!gone) return 0;
    std::vector<NavigationNode*> stack{gone.get()};
    while (!stack.empty()) {
        NavigationNode* n = stack.back();
        stack.pop_back();
        if (has_selection_ && selected_ == n->id) has_selection_ = 0;
        RetireButton(static_cast<CDUI_UIControl*>(n->button));
        n->button = nullptr;
        for (const auto& c : n->children) stack.push_back(c.get());
    }
    RebuildButtons();
    return 1;
}

int CDUI_NavigationBar::ClearNodes() {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    for (NavigationNode* n : tree_.AllNodes()) {
        RetireButton(static_cast<CDUI_UIControl*>(n->button));
        n->button = nullptr;
    }
    tree_.Clear();
    has_selection_ = 0;
    selected_ = 0;
    SetScrollOffset(0, 0);
    RebuildButtons();
    return 1;
}

int CDUI_NavigationBar::SetNodeText(int32_t id, const std::wstring& text) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok() || !tree_.SetText(id, text)) return 0;
    NavigationNode* node = tree_.Find(id);
    if (auto* button = static_cast<CDUI_UIControl*>(node->button)) button->SetText(node->text);
    return 1;
}

int CDUI_NavigationBar::SetNodeValues(int32_t id, int32_t value, int32_t value2) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    NavigationNode* node = tree_.Find(id);
    if (!node) return 0;
    node->value = value;
    node->value2 = value2;
    return 1;
}

int CDUI_NavigationBar::SetNodeOpen(int32_t id, int open, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    NavigationNode* node = tree_.Find(id);
    if (!node || !tree_.SetOpen(id, open)) return 0;
    RebuildButtons();
    if (notify) FireEvent(kDuiNavigationToggleEvent, node->id, node->value, node->open, 0, node);
    return 1;
}

NavigationNode* CDUI_NavigationBar::FindNode(int32_t id) {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? tree_.Find(id) : nullptr;
}

NavigationNode* CDUI_NavigationBar::FindNodeByValue(int32_t value) {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? tree_.FindByValue(value) : nullptr;
}

int32_t CDUI_NavigationBar::GetNodeCount() {
    CDUI_ParamLock lock(this);
    return lock.Ok() ? static_cast<int32_t>(tree_.Size()) : 0;
}

CDUI_UIControl* CDUI_NavigationBar::GetNodeButton(int32_t id) {
    CDUI_ParamLock lock(this);
    NavigationNode* node = lock.Ok() ? tree_.Find(id) : nullptr;
    return node ? static_cast<CDUI_UIControl*>(node->button) : nullptr;
}

void CDUI_NavigationBar::SetNodeFonts(CDUI_FontType* groupFont, CDUI_FontType* itemFont) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    groupFont_ = groupFont;
    itemFont_ = itemFont;
    rowHeight_ = baseRowHeight_;
    for (CDUI_FontType* font : {groupFont, itemFont}) {
        int32_t a = 0, o = 0, line = 0;
        if (font) font->GetMetrics(&a, &o, &line);
        if (line > 0) rowHeight_ = std::max(rowHeight_, line + 6);
    }
    for (NavigationNode* n : tree_.AllNodes())
        if (auto* button = static_cast<CDUI_UIControl*>(n->button)) ApplyFont(button, n->IsGroup());
    RebuildButtons();
}

void CDUI_NavigationBar::SetNodeTextColors(uint32_t groupColor, uint32_t itemColor) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    groupColor_ = groupColor;
    itemColor_ = itemColor;
    for (NavigationNode* n : tree_.AllNodes())
        if (auto* button = static_cast<CDUI_UIControl*>(n->button)) ApplyFont(button, n->IsGroup());
}

void CDUI_NavigationBar::ApplyFont(CDUI_UIControl* button, bool group) {
    CDUI_FontType* font = group ? groupFont_ : itemFont_;
    if (font && button->GetFont() != font) button->SetFont(font);
    const uint32_t color = group ? groupColor_ : itemColor_;
    if (color && button->GetTextColor() != color) button->SetTextColor(color);
}

void CDUI_NavigationBar::SetSelectCallback(DUI_NavigationCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    selectCallback_ = callback;
    selectUser_ = user;
}

void CDUI_NavigationBar::SetToggleCallback(DUI_NavigationCallback callback, void* user) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    toggleCallback_ = callback;
    toggleUser_ = user;
}

void CDUI_NavigationBar::OnLayout() {
    CDUI_Panel::OnLayout();
    RebuildButtons();
}

void CDUI_NavigationBar::RebuildButtons() {
    auto* style = static_cast<CDUI_NavigationBar_Style*>(ownStyle_);
    if (!style || !resource_ || rebuilding_) return;
    rebuilding_ = 1;
    // Every node gets its button once; rows not visible hide theirs.
    for (NavigationNode* n : tree_.AllNodes()) {
        auto* button = static_cast<CDUI_UIControl*>(n->button);
        const bool wantGroup = n->IsGroup();
        if (button && (button->GetKindName() == L"PushButton") != wantGroup) {
            // A leaf that became a group: its option button goes, a push button comes.
            RetireButton(button);
            button = nullptr;
            n->button = nullptr;
        }
        if (!button) {
            if (wantGroup)
                button = resource_->CreatePushButton(n->id, style->parentPushButton, n->text, 0, 0, 10, rowHeight_);
            else
                button = resource_->CreateOptionButton(n->id, style->subestOptionButton, n->text, 0, 0, 10, rowHeight_);
            if (!button) continue;
            button->SetTextPlacement(0);
            // Row texts keep off the row's edge, as in any list.
            auto* plate = static_cast<CDUI_ButtonBase*>(button);
            DUI_ButtonDrawing drawing = plate->GetDrawing();
            drawing.textInset = kTextInset;
            plate->SetDrawing(drawing);
            if (!wantGroup) static_cast<CDUI_OptionButton*>(button)->SetGroup(1);
            button->SetShown(0);
            ApplyFont(button, wantGroup);
            button->SetEventCallback(DUI_EVT_CLICKED, &CDUI_NavigationBar::OnButtonClicked, this);
            AddChild(button);
            n->button = button;
        }
    }
    const std::vector<NavigationTree::Row> rows = tree_.VisibleRows();
    // Taller than the bar: the rows scroll (wheel and bar), keeping their place.
    const int32_t contentHeight = static_cast<int32_t>(rows.size()) * rowHeight_ + 2 * kMargin;
    const bool scroll = contentHeight > height_;
    if (scroll || GetScrolling()) SetContentSize(width_, scroll ? contentHeight : 0);
    const int32_t room = scroll ? kBarRoom : 0;
    std::vector<CDUI_UIControl*> shown;
    int32_t row = 0;
    for (const NavigationTree::Row& r : rows) {
        auto* button = static_cast<CDUI_UIControl*>(r.node->button);
        if (!button) continue;
        const int32_t indent = r.depth * kIndent;
        int32_t bx = 0, by = 0, bw = 0, bh = 0;
        button->GetPosition(&bx, &by);
        button->GetSize(&bw, &bh);
        const int32_t nx = kMargin + indent, ny = kMargin + row * rowHeight_;
        const int32_t nw = std::max(0, width_ - 2 * kMargin - indent - room);
        if (bx != nx || by != ny) button->SetPosition(nx, ny);
        if (bw != nw || bh != rowHeight_) button->SetSize(nw, rowHeight_);
        if (button->GetText() != r.node->text) button->SetText(r.node->text);
        shown.push_back(button);
        // The push button shows the open flag, the option button the selection.
        const int checked = r.node->IsGroup() ? r.node->open : (has_selection_ && selected_ == r.node->id);
        if (button->GetChecked() != checked) button->CDUI_UIControl::SetChecked(checked, 0);
        ++row;
    }
    for (CDUI_UIControl* child : children_) {
        const int want = std::find(shown.begin(), shown.end(), child) != shown.end() ? 1 : 0;
        if (child->GetShown() != want) child->SetShown(want);
    }
    Invalidate();
    rebuilding_ = 0;
}

int CDUI_NavigationBar::SelectNode(int32_t id, int notify) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    NavigationNode* node = tree_.Find(id);
    if (!node || node->IsGroup()) return 0;
    selected_ = id;
    has_selection_ = 1;
    RebuildButtons();
    ScrollToNode(id);
    if (notify) FireEvent(kDuiNavigationSelectEvent, node->id, node->value, node->open, 0, node);
    return 1;
}

void CDUI_NavigationBar::ClearSelection() {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return;
    has_selection_ = 0;
    RebuildButtons();
}

int CDUI_NavigationBar::ScrollToNode(int32_t id) {
    CDUI_ParamLock lock(this);
    if (!lock.Ok()) return 0;
    int32_t row = 0;
    for (const NavigationTree::Row& r : tree_.VisibleRows()) {
        if (r.node->id == id) {
            int32_t sx = 0, sy = 0;
            GetScrollOffset(&sx, &sy);
            const int32_t top = kMargin + row * rowHeight_, bottom = top + rowHeight_;
            if (top - kMargin < sy) SetScrollOffset(sx, top - kMargin);
            else if (bottom + kMargin > sy + height_) SetScrollOffset(sx, bottom + kMargin - height_);
            return 1;
        }
        ++row;
    }
    return 0;
}

void CDUI_NavigationBar::OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord*, void* user) {
    auto* self = static_cast<CDUI_NavigationBar*>(user);
    CDUI_ParamLock lock(self);
    if (!lock.Ok()) return;
    NavigationNode* node = self->tree_.Find(control->GetId());
    if (!node || node->button != control) return;
    if (node->IsGroup()) {
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
    // The page's callback gets copies and runs after the lock is let go.
    DUI_NavigationCallback callback = nullptr;
    void* user = nullptr;
    NavigationNode* node = nullptr;
    std::wstring text;
    int32_t value = 0;
    int open = 0;
    {
        CDUI_ParamLock lock(this);
        if (!lock.Ok()) return 1;
        node = static_cast<NavigationNode*>(event.pointer);
        if (!node || tree_.Find(event.arg[0]) != node) return 1;  // the node went meanwhile
        callback = event.code == kDuiNavigationSelectEvent ? selectCallback_ : toggleCallback_;
        user = event.code == kDuiNavigationSelectEvent ? selectUser_ : toggleUser_;
        text = node->text;
        value = node->value;
        open = node->open;
    }
    if (callback) callback(this, event.arg[0], text, value, node, open, user);
    return 1;
}
