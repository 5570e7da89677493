#pragma once
// The engine's message box: a window of the style's window style with an
// icon, a text and up to seven buttons ("确定", "取消", "是", "否", "终止",
// "重试", "忽略" = results 0 to 6). ShowMessage lays it out by the size rules
// and shows it; pressing a button or closing it hides it and reports the
// result (2501).
#include <string>

#include "controls/DUI_KindCommon.h"
#include "controls/MessageBoxRules.h"
#include "scene/DUI_Window.h"

class CDUI_MessageBox_Style;
class CDUI_Button;
class CDUI_Image;
class CDUI_Label;

class CDUI_MessageBox : public CDUI_Window {
public:
    CDUI_MessageBox(CDUI_UIResource* resource, CDUI_Window_Style* windowStyle, CDUI_MessageBox_Style* style,
                    int32_t id);
    ~CDUI_MessageBox() override { LeaveTreeBeforeDestruction(); }
    int OnEvent(const CDUI_EventRecord& event) override;
    CDUI_UIControlStyle* GetStyle() override { return ownStyle_; }
    std::wstring GetKindName() override { return L"MessageBox"; }

    // iconType 0 none, 1..6 error, exclamation, information, question, stop,
    // warning; buttonType 1..6 as in MessageBoxVisibleButtons.
    // While shown the box is modal in its scene (on top, the rest dimmed and
    // deaf to input) unless SetModal(0) was called.
    int ShowMessage(const std::wstring& text, int iconType, int buttonType);
    void SetModal(int flag);
    int GetModal() const { return modal_; }
    void OnVisibleChanged() override;
    int GetResult() const { return result_; }
    // The text colour of all seven buttons at once.
    void SetButtonTextColor(uint32_t argb);
    void SetLabelTextColor(uint32_t argb);
    // Event 2501 with the result.
    void SetResultCallback(DUI_KindCallback callback, void* user);
    CDUI_Button* GetButton(int which) { return which >= 0 && which < kMsgButtonCount ? buttons_[which] : nullptr; }
    CDUI_Image* GetIcon(int type) { return type >= 1 && type <= 6 ? icons_[type - 1] : nullptr; }
    CDUI_Label* GetLabel() { return label_; }

private:
    static void OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    static void OnHidden(CDUI_Window* window, int byClose, void* user);
    CDUI_UIControlStyle* ownStyle_ = nullptr;     // borrowed: the MessageBox record
    CDUI_Button* buttons_[kMsgButtonCount] = {};  // owned through the child list
    CDUI_Image* icons_[6] = {};                   // owned through the child list
    CDUI_Label* label_ = nullptr;                 // owned through the child list
    int buttonType_ = 2;
    int result_ = 0;
    int pressed_ = 0;  // a button set the result before the hide
    int modal_ = 1;
    DUI_KindCallbackEntry callback_;
};
