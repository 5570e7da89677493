#pragma once
// A framed window inside the scene: frame art from its style, icon, title
// and caption buttons, moving by the title bar, resizing by the right and
// bottom edges, and Show/Hide with a veto and after callbacks.
#include "core/DUI_UICollection.h"

class CDUI_Window_Style;

class CDUI_Window;
// Returns 1 to let Show (showing 1) or Hide (showing 0) go on.
using DUI_WindowVetoCallback = int (*)(CDUI_Window* window, int showing, void* user);
// After Show: the value given to Show. After Hide: 1 when closed by the close button.
using DUI_WindowCallback = void (*)(CDUI_Window* window, int value, void* user);
// Moved (event 101): the new position.
using DUI_WindowMovedCallback = void (*)(CDUI_Window* window, int32_t x, int32_t y, void* user);

struct DUI_WindowConfig {
    int movable = 1;
    int moveByBody = 0;
    int confine = 0;
    int resizable = 1;
    HCURSOR cursorVertical = nullptr;    // IDC_SIZENS
    HCURSOR cursorHorizontal = nullptr;  // IDC_SIZEWE
    HCURSOR cursorBoth = nullptr;        // IDC_SIZENWSE
    HCURSOR cursorFrame = nullptr;       // IDC_ARROW
    int showTitle = 1;
    int showIcon = 1;
    int showClose = 1;
    int showMax = 1;
    int showMin = 1;
    int32_t titleExtraHeight = 0;
    int frameMode = 3;  // 2: title row only; 3: full frame with sizing
};

// Kind event of a window.
constexpr int32_t kDuiWindowMovedEvent = 101;

class CDUI_Window : public CDUI_UICollection {
public:
    // Frame pieces, in style order.
    enum Piece { LeftUp, MiddleUp, RightUp, LeftDown, MiddleDown, RightDown, LeftBorder, RightBorder, PieceCount };

    CDUI_Window(CDUI_UIResource* resource, CDUI_Window_Style* style, int32_t id);
    ~CDUI_Window() override;

    void ReleaseResources() override;
    CDUI_Window* GetWindow() override { return this; }
    // The frame art and the client fill are the window's background.
    void PaintBackground(Gdiplus::Graphics*) override {}
    void Paint(Gdiplus::Graphics* graphics) override;
    void PaintChildren(Gdiplus::Graphics* graphics) override;
    void OnLayout() override;
    int OnEvent(const CDUI_EventRecord& event) override;
    int OnLButtonDown(int32_t x, int32_t y, WPARAM keys) override;
    int OnLButtonUp(int32_t x, int32_t y, WPARAM keys) override;
    int OnMouseMove(int32_t x, int32_t y, WPARAM keys) override;
    void OnTextChanged() override;
    void OnColorChanged() override;

    // Builds the caption children named by the style (kinds that are linked).
    void CreateCaptionControls();

    int Show(int value);
    int Hide();
    // What the close button does: Hide, passing 1 to both callbacks.
    int CloseByButton();

    void SetMovable(int flag);
    void SetMoveByBody(int flag);
    void SetConfine(int flag);
    void SetResizable(int flag);
    void SetShowTitle(int flag);
    void SetShowIcon(int flag);
    void SetShowClose(int flag);
    void SetShowMax(int flag);
    void SetShowMin(int flag);
    void SetTitleExtraHeight(int32_t height);
    void SetFrameMode(int mode);
    void SetResizeCursors(HCURSOR vertical, HCURSOR horizontal, HCURSOR both);
    DUI_WindowConfig GetConfig();

    void SetVetoCallback(DUI_WindowVetoCallback callback, void* user);
    void SetAfterShowCallback(DUI_WindowCallback callback, void* user);
    void SetAfterHideCallback(DUI_WindowCallback callback, void* user);
    void SetMovedCallback(DUI_WindowMovedCallback callback, void* user);
    int GetShowValue() { return showValue_; }

    DUI_Rect GetPieceRect(Piece piece) { return pieces_[piece]; }
    DUI_Rect GetClientRect() { return client_; }
    DUI_Rect GetTitleBarRect() { return titleBar_; }
    int IsMoving() { return moving_; }
    int IsResizing() { return resizing_; }
    CDUI_UIControl* GetCloseButton() { return closeButton_; }
    CDUI_UIControl* GetTitleLabel() { return titleLabel_; }

private:
    CDUI_Window_Style* WindowStyle();
    void ApplyCaptionVisibility();
    static void OnCloseClicked(CDUI_UIControl* control, const CDUI_EventRecord* event, void* user);

    DUI_WindowConfig config_;
    DUI_Rect pieces_[PieceCount];
    DUI_Rect client_, titleBar_;
    // Caption children: owned through the child list.
    CDUI_UIControl* icon_ = nullptr;
    CDUI_UIControl* maxButton_ = nullptr;
    CDUI_UIControl* minButton_ = nullptr;
    CDUI_UIControl* resetButton_ = nullptr;
    CDUI_UIControl* closeButton_ = nullptr;
    CDUI_UIControl* titleLabel_ = nullptr;
    int moving_ = 0;
    int resizing_ = 0;
    int resizeMode_ = 0;  // 1 horizontal, 2 vertical, 3 both
    int32_t lastX_ = 0, lastY_ = 0;
    DUI_WindowVetoCallback veto_ = nullptr;
    void* vetoUser_ = nullptr;
    DUI_WindowCallback afterShow_ = nullptr;
    void* afterShowUser_ = nullptr;
    DUI_WindowCallback afterHide_ = nullptr;
    void* afterHideUser_ = nullptr;
    DUI_WindowMovedCallback moved_ = nullptr;
    void* movedUser_ = nullptr;
    int showValue_ = 0;
};
