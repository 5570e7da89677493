#pragma once
// The game-mode page: a list of tiles (one per game mode; a click runs it)
// and an edit view with four panels (companion programs, web pages, light,
// overview). It also runs game modes for the shortcut hand-over and counts
// them for the account page. GUI thread only.
#include <memory>
#include <string>
#include <vector>

#include "ClientPages.h"
#include "GameTaskRecord.h"
#include "GameTaskRun.h"

class CDUI_Button;
class CDUI_CheckBox;
class CDUI_ComboBox;
class CDUI_Label;
class CDUI_MessageBox;
class CDUI_NavigationBar;
class CDUI_OptionButton;
class CDUI_Panel;
class CDUI_TextEdit;
class CDUI_UIControl;
struct CDUI_EventRecord;
class CDUI_Image;
struct NavigationNode;

class CGameCtrlPage : public IClientPage, public IGamePageLink {
public:
    // All three borrowed; they outlive the page.
    CGameCtrlPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
    ~CGameCtrlPage() override;
    CGameCtrlPage(const CGameCtrlPage&) = delete;
    CGameCtrlPage& operator=(const CGameCtrlPage&) = delete;

    // IClientPage. Show opens the list view.
    int Create() override;
    void Show() override;
    void Hide() override;
    void Shutdown() override;

    // IGamePageLink.
    int RunGameTaskById(unsigned int id) override;
    int GetGameTaskCountText(std::wstring* text) override;

    // Runs one game mode. 1.
    int RunGameTask(const GameTaskRecord& task);

    // The user's actions, as the buttons trigger them.
    int AddGameFromPath(const std::wstring& programPath);
    int OpenGameTask(int id);
    int SaveCurrent();
    int CreateShortcutForCurrent();
    void ShowListView();
    void ShowPanel(int panel);

    // State the suites read.
    int CurrentId() const { return currentId_; }
    int IsEditViewShown() const;
    int VisiblePanel() const { return panel_; }
    size_t TileCount() const { return tiles_.size(); }
    CDUI_UIControl* Tile(size_t index) const;
    std::wstring OverviewText() const;
    // The last notice shown in the page's message box.
    std::wstring LastNotice() const { return lastNotice_; }

    // The filter and title texts of the two open-file dialogs.
    static constexpr const wchar_t* kGameFilter = L"游戏程序(*.exe)|*.exe";
    static constexpr const wchar_t* kGameDialogTitle = L"请选择要添加的游戏";
    static constexpr const wchar_t* kAppletFilter = L"应用程序(*.exe)|*.exe";
    static constexpr const wchar_t* kAppletDialogTitle = L"选择应用程序";

private:
    struct AppletRow {
        CDUI_Label* caption = nullptr;
        CDUI_CheckBox* enable = nullptr;
        CDUI_Label* program = nullptr;
        CDUI_Button* choose = nullptr;
        CDUI_Button* clear = nullptr;
        CDUI_OptionButton* start = nullptr;
        CDUI_OptionButton* close = nullptr;
        std::wstring path;  // the full path chosen or stored for the row
    };
    struct WebRow {
        CDUI_Label* caption = nullptr;
        CDUI_CheckBox* enable = nullptr;
        CDUI_TextEdit* address = nullptr;
        CDUI_Button* clear = nullptr;
    };
    struct TileEntry {
        CDUI_Image* image = nullptr;  // owned through the list view's child list
        CDUI_Label* label = nullptr;
        int id = 0;
    };
    enum class Pending { None, Reset, Delete };

    static void OnClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    static void OnRowChecked(CDUI_UIControl* control, int32_t value, void* user);
    static void OnNavigationSelect(CDUI_NavigationBar* bar, int32_t id, const std::wstring& text, int32_t value,
                                   NavigationNode* node, int open, void* user);
    static void OnMessageResult(CDUI_UIControl* control, int32_t value, void* user);
    static int ApplyThemeThroughHost(const std::wstring& name, void* user);
    void HandleClick(CDUI_UIControl* control);

