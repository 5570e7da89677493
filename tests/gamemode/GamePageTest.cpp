// The game page in process, driven by clicks: adding, editing and saving a
// game mode, the overview, reset and delete through the message box, record
// ids that collide with the header's, theme names longer than the combo
// shows, failures reported as failures, the shortcut files, and running a
// mode by id against the stand-ins. Screenshots of both views go to
// build/gamemode-test/shots/.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include "ClientPageHarness.h"
#include "GameCtrlPage.h"
#include "GameShellOps.h"
#include "GameStandIns.h"
#include "GameTaskText.h"
#include "GameTile.h"
#include "OVSystemConfig.h"
#include "WinHandles.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_TextEdit.h"

using namespace gamestandins;
using gametext::Field;
using gametext::SetField;

namespace {

std::wstring ShotFolder() {
    const std::wstring dir = testpaths::BinaryDir() + L"\\gamemode-test\\shots\\";
    CreateDirectoryW((testpaths::BinaryDir() + L"\\gamemode-test").c_str(), nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

class FakeLightLink : public ILightPageLink {
public:
    std::vector<std::wstring> applied;
    int ApplyThemeByName(const std::wstring& name) override {
        applied.push_back(name);
        return 1;
    }
    int GetLightSelectText(std::wstring*) override { return 0; }
    void ReloadThemeList() override {}
};

class GamePage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(h_.Ready());
        page_ = h_.AddPage<CGameCtrlPage>(ClientPageId::Game);
        ASSERT_NE(page_, nullptr);
        h_.SetLightLink(&light_);
        h_.Host().ShowPage(ClientPageId::Game);
    }

    CGameCtrlPage& Page() { return *page_; }
    GameTaskList Stored() {
        GameTaskList tasks;
        h_.Stores()->LoadGameTasks(&tasks);
        return tasks;
    }
    // Answers the open message box.
    void Answer(const wchar_t* button) { ASSERT_TRUE(h_.ClickText(L"OVButton", button)) << Narrow(button); }

    pageharness::CClientPageHarness h_;
    CGameCtrlPage* page_ = nullptr;
    FakeLightLink light_;
    StandIns s_;
};

TEST_F(GamePage, AddEditSaveAndOverview) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    const std::wstring helper = s_.CopyStub(L"helper.exe");
    ASSERT_TRUE(h_.SaveScreenshot(ShotFolder() + L"list-view-empty.png"));
    CDUI_UIControl* hint = h_.Find(L"OVLabel", L"还没有游戏模式");
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->GetVisible());
    ASSERT_EQ(Page().AddGameFromPath(game), 1);
    EXPECT_FALSE(hint->GetVisible());
    // The new mode is current and shown as if chosen: edit view, overview.
    auto stored = Stored();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(Field(stored[0]->name), L"StubGame");
    EXPECT_EQ(Page().CurrentId(), stored[0]->id);
    EXPECT_EQ(Page().IsEditViewShown(), 1);
    EXPECT_EQ(Page().VisiblePanel(), 3);
    EXPECT_EQ(Page().OverviewText(), gametext::BuildOverviewText(*stored[0]));
    EXPECT_NE(h_.Find(L"OVTreeOptionButton", L"StubGame"), nullptr) << "no navigation entry";

    // Web panel: the section on, row 2 on with a typed address, row 3 off.
    ASSERT_TRUE(h_.Click(h_.Find(L"WebsetTaskBtn")));
    EXPECT_EQ(Page().VisiblePanel(), 1);
    ASSERT_TRUE(h_.Click(h_.Find(L"OVCheckBox", L"网页访问")));
    auto rows = h_.FindAll(L"TPStatusButton");
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_TRUE(h_.Click(rows[1]));
    auto edits = h_.FindAll(L"OVTextEdit");
    ASSERT_EQ(edits.size(), 4u);  // the name and three addresses
    ASSERT_TRUE(h_.Type(edits[2], L"https://news.example.com"));
    EXPECT_FALSE(edits[3]->GetEnabled()) << "a row that is off takes no typing";
    // Light panel: on, the second theme.
    ASSERT_TRUE(h_.Click(h_.Find(L"LightsTaskBtn")));
    ASSERT_TRUE(h_.Click(h_.Find(L"OVCheckBox", L"灯光设置")));
    LightThemeList themes;
    h_.Stores()->LoadThemes(&themes);
    ASSERT_GE(themes.size(), 2u);
    auto* combo = static_cast<CDUI_ComboBox*>(h_.Find(L"OVComboBox"));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetText(), L"不做任何操作");
    combo->SelectByValue(2);
    // Companion panel: on, row 1 closes helper.exe (the path as the chooser
    // leaves it; the dialog itself is the end-to-end suite's).
    ASSERT_TRUE(h_.Click(h_.Find(L"AppletTaskBtn")));
    ASSERT_TRUE(h_.Click(h_.Find(L"OVCheckBox", L"应用程序")));
    ASSERT_TRUE(h_.Click(h_.FindAll(L"TPStatusButton")[0]));
    ASSERT_TRUE(h_.Click(h_.FindAll(L"OVOptionButton", L"如果程序已打开,则关闭该程序")[0]));
    // Name: read-only until "编辑"; an empty name falls back to the file name.
    auto* name = static_cast<CDUI_TextEdit*>(h_.Find(L"OVTextEdit", L"StubGame"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetReadOnly(), 1);
    ASSERT_TRUE(h_.Click(h_.Find(L"EditButton")));
    EXPECT_EQ(name->GetReadOnly(), 0);
    name->SetText(L"");
    ASSERT_TRUE(h_.SaveScreenshot(ShotFolder() + L"edit-view-programs.png"));
    ASSERT_EQ(Page().VisiblePanel(), 0);
    ASSERT_TRUE(h_.Click(h_.Find(L"GameSavedBtn")));
    EXPECT_EQ(Page().LastNotice(), L"保存游戏模式成功!");
    EXPECT_EQ(Page().VisiblePanel(), 3) << "saving returns to the overview";
    ASSERT_TRUE(h_.SaveScreenshot(ShotFolder() + L"saved-notice.png"));
    Answer(L"确定");

    stored = Stored();
    ASSERT_EQ(stored.size(), 1u);
    const GameTaskRecord& t = *stored[0];
    EXPECT_EQ(Field(t.name), L"StubGame");
    EXPECT_EQ(name->GetText(), L"StubGame");
    EXPECT_EQ(Field(t.path), game);
    EXPECT_EQ(t.webSetStatus, 1);
    EXPECT_EQ(t.webSet[0].status, 0);
    EXPECT_EQ(t.webSet[1].status, 1);
    EXPECT_EQ(Field(t.webSet[1].path), L"https://news.example.com");
    EXPECT_EQ(t.webSet[2].status, 0);
    EXPECT_EQ(t.lightStatus, 1);
    EXPECT_EQ(Field(t.lightName), Field(themes[1]->name));
    EXPECT_EQ(t.appletStatus, 1);
    EXPECT_EQ(t.applet[0].status, 1);
    EXPECT_EQ(t.applet[0].type, 0);
    EXPECT_EQ(t.applet[1].type, 1);
    EXPECT_EQ(Page().OverviewText(), gametext::BuildOverviewText(t));
    EXPECT_NE(Page().OverviewText().find(L"2.https://news.example.com"), std::wstring::npos);
    (void)helper;

    ASSERT_TRUE(h_.SaveScreenshot(ShotFolder() + L"edit-view-overview.png"));
    ASSERT_TRUE(h_.Click(h_.Find(L"GameModeBtn")));
    EXPECT_EQ(Page().IsEditViewShown(), 0);
    ASSERT_TRUE(h_.SaveScreenshot(ShotFolder() + L"list-view.png"));
    // "返回" leaves for the home view.
    ASSERT_TRUE(h_.Click(h_.Find(L"GameReturnButton")));
    EXPECT_EQ(h_.HomeViewRequests(), 1);
}

