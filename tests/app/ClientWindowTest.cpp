// The client window in process, joined as in the program: the top-level
// window passes every message to the engine holder first, events travel as
// posted messages, and stand-in pages fill the slots a test asks for.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "AppCommands.h"
#include "ApplicationConfigFile.h"
#include "ClientLayout.h"
#include "ClientTaskBar.h"
#include "ClientWindow.h"
#include "DUIEngine.h"
#include "MainWindow.h"
#include "OVFanLedDevice.h"
#include "ProgramRunner.h"
#include "SimulatedController.h"
#include "TestPaths.h"
#include "UiDump.h"
#include "UiDumpFormat.h"
#include "UiDumpWriter.h"
#include "controls/DUI_TextEdit.h"
#include "core/DUI_UICollection.h"
#include "scene/DUIDevManage.h"
#include "scene/DUIDevRender.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

// What the stand-in pages saw, in order ("Create 0", "Show 3", ...).
std::vector<std::string> g_log;
COVFanLedDevice* g_device = nullptr;     // the fixture's, to look at during page shutdown
CClientTaskBar* g_taskBar = nullptr;
std::vector<std::string> g_stateAtShutdown;  // device open / tray shown when each page shut down
std::vector<unsigned int> g_gameRuns;
CDUI_TextEdit* g_edit = nullptr;             // the lighting stand-in's text edit
bool g_earlyEvent = false;                   // the lighting stand-in fires a click while the client is built
int g_editClicks = 0;

class StandInPage : public IClientPage, public IGamePageLink, public ILightPageLink, public IFanPageLink {
public:
    StandInPage(int slot, IClientHost* host) : slot_(slot), host_(host) {}
    int Create() override {
        g_log.push_back("Create " + std::to_string(slot_));
        if (slot_ == int(ClientPageId::Light)) {
            // A text edit inside the window control, for the clipboard keys.
            g_edit = host_->Resource()->CreateTextEdit(4000, L"OVTextEdit", L"abc", 100, 300, 200, 26);
            if (g_edit) {
                host_->WindowControl()->AddChild(g_edit);
                g_edit->SetVisible(0);
            }
            if (g_edit && g_earlyEvent) {
                g_edit->SetEventCallback(DUI_EVT_CLICKED, [](CDUI_UIControl*, const CDUI_EventRecord*, void*) { ++g_editClicks; }, nullptr);
                g_edit->FireEvent(DUI_EVT_CLICKED);
                // The own loop of a message box shown while the client is built.
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            }
        }
        return 1;
    }
    void Show() override {
        g_log.push_back("Show " + std::to_string(slot_));
        if (slot_ == int(ClientPageId::Light) && g_edit) g_edit->SetVisible(1);
    }
    void Hide() override {
        g_log.push_back("Hide " + std::to_string(slot_));
        if (slot_ == int(ClientPageId::Light) && g_edit) g_edit->SetVisible(0);
    }
    void Shutdown() override {
        g_log.push_back("Shutdown " + std::to_string(slot_));
        g_stateAtShutdown.push_back(std::string(g_device && g_device->IsOpen() ? "open" : "closed") + "/" +
                                    (g_taskBar && g_taskBar->IsShown() ? "tray" : "notray"));
    }
    int RunGameTaskById(unsigned int id) override {
        g_gameRuns.push_back(id);
        return 1;
    }
    int GetGameTaskCountText(std::wstring* text) override {
        if (text) *text = L"0";
        return 1;
    }
    int ApplyThemeByName(const std::wstring& name) override {
        g_log.push_back("Apply " + std::string(name.begin(), name.end()));
        return 1;
    }
    int GetLightSelectText(std::wstring*) override { return 0; }
    void ReloadThemeList() override {}
    int GetFanModeText(std::wstring*) override { return 0; }
    void Refresh() override {}
    int SendChosenLevel() override {
        g_log.push_back("Fans");
        return 1;
    }

private:
    int slot_;
    IClientHost* host_;
};

template <int Slot>
std::unique_ptr<IClientPage> MakeStandIn(CDUI_UIResource*, CDUI_UIScene*, IClientHost* host) {
    return std::make_unique<StandInPage>(Slot, host);
}

