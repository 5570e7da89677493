#pragma once
// The factory step most kinds share: the control built from its style record,
// placed, sized and given its text, all under the resource mutex.
#include <cstdint>
#include <string>

#include "skin/DUI_UIResource.h"

template <typename Kind, typename Style, typename Finish>
Kind* DUI_BuildPlaced(CDUI_UIResource* resource, const wchar_t* kind, const std::wstring& style, int32_t id,
                      const std::wstring& text, int32_t x, int32_t y, int32_t width, int32_t height,
                      Finish finish) {
    return static_cast<Kind*>(resource->BuildFromStyle(kind, style, [&](CDUI_UIControlStyle* record) {
        auto* control = new Kind(resource, static_cast<Style*>(record), id);
        control->SetPosition(x, y);
        control->SetSize(width, height);
        control->SetText(text);  // last: a text edit scrolls by its width
        finish(control);
        return static_cast<CDUI_UIControl*>(control);
    }));
}

template <typename Kind, typename Style>
Kind* DUI_BuildPlaced(CDUI_UIResource* resource, const wchar_t* kind, const std::wstring& style, int32_t id,
                      const std::wstring& text, int32_t x, int32_t y, int32_t width, int32_t height) {
    return DUI_BuildPlaced<Kind, Style>(resource, kind, style, id, text, x, y, width, height, [](Kind*) {});
}