TEST_F(GamePage, TilesCarryTheIconAndRunTheirMode) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    for (int i = 0; i < 8; ++i) ASSERT_EQ(Page().AddGameFromPath(game), 1);
    Page().ShowListView();
    ASSERT_EQ(Page().TileCount(), 8u);
    // Six to a row, 27-pixel gaps from 27, 27 inside the list view.
    int32_t x0, y0, x5, y5, x6, y6;
    Page().Tile(0)->GetPosition(&x0, &y0);
    Page().Tile(5)->GetPosition(&x5, &y5);
    Page().Tile(6)->GetPosition(&x6, &y6);
    EXPECT_EQ(x0, 27);
    EXPECT_EQ(y0, 27);
    EXPECT_EQ(x5, 27 + 5 * 147);
    EXPECT_EQ(y5, 27);
    EXPECT_EQ(x6, 27);
    EXPECT_EQ(y6, 27 + 147);
    EXPECT_EQ(Page().Tile(0)->GetId(), 5501);
    EXPECT_EQ(Page().Tile(7)->GetId(), 5508);
    // The picture: the fill, and the stub's orange icon at 28, 28.
    HBITMAP picture = MakeTileBitmap(game, 120, 120);
    ASSERT_NE(picture, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(picture, sizeof dib, &dib), int(sizeof dib));
    const auto* px = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    EXPECT_EQ(px[5 * 120 + 5], 0xFF030506u);
    const uint32_t orange = px[(28 + 32) * 120 + 28 + 12];
    EXPECT_NEAR(int((orange >> 16) & 0xFF), 0xFF, 8);
    EXPECT_NEAR(int((orange >> 8) & 0xFF), 0x6A, 8);
    EXPECT_EQ(orange >> 24, 0xFFu);
    DeleteObject(picture);
    // A click on a tile runs its mode: the game starts.
    ASSERT_TRUE(h_.Click(Page().Tile(7)));
    ASSERT_TRUE(s_.WaitForLogLines(1));
    EXPECT_NE(FindStart(s_.StubLog(), game), nullptr);
    ASSERT_TRUE(h_.SaveScreenshot(ShotFolder() + L"list-view-8.png"));
}

