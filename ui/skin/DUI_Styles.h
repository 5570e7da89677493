#pragma once
// Style records of the skin catalogue: one record per style element of the
// description, owned by the skin resource and alive until engine shutdown.
// Controls keep borrowed pointers to them.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A rectangle of the skin image: x = Left, y = Top, width = Right - Left,
// height = Bottom - Top. A rect missing from the description stays zero.
struct DUI_SkinRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Kind and style names hold at most this many characters; longer names are
// cut (the skin must keep its names shorter).
constexpr size_t kDuiStyleNameMax = 49;

class CDUI_UIControlStyle {
public:
    virtual ~CDUI_UIControlStyle() = default;
    std::wstring kindName;   // element name of the kind, e.g. "Button"
    std::wstring styleName;  // the StyleName attribute
};

class CDUI_UIScene_Style : public CDUI_UIControlStyle {};

class CDUI_FontType_Style : public CDUI_UIControlStyle {
public:
    std::wstring fontFamily;  // at most 199 characters
    float fontSize = 0.0f;    // points
    int bold = 0, italic = 0, underline = 0, strikeOut = 0;
    int32_t optimize = 0;
};

class CDUI_Window_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect leftUpCorner, middleUpCorner, rightUpCorner;
    DUI_SkinRect leftDownCorner, middleDownCorner, rightDownCorner;
    DUI_SkinRect leftBorder, rightBorder;
    uint32_t windowBackColor = 0;
    std::wstring icoImage;     // Image style
    std::wstring maxButton;    // Button styles
    std::wstring minButton;
    std::wstring resetButton;
    std::wstring closeButton;
    std::wstring titleLabel;   // Label style
};

class CDUI_Panel_Style : public CDUI_UIControlStyle {
public:
    std::wstring scrollStyleName;  // ScrollBar style
    DUI_SkinRect leftUpCorner, middleUpCorner, rightUpCorner;
    DUI_SkinRect leftDownCorner, middleDownCorner, rightDownCorner;
    DUI_SkinRect leftBorder, rightBorder;
    uint32_t panelBackColor = 0;
};

class CDUI_Button_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect normal, active, pressed, disabled;  // NormalSkinRect .. DisablSkinRect
};

class CDUI_PushButton_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect noPush, noPushActive, push, pushActive, disabled;
};

class CDUI_OptionButton_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect noSelect, activeNoSelect, select, activeSelect;
};

class CDUI_CheckBox_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect noCheck, check, activeNoCheck, activeCheck;
};

class CDUI_Label_Style : public CDUI_UIControlStyle {};
class CDUI_TextEdit_Style : public CDUI_UIControlStyle {};

class CDUI_Image_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect sourceRect;
};

class CDUI_ScrollBar_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect verticalBeforBtn, verticalScrolBtn, verticalAfterBtn, verticalPatteBtn;
    DUI_SkinRect horizontalBeforBtn, horizontalScrolBtn, horizontalAfterBtn, horizontalPatteBtn;
    uint32_t scrollBarBackColor = 0;
};

class CDUI_SliderBar_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect verticalHead, verticalBack, verticalFore, verticalTail, verticalBtn;
    DUI_SkinRect horizontalHead, horizontalBack, horizontalFore, horizontalTail, horizontalBtn;
};

class CDUI_Progress_Style : public CDUI_UIControlStyle {
public:
    DUI_SkinRect backGround, surfaceHead, surfaceBody, surfaceTail;
};

class CDUI_ComboBox_Style : public CDUI_UIControlStyle {
public:
    std::wstring listBoxStyleName;   // ListBox style
    std::wstring textEditStyleName;  // TextEdit style
    DUI_SkinRect normal, active, pressed, disabled;
};

class CDUI_ListBox_Style : public CDUI_UIControlStyle {
public:
    std::wstring scrollStyleName;  // ScrollBar style
};

class CDUI_MessageBox_Style : public CDUI_UIControlStyle {
public:
    std::wstring windowStyleName, buttonStyleName, imageStyleName, labelStyleName;
    uint32_t foreColor = 0, buttonForeColor = 0, labelForeColor = 0;  // ColorParam
    DUI_SkinRect errorIco, exclamationIco, informationIco, questionIco, stopIco, warningIco;
};

class CDUI_ColorSelect_Style : public CDUI_UIControlStyle {
public:
    std::wstring panelStyleName, imageStyleName, sliderBarStyleName;
};

class CDUI_NavigationBar_Style : public CDUI_UIControlStyle {
public:
    std::wstring panelStyleName;
    std::wstring parentPushButton;     // PushButton style for groups
    std::wstring subestOptionButton;   // OptionButton style for leaves
};

class CDUI_PieChart_Style : public CDUI_UIControlStyle {};

// Kinds that no control of this program uses (Dialog, Menu, TreeView, ...):
// kept with their attributes and the attributes of their direct children,
// as raw name/value texts, so a lookup still finds them.
class CDUI_Generic_Style : public CDUI_UIControlStyle {
public:
    std::vector<std::pair<std::wstring, std::wstring>> values;  // "Attr" or "Child.Attr" -> text
};
