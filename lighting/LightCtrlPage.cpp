#include "LightCtrlPage.h"

#include "ApplicationConfigFile.h"
#include "LightThemeSender.h"
#include "ProductSkinSizes.h"
#include "OVSystemConfig.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_ColorSelect.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_SliderBar.h"
#include "controls/DUI_TextEdit.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"
#include "PageControls.h"
#include "PageFrame.h"
#include "PageLook.h"

namespace {

// Control ids of the page (the window control's children use their own range).
enum : int32_t {
    kRootId = 4200,
    kListId,
    kPickerId,
    kPreviewId,
    kPreviewLabelId,
    kSwitchId,
    kBrightnessId,
    kModeId,
    kIntervalId,
    kTitleId,
    kEditId,
    kDeleteId,
    kDefaultId,
    kSaveId,
    kApplyId,
    kReturnId,
    kMessageBoxId,
    kDecorationId = 4300,  // cards and texts that are never looked up
};

// The page's frame: header row, left column, editing area of cards.
// The shared page frame: header row, left column, cards.
constexpr int32_t kPageTop = pageframe::kPage.y;
constexpr int32_t kPageWidth = pageframe::kPage.width, kPageHeight = pageframe::kPage.height;
constexpr int32_t kMargin = pageframe::kMargin, kPadding = pageframe::kPadding, kGap = pageframe::kCardGap;
constexpr int32_t kCardTop = pageframe::kCardTop;
constexpr int32_t kHeadingHeight = 26;
constexpr int32_t kContentTop = 48;  // first row under a card's heading
constexpr int32_t kListWidth = pageframe::kListWidth;
constexpr int32_t kColumnWidth = pageframe::kColumnWidth;
constexpr int32_t kEditorLeft = pageframe::kEditorLeft;
constexpr int32_t kEditorWidth = pageframe::kEditorWidth;
constexpr int32_t kThemeCardHeight = 100;
constexpr int32_t kThemeCardTop = kPageHeight - kMargin - kThemeCardHeight;
constexpr int32_t kCardHeight = kThemeCardTop - kGap - kCardTop;
constexpr int32_t kColorCardWidth = 620;
constexpr int32_t kEffectCardWidth = kEditorWidth - kColorCardWidth - kGap;
constexpr int32_t kPickerSize = 400;
constexpr int32_t kRowHeight = 36;

const wchar_t* const kFigureNames[6] = {L"色相", L"饱和度", L"亮度", L"红", L"绿", L"蓝"};

std::wstring Figure(int value) { return std::to_wstring(value); }

}  // namespace

CLightCtrlPage::CLightCtrlPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host)
    : resource_(resource), scene_(scene), host_(host) {}

CLightCtrlPage::~CLightCtrlPage() = default;

// ---------------------------------------------------------------- building

int CLightCtrlPage::Create() {
    if (!resource_ || !host_ || !host_->WindowControl()) return 0;
    if (!BuildControls()) return 0;
    ReloadThemeList();
    return 1;
}

CDUI_Panel* CLightCtrlPage::MakeCard(int32_t x, int32_t y, int32_t width, int32_t height, const wchar_t* heading) {
    CDUI_Panel* card = resource_->CreatePanel(kDecorationId, L"OVPanel", L"", x, y, width, height);
    if (!card) return nullptr;
    card->SetBackColor(pagelook::kCard);
    card->SetTransparent(0);
    card->SetBorder(1);
    card->SetBorderColors(pagelook::kHairline, pagelook::kCard);
    root_->AddChild(card);
    if (heading) MakeText(card, heading, kPadding, 10, width - 2 * kPadding, kHeadingHeight, L"yahei14", pagelook::kText);
    return card;
}

CDUI_Label* CLightCtrlPage::MakeText(CDUI_Panel* parent, const std::wstring& text, int32_t x, int32_t y,
                                     int32_t width, int32_t height, const wchar_t* font, uint32_t color) {
    CDUI_Label* label = resource_->CreateLabel(kDecorationId, L"OVLabel", text, x, y, width, height);
    if (!label) return nullptr;
    if (CDUI_FontType* f = resource_->FindFont(font)) label->SetFont(f);
    label->SetTextColor(color);
    label->SetTransparent(1);
    label->SetBorder(0);
    label->SetAlignment(1 | 16);  // near, vertically centred
    parent->AddChild(label);
    return label;
}

