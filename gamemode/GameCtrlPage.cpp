#include "GameCtrlPage.h"

#include "PageControls.h"
#include "PageFrame.h"
#include "PagePictures.h"
#include "PageLook.h"
#include "ApplicationEnv.h"
#include "GameShellOps.h"
#include "GameTaskText.h"
#include "GameTile.h"
#include "OVSystemConfig.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_TextEdit.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

namespace {

using gametext::Field;
using gametext::SetField;

// Companion and address rows: on and off.
constexpr uint32_t kRowOnColour = 0xFFE1E1E1;
constexpr uint32_t kRowOffColour = 0xFF444444;

constexpr int32_t kHeaderEntryId = 1000;  // "我的游戏"
// Entries of game modes get ids from here on, one per list position; the
// record id travels as the entry's value, so no record id can collide with
// the header's.
constexpr int32_t kFirstGameEntryId = 1001;
constexpr int32_t kFirstTileId = 5501;
constexpr int32_t kFirstTileLabelId = 5601;

// The shared page frame, relative to the page's root (which starts under the
// title strip): the list in the left column's card, the editing card right of it.
constexpr pageframe::Box kColumn = pageframe::kColumn;
constexpr int kPadding = pageframe::kPadding;
constexpr int kCardX = pageframe::kEditorLeft, kCardY = pageframe::kCardTop;
constexpr int kCardWidth = pageframe::kEditorWidth, kCardHeight = pageframe::kCardBottom - pageframe::kCardTop;
// The edit view's right-hand controls keep to the card's inner edge.
constexpr int kInnerRight = kCardWidth - kPadding;
constexpr int kEmptyPictureWidth = 200, kEmptyPictureHeight = 150, kEmptyPictureTop = 180;
constexpr int kBottomRow = kCardHeight - kPadding - 36;  // 删除, 重置, 保存, 创建快捷方式
constexpr int kAppendWidth = 128, kAppendHeight = 36;

// Tiles: 120 x 120 from 27, 27 with 27-pixel gaps, at most 6 a row.
constexpr int kTileSize = 120, kTileGap = 27, kTilesPerRow = 6;

const wchar_t* const kTabTexts[4] = {L"应用程序", L"网页访问", L"灯光设置", L"游戏模式概览"};
const wchar_t* const kTabStyles[4] = {L"AppletTaskBtn", L"WebsetTaskBtn", L"LightsTaskBtn", L"StartTaskBtn"};
const wchar_t* const kNoLight = L"不做任何操作";

}  // namespace

CGameCtrlPage::CGameCtrlPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host)
    : resource_(resource), scene_(scene), host_(host) {
    actions_ = std::make_unique<CGameTaskSystemActions>(&CGameCtrlPage::ApplyThemeThroughHost, this);
}

CGameCtrlPage::~CGameCtrlPage() = default;

int CGameCtrlPage::ApplyThemeThroughHost(const std::wstring& name, void* user) {
    auto* page = static_cast<CGameCtrlPage*>(user);
    // The lighting page may not exist (a build or test without it).
    ILightPageLink* light = page->host_ ? page->host_->LightLink() : nullptr;
    return light ? light->ApplyThemeByName(name) : 0;
}

// ---- building ----

CDUI_Button* CGameCtrlPage::MakeButton(CDUI_UIControl* parent, const wchar_t* style, const std::wstring& text, int x,
                                       int y, int w, int h) {
    // A skin without the button's own art still gets a usable button.
    CDUI_Button* b = resource_->CreateButton(0, style, text, x, y, w, h);
    if (!b) b = resource_->CreateButton(0, L"OVButton", text, x, y, w, h);
    if (!b) return nullptr;
    b->SetFont(resource_->FindFont(L"yahei12"));
    b->SetTextPlacement(1);
    b->SetTextColor(pagelook::kText);
    b->SetEventCallback(DUI_EVT_CLICKED, &CGameCtrlPage::OnClicked, this);
    static_cast<CDUI_UICollection*>(parent)->AddChild(b);
    return b;
}

CDUI_Label* CGameCtrlPage::MakeLabel(CDUI_UIControl* parent, const std::wstring& text, int x, int y, int w, int h,
                                     uint32_t color, const wchar_t* font) {
    CDUI_Label* l = resource_->CreateLabel(0, L"OVLabel", text, x, y, w, h);
    if (!l) return nullptr;
    l->SetFont(resource_->FindFont(font));
    l->SetTextColor(color);
    l->SetTransparent(1);
    l->SetBorder(0);
    l->SetAlignment(1 | 16);  // left, vertically centred
    static_cast<CDUI_UICollection*>(parent)->AddChild(l);
    return l;
}

