// The real Ventaro.exe under Wine with the controller simulator, driven by
// real mouse input (xdotool) at the rectangles its inspection dump reports.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "MsaaWalk.h"
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

std::wstring DataFolder() {
    wchar_t local[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, TRUE);
    return std::wstring(local) + L"\\Ventaro\\";
}

// The first shown row whose text holds part.
const uidump::Row* ShownHolding(const uidump::Dump& d, const std::wstring& part) {
    for (const uidump::Row& r : d.rows)
        if (r.visible && r.text.find(part) != std::wstring::npos) return &r;
    return nullptr;
}

class ClientEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(L"VentaroClass", L"Ventaro"), nullptr) << "another Ventaro runs";
        dumpPath = testpaths::MakeTempDir(L"e2edump") + L"ui.txt";
        e2e::SimulatedControllerEnvironment::Point();
        SetEnvironmentVariableW(L"VENTARO_UI_DUMP", dumpPath.c_str());
        exchangesBefore = Exchanges();
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VENTARO_UI_DUMP", nullptr);
        if (window && IsWindow(window)) PostMessageW(window, WM_COMMAND, 7002, 0);  // ID_EXIT
        if (program.WaitExit(10000) < 0) program.Kill();
        e2e::DeleteRunValue();  // a later fresh Wine session must not start a copy by itself
    }

    // Starts Ventaro and waits for its window and a dump of the home view.
    void Launch(const std::wstring& arguments) {
        ASSERT_TRUE(program.Start(VentaroExe(), L"\"" + VentaroExe() + L"\"" + arguments));
        window = e2e::WaitForVentaroWindow(program.Pid(), 20000);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(uidump::WaitFor(dumpPath, [](const uidump::Dump& d) { return d.Shown(L"EnterButton") != nullptr; },
                                    20000, &dump))
            << "no dump of the home view";
    }
    // Screen point of a control's centre.
    POINT At(const uidump::Row& row) {
        RECT r{};
        GetWindowRect(window, &r);
        const auto [x, y] = row.Centre();
        return POINT{r.left + x, r.top + y};
    }
    void ClickStyle(const std::wstring& style) {
        ASSERT_TRUE(uidump::Read(dumpPath, &dump));
        const uidump::Row* row = dump.Shown(style);
        ASSERT_NE(row, nullptr) << std::string(style.begin(), style.end());
        const POINT p = At(*row);
        ASSERT_TRUE(xdo::Click(p.x, p.y));
    }
    bool WaitChecked(const std::wstring& style) {
        return uidump::WaitFor(dumpPath, [&](const uidump::Dump& d) {
            const uidump::Row* row = d.Shown(style);
            return row && row->checked;
        }, 5000, &dump);
    }
    // Random bytes in a user file, as a power cut leaves them (a hidden
    // start draws nothing until shown): the notice over the home view, then
    // "确定" leaves the home view; the bytes are kept aside.
    void StartWithDamaged(const std::wstring& file, const std::wstring& notice, bool hidden) {
        std::string bytes(3000, '\0');
        std::mt19937 random(40);
        for (char& c : bytes) c = static_cast<char>(random());
        HANDLE h = CreateFileW((DataFolder() + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        CloseHandle(h);
        if (hidden) {
            ASSERT_TRUE(program.Start(VentaroExe(), L"\"" + VentaroExe() + L"\" auto"));
            ASSERT_NE(window = e2e::WaitForVentaroWindow(program.Pid(), 20000), nullptr);
            Sleep(2000);
            EXPECT_FALSE(e2e::FileExists(dumpPath)) << "drawn while hidden";
            PostMessageW(window, WM_COMMAND, 7001, 0);  // ID_SHOWWINDOW, as the tray icon does
        } else {
            Launch(L"");
        }
        const std::wstring text = notice + L"已损坏,已恢复默认设置。原文件已保存为 " + file + L".damaged-";
        ASSERT_TRUE(uidump::WaitFor(dumpPath, [&](const uidump::Dump& d) {
            return d.Shown(L"EnterButton") && ShownHolding(d, text);
        }, 10000, &dump)) << "no notice";
        const std::wstring shown = ShownHolding(dump, text)->text;
        kept = DataFolder() + shown.substr(shown.find(file + L".damaged-"));
        EXPECT_TRUE(e2e::ReadFileText(kept) == bytes) << "the kept file is not the damaged one";
        xdo::MoveTo(5, 1000);
        Sleep(500);
        EXPECT_TRUE(xdo::Screenshot(UnixBuildPath((file + L"-damaged.png").c_str())));
        ASSERT_NE(ShownHolding(dump, L"确定"), nullptr);
        const POINT ok = At(*ShownHolding(dump, L"确定"));
        ASSERT_TRUE(xdo::Click(ok.x, ok.y));
        ASSERT_TRUE(uidump::WaitFor(dumpPath, [&](const uidump::Dump& d) {
            return d.Shown(L"EnterButton") && !ShownHolding(d, L"已损坏");
        }, 5000, &dump));
    }
    // The next start says nothing; the kept file stays.
    void RestartQuietly() {
        PostMessageW(window, WM_COMMAND, 7002, 0);  // ID_EXIT
        ASSERT_EQ(program.WaitExit(15000), 0);
        DeleteFileW(dumpPath.c_str());
        Launch(L"");
        Sleep(1500);
        ASSERT_TRUE(uidump::Read(dumpPath, &dump));
        EXPECT_EQ(ShownHolding(dump, L"已损坏"), nullptr);
        EXPECT_TRUE(DeleteFileW(kept.c_str()));
    }
    static long long Exchanges() {
        const std::string v = e2e::SimulatedControllerEnvironment::Sim()->Value("exchanges");
        return v == "<missing>" ? 0 : std::atoll(v.c_str());
    }

    e2e::Program program;
    HWND window = nullptr;
    std::wstring dumpPath;
    uidump::Dump dump;
    long long exchangesBefore = 0;
    std::wstring kept;  // where a damaged file was kept aside
};

TEST_F(ClientEndToEnd, PlainStartShowsTheHomeViewAndNavigatingSendsTheControllerNothing) {
    Launch(L"");
    EXPECT_TRUE(IsWindowVisible(window));
    // Title strip: one close button, the minimise and account buttons, 8 px apart.
    EXPECT_EQ(dump.CountShown(L"CloseButton"), 1);
    const uidump::Row* close = dump.Shown(L"CloseButton");
    const uidump::Row* min = dump.Shown(L"MinButton");
    const uidump::Row* account = dump.Shown(L"ConfigButton");
    ASSERT_TRUE(close && min && account);
    EXPECT_EQ(close->x - (min->x + min->width), 8);
    EXPECT_EQ(min->x - (account->x + account->width), 8);
    EXPECT_LE(close->y + close->height, 50);
    EXPECT_EQ(dump.Shown(L"EnterButton")->text, L"进入");
    EXPECT_TRUE(dump.Shown(L"LightButton", L"灯光")->checked);
    ASSERT_NE(dump.Shown(L"FanButton", L"风扇"), nullptr);
    ASSERT_NE(dump.Shown(L"GameModeButton", L"游戏模式"), nullptr);
    ASSERT_NE(dump.Shown(L"UpdateButton", L"软件升级"), nullptr);
    xdo::MoveTo(5, 1000);
    Sleep(500);
    EXPECT_TRUE(xdo::Screenshot(UnixBuildPath(L"client-home.png")));

    ClickStyle(L"FanButton");
    EXPECT_TRUE(WaitChecked(L"FanButton"));
    ClickStyle(L"AfterArrowButton");
    EXPECT_TRUE(WaitChecked(L"GameModeButton"));
    ClickStyle(L"AfterArrowButton");
    EXPECT_TRUE(WaitChecked(L"UpdateButton"));
    ClickStyle(L"AfterArrowButton");
    Sleep(400);
    EXPECT_TRUE(WaitChecked(L"UpdateButton"));
    ClickStyle(L"BeforArrowButton");
    EXPECT_TRUE(WaitChecked(L"GameModeButton"));
    // The pointer over "EnterButton" lights the picture: the second of the
    // pair (id 1012) is shown instead of the first (1011).
    ClickStyle(L"LightButton");
    EXPECT_TRUE(WaitChecked(L"LightButton"));
    {
        const POINT p = At(*dump.Shown(L"EnterButton"));
        xdo::MoveTo(p.x, p.y);
        EXPECT_TRUE(uidump::WaitFor(dumpPath, [](const uidump::Dump& d) {
            return d.ById(1012) && d.ById(1012)->visible && !d.ById(1011)->visible;
        }, 5000, &dump));
        xdo::MoveTo(5, 1000);
        EXPECT_TRUE(uidump::WaitFor(dumpPath, [](const uidump::Dump& d) {
            return d.ById(1011) && d.ById(1011)->visible && !d.ById(1012)->visible;
        }, 5000, &dump));
    }
    EXPECT_EQ(Exchanges(), exchangesBefore);
    EXPECT_TRUE(program.Running());

    // "CloseButton" ends the program, exit code 0.
    ClickStyle(L"CloseButton");
    EXPECT_EQ(program.WaitExit(15000), 0);
}

// A screen reader's view (MSAA from this process) and the keyboard alone
// reach and drive the controls.
TEST_F(ClientEndToEnd, ScreenReaderAndKeyboardReachAndDriveTheControls) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Launch(L"");
    msaa::Tree tree;
    auto wait = [&](const std::function<bool(const msaa::Tree&)>& ready) {
        return msaa::WaitFor(window, ready, 8000, &tree);
    };
    auto focused = [](const msaa::Tree& t, const wchar_t* name) {
        const msaa::Node* n = t.Find(name);
        return n && (n->state & STATE_SYSTEM_FOCUSED);
    };
    // The four tabs by name, where the dump has them on the screen.
    ASSERT_TRUE(wait([](const msaa::Tree& t) { return t.Find(L"软件升级", ROLE_SYSTEM_PAGETAB) != nullptr; }))
        << std::string(tree.nodes.empty() ? "no object" : "no tabs");
    ASSERT_TRUE(uidump::Read(dumpPath, &dump));
    for (const wchar_t* name : {L"灯光", L"风扇", L"游戏模式", L"软件升级"}) {
        const msaa::Node* tab = tree.Find(name, ROLE_SYSTEM_PAGETAB);
        ASSERT_NE(tab, nullptr);
        ASSERT_NE(ShownHolding(dump, name), nullptr);
        const POINT centre = At(*ShownHolding(dump, name));
        EXPECT_EQ(tab->x + tab->width / 2, centre.x);
        EXPECT_EQ(tab->y + tab->height / 2, centre.y);
    }
    EXPECT_TRUE(tree.Find(L"灯光")->state & STATE_SYSTEM_SELECTED);
    EXPECT_NE(tree.Find(L"关闭", ROLE_SYSTEM_PUSHBUTTON), nullptr);

    // A screen reader hears each focus move and asks the event's object.
    static std::vector<std::wstring> heard;
    heard.clear();
    HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_SYSTEM_ALERT, EVENT_OBJECT_FOCUS, nullptr,
        [](HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
            if (event != EVENT_OBJECT_FOCUS && event != EVENT_SYSTEM_ALERT) return;
            IAccessible* accessible = nullptr;
            VARIANT id;
            VariantInit(&id);
            if (FAILED(AccessibleObjectFromEvent(hwnd, object, child, &accessible, &id)) || !accessible) return;
            BSTR name = nullptr;
            accessible->get_accName(id, &name);
            heard.push_back((event == EVENT_OBJECT_FOCUS ? L"focus " : L"alert ") + msaa::Take(name));
            accessible->Release();
        },
        program.Pid(), 0, WINEVENT_OUTOFCONTEXT);
    EXPECT_NE(hook, nullptr);
    auto heardSoon = [&](const std::wstring& what) {
        const ULONGLONG end = GetTickCount64() + 5000;
        while (GetTickCount64() < end) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (std::find(heard.begin(), heard.end(), what) != heard.end()) return true;
            Sleep(20);
        }
        return false;
    };
    // Keyboard: a click on the picture takes nothing focusable; six Tabs reach 进入 over the title strip
    // and the arrows; Enter opens the page.
    const POINT picture = At(*dump.ById(1011));
    ASSERT_TRUE(xdo::Click(picture.x, picture.y));
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(xdo::Tool({L"key", L"Tab"}));
        Sleep(150);
    }
    ASSERT_TRUE(wait([&](const msaa::Tree& t) { return focused(t, L"进入"); })) << "Tab did not reach 进入";
    EXPECT_TRUE(heardSoon(L"focus 进入")) << heard.size() << " events heard";
    // The pointer stays over the window: without a window manager X gives
    // the keys to the window under it.
    EXPECT_TRUE(xdo::Screenshot(UnixBuildPath(L"a11y-focus-ring.png")));
    ASSERT_TRUE(xdo::Tool({L"key", L"Return"}));
    ASSERT_TRUE(wait([](const msaa::Tree& t) { return t.Find(L"应用", ROLE_SYSTEM_PUSHBUTTON) != nullptr; }));

    // Back home and in again through the default actions.
    ASSERT_EQ(tree.Find(L"返回")->object->accDoDefaultAction(msaa::Self()), S_OK);
    ASSERT_TRUE(wait([](const msaa::Tree& t) { return t.Find(L"进入") != nullptr; }));
    ASSERT_EQ(tree.Find(L"进入")->object->accDoDefaultAction(msaa::Self()), S_OK);
    ASSERT_TRUE(wait([](const msaa::Tree& t) { return t.Find(L"应用") != nullptr && t.Find(L"烈焰红"); }));
    // A slider's value is its number.
    const msaa::Node* brightness = tree.Find(L"亮度", ROLE_SYSTEM_SLIDER);
    ASSERT_NE(brightness, nullptr);
    EXPECT_FALSE(brightness->value.empty());
    EXPECT_EQ(brightness->value.find_first_not_of(L"0123456789"), std::wstring::npos);
    // A theme picked and applied: the controller gets its colour.
    const std::string colourBefore = e2e::SimulatedControllerEnvironment::Sim()->Value("color");
    ASSERT_EQ(tree.Find(L"烈焰红", ROLE_SYSTEM_RADIOBUTTON)->object->accDoDefaultAction(msaa::Self()), S_OK);
    ASSERT_TRUE(wait([](const msaa::Tree& t) {
        const msaa::Node* n = t.Find(L"烈焰红");
        return n && (n->state & STATE_SYSTEM_SELECTED);
    }));
    const long long exchanges = Exchanges();
    ASSERT_EQ(tree.Find(L"应用")->object->accDoDefaultAction(msaa::Self()), S_OK);
    EXPECT_TRUE(e2e::WaitFor([&] {
        return Exchanges() > exchanges && e2e::SimulatedControllerEnvironment::Sim()->Value("color") != colourBefore;
    }, 8000)) << "the controller got no theme";

    // The login box: a password set through the tool is typed in, and read
    // back it tells nothing. Esc closes the box.
    ASSERT_EQ(tree.Find(L"返回")->object->accDoDefaultAction(msaa::Self()), S_OK);
    ASSERT_TRUE(wait([](const msaa::Tree& t) { return t.Find(L"进入") != nullptr; }));
    ASSERT_EQ(tree.Find(L"账户")->object->accDoDefaultAction(msaa::Self()), S_OK);
    ASSERT_TRUE(wait([](const msaa::Tree& t) { return t.Find(L"账户登录", ROLE_SYSTEM_DIALOG) != nullptr; }));
    const msaa::Node* password = nullptr;
    for (const msaa::Node& n : tree.nodes)
        if (n.role == ROLE_SYSTEM_TEXT && (n.state & STATE_SYSTEM_PROTECTED)) password = &n;
    ASSERT_NE(password, nullptr);
    BSTR secret = SysAllocString(L"s3cret99");
    EXPECT_EQ(password->object->put_accValue(msaa::Self(), secret), S_OK);
    SysFreeString(secret);
    ASSERT_TRUE(uidump::WaitFor(dumpPath, [](const uidump::Dump& d) { return ShownHolding(d, L"********") != nullptr; },
                                5000, &dump)) << "the password was not typed in";
    ASSERT_TRUE(tree.Read(window));
    for (const msaa::Node& n : tree.nodes) {
        EXPECT_EQ(n.name.find(L"s3cret"), std::wstring::npos);
        EXPECT_EQ(n.value.find(L"s3cret"), std::wstring::npos);
        if (n.state & STATE_SYSTEM_PROTECTED) {
            BSTR text = nullptr;
            EXPECT_NE(n.object->get_accValue(msaa::Self(), &text), S_OK);
            EXPECT_EQ(text, nullptr);
            SysFreeString(text);
        }
    }
    // 登录 without an account name: the message box is announced and takes
    // the focus; Esc closes it, and then the login box.
    ASSERT_EQ(tree.Find(L"登录", ROLE_SYSTEM_PUSHBUTTON)->object->accDoDefaultAction(msaa::Self()), S_OK);
    EXPECT_TRUE(heardSoon(L"alert 信息"));
    if (hook) UnhookWinEvent(hook);
    ASSERT_TRUE(wait([&](const msaa::Tree& t) { return t.Find(L"请输入账号!") && focused(t, L"确定"); }));
    xdo::MoveTo(picture.x, picture.y - 200);  // the keys' window
    ASSERT_TRUE(xdo::Tool({L"key", L"Escape"}));
    ASSERT_TRUE(wait([](const msaa::Tree& t) { return !t.Find(L"请输入账号!") && t.Find(L"账户登录"); }));
    ASSERT_TRUE(xdo::Tool({L"key", L"Escape"}));
    EXPECT_TRUE(wait([](const msaa::Tree& t) { return t.Find(L"账户登录") == nullptr && t.Find(L"进入"); }));
    tree.Clear();
    CoUninitialize();
}