CDUI_Button* CLightCtrlPage::MakeButton(CDUI_Panel* parent, int32_t id, const wchar_t* style, const wchar_t* text,
                                        int32_t x, int32_t y, int32_t width, int32_t height, uint32_t textColor) {
    CDUI_Button* button = resource_->CreateButton(id, style, text, x, y, width, height);
    // A skin without the page's own plate still gets a working button.
    if (!button) button = resource_->CreateButton(id, L"OVButton", text, x, y, width, height);
    if (!button) return nullptr;
    if (CDUI_FontType* f = resource_->FindFont(L"yahei12")) button->SetFont(f);
    button->SetTransparent(1);  // the plates have clear corners
    button->SetBorder(0);
    button->SetTextColor(textColor);
    button->SetAlignment(2 | 16);  // centred
    button->SetEventCallback(DUI_EVT_CLICKED, &CLightCtrlPage::OnButtonClicked, this);
    parent->AddChild(button);
    return button;
}

void CLightCtrlPage::FillChoices(CDUI_ComboBox* combo, const LightChoice* choices, size_t count) {
    combo->ClearItems();
    for (size_t i = 0; i < count; ++i) combo->AddItem(choices[i].text, choices[i].value, L"");
}

int CLightCtrlPage::BuildControls() {
    using namespace ventaro_skin;
    CDUI_Window* window = host_->WindowControl();
    root_ = resource_->CreatePanel(kRootId, L"OVPanel", L"", 0, kPageTop, kPageWidth, kPageHeight);
    if (!root_) return 0;
    root_->SetTransparent(1);
    root_->SetBorder(0);
    root_->SetVisible(0);
    window->AddChild(root_);

    // Header row: the return button and the page title.
    constexpr pageframe::Box back = pageframe::kReturnButton, title = pageframe::kTitle;
    returnButton_ = MakeButton(root_, kReturnId, L"LightReturnButton", L"返回", back.x, back.y, back.width,
                               back.height, pagelook::kText);
    MakeText(root_, L"灯光", title.x, title.y, title.width, title.height, L"yahei20", pagelook::kText);

    // Left column: the theme list.
    const int32_t columnHeight = pageframe::kColumn.height;
    CDUI_Panel* column = MakeCard(pageframe::kColumn.x, pageframe::kColumn.y, kColumnWidth, columnHeight, L"主题");
    list_ = resource_->CreateNavigationBar(kListId, L"OVNavigationBar", L"", kPadding, kContentTop, kListWidth,
                                           columnHeight - kContentTop - kPadding);
    if (!column || !list_) return 0;
    list_->SetBackColor(pagelook::kCard);
    list_->SetTransparent(0);
    list_->SetBorder(0);
    // Both row kinds in yahei14, not yahei20 for the group rows: every row
    // takes the taller font's height, so yahei20 would push two or three
    // themes out of the column, and the group rows would outsize the card's
    // own heading ("主题", yahei14). The groups stand apart by their colour
    // and their arrow instead.
    if (CDUI_FontType* f = resource_->FindFont(L"yahei14")) list_->SetFont(f);
    list_->SetNodeFonts(resource_->FindFont(L"yahei14"), resource_->FindFont(L"yahei14"));
    list_->SetNodeTextColors(pagelook::kSecondaryText, pagelook::kText);
    pagelook::StyleScrollBar(list_->GetVerticalBar());
    list_->SetSelectCallback(
        [](CDUI_NavigationBar*, int32_t id, const std::wstring&, int32_t, NavigationNode*, int, void* user) {
            static_cast<CLightCtrlPage*>(user)->OnItemSelected(id);
        },
        this);
    column->AddChild(list_);

    // Colour card: picker, the six figures and the two previews.
    CDUI_Panel* colors = MakeCard(kEditorLeft, kCardTop, kColorCardWidth, kCardHeight, L"颜色");
    picker_ = resource_->CreateColorSelect(kPickerId, L"OVColorSelect", L"", kPadding, kContentTop, kPickerSize,
                                           kPickerSize);
    if (!colors || !picker_) return 0;
    picker_->SetColorCallback([](CDUI_UIControl*, int32_t, void* user) { static_cast<CLightCtrlPage*>(user)->OnColorPicked(); },
                              this);
    colors->AddChild(picker_);
    const int32_t figureX = kPadding + kPickerSize + kGap;
    for (int i = 0; i < 6; ++i) {
        const int32_t y = kContentTop + i * kRowHeight;
        MakeText(colors, kFigureNames[i], figureX, y, 72, 28, L"yahei12", pagelook::kSecondaryText);
        figures_[i] = MakeText(colors, L"0", figureX + 80, y, 80, 28, L"yahei9", pagelook::kText);
        if (!figures_[i]) return 0;
    }
    const int32_t previewY = kContentTop + 6 * kRowHeight + 12;
    MakeText(colors, L"预览", figureX, previewY, 72, 28, L"yahei12", pagelook::kSecondaryText);
    preview_ = resource_->CreateImage(kPreviewId, L"OVImage", L"", figureX, previewY + 36, 104, 64);
    previewLabel_ = resource_->CreateLabel(kPreviewLabelId, L"OVLabel", L"", figureX + 104 + 12, previewY + 36, 36, 64);
    if (!preview_ || !previewLabel_) return 0;
    for (CDUI_UIControl* swatch : {static_cast<CDUI_UIControl*>(preview_), static_cast<CDUI_UIControl*>(previewLabel_)}) {
        swatch->SetTransparent(0);
        swatch->SetBorder(1);
        swatch->SetBorderColors(pagelook::kHairline, pagelook::kHairline);
        colors->AddChild(swatch);
    }

    // Effect card: switch, brightness, mode and interval.
    CDUI_Panel* effects =
        MakeCard(kEditorLeft + kColorCardWidth + kGap, kCardTop, kEffectCardWidth, kCardHeight, L"灯效");
    if (!effects) return 0;
    const int32_t fieldX = kPadding + 64, fieldWidth = kEffectCardWidth - fieldX - kPadding;
    const int32_t rowY[4] = {kContentTop + 4, kContentTop + 4 + 56, kContentTop + 4 + 112, kContentTop + 4 + 168};
    MakeText(effects, L"灯光", kPadding, rowY[0], 60, 32, L"yahei12", pagelook::kSecondaryText);
    switch_ = resource_->CreateCheckBox(kSwitchId, L"OVCheckBox", L"开启", fieldX, rowY[0], 120, 32);
    MakeText(effects, L"亮度", kPadding, rowY[1], 60, 32, L"yahei12", pagelook::kSecondaryText);
    brightness_ = resource_->CreateSliderBar(kBrightnessId, L"OVSliderBar", L"", fieldX, rowY[1] + 5, fieldWidth - 52,
                                             22, 0, 100, 50);
    brightnessText_ = MakeText(effects, L"50", fieldX + fieldWidth - 44, rowY[1], 44, 32, L"yahei12", pagelook::kText);
    MakeText(effects, L"模式", kPadding, rowY[2], 60, 32, L"yahei12", pagelook::kSecondaryText);
    mode_ = resource_->CreateComboBox(kModeId, L"OVComboBox", L"", fieldX, rowY[2], fieldWidth, 32);
    MakeText(effects, L"间隔", kPadding, rowY[3], 60, 32, L"yahei12", pagelook::kSecondaryText);
    interval_ = resource_->CreateComboBox(kIntervalId, L"OVComboBox", L"", fieldX, rowY[3], fieldWidth, 32);
    if (!switch_ || !brightness_ || !mode_ || !interval_) return 0;
    switch_->SetTextColor(pagelook::kText);
    switch_->SetTransparent(1);
    switch_->SetBorder(0);
    if (CDUI_FontType* f = resource_->FindFont(L"yahei12")) {
        switch_->SetFont(f);
        mode_->SetFont(f);
        interval_->SetFont(f);
    }
    for (CDUI_ComboBox* combo : {mode_, interval_}) {
        pagelook::StyleChoice(combo);
        combo->SetDropRows(4);
    }
    switch_->SetCheckCallback([](CDUI_UIControl*, int32_t value, void* user) {
        static_cast<CLightCtrlPage*>(user)->OnSwitchChanged(value);
    }, this);
    brightness_->SetShowFore(1);
    brightness_->SetTransparent(1);
    brightness_->SetBorder(0);
    brightness_->SetSliderCallback([](CDUI_UIControl*, int32_t value, void* user) {
        static_cast<CLightCtrlPage*>(user)->OnBrightnessChanged(value);
    }, this);
    mode_->SetSelectCallback([](CDUI_UIControl*, int32_t index, void* user) {
        static_cast<CLightCtrlPage*>(user)->OnModeChanged(index);
    }, this);
    interval_->SetSelectCallback([](CDUI_UIControl*, int32_t index, void* user) {
        static_cast<CLightCtrlPage*>(user)->OnIntervalChanged(index);
    }, this);
    // Added bottom-up, so an open list lies over the fields below it.
    effects->AddChild(interval_);
    effects->AddChild(mode_);
    effects->AddChild(brightness_);
    effects->AddChild(switch_);
    FillChoices(mode_, kLightModeChoices, std::size(kLightModeChoices));
    FillChoices(interval_, kLightIntervalChoices, std::size(kLightIntervalChoices));

    // Theme card: the name with its edit button, and the actions on the right.
    CDUI_Panel* theme = MakeCard(kEditorLeft, kThemeCardTop, kEditorWidth, kThemeCardHeight, L"主题名称");
    const int32_t rowTop = kContentTop;
    title_ = resource_->CreateTextEdit(kTitleId, L"OVTextEdit", L"", kPadding, rowTop, 360, kTextButtonHeight);
    if (!theme || !title_) return 0;
    if (CDUI_FontType* f = resource_->FindFont(L"titleedt")) title_->SetFont(f);
    pagelook::StyleInput(title_);
    title_->SetMaxLength(static_cast<int32_t>(LightThemeRecord::kNameWidth - 1));
    title_->SetReadOnly(1);
    theme->AddChild(title_);
    editButton_ = MakeButton(theme, kEditId, L"EditButton", L"编辑", kPadding + 360 + 12,
                             rowTop + (kTextButtonHeight - kSmallButtonHeight) / 2, kSmallButtonWidth,
                             kSmallButtonHeight, pagelook::kText);
    int32_t x = kEditorWidth - kPadding - kTextButtonWidth;
    applyButton_ = MakeButton(theme, kApplyId, L"ApplyButton", L"应用", x, rowTop, kTextButtonWidth, kTextButtonHeight,
                              pagelook::kOnAccent);
    x -= kTextButtonWidth + 12;
    saveButton_ = MakeButton(theme, kSaveId, L"SaveButton", L"保存", x, rowTop, kTextButtonWidth, kTextButtonHeight,
                             pagelook::kOnAccent);
    x -= kTextButtonWidth + 12;
    // Delete (own themes) and restore (presets) share one place: only one shows.
    defaultButton_ = MakeButton(theme, kDefaultId, L"DefaultButton", L"恢复默认", x, rowTop, kTextButtonWidth,
                                kTextButtonHeight, pagelook::kText);
    deleteButton_ = MakeButton(theme, kDeleteId, L"DeleteButton", L"删除", x, rowTop, kTextButtonWidth,
                               kTextButtonHeight, pagelook::kText);
    if (!editButton_ || !applyButton_ || !saveButton_ || !defaultButton_ || !deleteButton_ || !returnButton_) return 0;

    // The page's own message box, over everything else of the window.
    messageBox_ = resource_->CreateMessageBox(kMessageBoxId, L"OVMessageBox", L"信息", 0, 0, 360, 180);
    if (!messageBox_) return 0;
    messageBox_->SetVisible(0);
    messageBox_->SetResultCallback([](CDUI_UIControl*, int32_t result, void* user) {
        static_cast<CLightCtrlPage*>(user)->OnDeleteAnswer(result);
    }, this);
    window->AddChild(messageBox_);

    ResetEditor();
    return 1;
}

