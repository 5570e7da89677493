#pragma once
// The one full-size window control of the scene: the title strip (product
// mark, account button, "MinButton", "CloseButton"), the home view with the
// four features and their pictures, and the pages, each built once, hidden,
// and owned here until exit. Pages reach it only as IClientHost.
#include <windows.h>

#include <array>
#include <memory>

#include "ClientPageSlots.h"
#include "ClientPages.h"
#include "ControllerWatch.h"

class CClientTaskBar;
class CDUI_Button;
class CDUI_Image;
class CDUI_Label;
class CDUI_MessageBox;
class CDUI_OptionButton;
class CDUI_Panel;
class CDUI_UIControl;
struct CDUI_EventRecord;

// Feature indices of the home view.
constexpr int kFeatureLight = 0;
constexpr int kFeatureFan = 1;
constexpr int kFeatureGame = 2;
constexpr int kFeatureUpdate = 3;
constexpr int kFeatureCount = 4;

// Ids of the client window's own controls (pages use ids of their own ranges).
enum ClientControlId : int32_t {
    kIdClientWindow = 1000,
    kIdTitlePanel = 1001,
    kIdProductMark = 1002,
    kIdProductName = 1003,
    kIdAccountButton = 1004,
    kIdMinButton = 1005,
    kIdCloseButton = 1006,
    kIdHomePanel = 1010,
    kIdPictureFirst = 1011,
    kIdPictureSecond = 1012,
    kIdBeforArrow = 1013,
    kIdAfterArrow = 1014,
    kIdEnterButton = 1015,
    kIdLightButton = 1020,  // .. kIdLightButton + 3: the four feature buttons
    kIdHomeMessageBox = 1030,
};

// The picture pair of a feature (image resources of the program module).
struct FeaturePictures {
    UINT first;
    UINT second;
};
FeaturePictures PicturesOfFeature(int feature);
// The page a feature's "EnterButton" opens.
ClientPageId PageOfFeature(int feature);
// Where the arrows lead from feature: the same index at either end.
int FeatureBefore(int feature);
int FeatureAfter(int feature);

class CClientWindow : public IClientHost {
public:
    // What the client window is built with; all borrowed.
    struct Parts {
        CDUI_UIResource* resource = nullptr;
        CDUI_UIScene* scene = nullptr;
        HINSTANCE pictureModule = nullptr;  // holds the feature pictures
        CClientTaskBar* taskBar = nullptr;  // shown once the window stands; may be null
        ClientServices services;
        ClientPageFactories pages = ProductPageFactories();
    };

    CClientWindow();
    ~CClientWindow() override;
    CClientWindow(const CClientWindow&) = delete;
    CClientWindow& operator=(const CClientWindow&) = delete;

    // Builds the window control, the home view and the pages, then shows the
    // tray icon, opens the controller and shows the window control. 0 when
    // the window control or the home view cannot be built from the skin.
    int Create(const Parts& parts);
    // Hides the window control (without ending the program), closes the
    // controller, removes the tray icon, shuts the pages down in reverse order.
    void Shutdown();

    // Shows text in the home view's message box (information, "确定"), on top
    // of whatever is shown, until the user closes it.
    void ShowNotice(const std::wstring& text);

    // The top-level window passes device, power and link messages here.
    IWindowMessageFilter* ControllerEvents() { return &m_controllerWatch; }
    // The controller came back by itself: the selected light theme and, in
    // manual mode, the stored fan speed go to it again, each unless it was
    // already sent since the return (automatic fans follow on the next step).
    void RestoreControllerState();

    // The account client joins after the engine holder (start-up step 10).
    void SetAccount(CUserLoginCtrl* account) { m_services.account = account; }

    int SelectedFeature() const { return m_feature; }
    // The picture pair the home view holds now.
    FeaturePictures LoadedPictures() const { return m_loaded; }
    // Stores the feature, marks its button and loads its picture pair.
    void SelectFeature(int feature);
    // "EnterButton": the selected feature's page, when it exists.
    void OpenSelectedFeature();
    // The account button: the account page when logged in, else the login page.
    void OpenAccount();
    int HomeViewShown() const;

    // IClientHost
    CDUI_UIResource* Resource() override { return m_resource; }
    CDUI_UIScene* Scene() override { return m_scene; }
    CDUI_Window* WindowControl() override { return m_window; }
    const ClientServices& Services() override { return m_services; }
    void ShowHomeView() override;
    void ShowPage(ClientPageId id) override;
    IClientPage* Page(ClientPageId id) override;
    ILightPageLink* LightLink() override { return m_lightLink; }
    IFanPageLink* FanLink() override { return m_fanLink; }
    IGamePageLink* GameLink() override { return m_gameLink; }
    IUpdatePageLink* UpdateLink() override { return m_updateLink; }

private:
    int BuildWindowControl();
    int BuildTitleStrip();
    int BuildHomeView();
    void BuildPages(const ClientPageFactories& factories);
    void HideAllPages();
    void ShowEnterPicture(int second);
    HWND HostWindow() const;

    static void OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    static void OnEnterState(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);
    static void OnWindowHidden(CDUI_Window* window, int value, void* user);

    CDUI_UIResource* m_resource = nullptr;  // borrowed: the engine's skin
    CDUI_UIScene* m_scene = nullptr;        // borrowed: the engine's scene
    HINSTANCE m_pictureModule = nullptr;
    CClientTaskBar* m_taskBar = nullptr;  // borrowed: owned by the module
    ClientServices m_services;
    int m_running = 0;  // the after-hidden notification ends the program only while set

    // Controls: owned by the scene's tree, borrowed here.
    CDUI_Window* m_window = nullptr;
    CDUI_Panel* m_titlePanel = nullptr;
    CDUI_Panel* m_homePanel = nullptr;
    CDUI_Image* m_pictures[2] = {nullptr, nullptr};
    CDUI_Button* m_enterButton = nullptr;
    CDUI_OptionButton* m_featureButtons[kFeatureCount] = {};
    CDUI_MessageBox* m_messageBox = nullptr;
    int m_feature = 0;
    FeaturePictures m_loaded{0, 0};

    std::array<std::unique_ptr<IClientPage>, static_cast<size_t>(ClientPageId::Count)> m_pages;  // owned
    ILightPageLink* m_lightLink = nullptr;  // borrowed views of the pages above
    IFanPageLink* m_fanLink = nullptr;
    IGamePageLink* m_gameLink = nullptr;
    IUpdatePageLink* m_updateLink = nullptr;
    CControllerWatch m_controllerWatch;
};
