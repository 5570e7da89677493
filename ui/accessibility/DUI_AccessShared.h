#pragma once
// What the objects handed to assistive tools share with their host: the
// scene (gone once the host is), the window, the focus, and the queue of
// actions for the window's thread. Internal to ui/accessibility.
#include <windows.h>
#include <oleacc.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "accessibility/DUI_AccessModel.h"

class CDUI_UIScene;
class CDUI_KeyboardFocus;

struct DUI_AccessAction {
    enum Kind { kPress, kFocus, kSetValue, kSetRange, kExpand, kCollapse } kind = kPress;
    CDUI_UIControl* control = nullptr;
    int32_t item = -1;
    std::wstring text;
    double number = 0;
};

struct DUI_AccessShared {
    std::mutex lock;                      // guards scene and ids
    CDUI_UIScene* scene = nullptr;        // null once the host is gone
    HWND host = nullptr;
    CDUI_KeyboardFocus* focus = nullptr;  // read on the window's thread only
    UINT actionMessage = 0;
    // Stable ids of nodes for events (MSAA child ids are their negatives).
    std::map<std::pair<const CDUI_UIControl*, int32_t>, LONG> ids;
    LONG nextId = 1;

    // The live tree, or an empty one when the host is gone.
    DUI_AccessTree Snapshot();
    LONG IdOf(const CDUI_UIControl* control, int32_t item);
    // The identity of an id handed out before; false when unknown.
    bool FromId(LONG id, const CDUI_UIControl** control, int32_t* item);
    // A node's rectangle on the screen, in pixels.
    RECT ScreenRect(const DUI_Rect& sceneRect);
    // Runs action on the window's thread later; 0 when the host is gone.
    int Post(DUI_AccessAction action);
};

// The MSAA object of one node (the root: the scene, for OBJID_CLIENT).
IAccessible* DUI_NewAccessible(const std::shared_ptr<DUI_AccessShared>& shared, CDUI_UIControl* control,
                               int32_t item);
