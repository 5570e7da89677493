#pragma once
// Paints the scene into a 32-bit off-screen image on its own thread and
// pushes it to the host window: woken by a multimedia timer every frame
// period, it paints only what is dirty and presents only the painted
// rectangle. A tick with nothing invalidated does not wake the thread; ticks
// that come while a frame is still in progress are dropped. After about two
// seconds without anything to paint the timer rests (its thread ends) and the
// next invalidation starts it again, so a still window costs no wake-ups.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "WinHandles.h"
#include "core/DUI_Types.h"

class CDUIDevManage;
class CDUI_UIScene;

// Called on the render thread around presenting a frame.
using DUI_PresentCallback = void (*)(HWND host, HDC windowDC, HDC memoryDC, const RECT* rect, void* user);

class CDUIDevRender {
public:
    explicit CDUIDevRender(CDUIDevManage* manager);  // manager: borrowed
    virtual ~CDUIDevRender();                         // stops
    CDUIDevRender(const CDUIDevRender&) = delete;
    CDUIDevRender& operator=(const CDUIDevRender&) = delete;

    // Allocates the off-screen image at the frame size, the scene size times
    // the drawing scale (no thread).
    int CreateImage();
    void FreeImage();
    // CreateImage, then the render thread and the periodic timer.
    int Start();
    // Stops the thread and the timer, then frees the image.
    int Stop();
    int IsRunning() const { return running_; }

    void SetPresentCallbacks(DUI_PresentCallback before, void* beforeUser, DUI_PresentCallback after,
                             void* afterUser);

    // One frame as the render thread runs it: paint the dirty part, present
    // it when something was painted, clear the busy flag. 1 = presented.
    int RenderFrame();
    // What the timer does on each tick: 1 = frame requested, 0 = nothing to
    // paint (the thread is not woken) or dropped because the previous frame
    // is still busy.
    int OnTimerTick();

    HDC GetMemoryDC() const { return memoryDC_; }
    // Bottom-up rows of 32-bit BGRA pixels, stride width * 4.
    const uint32_t* GetPixels() const { return static_cast<const uint32_t*>(bits_); }
    // Pixel at frame coordinates, scene coordinates at scale 1 (0 outside the image).
    uint32_t GetPixel(int32_t x, int32_t y) const;
    int32_t GetWidth() const { return width_; }
    int32_t GetHeight() const { return height_; }
    uint32_t GetElapsedMs() const { return elapsedMs_; }
    uint64_t GetFramesPresented() const { return framesPresented_; }
    uint64_t GetTicksDropped() const { return ticksDropped_; }
    uint64_t GetTicksIdle() const { return ticksIdle_; }
    // 0 while the frame timer rests.
    int IsTimerRunning();
    static constexpr uint32_t kRestAfterIdleTicks = 64;

private:
    static DWORD WINAPI ThreadMain(void* param);
    // Hands the painted rectangle of the image to the host window.
    void Present(const DUI_Rect& painted);
    static void CALLBACK TimerMain(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    int StartTimer();  // timerLock_ held
    // On the render thread, when the idle ticks asked for it: stop the timer
    // unless something became pending meanwhile.
    void Rest();
    // The scene's dirty hook: something to paint while the timer may rest.
    void OnDirty();

    CDUIDevManage* manager_;  // borrowed
    HDC memoryDC_ = nullptr;  // owned
    HBITMAP dib_ = nullptr;   // owned, selected into memoryDC_
    HGDIOBJ oldBitmap_ = nullptr;
    void* bits_ = nullptr;
    int32_t width_ = 0, height_ = 0;
    std::mutex paintLock_;
    win::CUniqueHandle thread_;
    DWORD threadId_ = 0;
    std::atomic<int> running_{0};
    win::CUniqueHandle frameEvent_;  // auto-reset
    std::atomic<int> busy_{0};
    std::mutex timerLock_;      // the timer's start and stop; never held while taking the dirty area's lock
    UINT timerId_ = 0;          // 0 while resting
    CDUI_UIScene* hooked_ = nullptr;  // under timerLock_: the scene whose dirty hook wakes the timer
    std::atomic<uint32_t> idleRun_{0};      // idle ticks in a row
    std::atomic<int> restWanted_{0};
    std::atomic<uint32_t> lastTick_{0};
    std::atomic<uint32_t> elapsedMs_{0};
    std::atomic<uint64_t> framesPresented_{0};
    std::atomic<uint64_t> ticksDropped_{0};
    std::atomic<uint64_t> ticksIdle_{0};
    int presentedOnce_ = 0;  // the layered surface has had a whole frame
    DUI_PresentCallback before_ = nullptr, after_ = nullptr;
    void* beforeUser_ = nullptr;
    void* afterUser_ = nullptr;
};
