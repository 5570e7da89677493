// The lighting page in the real Ventaro.exe under Wine with the controller
// simulator, driven by real mouse input (xdotool) at the rectangles of the
// inspection dump: open the page from the home view, pick a preset, apply it,
// then add an own theme. Results come from the simulator's state file,
// LightSetConfig.ini and OVCLIENT.ini; screenshots go to the build folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <string>

#include "ProgramRunner.h"
#include "SimulatedController.h"
#include "TestPaths.h"
#include "UiDump.h"
#include "XDoTool.h"

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

std::wstring VentaroExe() { return testpaths::BinaryDir() + L"\\bin\\Ventaro.exe"; }

std::wstring UnixBuildPath(const wchar_t* name) {
    const char* dir = std::getenv("VENTARO_BINARY_DIR");
    std::wstring out;
    for (const char* p = dir ? dir : "/tmp"; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out + L"/" + name;
}

// The program's data folder (local application data + "\Ventaro\").
std::wstring DataFolder() {
    wchar_t base[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, base, CSIDL_LOCAL_APPDATA, TRUE);
    return std::wstring(base) + L"\\Ventaro\\";
}

std::wstring Profile(const std::wstring& file, const std::wstring& section, const wchar_t* key) {
    wchar_t buf[512] = {};
    GetPrivateProfileStringW(section.c_str(), key, L"<missing>", buf, 512, (DataFolder() + file).c_str());
    return buf;
}

// The section of the first theme with that name in LightSetConfig.ini, or "".
std::wstring SectionOfTheme(const std::wstring& name) {
    const std::wstring path = DataFolder() + L"LightSetConfig.ini";
    wchar_t names[8192] = {};
    GetPrivateProfileSectionNamesW(names, 8192, path.c_str());
    for (const wchar_t* p = names; *p; p += wcslen(p) + 1)
        if (std::wstring(p).rfind(L"RID_", 0) == 0 && Profile(L"LightSetConfig.ini", p, L"LightSetName") == name)
            return p;
    return L"";
}

class LightEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(L"VentaroClass", L"Ventaro"), nullptr) << "another Ventaro runs";
        // A first run: the theme store is seeded from LightSetConfig.dat again.
        DeleteFileW((DataFolder() + L"LightSetConfig.ini").c_str());
        DeleteFileW((DataFolder() + L"OVCLIENT.ini").c_str());
        dumpPath = testpaths::MakeTempDir(L"lighte2e") + L"ui.txt";
        e2e::SimulatedControllerEnvironment::Point();
        SetEnvironmentVariableW(L"VENTARO_UI_DUMP", dumpPath.c_str());
        ASSERT_TRUE(program.Start(VentaroExe(), L"\"" + VentaroExe() + L"\""));
        window = e2e::WaitForVentaroWindow(program.Pid(), 20000);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(Wait([](const uidump::Dump& d) { return d.Shown(L"EnterButton") != nullptr; }, 20000))
            << "no dump of the home view";
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VENTARO_UI_DUMP", nullptr);
        if (window && IsWindow(window)) PostMessageW(window, WM_COMMAND, 7002, 0);  // ID_EXIT
        if (program.WaitExit(10000) < 0) program.Kill();
        e2e::DeleteRunValue();  // a later fresh Wine session must not start a copy by itself
    }

    bool Wait(const std::function<bool(const uidump::Dump&)>& cond, DWORD ms = 8000) {
        return uidump::WaitFor(dumpPath, cond, ms, &dump);
    }
    // The first shown row of that kind and text.
    static const uidump::Row* Shown(const uidump::Dump& d, const std::wstring& kind, const std::wstring& text) {
        for (const uidump::Row& r : d.rows)
            if (r.visible && (kind.empty() || r.kind == kind) && r.text == text) return &r;
        return nullptr;
    }
    // Clicks the shown control of that kind and text (waits for it first).
    void Click(const std::wstring& kind, const std::wstring& text) {
        ASSERT_TRUE(Wait([&](const uidump::Dump& d) { return Shown(d, kind, text) != nullptr; }))
            << "not shown: " << std::string(text.begin(), text.end()).size() << " chars";
        const uidump::Row* row = Shown(dump, kind, text);
        RECT r{};
        GetWindowRect(window, &r);
        const auto [x, y] = row->Centre();
        ASSERT_TRUE(xdo::Click(r.left + x, r.top + y));
    }
    void ClickStyle(const std::wstring& style) {
        ASSERT_TRUE(Wait([&](const uidump::Dump& d) { return d.Shown(style) != nullptr; }));
        RECT r{};
        GetWindowRect(window, &r);
        const auto [x, y] = dump.Shown(style)->Centre();
        ASSERT_TRUE(xdo::Click(r.left + x, r.top + y));
    }
    static std::string Sim(const char* key) { return e2e::SimulatedControllerEnvironment::Sim()->Value(key); }
    void Screenshot(const wchar_t* name) {
        xdo::MoveTo(5, 1000);
        Sleep(700);
        EXPECT_TRUE(xdo::Screenshot(UnixBuildPath(name)));
    }

    e2e::Program program;
    HWND window = nullptr;
    std::wstring dumpPath;
    uidump::Dump dump;
};

