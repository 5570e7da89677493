#include "ClientPageHarness.h"

#include <algorithm>
#include <functional>

#include "ApplicationConfigFile.h"
#include "ApplicationEnv.h"
#include "OVFanLedDevice.h"
#include "OVSystemConfig.h"
#include "SimHarness.h"
#include "TestPaths.h"
#include "UserLoginCtrl.h"
#include "WorkerTask.h"
#include "controls/DUI_StandardControls.h"
#include "core/DUI_UICollection.h"
#include "graphics/GdiplusInclude.h"
#include "graphics/UIGraphicsEngine.h"
#include "scene/DUIDevManage.h"
#include "scene/DUIDevRender.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

namespace pageharness {

namespace {

constexpr int kWidth = 1366;
constexpr int kHeight = 768;
constexpr UINT kEventMessage = 2026;
constexpr const wchar_t* kHostClass = L"VentaroPageHarnessHost";

// One simulator for the whole test process: starting one takes a while
// under Wine, and every harness opens and closes it in turn.
simharness::CSimProcess* SharedSim() {
    static std::unique_ptr<simharness::CSimProcess> sim;
    if (!sim) sim = std::make_unique<simharness::CSimProcess>();
    return sim->Ready() ? sim.get() : nullptr;
}

// GDI+ stays up for the whole process, as in the program; the engine's own
// start-up then only nests inside it.
void KeepGdiplus() {
    static CDUI_UIGraphicsEngine engine;
    static const int started = engine.Startup(1);
    (void)started;
}

HWND CreateHost() {
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kHostClass;
        return RegisterClassExW(&wc);
    }();
    (void)atom;
    return CreateWindowExW(0, kHostClass, L"page harness", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void Walk(CDUI_UIControl* control, const std::function<bool(CDUI_UIControl*)>& visit) {
    if (!control || !control->IsCollection()) return;
    for (CDUI_UIControl* child : static_cast<CDUI_UICollection*>(control)->GetChildren()) {
        if (!visit(child)) return;
        Walk(child, visit);
    }
}

int PngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return 0;
    std::vector<char> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return 0;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            *clsid = codecs[i].Clsid;
            return 1;
        }
    }
    return 0;
}

}  // namespace

CClientPageHarness::CClientPageHarness() { Build(Options{}); }

CClientPageHarness::CClientPageHarness(const Options& options) { Build(options); }

void CClientPageHarness::Build(const Options& options) {
    KeepGdiplus();
    m_host = CreateHost();
    if (!m_host) return;
    m_manager = std::make_unique<CDUIDevManage>();
    if (!m_manager->Init(1, m_host, 1)) return;
    DUI_RegisterStandardControls();  // caption parts of windows and message boxes
    m_resource = std::make_unique<CDUI_UIResource>();
    if (!m_resource->Create(m_manager.get(), GetModuleHandleW(nullptr), 131) || !m_resource->IsDescriptionComplete())
        return;
    if (!m_manager->CreateScene(kEventMessage, kHeight, kWidth)) return;
    CDUI_UIScene* scene = m_manager->GetScene();
    scene->SetDirectDelivery(1);
    m_window = m_resource->CreateWindow(1000, L"OVWindow", L"Ventaro", 0, 0, kWidth, kHeight);
    if (!m_window || !scene->AddChild(m_window)) return;
    // As the client window sets it up: fixed, no caption of its own.
    m_window->SetMovable(0);
    m_window->SetResizable(0);
    m_window->SetShowTitle(0);
    m_window->SetShowIcon(0);
    m_window->SetShowClose(0);
    m_window->SetShowMax(0);
    m_window->SetShowMin(0);
    m_window->Show(0);

    m_dataFolder = testpaths::MakeTempDir(L"pages");
    m_programFolder = testpaths::BinaryDir() + L"\\bin\\";
    m_env = std::make_unique<CApplicationEnv>();
    m_env->InitializeFolders(GetModuleHandleW(nullptr), m_programFolder, m_dataFolder);
    m_env->SetWindowHandle(m_host);
    m_settings = std::make_unique<CApplicationConfigFile>();
    if (!m_settings->Initialise(m_dataFolder)) return;
    if (options.createStores) {
        m_stores = std::make_unique<COVSystemConfig>();
        if (!m_stores->Initialise(m_dataFolder, m_programFolder)) return;
    }
    m_device = std::make_unique<COVFanLedDevice>();
    if (options.openController) {
        simharness::CSimProcess* sim = SharedSim();
        if (!sim) return;
        m_device->UseDevicePath(sim->PipePath());
        if (!m_device->OpenDevice()) return;
    }
    m_account = std::make_unique<CUserLoginCtrl>();
    m_account->SetDataFolder(m_dataFolder);

    m_services.env = m_env.get();
    m_services.settings = m_settings.get();
    m_services.stores = m_stores.get();
    m_services.device = m_device.get();
    m_services.account = m_account.get();
    m_ready = true;
}