ClientPageFactories AllStandIns() {
    return {&MakeStandIn<0>, &MakeStandIn<1>, &MakeStandIn<2>, &MakeStandIn<3>,
            &MakeStandIn<4>, &MakeStandIn<5>, &MakeStandIn<6>};
}

ClientPageFactories NoPages() { return {}; }

// Runs this thread's messages like the message loop, remembering a WM_QUIT
// instead of ending.
int g_quitCode = -1;
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            g_quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

size_t Count(const std::string& entry) {
    size_t n = 0;
    for (const auto& e : g_log) n += e == entry ? 1 : 0;
    return n;
}

class ClientWindowTest : public testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        g_stateAtShutdown.clear();
        g_gameRuns.clear();
        g_edit = nullptr;
        g_quitCode = -1;
        window = main.Initialize(GetModuleHandleW(nullptr));
        ASSERT_NE(window, nullptr);
        taskBar.Initialize(GetModuleHandleW(nullptr));
        taskBar.SetWindow(window, main.GetPopupMenu());
        taskBar.SetNotifyIconFunction([this](DWORD message, NOTIFYICONDATAW*) {
            trayCalls.push_back(message);
            return TRUE;
        });
        main.SetTaskBar(&taskBar);
        device.UseDevicePath(e2e::SimulatedControllerEnvironment::Sim()->PipePath());
        g_device = &device;
        g_taskBar = &taskBar;
    }
    void TearDown() override {
        main.SetMessageFilter(nullptr);
        main.SetGameTaskRunner(nullptr);
        engine.reset();
        main.Shutdown();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        g_device = nullptr;
        g_taskBar = nullptr;
    }

    // Builds the engine holder as the module does.
    int Start(const ClientPageFactories& pages, HINSTANCE skinModule = GetModuleHandleW(nullptr)) {
        engine = std::make_unique<CDUIEngine>();
        CDUIEngine::Parts parts;
        parts.host = window;
        parts.skinModule = skinModule;
        parts.taskBar = &taskBar;
        parts.services.device = &device;
        parts.services.settings = settings;
        parts.pages = pages;
        main.SetMessageFilter(engine.get());
        if (!engine->Initialize(parts)) return 0;
        main.SetGameTaskRunner(engine->ClientWindow()->GameLink());
        ShowWindow(window, SW_SHOWNORMAL);
        return 1;
    }
    CClientWindow* Client() { return engine->ClientWindow(); }

    CDUI_UIControl* Control(int32_t id) {
        CDUI_UIControl* found = nullptr;
        std::vector<CDUI_UIControl*> stack{engine->Scene()};
        while (!stack.empty() && !found) {
            CDUI_UIControl* c = stack.back();
            stack.pop_back();
            if (c != engine->Scene() && c->GetId() == id) found = c;
            if (c->IsCollection())
                for (CDUI_UIControl* child : static_cast<CDUI_UICollection*>(c)->GetChildren()) stack.push_back(child);
        }
        return found;
    }
    static bool OnScreen(CDUI_UIControl* c) {
        for (; c; c = c->GetParent())
            if (!c->GetVisible() || !c->GetShown()) return false;
        return true;
    }
    // Messages to the top-level window as the mouse would make them, then
    // the posted engine events run.
    void Mouse(UINT message, int x, int y, WPARAM keys = 0) {
        // The real pointer goes there too, so moves the display reports
        // while messages are pumped tell the same story.
        POINT screen{x, y};
        ClientToScreen(window, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageW(window, message, keys, MAKELPARAM(x, y));
        Pump();
    }
    void MoveTo(CDUI_UIControl* c) {
        const DUI_Rect r = c->GetAbsoluteRect();
        Mouse(WM_MOUSEMOVE, r.x + r.width / 2, r.y + r.height / 2);
    }
    void Click(int32_t id) {
        CDUI_UIControl* c = Control(id);
        ASSERT_NE(c, nullptr) << id;
        ASSERT_TRUE(OnScreen(c)) << id;
        const DUI_Rect r = c->GetAbsoluteRect();
        const int x = r.x + r.width / 2, y = r.y + r.height / 2;
        Mouse(WM_MOUSEMOVE, x, y);
        Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, x, y);
        // Away again, over empty home view.
        Mouse(WM_MOUSEMOVE, 40, 400);
    }
    bool Checked(int32_t id) { return Control(id) && Control(id)->GetChecked(); }
    bool SecondPictureShown() { return OnScreen(Control(kIdPictureSecond)) && !OnScreen(Control(kIdPictureFirst)); }
    bool FirstPictureShown() { return OnScreen(Control(kIdPictureFirst)) && !OnScreen(Control(kIdPictureSecond)); }
    bool QuitPosted() {
        Pump();
        return g_quitCode != -1;
    }

    CMainWindow main;
    HWND window = nullptr;
    CClientTaskBar taskBar;
    std::vector<DWORD> trayCalls;
    COVFanLedDevice device;
    CApplicationConfigFile* settings = nullptr;  // borrowed; set before Start
    std::unique_ptr<CDUIEngine> engine;
};

