// The page harness itself, with a small page of its own: what a page suite
// relies on (skin, services, simulator, finding and clicking, navigation,
// screenshots) holds.
#include <gtest/gtest.h>

#include <windows.h>

#include "ApplicationConfigFile.h"
#include "ApplicationEnv.h"
#include "ClientPageHarness.h"
#include "OVFanLedDevice.h"
#include "SimHarness.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_TextEdit.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

namespace {

// A page as the page helpers write them: controls inside the window
// control, hidden until shown, a button that drives the controller and one
// that goes back.
class SamplePage : public IClientPage {
public:
    SamplePage(CDUI_UIResource* resource, CDUI_UIScene*, IClientHost* host) : resource_(resource), host_(host) {}
    int Create() override {
        panel_ = resource_->CreatePanel(5000, L"OVPanel", L"", 0, 50, 1366, 718);
        if (!panel_) return 0;
        host_->WindowControl()->AddChild(panel_);
        panel_->SetVisible(0);
        apply_ = resource_->CreateButton(5001, L"ApplyButton", L"应用", 100, 100, 120, 36);
        back_ = resource_->CreateButton(5002, L"LightReturnButton", L"返回", 20, 10, 96, 36);
        status_ = resource_->CreateLabel(5003, L"OVLabel", L"", 100, 150, 300, 24);
        edit_ = resource_->CreateTextEdit(5004, L"OVTextEdit", L"", 100, 200, 200, 28);
        for (CDUI_UIControl* c : {static_cast<CDUI_UIControl*>(apply_), static_cast<CDUI_UIControl*>(back_),
                                  static_cast<CDUI_UIControl*>(status_), static_cast<CDUI_UIControl*>(edit_)}) {
            if (!c) return 0;
            panel_->AddChild(c);
        }
        edit_->SetInputFlag(1);
        apply_->SetEventCallback(DUI_EVT_CLICKED, &SamplePage::OnApply, this);
        back_->SetEventCallback(DUI_EVT_CLICKED, &SamplePage::OnBack, this);
        return 1;
    }
    void Show() override { panel_->SetVisible(1); }
    void Hide() override { panel_->SetVisible(0); }
    void Shutdown() override { shutDown_ = 1; }
    int shutDown_ = 0;

private:
    static void OnApply(CDUI_UIControl*, const CDUI_EventRecord*, void* user) {
        auto* self = static_cast<SamplePage*>(user);
        COVFanLedDevice* device = self->host_->Services().device;
        const int ok = device && device->SetFanLevel(0, 60);
        self->status_->SetText(ok ? L"已应用" : L"失败");
    }
    static void OnBack(CDUI_UIControl*, const CDUI_EventRecord*, void* user) {
        static_cast<SamplePage*>(user)->host_->ShowHomeView();
    }
    CDUI_UIResource* resource_;
    IClientHost* host_;
    CDUI_Panel* panel_ = nullptr;
    CDUI_Button* apply_ = nullptr;
    CDUI_Button* back_ = nullptr;
    CDUI_Label* status_ = nullptr;
    CDUI_TextEdit* edit_ = nullptr;
};

TEST(PageHarness, APageBuildsOnTheProductSkinAndDrivesTheSimulatedController) {
    pageharness::CClientPageHarness h;
    ASSERT_TRUE(h.Ready());
    // The services: a data folder of its own, with the settings file in it.
    EXPECT_EQ(h.Services().env->GetDataFolder(), h.DataFolder());
    EXPECT_NE(GetFileAttributesW((h.DataFolder() + L"OVCLIENT.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(h.Services().stores, nullptr);
    ASSERT_TRUE(h.Device()->IsOpen());

    SamplePage* page = h.AddPage<SamplePage>(ClientPageId::Fan);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(h.Find(L"ApplyButton", L"应用"), nullptr);  // hidden until shown
    EXPECT_NE(h.Find(L"ApplyButton", L"应用", false), nullptr);

    h.Host().ShowPage(ClientPageId::Fan);
    ASSERT_TRUE(h.ClickText(L"ApplyButton", L"应用"));
    EXPECT_EQ(h.TextOf(h.FindById(5003)), L"已应用");
    EXPECT_EQ(h.Sim()->Value("fan0"), "60");

    ASSERT_TRUE(h.Type(h.FindById(5004), L"abc"));
    EXPECT_EQ(h.TextOf(h.FindById(5004)), L"abc");

    const std::wstring shot = h.DataFolder() + L"page.png";
    ASSERT_TRUE(h.SaveScreenshot(shot));
    WIN32_FILE_ATTRIBUTE_DATA info{};
    ASSERT_TRUE(GetFileAttributesExW(shot.c_str(), GetFileExInfoStandard, &info));
    EXPECT_GT(info.nFileSizeLow, 1000u);

    ASSERT_TRUE(h.ClickText(L"LightReturnButton", L"返回"));
    EXPECT_EQ(h.HomeViewRequests(), 1);
    EXPECT_EQ(h.Find(L"ApplyButton"), nullptr);
    EXPECT_EQ(h.PageRequests(), std::vector<ClientPageId>{ClientPageId::Fan});
}

TEST(PageHarness, EachHarnessStartsWithAFreshDataFolder) {
    std::wstring first;
    {
        pageharness::CClientPageHarness h;
        ASSERT_TRUE(h.Ready());
        first = h.DataFolder();
        h.Settings()->SetFanSpeedValue(77);
    }
    pageharness::CClientPageHarness h;
    ASSERT_TRUE(h.Ready());
    EXPECT_NE(h.DataFolder(), first);
    EXPECT_NE(h.Settings()->GetFanSpeedValue(), 77);
}

}  // namespace
