#include <gtest/gtest.h>

#include "OVSystemConfig.h"
#include "PrivateProfileCtrl.h"
#include "StoreFolders.h"

using namespace storagetest;
using profiletext::CopyToField;
using profiletext::FieldText;

namespace {

class GameTaskStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dirs_.ShipBoth()) << "build/bin lacks the shipped .dat files"; }
    std::wstring Ini() const { return dirs_.data + L"GameTaskConfig.ini"; }
    std::wstring Dat() const { return dirs_.program + L"GameTaskConfig.dat"; }
    GameTaskList Load(COVSystemConfig& s) {
        GameTaskList tasks;
        EXPECT_EQ(s.LoadGameTasks(&tasks), 1);
        return tasks;
    }
    StoreFolders dirs_;
};

// Every field set, so that a mix-up of any two columns shows.
GameTaskRecord FullTask(const std::wstring& name) {
    GameTaskRecord t{};
    CopyToField(t.name, name);
    CopyToField(t.path, L"C:\\Games\\星际\\game.exe");
    t.lightStatus = 1;
    CopyToField(t.lightName, L"烈焰红");
    t.webSetStatus = 1;
    CopyToField(t.webSet[0].path, L"www.example.com/一");
    t.webSet[0].status = 1;
    CopyToField(t.webSet[1].path, L"two.example.com");
    t.webSet[1].status = 0;
    CopyToField(t.webSet[2].path, L"three.example.com");
    t.webSet[2].status = 1;
    t.appletStatus = 0;
    CopyToField(t.applet[0].path, L"C:\\Tools\\语音.exe");
    t.applet[0].type = 1;
    t.applet[0].status = 1;
    CopyToField(t.applet[1].path, L"C:\\Tools\\chat.exe");
    t.applet[1].type = 0;
    t.applet[1].status = 1;
    CopyToField(t.applet[2].path, L"");
    t.applet[2].type = 1;
    t.applet[2].status = 0;
    return t;
}

void ExpectSameColumns(const GameTaskRecord& a, const GameTaskRecord& b) {
    EXPECT_EQ(FieldText(a.name), FieldText(b.name));
    EXPECT_EQ(FieldText(a.path), FieldText(b.path));
    EXPECT_EQ(a.lightStatus, b.lightStatus);
    EXPECT_EQ(FieldText(a.lightName), FieldText(b.lightName));
    EXPECT_EQ(a.webSetStatus, b.webSetStatus);
    EXPECT_EQ(a.appletStatus, b.appletStatus);
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        EXPECT_EQ(FieldText(a.webSet[i].path), FieldText(b.webSet[i].path)) << i;
        EXPECT_EQ(a.webSet[i].status, b.webSet[i].status) << i;
        EXPECT_EQ(FieldText(a.applet[i].path), FieldText(b.applet[i].path)) << i;
        EXPECT_EQ(a.applet[i].type, b.applet[i].type) << i;
        EXPECT_EQ(a.applet[i].status, b.applet[i].status) << i;
    }
}

}  // namespace

TEST(GameTaskColumns, AreTheTwentyOneKeysInRecordOrder) {
    const INIColumnList c = COVSystemConfig::GameTaskColumns();
    const std::pair<const wchar_t*, int> expected[] = {
        {L"GameTaskName", 4},         {L"GameTaskPath", 4},         {L"GameTaskLightStatus", 5},
        {L"GameTaskLightName", 4},    {L"GameTaskWebSetStatus", 5}, {L"GameTaskWebSetPath1", 4},
        {L"GameTaskWebSetStat1", 5},  {L"GameTaskWebSetPath2", 4},  {L"GameTaskWebSetStat2", 5},
        {L"GameTaskWebSetPath3", 4},  {L"GameTaskWebSetStat3", 5},  {L"GameTaskAppletStatus", 5},
        {L"GameTaskAppletPath1", 4},  {L"GameTaskAppletType1", 5},  {L"GameTaskAppletStat1", 5},
        {L"GameTaskAppletPath2", 4},  {L"GameTaskAppletType2", 5},  {L"GameTaskAppletStat2", 5},
        {L"GameTaskAppletPath3", 4},  {L"GameTaskAppletType3", 5},  {L"GameTaskAppletStat3", 5}};
    ASSERT_EQ(c.size(), 21u);
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(c[i].name, expected[i].first);
        EXPECT_EQ(c[i].type, expected[i].second) << testing::PrintToString(c[i].name);
    }
}

