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
    if (!scene->GetParamMutex()) return;
    if (scene->EnterParamLock()) {
        held_ = scene;
        ok_ = 1;
        return;
    }
    ShowSystemMessage(kDuiParamLockFailedText, L"信息");
}

CDUI_ParamLock::~CDUI_ParamLock() {
    if (held_) held_->LeaveParamLock();
}
