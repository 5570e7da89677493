#include "LightThemeListModel.h"

#include <cwchar>

#include "LightThemeMath.h"

void CLightThemeListModel::Assign(LightThemeList themes) {
    entries_.clear();
    for (auto& theme : themes)
        if (theme) Append(std::move(theme));
}

int32_t CLightThemeListModel::Append(std::unique_ptr<LightThemeRecord> theme) {
    const int32_t id = NextItemId();
    entries_.push_back({std::move(theme), id});
    return id;
}

int CLightThemeListModel::Remove(int32_t recordNumber) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (it->theme->recordNumber == recordNumber) {
            entries_.erase(it);
            return 1;
        }
    return 0;
}

LightThemeRecord* CLightThemeListModel::ThemeOfItem(int32_t itemId) const {
    for (const auto& e : entries_)
        if (e.itemId == itemId) return e.theme.get();
    return nullptr;
}

LightThemeRecord* CLightThemeListModel::ThemeOfRecord(int32_t recordNumber) const {
    for (const auto& e : entries_)
        if (e.theme->recordNumber == recordNumber) return e.theme.get();
    return nullptr;
}

int32_t CLightThemeListModel::ItemOfRecord(int32_t recordNumber) const {
    for (const auto& e : entries_)
        if (e.theme->recordNumber == recordNumber) return e.itemId;
    return 0;
}

int CLightThemeListModel::UserThemeCount() const {
    int n = 0;
    for (const auto& e : entries_)
        if (!e.theme->preset) ++n;
    return n;
}

LightThemeRecord* CLightThemeListModel::LastUserTheme() const {
    LightThemeRecord* last = nullptr;
    for (const auto& e : entries_)
        if (!e.theme->preset) last = e.theme.get();
    return last;
}

LightThemeRecord* CLightThemeListModel::DefaultTheme() const {
    LightThemeRecord* found = nullptr;
    for (const auto& e : entries_)
        if (e.theme->preset && std::wcscmp(e.theme->name, kLightDefaultThemeName) == 0) found = e.theme.get();
    return found;
}

std::unique_ptr<LightThemeRecord> CLightThemeListModel::NewUserTheme() {
    auto theme = std::make_unique<LightThemeRecord>();
    LightSetThemeName(theme.get(), L"我的新主题");
    theme->status = 1;
    theme->color = 0x00FF0000;
    theme->interval = 5000;
    theme->brightness = 100;
    theme->mode = 1;
    theme->preset = 0;
    return theme;
}
