// Kind events in the default posted mode: they reach the page's callback on
// the UI thread through the host window's scene event message, not at once.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_SliderBar.h"

namespace {

CDUI_UIScene* g_scene = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_scene && g_scene->ForwardMessage(message, wParam, lParam)) return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct PostedFixture {
    HWND host = nullptr;
    std::unique_ptr<CDUI_UIResource> resource;
    CDUI_UIScene* scene = nullptr;
    PostedFixture() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VentaroControlsHost";
        RegisterClassW(&wc);
        host = CreateWindowExW(0, L"VentaroControlsHost", L"host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        resource = std::make_unique<CDUI_UIResource>();
        resource->Create(nullptr, GetModuleHandleW(nullptr), 131);
        scene = resource->CreateScene(host, 400, 300, 2026);
        g_scene = scene;
    }
    ~PostedFixture() {
        g_scene = nullptr;
        if (scene) {
            scene->ReleaseResources();
            delete scene;
        }
        if (host) DestroyWindow(host);
    }
    void Pump() {
        MSG msg;
        for (int round = 0; round < 20; ++round) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(5);
        }
    }
    void Click(int x, int y) {
        scene->ForwardMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        scene->ForwardMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
};

}  // namespace

TEST(PostedEvents, KindEventsArriveThroughTheHostWindow) {
    PostedFixture f;
    ASSERT_NE(f.scene, nullptr);
    ASSERT_EQ(f.scene->GetDirectDelivery(), 0);
    CDUI_CheckBox* box = f.resource->CreateCheckBox(1, L"OVCheckBox", L"", 0, 0, 60, 10);
    CDUI_SliderBar* slider = f.resource->CreateSliderBar(2, L"OVSliderBar", L"", 0, 50, 200, 10, 0, 100, 0);
    f.scene->AddChild(box);
    f.scene->AddChild(slider);
    static std::vector<int32_t> checks, values;
    checks.clear();
    values.clear();
    box->SetCheckCallback([](CDUI_UIControl*, int32_t v, void*) { checks.push_back(v); }, nullptr);
    slider->SetSliderCallback([](CDUI_UIControl*, int32_t v, void*) { values.push_back(v); }, nullptr);
    f.Click(5, 5);
    EXPECT_TRUE(checks.empty());  // posted, not yet delivered
    for (int v = 1; v <= 10; ++v) slider->SetSliderValue(v * 5);
    f.Pump();
    EXPECT_EQ(checks, (std::vector<int32_t>{1}));
    // A burst of value changes arrives as one event with the latest value.
    EXPECT_EQ(values, (std::vector<int32_t>{50}));
}