TEST_F(GameTaskStore, FirstRunSeedsTheShippedEmptyTable) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    EXPECT_EQ(s.GameTaskFilePath(), Ini());
    EXPECT_EQ(ReadBytes(Ini()), ReadBytes(Dat()));
    EXPECT_EQ(ReadText(Ini()), L"[GameTaskConfig]\r\nRecordBaseID=0\r\n");
    EXPECT_TRUE(Load(s).empty());
}

TEST_F(GameTaskStore, AddListUpdateRoundTripEveryColumn) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    GameTaskRecord t = FullTask(L"星际争霸");
    ASSERT_EQ(s.AddGameTask(&t), 1);
    EXPECT_EQ(t.id, 1);
    const std::wstring text = ReadText(Ini());
    EXPECT_NE(text.find(L"[RID_1]\r\nGameTaskName=星际争霸\r\nGameTaskPath=C:\\Games\\星际\\game.exe\r\n"
                        L"GameTaskLightStatus=true\r\nGameTaskLightName=烈焰红\r\nGameTaskWebSetStatus=true\r\n"),
              std::wstring::npos)
        << ReadBytes(Ini());
    EXPECT_NE(text.find(L"GameTaskAppletStatus=false\r\nGameTaskAppletPath1=C:\\Tools\\语音.exe\r\n"
                        L"GameTaskAppletType1=true\r\nGameTaskAppletStat1=true\r\n"),
              std::wstring::npos);

    GameTaskList tasks = Load(s);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->id, 1);
    EXPECT_EQ(tasks[0]->listItem, nullptr);
    ExpectSameColumns(*tasks[0], t);

    // Update rewrites every column under the same id.
    GameTaskRecord changed = *tasks[0];
    CopyToField(changed.name, L"改名");
    changed.lightStatus = 0;
    changed.webSet[1].status = 1;
    changed.applet[1].type = 1;
    CopyToField(changed.applet[2].path, L"D:\\x.exe");
    ASSERT_EQ(s.UpdateGameTask(changed), 1);
    tasks = Load(s);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->id, 1);
    ExpectSameColumns(*tasks[0], changed);
}

TEST_F(GameTaskStore, IdsAreNeverReused) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    GameTaskRecord a = FullTask(L"a"), b = FullTask(L"b"), c = FullTask(L"c");
    ASSERT_EQ(s.AddGameTask(&a), 1);
    ASSERT_EQ(s.AddGameTask(&b), 1);
    EXPECT_NE(a.id, b.id);
    ASSERT_EQ(s.RemoveGameTask(b.id), 1);
    ASSERT_EQ(s.AddGameTask(&c), 1);
    EXPECT_GT(c.id, b.id);
    GameTaskList tasks = Load(s);
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0]->id, a.id);
    EXPECT_EQ(tasks[1]->id, c.id);
    EXPECT_EQ(FieldText(tasks[1]->name), L"c");
}

TEST_F(GameTaskStore, DeletedWorkingFileIsRestoredFromTheShippedDefaults) {
    // A default file with one game mode, to see it come back.
    ASSERT_TRUE(WriteUtf16(Dat(), L"[GameTaskConfig]\r\nRecordBaseID=4\r\n[RID_4]\r\nGameTaskName=示例游戏\r\n"
                                  L"GameTaskPath=C:\\Games\\demo.exe\r\nGameTaskLightStatus=true\r\n"
                                  L"GameTaskLightName=Orvane\r\n"));
    {
        COVSystemConfig s;
        ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
        GameTaskRecord t = FullTask(L"mine");
        ASSERT_EQ(s.AddGameTask(&t), 1);
        EXPECT_EQ(t.id, 5);
        EXPECT_EQ(Load(s).size(), 2u);
    }
    ASSERT_TRUE(DeleteFileW(Ini().c_str()));
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    EXPECT_EQ(ReadBytes(Ini()), ReadBytes(Dat()));
    GameTaskList tasks = Load(s);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->id, 4);
    EXPECT_EQ(FieldText(tasks[0]->name), L"示例游戏");
    EXPECT_EQ(tasks[0]->lightStatus, 1);
    EXPECT_EQ(FieldText(tasks[0]->lightName), L"Orvane");
    EXPECT_EQ(tasks[0]->webSetStatus, 0);
    EXPECT_EQ(FieldText(tasks[0]->webSet[0].path), L"");
}

