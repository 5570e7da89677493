#include "scene/DUIDevManage.h"

#include "graphics/UIGraphicsEngine.h"
#include "graphics/UIRect.h"
#include "scene/DUIDevRender.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"

CDUIDevManage::CDUIDevManage() = default;

CDUIDevManage::~CDUIDevManage() {
    StopRender();
    DestroyScene();
    Shutdown();
}

int CDUIDevManage::Init(int layeredMode, HWND host, int graphicsMode) {
    if (mutex_) return 0;  // once
    host_ = host;
    layered_ = layeredMode ? 1 : 0;
    graphicsMode_ = graphicsMode;
    if (layered_ && host_) {
        LONG_PTR style = GetWindowLongPtrW(host_, GWL_EXSTYLE);
        SetWindowLongPtrW(host_, GWL_EXSTYLE, style | WS_EX_LAYERED);
    }
    status_ = std::make_unique<CDUICtrl>();
    engine_ = std::make_unique<CDUI_UIGraphicsEngine>();
    int started = engine_->Startup(graphicsMode_);
    render_ = std::make_unique<CDUIDevRender>(this);
    mutex_.Reset(CreateMutexW(nullptr, FALSE, nullptr));
    return (mutex_ && started) ? 1 : 0;
}

int CDUIDevManage::CreateScene(UINT eventMessage, int32_t height, int32_t width) {
    if (scene_ || !resource_) return 0;
    eventMessage_ = eventMessage;
    height_ = height;
    width_ = width;
    scene_ = resource_->CreateScene(host_, width, height, eventMessage);
    if (scene_ && scale_ != 1.0) scene_->SetScale(scale_);
    return scene_ ? 1 : 0;
}

int CDUIDevManage::SetScale(double scale) {
    if (!(scale > 0.1 && scale < 10.0)) return 0;
    const int wasRunning = render_ && render_->IsRunning();
    if (wasRunning) render_->Stop();
    scale_ = scale;
    if (scene_) scene_->SetScale(scale);  // invalidates the whole scene
    if (wasRunning) return render_->Start();
    return 1;
}

int32_t CDUIDevManage::GetFrameWidth() const { return DUIScaledEdge(width_, scale_); }
int32_t CDUIDevManage::GetFrameHeight() const { return DUIScaledEdge(height_, scale_); }

int CDUIDevManage::StartRender(int32_t framePeriodMs, int32_t value) {
    framePeriod_ = framePeriodMs;
    frameValue_ = value;
    if (!render_ || !scene_) return 0;
    return render_->Start();
}

int CDUIDevManage::ForwardMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    CDUI_UIScene* scene = scene_;
    return scene ? scene->ForwardMessage(message, wParam, lParam) : 0;
}

int CDUIDevManage::StopRender() {
    if (render_) render_->Stop();
    return 1;
}

int CDUIDevManage::DestroyScene() {
    if (!scene_) return 0;
    // The render thread must not paint a scene that is going away.
    StopRender();
    CDUI_UIScene* scene = scene_;
    scene_ = nullptr;
    scene->ReleaseResources();
    delete scene;
    return 1;
}

int CDUIDevManage::Shutdown() {
    if (!mutex_ && !engine_ && !render_) return 0;
    HANDLE mutex = mutex_.Get();
    if (mutex) WaitForSingleObject(mutex, INFINITE);
    render_.reset();
    engine_.reset();  // shuts GDI+ down
    status_.reset();
    if (mutex) ReleaseMutex(mutex);
    mutex_.Reset();
    return 1;
}
