#pragma once
// A colour picker on a panel: a saturation/value field (the skin image of
// its style over the pure hue), a vertical hue slider (maximum 360, 360 at
// the top) and a marker. Reports 0xFF000000 | R << 16 | G << 8 | B (4401).
#include <vector>

#include "controls/DUI_KindCommon.h"
#include "controls/DUI_Panel.h"

class CDUI_ColorSelect_Style;
class CDUI_Image;
class CDUI_SliderBar;

class CDUI_ColorSelect : public CDUI_Panel {
public:
    CDUI_ColorSelect(CDUI_UIResource* resource, CDUI_Panel_Style* panelStyle, CDUI_ColorSelect_Style* style,
                     int32_t id);
    ~CDUI_ColorSelect() override { LeaveTreeBeforeDestruction(); }
    void Paint(Gdiplus::Graphics* graphics) override;
    void PaintChildren(Gdiplus::Graphics* graphics) override;
    void OnLayout() override;
    int OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnEvent(const CDUI_EventRecord& event) override;
    CDUI_UIControlStyle* GetStyle() override { return ownStyle_; }
    std::wstring GetKindName() override { return L"ColorSelect"; }

    // h in degrees 0..360, s and v 0..1: moves the hue slider and the marker
    // and, with notify, reports the colour (4401); notify 0 only shows it.
    int SetHSV(float h, float s, float v, int notify = 1);
    // Shows a stored colour exactly: GetColor returns argb | 0xFF000000 (no
    // float round trip), the slider and marker go to its HSV place.
    int SetColor(uint32_t argb, int notify = 1);
    void GetHSV(float* h, float* s, float* v) const;
    uint32_t GetColor() const { return color_; }
    void SetColorCallback(DUI_KindCallback callback, void* user);
    DUI_Rect FieldRect() const { return field_; }
    void GetMarker(int32_t* x, int32_t* y) const;
    CDUI_SliderBar* GetHueSlider() { return slider_; }

private:
    static void OnHueChanged(CDUI_UIControl* control, int32_t value, void* user);
    void Report(int notify = 1);
    // The field's pixels for the current hue and size, made when either changed.
    const std::vector<uint32_t>& FieldPixels();
    CDUI_UIControlStyle* ownStyle_ = nullptr;  // borrowed: the ColorSelect record
    CDUI_Image* image_ = nullptr;              // owned through the child list
    CDUI_SliderBar* slider_ = nullptr;         // owned through the child list
    DUI_Rect field_;
    float hue_ = 0, sat_ = 1, val_ = 1;
    uint32_t color_ = 0xFFFF0000;
    int pickingField_ = 0;
    DUI_KindCallbackEntry callback_;
    std::vector<uint32_t> fieldPixels_;  // rows of field_.width, the top one first
    float fieldHue_ = -1;
    int32_t fieldWidth_ = 0, fieldHeight_ = 0;
};
