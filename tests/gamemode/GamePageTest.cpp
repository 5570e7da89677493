// The game page in process, driven by clicks: adding, editing and saving a
// game mode, the overview, reset and delete through the message box, record
// ids that collide with the header's, theme names longer than the combo
// shows, failures reported as failures, the shortcut files, and running a
// mode by id against the stand-ins. Screenshots of both views go to
// build/gamemode-test/shots/.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include "GamePageHarness.h"
#include "GameShellOps.h"
#include "GameStandIns.h"
#include "GameTaskText.h"
#include "GameTile.h"
#include "PrivateProfileCtrl.h"
#include "WinHandles.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_NavigationBar.h"

using namespace gamestandins;
using gamepage::Harness;
using gametext::Field;
using gametext::SetField;

namespace {

std::wstring ShotFolder() {
    const std::wstring dir = testpaths::BinaryDir() + L"\\gamemode-test\\shots\\";
    CreateDirectoryW((testpaths::BinaryDir() + L"\\gamemode-test").c_str(), nullptr);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

class GamePage : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test starts from an empty game-mode table.
        CApplicationEnv env;
        env.Initialize(GetModuleHandleW(nullptr));
        DeleteFileW((env.GetDataFolder() + L"GameTaskConfig.ini").c_str());
        h_ = std::make_unique<Harness>();
        ASSERT_EQ(h_->Page().Create(), 1);
        h_->Page().Show();
    }
    void TearDown() override { h_.reset(); }

    GameTaskList Stored() {
        GameTaskList tasks;
        h_->Stores().LoadGameTasks(&tasks);
        return tasks;
    }
    CDUI_MessageBox* Box() {
        for (auto* c : h_->FindAllOfKind(L"MessageBox")) return static_cast<CDUI_MessageBox*>(c);
        return nullptr;
    }
    void Answer(int button) {
        CDUI_MessageBox* box = Box();
        ASSERT_NE(box, nullptr) << "no message box open";
        h_->Click(box->GetButton(button));
    }

    std::unique_ptr<Harness> h_;
    StandIns s_;
};

TEST_F(GamePage, AddEditSaveAndOverview) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    const std::wstring helper = s_.CopyStub(L"helper.exe");
    ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
    // The new mode is current and shown as if chosen: edit view, overview.
    auto stored = Stored();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(Field(stored[0]->name), L"StubGame");
    EXPECT_EQ(h_->Page().CurrentId(), stored[0]->id);
    EXPECT_EQ(h_->Page().IsEditViewShown(), 1);
    EXPECT_EQ(h_->Page().VisiblePanel(), 3);
    EXPECT_EQ(h_->Page().OverviewText(), gametext::BuildOverviewText(*stored[0]));
    EXPECT_NE(h_->Find(L"StubGame", L"OptionButton"), nullptr) << "no navigation entry";

    // Web panel: enable the section and row 2, type an address.
    h_->Click(h_->Find(L"网页访问", L"OptionButton"));
    EXPECT_EQ(h_->Page().VisiblePanel(), 1);
    h_->Click(h_->Find(L"网页访问", L"CheckBox"));
    auto edits = h_->FindAllOfKind(L"TextEdit");
    ASSERT_GE(edits.size(), 3u);  // address rows of the visible panel (and the name)
    auto checks = h_->FindAllOfKind(L"CheckBox");
    ASSERT_EQ(checks.size(), 4u);  // section + three rows
    h_->Click(checks[2]);
    edits.back()->SetText(L"not-typed.example");  // row 3 stays off
    edits[edits.size() - 2]->SetText(L"https://news.example.com");
    // Light panel: enable, pick the second theme.
    h_->Click(h_->Find(L"灯光设置", L"OptionButton"));
    h_->Click(h_->Find(L"灯光设置", L"CheckBox"));
    LightThemeList themes;
    h_->Stores().LoadThemes(&themes);
    ASSERT_GE(themes.size(), 2u);
    auto combos = h_->FindAllOfKind(L"ComboBox");
    ASSERT_EQ(combos.size(), 1u);
    static_cast<CDUI_ComboBox*>(combos[0])->SelectByValue(2);
    // Companion panel: row 1 closes helper.exe (its path set as the chooser would).
    h_->Click(h_->Find(L"应用程序", L"OptionButton"));
    h_->Click(h_->Find(L"应用程序", L"CheckBox"));
    checks = h_->FindAllOfKind(L"CheckBox");
    h_->Click(checks[1]);
    h_->Click(h_->Find(L"如果程序已打开,则关闭该程序", L"OptionButton"));
    // Name: "编辑" makes it editable; an empty name falls back to the file name.
    h_->Click(h_->Find(L"编辑"));
    h_->Find(L"StubGame", L"TextEdit")->SetText(L"");
    h_->Click(h_->Find(L"保存"));
    EXPECT_EQ(h_->Page().LastNotice(), L"保存游戏模式成功!");
    Answer(kMsgOk);

    stored = Stored();
    ASSERT_EQ(stored.size(), 1u);
    const GameTaskRecord& t = *stored[0];
    EXPECT_EQ(Field(t.name), L"StubGame");
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
    EXPECT_EQ(h_->Page().OverviewText(), gametext::BuildOverviewText(t));
    EXPECT_NE(h_->Page().OverviewText().find(L"2.https://news.example.com"), std::wstring::npos);
    (void)helper;

    ASSERT_TRUE(h_->Screenshot(ShotFolder() + L"edit-view.png"));
    h_->Click(h_->Find(L"我的游戏", L"Button"));
    EXPECT_EQ(h_->Page().IsEditViewShown(), 0);
    ASSERT_TRUE(h_->Screenshot(ShotFolder() + L"list-view.png"));
}

