// The plain rules of game modes: names, file names, addresses, the overview,
// and which steps a run takes in which order.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "GameTaskRun.h"
#include "GameTaskText.h"

using namespace gametext;

namespace {

TEST(GameTaskNames, DefaultNameDropsOnlyATrailingExe) {
    EXPECT_EQ(DefaultGameTaskName(L"C:\\Games\\星际争霸\\StarCraft.exe"), L"StarCraft");
    EXPECT_EQ(DefaultGameTaskName(L"C:\\Games\\GAME.EXE"), L"GAME");
    EXPECT_EQ(DefaultGameTaskName(L"C:\\Games\\Game.Exe"), L"Game");
    // No ".exe": the name stays whole (a blind cut would leave "g" or nothing).
    EXPECT_EQ(DefaultGameTaskName(L"C:\\Games\\game"), L"game");
    EXPECT_EQ(DefaultGameTaskName(L"C:\\Games\\ab"), L"ab");
    EXPECT_EQ(DefaultGameTaskName(L"C:\\Games\\setup.exe.bak"), L"setup.exe.bak");
    EXPECT_EQ(DefaultGameTaskName(L"game.exe"), L"game");
    EXPECT_EQ(FileNameOfPath(L"C:\\a\\b c\\d.exe"), L"d.exe");
    EXPECT_EQ(FileNameOfPath(L"d.exe"), L"d.exe");
    EXPECT_EQ(FolderOfPath(L"C:\\a\\b c\\d.exe"), L"C:\\a\\b c");
    EXPECT_EQ(FolderOfPath(L"d.exe"), L"");
    EXPECT_EQ(FolderOfPath(L"D:\\game.exe"), L"D:\\");  // the root, not D:'s current folder
}

TEST(GameTaskNames, FileNamesNeverLeaveTheirFolder) {
    EXPECT_EQ(ShortcutFileName(L"星际争霸"), L"游戏模式-星际争霸.lnk");
    EXPECT_EQ(IconFileName(L"星际争霸"), L"星际争霸.ico");
    // Separators, wildcards, quotes, pipes, colons and control characters.
    EXPECT_EQ(SafeFileNamePart(L"..\\..\\evil"), L".._.._evil");
    EXPECT_EQ(SafeFileNamePart(L"a/b:c*d?e\"f<g>h|i"), L"a_b_c_d_e_f_g_h_i");
    EXPECT_EQ(SafeFileNamePart(std::wstring(L"tab\tnew\nline")), L"tab_new_line");
    // Windows would drop trailing dots and blanks ("a." and "a" one file).
    EXPECT_EQ(SafeFileNamePart(L"game. ."), L"game___");
    EXPECT_EQ(SafeFileNamePart(L".."), L"__");
    EXPECT_EQ(SafeFileNamePart(L""), L"_");
    // Device names would open the device, not a file.
    EXPECT_EQ(SafeFileNamePart(L"CON"), L"_CON");
    EXPECT_EQ(SafeFileNamePart(L"nul.txt"), L"_nul.txt");
    EXPECT_EQ(SafeFileNamePart(L"com1"), L"_com1");
    EXPECT_EQ(SafeFileNamePart(L"CONSOLE"), L"CONSOLE");
    // Every name Windows reserves, in any case and with an extension.
    std::vector<std::wstring> reserved = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* port : {L"COM", L"LPT"})
        for (const wchar_t* digit : {L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"\u00B9",
                                     L"\u00B2", L"\u00B3"})
            reserved.push_back(std::wstring(port) + digit);
    ASSERT_EQ(reserved.size(), 32u);
    for (const std::wstring& name : reserved) {
        std::wstring lower = name;
        for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
        EXPECT_EQ(SafeFileNamePart(name), L"_" + name);
        EXPECT_EQ(SafeFileNamePart(lower + L".lnk"), L"_" + lower + L".lnk");
    }
    for (const wchar_t* free : {L"COM10", L"LPT", L"COM\u2074", L"CONIN", L"NUL1", L"AUXX.ico"})
        EXPECT_EQ(SafeFileNamePart(free), free);
    EXPECT_EQ(ShortcutFileName(L"x\\..\\..\\y"), L"游戏模式-x_.._.._y.lnk");
    EXPECT_EQ(ShortcutArguments(1000), L"GameTaskID_1000");
}

TEST(GameTaskNames, AddressesKeepTheirSchemeOthersGetHttp) {
    EXPECT_EQ(WebAddressToOpen(L"www.example.com"), L"http://www.example.com");
    EXPECT_EQ(WebAddressToOpen(L"http://www.example.com/a"), L"http://www.example.com/a");
    EXPECT_EQ(WebAddressToOpen(L"https://example.com"), L"https://example.com");
    EXPECT_EQ(WebAddressToOpen(L"HTTPS://Example.com"), L"HTTPS://Example.com");
    EXPECT_EQ(WebAddressToOpen(L"httpbin.org"), L"http://httpbin.org");
    EXPECT_EQ(WebAddressToOpen(L"ftp://x"), L"http://ftp://x");
    EXPECT_EQ(ProgramCommandLine(L"C:\\My Games\\a b.exe"), L"\"C:\\My Games\\a b.exe\"");
}

