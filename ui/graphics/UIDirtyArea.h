#pragma once
// The part of a scene that needs painting: one bounding rectangle of
// everything invalidated since the last frame (no region list; far-apart
// changes repaint the box between them). Controls on any thread invalidate;
// the render thread takes the rectangle at the start of a frame.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "GraphicsCtrl.h"
#include "UIRect.h"

class CDUI_UIScene;
class CGDIPlug_BrushCtrl;

class CDUI_UIDirtyArea {
public:
    // Covers the scene: the pending rectangle starts as the whole scene so that
    // the first frame draws everything.
    CDUI_UIDirtyArea(CDUI_UIScene* scene, int width, int height);
    virtual ~CDUI_UIDirtyArea();
    CDUI_UIDirtyArea(const CDUI_UIDirtyArea&) = delete;
    CDUI_UIDirtyArea& operator=(const CDUI_UIDirtyArea&) = delete;

    // Adds a rectangle: a negative x or y becomes 0 (the size stays), an empty
    // one is ignored. Nothing happens while disabled or not accepting.
    void Invalidate(const DUIRect& rect);
    void Invalidate(int x, int y, int width, int height) { Invalidate(DUIRect{x, y, width, height}); }

    // Moves the pending rectangle into the current one; 1 when there is
    // something to paint.
    int TakeDirty();
    // Clears the current rectangle to fully transparent (copy, not blend).
    int ClearDirty(DUIGraphics* g);
    // The part of a control's rectangle inside the current one; 0 when none.
    int ClipToDirty(const DUIRect& controlRect, DUIRect* visible) const;
    // Ends a frame: the current rectangle becomes empty.
    void ResetCurrent();

    DUIRect GetPending() const;
    // Without the lock, for the frame timer: whether anything waits to be
    // painted (a frame already taken does not count).
    int HasPending() const { return m_hasPending.load(std::memory_order_acquire) ? 1 : 0; }
    // Run on the invalidating thread, under this area's lock, when nothing
    // was pending before: the frame timer's wake-up after it rested.
    void SetPendingHook(std::function<void()> hook);
    DUIRect GetCurrent() const;
    void SetEnabled(int enabled);
    int GetEnabled() const;
    void SetAccepting(int accepting);
    int GetAccepting() const;
    CDUI_UIScene* GetScene() const { return m_scene; }

private:
    CDUI_UIScene* m_scene;  // borrowed: the scene owns this area
    mutable std::mutex m_mutex;
    DUIRect m_pending;
    DUIRect m_current;
    std::atomic<bool> m_hasPending{true};  // mirrors !empty(m_pending)
    std::function<void()> m_pendingHook;
    int m_enabled = 1;
    int m_accepting = 1;
    std::unique_ptr<CGDIPlug_BrushCtrl> m_clearBrush;  // 0x00FFFFFF, created on first use (needs GDI+)
};