TEST_F(GamePage, TilesCarryTheIconAndRunTheirMode) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    for (int i = 0; i < 8; ++i) ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
    h_->Page().ShowListView();
    ASSERT_EQ(h_->Page().TileCount(), 8u);
    // Six to a row, 27-pixel gaps from 27, 27 inside the list view.
    int32_t x0, y0, x5, y5, x6, y6;
    h_->Page().Tile(0)->GetPosition(&x0, &y0);
    h_->Page().Tile(5)->GetPosition(&x5, &y5);
    h_->Page().Tile(6)->GetPosition(&x6, &y6);
    EXPECT_EQ(x0, 27);
    EXPECT_EQ(y0, 27);
    EXPECT_EQ(x5, 27 + 5 * 147);
    EXPECT_EQ(y5, 27);
    EXPECT_EQ(x6, 27);
    EXPECT_EQ(y6, 27 + 147);
    auto* tile = static_cast<CGameTile*>(h_->Page().Tile(0));
    EXPECT_EQ(tile->PixelAt(5, 5), 0xFF030506u);  // the fill
    const uint32_t centre = tile->PixelAt(28 + 12, 28 + 32);  // orange part of the stub's icon
    EXPECT_NEAR(int((centre >> 16) & 0xFF), 0xFF, 8);
    EXPECT_NEAR(int((centre >> 8) & 0xFF), 0x6A, 8);
    // A click on a tile runs its mode: the game starts.
    h_->Click(h_->Page().Tile(7));
    ASSERT_TRUE(s_.WaitForLogLines(1));
    EXPECT_NE(FindStart(s_.StubLog(), game), nullptr);
    ASSERT_TRUE(h_->Screenshot(ShotFolder() + L"list-view-8.png"));
}

