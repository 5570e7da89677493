#include "scene/DUIDevRender.h"

#include <mmsystem.h>

#include "scene/DUIDevManage.h"
#include "graphics/RenderStats.h"
#include "scene/DUI_UIScene.h"

CDUIDevRender::CDUIDevRender(CDUIDevManage* manager) : manager_(manager) {}

CDUIDevRender::~CDUIDevRender() { Stop(); }

int CDUIDevRender::CreateImage() {
    if (memoryDC_) return 1;
    if (!manager_) return 0;
    width_ = manager_->GetFrameWidth();
    height_ = manager_->GetFrameHeight();
    if (width_ <= 0 || height_ <= 0) return 0;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = height_;  // positive: bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    memoryDC_ = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!memoryDC_) return 0;
    dib_ = CreateDIBSection(memoryDC_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    if (!dib_) {
        FreeImage();
        return 0;
    }
    oldBitmap_ = SelectObject(memoryDC_, dib_);
    return 1;
}

void CDUIDevRender::FreeImage() {
    std::lock_guard<std::mutex> guard(paintLock_);
    if (memoryDC_ && oldBitmap_) SelectObject(memoryDC_, oldBitmap_);
    if (dib_) DeleteObject(dib_);
    if (memoryDC_) DeleteDC(memoryDC_);
    memoryDC_ = nullptr;
    dib_ = nullptr;
    oldBitmap_ = nullptr;
    bits_ = nullptr;
}

int CDUIDevRender::Start() {
    if (running_) return 1;
    if (!CreateImage()) return 0;
    running_ = 1;
    busy_ = 0;
    thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, CREATE_SUSPENDED, &threadId_));
    if (!thread_) {
        running_ = 0;
        return 0;
    }
    frameEvent_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    lastTick_ = GetTickCount();
    idleRun_ = 0;
    restWanted_ = 0;
    int timing = 0;
    {
        std::lock_guard<std::mutex> guard(timerLock_);
        timing = frameEvent_ ? StartTimer() : 0;
        if (timing) hooked_ = manager_->GetScene();
    }
    if (!timing) {
        // Resumed with the flag still set, a thread without its event would
        // spin on a failing wait: let it run only to see the flag and leave.
        running_ = 0;
        ResumeThread(thread_.Get());
        Stop();
        return 0;
    }
    if (hooked_) hooked_->SetDirtyHook([this] { OnDirty(); });
    ResumeThread(thread_.Get());
    return 1;
}

