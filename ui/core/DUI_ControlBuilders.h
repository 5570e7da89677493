#pragma once
// Kind builders by kind name, for controls that build other kinds (a window
// builds its caption buttons, icon and title label) without linking them.
// Nothing registers itself: a program calls DUI_RegisterStandardControls()
// (controls/DUI_StandardControls.h) once at start-up, before it builds its
// first window or message box; without that a window gets no caption
// buttons, icon or title. A program may register its own builder for a kind
// afterwards, which replaces the standard one.
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