// ---------------------------------------------------------------- page

void CLightCtrlPage::Show() {
    if (root_) root_->SetVisible(1);
}

void CLightCtrlPage::Hide() {
    if (root_) root_->SetVisible(0);
}

void CLightCtrlPage::Shutdown() {
    pendingDelete_.reset();
    current_.reset();
    if (list_) list_->ClearNodes();
    model_.Clear();
}

LightThemeRecord* CLightCtrlPage::CurrentTheme() const {
    return current_ ? model_.ThemeOfRecord(*current_) : nullptr;
}

void CLightCtrlPage::ShowMessage(const std::wstring& text, int icon) {
    if (messageBox_) messageBox_->ShowMessage(text, icon, 2);
}

// ---------------------------------------------------------------- links

int CLightCtrlPage::ApplyThemeByName(const std::wstring& name) {
    COVSystemConfig* stores = host_ ? host_->Services().stores : nullptr;
    if (!stores) return 0;
    LightThemeList themes;
    stores->LoadThemes(&themes);
    int sent = 0;
    for (const auto& theme : themes)
        if (theme && name == theme->name) {
            LightSendTheme(host_->Services().device, *theme);
            ++sent;
        }
    return sent ? 1 : 0;
}

int CLightCtrlPage::GetLightSelectText(std::wstring* text) {
    if (!text) return 0;
    CApplicationConfigFile* settings = host_ ? host_->Services().settings : nullptr;
    *text = settings ? settings->GetLightSelect() : std::wstring();
    if (text->empty()) *text = L"默认";
    return 1;
}