GameTaskRecord Sample() {
    GameTaskRecord t{};
    t.id = 7;
    SetField(t.name, L"星际");
    SetField(t.path, L"C:\\Games\\sc.exe");
    t.appletStatus = 1;
    SetField(t.applet[0].path, L"C:\\Tools\\voice.exe");
    t.applet[0].type = 1;
    t.applet[0].status = 1;
    SetField(t.applet[1].path, L"C:\\Tools\\skipped.exe");
    t.applet[1].type = 1;
    t.applet[1].status = 0;
    SetField(t.applet[2].path, L"C:\\Other\\chat.exe");
    t.applet[2].type = 0;
    t.applet[2].status = 1;
    t.webSetStatus = 1;
    SetField(t.webSet[0].path, L"www.one.com");
    t.webSet[0].status = 1;
    SetField(t.webSet[1].path, L"");
    t.webSet[1].status = 1;
    SetField(t.webSet[2].path, L"https://three.com");
    t.webSet[2].status = 1;
    t.lightStatus = 1;
    SetField(t.lightName, L"烈焰红");
    return t;
}

TEST(GameTaskOverview, ListsEnabledRowsByTheirOwnNumber) {
    const std::wstring expected =
        L"游戏模式概览:\n\n"
        L"        应用程序:开启\n"
        L"                1.打开voice.exe\n"
        L"                3.关闭chat.exe\n\n"
        L"        网页访问:开启\n"
        L"                1.www.one.com\n"
        L"                2.\n"
        L"                3.https://three.com\n\n"
        L"        灯光设置:开启\n"
        L"                烈焰红\n\n"
        L"        启动游戏:\n"
        L"                C:\\Games\\sc.exe\n";
    EXPECT_EQ(BuildOverviewText(Sample()), expected);

    GameTaskRecord off = Sample();
    off.appletStatus = off.webSetStatus = off.lightStatus = 0;
    EXPECT_EQ(BuildOverviewText(off),
              L"游戏模式概览:\n\n        应用程序:关闭\n\n        网页访问:关闭\n\n        灯光设置:关闭\n\n"
              L"        启动游戏:\n                C:\\Games\\sc.exe\n");
    // The third address line follows the third row's own switch.
    GameTaskRecord third = Sample();
    third.webSet[2].status = 0;
    EXPECT_EQ(BuildOverviewText(third).find(L"three.com"), std::wstring::npos);
    EXPECT_EQ(GameTaskCountText(0), L"0种");
    EXPECT_EQ(GameTaskCountText(12), L"12种");
}

TEST(GameTaskOverview, NewRecordDefaults) {
    GameTaskRecord t = Sample();
    FillNewGameTask(&t, L"D:\\Play\\Racer.EXE");
    EXPECT_EQ(t.id, 7);
    EXPECT_EQ(Field(t.name), L"Racer");
    EXPECT_EQ(Field(t.path), L"D:\\Play\\Racer.EXE");
    EXPECT_EQ(t.lightStatus + t.webSetStatus + t.appletStatus, 0);
    EXPECT_EQ(Field(t.lightName), L"");
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        EXPECT_EQ(t.applet[i].type, 1);
        EXPECT_EQ(t.applet[i].status, 0);
        EXPECT_EQ(Field(t.applet[i].path), L"");
        EXPECT_EQ(t.webSet[i].status, 0);
        EXPECT_EQ(Field(t.webSet[i].path), L"");
    }
    // Over-long text is cut to the field, never past it.
    std::wstring longName(500, L'名');
    SetField(t.name, longName);
    EXPECT_EQ(Field(t.name).size(), GameTaskRecord::kNameWidth - 1);
}

class Recorder : public IGameTaskActions {
public:
    std::vector<std::wstring> calls;
    int StartProgram(const std::wstring& p) override { return Note(L"start " + p); }
    int CloseProgram(const std::wstring& n) override { return Note(L"close " + n); }
    int OpenAddress(const std::wstring& a) override { return Note(L"open " + a); }
    int ApplyLightTheme(const std::wstring& n) override { return Note(L"light " + n); }

private:
    int Note(const std::wstring& s) {
        calls.push_back(s);
        return 0;  // every step fails: the run must go on regardless
    }
};

TEST(GameTaskRunSteps, OrderSkipsAndFailures) {
    Recorder r;
    EXPECT_EQ(RunGameTaskSteps(Sample(), &r), 1);
    const std::vector<std::wstring> expected = {
        L"start C:\\Tools\\voice.exe", L"close chat.exe",  L"open http://www.one.com",
        L"open https://three.com",     L"light 烈焰红",    L"start C:\\Games\\sc.exe"};
    EXPECT_EQ(r.calls, expected);

    // Section switches off: only the game starts. A light name of
    // "不做任何操作" is still handed over (the lighting page ignores it).
    GameTaskRecord t = Sample();
    t.appletStatus = t.webSetStatus = 0;
    SetField(t.lightName, L"不做任何操作");
    Recorder r2;
    RunGameTaskSteps(t, &r2);
    EXPECT_EQ(r2.calls, (std::vector<std::wstring>{L"light 不做任何操作", L"start C:\\Games\\sc.exe"}));

    // Light on with no name: skipped.
    SetField(t.lightName, L"");
    Recorder r3;
    RunGameTaskSteps(t, &r3);
    EXPECT_EQ(r3.calls, (std::vector<std::wstring>{L"start C:\\Games\\sc.exe"}));
}

}  // namespace
