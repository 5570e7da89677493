#pragma once
// UI Automation: a provider per node (fragment root on the scene), reached
// through uiautomationcore.dll, loaded at run time, so the program starts
// where it is missing. Internal to ui/accessibility.
#include <windows.h>

#include <cstdint>
#include <memory>

class CDUI_UIControl;
struct DUI_AccessShared;

enum class DUI_UiaEvent { kFocus, kDialogOpened };

// Answers WM_GETOBJECT for UiaRootObjectId; 0 when UI Automation is not there.
int DUI_UiaAnswer(const std::shared_ptr<DUI_AccessShared>& shared, WPARAM wParam, LPARAM lParam, LRESULT* result);
// Raises event on the node's provider when a UI Automation client listens.
void DUI_UiaRaise(const std::shared_ptr<DUI_AccessShared>& shared, CDUI_UIControl* control, int32_t item,
                  DUI_UiaEvent event);
// The window's providers are gone (the host is destroyed).
void DUI_UiaDisconnect(HWND host);