void CLightCtrlPage::ReloadThemeList() {
    if (!list_) return;
    // Nothing of the old list survives: the editor and an open question let go first.
    current_.reset();
    pendingDelete_.reset();
    list_->ClearNodes();
    model_.Clear();

    // Both are groups even while empty: a click on one never reads as a theme.
    NavigationNode* recommended = list_->AddNode(L"推荐主题", nullptr, kLightGroupRecommendedId, 0, 0, 1);
    NavigationNode* mine = list_->AddNode(L"我的主题", nullptr, kLightGroupMineId, 0, 0, 1);

    LightThemeList themes;
    if (COVSystemConfig* stores = host_->Services().stores) stores->LoadThemes(&themes);
    model_.Assign(std::move(themes));
    for (const auto& e : model_.Entries()) {
        LightThemeRecord* theme = e.theme.get();
        NavigationNode* node =
            list_->AddNode(theme->name, theme->preset ? recommended : mine, e.itemId, theme->recordNumber, 0);
        theme->listItem = node;
    }
    list_->AddNode(L"＋", mine, kLightAddItemId, 0, 0);
    list_->SetNodeOpen(kLightGroupRecommendedId, 1);
    list_->SetNodeOpen(kLightGroupMineId, 1);

    if (LightThemeRecord* def = model_.DefaultTheme()) {
        list_->SelectNode(model_.ItemOfRecord(def->recordNumber));
        ShowTheme(def);
    } else {
        ResetEditor();
    }
}