TEST_F(ClientWindowTest, BuildsTheHomeViewThenShowsTheTrayIconAndOpensTheController) {
    ASSERT_TRUE(Start(AllStandIns()));
    // Pages in their order, each created once and hidden.
    EXPECT_EQ(g_log, (std::vector<std::string>{"Create 0", "Create 1", "Create 2", "Create 3", "Create 4", "Create 5",
                                               "Create 6"}));
    EXPECT_EQ(trayCalls, std::vector<DWORD>{NIM_ADD});
    EXPECT_TRUE(device.IsOpen());
    EXPECT_TRUE(OnScreen(Control(kIdClientWindow)));
    EXPECT_TRUE(Client()->HomeViewShown());
    EXPECT_EQ(Client()->SelectedFeature(), kFeatureLight);
    EXPECT_TRUE(Checked(kIdLightButton));
    EXPECT_TRUE(FirstPictureShown());
    // The window control is fixed and has no caption buttons of its own:
    // the only close button on screen is the title strip's.
    const DUI_WindowConfig config = Client()->WindowControl()->GetConfig();
    EXPECT_EQ(config.movable, 0);
    EXPECT_EQ(config.resizable, 0);
    EXPECT_EQ(config.showClose, 0);
    const int closeButtons = [&] {
        int n = 0;
        std::vector<CDUI_UIControl*> stack{engine->Scene()};
        while (!stack.empty()) {
            CDUI_UIControl* c = stack.back();
            stack.pop_back();
            if (c != engine->Scene() && c->GetKindName() == L"Button" && OnScreen(c) &&
                (c->GetStyleName() == L"CloseButton" || c->GetId() == kIdCloseButton))
                ++n;
            if (c->IsCollection())
                for (CDUI_UIControl* child : static_cast<CDUI_UICollection*>(c)->GetChildren()) stack.push_back(child);
        }
        return n;
    }();
    EXPECT_EQ(closeButtons, 1);
    // No command reached the controller: only its handle is open.
    const std::string exchanges = e2e::SimulatedControllerEnvironment::Sim()->Value("exchanges");
    EXPECT_TRUE(exchanges == "0" || exchanges == "<missing>") << exchanges;
}

TEST_F(ClientWindowTest, ArrowsStopAtBothEndsAndEachFeatureButtonLoadsItsPair) {
    ASSERT_TRUE(Start(NoPages()));
    Click(kIdBeforArrow);
    EXPECT_EQ(Client()->SelectedFeature(), kFeatureLight);
    EXPECT_TRUE(Checked(kIdLightButton));
    EXPECT_EQ(Client()->LoadedPictures().first, 140u);

    const UINT firsts[] = {140, 134, 136, 146};
    for (int i = 1; i < 4; ++i) {
        Click(kIdAfterArrow);
        EXPECT_EQ(Client()->SelectedFeature(), i);
        EXPECT_TRUE(Checked(kIdLightButton + i));
        EXPECT_EQ(Client()->LoadedPictures().first, firsts[i]);
    }
    Click(kIdAfterArrow);
    EXPECT_EQ(Client()->SelectedFeature(), kFeatureUpdate);
    EXPECT_EQ(Client()->LoadedPictures().second, 147u);

    // Each tab selects its feature, alone, with its pair.
    const UINT seconds[] = {141, 135, 137, 147};
    for (int i : {2, 0, 3, 1}) {
        Click(kIdLightButton + i);
        EXPECT_EQ(Client()->SelectedFeature(), i);
        for (int j = 0; j < 4; ++j) EXPECT_EQ(Checked(kIdLightButton + j), i == j) << i << " " << j;
        EXPECT_EQ(Client()->LoadedPictures().first, firsts[i]);
        EXPECT_EQ(Client()->LoadedPictures().second, seconds[i]);
        EXPECT_TRUE(FirstPictureShown());
    }
    Click(kIdBeforArrow);
    EXPECT_EQ(Client()->SelectedFeature(), kFeatureLight);
    Click(kIdBeforArrow);
    EXPECT_EQ(Client()->SelectedFeature(), kFeatureLight);
}