TEST_F(GameTaskStore, BooleanSpellings) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    GameTaskRecord t = FullTask(L"b");
    ASSERT_EQ(s.AddGameTask(&t), 1);
    CPrivateProfileCtrl raw;
    ASSERT_EQ(raw.OpenExisting(Ini()), 1);
    const std::wstring section = L"RID_" + std::to_wstring(t.id);
    const std::pair<const wchar_t*, int> cases[] = {{L"TRUE", 1}, {L"True", 1}, {L"1", 1},  {L"yes", 0},
                                                    {L"on", 0},   {L"", 0},     {L"2", 0},  {L"false", 0}};
    for (const auto& [text, expected] : cases) {
        raw.WriteValue(section, L"GameTaskAppletType2", text);
        raw.WriteValue(section, L"GameTaskWebSetStat3", text);
        GameTaskList tasks = Load(s);
        ASSERT_EQ(tasks.size(), 1u);
        EXPECT_EQ(tasks[0]->applet[1].type, expected) << testing::PrintToString(std::wstring(text));
        EXPECT_EQ(tasks[0]->webSet[2].status, expected) << testing::PrintToString(std::wstring(text));
    }
    raw.DeleteSection(section);  // a missing key reads 0 too
    raw.WriteValue(section, L"GameTaskName", L"only a name");
    GameTaskList tasks = Load(s);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(tasks[0]->lightStatus, 0);
    EXPECT_EQ(tasks[0]->applet[0].type, 0);
}

TEST_F(GameTaskStore, OverlongTextsAreCutToTheirFields) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    GameTaskRecord t = FullTask(L"x");
    ASSERT_EQ(s.AddGameTask(&t), 1);
    CPrivateProfileCtrl raw;
    ASSERT_EQ(raw.OpenExisting(Ini()), 1);
    const std::wstring section = L"RID_" + std::to_wstring(t.id);
    raw.WriteValue(section, L"GameTaskName", std::wstring(250, L'名'));
    raw.WriteValue(section, L"GameTaskLightName", std::wstring(200, L'L'));
    raw.WriteValue(section, L"GameTaskPath", std::wstring(400, L'p'));
    raw.WriteValue(section, L"GameTaskWebSetPath3", std::wstring(3000, L'w'));
    GameTaskList tasks = Load(s);
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(FieldText(tasks[0]->name), std::wstring(199, L'名'));
    EXPECT_EQ(FieldText(tasks[0]->lightName), std::wstring(199, L'L'));
    EXPECT_EQ(FieldText(tasks[0]->path), std::wstring(299, L'p'));
    EXPECT_EQ(FieldText(tasks[0]->webSet[2].path), std::wstring(299, L'w'));
    EXPECT_EQ(tasks[0]->name[199], L'\0');
}

TEST_F(GameTaskStore, MissingDefaultFileStartsEmpty) {
    DeleteFileW(Dat().c_str());
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    EXPECT_EQ(ReadText(Ini()), L"[GameTaskConfig]\r\nRecordBaseID=0\r\n");
    EXPECT_FALSE(Exists(Dat()));  // the game-mode default is never created
    EXPECT_TRUE(Load(s).empty());
}

TEST_F(GameTaskStore, DamagedWorkingFileIsKeptAsideAndTheStoreWorks) {
    ASSERT_TRUE(WriteBytes(Ini(), RandomBytes(20000, 5)));
    const std::string before = ReadBytes(Ini());
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    EXPECT_TRUE(Load(s).empty()) << "the shipped game modes, none";
    GameTaskRecord t = FullTask(L"x");
    ASSERT_EQ(s.AddGameTask(&t), 1);
    EXPECT_EQ(s.UpdateGameTask(t), 1);
    EXPECT_EQ(s.RemoveGameTask(t.id), 1);
    const std::wstring kept = s.StartUpNotice().substr(s.StartUpNotice().find(L"GameTaskConfig.ini.damaged-"));
    EXPECT_EQ(ReadBytes(dirs_.data + kept), before);
}