CDUI_CheckBox* CGameCtrlPage::MakeCheckBox(CDUI_UIControl* parent, const wchar_t* style, const std::wstring& text,
                                           int x, int y, int w, int h) {
    CDUI_CheckBox* c = resource_->CreateCheckBox(0, style, text, x, y, w, h);
    if (!c) c = resource_->CreateCheckBox(0, L"OVCheckBox", text, x, y, w, h);
    if (!c) return nullptr;
    c->SetFont(resource_->FindFont(L"yahei14"));
    c->SetTextColor(pagelook::kText);
    c->SetCheckCallback(&CGameCtrlPage::OnRowChecked, this);
    static_cast<CDUI_UICollection*>(parent)->AddChild(c);
    return c;
}

CDUI_Panel* CGameCtrlPage::MakePanel(CDUI_UIControl* parent, int x, int y, int w, int h, uint32_t back,
                                     uint32_t frame) {
    CDUI_Panel* p = resource_->CreatePanel(0, L"OVPanel", L"", x, y, w, h);
    if (!p) return nullptr;
    p->SetBackColor(back);
    p->SetTransparent(back == 0 ? 1 : 0);
    p->SetBorder(frame ? 1 : 0);
    // One hairline: the inner line takes the panel's own colour.
    if (frame) p->SetBorderColors(frame, back ? back : frame);
    if (parent) static_cast<CDUI_UICollection*>(parent)->AddChild(p);
    return p;
}

int CGameCtrlPage::Create() {
    if (!resource_ || !host_ || !host_->WindowControl()) return 0;
    CDUI_Window* window = host_->WindowControl();
    constexpr pageframe::Box page = pageframe::kPage;
    root_ = MakePanel(nullptr, page.x, page.y, page.width, page.height, 0, 0);
    if (!root_) return 0;
    root_->SetVisible(0);
    window->AddChild(root_);
    BuildHeader();
    listView_ = MakePanel(root_, kCardX, kCardY, kCardWidth, kCardHeight, pagelook::kCard, pagelook::kHairline);
    // With no game yet: the empty-list picture, the hint centred under it.
    emptyPicture_ = resource_->CreateImage(0, L"OVImage", L"", (kCardWidth - kEmptyPictureWidth) / 2, kEmptyPictureTop,
                                           kEmptyPictureWidth, kEmptyPictureHeight);
    if (emptyPicture_) {
        emptyPicture_->SetTransparent(1);
        emptyPicture_->SetBorder(0);
        emptyPicture_->SetHitEnable(0);
        emptyPicture_->SetImageFromResource(GetModuleHandleW(nullptr), ventaro_pictures::kPictureEmptyGames);
        emptyPicture_->SetVisible(0);
        listView_->AddChild(emptyPicture_);
    }
    emptyHint_ = MakeLabel(listView_, L"", kPadding, kEmptyPictureTop + kEmptyPictureHeight + 16,
                           kCardWidth - 2 * kPadding, 32, pagelook::kSecondaryText, L"yahei14");
    if (emptyHint_) emptyHint_->SetAlignment(2 | 16);  // centred
    BuildEditView();
    messageBox_ = resource_->CreateMessageBox(0, L"OVMessageBox", L"信息", 0, 0, 300, 150);
    if (messageBox_) {
        messageBox_->SetResultCallback(&CGameCtrlPage::OnMessageResult, this);
        messageBox_->SetVisible(0);
        window->AddChild(messageBox_);
    }
    Reload();
    ShowListView();
    return 1;
}

void CGameCtrlPage::BuildHeader() {
    constexpr pageframe::Box back = pageframe::kReturnButton, title = pageframe::kTitle;
    returnButton_ = MakeButton(root_, L"GameReturnButton", L"返回", back.x, back.y, back.width, back.height);
    MakeLabel(root_, L"游戏模式", title.x, title.y, title.width, title.height, pagelook::kText, L"yahei20");
    column_ = MakePanel(root_, kColumn.x, kColumn.y, kColumn.width, kColumn.height, pagelook::kCard,
                        pagelook::kHairline);
    CDUI_UIControl* column = column_ ? static_cast<CDUI_UIControl*>(column_) : root_;
    appendButton_ = MakeButton(column, L"GameAppendBtn", L"添加游戏", (kColumn.width - kAppendWidth) / 2,
                               kColumn.height - kPadding - kAppendHeight, kAppendWidth, kAppendHeight);
    RebuildNavigation();
}

