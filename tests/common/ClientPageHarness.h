#pragma once
// In-process harness for the pages of the client window.
//
// It builds what the client window gives a page, for real: the engine's
// device manager bound to a hidden host window, the product skin (resource
// 131 of the test executable), a scene that delivers events at once on the
// calling thread, the full-size window control "OVWindow" (id 1000), and an
// IClientHost whose ClientServices point at
//   - an environment with a fresh temporary data folder and build\bin\ as the
//     program folder (where LightSetConfig.dat, GameTaskConfig.dat and
//     Pexilo.exe are),
//   - the settings file and the record stores in that data folder,
//   - a controller opened on a ControllerSim.exe that the harness starts
//     once per test process (its state file tells what the controller got),
//   - an account client (not logged in) using the data folder.
//
// A suite declares itself with ventaro_add_page_suite() (tests/common/
// PageHarness.cmake), which links the harness, the product skin and the
// simulator. A test:
//
//   pageharness::CClientPageHarness h;
//   ASSERT_TRUE(h.Ready());
//   auto* page = h.AddPage<CFanCtrlPage>(ClientPageId::Fan);   // constructed and Create()d
//   h.Host().ShowPage(ClientPageId::Fan);
//   ASSERT_TRUE(h.ClickText(L"OVButton", L"应用"));
//   EXPECT_EQ(h.Sim()->Value("fan0"), "60");          // the simulator's state file
//   h.SaveScreenshot(L"fan.png");                                 // look at it
//
// Navigation the page asks for (ShowHomeView, ShowPage) is recorded and also
// carried out on the pages added; links to other pages are whatever the test
// sets (SetLightLink and so on), else null as in a program without them.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ClientPages.h"

// The rest of the module's classes are declared by ClientPages.h.
class CDUIDevManage;
class CDUI_UIControl;

namespace simharness {
class CSimProcess;
}

namespace pageharness {

class CClientPageHarness : public IClientHost {
public:
    struct Options {
        int openController = 1;  // 0: the device exists but stays closed
        int createStores = 1;    // 0: services.stores stays null
    };

    CClientPageHarness();
    explicit CClientPageHarness(const Options& options);
    ~CClientPageHarness() override;
    CClientPageHarness(const CClientPageHarness&) = delete;
    CClientPageHarness& operator=(const CClientPageHarness&) = delete;

    // Every part stands (skin complete, scene, window control, services).
    bool Ready() const { return m_ready; }
    IClientHost& Host() { return *this; }

    // Constructs Page(resource, scene, host) in the slot and runs Create();
    // nullptr (and an empty slot) when Create() fails.
    template <typename Page>
    Page* AddPage(ClientPageId id) {
        auto page = std::make_unique<Page>(Resource(), Scene(), static_cast<IClientHost*>(this));
        Page* raw = page.get();
        return PutPage(id, std::move(page)) ? raw : nullptr;
    }
    // The same for a page made elsewhere (a stand-in page); 1 when Create() succeeded.
    int PutPage(ClientPageId id, std::unique_ptr<IClientPage> page);

    // Links to the other pages, as the client window would hand them out.
    void SetLightLink(ILightPageLink* link) { m_light = link; }
    void SetFanLink(IFanPageLink* link) { m_fan = link; }
    void SetGameLink(IGamePageLink* link) { m_game = link; }
    void SetUpdateLink(IUpdatePageLink* link) { m_update = link; }

    // Navigation requests seen so far.
    int HomeViewRequests() const { return m_homeRequests; }
    // The slots ShowPage was asked for, in order.
    const std::vector<ClientPageId>& PageRequests() const { return m_pageRequests; }

    // ---- finding and driving controls ----
    // The first control, depth first in painting order, whose style name is
    // style (any when empty) and whose text is text (any when empty);
    // with shownOnly only controls that are on screen (they and all their
    // ancestors shown).
    CDUI_UIControl* Find(const std::wstring& style, const std::wstring& text = L"", bool shownOnly = true);
    std::vector<CDUI_UIControl*> FindAll(const std::wstring& style, const std::wstring& text = L"",
                                         bool shownOnly = true);
    CDUI_UIControl* FindById(int32_t id, bool shownOnly = false);
    // The control and all its ancestors are shown.
    static bool OnScreen(CDUI_UIControl* control);
    // Centre of the control in window pixels.
    static POINT Centre(CDUI_UIControl* control);