TEST_F(ClientWindowTest, EnterButtonLightsThePictureOnlyWhileThePointerIsOnIt) {
    ASSERT_TRUE(Start(NoPages()));
    CDUI_UIControl* enter = Control(kIdEnterButton);
    ASSERT_NE(enter, nullptr);
    MoveTo(enter);
    EXPECT_TRUE(SecondPictureShown());
    Mouse(WM_MOUSEMOVE, 40, 400);
    EXPECT_TRUE(FirstPictureShown());
    // Leaving the window altogether (no move inside first) puts it back too.
    MoveTo(enter);
    EXPECT_TRUE(SecondPictureShown());
    Mouse(WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(FirstPictureShown());
    EXPECT_EQ(enter->GetState(), DUI_STATE_NORMAL);
    // Pressing keeps it lit; with no page in the slot the home view stays.
    MoveTo(enter);
    const DUI_Rect r = enter->GetAbsoluteRect();
    Mouse(WM_LBUTTONDOWN, r.x + 5, r.y + 5, MK_LBUTTON);
    EXPECT_TRUE(SecondPictureShown());
    Mouse(WM_LBUTTONUP, r.x + 5, r.y + 5);
    EXPECT_TRUE(Client()->HomeViewShown());
    EXPECT_TRUE(OnScreen(enter));
}

TEST_F(ClientWindowTest, EnterOpensTheSelectedFeaturesPageAndTheHomeViewComesBackUnlit) {
    ASSERT_TRUE(Start(AllStandIns()));
    Click(kIdLightButton + kFeatureGame);
    g_log.clear();
    Click(kIdEnterButton);
    EXPECT_FALSE(Client()->HomeViewShown());
    ASSERT_FALSE(g_log.empty());
    EXPECT_EQ(g_log.back(), "Show 3");  // the game slot
    for (int slot = 0; slot < 7; ++slot) {
        if (slot != 3) {
            EXPECT_EQ(Count("Hide " + std::to_string(slot)), 1u) << slot;
        }
    }
    EXPECT_EQ(Count("Show 3"), 1u);

    // A page goes back; the enter picture is the first one again.
    Client()->ShowHomeView();
    Pump();
    EXPECT_TRUE(Client()->HomeViewShown());
    EXPECT_TRUE(FirstPictureShown());
    EXPECT_EQ(Count("Hide 3"), 2u);  // before it was shown, and now
}

TEST_F(ClientWindowTest, AccountButtonOpensTheLoginPageWhileNobodyIsLoggedIn) {
    ASSERT_TRUE(Start(AllStandIns()));
    g_log.clear();
    Click(kIdAccountButton);
    EXPECT_EQ(Count("Show 4"), 1u);  // login
    EXPECT_EQ(Count("Show 5"), 0u);  // account
    EXPECT_FALSE(Client()->HomeViewShown());
}

TEST_F(ClientWindowTest, MinButtonHidesToTheTrayAndTheHandOverStillReachesTheGamePage) {
    ASSERT_TRUE(Start(AllStandIns()));
    ASSERT_TRUE(IsWindowVisible(window));
    Click(kIdMinButton);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(QuitPosted());
    EXPECT_TRUE(taskBar.IsShown());

    std::wstring text = L"GameTaskID_12";
    COPYDATASTRUCT data{456852, DWORD(text.size() * sizeof(wchar_t)), text.data()};
    SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(g_gameRuns, std::vector<unsigned int>{12});
    // The tray's double-click brings it back.
    taskBar.OnNotify(1, WM_LBUTTONDBLCLK);
    Pump();
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(ClientWindowTest, CloseButtonEndsTheProgramLikeTheTraysExit) {
    ASSERT_TRUE(Start(NoPages()));
    Click(kIdCloseButton);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(QuitPosted());
    const int closeCode = g_quitCode;

    // The same through the tray's "退出" on a fresh window.
    main.SetMessageFilter(nullptr);
    engine.reset();
    main.Shutdown();
    g_quitCode = -1;
    window = main.Initialize(GetModuleHandleW(nullptr));
    ASSERT_TRUE(Start(NoPages()));
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_EXIT, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(g_quitCode, closeCode);
}

TEST_F(ClientWindowTest, TeardownClosesTheControllerAndRemovesTheIconBeforeThePagesInReverse) {
    ASSERT_TRUE(Start(AllStandIns()));
    g_log.clear();
    engine->Stop();
    engine->Shutdown();
    EXPECT_EQ(g_log, (std::vector<std::string>{"Shutdown 6", "Shutdown 5", "Shutdown 4", "Shutdown 3", "Shutdown 2",
                                               "Shutdown 1", "Shutdown 0"}));
    ASSERT_EQ(g_stateAtShutdown.size(), 7u);
    EXPECT_EQ(g_stateAtShutdown.front(), "closed/notray");
    EXPECT_EQ(trayCalls.back(), DWORD(NIM_DELETE));
    // Hiding the window control during teardown does not end the program.
    Pump();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(QuitPosted());
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
}

TEST_F(ClientWindowTest, AnEventDispatchedWhileTheClientIsBuiltLeavesNoControlDeaf) {
    g_earlyEvent = true;
    g_editClicks = 0;
    ASSERT_TRUE(Start(AllStandIns()));
    g_earlyEvent = false;
    const int early = g_editClicks;
    g_edit->FireEvent(DUI_EVT_CLICKED);
    Pump();
    EXPECT_EQ(g_editClicks, early + 1) << "later clicks were merged into the early event's stale record";
}

TEST_F(ClientWindowTest, ASkinThatDoesNotLoadGivesNoWindowNoIconAndNoController) {
    // kernel32 has no resource 131.
    EXPECT_FALSE(Start(AllStandIns(), GetModuleHandleW(L"kernel32.dll")));
    EXPECT_TRUE(g_log.empty());
    EXPECT_TRUE(trayCalls.empty());
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(ClientWindowTest, HostWindowCapturesTracksAndUsesTheArrowCursor) {
    ASSERT_TRUE(Start(NoPages()));
    // Pressed below the strip: captured until the release.
    Mouse(WM_MOUSEMOVE, 300, 400);
    Mouse(WM_LBUTTONDOWN, 300, 400, MK_LBUTTON);
    EXPECT_EQ(GetCapture(), window);
    Mouse(WM_LBUTTONUP, 300, 400);
    EXPECT_EQ(GetCapture(), nullptr);

    TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
    ASSERT_TRUE(TrackMouseEvent(&query));
    EXPECT_EQ(query.hwndTrack, window);
    EXPECT_TRUE(query.dwFlags & TME_LEAVE);

    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(ClientWindowTest, DraggingByTheStripMovesTheWindowEvenWithTheEngineInFront) {
    ASSERT_TRUE(Start(NoPages()));
    RECT before{};
    GetWindowRect(window, &before);
    // Between the product name and the caption buttons: only the strip.
    // Sent as they come while the button is held: the real pointer stays
    // where it is (moving it would report a move without the button).
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 25));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(630, 45));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(630, 45));
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);

    // Below the strip nothing moves.
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 300));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(640, 330));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(640, 330));
    RECT still{};
    GetWindowRect(window, &still);
    EXPECT_EQ(still.left, after.left);
    EXPECT_EQ(still.top, after.top);
}