TEST_F(GamePage, ResetAndDeleteAskFirst) {
    const std::wstring game = s_.CopyStub(L"Racer.exe");
    ASSERT_EQ(Page().AddGameFromPath(game), 1);
    ASSERT_EQ(Page().AddGameFromPath(game), 1);
    const int second = Page().CurrentId();
    GameTaskRecord edited = *Stored()[1];
    SetField(edited.name, L"改过的名字");
    edited.webSetStatus = 1;
    ASSERT_EQ(h_.Stores()->UpdateGameTask(edited), 1);
    h_.Host().ShowPage(ClientPageId::Game);  // showing the page reloads it
    EXPECT_EQ(Page().IsEditViewShown(), 0);
    ASSERT_TRUE(h_.Click(h_.Find(L"OVTreeOptionButton", L"Racer")));  // the first
    ASSERT_TRUE(h_.Click(h_.Find(L"OVTreeOptionButton", L"改过的名字")));
    EXPECT_EQ(Page().CurrentId(), second);

    ASSERT_TRUE(h_.Click(h_.Find(L"GameResetBtn")));
    EXPECT_EQ(Page().LastNotice(), L"确定要重置该游戏模式吗?");
    ASSERT_TRUE(h_.SaveScreenshot(ShotFolder() + L"reset-question.png"));
    Answer(L"否");
    EXPECT_EQ(Field(Stored()[1]->name), L"改过的名字");
    ASSERT_TRUE(h_.Click(h_.Find(L"GameResetBtn")));
    Answer(L"是");
    EXPECT_EQ(Field(Stored()[1]->name), L"Racer");
    EXPECT_EQ(Stored()[1]->webSetStatus, 0);
    EXPECT_EQ(Page().VisiblePanel(), 3);

    ASSERT_TRUE(h_.Click(h_.Find(L"GameRemoveBtn")));
    EXPECT_EQ(Page().LastNotice(), L"确定要删除该游戏模式吗?");
    Answer(L"是");
    ASSERT_EQ(Stored().size(), 1u);
    EXPECT_EQ(Page().IsEditViewShown(), 0);
    // The remaining (last) entry is current, found again by its id.
    EXPECT_EQ(Page().CurrentId(), Stored()[0]->id);
    EXPECT_EQ(Page().TileCount(), 1u);
    EXPECT_EQ(h_.FindAll(L"OVTreeOptionButton").size(), 1u);
}

