#pragma once
// Shared pieces of the UI engine suites: the test skin, plain controls of the
// base kinds, GDI+ start-up and a hidden host window that delivers events.
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "graphics/GdiplusInclude.h"
#include "core/DUI_UICollection.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"

namespace uitest {

constexpr UINT kEventMessage = 2026;

// A control of no particular kind (the base draws background and border).
class PlainControl : public CDUI_UIControl {
public:
    using CDUI_UIControl::CDUI_UIControl;
    ~PlainControl() override { ++destroyed; }
    void ReleaseResources() override { ++released; }
    static inline int destroyed = 0;
    static inline int released = 0;
    // Expose the protected drag and paint steps to the tests.
    using CDUI_UIControl::DragEnd;
    using CDUI_UIControl::DragMove;
    using CDUI_UIControl::DragPrepare;
};

class PlainCollection : public CDUI_UICollection {
public:
    using CDUI_UICollection::CDUI_UICollection;
};

inline std::unique_ptr<CDUI_UIResource> LoadTestSkin() {
    auto resource = std::make_unique<CDUI_UIResource>();
    resource->Create(nullptr, GetModuleHandleW(nullptr), 131);
    return resource;
}

inline PlainControl* MakeControl(CDUI_UIResource* resource, int32_t x, int32_t y, int32_t w, int32_t h,
                                 int32_t id = 0) {
    auto* c = new PlainControl(resource, resource ? resource->FindStyle(L"Label", L"OVLabel") : nullptr, id);
    c->SetPosition(x, y);
    c->SetSize(w, h);
    return c;
}

inline PlainCollection* MakeCollection(CDUI_UIResource* resource, int32_t x, int32_t y, int32_t w, int32_t h) {
    auto* c = new PlainCollection(resource, resource ? resource->FindStyle(L"Panel", L"OVPanel") : nullptr);
    c->SetPosition(x, y);
    c->SetSize(w, h);
    return c;
}

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

// A hidden window that hands every message to the scene, like the host.
class HostWindow {
public:
    HostWindow() {
        static ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VentaroUiTestHost";
            return RegisterClassW(&wc);
        }();
        (void)atom;
        hwnd_ = CreateWindowExW(0, L"VentaroUiTestHost", L"host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~HostWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }
    void SetScene(CDUI_UIScene* scene) { scene_ = scene; }

    // Pumps messages until done() or the time limit; returns done().
    bool PumpUntil(const std::function<bool()>& done, int limitMs = 5000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!done() && std::chrono::steady_clock::now() < end) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return done();
    }
    // Delivers everything already posted.
    void Drain() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && self->scene_ && self->scene_->ForwardMessage(message, wParam, lParam)) return 0;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND hwnd_ = nullptr;
    CDUI_UIScene* scene_ = nullptr;
};

inline LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace uitest