int CDUIDevRender::StartTimer() {
    const UINT period = UINT(manager_->GetFramePeriod() > 0 ? manager_->GetFramePeriod() : 30);
    // Killed synchronously: the tick looks at the scene, which may go right
    // after the timer has been stopped.
    timerId_ = timeSetEvent(period, 1, TimerMain, reinterpret_cast<DWORD_PTR>(this),
                            TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    return timerId_ ? 1 : 0;
}

int CDUIDevRender::IsTimerRunning() {
    std::lock_guard<std::mutex> guard(timerLock_);
    return timerId_ ? 1 : 0;
}

void CDUIDevRender::Rest() {
    std::lock_guard<std::mutex> guard(timerLock_);
    idleRun_ = 0;
    // An invalidation that came before this look is painted by the running
    // timer; one after it finds the timer resting and starts it (OnDirty
    // waits for this lock).
    if (!running_ || !timerId_ || !hooked_ || hooked_ != manager_->GetScene() || hooked_->HasPendingDirty()) return;
    timeKillEvent(timerId_);
    timerId_ = 0;
}

void CDUIDevRender::OnDirty() {
    std::lock_guard<std::mutex> guard(timerLock_);
    idleRun_ = 0;
    if (running_ && !timerId_ && frameEvent_) {
        lastTick_ = GetTickCount();
        if (StartTimer()) return;
        // No timer to be had: this change is painted at once, and the next
        // one, pending again after that frame, tries the timer anew.
        int expected = 0;
        if (busy_.compare_exchange_strong(expected, 1)) SetEvent(frameEvent_.Get());
    }
}

int CDUIDevRender::Stop() {
    if (hooked_) hooked_->SetDirtyHook(nullptr);
    if (thread_) {
        running_ = 0;
        if (frameEvent_) SetEvent(frameEvent_.Get());
        WaitForSingleObject(thread_.Get(), INFINITE);
        thread_.Reset();
    }
    {
        std::lock_guard<std::mutex> guard(timerLock_);
        if (timerId_) timeKillEvent(timerId_);
        timerId_ = 0;
        hooked_ = nullptr;
    }
    frameEvent_.Reset();
    running_ = 0;
    FreeImage();
    presentedOnce_ = 0;
    return 1;
}

void CDUIDevRender::SetPresentCallbacks(DUI_PresentCallback before, void* beforeUser, DUI_PresentCallback after,
                                        void* afterUser) {
    std::lock_guard<std::mutex> guard(paintLock_);
    before_ = before;
    beforeUser_ = beforeUser;
    after_ = after;
    afterUser_ = afterUser;
}

int CDUIDevRender::OnTimerTick() {
    // Nothing invalidated: the render thread stays asleep. A cheap, lock-free
    // look; an invalidation racing with it is painted one tick later.
    CDUI_UIScene* scene = manager_ ? manager_->GetScene() : nullptr;
    if (!scene || !scene->HasPendingDirty()) {
        ++ticksIdle_;
        if (++idleRun_ == kRestAfterIdleTicks && frameEvent_) {
            // The timer cannot stop itself from its own tick.
            restWanted_ = 1;
            SetEvent(frameEvent_.Get());
        }
        return 0;
    }
    idleRun_ = 0;
    int expected = 0;
    if (!busy_.compare_exchange_strong(expected, 1)) {
        ++ticksDropped_;
        return 0;
    }
    uint32_t now = GetTickCount();
    elapsedMs_ = now - lastTick_.exchange(now);
    if (frameEvent_) SetEvent(frameEvent_.Get());
    return 1;
}

void CALLBACK CDUIDevRender::TimerMain(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    reinterpret_cast<CDUIDevRender*>(user)->OnTimerTick();
}

DWORD WINAPI CDUIDevRender::ThreadMain(void* param) {
    auto* self = static_cast<CDUIDevRender*>(param);
    while (self->running_) {
        WaitForSingleObject(self->frameEvent_.Get(), INFINITE);
        if (!self->running_) break;
        // One wake may carry both a frame and the idle ticks' request to rest.
        const int rest = self->restWanted_.exchange(0);
        if (self->busy_) self->RenderFrame();
        if (rest) self->Rest();
    }
    return 0;
}

int CDUIDevRender::RenderFrame() {
    int presented = 0;
    {
        std::lock_guard<std::mutex> guard(paintLock_);
        CDUI_UIScene* scene = manager_ ? manager_->GetScene() : nullptr;
        if (memoryDC_ && scene && scene->PaintFrame(memoryDC_)) {
            Present(scene->GetLastPainted());
            ++framesPresented_;
            presented = 1;
        }
    }
    busy_ = 0;
    return presented;
}

void CDUIDevRender::Present(const DUI_Rect& painted) {
    // Only the painted rectangle changed, so only it is handed over.
    RECT dirty{painted.x, painted.y, painted.x + painted.width, painted.y + painted.height};
    RECT whole{0, 0, width_, height_};
    if (!IntersectRect(&dirty, &dirty, &whole)) dirty = whole;
    HWND host = manager_->GetHostWindow();
    // A layered window takes its frame without a device context of its own;
    // fetching one (a round trip to the window system under Wine) is only
    // worth it for a copy or for the host's callbacks.
    const bool layered = manager_->GetLayeredMode() != 0;
    HDC windowDC = (!layered || before_ || after_) ? GetDC(host) : nullptr;
    if (before_) before_(host, windowDC, memoryDC_, &whole, beforeUser_);
    {
        DUI_StageTimer timer(DUI_RenderStage::Present);
        if (layered) {
            SIZE size{width_, height_};
            POINT source{0, 0};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            UPDATELAYEREDWINDOWINFO info{};
            info.cbSize = sizeof info;
            info.hdcDst = windowDC;
            info.psize = &size;
            info.hdcSrc = memoryDC_;
            info.pptSrc = &source;
            info.pblend = &blend;
            info.dwFlags = ULW_ALPHA;
            // The first frame sizes the layered surface, so it goes whole.
            info.prcDirty = presentedOnce_ ? &dirty : nullptr;
            if (!UpdateLayeredWindowIndirect(host, &info)) {
                info.prcDirty = nullptr;
                UpdateLayeredWindow(host, windowDC, nullptr, &size, memoryDC_, &source, 0, &blend, ULW_ALPHA);
            }
            presentedOnce_ = 1;
        } else {
            BitBlt(windowDC, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, memoryDC_,
                   dirty.left, dirty.top, SRCCOPY);
        }
    }
    if (after_) after_(host, windowDC, memoryDC_, &whole, afterUser_);
    if (windowDC) ReleaseDC(host, windowDC);
}

uint32_t CDUIDevRender::GetPixel(int32_t x, int32_t y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    // Bottom-up: scene row y is image row height - 1 - y.
    return GetPixels()[size_t(height_ - 1 - y) * size_t(width_) + size_t(x)];
}
