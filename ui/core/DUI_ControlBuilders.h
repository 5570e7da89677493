#pragma once
// Kind builders by kind name, for controls that build other kinds (a window
// builds its caption buttons, icon and title label) without linking them.
// A kind registers itself from its own source file, so it is available
// whenever the program links that kind:
//   static const int registered = DUI_RegisterControlBuilder(L"Button", &BuildButton);
#include <cstdint>
#include <string>

class CDUI_UIControl;
class CDUI_UIResource;

// Builds an unattached control of the style (nullptr when the style is missing).
using DUI_ControlBuilder = CDUI_UIControl* (*)(CDUI_UIResource* resource, const std::wstring& style, int32_t id,
                                                const std::wstring& text, int32_t x, int32_t y, int32_t width,
                                                int32_t height);

// Returns 1 (so it can initialise a static); a second builder for a kind replaces the first.
int DUI_RegisterControlBuilder(const std::wstring& kind, DUI_ControlBuilder builder);
// nullptr when no builder is registered for kind or the builder fails.
CDUI_UIControl* DUI_BuildControl(CDUI_UIResource* resource, const std::wstring& kind, const std::wstring& style,
                                 int32_t id, const std::wstring& text, int32_t x, int32_t y, int32_t width,
                                 int32_t height);
