#include "PtrQueuesCtrl.h"

int CPtrQueuesCtrl::Push(void* item) {
    items_.push_back(item);
    return 1;
}

void* CPtrQueuesCtrl::Pop() {
    if (items_.empty()) return nullptr;
    void* item = items_.front();
    items_.pop_front();
    return item;
}
