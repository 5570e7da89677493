#include "NavigationTree.h"

#include <algorithm>

namespace {

NavigationNode* FindIn(const std::vector<std::unique_ptr<NavigationNode>>& list, int id) {
    for (const auto& n : list) {
        if (n->id == id) return n.get();
        if (NavigationNode* found = FindIn(n->children, id)) return found;
    }
    return nullptr;
}

NavigationNode* FindValueIn(const std::vector<std::unique_ptr<NavigationNode>>& list, int value) {
    for (const auto& n : list) {
        if (n->value == value) return n.get();
        if (NavigationNode* found = FindValueIn(n->children, value)) return found;
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

void CollectAll(const std::vector<std::unique_ptr<NavigationNode>>& list, std::vector<NavigationNode*>* out) {
    for (const auto& n : list) {
        out->push_back(n.get());
        CollectAll(n->children, out);
    }
}

std::unique_ptr<NavigationNode> MakeNode(const std::wstring& text, NavigationNode* parent, int id, int value,
                                         int value2, int group) {
    auto node = std::make_unique<NavigationNode>();
    node->id = id;
    node->text = text.substr(0, NavigationTree::kMaxText);
    node->value = value;
    node->value2 = value2;
    node->parent = parent;
    node->group = group ? 1 : 0;
    return node;
}

}  // namespace

bool NavigationTree::Owns(const NavigationNode* node) const { return node && FindIn(m_roots, node->id) == node; }

std::vector<std::unique_ptr<NavigationNode>>& NavigationTree::SiblingsOf(NavigationNode* node) {
    return node->parent ? node->parent->children : m_roots;
}

NavigationNode* NavigationTree::AddNode(const std::wstring& text, NavigationNode* parent, int id, int value,
                                        int value2, int group) {
    if (Find(id)) return nullptr;
    if (parent && !Owns(parent)) return nullptr;
    auto node = MakeNode(text, parent, id, value, value2, group);
    NavigationNode* raw = node.get();
    if (parent) parent->group = 1;
    (parent ? parent->children : m_roots).push_back(std::move(node));
    return raw;
}

NavigationNode* NavigationTree::InsertBefore(const std::wstring& text, int beforeId, int id, int value, int value2,
                                             int group) {
    NavigationNode* before = Find(beforeId);
    if (!before || Find(id)) return nullptr;
    auto& siblings = SiblingsOf(before);
    auto at = std::find_if(siblings.begin(), siblings.end(), [&](const auto& n) { return n.get() == before; });
    auto node = MakeNode(text, before->parent, id, value, value2, group);
    NavigationNode* raw = node.get();
    siblings.insert(at, std::move(node));
    return raw;
}

std::unique_ptr<NavigationNode> NavigationTree::Remove(int id) {
    NavigationNode* node = Find(id);
    if (!node) return nullptr;
    auto& siblings = SiblingsOf(node);
    auto at = std::find_if(siblings.begin(), siblings.end(), [&](const auto& n) { return n.get() == node; });
    std::unique_ptr<NavigationNode> taken = std::move(*at);
    siblings.erase(at);
    taken->parent = nullptr;
    return taken;
}

NavigationNode* NavigationTree::Find(int id) const { return FindIn(m_roots, id); }

NavigationNode* NavigationTree::FindByValue(int value) const { return FindValueIn(m_roots, value); }

int NavigationTree::SetText(int id, const std::wstring& text) {
    NavigationNode* node = Find(id);
    if (!node) return 0;
    node->text = text.substr(0, kMaxText);
    return 1;
}

int NavigationTree::SetOpen(int id, int open) {
    NavigationNode* node = Find(id);
    if (!node || !node->IsGroup()) return 0;
    node->open = open ? 1 : 0;
    return 1;
}

std::vector<NavigationTree::Row> NavigationTree::VisibleRows() const {
    std::vector<Row> rows;
    Collect(m_roots, 0, &rows);
    return rows;
}

std::vector<NavigationNode*> NavigationTree::AllNodes() const {
    std::vector<NavigationNode*> all;
    CollectAll(m_roots, &all);
    return all;
}

int NavigationTree::Toggle(int id) {
    NavigationNode* node = Find(id);
    if (!node || !node->IsGroup()) return 0;
    node->open = node->open ? 0 : 1;
    return 1;
}
