#pragma once
// The lighting page's themes behind its theme list, without the UI: which
// list item shows which theme, the two groups and the "＋" item.
//
// Item ids are handed out by the model and never equal a record number's
// meaning: the groups and "＋" keep their fixed ids, every theme item gets a
// fresh id above them, so a record numbered 1000, 2000 or 3000 is still just
// a theme. Themes are found by item id or record number, never through a
// pointer kept across a reload.
#include <cstdint>
#include <memory>
#include <vector>

#include "LightThemeRecord.h"

constexpr int32_t kLightGroupRecommendedId = 1000;  // "推荐主题"
constexpr int32_t kLightGroupMineId = 2000;         // "我的主题"
constexpr int32_t kLightAddItemId = 3000;           // "＋"
constexpr int kLightMaxUserThemes = 5;
// Name of the default (brand) theme among the presets.
inline constexpr wchar_t kLightDefaultThemeName[] = L"Orvane";

class CLightThemeListModel {
public:
    struct Entry {
        std::unique_ptr<LightThemeRecord> theme;
        int32_t itemId = 0;
    };

    // Replaces every theme by the loaded ones (file order kept) and gives
    // each a new item id.
    void Assign(LightThemeList themes);
    void Clear() { entries_.clear(); }

    // Adds one theme at the end; returns its item id.
    int32_t Append(std::unique_ptr<LightThemeRecord> theme);
    // Drops the theme of that record number; 0 when it is not there.
    int Remove(int32_t recordNumber);

    // nullptr for the groups, "＋" and unknown ids.
    LightThemeRecord* ThemeOfItem(int32_t itemId) const;
    LightThemeRecord* ThemeOfRecord(int32_t recordNumber) const;
    // 0 when no theme has that record number.
    int32_t ItemOfRecord(int32_t recordNumber) const;

    int UserThemeCount() const;
    // The last user theme in list order, or nullptr.
    LightThemeRecord* LastUserTheme() const;
    // The last preset named "Orvane", or nullptr.
    LightThemeRecord* DefaultTheme() const;
    // Another user theme may be added (fewer than five exist).
    bool CanAddUserTheme() const { return UserThemeCount() < kLightMaxUserThemes; }

    const std::vector<Entry>& Entries() const { return entries_; }

    // The theme a new "＋" click creates: "我的新主题", on, red, 5000 ms,
    // brightness 100, steady, not preset (record number 0 until added).
    static std::unique_ptr<LightThemeRecord> NewUserTheme();

private:
    int32_t NextItemId() { return nextItemId_++; }
    std::vector<Entry> entries_;
    int32_t nextItemId_ = kLightAddItemId + 1;
};
