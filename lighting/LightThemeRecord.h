#pragma once
// One light theme as the lighting page edits it: a record of the light table
// (LightSetConfig.ini), section RID_<recordNumber>.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct LightThemeRecord {
    static constexpr size_t kNameWidth = 200;  // at most 199 characters

    int32_t recordNumber = 0;
    wchar_t name[kNameWidth] = {};
    int32_t status = 0;       // 1 = light on
    uint32_t color = 0;       // 0xAARRGGBB; the page stores alpha 0
    int32_t interval = 0;     // milliseconds: 5000, 10000, 30000 or 60000
    int32_t brightness = 0;   // 0 to 100
    int32_t mode = 0;         // 1 steady, 2 breathing, 3 gradient, 4 gradient breathing
    int32_t preset = 0;       // 1 = shipped (recommended) theme
    void* listItem = nullptr; // the lighting page's list item; never stored
};

// A load's result: the list owns its records, and their addresses stay put
// while the list lives (list items keep pointers to them).
using LightThemeList = std::vector<std::unique_ptr<LightThemeRecord>>;
