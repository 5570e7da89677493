#pragma once
// One factory per page slot of the client window. A page joins by changing
// only its own line in ClientPageSlots.cpp to construct its class (and by
// adding its library to ventaro_app's link list); until then the factory
// gives nullptr and the slot stays empty.
//
// The client window takes a page's link (ILightPageLink, IFanPageLink,
// IGamePageLink, IUpdatePageLink) by dynamic_cast of the page it got, so a
// page class that implements its link interface is found without more
// wiring.
#include <array>
#include <memory>

#include "ClientPages.h"

class CDUI_UIResource;
class CDUI_UIScene;

using ClientPageFactory = std::unique_ptr<IClientPage> (*)(CDUI_UIResource* resource, CDUI_UIScene* scene,
                                                           IClientHost* host);

std::unique_ptr<IClientPage> MakeLightPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
std::unique_ptr<IClientPage> MakeFanPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
std::unique_ptr<IClientPage> MakeUpdatePage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
std::unique_ptr<IClientPage> MakeGamePage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
std::unique_ptr<IClientPage> MakeLoginPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
std::unique_ptr<IClientPage> MakeAccountPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);
std::unique_ptr<IClientPage> MakePasswordPage(CDUI_UIResource* resource, CDUI_UIScene* scene, IClientHost* host);

// Indexed by ClientPageId, in the order the client window builds the pages.
using ClientPageFactories = std::array<ClientPageFactory, static_cast<size_t>(ClientPageId::Count)>;

// The program's pages: the functions above.
ClientPageFactories ProductPageFactories();
