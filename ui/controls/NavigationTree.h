#pragma once
// The node tree behind the navigation bar: groups that open and close, leaves
// that are selected. Node ids are unique in one tree.
#include <memory>
#include <string>
#include <vector>

struct NavigationNode {
    int id = 0;
    std::wstring text;  // at most 199 characters
    int value = 0;
    int value2 = 0;
    NavigationNode* parent = nullptr;  // borrowed; null for top-level nodes
    int open = 0;
    std::vector<std::unique_ptr<NavigationNode>> children;
    void* button = nullptr;  // borrowed: the control that shows the node
    bool IsGroup() const { return !children.empty(); }
};

class NavigationTree {
public:
    // Appends a node under parent (null = top level). Fails (null) when the
    // id is taken or parent is not a node of this tree.
    NavigationNode* AddNode(const std::wstring& text, NavigationNode* parent, int id, int value, int value2);
    NavigationNode* Find(int id) const;
    // Top-level nodes and, under every open group, its children, depth first.
    struct Row {
        NavigationNode* node;
        int depth;
    };
    std::vector<Row> VisibleRows() const;
    // Toggles a group's open flag; 0 for leaves and unknown ids.
    int Toggle(int id);
    void Clear() { m_roots.clear(); }
    const std::vector<std::unique_ptr<NavigationNode>>& Roots() const { return m_roots; }

private:
    bool Owns(const NavigationNode* node) const;
    std::vector<std::unique_ptr<NavigationNode>> m_roots;
};