// ---------------------------------------------------------------- editor

void CLightCtrlPage::ShowColorFigures(const LightHsv& hsv, const LightRgb& rgb) {
    const LightFigures f = LightFiguresOf(hsv, rgb);
    const int values[6] = {f.hue, f.saturation, f.value, f.red, f.green, f.blue};
    for (int i = 0; i < 6; ++i)
        if (figures_[i]) figures_[i]->SetText(Figure(values[i]));
    const uint32_t opaque = LightOpaque(LightJoinColor(rgb));
    if (preview_) preview_->SetBackColor(opaque);
    if (previewLabel_) previewLabel_->SetBackColor(opaque);
}

void CLightCtrlPage::ShowChoice(CDUI_ComboBox* combo, const LightChoice* choices, size_t count, int32_t value) {
    if (!combo->SelectByValue(value, 0)) {
        // No item fits (a hand-edited file): show none rather than the last theme's.
        FillChoices(combo, choices, count);
    }
}

void CLightCtrlPage::ShowTheme(LightThemeRecord* theme) {
    if (!theme) return;
    current_ = theme->recordNumber;
    showing_ = 1;
    const bool preset = theme->preset != 0;
    title_->SetEnabled(preset ? 0 : 1);
    title_->SetReadOnly(1);
    editButton_->SetVisible(preset ? 0 : 1);
    deleteButton_->SetVisible(preset ? 0 : 1);
    defaultButton_->SetVisible(preset ? 1 : 0);
    saveButton_->SetVisible(1);

    const LightRgb rgb = LightSplitColor(theme->color);
    const LightHsv hsv = LightRgbToHsv(rgb);
    ShowColorFigures(hsv, rgb);
    switch_->SetChecked(theme->status ? 1 : 0, 0);
    brightness_->SetSliderValue(theme->brightness, 0);
    if (brightnessText_) brightnessText_->SetText(Figure(brightness_->GetSliderValue()));
    ShowChoice(mode_, kLightModeChoices, std::size(kLightModeChoices), theme->mode);
    ShowChoice(interval_, kLightIntervalChoices, std::size(kLightIntervalChoices), theme->interval);
    // The stored colour exactly, not through the HSV round trip.
    picker_->SetColor(LightOpaque(theme->color), 0);
    title_->SetText(theme->name);
    showing_ = 0;
}

