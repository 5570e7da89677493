#include "DUIEngine.h"

#include "ClientLayout.h"
#include "ClientWindow.h"
#include "MemoryStages.h"
#include "UiDumpWriter.h"
#include "accessibility/DUI_AccessHost.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_StandardControls.h"
#include "controls/DUI_TextEdit.h"
#include "core/DUI_ParamLock.h"
#include "core/DUI_UICollection.h"
#include "scene/DUIDevManage.h"
#include "scene/DUIDevRender.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"

namespace {

// Lets every picture decoded from a module resource go; each paints itself
// again from the resource when next drawn.
void DropDecodedPictures(CDUI_UIScene* scene) {
    CDUI_ParamLock lock(scene);
    if (!lock.Ok()) return;
    std::vector<CDUI_UIControl*> pending{scene};
    while (!pending.empty()) {
        CDUI_UIControl* control = pending.back();
        pending.pop_back();
        if (auto* image = dynamic_cast<CDUI_Image*>(control)) image->DropDecodedPicture();
        if (control->IsCollection())
            for (CDUI_UIControl* child : static_cast<CDUI_UICollection*>(control)->GetChildren())
                pending.push_back(child);
    }
}

}  // namespace

CDUIEngine::CDUIEngine() = default;

CDUIEngine::~CDUIEngine() { Shutdown(); }

CDUI_UIScene* CDUIEngine::Scene() const { return m_manager ? m_manager->GetScene() : nullptr; }

int CDUIEngine::Initialize(const Parts& parts) {
    if (m_manager || !parts.host) return 0;
    m_manager = std::make_unique<CDUIDevManage>();
    if (!m_manager->Init(1, parts.host, 1)) return 0;
    MemoryStage(L"GDI+ start-up");

    // Windows and message boxes build their caption parts by kind name.
    DUI_RegisterStandardControls();
    m_resource = std::make_unique<CDUI_UIResource>();
    // A skin that is missing or broken gives no window at all rather than a
    // window without its looks.
    if (!m_resource->Create(m_manager.get(), parts.skinModule, kSkinResourceId) ||
        !m_resource->IsDescriptionComplete())
        return 0;
    if (!m_manager->CreateScene(kEngineEventMessage, clientlayout::kWindowHeight, clientlayout::kWindowWidth))
        return 0;
    // The window tells its scale as soon as it hands its messages over, which
    // is before the engine is built.
    if (m_scale != 1.0) m_manager->SetScale(m_scale);
    m_mutex.Reset(CreateMutexW(nullptr, FALSE, nullptr));
    if (!m_mutex) return 0;

    CClientWindow::Parts client;
    client.resource = m_resource.get();
    client.scene = m_manager->GetScene();
    client.pictureModule = parts.skinModule;
    client.taskBar = parts.taskBar;
    client.services = parts.services;
    client.pages = parts.pages;
    m_client = std::make_unique<CClientWindow>();
    if (!m_client->Create(client)) return 0;
    MemoryStage(L"client built");

    m_dump = CUiDumpWriter::FromEnvironment(m_manager->GetScene());
    if (m_dump) {
        m_dump->Start();
        CUiDumpWriter* dump = m_dump.get();
        m_manager->GetScene()->SetPaintedHook([dump] { dump->NotifyPainted(); });
        m_manager->GetRender()->SetPresentCallbacks(nullptr, nullptr, &CDUIEngine::OnFramePresented, this);
    }
    m_access = std::make_unique<CDUI_AccessHost>(m_manager->GetScene(), parts.host);
    m_running = 1;
    return 1;
}

int CDUIEngine::Start() {
    if (!m_manager || !m_running) return 0;
    m_started = 1;
    if (!IsWindowVisible(m_manager->GetHostWindow())) {
        // Starts when shown; a start hidden in the tray keeps no decoded skin.
        SetTimer(m_manager->GetHostWindow(), kEngineReleaseTimer, kEngineReleaseAfterMs, nullptr);
        TellPagesShown(0);
        return 1;
    }
    return m_manager->StartRender(kEngineFramePeriodMs, kEngineFrameValue);
}

int CDUIEngine::Stop() {
    m_started = 0;
    if (!m_manager) return 0;
    return m_manager->StopRender();
}

void CDUIEngine::FollowVisibility() {
    if (!m_manager || !m_running) return;
    CDUIDevRender* render = m_manager->GetRender();
    const int visible = IsWindowVisible(m_manager->GetHostWindow()) ? 1 : 0;
    TellPagesShown(visible);
    if (visible) KillTimer(m_manager->GetHostWindow(), kEngineReleaseTimer);
    if (visible && m_started && render && !render->IsRunning()) {
        // The frame image starts empty: the first frame paints everything.
        if (CDUI_UIScene* scene = m_manager->GetScene())
            scene->InvalidateRect(DUI_Rect{0, 0, clientlayout::kWindowWidth, clientlayout::kWindowHeight});
        if (m_dump) m_dump->NotifyShown();
        m_manager->StartRender(kEngineFramePeriodMs, kEngineFrameValue);
    } else if (!visible && render && render->IsRunning()) {
        // Hidden in the tray: no thread waking 33 times a second, no 4 MB image.
        m_manager->StopRender();
        // Hidden for a while, the decoded skin goes too; a quick hide and
        // show does not pay for decoding it again.
        SetTimer(m_manager->GetHostWindow(), kEngineReleaseTimer, kEngineReleaseAfterMs, nullptr);
        // The pointer left with the window: no hover look waits for its return.
        m_manager->ForwardMessage(WM_MOUSELEAVE, 0, 0);
        m_tracking = 0;
        m_hoverArmed = 0;
    }
}

