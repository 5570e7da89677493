#pragma once
// Text with the control's font, colour, alignment and trimming.
#include "core/DUI_UIControl.h"

class CDUI_Label_Style;

class CDUI_Label : public CDUI_UIControl {
public:
    CDUI_Label(CDUI_UIResource* resource, CDUI_Label_Style* style, int32_t id);
    ~CDUI_Label() override { LeaveTreeBeforeDestruction(); }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* graphics) override;
};