TEST_F(ClientEndToEnd, DraggingByTheTopStripMovesTheWindowByTheMouseOffsetAndBelowItNot) {
    Launch(L"");
    RECT before{};
    GetWindowRect(window, &before);
    // Between the product name and the caption buttons.
    ASSERT_TRUE(xdo::Drag(before.left + 600, before.top + 25, 37, 23));
    // The window follows each step of the drag: wait for the last one.
    auto moved = [&] {
        RECT r{};
        GetWindowRect(window, &r);
        return r.left - before.left == 37 && r.top - before.top == 23;
    };
    if (!e2e::WaitFor(moved, 3000)) {
        // The first press after the start is sometimes lost on a busy
        // machine: a window that has not moved at all gets the drag again.
        RECT r{};
        GetWindowRect(window, &r);
        if (EqualRect(&r, &before)) {
            ASSERT_TRUE(xdo::Drag(before.left + 600, before.top + 25, 37, 23));
            e2e::WaitFor(moved, 3000);
        }
    }
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left - before.left, 37);
    EXPECT_EQ(after.top - before.top, 23);

    ASSERT_TRUE(xdo::Drag(after.left + 600, after.top + 300, 40, 30));
    Sleep(500);
    RECT still{};
    GetWindowRect(window, &still);
    EXPECT_EQ(still.left, after.left);
    EXPECT_EQ(still.top, after.top);
    EXPECT_EQ(Exchanges(), exchangesBefore);
}

