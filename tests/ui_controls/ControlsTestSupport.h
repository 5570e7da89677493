#pragma once
// The controls' suites: the test skin, a scene that delivers events at once,
// mouse and key messages sent through the scene, and a DIB to paint into.
#include <memory>

#include "../ui_graphics/PixelSurface.h"
#include "controls/DUI_KindCommon.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"

namespace ctltest {

class Fixture {
public:
    Fixture() {
        resource = std::make_unique<CDUI_UIResource>();
        resource->Create(nullptr, GetModuleHandleW(nullptr), 131);
        scene = resource->CreateScene(nullptr, 400, 300, 2026);
        if (scene) scene->SetDirectDelivery(1);
    }
    ~Fixture() {
        if (scene) {
            scene->ReleaseResources();
            delete scene;
        }
    }
    int Send(UINT message, WPARAM wParam, int x, int y) {
        return scene->ForwardMessage(message, wParam, MAKELPARAM(x, y));
    }
    void Click(int x, int y) {
        Send(WM_MOUSEMOVE, 0, x, y);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        Send(WM_LBUTTONUP, 0, x, y);
    }
    int Key(UINT message, WPARAM wParam) { return scene->ForwardMessage(message, wParam, 0); }
    int Command(UINT id) { return scene->ForwardMessage(WM_COMMAND, MAKEWPARAM(id, 1), 0); }
    // Paints the whole scene into a fresh surface.
    std::unique_ptr<PixelSurface> Paint(int width = 400, int height = 300) {
        auto surface = std::make_unique<PixelSurface>(width, height);
        scene->PaintControl(surface->Graphics(), DUI_Rect{0, 0, width, height});
        return surface;
    }

    std::unique_ptr<CDUI_UIResource> resource;
    CDUI_UIScene* scene = nullptr;  // owned
};

// Skin cells of the test skin (10 x 10 at x = 10 * i, y = 10).
constexpr DWORD kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kGray = 0xFF808080,
                kYellow = 0xFFFFFF00, kCyan = 0xFF00FFFF, kMagenta = 0xFFFF00FF, kWhite = 0xFFFFFFFF,
                kMaroon = 0xFF800000, kDarkGreen = 0xFF008000, kNavy = 0xFF000080, kOlive = 0xFF808000,
                kTeal = 0xFF008080, kPurple = 0xFF800080, kSilver = 0xFFC0C0C0, kDarkRed = 0xFF400000;

}  // namespace ctltest