void CDUIEngine::TellPagesShown(int visible) {
    if (IFanPageLink* fans = m_client ? m_client->FanLink() : nullptr) fans->SetWindowShown(visible);
}

void CDUIEngine::Shutdown() {
    m_running = 0;
    HANDLE mutex = m_mutex.Get();
    const bool held = mutex && WaitForSingleObject(mutex, INFINITE) == WAIT_OBJECT_0;
    if (m_manager) m_manager->StopRender();
    if (m_dump) m_dump->Stop();
    m_access.reset();
    if (m_dump && m_manager && m_manager->GetScene()) m_manager->GetScene()->SetPaintedHook(nullptr);
    if (m_client) m_client->Shutdown();
    m_client.reset();
    m_dump.reset();
    if (m_manager) m_manager->DestroyScene();
    if (m_resource) m_resource->Destroy();
    m_resource.reset();
    if (m_manager) m_manager->Shutdown();
    m_manager.reset();
    if (held) ReleaseMutex(mutex);
    m_mutex.Reset();
}

void CDUIEngine::SetDrawScale(double scale) {
    m_scale = scale;
    if (m_manager && m_manager->GetScale() != scale) m_manager->SetScale(scale);
}

void CDUIEngine::OnFramePresented(HWND, HDC, HDC, const RECT*, void* user) {
    auto* self = static_cast<CDUIEngine*>(user);
    if (self && !self->m_framesSeen++) MemoryStage(L"first frame");
    if (self && self->m_dump) self->m_dump->NotifyFrame();
}

void CDUIEngine::TrackMouse(HWND host) {
    if (m_tracking && m_hoverArmed) return;
    // Leave resets hover looks when the pointer goes out of the window;
    // hover is one-shot, so it is armed again after each report.
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE | TME_HOVER;
    track.hwndTrack = host;
    track.dwHoverTime = HOVER_DEFAULT;
    if (TrackMouseEvent(&track)) {
        m_tracking = 1;
        m_hoverArmed = 1;
    }
}

int CDUIEngine::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!m_manager) return 0;
    if (!m_running) {
        // A posted event dispatched before the start (a message box's own
        // loop while the client is built) is delivered all the same: left
        // queued, its record would swallow every later event of its kind.
        if (message != kEngineEventMessage || !m_manager->ForwardMessage(message, wParam, lParam)) return 0;
        if (result) *result = 0;
        return 1;
    }
    HWND host = m_manager->GetHostWindow();
    if (m_access && m_access->HandleMessage(message, wParam, lParam, result)) return 1;
    switch (message) {
    case WM_SHOWWINDOW:
        PostMessageW(host, kEngineVisibilityMessage, 0, 0);
        return 0;
    case kEngineVisibilityMessage:
        FollowVisibility();
        if (result) *result = 0;
        return 1;
    case WM_TIMER:
        if (wParam != kEngineReleaseTimer) break;
        KillTimer(host, kEngineReleaseTimer);
        // The render thread is stopped while hidden: nothing paints meanwhile.
        if (!IsWindowVisible(host) && m_resource && m_manager->GetRender() &&
            !m_manager->GetRender()->IsRunning()) {
            m_resource->ReleaseSkinPixels();
            if (CDUI_UIScene* scene = m_manager->GetScene()) DropDecodedPictures(scene);
        }
        if (result) *result = 0;
        return 1;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            if (result) *result = TRUE;
            return 1;
        }
        return 0;
    case WM_MOUSEMOVE:
        TrackMouse(host);
        break;
    case WM_MOUSELEAVE:
        m_tracking = 0;
        m_hoverArmed = 0;
        break;
    case WM_MOUSEHOVER:
        m_hoverArmed = 0;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        // Slider and scroll drags go on when the pointer leaves the window.
        if (GetCapture() != host) SetCapture(host);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == host) {
            ReleaseCapture();
            // Tracking may not outlive a capture: arm it again on the next move.
            m_tracking = 0;
        }
        break;
    case WM_KEYDOWN:
        if (GetKeyState(VK_CONTROL) < 0) {
            UINT command = 0;
            if (wParam == 'C') command = kDuiCmdCopy;
            if (wParam == 'V') command = kDuiCmdPaste;
            if (wParam == 'A') command = kDuiCmdSelectAll;
            if (command && m_manager->ForwardMessage(WM_COMMAND, MAKEWPARAM(command, 1), 0)) {
                if (result) *result = 0;
                return 1;
            }
        }
        break;
    default:
        break;
    }
    const int handled = m_manager->ForwardMessage(message, wParam, lParam);
    if (m_access) m_access->AfterMessage();
    if (handled && result) *result = 0;
    return handled ? 1 : 0;
}
