#pragma once
// The pages of the client window and the narrow links between them.
//
// The client window (CClientWindow) owns one page per slot, creates each once
// (hidden) and shows at most one at a time. A page knows the client window
// only through IClientHost: the engine objects it builds its controls with,
// the module objects it works on, navigation, and the links to the other
// pages. A page that does not exist yet leaves its slot and its link empty,
// and every caller checks for that, so pages can land one by one.
#include <string>

#include "AppHooks.h"

class CApplicationConfigFile;
class CApplicationEnv;
class CDUI_UIResource;
class CDUI_UIScene;
class CDUI_Window;
class COVFanLedDevice;
class COVSystemConfig;
class CUserLoginCtrl;

// Slots, in the order the client window builds them.
enum class ClientPageId : int { Light = 0, Fan, Update, Game, Login, Account, Password, Count };

// What every page offers the client window.
class IClientPage {
public:
    virtual ~IClientPage() = default;
    // Builds the page's controls inside the host's window control, hidden. 1/0.
    virtual int Create() = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // Stops the page's work and empties its lists; the controls stay until
    // the window control is destroyed.
    virtual void Shutdown() = 0;
};

// Lighting page, for game modes (light step) and the account page.
class ILightPageLink {
public:
    virtual ~ILightPageLink() = default;
    virtual int ApplyThemeByName(const std::wstring& name) = 0;
    virtual int GetLightSelectText(std::wstring* text) = 0;
    virtual void ReloadThemeList() = 0;
};

// Fan page, for the account page (summary and refresh after a download).
class IFanPageLink {
public:
    virtual ~IFanPageLink() = default;
    virtual int GetFanModeText(std::wstring* text) = 0;
    virtual void Refresh() = 0;
    // The controller came back: the level the user chose goes to the fans
    // again (manual: the stored speed; automatic: the next step sends it).
    // 1 when the four fans confirmed a level sent here.
    virtual int SendChosenLevel() { return 0; }
    // The top-level window was shown (1) or hidden in the tray (0).
    virtual void SetWindowShown(int) {}
};

// Game-mode page: the hand-over of the top-level window and the account
// page's summary.
class IGamePageLink : public IGameTaskRunner {
public:
    virtual int GetGameTaskCountText(std::wstring* text) = 0;
};

// Update page: the silent check of the main timer and the tray's "检查更新";
// while it flashes firmware the program stays.
class IUpdatePageLink : public IUpdateChecker, public IExitGuard {};

// Borrowed module objects the pages work on; any may be null in a test that
// does not need it.
struct ClientServices {
    CApplicationEnv* env = nullptr;
    CApplicationConfigFile* settings = nullptr;
    COVSystemConfig* stores = nullptr;
    COVFanLedDevice* device = nullptr;
    CUserLoginCtrl* account = nullptr;
};

// The client window as the pages see it.
class IClientHost {
public:
    virtual ~IClientHost() = default;
    virtual CDUI_UIResource* Resource() = 0;
    virtual CDUI_UIScene* Scene() = 0;
    // The full-size window control; every page builds its controls inside it.
    virtual CDUI_Window* WindowControl() = 0;
    virtual const ClientServices& Services() = 0;

    // Hides every page and shows the home view.
    virtual void ShowHomeView() = 0;
    // Hides the home view and every other page, then shows this one.
    virtual void ShowPage(ClientPageId id) = 0;
    // The page in a slot, or null while that page does not exist.
    virtual IClientPage* Page(ClientPageId id) = 0;

    // Links to the other pages; null while that page does not exist.
    virtual ILightPageLink* LightLink() = 0;
    virtual IFanPageLink* FanLink() = 0;
    virtual IGamePageLink* GameLink() = 0;
    virtual IUpdatePageLink* UpdateLink() = 0;
};
