#include "core/DUI_ParamLock.h"

#include <windows.h>

#include "SystemMessage.h"
#include "core/DUI_UIControl.h"
#include "scene/DUI_UIScene.h"

CDUI_ParamLock::CDUI_ParamLock(CDUI_UIControl* control) {
    CDUI_UIScene* scene = control ? control->GetScene() : nullptr;
    if (!scene) {
        ok_ = 1;  // not in a scene: nothing else can reach it
        return;
    }
    HANDLE mutex = scene->GetParamMutex();
    if (!mutex) return;
    DWORD wait = WaitForSingleObject(mutex, INFINITE);
    // An abandoned mutex is still owned by this thread now.
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        held_ = mutex;
        ok_ = 1;
        return;
    }
    ShowSystemMessage(kDuiParamLockFailedText, L"信息");
}

CDUI_ParamLock::~CDUI_ParamLock() {
    if (held_) ReleaseMutex(static_cast<HANDLE>(held_));
}