TEST_F(GamePage, ResetAndDeleteAskFirst) {
    const std::wstring game = s_.CopyStub(L"Racer.exe");
    ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
    ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
    const int second = h_->Page().CurrentId();
    GameTaskRecord edited = *Stored()[1];
    SetField(edited.name, L"改过的名字");
    edited.webSetStatus = 1;
    ASSERT_EQ(h_->Stores().UpdateGameTask(edited), 1);
    ASSERT_EQ(h_->Page().OpenGameTask(second), 1);

    h_->Click(h_->Find(L"重置"));
    EXPECT_EQ(h_->Page().LastNotice(), L"确定要重置该游戏模式吗?");
    Answer(kMsgNo);
    EXPECT_EQ(Field(Stored()[1]->name), L"改过的名字");
    h_->Click(h_->Find(L"重置"));
    Answer(kMsgYes);
    EXPECT_EQ(Field(Stored()[1]->name), L"Racer");
    EXPECT_EQ(Stored()[1]->webSetStatus, 0);
    EXPECT_EQ(h_->Page().VisiblePanel(), 3);

    h_->Click(h_->Find(L"删除", L"Button"));
    EXPECT_EQ(h_->Page().LastNotice(), L"确定要删除该游戏模式吗?");
    Answer(kMsgYes);
    ASSERT_EQ(Stored().size(), 1u);
    EXPECT_EQ(h_->Page().IsEditViewShown(), 0);
    // The remaining (last) entry is current, found again by its id.
    EXPECT_EQ(h_->Page().CurrentId(), Stored()[0]->id);
    EXPECT_EQ(h_->Page().TileCount(), 1u);
}

TEST_F(GamePage, RecordThousandAndLongThemeNames) {
    // The table's counter just below 1000: the next mode gets id 1000, the
    // header entry's own id.
    const std::wstring ini = h_->Stores().GameTaskFilePath();
    WritePrivateProfileStringW(L"GameTaskConfig", L"RecordBaseID", L"999", ini.c_str());
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
    ASSERT_EQ(h_->Page().CurrentId(), 1000);
    ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
    EXPECT_EQ(h_->Page().CurrentId(), 1001);
    // Choosing the first entry in the list opens record 1000, and the header
    // still goes back to the list.
    h_->Page().ShowListView();
    auto entries = h_->FindAllOfKind(L"OptionButton");
    CDUI_UIControl* first = nullptr;
    for (auto* e : entries)
        if (e->GetText() == L"StubGame") {
            first = e;
            break;
        }
    ASSERT_NE(first, nullptr);
    h_->Click(first);
    EXPECT_EQ(h_->Page().CurrentId(), 1000);
    EXPECT_EQ(h_->Page().IsEditViewShown(), 1);

    // A theme whose name is longer than the combo shows is stored whole.
    LightThemeRecord theme{};
    const std::wstring longName = L"很长的灯光主题" + std::wstring(150, L'光');
    gametext::SetField(theme.name, longName);
    theme.status = 1;
    theme.mode = 1;
    theme.brightness = 100;
    theme.interval = 5000;
    ASSERT_EQ(h_->Stores().AddTheme(&theme), 1);
    ASSERT_EQ(h_->Page().OpenGameTask(1000), 1);
    h_->Click(h_->Find(L"灯光设置", L"OptionButton"));
    h_->Click(h_->Find(L"灯光设置", L"CheckBox"));
    auto* combo = static_cast<CDUI_ComboBox*>(h_->FindAllOfKind(L"ComboBox")[0]);
    ASSERT_EQ(combo->SelectByText(longName.substr(0, 99)) || combo->SelectByText(longName), 1);
    ASSERT_EQ(h_->Page().SaveCurrent(), 1);
    GameTaskList stored = Stored();
    EXPECT_EQ(Field(stored[0]->lightName), longName);
    // Running it hands the whole name to the lighting page.
    h_->Page().RunGameTaskById(1000);
    ASSERT_FALSE(h_->light.applied.empty());
    EXPECT_EQ(h_->light.applied.back(), longName);
    s_.CloseAll();
}

