#include "NavigationTree.h"

namespace {

NavigationNode* FindIn(const std::vector<std::unique_ptr<NavigationNode>>& list, int id) {
    for (const auto& n : list) {
        if (n->id == id) return n.get();
        if (NavigationNode* found = FindIn(n->children, id)) return found;
    }
    return nullptr;
}

void Collect(const std::vector<std::unique_ptr<NavigationNode>>& list, int depth,
             std::vector<NavigationTree::Row>* rows) {
    for (const auto& n : list) {
        rows->push_back({n.get(), depth});
        if (n->open) Collect(n->children, depth + 1, rows);
    }
}

}  // namespace

bool NavigationTree::Owns(const NavigationNode* node) const { return node && FindIn(m_roots, node->id) == node; }

NavigationNode* NavigationTree::AddNode(const std::wstring& text, NavigationNode* parent, int id, int value,
                                        int value2) {
    if (Find(id)) return nullptr;
    if (parent && !Owns(parent)) return nullptr;
    auto node = std::make_unique<NavigationNode>();
    node->id = id;
    node->text = text.substr(0, 199);
    node->value = value;
    node->value2 = value2;
    node->parent = parent;
    NavigationNode* raw = node.get();
    (parent ? parent->children : m_roots).push_back(std::move(node));
    return raw;
}

NavigationNode* NavigationTree::Find(int id) const { return FindIn(m_roots, id); }

std::vector<NavigationTree::Row> NavigationTree::VisibleRows() const {
    std::vector<Row> rows;
    Collect(m_roots, 0, &rows);
    return rows;
}

int NavigationTree::Toggle(int id) {
    NavigationNode* node = Find(id);
    if (!node || !node->IsGroup()) return 0;
    node->open = node->open ? 0 : 1;
    return 1;
}
