#pragma once
// Base of every control of the skinned UI engine: position relative to the
// parent, style record, font, colours, flags, event queue and callbacks.
// Changes that can race with painting or other threads run under the scene's
// parameter lock (see DUI_ParamLock.h); a control outside any scene works
// unlocked.
#include <windows.h>

#include <cstdint>
#include <string>

#include "PtrQueuesCtrl.h"
#include "core/DUI_Types.h"

namespace Gdiplus {
class Graphics;
}

class CDUI_UIResource;
class CDUI_UIControlStyle;
class CDUI_UIScene;
class CDUI_Window;
class CDUI_FontType;
class CDUI_UICollection;

class CDUI_UIControl {
public:
    // resource, style: borrowed, owned by the skin resource. The font starts
    // as the skin font "default".
    CDUI_UIControl(CDUI_UIResource* resource, CDUI_UIControlStyle* style, int32_t id = 0);
    CDUI_UIControl(const CDUI_UIControl&) = delete;
    CDUI_UIControl& operator=(const CDUI_UIControl&) = delete;

    // ---- virtual table, in the engine's fixed order ----
    // A control still attached is detached under the lock first (see Destroy).
    virtual ~CDUI_UIControl();
    virtual int AttachToParent(CDUI_UIControl* parent);
    virtual int DetachFromParent();
    virtual void ReleaseResources() = 0;  // kind clean-up before deletion

    virtual CDUI_UIScene* GetScene();    // the scene above, or nullptr
    virtual CDUI_Window* GetWindow();    // the nearest in-scene window above (or this), or nullptr
    virtual int32_t GetId();
    virtual int IsCollection();          // kind query: 1 for controls holding children

    virtual void CenterInParent();
    virtual void AlignInParent(int mode);  // 0 top-left, 1 centred at the top
    virtual void SetFocusMarker(int flag);

    virtual int SetFocus(int flag);
    virtual int GetFocus();
    virtual int SetState(int32_t state);
    virtual int32_t GetState();

    virtual CDUI_UIControlStyle* GetStyle();
    virtual std::wstring GetKindName();
    virtual std::wstring GetStyleName();

    virtual int SetLayer(int32_t layer);
    virtual int32_t GetLayer();

    virtual int SetPosition(int32_t x, int32_t y);
    virtual void GetPosition(int32_t* x, int32_t* y);
    virtual int SetSize(int32_t width, int32_t height);
    virtual void GetSize(int32_t* width, int32_t* height);
    virtual DUI_Rect GetAbsoluteRect();

    virtual int SetCursor(HCURSOR cursor);
    virtual HCURSOR GetCursor();

    virtual int SetVisible(int flag);
    virtual int GetVisible();
    virtual int SetHitEnable(int flag);
    virtual int GetHitEnable();
    virtual int SetEnabled(int flag);
    virtual int GetEnabled();

    virtual int SetFadeEnable(int flag);
    virtual int GetFadeEnable();
    virtual int SetOpacity(uint8_t opacity);
    virtual uint8_t GetOpacity();

    virtual int SetFont(CDUI_FontType* font);
    virtual CDUI_FontType* GetFont();

    virtual int SetBackColor(uint32_t argb);
    virtual uint32_t GetBackColor();
    virtual int SetTextColor(uint32_t argb);
    virtual uint32_t GetTextColor();

    virtual int SetBorder(int flag);
    virtual int GetBorder();
    virtual int SetBorderColor(uint32_t outer);
    virtual uint32_t GetBorderColor();
    virtual int SetBorderColors(uint32_t outer, uint32_t inner);
    virtual void GetBorderColors(uint32_t* outer, uint32_t* inner);

    virtual int SetTransparent(int flag);
    virtual int GetTransparent();

    virtual int SetTrimming(int mode);       // 0..5, the GDI+ trimming modes
    virtual int GetTrimming();
    virtual int SetAlignment(uint32_t flags);  // bits 0-2 horizontal near/centre/far, 3-5 vertical
    virtual uint32_t GetAlignment();
    virtual int SetFormatFlags(uint32_t flags);  // bit 0 line limit, 1 right-to-left, 2 no clip
    virtual uint32_t GetFormatFlags();

    virtual int SetTabStop(int flag);
    virtual int GetTabStop();
    virtual int SetText(const std::wstring& text);
    virtual std::wstring GetText();
    // notify 0 sets the flag without the kind's report (check box 601, push
    // button 4701): a page showing a stored record must not hear it back.
    virtual int SetChecked(int flag, int notify = 1);
    virtual int GetChecked();