TEST_F(GamePage, FailuresAreReportedAsFailures) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
    // The store refuses the write: no success message.
    const std::wstring ini = h_->Stores().GameTaskFilePath();
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    h_->Click(h_->Find(L"保存"));
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(h_->Page().LastNotice(), L"保存游戏模式失败!");
    Answer(kMsgOk);
    // A game without an icon gives no shortcut, and says so.
    const std::wstring noIcon = s_.ProgramFolder() + L"plain.exe";
    HANDLE f = CreateFileW(noIcon.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    ASSERT_EQ(h_->Page().AddGameFromPath(noIcon), 1);
    h_->Click(h_->Find(L"创建快捷方式"));
    EXPECT_EQ(h_->Page().LastNotice(), L"生成快捷方式失败!");
    EXPECT_EQ(GetFileAttributesW((DesktopFolder() + L"\\游戏模式-plain.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
    Answer(kMsgOk);
}

TEST_F(GamePage, ShortcutFilesStayInTheirFolders) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
    const int id = h_->Page().CurrentId();
    // A name that tries to climb out of the data folder and the desktop.
    h_->Click(h_->Find(L"编辑"));
    h_->Find(L"StubGame", L"TextEdit")->SetText(L"..\\..\\星际:2?");
    ASSERT_EQ(h_->Page().SaveCurrent(), 1);
    Answer(kMsgOk);
    EXPECT_EQ(Field(Stored()[0]->name), L"..\\..\\星际:2?");  // kept as typed
    h_->Click(h_->Find(L"创建快捷方式"));
    EXPECT_EQ(h_->Page().LastNotice(), L"生成快捷方式成功!");
    Answer(kMsgOk);
    const std::wstring icon = h_->Env().GetDataFolder() + L".._.._星际_2_.ico";
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
    sl->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    EXPECT_EQ(_wcsicmp(text, (h_->Env().GetProgramFolder() + L"Pexilo.exe").c_str()), 0);
    int index = -1;
    sl->GetIconLocation(text, MAX_PATH, &index);
    EXPECT_EQ(_wcsicmp(text, icon.c_str()), 0);
    DeleteFileW(link.c_str());
    DeleteFileW(icon.c_str());
}

TEST_F(GamePage, RunByIdAgainstTheStandIns) {
    const std::wstring game = s_.CopyStub(L"StubGame.exe");
    const std::wstring starter = s_.CopyStub(L"my helper.exe");
    const std::wstring closer = s_.CopyStub(L"语音助手.exe");
    ASSERT_EQ(StartProgramInFolder(closer), 1);
    ASSERT_TRUE(s_.WaitForWindow(L"语音助手.exe"));
    ASSERT_EQ(h_->Page().AddGameFromPath(game), 1);
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
    ASSERT_EQ(h_->Stores().UpdateGameTask(t), 1);

    // An unknown id does nothing.
    EXPECT_EQ(h_->Page().RunGameTaskById(static_cast<unsigned>(t.id + 50)), 1);
    Sleep(500);
    EXPECT_EQ(s_.StubLog().size(), 1u);  // only the closer's own start
    EXPECT_TRUE(h_->light.applied.empty());

    EXPECT_EQ(h_->Page().RunGameTaskById(static_cast<unsigned>(t.id)), 1);
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
    const auto pages = s_.BrowserLog();
    EXPECT_EQ(pages, (std::vector<std::wstring>{L"http://www.example.com/游戏", L"https://example.org"}));
    EXPECT_EQ(h_->light.applied, std::vector<std::wstring>{L"烈焰红"});
    std::wstring count;
    EXPECT_EQ(h_->Page().GetGameTaskCountText(&count), 1);
    EXPECT_EQ(count, L"1种");

    // Without a lighting page the light step is skipped, the rest runs.
    h_->withLight = 0;
    h_->Page().RunGameTaskById(static_cast<unsigned>(t.id));
    ASSERT_TRUE(s_.WaitForBrowserLines(4));
    EXPECT_EQ(h_->light.applied.size(), 1u);
    s_.CloseAll();
}

}  // namespace