TEST_F(ClientWindowTest, ControlKeysReachTheFocusedTextEdit) {
    ASSERT_TRUE(Start(AllStandIns()));
    ASSERT_NE(g_edit, nullptr);
    Client()->ShowPage(ClientPageId::Light);
    ASSERT_TRUE(OnScreen(g_edit));
    g_edit->SetInputFlag(1);
    const DUI_Rect r = g_edit->GetAbsoluteRect();
    Mouse(WM_LBUTTONDOWN, r.x + 5, r.y + 5, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, r.x + 5, r.y + 5);
    ASSERT_TRUE(g_edit->GetFocus());

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(window, WM_KEYDOWN, 'A', 1);
    SendMessageW(window, WM_KEYDOWN, 'C', 1);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);

    std::wstring clip;
    ASSERT_TRUE(OpenClipboard(nullptr));
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        clip = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(clip, L"abc");
}

TEST_F(ClientWindowTest, NothingIsDrawnWhileTheWindowIsInTheTray) {
    ASSERT_TRUE(Start(NoPages()));
    ASSERT_TRUE(engine->Start());
    CDUIDevRender* render = engine->DevManage()->GetRender();
    ASSERT_TRUE(render->IsRunning());
    ASSERT_TRUE(e2e::WaitFor([&] { return render->GetFramesPresented() > 0; }, 5000));

    // A hover look taken into the tray would greet the user on return.
    MoveTo(Control(kIdMinButton));
    EXPECT_EQ(Control(kIdMinButton)->GetState(), DUI_STATE_HOVER);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_HIDEWINDOW, 0), 0);
    Pump();
    EXPECT_FALSE(render->IsRunning());
    EXPECT_EQ(render->GetMemoryDC(), nullptr);  // the frame image is given back
    EXPECT_EQ(Control(kIdMinButton)->GetState(), DUI_STATE_NORMAL);

    // Shown again: the whole window is painted afresh.
    const uint64_t framesBefore = render->GetFramesPresented();
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_SHOWWINDOW, 0), 0);
    Pump();
    EXPECT_TRUE(render->IsRunning());
    ASSERT_TRUE(e2e::WaitFor([&] { return render->GetFramesPresented() > framesBefore; }, 5000));
    EXPECT_NE(render->GetPixel(10, 10), 0u);             // the title strip
    EXPECT_NE(render->GetPixel(700, 700), 0u);           // the window's ground
    // The ground is the product's dark blue, not the window style's black,
    // so the home view and every page stand on one colour.
    EXPECT_EQ(render->GetPixel(100, 400) & 0xFFFFFF, 0x0B0F14u);
    EXPECT_EQ(render->GetPixel(1260, 600) & 0xFFFFFF, 0x0B0F14u);
}

