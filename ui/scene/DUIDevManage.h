#pragma once
// Binds the UI engine to one host window: layered mode, GDI+, the scene, the
// render object. The application calls, in order: Init, (skin resource
// Create), CreateScene, StartRender, ForwardMessage for every host message,
// and at the end StopRender, DestroyScene, (resource Destroy), Shutdown.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "WinHandles.h"

class CDUI_UIResource;
class CDUI_UIScene;
class CDUIDevRender;
class CDUI_UIGraphicsEngine;

// Small status object of the engine: only an enabled flag.
class CDUICtrl {
public:
    virtual ~CDUICtrl() = default;
    int enabled = 1;
};

class CDUIDevManage {
public:
    CDUIDevManage();
    virtual ~CDUIDevManage();  // StopRender, DestroyScene, Shutdown as needed
    CDUIDevManage(const CDUIDevManage&) = delete;
    CDUIDevManage& operator=(const CDUIDevManage&) = delete;

    // layeredMode 1: the host gets WS_EX_LAYERED and per-pixel alpha frames;
    // 0: frames are copied into it. graphicsMode 1 = GDI+ (the only one).
    int Init(int layeredMode, HWND host, int graphicsMode);
    // The skin resource the scene comes from (set by CDUI_UIResource::Create
    // when it is given this manager as owner).
    void SetResource(CDUI_UIResource* resource) { resource_ = resource; }
    CDUI_UIResource* GetResource() const { return resource_; }
    int CreateScene(UINT eventMessage, int32_t height, int32_t width);
    // framePeriodMs: timer period (30); value: kept with it (2025).
    int StartRender(int32_t framePeriodMs, int32_t value);
    // A host message for the scene; 0 (not handled) without a scene.
    int ForwardMessage(UINT message, WPARAM wParam, LPARAM lParam);
    int StopRender();
    int DestroyScene();
    int Shutdown();

    HWND GetHostWindow() const { return host_; }
    int GetLayeredMode() const { return layered_; }
    int GetGraphicsMode() const { return graphicsMode_; }
    CDUI_UIScene* GetScene() const { return scene_; }
    CDUIDevRender* GetRender() const { return render_.get(); }
    CDUI_UIGraphicsEngine* GetGraphicsEngine() const { return engine_.get(); }
    int32_t GetSceneWidth() const { return width_; }
    int32_t GetSceneHeight() const { return height_; }
    // The drawing scale (the monitor's DPI / 96, or less where the window
    // must fit): the scene stays in its own units, the frame image, the
    // layered window and the present are scene size * scale pixels. A
    // running render thread is stopped and started again around the change.
    int SetScale(double scale);
    double GetScale() const { return scale_; }
    int32_t GetFrameWidth() const;
    int32_t GetFrameHeight() const;
    UINT GetEventMessage() const { return eventMessage_; }
    int32_t GetFramePeriod() const { return framePeriod_; }
    int32_t GetFrameValue() const { return frameValue_; }

private:
    HWND host_ = nullptr;
    int layered_ = 0;
    int graphicsMode_ = 1;
    int32_t width_ = 0, height_ = 0;
    double scale_ = 1.0;
    UINT eventMessage_ = 0;
    int32_t framePeriod_ = 30;
    int32_t frameValue_ = 0;
    std::unique_ptr<CDUI_UIGraphicsEngine> engine_;  // the GDI+ session
    std::unique_ptr<CDUIDevRender> render_;
    std::unique_ptr<CDUICtrl> status_;
    win::CUniqueHandle mutex_;
    CDUI_UIResource* resource_ = nullptr;   // borrowed
    CDUI_UIScene* scene_ = nullptr;         // owned
};
