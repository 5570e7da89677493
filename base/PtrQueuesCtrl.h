#pragma once
// First-in first-out queue of borrowed pointers (the per-control event queue).
// Not locked: its owner serialises access.
#include <cstddef>
#include <deque>

class CPtrQueuesCtrl {
public:
    virtual ~CPtrQueuesCtrl() = default;
    int Push(void* item);
    // Oldest item, or nullptr when empty.
    void* Pop();
    void* Peek() const { return items_.empty() ? nullptr : items_.front(); }
    // The newest item, or nullptr; used to coalesce repeated events.
    void* Back() const { return items_.empty() ? nullptr : items_.back(); }
    size_t Count() const { return items_.size(); }
    int IsEmpty() const { return items_.empty() ? 1 : 0; }
    void Clear() { items_.clear(); }

private:
    std::deque<void*> items_;
};
