#include "ClientWindow.h"

#include <iterator>

#include "AppCommands.h"
#include "ApplicationConfigFile.h"
#include "ClientLayout.h"
#include "ClientTaskBar.h"
#include "MemoryStages.h"
#include "OVFanLedDevice.h"
#include "UserLoginCtrl.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_Panel.h"
#include "core/DUI_FontType.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"
#include "PageLook.h"

namespace {

using clientlayout::Box;

// Texts of the feature buttons, in feature order.
constexpr const wchar_t* kFeatureTexts[kFeatureCount] = {L"灯光", L"风扇", L"游戏模式", L"软件升级"};
// Their control names (the skin's style names when it has them).
constexpr const wchar_t* kFeatureNames[kFeatureCount] = {L"LightButton", L"FanButton", L"GameModeButton",
                                                         L"UpdateButton"};
constexpr int32_t kFeatureGroup = 1;

// The skin's own style for a control name when it has one, else the
// common style of the kind: a skin without the named art still gives a
// usable window.
std::wstring StyleFor(CDUI_UIResource* resource, const wchar_t* kind, const wchar_t* name, const wchar_t* common) {
    return resource->FindStyle(kind, name) ? std::wstring(name) : std::wstring(common);
}

// Controls draw their skin art (or nothing) on the window's own ground.
template <typename T>
T* Attach(CDUI_UICollection* parent, T* control) {
    if (!control) return nullptr;
    control->SetTransparent(1);
    control->SetBorder(0);
    if (!parent || !parent->AddChild(control)) {
        control->ReleaseResources();
        delete control;
        return nullptr;
    }
    return control;
}

void UseFont(CDUI_UIResource* resource, CDUI_UIControl* control, const wchar_t* name) {
    if (CDUI_FontType* font = resource->FindFont(name)) control->SetFont(font);
}

}  // namespace

FeaturePictures PicturesOfFeature(int feature) {
    static constexpr FeaturePictures kPairs[kFeatureCount] = {{140, 141}, {134, 135}, {136, 137}, {146, 147}};
    if (feature < 0 || feature >= kFeatureCount) return kPairs[0];
    return kPairs[feature];
}

ClientPageId PageOfFeature(int feature) {
    switch (feature) {
    case kFeatureFan:
        return ClientPageId::Fan;
    case kFeatureGame:
        return ClientPageId::Game;
    case kFeatureUpdate:
        return ClientPageId::Update;
    default:
        return ClientPageId::Light;
    }
}

int FeatureBefore(int feature) { return feature > 0 ? feature - 1 : feature; }
int FeatureAfter(int feature) { return feature < kFeatureCount - 1 ? feature + 1 : feature; }

CClientWindow::CClientWindow() = default;

CClientWindow::~CClientWindow() { Shutdown(); }

int CClientWindow::Create(const Parts& parts) {
    if (m_window || !parts.resource || !parts.scene) return 0;
    m_resource = parts.resource;
    m_scene = parts.scene;
    m_pictureModule = parts.pictureModule;
    m_taskBar = parts.taskBar;
    m_services = parts.services;

    MemoryStage(L"scene");
    if (!BuildWindowControl() || !BuildTitleStrip() || !BuildHomeView()) return 0;
    MemoryStage(L"home view");
    SelectFeature(kFeatureLight);
    MemoryStage(L"home pictures");
    BuildPages(parts.pages);

    // The window stands: only now is there something to come back to from
    // the tray, and something to show what the controller does.
    if (m_taskBar) m_taskBar->Show();
    m_controllerWatch.Start(HostWindow(), m_services.device, m_taskBar, [this] { RestoreControllerState(); });
    if (m_services.device) m_services.device->OpenDevice();
    m_controllerWatch.ShowLinkState();
    m_running = 1;
    m_window->Show(0);
    return 1;
}

void CClientWindow::Shutdown() {
    const int built = m_window != nullptr;
    m_running = 0;  // hiding from here on must not end the program again
    if (m_window) m_window->Hide();
    if (built && m_services.device) m_services.device->CloseDevice();
    m_controllerWatch.Stop();
    if (built && m_taskBar) m_taskBar->Remove();
    // Reverse build order: password, account, login, game, update, fan, lighting.
    for (size_t i = m_pages.size(); i-- > 0;) {
        if (m_pages[i]) m_pages[i]->Shutdown();
    }
    m_lightLink = nullptr;
    m_fanLink = nullptr;
    m_gameLink = nullptr;
    m_updateLink = nullptr;
    for (size_t i = m_pages.size(); i-- > 0;) m_pages[i].reset();
    m_taskBar = nullptr;
    m_services.device = nullptr;
    // The controls belong to the scene, which the engine holder destroys next.
}

