#pragma once
// Where a frame's time goes, for the engine's benchmark: time and calls per
// stage, summed while collecting is switched on. Off (the default) a stage
// costs one relaxed atomic load; nothing else changes.
#include <atomic>
#include <chrono>
#include <cstdint>

enum class DUI_RenderStage : int {
    SkinPieces = 0,  // skin rects and images
    Text,            // strings
    Fills,           // clearing, backgrounds, dimming, borders and frames
    FinalCopy,       // the painted pixels into the window's surface
    Present,         // the window system showing the frame
    Count
};

struct DUI_RenderStageFigures {
    uint64_t nanoseconds = 0;
    uint64_t calls = 0;
};

class DUI_RenderStats {
public:
    static DUI_RenderStats& Instance();
    void SetCollecting(bool on) { collecting_.store(on, std::memory_order_relaxed); }
    bool Collecting() const { return collecting_.load(std::memory_order_relaxed); }
    void Reset();
    void Add(DUI_RenderStage stage, uint64_t nanoseconds);
    DUI_RenderStageFigures Get(DUI_RenderStage stage) const;

private:
    std::atomic<bool> collecting_{false};
    std::atomic<uint64_t> ns_[int(DUI_RenderStage::Count)] = {};
    std::atomic<uint64_t> calls_[int(DUI_RenderStage::Count)] = {};
};

// Adds the time of its scope to a stage while collecting is on.
class DUI_StageTimer {
public:
    explicit DUI_StageTimer(DUI_RenderStage stage)
        : stage_(stage), on_(DUI_RenderStats::Instance().Collecting()) {
        if (on_) start_ = std::chrono::steady_clock::now();
    }
    ~DUI_StageTimer() {
        if (on_)
            DUI_RenderStats::Instance().Add(
                stage_, uint64_t(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now() - start_)
                                     .count()));
    }
    DUI_StageTimer(const DUI_StageTimer&) = delete;
    DUI_StageTimer& operator=(const DUI_StageTimer&) = delete;

private:
    DUI_RenderStage stage_;
    bool on_;
    std::chrono::steady_clock::time_point start_{};
};
