#include "controls/DUI_StandardControls.h"

#include "controls/DUI_Button.h"
#include "controls/DUI_ColorSelect.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_PieChart.h"
#include "controls/DUI_Progress.h"
#include "controls/DUI_ScrollBar.h"
#include "controls/DUI_TextEdit.h"
#include "core/DUI_ControlBuilders.h"
#include "skin/DUI_UIResource.h"

namespace {

template <auto Factory>
CDUI_UIControl* Builder(CDUI_UIResource* r, const std::wstring& s, int32_t id, const std::wstring& t, int32_t x,
                        int32_t y, int32_t w, int32_t h) {
    return (r->*Factory)(id, s, t, x, y, w, h);
}

}  // namespace

int DUI_RegisterStandardControls() {
    DUI_RegisterControlBuilder(L"Button", &Builder<&CDUI_UIResource::CreateButton>);
    DUI_RegisterControlBuilder(L"PushButton", &Builder<&CDUI_UIResource::CreatePushButton>);
    DUI_RegisterControlBuilder(L"OptionButton", &Builder<&CDUI_UIResource::CreateOptionButton>);
    DUI_RegisterControlBuilder(L"CheckBox", &Builder<&CDUI_UIResource::CreateCheckBox>);
    DUI_RegisterControlBuilder(L"Label", &Builder<&CDUI_UIResource::CreateLabel>);
    DUI_RegisterControlBuilder(L"Image", &Builder<&CDUI_UIResource::CreateImage>);
    DUI_RegisterControlBuilder(L"TextEdit", &Builder<&CDUI_UIResource::CreateTextEdit>);
    DUI_RegisterControlBuilder(L"Progress", &Builder<&CDUI_UIResource::CreateProgress>);
    DUI_RegisterControlBuilder(L"PieChart", &Builder<&CDUI_UIResource::CreatePieChart>);
    DUI_RegisterControlBuilder(L"Panel", &Builder<&CDUI_UIResource::CreatePanel>);
    DUI_RegisterControlBuilder(L"ScrollBar", &Builder<&CDUI_UIResource::CreateScrollBar>);
    DUI_RegisterControlBuilder(L"ListBox", &Builder<&CDUI_UIResource::CreateListBox>);
    DUI_RegisterControlBuilder(L"ComboBox", &Builder<&CDUI_UIResource::CreateComboBox>);
    DUI_RegisterControlBuilder(L"ColorSelect", &Builder<&CDUI_UIResource::CreateColorSelect>);
    DUI_RegisterControlBuilder(L"NavigationBar", &Builder<&CDUI_UIResource::CreateNavigationBar>);
    DUI_RegisterControlBuilder(L"MessageBox", &Builder<&CDUI_UIResource::CreateMessageBox>);
    return 1;
}