CClientPageHarness::~CClientPageHarness() {
    // The client window's order: pages in reverse, then the controller, then the engine.
    for (size_t i = m_pages.size(); i-- > 0;) {
        if (m_pages[i]) m_pages[i]->Shutdown();
    }
    for (size_t i = m_pages.size(); i-- > 0;) m_pages[i].reset();
    if (m_device) m_device->CloseDevice();
    if (m_manager) {
        m_manager->StopRender();
        m_manager->DestroyScene();
    }
    if (m_resource) m_resource->Destroy();
    m_resource.reset();
    if (m_manager) m_manager->Shutdown();
    m_manager.reset();
    m_account.reset();
    if (m_stores) m_stores->ShutDown();
    m_stores.reset();
    m_device.reset();
    if (m_settings) m_settings->Release();
    m_settings.reset();
    m_env.reset();
    if (m_host) DestroyWindow(m_host);
}

int CClientPageHarness::PutPage(ClientPageId id, std::unique_ptr<IClientPage> page) {
    const size_t index = static_cast<size_t>(id);
    if (index >= m_pages.size() || !page) return 0;
    if (!page->Create()) return 0;
    if (m_pages[index]) m_pages[index]->Shutdown();
    m_pages[index] = std::move(page);
    return 1;
}

CDUI_UIResource* CClientPageHarness::Resource() { return m_resource.get(); }

CDUI_UIScene* CClientPageHarness::Scene() { return m_manager ? m_manager->GetScene() : nullptr; }

void CClientPageHarness::ShowHomeView() {
    ++m_homeRequests;
    for (auto& page : m_pages) {
        if (page) page->Hide();
    }
}

void CClientPageHarness::ShowPage(ClientPageId id) {
    m_pageRequests.push_back(id);
    IClientPage* page = Page(id);
    if (!page) return;
    for (auto& other : m_pages) {
        if (other && other.get() != page) other->Hide();
    }
    page->Show();
}

IClientPage* CClientPageHarness::Page(ClientPageId id) {
    const size_t index = static_cast<size_t>(id);
    return index < m_pages.size() ? m_pages[index].get() : nullptr;
}

bool CClientPageHarness::OnScreen(CDUI_UIControl* control) {
    for (CDUI_UIControl* c = control; c; c = c->GetParent()) {
        if (!c->GetVisible() || !c->GetShown()) return false;
    }
    return control != nullptr;
}

POINT CClientPageHarness::Centre(CDUI_UIControl* control) {
    const DUI_Rect r = control->GetAbsoluteRect();
    return POINT{r.x + r.width / 2, r.y + r.height / 2};
}

