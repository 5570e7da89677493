#pragma once
// The button kinds: plain button, push button (toggles), option button
// (one selected per group within a parent) and check box.
#include "controls/DUI_KindCommon.h"
#include "core/DUI_UIControl.h"

class CDUI_Button_Style;
class CDUI_PushButton_Style;
class CDUI_OptionButton_Style;
class CDUI_CheckBox_Style;

// How a button draws its skin rect: stretched over the whole control, or
// centred at the skin size where the control is larger; an optional inner
// frame 5 pixels in.
struct DUI_ButtonDrawing {
    int stretch = 1;
    int innerFrame = 0;
    int third = 1;
    uint32_t innerFrameColor = 0xFF000000;
    int textInset = 0;  // pixels kept clear at the text's left and right
};

// Shared look of the button kinds: a skin rect per state, then the text.
class CDUI_ButtonBase : public CDUI_UIControl {
public:
    CDUI_ButtonBase(CDUI_UIResource* resource, CDUI_UIControlStyle* style, int32_t id);
    ~CDUI_ButtonBase() override { LeaveTreeBeforeDestruction(); }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* graphics) override;
    void OnStateChanged(int32_t oldState) override;
    void OnEnabledChanged() override;
    void OnCheckedChanged() override;

    void SetDrawing(const DUI_ButtonDrawing& drawing);
    DUI_ButtonDrawing GetDrawing() const { return drawing_; }
    // Where the skin rect goes for the current size (stretch or centred).
    DUI_Rect SkinDestination();
    // Picks the source rectangle for the state, checked flag and enabled flag.
    void UpdateLook();

protected:
    virtual DUI_SkinRect LookFor(int32_t state, int checked, int enabled) = 0;
    DUI_ButtonDrawing drawing_;
};

class CDUI_Button : public CDUI_ButtonBase {
public:
    CDUI_Button(CDUI_UIResource* resource, CDUI_Button_Style* style, int32_t id);
    ~CDUI_Button() override { LeaveTreeBeforeDestruction(); }

protected:
    DUI_SkinRect LookFor(int32_t state, int checked, int enabled) override;
};

class CDUI_PushButton : public CDUI_ButtonBase {
public:
    CDUI_PushButton(CDUI_UIResource* resource, CDUI_PushButton_Style* style, int32_t id);
    ~CDUI_PushButton() override { LeaveTreeBeforeDestruction(); }
    int OnClickCommand() override;
    int OnEvent(const CDUI_EventRecord& event) override;
    // With notify, event 4701 with the pushed flag (callback set).
    int SetChecked(int flag, int notify = 1) override;
    // Event 4701 with the pushed flag.
    void SetPushCallback(DUI_KindCallback callback, void* user);

protected:
    DUI_SkinRect LookFor(int32_t state, int checked, int enabled) override;

private:
    DUI_KindCallbackEntry pushCallback_;
};

class CDUI_OptionButton : public CDUI_ButtonBase {
public:
    CDUI_OptionButton(CDUI_UIResource* resource, CDUI_OptionButton_Style* style, int32_t id);
    ~CDUI_OptionButton() override { LeaveTreeBeforeDestruction(); }
    // Selecting clears the other option buttons of the same parent and group.
    // Option buttons report only clicks (32, 20), so notify changes nothing.
    int SetChecked(int flag, int notify = 1) override;
    int OnClickCommand() override;
    void SetGroup(int32_t group);
    int32_t GetGroup() const { return group_; }
    // A selected, deselectable option button is deselected by a click.
    void SetDeselectable(int flag) { deselectable_ = flag ? 1 : 0; }

protected:
    DUI_SkinRect LookFor(int32_t state, int checked, int enabled) override;

private:
    int32_t group_ = 0;
    int deselectable_ = 0;
};

class CDUI_CheckBox : public CDUI_ButtonBase {
public:
    CDUI_CheckBox(CDUI_UIResource* resource, CDUI_CheckBox_Style* style, int32_t id);
    ~CDUI_CheckBox() override { LeaveTreeBeforeDestruction(); }
    // A change fires 601 with notify; notify 0 only shows the flag.
    int SetChecked(int flag, int notify = 1) override;
    int OnClickCommand() override;
    int OnEvent(const CDUI_EventRecord& event) override;
    // Text left (0) or right (2) of the box only.
    int SetTextPlacement(int placement) override;
    void Paint(Gdiplus::Graphics* graphics) override;
    // Event 601 with the checked flag, on every change.
    void SetCheckCallback(DUI_KindCallback callback, void* user);

protected:
    DUI_SkinRect LookFor(int32_t state, int checked, int enabled) override;

private:
    DUI_KindCallbackEntry checkCallback_;
};
