#pragma once
// What assistive technology sees of the skinned UI: one plain record per
// visible control (role, name, rectangle, state, value, default action),
// built from the live scene under its lock. The keyboard focus, the MSAA
// objects and the UI Automation providers all read this one model, so a
// screen reader, an automation tool and the Tab key agree on what is there.
#include <cstdint>
#include <string>
#include <vector>

#include "core/DUI_Types.h"

class CDUI_UIControl;

enum class DUI_AccessRole {
    Client,       // the scene itself, the root of the tree
    Pane,         // panels and pages
    Dialog,       // message boxes and windows shown over a page
    Button,
    CheckBox,     // check boxes and the on/off switches (push buttons)
    RadioButton,  // option buttons of a group
    TabItem,      // the home view's feature tabs
    Edit,
    Slider,
    List,
    ListItem,
    ComboBox,
    Progress,
    Text,         // labels
};

// State bits of a node.
enum : uint32_t {
    kAccessFocusable = 1u << 0,
    kAccessFocused = 1u << 1,
    kAccessDisabled = 1u << 2,
    kAccessChecked = 1u << 3,
    kAccessSelected = 1u << 4,
    kAccessSelectable = 1u << 5,
    kAccessInvisible = 1u << 6,
    kAccessPassword = 1u << 7,
    kAccessReadOnly = 1u << 8,
    kAccessExpanded = 1u << 9,
    kAccessCollapsed = 1u << 10,
    kAccessModal = 1u << 11,  // a message box that holds all input now
};

struct DUI_AccessNode {
    // Identity: the control, plus the row for a list item (-1 otherwise).
    // Compared only; dereferenced again only under the scene's lock after
    // DUI_IsLiveControl.
    CDUI_UIControl* control = nullptr;
    int32_t item = -1;
    int parent = -1;            // index in the tree, -1 for the root
    std::vector<int> children;  // indices in the tree
    DUI_AccessRole role = DUI_AccessRole::Pane;
    std::wstring name;
    std::wstring value;         // edits (never a password), combo boxes, sliders as text
    std::wstring action;        // the default action's name; empty: none
    int hasRange = 0;           // sliders and progress bars
    double rangeValue = 0, rangeMinimum = 0, rangeMaximum = 0;
    DUI_Rect rect;              // scene units
    uint32_t state = 0;
    int32_t id = 0;             // the control's id, for dumps
    std::wstring style;         // the control's style name, for dumps
};

struct DUI_AccessTree {
    std::vector<DUI_AccessNode> nodes;  // nodes[0] is the root (the scene)
    // Index of the node with that identity, -1 when it is not in the tree.
    int Find(const CDUI_UIControl* control, int32_t item = -1) const;
    // The focusable nodes in reading order (top to bottom, then left to
    // right); inside the newest modal box only while one is shown.
    std::vector<int> TabOrder() const;
    int ModalRoot() const;  // the shown modal box's node, -1 when none
};

// Builds the tree of the controls shown now under root (normally the scene),
// taking the scene's lock. focused: the keyboard focus, marked focused.
DUI_AccessTree DUI_BuildAccessTree(CDUI_UIControl* root, const CDUI_UIControl* focused);

// Role names for dumps ("button", "check box", ...).
const wchar_t* DUI_AccessRoleName(DUI_AccessRole role);
// One line per node, indented by depth: role "name" [x,y,w,h] states value.
std::wstring DUI_FormatAccessTree(const DUI_AccessTree& tree);

// The short name a control without text is known by (from its style), or
// empty when there is none.
std::wstring DUI_AccessNameForStyle(const std::wstring& style);

// Acting on a node as the user would. Each runs on the window's thread.
// A press is a left click at the centre of the node's rectangle, through the
// scene's own input dispatch: everything a click would do (and nothing a
// click could not, such as pressing under a message box) happens.
int DUI_AccessPress(CDUI_UIControl* scene, CDUI_UIControl* control, int32_t item);
// A slider's value, reported to its page as a drag would.
int DUI_AccessSetRange(CDUI_UIControl* control, double value);
// An edit's text, as if typed (not for read-only edits).
int DUI_AccessSetValue(CDUI_UIControl* control, const std::wstring& text);
// A drop-down opened (1) or closed (0).
int DUI_AccessExpand(CDUI_UIControl* control, int open);