void CGameCtrlPage::BuildEditView() {
    editView_ = MakePanel(root_, kCardX, kCardY, kCardWidth, kCardHeight, pagelook::kCard, pagelook::kHairline);
    listButton_ = MakeButton(editView_, L"GameModeBtn", L"我的游戏", 16, 16, 96, 36);
    if (listButton_) listButton_->SetTextPlacement(2);  // clear of the plate's arrow
    nameEdit_ = resource_->CreateTextEdit(0, L"OVTextEdit", L"", 128, 16, 360, 36);
    if (nameEdit_) {
        nameEdit_->SetFont(resource_->FindFont(L"yahei14"));
        nameEdit_->SetTextColor(pagelook::kText);
        nameEdit_->SetBackColor(pagelook::kRaised);
        nameEdit_->SetMaxLength(static_cast<int32_t>(GameTaskRecord::kNameWidth - 1));
        nameEdit_->SetReadOnly(1);
        editView_->AddChild(nameEdit_);
    }
    editButton_ = MakeButton(editView_, L"EditButton", L"编辑", 500, 18, 72, 32);
    // The game's file name; a click shows the overview, where its path is.
    gameButton_ = MakeButton(editView_, L"GameTaskBtn", L"", kInnerRight - 128, 16, 128, 36);
    if (gameButton_) gameButton_->SetTrimming(3);
    for (int i = 0; i < 4; ++i) {
        tabs_[i] = resource_->CreateOptionButton(0, kTabStyles[i], kTabTexts[i], 16 + i * 128, 68, 120, 40);
        if (!tabs_[i]) continue;
        tabs_[i]->SetFont(resource_->FindFont(L"yahei14"));
        tabs_[i]->SetTextColor(pagelook::kText);
        tabs_[i]->SetGroup(100);
        tabs_[i]->SetEventCallback(DUI_EVT_CLICKED, &CGameCtrlPage::OnClicked, this);
        editView_->AddChild(tabs_[i]);
    }
    for (int i = 0; i < 4; ++i)
        panels_[i] = MakePanel(editView_, 16, 120, kInnerRight - 16, kBottomRow - 18 - 120, pagelook::kRaised,
                               pagelook::kHairline);
    BuildAppletPanel(panels_[0]);
    BuildWebPanel(panels_[1]);
    BuildLightPanel(panels_[2]);
    overview_ = MakeLabel(panels_[3], L"", 16, 12, kInnerRight - 16 - 32, 420, pagelook::kText, L"yahei12");
    if (overview_) overview_->SetAlignment(1 | 8);  // top-left: the text has its own lines
    removeButton_ = MakeButton(editView_, L"GameRemoveBtn", L"删除", 16, kBottomRow, 128, 36);
    // Reset, save and the shortcut at the card's right, 12 px apart.
    resetButton_ = MakeButton(editView_, L"GameResetBtn", L"重置", kInnerRight - 3 * 128 - 2 * 12, kBottomRow, 128,
                              36);
    saveButton_ = MakeButton(editView_, L"GameSavedBtn", L"保存", kInnerRight - 2 * 128 - 12, kBottomRow, 128, 36);
    shortcutButton_ = MakeButton(editView_, L"CreateShotcutsBtn", L"创建快捷方式", kInnerRight - 128, kBottomRow,
                                 128, 36);
    editView_->SetVisible(0);
}

void CGameCtrlPage::BuildAppletPanel(CDUI_Panel* panel) {
    appletEnable_ = MakeCheckBox(panel, L"OVCheckBox", L"应用程序", 16, 14, 240, 28);
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        AppletRow& r = applets_[i];
        const int y = 60 + i * 104;
        r.caption = MakeLabel(panel, L"程序" + std::to_wstring(i + 1) + L":", 16, y, 64, 32, kRowOnColour, L"yahei12");
        r.enable = MakeCheckBox(panel, L"TPStatusButton", L"", 84, y + 6, 36, 20);
        r.program = MakeLabel(panel, L"", 132, y, 560, 32, kRowOnColour, L"yahei12");
        if (r.program) {
            r.program->SetTransparent(0);
            r.program->SetBackColor(pagelook::kCard);
            r.program->SetBorder(1);
            r.program->SetBorderColors(pagelook::kHairline, pagelook::kHairline);
        }
        // Icon buttons (a folder, a cross): their art says what they do.
        r.choose = MakeButton(panel, L"TPSetingButton", L"", 704, y, 32, 32);
        r.clear = MakeButton(panel, L"TPDeleteButton", L"", 748, y, 32, 32);
        r.start = resource_->CreateOptionButton(0, L"OVOptionButton", L"如果程序未打开,则打开该程序", 132, y + 42,
                                                280, 32);
        r.close = resource_->CreateOptionButton(0, L"OVOptionButton", L"如果程序已打开,则关闭该程序", 424, y + 42,
                                                280, 32);
        for (CDUI_OptionButton* o : {r.start, r.close}) {
            if (!o) continue;
            o->SetFont(resource_->FindFont(L"yahei12"));
            o->SetTextColor(kRowOnColour);
            o->SetTextPlacement(1);  // clear of the chip's radio mark
            o->SetGroup(i + 1);
            panel->AddChild(o);
        }
    }
}