    virtual int SetTextPlacement(int placement);  // 0 left (17), 1 centred (18), 2 right (20)
    virtual int GetTextPlacement();

    virtual int SetShown(int flag);
    virtual int GetShown();
    virtual int SetFocusable(int flag);
    virtual int GetFocusable();

    virtual int SetParent(CDUI_UIControl* parent);
    virtual CDUI_UIControl* GetParent();

    virtual int SetKindProperty1(int32_t value);
    virtual int32_t GetKindProperty1();
    virtual int SetKindProperty2(int32_t value);
    virtual int32_t GetKindProperty2();

    virtual int SetHint(int32_t value, const std::wstring& text);
    virtual void GetHint(int32_t* value, std::wstring* text);

    virtual int SetShadow(int32_t offset, uint32_t color1, uint32_t color2);

    virtual int SetHoverFrame(int flag);
    virtual int GetHoverFrame();

    virtual int SetDragEnable(int flag);
    virtual int GetDragEnable();
    virtual int SetDragConfine(int flag);
    virtual int SetDragNoRestore(int flag);

    // Straight move toward target at constant speed over durationMs, advanced
    // by one frame period per painted frame (events 26, 27, 28).
    virtual int StartMoveAnimation(const DUI_Rect& target, int32_t durationMs);
    virtual int StopMoveAnimation();
    // Opacity from startAlpha down by step per painted frame to targetAlpha
    // (events 29, 30, 31); needs the fade flag.
    virtual int StartFade(uint8_t startAlpha, uint8_t targetAlpha, uint8_t step);
    virtual int StopFade();

    virtual int HitTest(int32_t x, int32_t y);  // absolute rectangle, right/bottom excluded
    virtual void Invalidate();                  // absolute rectangle -> scene's dirty area, when drawn
    void InvalidateArea();                      // the same whether or not the control itself is shown
    virtual void Tick();                        // OnTick (collections: and their children)
    virtual void UpdateLayout();                // recompute the absolute rectangle, invalidate old and new

    virtual int CreateDrawObjects();   // drawing-object hooks of the kinds
    virtual int ReleaseDrawObjects();

    virtual void Paint(Gdiplus::Graphics* graphics);  // the kind's own look

    virtual void PrePaint(Gdiplus::Graphics* graphics);
    virtual void PaintChildren(Gdiplus::Graphics* graphics);
    // Input handlers: return 1 when the message or event was taken.
    virtual int OnRawMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual int OnAfterMessage(UINT message, WPARAM wParam, LPARAM lParam, int result);
    virtual void OnLayout();
    virtual void OnTick();
    virtual int OnEvent(const CDUI_EventRecord& event);
    virtual int OnMouseMessage(UINT message, int32_t x, int32_t y, WPARAM wParam);
    virtual int OnMouseLeave();
    virtual int OnLButtonDown(int32_t x, int32_t y, WPARAM keys);
    virtual int OnLButtonUp(int32_t x, int32_t y, WPARAM keys);
    virtual int OnLButtonClick(int32_t x, int32_t y);
    virtual int OnRButtonDown(int32_t x, int32_t y, WPARAM keys);
    virtual int OnRButtonUp(int32_t x, int32_t y, WPARAM keys);
    virtual int OnRButtonClick(int32_t x, int32_t y);
    virtual int OnMButtonDown(int32_t x, int32_t y, WPARAM keys);
    virtual int OnMButtonUp(int32_t x, int32_t y, WPARAM keys);
    virtual int OnMButtonClick(int32_t x, int32_t y);
    virtual int OnMouseMove(int32_t x, int32_t y, WPARAM keys);
    virtual int OnMouseWheel(int32_t x, int32_t y, WPARAM keys, int32_t delta);
    virtual int OnClickCommand();
    virtual int OnRightClickCommand();
    virtual int OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual int OnAccelerator(uint32_t commandId);

    // Change notifications; the default repaints the control.
    virtual void OnStateChanged(int32_t oldState);
    virtual void OnValueChanged();
    virtual void OnCheckedChanged();
    virtual void OnTextChanged();
    virtual void OnColorChanged();
    virtual void OnFontChanged();
    virtual void OnPositionChanged();
    virtual void OnSizeChanged();
    virtual void OnVisibleChanged();
    virtual void OnEnabledChanged();
    virtual void OnLayerChanged();
    virtual void OnFocusChanged();
    virtual void OnOpacityChanged();
    virtual void OnKindPropertyChanged(int which);
    virtual void OnDragStart();