TEST_F(ClientEndToEnd, AutoStartShowsNothingUntilTheTrayIconIsDoubleClicked) {
    ASSERT_TRUE(program.Start(VentaroExe(), L"\"" + VentaroExe() + L"\" auto"));
    window = e2e::WaitForVentaroWindow(program.Pid(), 20000);
    ASSERT_NE(window, nullptr);
    // Started and idle, but nothing shown, and nothing even drawn: no frame,
    // so no dump either.
    Sleep(3000);
    EXPECT_TRUE(program.Running());
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetFileAttributesW(dumpPath.c_str()), INVALID_FILE_ATTRIBUTES);

    // Wine's notification area (a strip of 20-pixel icons when no desktop
    // panel hosts it): the first icon is ours, the only one.
    HWND tray = FindWindowW(nullptr, L"Wine System Tray");
    ASSERT_NE(tray, nullptr);
    RECT r{};
    GetWindowRect(tray, &r);
    ASSERT_TRUE(xdo::DoubleClick(r.left + (r.bottom - r.top) / 2, r.top + (r.bottom - r.top) / 2));
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5000));
    EXPECT_TRUE(uidump::WaitFor(dumpPath, [](const uidump::Dump& d) { return d.Shown(L"EnterButton") != nullptr; },
                                10000, &dump));
    EXPECT_EQ(Exchanges(), exchangesBefore);
}

TEST_F(ClientEndToEnd, DamagedThemeFileIsToldOnceThenTheShippedThemesAreListed) {
    StartWithDamaged(L"LightSetConfig.ini", L"灯光方案文件", false);
    ClickStyle(L"EnterButton");  // the lighting page
    EXPECT_TRUE(uidump::WaitFor(dumpPath, [](const uidump::Dump& d) {
        return ShownHolding(d, L"Orvane") && ShownHolding(d, L"星空紫");
    }, 8000, &dump));
    RestartQuietly();
}

TEST_F(ClientEndToEnd, DamagedGameModeFileIsToldOnceShownThenTheGamePageIsEmpty) {
    StartWithDamaged(L"GameTaskConfig.ini", L"游戏模式文件", true);
    ClickStyle(L"GameModeButton");
    ASSERT_TRUE(WaitChecked(L"GameModeButton"));
    ClickStyle(L"EnterButton");
    EXPECT_TRUE(uidump::WaitFor(dumpPath, [](const uidump::Dump& d) { return ShownHolding(d, L"添加游戏"); }, 8000,
                                &dump));
    EXPECT_EQ(dump.ById(5501), nullptr) << "a game tile";  // the first tile
    RestartQuietly();
}

}  // namespace