void CClientWindow::RestoreControllerState() {
    COVFanLedDevice* device = m_services.device;
    if (!device || !device->IsOpen()) return;
    const int sent = device->SentSinceReturn();
    CApplicationConfigFile* settings = m_services.settings;
    if (!(sent & COVFanLedDevice::kLightStateSent) && m_lightLink && settings)
        m_lightLink->ApplyThemeByName(settings->GetLightSelect());
    if (!(sent & COVFanLedDevice::kFanStateSent) && m_fanLink) m_fanLink->SendChosenLevel();
}

int CClientWindow::BuildWindowControl() {
    m_window = Attach(static_cast<CDUI_UICollection*>(m_scene),
                      m_resource->CreateWindow(kIdClientWindow, L"OVWindow", L"Ventaro", 0, 0,
                                               clientlayout::kWindowWidth, clientlayout::kWindowHeight));
    if (!m_window) return 0;
    // Full size and fixed: the top-level window moves instead (its top
    // strip), and the one close button is the title strip's own.
    m_window->SetShown(0);
    m_window->SetVisible(0);
    // The skin's window colour is plain black; the product's ground is the
    // dark blue every page and card is designed against.
    m_window->SetBackColor(pagelook::kWindow);
    m_window->SetMovable(0);
    m_window->SetResizable(0);
    m_window->SetShowTitle(0);
    m_window->SetShowIcon(0);
    m_window->SetShowClose(0);
    m_window->SetShowMax(0);
    m_window->SetShowMin(0);
    m_window->SetAfterShowCallback([](CDUI_Window*, int, void*) {}, nullptr);
    m_window->SetAfterHideCallback(&CClientWindow::OnWindowHidden, this);
    return 1;
}

int CClientWindow::BuildTitleStrip() {
    CDUI_UIResource* r = m_resource;
    m_titlePanel = Attach(static_cast<CDUI_UICollection*>(m_window),
                          r->CreatePanel(kIdTitlePanel, StyleFor(r, L"Panel", L"OVTitlePanel", L"OVPanel"), L"", 0, 0,
                                         clientlayout::kWindowWidth, clientlayout::kStripHeight));
    if (!m_titlePanel) return 0;
    m_titlePanel->SetTransparent(1);
    m_titlePanel->SetBorder(0);

    const Box mark = clientlayout::kProductMark;
    if (auto* image = Attach(static_cast<CDUI_UICollection*>(m_titlePanel),
                             r->CreateImage(kIdProductMark, StyleFor(r, L"Image", L"OVLogo", L"OVImage"), L"",
                                            mark.x, mark.y, mark.width, mark.height))) {
        image->SetBorder(0);
        image->SetHitEnable(0);
    }
    const Box name = clientlayout::kProductName;
    if (auto* label = Attach(static_cast<CDUI_UICollection*>(m_titlePanel),
                             r->CreateLabel(kIdProductName, L"OVLabel", L"Ventaro", name.x, name.y, name.width,
                                            name.height))) {
        label->SetTransparent(1);
        label->SetBorder(0);
        label->SetHitEnable(0);
        label->SetTextColor(pagelook::kText);
        label->SetAlignment(1 | 16);  // left, vertically centred
        UseFont(r, label, L"yahei14");
    }

    struct Caption {
        int32_t id;
        const wchar_t* name;
        Box box;
    };
    const Caption captions[] = {{kIdAccountButton, L"ConfigButton", clientlayout::kAccountButton},
                                {kIdMinButton, L"MinButton", clientlayout::kMinButton},
                                {kIdCloseButton, L"CloseButton", clientlayout::kCloseButton}};
    for (const Caption& c : captions) {
        auto* button = Attach(static_cast<CDUI_UICollection*>(m_titlePanel),
                              r->CreateButton(c.id, StyleFor(r, L"Button", c.name, L"OVButton"), L"", c.box.x,
                                              c.box.y, c.box.width, c.box.height));
        if (!button) return 0;
        button->SetEventCallback(DUI_EVT_CLICKED, &CClientWindow::OnButtonClicked, this);
    }
    return 1;
}