void CGameCtrlPage::BuildWebPanel(CDUI_Panel* panel) {
    webEnable_ = MakeCheckBox(panel, L"OVCheckBox", L"网页访问", 16, 14, 240, 28);
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        WebRow& r = webs_[i];
        const int y = 60 + i * 52;
        r.caption = MakeLabel(panel, L"网址" + std::to_wstring(i + 1) + L":", 16, y, 64, 32, kRowOnColour, L"yahei12");
        r.enable = MakeCheckBox(panel, L"TPStatusButton", L"", 84, y + 6, 36, 20);
        r.address = resource_->CreateTextEdit(0, L"OVTextEdit", L"", 132, y, 560, 32);
        if (r.address) {
            r.address->SetFont(resource_->FindFont(L"yahei12"));
            r.address->SetTextColor(kRowOnColour);
            r.address->SetBackColor(pagelook::kCard);
            r.address->SetMaxLength(static_cast<int32_t>(GameTaskRecord::kPathWidth - 1));
            panel->AddChild(r.address);
        }
        r.clear = MakeButton(panel, L"TPDeleteButton", L"", 704, y, 32, 32);
    }
}

void CGameCtrlPage::BuildLightPanel(CDUI_Panel* panel) {
    lightEnable_ = MakeCheckBox(panel, L"OVCheckBox", L"灯光设置", 16, 14, 240, 28);
    lightCaption_ = MakeLabel(panel, L"启动时切换灯光效果:", 16, 60, 200, 32, kRowOnColour, L"yahei12");
    themeCombo_ = resource_->CreateComboBox(0, L"OVComboBox", L"", 220, 60, 360, 32);
    if (themeCombo_) {
        themeCombo_->SetFont(resource_->FindFont(L"yahei12"));
        pagelook::StyleChoice(themeCombo_);
        themeCombo_->SetEditable(0);
        panel->AddChild(themeCombo_);
    }
}

// ---- lists ----

GameTaskRecord* CGameCtrlPage::Find(int id) {
    for (auto& r : records_)
        if (r->id == id) return r.get();
    return nullptr;
}

int CGameCtrlPage::Reload() {
    COVSystemConfig* stores = host_ ? host_->Services().stores : nullptr;
    GameTaskList fresh;
    const int loaded = stores ? stores->LoadGameTasks(&fresh) : 0;
    records_ = std::move(fresh);  // the old records go; the page keeps only ids
    if (currentId_ && !Find(currentId_)) currentId_ = 0;
    RebuildNavigation();
    RebuildTiles();
    return loaded;
}

void CGameCtrlPage::RebuildNavigation() {
    if (!root_) return;
    if (!navigation_) {
        // Inside the column's card, above "添加游戏".
        navigation_ = resource_->CreateNavigationBar(0, L"OVNavigationBar", L"", kPadding, kPadding,
                                                     pageframe::kListWidth,
                                                     kColumn.height - 3 * kPadding - kAppendHeight);
        if (!navigation_) return;
        navigation_->SetFont(resource_->FindFont(L"yahei14"));
        navigation_->SetNodeFonts(resource_->FindFont(L"yahei14"), resource_->FindFont(L"yahei12"));
        navigation_->SetNodeTextColors(pagelook::kText, pagelook::kText);
        navigation_->SetBackColor(pagelook::kCard);
        pagelook::StyleScrollBar(navigation_->GetVerticalBar());
        navigation_->SetBorder(0);  // the column's card is its frame
        navigation_->SetSelectCallback(&CGameCtrlPage::OnNavigationSelect, this);
        static_cast<CDUI_UICollection*>(column_ ? static_cast<CDUI_UIControl*>(column_) : root_)
            ->AddChild(navigation_);
    }
    navigation_->ClearNodes();
    NavigationNode* header = navigation_->AddNode(L"我的游戏", nullptr, kHeaderEntryId, 0, 0, 1);
    for (size_t i = 0; i < records_.size(); ++i) {
        const int32_t entry = kFirstGameEntryId + static_cast<int32_t>(i);
        records_[i]->listItem = navigation_->AddNode(Field(records_[i]->name), header, entry, records_[i]->id, 0);
    }
    navigation_->SetNodeOpen(kHeaderEntryId, 1);
    if (NavigationNode* current = currentId_ ? navigation_->FindNodeByValue(currentId_) : nullptr)
        navigation_->SelectNode(current->id);
}

