#include "RenderStats.h"

DUI_RenderStats& DUI_RenderStats::Instance() {
    static DUI_RenderStats stats;
    return stats;
}

void DUI_RenderStats::Reset() {
    for (int i = 0; i < int(DUI_RenderStage::Count); ++i) {
        ns_[i].store(0, std::memory_order_relaxed);
        calls_[i].store(0, std::memory_order_relaxed);
    }
}

void DUI_RenderStats::Add(DUI_RenderStage stage, uint64_t nanoseconds) {
    const int i = int(stage);
    if (i < 0 || i >= int(DUI_RenderStage::Count)) return;
    ns_[i].fetch_add(nanoseconds, std::memory_order_relaxed);
    calls_[i].fetch_add(1, std::memory_order_relaxed);
}

DUI_RenderStageFigures DUI_RenderStats::Get(DUI_RenderStage stage) const {
    const int i = int(stage);
    if (i < 0 || i >= int(DUI_RenderStage::Count)) return {};
    return {ns_[i].load(std::memory_order_relaxed), calls_[i].load(std::memory_order_relaxed)};
}