    // Text width from the font's per-character widths (ASCII and other).
    virtual int32_t MeasureText();
    virtual void DrawText(Gdiplus::Graphics* graphics, const std::wstring& text, const DUI_Rect& rect);
    virtual void PaintBackground(Gdiplus::Graphics* graphics);
    virtual void PaintBorder(Gdiplus::Graphics* graphics);
    virtual void PaintHoverFrame(Gdiplus::Graphics* graphics);
    virtual void PaintFocusMarker(Gdiplus::Graphics* graphics);
    // Intersection of the frame's dirty rectangle with the absolute rectangle.
    virtual DUI_Rect ComputeClip(const DUI_Rect& dirty);
    virtual void GetContentOrigin(int32_t* x, int32_t* y);  // children's origin
    virtual void SetClipRegion(Gdiplus::Graphics* graphics);
    virtual void ApplyClip(Gdiplus::Graphics* graphics);
    // ---- end of the virtual table ----

    // The one way a control leaves the tree for good: under the scene's lock it
    // is taken out of its parent (so the render thread can no longer reach it
    // or its children), then, without the lock, released and deleted with its
    // whole subtree. Returns 0 (and deletes nothing) when the lock cannot be had.
    // Deleting an attached engine kind with `delete` takes the same path.
    int Destroy();

    // Event callbacks for the common codes 1..32 (kinds keep their own).
    int SetEventCallback(int32_t code, DUI_EventCallback callback, void* user);
    // Queues an event (coalescing with the newest record of the same code)
    // and posts or delivers it through the scene. No scene: nothing happens.
    int FireEvent(int32_t code, int32_t a1 = 0, int32_t a2 = 0, int32_t a3 = 0, int32_t a4 = 0,
                  void* pointer = nullptr);
    // Called by the scene for a posted record: drops it and everything older
    // from the queue, then runs OnEvent or the callback. Returns 0 for a
    // record that is no longer queued (already dropped or coalesced away).
    int DeliverEvent(CDUI_EventRecord* record);
    size_t PendingEventCount();

    // Raw message hooks and paint hooks around this control.
    void SetMessageHooks(DUI_MessageHook pre, void* preUser, DUI_MessageHook post, void* postUser);
    void SetPaintHooks(DUI_PaintHook pre, void* preUser, DUI_PaintHook post, void* postUser);

    int SetInputFlag(int flag);
    int GetInputFlag();
    DUI_Rect GetSourceRect();
    void SetSourceRect(const DUI_Rect& rect);
    CDUI_UIResource* GetResource() { return resource_; }
    DUI_Rect GetClipRect() { return clip_; }

    // The whole per-control paint pass: hooks, pre-paint, animation steps,
    // clip, background, kind, hover frame, border, children, focus marker.
    void PaintControl(Gdiplus::Graphics* graphics, const DUI_Rect& dirty);
    // One step of running animations (one frame period).
    void StepAnimations();

    // Input dispatch of one host message to this control (1 = handled).
    int DispatchControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Sets every control below this one (recursively) to the normal state.
    void ResetChildStates(CDUI_UIControl* except);
    void ClearChildFocus(CDUI_UIControl* except);
    CDUI_UIControl* GetFocusedChild() { return focusedChild_; }
    void SetFocusedChild(CDUI_UIControl* child) { focusedChild_ = child; }
    int IsDragging() { return drag_.dragging; }
    // Set by the scene for a modal control or pop-up: its parent's pass skips
    // it, the scene paints it above the tree.
    void SetAboveTree(int flag) { aboveTree_ = flag ? 1 : 0; }
    int GetAboveTree() const { return aboveTree_; }
    int IsAnimating() { return anim_.running; }
    int IsFading() { return fade_.running; }

protected:
    // First step of every kind's destructor: leaves the parent under the lock
    // while the whole object is still intact. Idempotent.
    void LeaveTreeBeforeDestruction();
    // Runs PaintChildren with the frame's dirty rectangle kept in paintDirty_.
    void PaintChildrenInDirty(Gdiplus::Graphics* graphics, const DUI_Rect& dirty);
    // Removes record and every older one from the queue (copying record out
    // first); 0 when record is not queued.
    int DropEventsThrough(CDUI_EventRecord* record, CDUI_EventRecord* copy = nullptr);
    // Drag steps, run by the dispatcher (press, move with the button held, release).
    void DragPrepare(int32_t x, int32_t y);
    void DragMove(int32_t x, int32_t y);
    void DragEnd();
    // Dispatch of mouse and key messages (steps of DispatchMessage).
    int DispatchMouse(UINT message, WPARAM wParam, LPARAM lParam);
    int DispatchKey(UINT message, WPARAM wParam, LPARAM lParam);
    int MoveTabFocus();  // 1 when the focus moved
    void RemoveFocusIfSet();