void CGameCtrlPage::RebuildTiles() {
    if (!listView_) return;
    for (auto& t : tiles_) {
        if (t.image) t.image->Destroy();
        if (t.label) t.label->Destroy();
    }
    tiles_.clear();
    int32_t viewWidth = 0, viewHeight = 0;
    listView_->GetSize(&viewWidth, &viewHeight);
    int x = kTileGap, y = kTileGap, inRow = 0;
    for (size_t i = 0; i < records_.size(); ++i) {
        const GameTaskRecord& r = *records_[i];
        if (inRow == kTilesPerRow || x + kTileSize > viewWidth - 10) {
            x = kTileGap;
            y += kTileSize + kTileGap;
            inRow = 0;
        }
        TileEntry t;
        t.id = r.id;
        t.image = resource_->CreateImage(kFirstTileId + static_cast<int32_t>(i), L"OVImage", L"", x, y, kTileSize,
                                         kTileSize);
        if (t.image) {
            if (HBITMAP picture = MakeTileBitmap(Field(r.path), kTileSize, kTileSize)) {
                t.image->SetImageFromBitmap(picture);
                DeleteObject(picture);
            }
            t.image->SetTransparent(1);
            t.image->SetBorder(0);
            t.image->SetCursor(LoadCursorW(nullptr, IDC_HAND));
            t.image->SetEventCallback(DUI_EVT_CLICKED, &CGameCtrlPage::OnClicked, this);
            listView_->AddChild(t.image);
        }
        t.label = resource_->CreateLabel(kFirstTileLabelId + static_cast<int32_t>(i), L"OVLabel", Field(r.name),
                                         x + 2, y + 115, kTileSize, 25);
        if (t.label) {
            t.label->SetFont(resource_->FindFont(L"yahei12"));
            t.label->SetTextColor(0xFFFFFFFF);
            t.label->SetTransparent(1);
            t.label->SetBorder(0);
            t.label->SetAlignment(2 | 16);  // centred both ways
            t.label->SetTrimming(3);     // an ellipsis when the name is too long
            listView_->AddChild(t.label);
        }
        tiles_.push_back(t);
        x += kTileSize + kTileGap;
        ++inRow;
    }
    if (emptyHint_) {
        emptyHint_->SetText(records_.empty() ? L"还没有游戏模式" : L"");
        emptyHint_->SetVisible(records_.empty() ? 1 : 0);
    }
    if (emptyPicture_) emptyPicture_->SetVisible(records_.empty() ? 1 : 0);
}

CDUI_UIControl* CGameCtrlPage::Tile(size_t index) const { return index < tiles_.size() ? tiles_[index].image : nullptr; }

// ---- views ----

void CGameCtrlPage::Show() {
    if (!root_) return;
    Reload();
    ShowListView();
    root_->SetVisible(1);
}

void CGameCtrlPage::Hide() {
    if (root_) root_->SetVisible(0);
}

void CGameCtrlPage::Shutdown() {
    Hide();
    records_.clear();
    currentId_ = 0;
}

void CGameCtrlPage::ShowListView() {
    if (editView_) editView_->SetVisible(0);
    if (listView_) listView_->SetVisible(1);
}

int CGameCtrlPage::IsEditViewShown() const { return editView_ && editView_->GetVisible() ? 1 : 0; }

void CGameCtrlPage::ShowPanel(int panel) {
    if (panel < 0 || panel > 3) return;
    panel_ = panel;
    for (int i = 0; i < 4; ++i) {
        if (panels_[i]) panels_[i]->SetVisible(i == panel ? 1 : 0);
        if (tabs_[i]) tabs_[i]->SetChecked(i == panel ? 1 : 0, 0);
    }
}

std::wstring CGameCtrlPage::OverviewText() const { return overview_ ? overview_->GetText() : std::wstring(); }

int CGameCtrlPage::OpenGameTask(int id) {
    GameTaskRecord* task = Find(id);
    if (!task) return 0;
    currentId_ = id;
    if (listView_) listView_->SetVisible(0);
    if (editView_) editView_->SetVisible(1);
    LoadIntoControls(*task);
    ShowPanel(3);
    if (navigation_)
        if (NavigationNode* entry = navigation_->FindNodeByValue(id)) navigation_->SelectNode(entry->id);
    return 1;
}

// ---- record <-> controls ----

