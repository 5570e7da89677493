#include "controls/DUI_KindCommon.h"

#include <map>
#include <memory>
#include <mutex>

#include "core/DUI_UIControl.h"
#include "graphics/GDIPlugCtrl.h"
#include "skin/DUI_UIResource.h"

namespace {

// The decoded skin image of each resource, made on first use (GDI+ runs by
// then). A resource is known by its address; the bytes' address, size and a
// short fingerprint tell a new resource at an old address apart.
struct SkinImageEntry {
    const char* data = nullptr;
    size_t size = 0;
    unsigned fingerprint = 0;
    std::unique_ptr<CGDIPlug_ImageCtrl> image;
};

std::mutex g_skinLock;
// Never destroyed: at process exit GDI+ may already be shut down, and an
// image must not be disposed after that. DUI_ForgetSkinImage frees entries.
std::map<const CDUI_UIResource*, SkinImageEntry>& SkinImages() {
    static auto* images = new std::map<const CDUI_UIResource*, SkinImageEntry>;
    return *images;
}

unsigned Fingerprint(const std::vector<char>& bytes) {
    unsigned h = 2166136261u;
    const size_t n = bytes.size();
    for (size_t i = 0; i < n && i < 256; ++i) h = (h ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
    for (size_t i = n > 256 ? n - 256 : 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(bytes[i])) * 16777619u;
    return h;
}

// Called with g_skinLock held.
CGDIPlug_ImageCtrl* SkinImageOf(CDUI_UIResource* resource) {
    if (!resource) return nullptr;
    const std::vector<char>& bytes = resource->GetSkinImageBytes();
    if (bytes.empty()) return nullptr;
    SkinImageEntry& entry = SkinImages()[resource];
    const unsigned print = Fingerprint(bytes);
    if (!entry.image || entry.data != bytes.data() || entry.size != bytes.size() || entry.fingerprint != print) {
        entry.data = bytes.data();
        entry.size = bytes.size();
        entry.fingerprint = print;
        entry.image = std::make_unique<CGDIPlug_ImageCtrl>();
        if (!entry.image->LoadFromMemory(bytes.data(), bytes.size())) entry.image.reset();
    }
    return entry.image.get();
}

}  // namespace

int DUI_DrawSkinPiece(CDUI_UIControl* control, Gdiplus::Graphics* graphics, const DUI_Rect& dest,
                      const DUI_SkinRect& source, int stretch) {
    if (!control || !graphics || source.width == 0 || source.height == 0 || dest.IsEmpty()) return 0;
    const uint8_t alpha = control->GetFadeEnable() ? control->GetOpacity() : 255;
    return DUI_DrawSkinRect(control->GetResource(), graphics, dest, source, stretch, alpha);
}

int DUI_DrawSkinRect(CDUI_UIResource* resource, Gdiplus::Graphics* graphics, const DUI_Rect& dest,
                     const DUI_SkinRect& source, int stretch, uint8_t alpha) {
    std::lock_guard<std::mutex> guard(g_skinLock);
    CGDIPlug_ImageCtrl* image = SkinImageOf(resource);
    if (!image) return 0;
    image->SetAlpha(1, alpha);
    return image->DrawSkinRect(graphics, DUIRect{dest.x, dest.y, dest.width, dest.height},
                               DUIRect{source.x, source.y, source.width, source.height}, stretch);
}

void DUI_SkinImageSize(CDUI_UIResource* resource, int32_t* width, int32_t* height) {
    std::lock_guard<std::mutex> guard(g_skinLock);
    int w = 0, h = 0;
    if (CGDIPlug_ImageCtrl* image = SkinImageOf(resource)) image->GetSize(&w, &h);
    if (width) *width = w;
    if (height) *height = h;
}

void DUI_ForgetSkinImage(CDUI_UIResource* resource) {
    std::lock_guard<std::mutex> guard(g_skinLock);
    SkinImages().erase(resource);
}
