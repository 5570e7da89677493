#pragma once
// Growable array of borrowed pointers with positional edits, used inside the
// UI engine for child lists.
#include <cstddef>
#include <vector>

class CPtrArrayCtrl {
public:
    // Negative, zero or positive like strcmp.
    using Compare = int (*)(const void* a, const void* b);

    virtual ~CPtrArrayCtrl() = default;
    int Add(void* item);
    // index may equal Count() to append; larger indexes fail.
    int InsertAt(size_t index, void* item);
    int RemoveAt(size_t index);
    // Moves the item at from so that it ends up at index to.
    int Move(size_t from, size_t to);
    // Index of the first occurrence, or -1.
    long Find(const void* item) const;
    // Stable, so equal items keep their order.
    void Sort(Compare compare);
    void* GetAt(size_t index) const { return index < items_.size() ? items_[index] : nullptr; }
    size_t Count() const { return items_.size(); }
    void RemoveAll() { items_.clear(); }

private:
    std::vector<void*> items_;
};
