#include "PtrArrayCtrl.h"

#include <algorithm>

int CPtrArrayCtrl::Add(void* item) {
    items_.push_back(item);
    return 1;
}

int CPtrArrayCtrl::InsertAt(size_t index, void* item) {
    if (index > items_.size()) return 0;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), item);
    return 1;
}

int CPtrArrayCtrl::RemoveAt(size_t index) {
    if (index >= items_.size()) return 0;
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    return 1;
}

int CPtrArrayCtrl::Move(size_t from, size_t to) {
    if (from >= items_.size() || to >= items_.size()) return 0;
    void* item = items_[from];
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(from));
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(to), item);
    return 1;
}

long CPtrArrayCtrl::Find(const void* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<long>(it - items_.begin());
}

void CPtrArrayCtrl::Sort(Compare compare) {
    std::stable_sort(items_.begin(), items_.end(),
                     [compare](void* a, void* b) { return compare(a, b) < 0; });
}
