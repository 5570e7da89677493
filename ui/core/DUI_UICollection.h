#pragma once
// A control that owns an ordered list of children: ascending layer, equal
// layers in insertion order. Painting and dispatch walk the list (painting
// first to last, dispatch last to first, so the topmost layer wins).
#include <vector>

#include "core/DUI_UIControl.h"

class CDUI_UICollection : public CDUI_UIControl {
public:
    CDUI_UICollection(CDUI_UIResource* resource, CDUI_UIControlStyle* style, int32_t id = 0);
    ~CDUI_UICollection() override;

    int AttachToParent(CDUI_UIControl* parent) override;
    void ReleaseResources() override;  // releases and deletes the children
    int IsCollection() override { return 1; }
    int SetCursor(HCURSOR cursor) override;  // children too
    int SetFont(CDUI_FontType* font) override;  // children too
    void Tick() override;
    void UpdateLayout() override;
    void PaintChildren(Gdiplus::Graphics* graphics) override;
    // Offers the message to the children first (topmost down); kinds that
    // override it call this one unless they keep messages from their children.
    int OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Takes ownership; inserts before the first child with a greater layer.
    int AddChild(CDUI_UIControl* child);
    // Detaches every child under the lock; with deleteChildren 1 then releases
    // and deletes them (outside the lock unless the caller holds it).
    int RemoveAllChildren(int deleteChildren);
    // Detaches one child without deleting it (ownership goes to the caller).
    int RemoveChild(CDUI_UIControl* child);
    // Releases and deletes every child.
    int DeleteChildren();
    // Detaches one child under the lock, then releases and deletes it (Destroy).
    int DestroyChild(CDUI_UIControl* child);
    // Moves child to its place after its layer changed.
    int ResortChild(CDUI_UIControl* child);

    // Snapshot of the children in list order (borrowed pointers).
    std::vector<CDUI_UIControl*> GetChildren();
    size_t GetChildCount();
    CDUI_UIControl* GetChildAt(size_t index);
    CDUI_UIControl* FindChildById(int32_t id);

    // Collection dispatch: children from the topmost down; 1 when one took it.
    int DispatchToChildren(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    std::vector<CDUI_UIControl*> children_;  // owned
};
