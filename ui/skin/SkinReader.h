#pragma once
// Reads a skin description (the gb2312 XML bytes) into style records, the
// parameter map and the description fields. No window or drawing work here:
// the skin resource builds fonts and images from the result.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/DUI_Styles.h"

struct DUI_SkinDocument {
    std::wstring skinName;
    std::wstring skinEdition;
    std::wstring skinAuthor;
    int imageFromFile = 0;         // 1: imageFile names a file; 0: imageResourceId
    std::wstring imageFile;
    uint32_t imageResourceId = 0;
    std::map<std::wstring, std::wstring> params;                // SkinParam
    std::vector<std::unique_ptr<CDUI_UIControlStyle>> styles;  // catalogue, in reading order
};

// Steps in order: root "SkinInfo", SkinDesc, SkinFont, SkinParam, SkinCtrl.
// Stops at the first failing step; records read before it stay in *doc.
// Returns 1 when every step succeeded. bytes need not be terminated.
int ReadSkinDescription(const char* bytes, size_t size, DUI_SkinDocument* doc);

// Names are stored cut to kDuiStyleNameMax characters.
std::wstring ClampStyleName(std::wstring name);