void CGameCtrlPage::FillThemeCombo(const std::wstring& selected) {
    themeNames_.clear();
    if (!themeCombo_) return;
    themeCombo_->ClearItems();
    themeCombo_->AddItem(kNoLight, 0, L"");
    COVSystemConfig* stores = host_->Services().stores;
    LightThemeList themes;
    if (stores) stores->LoadThemes(&themes);
    for (const auto& t : themes) {
        themeNames_.push_back(Field(t->name));
        themeCombo_->AddItem(themeNames_.back(), static_cast<int32_t>(themeNames_.size()), L"");
    }
    // The stored name, when it is one of the list; "不做任何操作" when none is stored.
    int32_t value = 0;
    for (size_t i = 0; i < themeNames_.size(); ++i)
        if (themeNames_[i] == selected) {
            value = static_cast<int32_t>(i + 1);
            break;
        }
    // A theme renamed or deleted since stays chosen as it was stored, so a
    // save that changes something else does not quietly drop it.
    if (value == 0 && !selected.empty() && selected != kNoLight) {
        themeNames_.push_back(selected);
        value = static_cast<int32_t>(themeNames_.size());
        themeCombo_->AddItem(selected, value, L"");
    }
    themeCombo_->SelectByValue(value, 0);
}

void CGameCtrlPage::LoadIntoControls(const GameTaskRecord& t) {
    if (nameEdit_) {
        nameEdit_->SetReadOnly(1);
        nameEdit_->SetText(Field(t.name));
    }
    if (gameButton_) gameButton_->SetText(gametext::FileNameOfPath(Field(t.path)));
    if (appletEnable_) appletEnable_->SetChecked(t.appletStatus, 0);
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        AppletRow& r = applets_[i];
        r.path = Field(t.applet[i].path);
        if (r.enable) r.enable->SetChecked(t.applet[i].status, 0);
        if (r.program) r.program->SetText(r.path.empty() ? L"" : L"...\\" + gametext::FileNameOfPath(r.path));
        if (r.start) r.start->SetChecked(t.applet[i].type ? 1 : 0, 0);
        if (r.close) r.close->SetChecked(t.applet[i].type ? 0 : 1, 0);
    }
    if (webEnable_) webEnable_->SetChecked(t.webSetStatus, 0);
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        if (webs_[i].enable) webs_[i].enable->SetChecked(t.webSet[i].status, 0);
        if (webs_[i].address) webs_[i].address->SetText(Field(t.webSet[i].path));
    }
    if (lightEnable_) lightEnable_->SetChecked(t.lightStatus, 0);
    FillThemeCombo(Field(t.lightName));
    ColourRows();
    if (overview_) overview_->SetText(gametext::BuildOverviewText(t));
}

void CGameCtrlPage::CollectFromControls(GameTaskRecord* t) {
    // Id and game path stay; everything else is taken from the controls.
    const int32_t id = t->id;
    const std::wstring path = Field(t->path);
    *t = GameTaskRecord{};
    t->id = id;
    SetField(t->path, path);
    std::wstring name = nameEdit_ ? nameEdit_->GetText() : std::wstring();
    if (name.empty()) {
        name = gametext::DefaultGameTaskName(path);
        if (nameEdit_) nameEdit_->SetText(name);
    }
    SetField(t->name, name);
    t->lightStatus = lightEnable_ && lightEnable_->GetChecked() ? 1 : 0;
    // The name comes from the theme list, whole, not from the combo's text.
    const int32_t index = themeCombo_ ? themeCombo_->GetSelectedIndex() : -1;
    if (index == 0)
        SetField(t->lightName, kNoLight);
    else if (index > 0 && static_cast<size_t>(index) <= themeNames_.size())
        SetField(t->lightName, themeNames_[static_cast<size_t>(index) - 1]);
    t->webSetStatus = webEnable_ && webEnable_->GetChecked() ? 1 : 0;
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        t->webSet[i].status = webs_[i].enable && webs_[i].enable->GetChecked() ? 1 : 0;
        if (webs_[i].address) SetField(t->webSet[i].path, webs_[i].address->GetText());
    }
    t->appletStatus = appletEnable_ && appletEnable_->GetChecked() ? 1 : 0;
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        const AppletRow& r = applets_[i];
        t->applet[i].status = r.enable && r.enable->GetChecked() ? 1 : 0;
        t->applet[i].type = r.start && r.start->GetChecked() ? 1 : 0;
        SetField(t->applet[i].path, r.path);
    }
}