void CLightCtrlPage::ResetEditor() {
    current_.reset();
    showing_ = 1;
    const LightRgb blue{0, 0, 255};
    const LightHsv hsv = LightRgbToHsv(blue);
    ShowColorFigures(hsv, blue);
    picker_->SetColor(LightOpaque(LightJoinColor(blue)), 0);
    switch_->SetChecked(0, 0);
    brightness_->SetSliderValue(100, 0);
    if (brightnessText_) brightnessText_->SetText(Figure(100));
    mode_->SelectByValue(1, 0);
    title_->SetText(L"");
    title_->SetReadOnly(1);
    // With nothing to act on, the theme's actions go away.
    editButton_->SetVisible(0);
    deleteButton_->SetVisible(0);
    defaultButton_->SetVisible(0);
    showing_ = 0;
}

void CLightCtrlPage::OnItemSelected(int32_t itemId) {
    if (itemId == kLightAddItemId) {
        AddUserTheme();
        return;
    }
    // Groups carry no theme: a click on one does nothing here.
    if (LightThemeRecord* theme = model_.ThemeOfItem(itemId)) ShowTheme(theme);
}

void CLightCtrlPage::AddUserTheme() {
    COVSystemConfig* stores = host_->Services().stores;
    std::unique_ptr<LightThemeRecord> theme = CLightThemeListModel::NewUserTheme();
    const bool full = !model_.CanAddUserTheme();
    if (full || !stores || !stores->AddTheme(theme.get())) {
        // The list keeps showing the theme of the editor, not "＋".
        if (LightThemeRecord* current = CurrentTheme())
            list_->SelectNode(model_.ItemOfRecord(current->recordNumber));
        else
            list_->ClearSelection();
        ShowMessage(full ? L"自定义主题最多可定义5个哦!" : L"添加主题失败!", full ? kIconInformation : kIconError);
        return;
    }
    LightThemeRecord* added = theme.get();
    const int32_t itemId = model_.Append(std::move(theme));
    // New themes go just before "＋", which stays last.
    added->listItem = list_->InsertNodeBefore(added->name, kLightAddItemId, itemId, added->recordNumber, 0);
    // Both the new item and "＋" under it in view.
    list_->ScrollToNode(kLightAddItemId);
    list_->SelectNode(itemId);
    ShowTheme(added);
}

void CLightCtrlPage::OnColorPicked() {
    LightThemeRecord* theme = CurrentTheme();
    if (showing_ || !theme) return;
    LightHsv hsv;
    picker_->GetHSV(&hsv.hue, &hsv.saturation, &hsv.value);
    const LightRgb rgb = LightHsvToPickedRgb(hsv);
    ShowColorFigures(hsv, rgb);
    theme->color = LightJoinColor(rgb);
}

void CLightCtrlPage::OnSwitchChanged(int checked) {
    if (LightThemeRecord* theme = CurrentTheme(); theme && !showing_) theme->status = checked ? 1 : 0;
}

void CLightCtrlPage::OnBrightnessChanged(int32_t value) {
    if (brightnessText_) brightnessText_->SetText(Figure(value));
    if (LightThemeRecord* theme = CurrentTheme(); theme && !showing_) theme->brightness = value;
}

void CLightCtrlPage::OnModeChanged(int32_t index) {
    int32_t value = 0;
    LightThemeRecord* theme = CurrentTheme();
    if (theme && !showing_ && mode_->GetItem(index, nullptr, &value, nullptr)) theme->mode = value;
}

void CLightCtrlPage::OnIntervalChanged(int32_t index) {
    int32_t value = 0;
    LightThemeRecord* theme = CurrentTheme();
    if (theme && !showing_ && interval_->GetItem(index, nullptr, &value, nullptr)) theme->interval = value;
}

