#include "skin/DUI_UIResource.h"

#include <cstring>

#include "ClipBoardCtrl.h"
#include "MemoryStages.h"
#include "PathUtil.h"
#include "core/DUI_FontType.h"
#include "core/DUI_RectConv.h"
#include "graphics/GDIPlugCtrl.h"
#include "scene/DUIDevManage.h"
#include "skin/SkinReader.h"

class CDUI_UIResource::Guard {
public:
    explicit Guard(HANDLE mutex) : mutex_(mutex) {
        ok_ = mutex_ && WaitForSingleObject(mutex_, INFINITE) != WAIT_FAILED;
    }
    ~Guard() {
        if (ok_) ReleaseMutex(mutex_);
    }
    bool Ok() const { return ok_; }

private:
    HANDLE mutex_;
    bool ok_ = false;
};

namespace {

struct ResourceSearch {
    UINT id = 0;
    bool found = false;
    std::wstring typeName;  // string type
    LPCWSTR typeId = nullptr;  // integer type
};

BOOL CALLBACK OnResourceName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto* search = reinterpret_cast<ResourceSearch*>(param);
    if (IS_INTRESOURCE(name) && LOWORD(reinterpret_cast<ULONG_PTR>(name)) == search->id) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK OnResourceType(HMODULE module, LPWSTR type, LONG_PTR param) {
    auto* search = reinterpret_cast<ResourceSearch*>(param);
    EnumResourceNamesW(module, type, OnResourceName, param);
    if (!search->found) return TRUE;
    if (IS_INTRESOURCE(type)) search->typeId = type;
    else search->typeName = type;
    return FALSE;
}

std::vector<char> ReadWholeFile(const std::wstring& path) {
    std::vector<char> bytes;
    win::CUniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return bytes;
    LARGE_INTEGER size{};
    // A description or skin image above 256 MB is not a skin.
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < (256LL << 20)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
            bytes.clear();
    }
    return bytes;
}

}  // namespace

std::vector<char> DUI_LoadResourceById(HINSTANCE module, UINT id) {
    std::vector<char> bytes;
    ResourceSearch search;
    search.id = id;
    EnumResourceTypesW(module, OnResourceType, reinterpret_cast<LONG_PTR>(&search));
    if (!search.found) return bytes;
    LPCWSTR type = search.typeId ? search.typeId : search.typeName.c_str();
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!info) return bytes;
    DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) return bytes;
    bytes.assign(static_cast<const char*>(data), static_cast<const char*>(data) + size);
    return bytes;
}

CDUI_UIResource::CDUI_UIResource() = default;

CDUI_UIResource::~CDUI_UIResource() { Destroy(); }

int CDUI_UIResource::SetUp(CDUIDevManage* owner) {
    Destroy();
    owner_ = owner;
    if (owner_) owner_->SetResource(this);
    mutex_.Reset(CreateMutexW(nullptr, FALSE, nullptr));
    return mutex_ ? 1 : 0;
}

int CDUI_UIResource::Create(CDUIDevManage* owner, HINSTANCE module, UINT descriptionId) {
    if (!SetUp(owner)) return 0;
    module_ = module;
    descriptionId_ = descriptionId;
    fromFile_ = 0;
    std::vector<char> bytes = DUI_LoadResourceById(module, descriptionId);
    // The parser gets a private copy with a zero tail.
    bytes.resize(bytes.size() + 10, 0);
    Load(bytes.data(), bytes.size() - 10, std::wstring());
    ready_ = 1;
    return 1;
}

int CDUI_UIResource::CreateFromFile(CDUIDevManage* owner, const std::wstring& path) {
    if (!SetUp(owner)) return 0;
    module_ = GetModuleHandleW(nullptr);
    descriptionPath_ = path;
    fromFile_ = 1;
    std::vector<char> bytes = ReadWholeFile(path);
    bytes.resize(bytes.size() + 10, 0);
    Load(bytes.data(), bytes.size() - 10, FolderOfPath(path));
    ready_ = 1;
    return 1;
}

void CDUI_UIResource::Load(const char* bytes, size_t size, const std::wstring& descriptionFolder) {
    DUI_SkinDocument doc;
    complete_ = ReadSkinDescription(bytes, size, &doc);
    skinName_ = doc.skinName;
    skinEdition_ = doc.skinEdition;
    skinAuthor_ = doc.skinAuthor;
    imageFromFile_ = doc.imageFromFile;
    imageFile_ = doc.imageFile;
    imageResourceId_ = doc.imageResourceId;
    params_ = std::move(doc.params);
    styles_ = std::move(doc.styles);
    MemoryStage(L"skin description");
    for (auto& record : styles_) {
        if (record->kindName != L"FontType") continue;
        fonts_.push_back(std::make_unique<CDUI_FontType>(this, static_cast<CDUI_FontType_Style*>(record.get())));
    }
    MemoryStage(L"fonts");
    LoadSkinImage(descriptionFolder);
    MakeDrawingObjects();
    MemoryStage(L"skin sheet");
    clipboard_ = std::make_unique<CClipBoardCtrl>();
}