void CGameCtrlPage::ColourRows() {
    auto colour = [](CDUI_UIControl* c, int on, bool text) {
        if (!c) return;
        if (text) c->SetTextColor(on ? kRowOnColour : kRowOffColour);
        c->SetEnabled(on);
    };
    for (auto& r : applets_) {
        const int on = r.enable && r.enable->GetChecked() ? 1 : 0;
        if (r.caption) r.caption->SetTextColor(on ? kRowOnColour : kRowOffColour);
        colour(r.program, on, true);
        colour(r.choose, on, false);
        colour(r.clear, on, false);
        colour(r.start, on, true);
        colour(r.close, on, true);
    }
    for (auto& r : webs_) {
        const int on = r.enable && r.enable->GetChecked() ? 1 : 0;
        if (r.caption) r.caption->SetTextColor(on ? kRowOnColour : kRowOffColour);
        colour(r.address, on, true);
        colour(r.clear, on, false);
    }
}

// ---- actions ----

int CGameCtrlPage::AddGameFromPath(const std::wstring& programPath) {
    COVSystemConfig* stores = host_ ? host_->Services().stores : nullptr;
    if (programPath.empty() || !stores) return 0;
    auto task = NewGameTaskRecord();
    gametext::FillNewGameTask(task.get(), programPath);
    if (!stores->AddGameTask(task.get())) return 0;
    Reload();
    if (records_.empty()) return 0;
    return OpenGameTask(records_.back()->id);
}

void CGameCtrlPage::ChooseGame() {
    std::wstring path;
    HWND owner = host_->Services().env ? host_->Services().env->GetWindowHandle() : nullptr;
    if (!ChooseFileToOpen(owner, kGameDialogTitle, L"", kGameFilter, &path)) return;
    AddGameFromPath(path);
}

void CGameCtrlPage::ChooseApplet(int row) {
    std::wstring path;
    HWND owner = host_->Services().env ? host_->Services().env->GetWindowHandle() : nullptr;
    if (!ChooseFileToOpen(owner, kAppletDialogTitle, L"", kAppletFilter, &path)) return;
    applets_[row].path = path;
    if (applets_[row].program) applets_[row].program->SetText(L"...\\" + gametext::FileNameOfPath(path));
}

int CGameCtrlPage::SaveCurrent() {
    GameTaskRecord* current = Find(currentId_);
    COVSystemConfig* stores = host_->Services().stores;
    if (!current) return 0;
    GameTaskRecord edited = *current;
    CollectFromControls(&edited);
    if (!stores || !stores->UpdateGameTask(edited)) {
        Notify(L"保存游戏模式失败!");
        return 0;
    }
    Reload();
    if (GameTaskRecord* saved = Find(currentId_)) {
        if (overview_) overview_->SetText(gametext::BuildOverviewText(*saved));
        if (gameButton_) gameButton_->SetText(gametext::FileNameOfPath(Field(saved->path)));
    }
    // The overview shows what was saved; the rebuilt list keeps the mode chosen.
    ShowPanel(3);
    if (navigation_)
        if (NavigationNode* entry = navigation_->FindNodeByValue(currentId_)) navigation_->SelectNode(entry->id);
    Notify(L"保存游戏模式成功!");
    return 1;
}

void CGameCtrlPage::ResetCurrent() {
    GameTaskRecord* current = Find(currentId_);
    COVSystemConfig* stores = host_->Services().stores;
    if (!current || !stores) return;
    GameTaskRecord reset = *current;
    gametext::FillNewGameTask(&reset, Field(current->path));
    if (!stores->UpdateGameTask(reset)) return;
    const int id = currentId_;
    Reload();
    OpenGameTask(id);
}

void CGameCtrlPage::DeleteCurrent() {
    COVSystemConfig* stores = host_->Services().stores;
    if (!currentId_ || !stores || !stores->RemoveGameTask(currentId_)) return;
    currentId_ = 0;
    Reload();
    if (!records_.empty()) currentId_ = records_.back()->id;
    if (navigation_ && currentId_)
        if (NavigationNode* last = navigation_->FindNodeByValue(currentId_)) navigation_->SelectNode(last->id);
    ShowListView();
}

int CGameCtrlPage::CreateShortcutForCurrent() {
    GameTaskRecord* current = Find(currentId_);
    CApplicationEnv* env = host_->Services().env;
    if (!current || !env) return 0;
    const std::wstring name = Field(current->name);
    HICON large = nullptr;
    int made = 0;
    if (ExtractProgramIcon(Field(current->path), &large, nullptr)) {
        std::wstring dataFolder = env->GetDataFolder();
        if (!dataFolder.empty() && dataFolder.back() != L'\\') dataFolder += L'\\';
        std::wstring programFolder = env->GetProgramFolder();
        if (!programFolder.empty() && programFolder.back() != L'\\') programFolder += L'\\';
        const std::wstring icon = dataFolder + gametext::IconFileName(name);
        const std::wstring desktop = DesktopFolder();
        made = SaveIconToFile(large, 32, icon) && !desktop.empty() &&
               CreateShellLink(programFolder + L"Pexilo.exe", gametext::ShortcutArguments(current->id), icon,
                               desktop + L"\\" + gametext::ShortcutFileName(name));
        DestroyIcon(large);
    }
    Notify(made ? L"生成快捷方式成功!" : L"生成快捷方式失败!");
    return made;
}