int CClientWindow::BuildHomeView() {
    CDUI_UIResource* r = m_resource;
    m_homePanel = Attach(static_cast<CDUI_UICollection*>(m_window),
                         r->CreatePanel(kIdHomePanel, L"OVPanel", L"", 0, clientlayout::kStripHeight,
                                        clientlayout::kWindowWidth,
                                        clientlayout::kWindowHeight - clientlayout::kStripHeight));
    if (!m_homePanel) return 0;
    m_homePanel->SetTransparent(1);
    m_homePanel->SetBorder(0);
    auto* home = static_cast<CDUI_UICollection*>(m_homePanel);
    // Children of the panel are placed in window pixels less the strip.
    auto local = [](Box b) { return Box{b.x, b.y - clientlayout::kStripHeight, b.width, b.height}; };

    const Box picture = local(clientlayout::kPicture);
    for (int i = 0; i < 2; ++i) {
        m_pictures[i] = Attach(home, r->CreateImage(kIdPictureFirst + i, L"OVImage", L"", picture.x, picture.y,
                                                    picture.width, picture.height));
        if (!m_pictures[i]) return 0;
        m_pictures[i]->SetBorder(0);
        m_pictures[i]->SetHitEnable(0);
    }

    struct Named {
        int32_t id;
        const wchar_t* name;
        Box box;
        const wchar_t* text;
    };
    const Named buttons[] = {{kIdBeforArrow, L"BeforArrowButton", local(clientlayout::kBeforArrow), L""},
                             {kIdAfterArrow, L"AfterArrowButton", local(clientlayout::kAfterArrow), L""},
                             {kIdEnterButton, L"EnterButton", local(clientlayout::kEnterButton), L"进入"}};
    for (const Named& b : buttons) {
        auto* button = Attach(home, r->CreateButton(b.id, StyleFor(r, L"Button", b.name, L"OVButton"), b.text,
                                                    b.box.x, b.box.y, b.box.width, b.box.height));
        if (!button) return 0;
        button->SetEventCallback(DUI_EVT_CLICKED, &CClientWindow::OnButtonClicked, this);
        if (b.id == kIdEnterButton) {
            m_enterButton = button;
            button->SetTextColor(pagelook::kOnAccent);
            button->SetAlignment(2 | 16);  // centred
            UseFont(r, button, L"yahei14");
            button->SetEventCallback(DUI_EVT_STATE, &CClientWindow::OnEnterState, this);
        }
    }

    for (int i = 0; i < kFeatureCount; ++i) {
        const Box tab = local(clientlayout::FeatureTab(i));
        auto* option = Attach(home, r->CreateOptionButton(kIdLightButton + i,
                                                          StyleFor(r, L"OptionButton", kFeatureNames[i],
                                                                   L"OVOptionButton"),
                                                          kFeatureTexts[i], tab.x, tab.y, tab.width, tab.height));
        if (!option) return 0;
        option->SetGroup(kFeatureGroup);
        option->SetTextColor(pagelook::kText);
        option->SetAlignment(2 | 32);  // centred at the bottom, under the icon
        UseFont(r, option, L"yahei12");
        option->SetEventCallback(DUI_EVT_CLICKED, &CClientWindow::OnButtonClicked, this);
        m_featureButtons[i] = option;
    }

    // The home view's own message box, for what the client window has to say.
    m_messageBox = Attach(static_cast<CDUI_UICollection*>(m_window),
                          r->CreateMessageBox(kIdHomeMessageBox, L"OVMessageBox", L"信息", 0, 0, 360, 180));
    return 1;
}

void CClientWindow::BuildPages(const ClientPageFactories& factories) {
    for (size_t i = 0; i < m_pages.size(); ++i) {
        ClientPageFactory make = factories[i];
        std::unique_ptr<IClientPage> page = make ? make(m_resource, m_scene, this) : nullptr;
        // A page that cannot build its controls leaves its slot empty rather
        // than a half page the user could be sent to.
        if (page && !page->Create()) page.reset();
        m_pages[i] = std::move(page);
        static const wchar_t* const kNames[] = {L"page lighting", L"page fans",    L"page updates", L"page game modes",
                                                L"page login",    L"page account", L"page password"};
        if (i < std::size(kNames)) MemoryStage(kNames[i]);
    }
    m_lightLink = dynamic_cast<ILightPageLink*>(m_pages[size_t(ClientPageId::Light)].get());
    m_fanLink = dynamic_cast<IFanPageLink*>(m_pages[size_t(ClientPageId::Fan)].get());
    m_gameLink = dynamic_cast<IGamePageLink*>(m_pages[size_t(ClientPageId::Game)].get());
    m_updateLink = dynamic_cast<IUpdatePageLink*>(m_pages[size_t(ClientPageId::Update)].get());
}