void CDUI_UIResource::LoadSkinImage(const std::wstring& descriptionFolder) {
    skinImageBytes_.clear();
    if (imageFromFile_) {
        if (imageFile_.empty()) return;
        bool absolute = imageFile_.size() > 1 && (imageFile_[1] == L':' || imageFile_[0] == L'\\');
        skinImageBytes_ = ReadWholeFile(absolute ? imageFile_ : descriptionFolder + imageFile_);
    }
    // A resource image is not copied: the image object reads it in place.
}

void CDUI_UIResource::Destroy() {
    ready_ = 0;
    fonts_.clear();
    styles_.clear();
    params_.clear();
    skinImageBytes_.clear();
    skinImage_.reset();
    brush_.reset();
    pen_.reset();
    imageLoaded_ = 0;
    clipboard_.reset();
    mutex_.Reset();
    complete_ = 0;
}

CDUI_UIControlStyle* CDUI_UIResource::FindStyle(const std::wstring& kind, const std::wstring& style) {
    Guard guard(mutex_.Get());
    if (!guard.Ok()) return nullptr;
    for (auto& record : styles_)
        if (record->styleName == style && record->kindName == kind) return record.get();
    return nullptr;
}

CDUI_FontType* CDUI_UIResource::FindFont(const std::wstring& name) {
    Guard guard(mutex_.Get());
    if (!guard.Ok()) return nullptr;
    for (auto& font : fonts_)
        if (font->GetStyleName() == name) return font.get();
    return nullptr;
}

int CDUI_UIResource::GetParam(const std::wstring& name, std::wstring* value) {
    Guard guard(mutex_.Get());
    if (!guard.Ok()) return 0;
    auto it = params_.find(name);
    if (it == params_.end()) return 0;
    if (value) *value = it->second;
    return 1;
}

size_t CDUI_UIResource::GetStyleCount() {
    Guard guard(mutex_.Get());
    return guard.Ok() ? styles_.size() : 0;
}

CDUI_UIControl* CDUI_UIResource::BuildFromStyle(const std::wstring& kind, const std::wstring& style,
                                                const std::function<CDUI_UIControl*(CDUI_UIControlStyle*)>& build) {
    if (!ready_ || !build) return nullptr;
    Guard guard(mutex_.Get());
    if (!guard.Ok()) return nullptr;
    CDUI_UIControlStyle* record = FindStyle(kind, style);
    if (!record) return nullptr;
    return build(record);
}

void CDUI_UIResource::MakeDrawingObjects() {
    Guard guard(mutex_.Get());
    if (!guard.Ok()) return;
    if (!skinImage_) skinImage_ = std::make_unique<CGDIPlug_ImageCtrl>();
    if (!imageLoaded_ && imageFromFile_ && !skinImageBytes_.empty()) {
        imageLoaded_ = skinImage_->LoadFromMemory(skinImageBytes_.data(), skinImageBytes_.size());
    } else if (!imageLoaded_ && !imageFromFile_ && imageResourceId_ > 0 && imageResourceId_ <= 0xFFFF) {
        // Also takes the same sheet drawn at twice the size (id + 1000) for
        // scaled frames; the description's rectangles are doubled for it.
        imageLoaded_ = skinImage_->LoadFromResource(module_, UINT(imageResourceId_));
    }
    if (!brush_) {
        brush_ = std::make_unique<CGDIPlug_BrushCtrl>();
        if (!brush_->CreateSolid(0xFF000000)) brush_.reset();
    }
    if (!pen_) {
        pen_ = std::make_unique<CGDIPlug_PenCtrl>();
        if (!pen_->Create(nullptr, 0xFF000000, 1.0f, 0)) pen_.reset();
    }
}

CGraphics_ImageCtrl* CDUI_UIResource::GetSkinImage() {
    // Retry only while GDI+ was not running (the brush tells): a missing or
    // broken image is not decoded again on every paint.
    if (!skinImage_ || (!imageLoaded_ && !brush_)) MakeDrawingObjects();
    return skinImage_.get();
}

void CDUI_UIResource::ReleaseSkinPixels() {
    std::unique_ptr<CGDIPlug_ImageCtrl> old;
    {
        Guard guard(mutex_.Get());
        if (!guard.Ok() || !imageLoaded_) return;
        old = std::move(skinImage_);
        imageLoaded_ = 0;
    }
}

CGraphics_BrushCtrl* CDUI_UIResource::GetBrush() {
    if (!brush_) MakeDrawingObjects();
    return brush_.get();
}

CGraphics_PenCtrl* CDUI_UIResource::GetPen() {
    if (!pen_) MakeDrawingObjects();
    return pen_.get();
}

void CDUI_UIResource::GetSkinImageSize(int32_t* width, int32_t* height) {
    int w = 0, h = 0;
    CGraphics_ImageCtrl* image = GetSkinImage();
    if (!image || !imageLoaded_ || !image->GetSize(&w, &h)) w = h = 0;
    if (width) *width = w;
    if (height) *height = h;
}

int CDUI_UIResource::DrawSkinRect(Gdiplus::Graphics* graphics, const DUI_SkinRect& dest, const DUI_SkinRect& source,
                                  int stretch) {
    CGraphics_ImageCtrl* image = GetSkinImage();
    if (!graphics || !image || !imageLoaded_) return 0;
    return image->DrawSkinRect(graphics, ToDUIRect(dest), ToDUIRect(source), stretch);
}
