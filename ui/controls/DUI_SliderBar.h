#pragma once
// A slider: head, back and tail pieces, an optional fore piece up to the
// button, and the button, horizontal or vertical. Value 0..maximum.
#include "controls/ControlMath.h"
#include "controls/DUI_KindCommon.h"
#include "core/DUI_UIControl.h"

class CDUI_SliderBar_Style;

class CDUI_SliderBar : public CDUI_UIControl {
public:
    CDUI_SliderBar(CDUI_UIResource* resource, CDUI_SliderBar_Style* style, int32_t id, int32_t orientation,
                   int32_t maximum, int32_t value);
    ~CDUI_SliderBar() override { LeaveTreeBeforeDestruction(); }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* graphics) override;
    void OnLayout() override;
    void OnSizeChanged() override;
    void OnPositionChanged() override;
    int OnLButtonDown(int32_t x, int32_t y, WPARAM keys) override;
    int OnLButtonUp(int32_t x, int32_t y, WPARAM keys) override;
    int OnMouseMove(int32_t x, int32_t y, WPARAM keys) override;
    int OnEvent(const CDUI_EventRecord& event) override;

    // Clamped to 0..maximum; an unchanged value does nothing; else the value
    // is stored, the pieces laid out and, with notify, event 1301 fires
    // (callback set). notify 0: a value shown from code, not reported.
    int SetSliderValue(int32_t value, int notify = 1);
    int32_t GetSliderValue() const { return value_; }
    int32_t GetMaximum() const { return maximum_; }
    int32_t GetOrientation() const { return orientation_; }
    void SetShowFore(int flag);
    void SetShowTrack(int flag);
    // 1301 value, 1302 drag started, 1303 drag ended (value of the moment).
    void SetSliderCallback(DUI_KindCallback callback, void* user);
    SliderPieces GetPieces() const { return pieces_; }
    int IsDraggingButton() const { return draggingButton_; }

private:
    void Relayout();
    DUI_SkinRect Piece(int which);  // 0 head, 1 back, 2 fore, 3 tail, 4 button
    int32_t orientation_ = 0;
    int32_t maximum_ = 100;
    int32_t value_ = 0;
    int showFore_ = 0;
    int showTrack_ = 1;
    int draggingButton_ = 0;
    SliderPieces pieces_;
    DUI_KindCallbackEntry callback_;
};
