#pragma once
// The node tree behind the navigation bar: groups that open and close, leaves
// that are selected. Node ids are unique in one tree and belong to the tree;
// whatever the page wants to find again (a record number) goes into value
// and value2.
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
    // Made a group (or given a child once): stays a group with no children.
    int group = 0;
    std::vector<std::unique_ptr<NavigationNode>> children;
    void* button = nullptr;  // borrowed: the control that shows the node
    bool IsGroup() const { return group != 0 || !children.empty(); }
};

class NavigationTree {
public:
    static constexpr size_t kMaxText = 199;

    // Appends a node under parent (null = top level); group 1 makes it a group
    // from the start. Fails (null) when the id is taken or parent is not a
    // node of this tree. A parent becomes a group for good.
    NavigationNode* AddNode(const std::wstring& text, NavigationNode* parent, int id, int value, int value2,
                            int group = 0);
    // Inserts a node just before the node beforeId, under the same parent.
    // Fails (null) when id is taken or beforeId is unknown.
    NavigationNode* InsertBefore(const std::wstring& text, int beforeId, int id, int value, int value2,
                                 int group = 0);
    // Takes the node and its subtree out of the tree; null for unknown ids.
    std::unique_ptr<NavigationNode> Remove(int id);
    NavigationNode* Find(int id) const;
    // The first node, depth first, whose value is value.
    NavigationNode* FindByValue(int value) const;
    int SetText(int id, const std::wstring& text);
    // Opens (1) or closes (0) a group; 0 for leaves and unknown ids.
    int SetOpen(int id, int open);
    // Top-level nodes and, under every open group, its children, depth first.
    struct Row {
        NavigationNode* node;
        int depth;
    };
    std::vector<Row> VisibleRows() const;
    // Every node, depth first (open or not).
    std::vector<NavigationNode*> AllNodes() const;
    // Toggles a group's open flag; 0 for leaves and unknown ids.
    int Toggle(int id);
    void Clear() { m_roots.clear(); }
    size_t Size() const { return AllNodes().size(); }
    const std::vector<std::unique_ptr<NavigationNode>>& Roots() const { return m_roots; }

private:
    bool Owns(const NavigationNode* node) const;
    std::vector<std::unique_ptr<NavigationNode>>& SiblingsOf(NavigationNode* node);
    std::vector<std::unique_ptr<NavigationNode>> m_roots;
};