// ---------------------------------------------------------------- actions

void CLightCtrlPage::OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord*, void* user) {
    auto* self = static_cast<CLightCtrlPage*>(user);
    if (control == self->returnButton_) {
        if (self->host_) self->host_->ShowHomeView();
    } else if (control == self->editButton_) {
        self->OnEdit();
    } else if (control == self->deleteButton_) {
        self->OnDelete();
    } else if (control == self->defaultButton_) {
        self->OnDefault();
    } else if (control == self->saveButton_) {
        self->OnSave();
    } else if (control == self->applyButton_) {
        self->OnApply();
    }
}

std::wstring CLightCtrlPage::TitleText() {
    std::wstring text = title_->GetText();
    if (text.size() > LightThemeRecord::kNameWidth - 1) text.resize(LightThemeRecord::kNameWidth - 1);
    return text;
}

int CLightCtrlPage::RenameItem(const LightThemeRecord& theme) {
    const int32_t itemId = model_.ItemOfRecord(theme.recordNumber);
    return itemId ? list_->SetNodeText(itemId, theme.name) : 0;
}

int CLightCtrlPage::SaveTheme(LightThemeRecord* theme) {
    COVSystemConfig* stores = host_->Services().stores;
    const std::wstring stored = theme->name;
    LightSetThemeName(theme, TitleText());
    if (stores && stores->UpdateTheme(*theme)) return 1;
    // Not written: the name goes back to the one the file and the list
    // still hold, so the editor never shows a name that was not saved.
    LightSetThemeName(theme, stored);
    title_->SetText(stored);
    return 0;
}

void CLightCtrlPage::OnSave() {
    LightThemeRecord* theme = CurrentTheme();
    if (!theme) return;
    if (!SaveTheme(theme))
        ShowMessage(L"保存失败!", kIconError);
    else if (RenameItem(*theme))
        ShowMessage(L"保存成功!");
}

void CLightCtrlPage::OnApply() {
    LightThemeRecord* theme = CurrentTheme();
    if (!theme) return;
    if (SaveTheme(theme)) RenameItem(*theme);
    LightSendTheme(host_->Services().device, *theme);
    if (CApplicationConfigFile* settings = host_->Services().settings) settings->SetLightSelect(theme->name);
}

void CLightCtrlPage::OnDelete() {
    LightThemeRecord* theme = CurrentTheme();
    if (!theme || theme->preset) return;
    // The question is about this theme, whatever is current when it is answered.
    pendingDelete_ = theme->recordNumber;
    if (messageBox_) messageBox_->ShowMessage(L"确定要删除该主题吗?", 4, 3);
}

void CLightCtrlPage::OnDeleteAnswer(int result) {
    if (!pendingDelete_) return;  // an information box was closed
    const int32_t record = *pendingDelete_;
    pendingDelete_.reset();
    if (result != kMsgOk) return;
    LightThemeRecord* theme = model_.ThemeOfRecord(record);
    COVSystemConfig* stores = host_->Services().stores;
    if (!theme || theme->preset || !stores || !stores->DeleteTheme(record)) return;
    list_->RemoveNode(model_.ItemOfRecord(record));
    model_.Remove(record);
    ResetEditor();
    if (LightThemeRecord* last = model_.LastUserTheme()) {
        list_->SelectNode(model_.ItemOfRecord(last->recordNumber));
        ShowTheme(last);
    }
}

void CLightCtrlPage::OnDefault() {
    LightThemeRecord* theme = CurrentTheme();
    COVSystemConfig* stores = host_->Services().stores;
    if (!theme || !stores) return;
    LightThemeList presets;
    stores->LoadPresetThemes(&presets);
    for (const auto& p : presets) {
        if (!p || p->recordNumber != theme->recordNumber) continue;
        theme->color = p->color;
        theme->interval = p->interval;
        theme->mode = p->mode;
        theme->status = p->status;
        theme->brightness = p->brightness;
        ShowTheme(theme);
        return;
    }
}

void CLightCtrlPage::OnEdit() {
    if (!CurrentTheme() || !title_->GetEnabled()) return;
    const int typing = title_->GetReadOnly() ? 0 : 1;
    title_->SetReadOnly(typing);
    if (!typing) title_->SetFocus(1);
}