TEST_F(GamePage, RecordThousandAndLongThemeNames) {
    // The table's counter just below 1000: the next mode gets id 1000, the
    // header entry's own id.
    const std::wstring ini = h_.Stores()->GameTaskFilePath();
    WritePrivateProfileStringW(L"GameTaskConfig", L"RecordBaseID", L"999", ini.c_str());
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    ASSERT_EQ(Page().AddGameFromPath(game), 1);
    ASSERT_EQ(Page().CurrentId(), 1000);
    ASSERT_EQ(Page().AddGameFromPath(game), 1);
    EXPECT_EQ(Page().CurrentId(), 1001);
    EXPECT_EQ(h_.FindAll(L"OVTreeOptionButton", L"StubGame").size(), 2u);
    // Choosing the first entry opens record 1000; the header still folds.
    Page().ShowListView();
    ASSERT_TRUE(h_.Click(h_.FindAll(L"OVTreeOptionButton", L"StubGame")[0]));
    EXPECT_EQ(Page().CurrentId(), 1000);
    EXPECT_EQ(Page().IsEditViewShown(), 1);

    // A theme whose name is longer than the combo shows is stored whole.
    LightThemeRecord theme{};
    const std::wstring longName = L"很长的灯光主题" + std::wstring(150, L'光');
    SetField(theme.name, longName);
    theme.status = 1;
    theme.mode = 1;
    theme.brightness = 100;
    theme.interval = 5000;
    ASSERT_EQ(h_.Stores()->AddTheme(&theme), 1);
    ASSERT_EQ(Page().OpenGameTask(1000), 1);
    ASSERT_TRUE(h_.Click(h_.Find(L"LightsTaskBtn")));
    ASSERT_TRUE(h_.Click(h_.Find(L"OVCheckBox", L"灯光设置")));
    auto* combo = static_cast<CDUI_ComboBox*>(h_.Find(L"OVComboBox"));
    // The new theme is the last item; its value is its place in the list.
    LightThemeList all;
    h_.Stores()->LoadThemes(&all);
    ASSERT_TRUE(combo->SelectByValue(static_cast<int32_t>(all.size())));
    ASSERT_EQ(Page().SaveCurrent(), 1);
    Answer(L"确定");
    GameTaskList stored = Stored();
    EXPECT_EQ(Field(stored[0]->lightName), longName);
    // Running it hands the whole name to the lighting page.
    Page().RunGameTaskById(1000);
    ASSERT_FALSE(light_.applied.empty());
    EXPECT_EQ(light_.applied.back(), longName);

    // The theme is deleted: the mode keeps its name through a save that
    // changes only the mode's own name.
    ASSERT_EQ(h_.Stores()->DeleteTheme(theme.recordNumber), 1);
    ASSERT_EQ(Page().OpenGameTask(1000), 1);
    EXPECT_EQ(combo->GetText(), longName.substr(0, 99));  // as far as a list item holds
    ASSERT_TRUE(h_.Click(h_.Find(L"EditButton")));
    h_.FindAll(L"OVTextEdit")[0]->SetText(L"改名");
    ASSERT_EQ(Page().SaveCurrent(), 1);
    Answer(L"确定");
    stored = Stored();
    EXPECT_EQ(Field(stored[0]->name), L"改名");
    EXPECT_EQ(Field(stored[0]->lightName), longName);
    s_.CloseAll();
}

TEST_F(GamePage, FailuresAreReportedAsFailures) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    ASSERT_EQ(Page().AddGameFromPath(game), 1);
    // The store cannot write (its file has become a folder; a read-only
    // flag would not stop root under Wine): no success message.
    const std::wstring ini = h_.Stores()->GameTaskFilePath();
    ASSERT_TRUE(MoveFileW(ini.c_str(), (ini + L".away").c_str()));
    ASSERT_TRUE(CreateDirectoryW(ini.c_str(), nullptr));
    ASSERT_TRUE(h_.Click(h_.Find(L"GameSavedBtn")));
    RemoveDirectoryW(ini.c_str());
    MoveFileW((ini + L".away").c_str(), ini.c_str());
    EXPECT_EQ(Page().LastNotice(), L"保存游戏模式失败!");
    Answer(L"确定");
    // A game without an icon gives no shortcut, and says so.
    const std::wstring noIcon = s_.ProgramFolder() + L"plain.exe";
    HANDLE f = CreateFileW(noIcon.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    ASSERT_EQ(Page().AddGameFromPath(noIcon), 1);
    ASSERT_TRUE(h_.Click(h_.Find(L"CreateShotcutsBtn")));
    EXPECT_EQ(Page().LastNotice(), L"生成快捷方式失败!");
    EXPECT_EQ(GetFileAttributesW((DesktopFolder() + L"\\游戏模式-plain.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
    Answer(L"确定");
}

TEST_F(GamePage, ShortcutFilesStayInTheirFolders) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    ASSERT_EQ(Page().AddGameFromPath(game), 1);
    const int id = Page().CurrentId();
    // A name that tries to climb out of the data folder and the desktop.
    ASSERT_TRUE(h_.Click(h_.Find(L"EditButton")));
    h_.Find(L"OVTextEdit", L"StubGame")->SetText(L"..\\..\\星际:2?");
    ASSERT_TRUE(h_.Click(h_.Find(L"GameSavedBtn")));
    Answer(L"确定");
    EXPECT_EQ(Field(Stored()[0]->name), L"..\\..\\星际:2?");  // kept as typed
    EXPECT_NE(h_.Find(L"OVTreeOptionButton", L"..\\..\\星际:2?"), nullptr);
    ASSERT_TRUE(h_.Click(h_.Find(L"CreateShotcutsBtn")));
    EXPECT_EQ(Page().LastNotice(), L"生成快捷方式成功!");
    Answer(L"确定");
    std::wstring data = h_.DataFolder();
    if (data.back() != L'\\') data += L'\\';
    const std::wstring icon = data + L".._.._星际_2_.ico";
    const std::wstring link = DesktopFolder() + L"\\游戏模式-.._.._星际_2_.lnk";
    EXPECT_NE(GetFileAttributesW(icon.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES);
    win::CComApartment com(COINIT_APARTMENTTHREADED);
    win::CComRef<IShellLinkW> sl;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(sl.Out()))));
    win::CComRef<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))));
    ASSERT_TRUE(SUCCEEDED(file->Load(link.c_str(), STGM_READ)));
    wchar_t text[MAX_PATH] = {};
    sl->GetArguments(text, MAX_PATH);
    EXPECT_EQ(std::wstring(text), L"GameTaskID_" + std::to_wstring(id));
    sl->GetPath(text, MAX_PATH, nullptr, 0);
    std::wstring program = h_.ProgramFolder();
    if (program.back() != L'\\') program += L'\\';
    EXPECT_EQ(_wcsicmp(text, (program + L"Pexilo.exe").c_str()), 0) << Narrow(text);
    int index = -1;
    sl->GetIconLocation(text, MAX_PATH, &index);
    EXPECT_EQ(_wcsicmp(text, icon.c_str()), 0) << Narrow(text);
    DeleteFileW(link.c_str());
}

