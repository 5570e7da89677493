#include "accessibility/DUI_AccessUia.h"

#include "accessibility/DUI_AccessShared.h"

int DUI_UiaAnswer(const std::shared_ptr<DUI_AccessShared>&, WPARAM, LPARAM, LRESULT*) { return 0; }

void DUI_UiaRaise(const std::shared_ptr<DUI_AccessShared>&, CDUI_UIControl*, int32_t, DUI_UiaEvent) {}
