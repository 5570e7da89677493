#include "ClientPageSlots.h"

// Each page's header joins here, one line per page.
#include "GameCtrlPage.h"
#include "LightCtrlPage.h"
#include "UpdateCtrlPage.h"

// One line per slot: a page replaces its nullptr with
//   return std::make_unique<CXxxPage>(resource, scene, host);

std::unique_ptr<IClientPage> MakeLightPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CLightCtrlPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakeFanPage(CDUI_UIResource*, CDUI_UIScene*, IClientHost*) { return nullptr; }
std::unique_ptr<IClientPage> MakeUpdatePage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CUpdateCtrlPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakeGamePage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host) { return std::make_unique<CGameCtrlPage>(resource, scene, host); }
std::unique_ptr<IClientPage> MakeLoginPage(CDUI_UIResource*, CDUI_UIScene*, IClientHost*) { return nullptr; }
std::unique_ptr<IClientPage> MakeAccountPage(CDUI_UIResource*, CDUI_UIScene*, IClientHost*) { return nullptr; }
std::unique_ptr<IClientPage> MakePasswordPage(CDUI_UIResource*, CDUI_UIScene*, IClientHost*) { return nullptr; }

ClientPageFactories ProductPageFactories() {
    return {&MakeLightPage, &MakeFanPage,    &MakeUpdatePage,  &MakeGamePage,
            &MakeLoginPage, &MakeAccountPage, &MakePasswordPage};
}