int CGameCtrlPage::RunGameTaskById(unsigned int id) {
    COVSystemConfig* stores = host_ ? host_->Services().stores : nullptr;
    if (!stores) return 1;
    GameTaskList tasks;
    stores->LoadGameTasks(&tasks);
    for (const auto& t : tasks)
        if (t->id > 0 && static_cast<unsigned int>(t->id) == id) {
            RunGameTask(*t);
            break;
        }
    return 1;
}

int CGameCtrlPage::RunGameTask(const GameTaskRecord& task) { return RunGameTaskSteps(task, actions_.get()); }

int CGameCtrlPage::GetGameTaskCountText(std::wstring* text) {
    COVSystemConfig* stores = host_ ? host_->Services().stores : nullptr;
    if (!text || !stores) return 0;
    GameTaskList tasks;
    if (!stores->LoadGameTasks(&tasks)) return 0;
    *text = gametext::GameTaskCountText(tasks.size());
    return 1;
}

void CGameCtrlPage::Notify(const std::wstring& text) {
    lastNotice_ = text;
    if (messageBox_) messageBox_->ShowMessage(text, 3, 2);
}

void CGameCtrlPage::AskToConfirm(const std::wstring& text, Pending what) {
    pending_ = what;
    lastNotice_ = text;
    if (messageBox_) messageBox_->ShowMessage(text, 4, 5);
}

// ---- events ----

void CGameCtrlPage::OnClicked(CDUI_UIControl* control, const CDUI_EventRecord*, void* user) {
    static_cast<CGameCtrlPage*>(user)->HandleClick(control);
}

void CGameCtrlPage::HandleClick(CDUI_UIControl* c) {
    if (!c) return;
    if (c == returnButton_) {
        host_->ShowHomeView();
    } else if (c == appendButton_) {
        ChooseGame();
    } else if (c == listButton_) {
        ShowListView();
    } else if (c == editButton_) {
        if (nameEdit_) nameEdit_->SetReadOnly(nameEdit_->GetReadOnly() ? 0 : 1);
    } else if (c == gameButton_) {
        ShowPanel(3);
    } else if (c == saveButton_) {
        SaveCurrent();
    } else if (c == resetButton_) {
        if (currentId_) AskToConfirm(L"确定要重置该游戏模式吗?", Pending::Reset);
    } else if (c == removeButton_) {
        if (currentId_) AskToConfirm(L"确定要删除该游戏模式吗?", Pending::Delete);
    } else if (c == shortcutButton_) {
        if (currentId_) CreateShortcutForCurrent();
    } else {
        for (int i = 0; i < 4; ++i)
            if (c == tabs_[i]) return ShowPanel(i);
        for (int i = 0; i < GameTaskRecord::kRows; ++i) {
            if (c == applets_[i].choose) return ChooseApplet(i);
            if (c == applets_[i].clear) {
                applets_[i].path.clear();
                if (applets_[i].program) applets_[i].program->SetText(L"");
                return;
            }
            if (c == webs_[i].clear) {
                if (webs_[i].address) webs_[i].address->SetText(L"");
                return;
            }
        }
        for (const auto& t : tiles_)
            if (c == t.image) {
                // The tile carries the id; the record is looked up afresh.
                if (GameTaskRecord* task = Find(t.id)) RunGameTask(*task);
                return;
            }
    }
}

void CGameCtrlPage::OnRowChecked(CDUI_UIControl*, int32_t, void* user) { static_cast<CGameCtrlPage*>(user)->ColourRows(); }

void CGameCtrlPage::OnNavigationSelect(CDUI_NavigationBar*, int32_t id, const std::wstring&, int32_t value,
                                       NavigationNode*, int, void* user) {
    auto* page = static_cast<CGameCtrlPage*>(user);
    if (id == kHeaderEntryId)
        page->ShowListView();
    else
        page->OpenGameTask(value);
}

void CGameCtrlPage::OnMessageResult(CDUI_UIControl*, int32_t value, void* user) {
    auto* page = static_cast<CGameCtrlPage*>(user);
    const Pending what = page->pending_;
    page->pending_ = Pending::None;
    if (value != kMsgYes) return;
    if (what == Pending::Reset) page->ResetCurrent();
    if (what == Pending::Delete) page->DeleteCurrent();
}