    CDUI_Button* MakeButton(CDUI_UIControl* parent, const wchar_t* style, const std::wstring& text, int x, int y,
                            int w, int h);
    CDUI_Label* MakeLabel(CDUI_UIControl* parent, const std::wstring& text, int x, int y, int w, int h,
                          uint32_t color, const wchar_t* font);
    CDUI_CheckBox* MakeCheckBox(CDUI_UIControl* parent, const wchar_t* style, const std::wstring& text, int x,
                                int y, int w, int h);
    CDUI_Panel* MakePanel(CDUI_UIControl* parent, int x, int y, int w, int h, uint32_t back, uint32_t frame);
    void BuildHeader();
    void BuildEditView();
    void BuildAppletPanel(CDUI_Panel* panel);
    void BuildWebPanel(CDUI_Panel* panel);
    void BuildLightPanel(CDUI_Panel* panel);

    // Reloads the records from the store (the old ones are freed) and
    // rebuilds the navigation list and the tiles. 1/0.
    int Reload();
    void RebuildNavigation();
    void RebuildTiles();
    // The loaded record with this id, or null.
    GameTaskRecord* Find(int id);
    void LoadIntoControls(const GameTaskRecord& task);
    void CollectFromControls(GameTaskRecord* task);
    void FillThemeCombo(const std::wstring& selected);
    void ColourRows();
    void ChooseApplet(int row);
    void ChooseGame();
    void AskToConfirm(const std::wstring& text, Pending what);
    void ResetCurrent();
    void DeleteCurrent();
    void Notify(const std::wstring& text);

    CDUI_UIResource* resource_;  // borrowed
    CDUI_UIScene* scene_;        // borrowed
    IClientHost* host_;          // borrowed
    std::unique_ptr<IGameTaskActions> actions_;  // programs, browser, the lighting page

    GameTaskList records_;  // owned; replaced at every reload
    int currentId_ = 0;     // the record being edited; 0 for none (never a pointer into records_)
    int panel_ = 3;
    Pending pending_ = Pending::None;
    std::wstring lastNotice_;
    std::vector<std::wstring> themeNames_;  // combo item i + 1 shows themeNames_[i]

    // Controls: all owned through the engine's child lists.
    CDUI_Panel* root_ = nullptr;
    CDUI_Button* returnButton_ = nullptr;
    CDUI_Button* appendButton_ = nullptr;
    CDUI_Panel* column_ = nullptr;  // the card holding the list and "添加游戏"
    CDUI_NavigationBar* navigation_ = nullptr;
    CDUI_Panel* listView_ = nullptr;
    CDUI_Label* emptyHint_ = nullptr;
    CDUI_Image* emptyPicture_ = nullptr;
    std::vector<TileEntry> tiles_;
    CDUI_Panel* editView_ = nullptr;
    CDUI_Button* listButton_ = nullptr;  // "GameModeBtn"
    CDUI_TextEdit* nameEdit_ = nullptr;
    CDUI_Button* editButton_ = nullptr;
    CDUI_Button* gameButton_ = nullptr;  // "GameTaskBtn"
    CDUI_OptionButton* tabs_[4] = {};
    CDUI_Panel* panels_[4] = {};
    CDUI_CheckBox* appletEnable_ = nullptr;
    AppletRow applets_[GameTaskRecord::kRows];
    CDUI_CheckBox* webEnable_ = nullptr;
    WebRow webs_[GameTaskRecord::kRows];
    CDUI_CheckBox* lightEnable_ = nullptr;
    CDUI_Label* lightCaption_ = nullptr;
    CDUI_ComboBox* themeCombo_ = nullptr;
    CDUI_Label* overview_ = nullptr;
    CDUI_Button* removeButton_ = nullptr;
    CDUI_Button* resetButton_ = nullptr;
    CDUI_Button* saveButton_ = nullptr;
    CDUI_Button* shortcutButton_ = nullptr;
    CDUI_MessageBox* messageBox_ = nullptr;
};
