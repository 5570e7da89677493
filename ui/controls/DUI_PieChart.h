#pragma once
// Pie slices, each filled with a linear gradient of two colours. Drawing
// mode 1 nests the items (item i inset by i/n of the half size); mode 0 puts
// them side by side round the circle, starting at the top.
#include <vector>

#include "core/DUI_UIControl.h"

class CDUI_PieChart_Style;

struct DUI_PieItem {
    uint32_t color1 = 0xFF000000;
    uint32_t color2 = 0xFF000000;
    float sweep = 0;  // degrees
};

class CDUI_PieChart : public CDUI_UIControl {
public:
    CDUI_PieChart(CDUI_UIResource* resource, CDUI_PieChart_Style* style, int32_t id);
    ~CDUI_PieChart() override { LeaveTreeBeforeDestruction(); }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* graphics) override;

    int AddItem(uint32_t color1, uint32_t color2, float sweep);
    int SetItem(size_t index, uint32_t color1, uint32_t color2, float sweep);
    int ClearItems();
    size_t GetItemCount();
    int SetDrawMode(int mode);
    int GetDrawMode() const { return mode_; }

private:
    std::vector<DUI_PieItem> items_;
    int mode_ = 1;
};