TEST_F(ClientWindowTest, AnEngineStartedHiddenDrawsOnlyOnceShown) {
    ASSERT_TRUE(Start(NoPages()));
    ShowWindow(window, SW_HIDE);
    Pump();
    ASSERT_TRUE(engine->Start());
    CDUIDevRender* render = engine->DevManage()->GetRender();
    EXPECT_FALSE(render->IsRunning());
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_SHOWWINDOW, 0), 0);
    Pump();
    EXPECT_TRUE(render->IsRunning());
}

// ---- the inspection dump ----

TEST(UiDumpFormat, OneLinePerControlWithEscapedText) {
    UiDumpRow row;
    row.id = 1015;
    row.kind = L"Button";
    row.style = L"EnterButton";
    row.x = 583;
    row.y = -4;
    row.width = 200;
    row.height = 52;
    row.visible = 1;
    row.enabled = 1;
    row.checked = 0;
    row.text = L"进入\t第1行\n第2行\\";
    const std::string line = FormatDumpLine(row);
    EXPECT_EQ(line, "1015\tButton\tEnterButton\t583\t-4\t200\t52\t1\t1\t0\t"
                    "\xE8\xBF\x9B\xE5\x85\xA5\\t\xE7\xAC\xAC" "1\xE8\xA1\x8C\\n\xE7\xAC\xAC" "2\xE8\xA1\x8C\\\\\n");
    // What the test reader makes of it is the control again.
    uidump::Row back;
    ASSERT_TRUE(uidump::ParseLine(uidump::FromUtf8(line.substr(0, line.size() - 1)), &back));
    EXPECT_EQ(back.text, row.text);
    EXPECT_EQ(back.y, -4);
    EXPECT_EQ(back.style, L"EnterButton");
    // Characters beyond the basic plane stay whole.
    EXPECT_EQ(DumpUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST_F(ClientWindowTest, DumpFollowsTheScreenAtMostFiveTimesASecond) {
    const std::wstring dir = testpaths::MakeTempDir(L"dump");
    const std::wstring path = dir + L"ui.txt";
    SetEnvironmentVariableW(kUiDumpVariable, path.c_str());
    const int started = Start(NoPages());
    SetEnvironmentVariableW(kUiDumpVariable, nullptr);
    ASSERT_TRUE(started);
    ASSERT_NE(engine->DumpWriter(), nullptr);
    ASSERT_TRUE(engine->Start());

    uidump::Dump dump;
    ASSERT_TRUE(uidump::WaitFor(path, [](const uidump::Dump& d) { return d.ById(kIdEnterButton) != nullptr; }, 10000,
                                &dump));
    const uidump::Row* enter = dump.ById(kIdEnterButton);
    EXPECT_TRUE(enter->visible);
    EXPECT_EQ(enter->x, clientlayout::kEnterButton.x);
    EXPECT_EQ(enter->y, clientlayout::kEnterButton.y);
    EXPECT_EQ(enter->width, clientlayout::kEnterButton.width);
    EXPECT_EQ(enter->text, L"进入");
    EXPECT_TRUE(dump.ById(kIdLightButton)->checked);
    EXPECT_FALSE(dump.ById(kIdHomeMessageBox)->visible);

    // A selection shows in the dump, stamped with the frame that first
    // showed it: one presented after the click, before the dump was read.
    const unsigned long long before = dump.frame;
    FILETIME clicked{};
    GetSystemTimeAsFileTime(&clicked);
    Click(kIdLightButton + kFeatureUpdate);
    ASSERT_TRUE(uidump::WaitFor(path, [](const uidump::Dump& d) {
        const uidump::Row* update = d.ById(kIdLightButton + kFeatureUpdate);
        return update && update->checked;
    }, 5000, &dump));
    FILETIME read{};
    GetSystemTimeAsFileTime(&read);
    auto ms = [](const FILETIME& t) { return ((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000; };
    EXPECT_FALSE(dump.ById(kIdLightButton)->checked);
    EXPECT_GT(dump.frame, before);
    EXPECT_GE(dump.frameAtMs, ms(clicked));
    EXPECT_LE(dump.frameAtMs, ms(read));

    // Changes every frame for two seconds: at most five writes a second.
    const uint32_t writesBefore = engine->DumpWriter()->WriteCount();
    const ULONGLONG end = GetTickCount64() + 2000;
    for (int i = 0; GetTickCount64() < end; ++i) {
        Click(kIdLightButton + (i % 4));
        Sleep(20);
    }
    const uint32_t writes = engine->DumpWriter()->WriteCount() - writesBefore;
    EXPECT_GE(writes, 5u);
    EXPECT_LE(writes, 11u);  // 2 s at 5 a second, and one that started at the edge

    // A still screen is not written again.
    Sleep(600);
    const uint32_t settled = engine->DumpWriter()->WriteCount();
    Sleep(1000);
    EXPECT_EQ(engine->DumpWriter()->WriteCount(), settled);
}

TEST_F(ClientWindowTest, WithoutTheVariableThereIsNoDump) {
    SetEnvironmentVariableW(kUiDumpVariable, nullptr);
    ASSERT_TRUE(Start(NoPages()));
    EXPECT_EQ(engine->DumpWriter(), nullptr);
}

}  // namespace

// Last in the suite: it sends the shared simulator a command.
TEST_F(ClientWindowTest, AControllerThatComesBackGetsTheThemeAndFansOnceUnlessSentAlready) {
    CApplicationConfigFile stored;  // a new file: OVLightSelect "Orvane"
    ASSERT_EQ(stored.Initialise(testpaths::MakeTempDir(L"restore")), 1);
    settings = &stored;
    ASSERT_TRUE(Start(AllStandIns()));
    main.SetControllerEvents(Client()->ControllerEvents());
    g_log.clear();
    // Gone (Windows' removal report) and found again.
    device.OnInterfaceRemoved(device.GetDevicePath());
    ASSERT_EQ(device.LookForControllerNow(), 1);
    EXPECT_EQ(device.LookForControllerNow(), 1) << "already back: no second return";
    Pump();
    EXPECT_EQ(g_log, (std::vector<std::string>{"Apply Orvane", "Fans"}));

    // The user's own theme went out before the return was handled: only the fans.
    g_log.clear();
    device.OnInterfaceRemoved(device.GetDevicePath());
    ASSERT_EQ(device.LookForControllerNow(), 1);
    EXPECT_EQ(device.SetLightMode(2), 1);
    Pump();
    EXPECT_EQ(g_log, std::vector<std::string>{"Fans"});
    main.SetControllerEvents(nullptr);
}