TEST_F(LightEndToEnd, PickAPresetApplyItThenAddAnOwnTheme) {
    // Home view, lighting selected: "EnterButton" opens the page on "Orvane".
    ClickStyle(L"EnterButton");
    ASSERT_TRUE(Wait([](const uidump::Dump& d) { return Shown(d, L"TextEdit", L"Orvane") != nullptr; }));
    const std::string exchanges = Sim("exchanges");

    Click(L"", L"星空紫");
    ASSERT_TRUE(Wait([](const uidump::Dump& d) { return Shown(d, L"TextEdit", L"星空紫") != nullptr; }));
    EXPECT_EQ(Sim("exchanges"), exchanges) << "showing a theme talked to the controller";
    // A preset: restore, save and apply, no edit and no delete.
    EXPECT_NE(Shown(dump, L"Button", L"恢复默认"), nullptr);
    EXPECT_EQ(Shown(dump, L"Button", L"删除"), nullptr);
    Screenshot(L"light-e2e-preset.png");

    Click(L"Button", L"应用");
    // The choice is stored right after the last command: wait for both.
    for (int i = 0; i < 50 && (Sim("brightness") != "80" ||
                               Profile(L"OVCLIENT.ini", L"OVConfig", L"OVLightSelect") != L"星空紫");
         ++i)
        Sleep(100);
    EXPECT_EQ(Sim("color"), "8C00FF");
    EXPECT_EQ(Sim("mode"), "4");
    EXPECT_EQ(Sim("interval"), "30000");
    EXPECT_EQ(Sim("brightness"), "80");
    const std::wstring section = SectionOfTheme(L"星空紫");
    ASSERT_FALSE(section.empty());
    EXPECT_EQ(Profile(L"LightSetConfig.ini", section, L"LightSetColor"), std::to_wstring(0x8C00FF));
    EXPECT_EQ(Profile(L"LightSetConfig.ini", section, L"LightSetMode"), L"4");
    EXPECT_EQ(Profile(L"LightSetConfig.ini", section, L"LightSetInterval"), L"30000");
    EXPECT_EQ(Profile(L"LightSetConfig.ini", section, L"LightSetBrightness"), L"80");
    EXPECT_EQ(Profile(L"LightSetConfig.ini", section, L"LightSetStatus"), L"true");
    EXPECT_EQ(Profile(L"LightSetConfig.ini", section, L"LightSetPreSet"), L"true");
    EXPECT_EQ(Profile(L"OVCLIENT.ini", L"OVConfig", L"OVLightSelect"), L"星空紫");

    // "＋" adds an own theme and shows it: edit and delete, no restore.
    Click(L"", L"＋");
    ASSERT_TRUE(Wait([](const uidump::Dump& d) {
        return Shown(d, L"TextEdit", L"我的新主题") && Shown(d, L"Button", L"删除") && Shown(d, L"Button", L"编辑");
    }));
    EXPECT_EQ(Shown(dump, L"Button", L"恢复默认"), nullptr);
    const std::wstring own = SectionOfTheme(L"我的新主题");
    ASSERT_FALSE(own.empty());
    EXPECT_EQ(Profile(L"LightSetConfig.ini", own, L"LightSetPreSet"), L"false");
    Screenshot(L"light-e2e-own-theme.png");

    // The return button brings the home view back.
    Click(L"Button", L"返回");
    ASSERT_TRUE(Wait([](const uidump::Dump& d) { return d.Shown(L"EnterButton") != nullptr; }));
}

}  // namespace