void CClientWindow::SelectFeature(int feature) {
    if (feature < 0 || feature >= kFeatureCount || !m_homePanel) return;
    m_feature = feature;
    if (m_featureButtons[feature]) m_featureButtons[feature]->SetChecked(1);
    const FeaturePictures pair = PicturesOfFeature(feature);
    m_loaded = pair;
    if (m_pictures[0]) m_pictures[0]->SetImageFromResource(m_pictureModule, pair.first);
    if (m_pictures[1]) m_pictures[1]->SetImageFromResource(m_pictureModule, pair.second);
    ShowEnterPicture(0);
}

void CClientWindow::ShowEnterPicture(int second) {
    if (!m_pictures[0] || !m_pictures[1]) return;
    m_pictures[0]->SetVisible(second ? 0 : 1);
    m_pictures[1]->SetVisible(second ? 1 : 0);
}

void CClientWindow::OpenSelectedFeature() {
    const ClientPageId id = PageOfFeature(m_feature);
    if (!Page(id)) return;  // not there yet: the home view stays
    ShowPage(id);
}

void CClientWindow::OpenAccount() {
    const int loggedIn = m_services.account && m_services.account->IsLoggedIn();
    ShowPage(loggedIn ? ClientPageId::Account : ClientPageId::Login);
}

int CClientWindow::HomeViewShown() const {
    return m_homePanel && const_cast<CDUI_Panel*>(m_homePanel)->GetVisible() ? 1 : 0;
}

void CClientWindow::HideAllPages() {
    for (auto& page : m_pages) {
        if (page) page->Hide();
    }
}

void CClientWindow::ShowNotice(const std::wstring& text) {
    if (m_messageBox) m_messageBox->ShowMessage(text, 3, 2);
}

void CClientWindow::ShowHomeView() {
    HideAllPages();
    if (!m_homePanel) return;
    ShowEnterPicture(0);
    if (m_enterButton) m_enterButton->SetState(DUI_STATE_NORMAL);
    m_homePanel->SetVisible(1);
}

void CClientWindow::ShowPage(ClientPageId id) {
    IClientPage* page = Page(id);
    if (!page) return;  // an empty slot never leaves the user on a blank window
    HideAllPages();
    if (m_homePanel) m_homePanel->SetVisible(0);
    page->Show();
}

IClientPage* CClientWindow::Page(ClientPageId id) {
    const size_t index = static_cast<size_t>(id);
    return index < m_pages.size() ? m_pages[index].get() : nullptr;
}

HWND CClientWindow::HostWindow() const { return m_scene ? m_scene->GetHostWindow() : nullptr; }

void CClientWindow::OnButtonClicked(CDUI_UIControl* control, const CDUI_EventRecord*, void* user) {
    auto* self = static_cast<CClientWindow*>(user);
    if (!self || !control) return;
    const int32_t id = control->GetId();
    switch (id) {
    case kIdBeforArrow:
        self->SelectFeature(FeatureBefore(self->m_feature));
        break;
    case kIdAfterArrow:
        self->SelectFeature(FeatureAfter(self->m_feature));
        break;
    case kIdEnterButton:
        self->OpenSelectedFeature();
        break;
    case kIdMinButton:
        if (HWND host = self->HostWindow()) PostMessageW(host, WM_COMMAND, MAKEWPARAM(ID_HIDEWINDOW, 0), 0);
        break;
    case kIdCloseButton:
        // While the firmware is flashed the program stays; the update page says why.
        if (self->m_updateLink && self->m_updateLink->IsExitBlocked(nullptr)) {
            self->m_updateLink->ExplainExitBlocked();
            break;
        }
        // The after-hidden notification ends the program, as the tray's "退出".
        if (self->m_window) self->m_window->Hide();
        break;
    case kIdAccountButton:
        self->OpenAccount();
        break;
    default:
        if (id >= kIdLightButton && id < kIdLightButton + kFeatureCount) self->SelectFeature(id - kIdLightButton);
        break;
    }
}

void CClientWindow::OnEnterState(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user) {
    auto* self = static_cast<CClientWindow*>(user);
    if (!self || !event || !control) return;
    // The lit picture while the pointer is over "EnterButton" or presses it.
    const int32_t state = event->arg[0];
    const int lit = state == DUI_STATE_HOVER || state == DUI_STATE_PRESSED || state == DUI_STATE_RELEASED;
    if (self->HomeViewShown()) self->ShowEnterPicture(lit);
}

void CClientWindow::OnWindowHidden(CDUI_Window*, int, void* user) {
    auto* self = static_cast<CClientWindow*>(user);
    if (!self || !self->m_running) return;
    if (HWND host = self->HostWindow()) PostMessageW(host, WM_CLOSE, 0, 0);
}