    // Pointer over, press and release at the control's centre (events run
    // at once), then Settle(). False when the control is missing or not on
    // screen.
    bool Click(CDUI_UIControl* control);
    // The same without waiting: a request the click started is still running.
    bool Press(CDUI_UIControl* control);
    // Runs this thread's messages until every request a page started on a
    // worker has brought its answer back (or ms passed: false).
    bool Settle(DWORD ms = 60000);
    bool ClickText(const std::wstring& style, const std::wstring& text);
    // Mouse messages at window pixels.
    void MouseMove(int x, int y);
    void MouseDown(int x, int y);
    void MouseUp(int x, int y);
    void Wheel(int x, int y, int delta);
    // Clicks the control (to focus it) and types text as WM_CHAR messages.
    bool Type(CDUI_UIControl* control, const std::wstring& text);
    // A key press and release for the focused control.
    void Key(UINT virtualKey);
    // Any message through the scene, as the host window would forward it.
    int Send(UINT message, WPARAM wParam, LPARAM lParam);

    static std::wstring TextOf(CDUI_UIControl* control);
    // The text of the first shown control of that style, or "" when none.
    std::wstring TextOfStyle(const std::wstring& style);

    // Paints the whole scene and saves it as a PNG (window size). 1/0.
    int SaveScreenshot(const std::wstring& path);

    // ---- what the page worked on ----
    simharness::CSimProcess* Sim();
    std::wstring DataFolder() const { return m_dataFolder; }
    std::wstring ProgramFolder() const { return m_programFolder; }
    CApplicationEnv* Env() { return m_env.get(); }
    CApplicationConfigFile* Settings() { return m_settings.get(); }
    COVSystemConfig* Stores() { return m_stores.get(); }
    COVFanLedDevice* Device() { return m_device.get(); }
    CUserLoginCtrl* Account() { return m_account.get(); }
    HWND HostWindow() const { return m_host; }

    // ---- IClientHost ----
    CDUI_UIResource* Resource() override;
    CDUI_UIScene* Scene() override;
    CDUI_Window* WindowControl() override { return m_window; }
    const ClientServices& Services() override { return m_services; }
    void ShowHomeView() override;
    void ShowPage(ClientPageId id) override;
    IClientPage* Page(ClientPageId id) override;
    ILightPageLink* LightLink() override { return m_light; }
    IFanPageLink* FanLink() override { return m_fan; }
    IGamePageLink* GameLink() override { return m_game; }
    IUpdatePageLink* UpdateLink() override { return m_update; }

private:
    void Build(const Options& options);

    bool m_ready = false;
    HWND m_host = nullptr;  // owned: a hidden popup standing in for the top-level window
    std::unique_ptr<CDUIDevManage> m_manager;
    std::unique_ptr<CDUI_UIResource> m_resource;
    CDUI_Window* m_window = nullptr;  // owned by the scene
    std::wstring m_dataFolder, m_programFolder;
    std::unique_ptr<CApplicationEnv> m_env;
    std::unique_ptr<CApplicationConfigFile> m_settings;
    std::unique_ptr<COVSystemConfig> m_stores;
    std::unique_ptr<COVFanLedDevice> m_device;
    std::unique_ptr<CUserLoginCtrl> m_account;
    ClientServices m_services;
    std::array<std::unique_ptr<IClientPage>, static_cast<size_t>(ClientPageId::Count)> m_pages;
    ILightPageLink* m_light = nullptr;
    IFanPageLink* m_fan = nullptr;
    IGamePageLink* m_game = nullptr;
    IUpdatePageLink* m_update = nullptr;
    int m_homeRequests = 0;
    std::vector<ClientPageId> m_pageRequests;
};

}  // namespace pageharness
