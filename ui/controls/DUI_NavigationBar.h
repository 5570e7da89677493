#pragma once
// A tree of navigation entries on a panel: groups are push buttons (pushed =
// open) and leaves option buttons, one row each, children indented under
// their open group. A leaf click selects it (4601), a group click opens or
// closes it (4602).
#include <string>

#include "controls/DUI_Panel.h"
#include "controls/NavigationTree.h"

class CDUI_NavigationBar_Style;
class CDUI_NavigationBar;

// 4601 and 4602: the node's id, text, value, the node and its open flag.
using DUI_NavigationCallback = void (*)(CDUI_NavigationBar* bar, int32_t id, const std::wstring& text, int32_t value,
                                        NavigationNode* node, int open, void* user);

class CDUI_NavigationBar : public CDUI_Panel {
public:
    CDUI_NavigationBar(CDUI_UIResource* resource, CDUI_Panel_Style* panelStyle, CDUI_NavigationBar_Style* style,
                       int32_t id);
    void OnLayout() override;
    int OnEvent(const CDUI_EventRecord& event) override;
    CDUI_UIControlStyle* GetStyle() override { return ownStyle_; }
    std::wstring GetKindName() override { return L"NavigationBar"; }

    // Fails (nullptr) when a node with that id exists (or parent is foreign).
    NavigationNode* AddNode(const std::wstring& text, NavigationNode* parent, int32_t id, int32_t value,
                            int32_t value2);
    NavigationNode* FindNode(int32_t id);
    int32_t GetSelectedId() const { return selected_; }
    // Selects a leaf as a click would, without the event; 0 for groups and unknown ids.
    int SelectNode(int32_t id);
    int32_t GetRowHeight() const { return rowHeight_; }
    void SetSelectCallback(DUI_NavigationCallback callback, void* user);
    void SetToggleCallback(DUI_NavigationCallback callback, void* user);
    const NavigationTree& Tree() const { return tree_; }

private:
    static void OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    // Builds the missing buttons and places every visible one; hidden rows'
    // buttons stay (not shown) so a clicked button is never deleted under its click.
    void RebuildButtons();
    CDUI_UIControlStyle* ownStyle_ = nullptr;  // borrowed: the NavigationBar record
    NavigationTree tree_;
    int32_t selected_ = 0;
    int has_selection_ = 0;
    int32_t rowHeight_ = 30;
    DUI_NavigationCallback selectCallback_ = nullptr, toggleCallback_ = nullptr;
    void* selectUser_ = nullptr;
    void* toggleUser_ = nullptr;
};
