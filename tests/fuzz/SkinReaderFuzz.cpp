// The skin description reader on any bytes: it must never crash, and what it
// keeps must be well formed.
#include "FuzzCommon.h"
#include "skin/SkinReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DUI_SkinDocument doc;
    ReadSkinDescription(reinterpret_cast<const char*>(data), size, &doc);
    for (const auto& style : doc.styles) fuzz::Require(style != nullptr, "no empty records");
    return 0;
}
