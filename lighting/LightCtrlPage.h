#pragma once
// The lighting page: the theme list ("推荐主题", "我的主题" and "＋"), the
// editor of the current theme, and applying themes to the controller.
//
// The editor writes straight into the current theme's record (memory only)
// when the user changes a control; showing a theme sets the controls
// silently, so looking at a theme never changes it. The current theme is
// held by record number and looked up in the list model, so a rebuilt list
// never leaves the editor on a freed record.
#include <cstdint>
#include <optional>
#include <string>

#include "ClientPages.h"
#include "LightThemeListModel.h"
#include "LightThemeMath.h"

class CDUI_UIControl;
class CDUI_Panel;
class CDUI_Label;
class CDUI_Image;
class CDUI_Button;
class CDUI_CheckBox;
class CDUI_SliderBar;
class CDUI_ComboBox;
class CDUI_ColorSelect;
class CDUI_NavigationBar;
class CDUI_TextEdit;
class CDUI_MessageBox;
struct CDUI_EventRecord;
struct NavigationNode;

class CLightCtrlPage : public IClientPage, public ILightPageLink {
public:
    // All three borrowed; they outlive the page.
    CLightCtrlPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
    ~CLightCtrlPage() override;
    CLightCtrlPage(const CLightCtrlPage&) = delete;
    CLightCtrlPage& operator=(const CLightCtrlPage&) = delete;

    // IClientPage
    int Create() override;
    void Show() override;
    void Hide() override;
    void Shutdown() override;

    // ILightPageLink
    int ApplyThemeByName(const std::wstring& name) override;
    int GetLightSelectText(std::wstring* text) override;
    void ReloadThemeList() override;

    // The theme in the editor, or nullptr.
    LightThemeRecord* CurrentTheme() const;
    const CLightThemeListModel& Model() const { return model_; }

private:
    // Building the page.
    int BuildControls();
    CDUI_Panel* MakeCard(int32_t x, int32_t y, int32_t width, int32_t height, const wchar_t* heading);
    CDUI_Label* MakeText(CDUI_Panel* parent, const std::wstring& text, int32_t x, int32_t y, int32_t width,
                         int32_t height, const wchar_t* font, uint32_t color);
    CDUI_Button* MakeButton(CDUI_Panel* parent, int32_t id, const wchar_t* style, const wchar_t* text, int32_t x,
                            int32_t y, int32_t width, int32_t height, uint32_t textColor);
    // The input look: raised surface, frame, primary text.
    void FillChoices(CDUI_ComboBox* combo, const LightChoice* choices, size_t count);

    // The Part's operations.
    void ShowTheme(LightThemeRecord* theme);
    void ResetEditor();
    void ShowColorFigures(const LightHsv& hsv, const LightRgb& rgb);
    void ShowChoice(CDUI_ComboBox* combo, const LightChoice* choices, size_t count, int32_t value);
    static constexpr int kIconError = 1;
    static constexpr int kIconInformation = 3;
    void ShowMessage(const std::wstring& text, int icon = kIconInformation);
    void AddUserTheme();
    // Name from the title edit, then the store; 0 when it could not be
    // written, with the name put back in the record and the editor.
    int SaveTheme(LightThemeRecord* theme);
    void OnSave();
    void OnApply();
    void OnDelete();
    void OnDeleteAnswer(int result);
    void OnDefault();
    void OnEdit();
    std::wstring TitleText();
    // Renames the theme's list item; 1 when the list took the text.
    int RenameItem(const LightThemeRecord& theme);

    // Editor events.
    void OnItemSelected(int32_t itemId);
    void OnColorPicked();
    void OnSwitchChanged(int checked);
    void OnBrightnessChanged(int32_t value);
    void OnModeChanged(int32_t index);
    void OnIntervalChanged(int32_t index);

    static void OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);

    CDUI_UIResource* resource_ = nullptr;  // borrowed
    CDUI_UIScene* scene_ = nullptr;        // borrowed
    IClientHost* host_ = nullptr;          // borrowed

    // Controls: owned through the child lists of the window control.
    CDUI_Panel* root_ = nullptr;
    CDUI_NavigationBar* list_ = nullptr;
    CDUI_ColorSelect* picker_ = nullptr;
    CDUI_Label* figures_[6] = {};
    CDUI_Image* preview_ = nullptr;
    CDUI_Label* previewLabel_ = nullptr;
    CDUI_CheckBox* switch_ = nullptr;
    CDUI_SliderBar* brightness_ = nullptr;
    CDUI_Label* brightnessText_ = nullptr;
    CDUI_ComboBox* mode_ = nullptr;
    CDUI_ComboBox* interval_ = nullptr;
    CDUI_TextEdit* title_ = nullptr;
    CDUI_Button* editButton_ = nullptr;
    CDUI_Button* deleteButton_ = nullptr;
    CDUI_Button* defaultButton_ = nullptr;
    CDUI_Button* saveButton_ = nullptr;
    CDUI_Button* applyButton_ = nullptr;
    CDUI_Button* returnButton_ = nullptr;
    CDUI_MessageBox* messageBox_ = nullptr;

    CLightThemeListModel model_;
    std::optional<int32_t> current_;        // record number of the theme in the editor
    std::optional<int32_t> pendingDelete_;  // record number the open delete question is about
    int showing_ = 0;  // the editor is being filled from a record, not by the user
};