    struct CallbackEntry {
        DUI_EventCallback callback = nullptr;
        void* user = nullptr;
    };

    std::wstring text_;
    CDUI_UIResource* resource_ = nullptr;    // borrowed
    CDUI_UIControlStyle* style_ = nullptr;   // borrowed, owned by the resource
    CDUI_FontType* font_ = nullptr;          // borrowed, owned by the resource
    CDUI_UIControl* parent_ = nullptr;       // borrowed; the parent owns this control
    int32_t layer_ = 0;
    int32_t id_ = 0;
    int hitEnable_ = 1;
    int visible_ = 1;
    int enabled_ = 1;
    HCURSOR cursor_ = nullptr;
    DUI_Rect absolute_;                 // scene coordinates, computed
    int32_t x_ = 0, y_ = 0;             // relative to the parent's content origin
    int32_t width_ = 0, height_ = 0;
    int32_t state_ = DUI_STATE_NORMAL;
    int textPlacement_ = 0;
    int checked_ = 0;
    int trimming_ = 0;
    uint32_t alignment_ = 17;
    uint32_t formatFlags_ = 0;
    uint32_t textColor_ = 0xFF000000;
    int fadeEnable_ = 1;
    uint8_t opacity_ = 255;
    int transparent_ = 0;
    uint32_t backColor_ = 0xFF6496C8;
    int border_ = 1;
    uint32_t outerBorderColor_ = 0xFF000000;
    uint32_t innerBorderColor_ = 0xFF808080;
    int focus_ = 0;
    int focusable_ = 1;
    int focusMarker_ = 0;
    int shown_ = 1;
    int tabStop_ = 0;
    int input_ = 0;
    DUI_Rect source_;                   // skin-image rectangle shown now
    int dragEnable_ = 0;
    int dragConfine_ = 0;
    int dragNoRestore_ = 0;
    struct DragState {
        int prepared = 0;       // press inside seen
        int dragging = 0;       // first move done
        int32_t startX = 0, startY = 0;
        int32_t startLayer = 0;
        int32_t pressX = 0, pressY = 0;
        int32_t grabX = 0, grabY = 0;  // gx, gy of the drag events
        int32_t lastX = 0, lastY = 0;
    } drag_;
    DUI_Rect clip_;
    DUI_Rect paintDirty_;               // dirty rectangle of the frame being painted
    int32_t hintValue_ = 0;
    std::wstring hintText_;
    int hoverFrame_ = 0;
    int32_t shadowOffset_ = -31;
    uint32_t shadowColor1_ = 0xFF000000;
    uint32_t shadowColor2_ = 0xFF000000;
    CPtrQueuesCtrl events_;             // owned CDUI_EventRecord*
    CallbackEntry callbacks_[kDuiCommonEventCount + 1];
    struct MoveAnimation {
        int running = 0;
        DUI_Rect start, target;
        double total = 0, travelled = 0, speed = 0;  // pixels, pixels per ms
        double dirX = 0, dirY = 0;
    } anim_;
    struct Fade {
        int running = 0;
        uint8_t target = 0, step = 0;
    } fade_;
    DUI_MessageHook preHook_ = nullptr, postHook_ = nullptr;
    void* preHookUser_ = nullptr;
    void* postHookUser_ = nullptr;
    DUI_PaintHook prePaintHook_ = nullptr, postPaintHook_ = nullptr;
    void* prePaintUser_ = nullptr;
    void* postPaintUser_ = nullptr;
    int32_t kindProperty1_ = 0, kindProperty2_ = 0;
    CDUI_UIControl* focusedChild_ = nullptr;  // borrowed; collections record their focused child
    int pressInside_[3] = {0, 0, 0};          // left, right, middle press began inside
    int pressConsumed_ = 0;                   // last press taken by a control without the input flag
    int aboveTree_ = 0;                       // painted by the scene above the tree
};

// The point of a mouse message in scene (host client) coordinates:
// WM_MOUSEWHEEL carries screen coordinates, the others client ones.
void DUI_MessagePoint(CDUI_UIControl* control, UINT message, LPARAM lParam, int32_t* x, int32_t* y);

// True while control has been constructed and not yet destroyed; used to
// refuse posted events whose control is gone.
bool DUI_IsLiveControl(const CDUI_UIControl* control);