std::vector<CDUI_UIControl*> CClientPageHarness::FindAll(const std::wstring& style, const std::wstring& text,
                                                         bool shownOnly) {
    std::vector<CDUI_UIControl*> found;
    Walk(Scene(), [&](CDUI_UIControl* c) {
        if ((style.empty() || c->GetStyleName() == style) && (text.empty() || c->GetText() == text) &&
            (!shownOnly || OnScreen(c)))
            found.push_back(c);
        return true;
    });
    return found;
}

CDUI_UIControl* CClientPageHarness::Find(const std::wstring& style, const std::wstring& text, bool shownOnly) {
    CDUI_UIControl* found = nullptr;
    Walk(Scene(), [&](CDUI_UIControl* c) {
        if ((style.empty() || c->GetStyleName() == style) && (text.empty() || c->GetText() == text) &&
            (!shownOnly || OnScreen(c)))
            found = c;
        return found == nullptr;
    });
    return found;
}

CDUI_UIControl* CClientPageHarness::FindById(int32_t id, bool shownOnly) {
    CDUI_UIControl* found = nullptr;
    Walk(Scene(), [&](CDUI_UIControl* c) {
        if (c->GetId() == id && (!shownOnly || OnScreen(c))) found = c;
        return found == nullptr;
    });
    return found;
}

int CClientPageHarness::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    CDUI_UIScene* scene = Scene();
    return scene ? scene->ForwardMessage(message, wParam, lParam) : 0;
}

void CClientPageHarness::MouseMove(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
void CClientPageHarness::MouseDown(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
void CClientPageHarness::MouseUp(int x, int y) { Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
void CClientPageHarness::Wheel(int x, int y, int delta) {
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), MAKELPARAM(x, y));
}

bool CClientPageHarness::Click(CDUI_UIControl* control) {
    if (!Press(control)) return false;
    Settle();
    return true;
}

bool CClientPageHarness::Press(CDUI_UIControl* control) {
    if (!control || !OnScreen(control)) return false;
    const POINT p = Centre(control);
    MouseMove(p.x, p.y);
    MouseDown(p.x, p.y);
    MouseUp(p.x, p.y);
    return true;
}

bool CClientPageHarness::Settle(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (CWorkerTask::Pending() > 0) {
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

bool CClientPageHarness::ClickText(const std::wstring& style, const std::wstring& text) {
    return Click(Find(style, text));
}

bool CClientPageHarness::Type(CDUI_UIControl* control, const std::wstring& text) {
    if (!Click(control)) return false;
    for (wchar_t c : text) Send(WM_CHAR, c, 1);
    return true;
}

void CClientPageHarness::Key(UINT virtualKey) {
    Send(WM_KEYDOWN, virtualKey, 1);
    Send(WM_KEYUP, virtualKey, 0xC0000001);
}

std::wstring CClientPageHarness::TextOf(CDUI_UIControl* control) { return control ? control->GetText() : L""; }

std::wstring CClientPageHarness::TextOfStyle(const std::wstring& style) { return TextOf(Find(style)); }

int CClientPageHarness::SaveScreenshot(const std::wstring& path) {
    CDUI_UIScene* scene = Scene();
    CDUIDevRender* render = m_manager ? m_manager->GetRender() : nullptr;
    if (!scene || !render || !render->CreateImage()) return 0;
    scene->InvalidateRect(DUI_Rect{0, 0, kWidth, kHeight});
    scene->PaintFrame(render->GetMemoryDC());
    GdiFlush();
    const uint32_t* pixels = render->GetPixels();
    if (!pixels) return 0;
    // Bottom-up rows: start at the last row and step back.
    const int stride = render->GetWidth() * 4;
    auto* top = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(pixels)) + size_t(render->GetHeight() - 1) * stride;
    Gdiplus::Bitmap bitmap(render->GetWidth(), render->GetHeight(), -stride, PixelFormat32bppPARGB, top);
    CLSID png{};
    if (!PngEncoder(&png)) return 0;
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok ? 1 : 0;
}

simharness::CSimProcess* CClientPageHarness::Sim() { return SharedSim(); }

}  // namespace pageharness