TEST_F(GamePage, RunByIdAgainstTheStandIns) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    const std::wstring starter = s_.CopyStub(L"my helper.exe");
    const std::wstring closer = s_.CopyStub(L"语音助手.exe");
    ASSERT_EQ(StartProgramInFolder(closer), 1);
    ASSERT_TRUE(s_.WaitForWindow(L"语音助手.exe"));
    ASSERT_EQ(Page().AddGameFromPath(game), 1);
    GameTaskRecord t = *Stored()[0];
    t.appletStatus = 1;
    SetField(t.applet[0].path, starter);
    t.applet[0].type = 1;
    t.applet[0].status = 1;
    SetField(t.applet[1].path, closer);
    t.applet[1].type = 0;
    t.applet[1].status = 1;
    t.webSetStatus = 1;
    SetField(t.webSet[0].path, L"www.example.com/游戏");
    t.webSet[0].status = 1;
    SetField(t.webSet[2].path, L"https://example.org");
    t.webSet[2].status = 1;
    t.lightStatus = 1;
    SetField(t.lightName, L"烈焰红");
    ASSERT_EQ(h_.Stores()->UpdateGameTask(t), 1);

    // An unknown id does nothing.
    EXPECT_EQ(Page().RunGameTaskById(static_cast<unsigned>(t.id + 50)), 1);
    Sleep(500);
    EXPECT_EQ(s_.StubLog().size(), 1u);  // only the closer's own start
    EXPECT_TRUE(light_.applied.empty());

    EXPECT_EQ(Page().RunGameTaskById(static_cast<unsigned>(t.id)), 1);
    ASSERT_TRUE(s_.WaitForWindowGone(L"语音助手.exe"));
    ASSERT_TRUE(s_.WaitForLogLines(4));
    ASSERT_TRUE(s_.WaitForBrowserLines(2));
    const auto lines = s_.StubLog();
    EXPECT_NE(FindStart(lines, starter), nullptr);
    const StubLine* g = FindStart(lines, game);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->commandLine, L"\"" + game + L"\"");
    EXPECT_EQ(TrimSlash(g->folder), TrimSlash(s_.ProgramFolder()));
    EXPECT_EQ(CountEvents(lines, L"close"), 1u);
    EXPECT_EQ(s_.SortedBrowserLog(), (std::vector<std::wstring>{L"http://www.example.com/游戏", L"https://example.org"}));
    EXPECT_EQ(light_.applied, std::vector<std::wstring>{L"烈焰红"});
    std::wstring count;
    EXPECT_EQ(Page().GetGameTaskCountText(&count), 1);
    EXPECT_EQ(count, L"1种");

    // Without a lighting page the light step is skipped, the rest runs.
    h_.SetLightLink(nullptr);
    Page().RunGameTaskById(static_cast<unsigned>(t.id));
    ASSERT_TRUE(s_.WaitForBrowserLines(4));
    EXPECT_EQ(light_.applied.size(), 1u);
    s_.CloseAll();
}

}  // namespace
