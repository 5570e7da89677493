#pragma once
// A bar of background, head, body (proportional to the value) and tail, with
// the text, if any, drawn over it.
#include "controls/ControlMath.h"
#include "core/DUI_UIControl.h"

class CDUI_Progress_Style;

class CDUI_Progress : public CDUI_UIControl {
public:
    CDUI_Progress(CDUI_UIResource* resource, CDUI_Progress_Style* style, int32_t id);
    ~CDUI_Progress() override { LeaveTreeBeforeDestruction(); }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* graphics) override;
    void OnLayout() override;
    void OnSizeChanged() override;
    void OnPositionChanged() override;

    // value = min(maximum, value), compared unsigned. A progress bar has no
    // value event of its own, so notify changes nothing today; it is there so
    // every value setter reads alike (SetProgress(v, 0) = show only).
    int SetProgress(uint32_t value, int notify = 1);
    uint32_t GetProgress() const { return value_; }
    int SetMaximum(uint32_t maximum);
    uint32_t GetMaximum() const { return maximum_; }
    ProgressPieces GetPieces() const { return pieces_; }

private:
    void Relayout();
    uint32_t maximum_ = 100;
    uint32_t value_ = 0;
    ProgressPieces pieces_;
};
