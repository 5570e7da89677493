#include "core/DUI_ControlBuilders.h"

#include <map>
#include <mutex>

namespace {
std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}
std::map<std::wstring, DUI_ControlBuilder>& Builders() {
    static std::map<std::wstring, DUI_ControlBuilder> builders;
    return builders;
}
}  // namespace

int DUI_RegisterControlBuilder(const std::wstring& kind, DUI_ControlBuilder builder) {
    std::lock_guard<std::mutex> guard(Lock());
    Builders()[kind] = builder;
    return 1;
}

CDUI_UIControl* DUI_BuildControl(CDUI_UIResource* resource, const std::wstring& kind, const std::wstring& style,
                                 int32_t id, const std::wstring& text, int32_t x, int32_t y, int32_t width,
                                 int32_t height) {
    DUI_ControlBuilder builder = nullptr;
    {
        std::lock_guard<std::mutex> guard(Lock());
        auto it = Builders().find(kind);
        if (it != Builders().end()) builder = it->second;
    }
    return (builder && resource && !style.empty()) ? builder(resource, style, id, text, x, y, width, height)
                                                   : nullptr;
}
