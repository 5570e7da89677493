#pragma once
// A framed area holding children. With scrolling on, the children sit
// relative to the content origin (position minus the scroll offsets) and two
// scroll bars move them. Children are clipped to the panel inset by 2 pixels
// and see no mouse message whose point lies outside the panel.
#include <memory>

#include "core/DUI_UICollection.h"

class CDUI_Panel_Style;
class CDUI_ScrollBar;

class CDUI_Panel : public CDUI_UICollection {
public:
    CDUI_Panel(CDUI_UIResource* resource, CDUI_Panel_Style* style, int32_t id);
    ~CDUI_Panel() override;
    void ReleaseResources() override;
    void Paint(Gdiplus::Graphics* graphics) override;
    void PaintChildren(Gdiplus::Graphics* graphics) override;
    void GetContentOrigin(int32_t* x, int32_t* y) override;
    int OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnLayout() override;

    // Scrolling over a content area of the given size (0 turns it off).
    int SetScrolling(int enable, int32_t contentWidth = 0, int32_t contentHeight = 0);
    // Changes the content size keeping the scroll offset (clamped to it).
    int SetContentSize(int32_t contentWidth, int32_t contentHeight);
    void GetContentSize(int32_t* width, int32_t* height) const;
    // Pixels one wheel notch scrolls (40).
    void SetWheelStep(int32_t pixels) { wheelStep_ = pixels > 0 ? pixels : 40; }
    int GetScrolling() const { return scrolling_; }
    int SetScrollOffset(int32_t x, int32_t y);
    void GetScrollOffset(int32_t* x, int32_t* y) const;
    CDUI_ScrollBar* GetVerticalBar() { return vbar_.get(); }
    CDUI_ScrollBar* GetHorizontalBar() { return hbar_.get(); }
    // The rectangle children are clipped to (the panel inset by 2).
    DUI_Rect ChildArea();

private:
    void LayoutBars();
    int scrolling_ = 0;
    int32_t contentWidth_ = 0, contentHeight_ = 0;
    int32_t scrollX_ = 0, scrollY_ = 0;
    int32_t wheelStep_ = 40;
    int wheelRemainder_ = 0;  // wheel movement below one pixel, kept for the next message
    std::unique_ptr<CDUI_ScrollBar> vbar_, hbar_;  // owned, outside the child list
};
