#pragma once
// The game page in process: a hidden 1366 x 768 host window with the engine,
// the skin, a scene and a window control, the program's environment and
// stores on the data folder of the suite's prefix, and a host that records
// navigation and the light step. Clicks go in as mouse messages at a
// control's rectangle, the way a user's would.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ApplicationEnv.h"
#include "ClientPages.h"
#include "GameCtrlPage.h"
#include "OVSystemConfig.h"
#include "controls/DUI_StandardControls.h"
#include "core/DUI_UICollection.h"
#include "graphics/GdiplusInclude.h"
#include "scene/DUIDevManage.h"
#include "scene/DUIDevRender.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

namespace gamepage {

class FakeLightLink : public ILightPageLink {
public:
    std::vector<std::wstring> applied;
    int ApplyThemeByName(const std::wstring& name) override {
        applied.push_back(name);
        return 1;
    }
    int GetLightSelectText(std::wstring*) override { return 0; }
    void ReloadThemeList() override {}
};

class Harness : public IClientHost {
public:
    Harness() {
        DUI_RegisterStandardControls();
        static ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VentaroGamePageHost";
            return RegisterClassW(&wc);
        }();
        (void)atom;
        hwnd_ = CreateWindowExW(0, L"VentaroGamePageHost", L"GamePageHost", WS_POPUP, 0, 0, 1366, 768, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        manager_.Init(1, hwnd_, 1);
        resource_.Create(&manager_, GetModuleHandleW(nullptr), 131);
        manager_.CreateScene(2026, 768, 1366);
        window_ = resource_.CreateWindow(1000, L"OVWindow", L"", 0, 0, 1366, 768);
        if (window_) {
            window_->SetShowTitle(0);
            window_->SetShowIcon(0);
            window_->SetShowClose(0);
            window_->SetShowMax(0);
            window_->SetShowMin(0);
            window_->SetMovable(0);
            window_->SetResizable(0);
            window_->SetBackColor(0xFF0B0F14);
            manager_.GetScene()->AddChild(window_);
        }
        env_.Initialize(GetModuleHandleW(nullptr));
        env_.SetWindowHandle(hwnd_);
        stores_.Initialise(env_.GetDataFolder(), env_.GetProgramFolder());
        services_.env = &env_;
        services_.stores = &stores_;
        page_ = std::make_unique<CGameCtrlPage>(&resource_, manager_.GetScene(), this);
    }
    ~Harness() override {
        page_->Shutdown();
        page_.reset();
        manager_.DestroyScene();
        resource_.Destroy();
        manager_.Shutdown();
        stores_.ShutDown();
        DestroyWindow(hwnd_);
    }

    // IClientHost.
    CDUI_UIResource* Resource() override { return &resource_; }
    CDUI_UIScene* Scene() override { return manager_.GetScene(); }
    CDUI_Window* WindowControl() override { return window_; }
    const ClientServices& Services() override { return services_; }
    void ShowHomeView() override {
        ++homeViews;
        page_->Hide();
    }
    void ShowPage(ClientPageId) override { page_->Show(); }
    IClientPage* Page(ClientPageId id) override { return id == ClientPageId::Game ? page_.get() : nullptr; }
    ILightPageLink* LightLink() override { return withLight ? &light : nullptr; }
    IFanPageLink* FanLink() override { return nullptr; }
    IGamePageLink* GameLink() override { return page_.get(); }
    IUpdatePageLink* UpdateLink() override { return nullptr; }

    CGameCtrlPage& Page() { return *page_; }
    COVSystemConfig& Stores() { return stores_; }
    CApplicationEnv& Env() { return env_; }
    HWND Hwnd() const { return hwnd_; }

    // Controls by text (and kind, when given), depth first over visible ones.
    CDUI_UIControl* Find(const std::wstring& text, const std::wstring& kind = L"") {
        CDUI_UIControl* found = nullptr;
        Walk(window_, [&](CDUI_UIControl* c) {
            if (!found && c->GetText() == text && (kind.empty() || c->GetKindName() == kind)) found = c;
        });
        return found;
    }
    std::vector<CDUI_UIControl*> FindAllOfKind(const std::wstring& kind) {
        std::vector<CDUI_UIControl*> all;
        Walk(window_, [&](CDUI_UIControl* c) {
            if (c->GetKindName() == kind) all.push_back(c);
        });
        return all;
    }

    // A left click at the centre of the control, then the events it raised.
    void Click(CDUI_UIControl* c) {
        if (!c) return;
        const DUI_Rect r = c->GetAbsoluteRect();
        ClickAt(r.x + r.width / 2, r.y + r.height / 2);
    }
    void ClickAt(int x, int y) {
        SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Pump(100);
    }
    void Pump(int ms) {
        const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
        do {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } while (GetTickCount() < end);
    }

    // Paints the whole scene and saves it as a PNG.
    bool Screenshot(const std::wstring& file) {
        CDUIDevRender* render = manager_.GetRender();
        if (!render) return false;
        render->CreateImage();
        manager_.GetScene()->InvalidateRect({0, 0, 1366, 768});
        render->RenderFrame();
        HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(render->GetMemoryDC(), OBJ_BITMAP));
        Gdiplus::Bitmap shot(bitmap, nullptr);
        CLSID png{};
        if (!PngEncoder(&png)) return false;
        return shot.Save(file.c_str(), &png, nullptr) == Gdiplus::Ok;
    }

    FakeLightLink light;
    int withLight = 1;
    int homeViews = 0;

private:
    static void Walk(CDUI_UIControl* c, const std::function<void(CDUI_UIControl*)>& visit) {
        if (!c || !c->GetVisible()) return;
        visit(c);
        if (c->IsCollection())
            for (CDUI_UIControl* child : static_cast<CDUI_UICollection*>(c)->GetChildren()) Walk(child, visit);
    }
    static bool PngEncoder(CLSID* clsid) {
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<BYTE> buffer(size);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, size, codecs);
        for (UINT i = 0; i < count; ++i)
            if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
                *clsid = codecs[i].Clsid;
                return true;
            }
        return false;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Harness*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && self->manager_.ForwardMessage(message, wParam, lParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    CDUIDevManage manager_;
    CDUI_UIResource resource_;
    CDUI_Window* window_ = nullptr;  // owned by the scene
    CApplicationEnv env_;
    COVSystemConfig stores_;
    ClientServices services_;
    std::unique_ptr<CGameCtrlPage> page_;
};

}  // namespace gamepage
