#include "ClientPageSlots.h"

// Each page's header joins here, one line per page.
#include "FanCtrlPage.h"
#include "GameCtrlPage.h"
#include "LightCtrlPage.h"
#include "UpdateCtrlPage.h"
#include "UserConfigPage.h"
#include "UserLoginPage.h"
#include "UserPassPage.h"

// One line per slot.

std::unique_ptr<IClientPage> MakeLightPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CLightCtrlPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakeFanPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CFanCtrlPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakeUpdatePage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CUpdateCtrlPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakeGamePage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CGameCtrlPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakeLoginPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CUserLoginPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakeAccountPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CUserConfigPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakePasswordPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CUserPassPage>(resource, scene, host); }

ClientPageFactories ProductPageFactories() {
    return {&MakeLightPage, &MakeFanPage,    &MakeUpdatePage,  &MakeGamePage,
            &MakeLoginPage, &MakeAccountPage, &MakePasswordPage};
}
