#pragma once
// A scroll bar: a button at each end, the track (its colour and pattern
// piece) and the thumb. Position 0..total - page; the panel or list that owns
// it reads the position.
#include <functional>

#include "controls/ControlMath.h"
#include "core/DUI_UIControl.h"

class CDUI_ScrollBar_Style;

class CDUI_ScrollBar : public CDUI_UIControl {
public:
    CDUI_ScrollBar(CDUI_UIResource* resource, CDUI_ScrollBar_Style* style, int32_t id);
    ~CDUI_ScrollBar() override { LeaveTreeBeforeDestruction(); }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* graphics) override;
    int OnLButtonDown(int32_t x, int32_t y, WPARAM keys) override;
    int OnLButtonUp(int32_t x, int32_t y, WPARAM keys) override;
    int OnMouseMove(int32_t x, int32_t y, WPARAM keys) override;

    void SetVertical(int flag);
    int IsVertical() const { return vertical_; }
    // Content length, visible length, and the step of one button press.
    void SetRange(int32_t total, int32_t page, int32_t step = 20);
    int SetScrollPosition(int32_t position);
    int32_t GetScrollPosition() const { return position_; }
    int32_t GetTotal() const { return total_; }
    int32_t GetPage() const { return page_; }
    // Called with the new position whenever it changes.
    void SetPositionListener(std::function<void(int32_t)> listener) { listener_ = std::move(listener); }
    // The thumb in scene coordinates (empty when everything fits).
    DUI_Rect ThumbRect();
    // The plain thumb's colour (ARGB) where the skin has no thumb art; the
    // track is the bar's back colour.
    void SetThumbColor(uint32_t argb);

private:
    int32_t ButtonLength();
    int32_t TrackStart();
    int32_t TrackLength();
    int vertical_ = 1;
    int32_t total_ = 0, page_ = 0, position_ = 0, step_ = 20;
    int dragging_ = 0;
    int32_t grabOffset_ = 0;
    uint32_t thumbColor_ = 0xFF505050;
    std::function<void(int32_t)> listener_;
};
