#pragma once
// A tree of navigation entries on a panel: groups are push buttons (pushed =
// open) and leaves option buttons, one row each, children indented under
// their open group. A leaf click selects it (4601), a group click opens or
// closes it (4602). When the rows are taller than the bar it scrolls (wheel
// and scroll bar). Node ids are the bar's own; record numbers the page wants
// back go into the node's values.
#include <string>
#include <vector>

#include "controls/DUI_Panel.h"
#include "controls/NavigationTree.h"

class CDUI_NavigationBar_Style;
class CDUI_NavigationBar;
class CDUI_FontType;

// 4601 and 4602: the node's id, text, value, the node and its open flag.
// Runs on the UI thread without the parameter lock: a click's report is
// queued and delivered after the dispatch lets go of it (only in the scene's
// direct-delivery mode does it run at once, inside the click's dispatch,
// with the lock still held). The node pointer is valid only during the call.
using DUI_NavigationCallback = void (*)(CDUI_NavigationBar* bar, int32_t id, const std::wstring& text, int32_t value,
                                        NavigationNode* node, int open, void* user);

class CDUI_NavigationBar : public CDUI_Panel {
public:
    CDUI_NavigationBar(CDUI_UIResource* resource, CDUI_Panel_Style* panelStyle, CDUI_NavigationBar_Style* style,
                       int32_t id);
    ~CDUI_NavigationBar() override;
    void ReleaseResources() override;
    void OnLayout() override;
    // The bar's font reaches every row; rows with a font of their kind keep it.
    int SetFont(CDUI_FontType* font) override;
    int OnEvent(const CDUI_EventRecord& event) override;
    CDUI_UIControlStyle* GetStyle() override { return ownStyle_; }
    std::wstring GetKindName() override { return L"NavigationBar"; }

    // Fails (nullptr) when a node with that id exists (or parent is foreign).
    // group 1: a group even before it has children (never a clickable leaf).
    NavigationNode* AddNode(const std::wstring& text, NavigationNode* parent, int32_t id, int32_t value,
                            int32_t value2, int group = 0);
    // A node placed just before the node beforeId, under the same parent.
    NavigationNode* InsertNodeBefore(const std::wstring& text, int32_t beforeId, int32_t id, int32_t value,
                                     int32_t value2, int group = 0);
    // Removes the node, its children and their buttons; a removed selection
    // leaves nothing selected. 0 for unknown ids.
    int RemoveNode(int32_t id);
    // Removes every node and button.
    int ClearNodes();
    int SetNodeText(int32_t id, const std::wstring& text);
    int SetNodeValues(int32_t id, int32_t value, int32_t value2);
    // Opens or closes a group from code; with notify, 4602 as a click would.
    int SetNodeOpen(int32_t id, int open, int notify = 0);
    NavigationNode* FindNode(int32_t id);
    NavigationNode* FindNodeByValue(int32_t value);
    int32_t GetNodeCount();
    int32_t GetSelectedId() const { return has_selection_ ? selected_ : 0; }
    int HasSelection() const { return has_selection_; }
    // Selects a leaf as a click would (scrolled into view); with notify also
    // 4601. 0 for groups and unknown ids.
    int SelectNode(int32_t id, int notify = 0);
    void ClearSelection();
    // Scrolls so the node's row is inside the bar (its group must be open).
    int ScrollToNode(int32_t id);
    int32_t GetRowHeight() const { return rowHeight_; }
    // Fonts of group rows and leaf rows (nullptr: the bar's own font); rows
    // grow to the taller font's line.
    void SetNodeFonts(CDUI_FontType* groupFont, CDUI_FontType* itemFont);
    // Row text colours (0: the button style's own).
    void SetNodeTextColors(uint32_t groupColor, uint32_t itemColor);
    void SetSelectCallback(DUI_NavigationCallback callback, void* user);
    void SetToggleCallback(DUI_NavigationCallback callback, void* user);
    const NavigationTree& Tree() const { return tree_; }
    // The button that shows the node (nullptr for unknown ids).
    CDUI_UIControl* GetNodeButton(int32_t id);

private:
    static void OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    // Builds the missing buttons and places every visible one; hidden rows'
    // buttons stay (not shown). Under the lock.
    void RebuildButtons();
    // Takes a button out of the tree now and frees it later: it may be the
    // very button whose click is being handled, or one whose posted event is
    // on its way. In a scene the scene frees it on the window's thread
    // outside any dispatch; otherwise the bar does at its teardown.
    void RetireButton(CDUI_UIControl* button);
    void FreeRetired();
    void ApplyFont(CDUI_UIControl* button, bool group);
    CDUI_UIControlStyle* ownStyle_ = nullptr;  // borrowed: the NavigationBar record
    NavigationTree tree_;
    int32_t selected_ = 0;
    int has_selection_ = 0;
    int32_t rowHeight_ = 30;
    int32_t baseRowHeight_ = 30;  // from the bar's font and the group button's look
    int rebuilding_ = 0;
    CDUI_FontType* groupFont_ = nullptr;  // borrowed, owned by the resource
    CDUI_FontType* itemFont_ = nullptr;   // borrowed, owned by the resource
    uint32_t groupColor_ = 0, itemColor_ = 0;
    std::vector<CDUI_UIControl*> retired_;  // owned, already out of the tree
    DUI_NavigationCallback selectCallback_ = nullptr, toggleCallback_ = nullptr;
    void* selectUser_ = nullptr;
    void* toggleUser_ = nullptr;
};
