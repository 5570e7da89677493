// Still and animated images over GDI+.
#include "GdiplusInclude.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "GDIPlugCtrl.h"
#include "WinHandles.h"
#include "GraphicsMath.h"
#include "RenderStats.h"

using namespace Gdiplus;

namespace {

// An IStream reference that is released with its owner: GDI+ reads a
// stream-loaded image lazily, so the stream must live as long as the image.
class StreamRef {
public:
    StreamRef() = default;
    ~StreamRef() { Reset(); }
    StreamRef(const StreamRef&) = delete;
    StreamRef& operator=(const StreamRef&) = delete;
    void Attach(IStream* s) {
        Reset();
        m_stream = s;
    }
    void Reset() {
        if (m_stream) m_stream->Release();
        m_stream = nullptr;
    }
    IStream* Get() const { return m_stream; }

private:
    IStream* m_stream = nullptr;
};

struct ResourceSearch {
    UINT id = 0;
    bool found = false;
    std::wstring typeName;
    ULONG_PTR typeId = 0;
};

BOOL CALLBACK OnResourceName(HMODULE, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    auto* search = reinterpret_cast<ResourceSearch*>(param);
    if (!IS_INTRESOURCE(name) || reinterpret_cast<ULONG_PTR>(name) != search->id) return TRUE;
    search->found = true;
    if (IS_INTRESOURCE(type)) {
        search->typeId = reinterpret_cast<ULONG_PTR>(type);
    } else {
        search->typeName = type;
    }
    return FALSE;
}

BOOL CALLBACK OnResourceType(HMODULE module, LPWSTR type, LONG_PTR param) {
    EnumResourceNamesW(module, type, OnResourceName, param);
    return reinterpret_cast<ResourceSearch*>(param)->found ? FALSE : TRUE;
}

// Not exported by MinGW's GDI+ import library.
const GUID kImageFormatExif = {0xb96b3cb2, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

int FormatNumberOf(const GUID& raw) {
    struct Entry {
        const GUID* guid;
        int number;
    };
    const Entry table[] = {{&ImageFormatMemoryBMP, 1}, {&ImageFormatEMF, 2},  {&ImageFormatWMF, 3},
                           {&kImageFormatExif, 4},      {&ImageFormatIcon, 5}, {&ImageFormatBMP, 6},
                           {&ImageFormatJPEG, 7},      {&ImageFormatGIF, 8},  {&ImageFormatTIFF, 9},
                           {&ImageFormatPNG, 10}};
    for (const auto& e : table)
        if (IsEqualGUID(raw, *e.guid)) return e.number;
    return 0;
}

bool EncoderFor(const wchar_t* mime, CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (GetImageEncodersSize(&count, &bytes) != Ok || count == 0) return false;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (GetImageEncoders(count, bytes, codecs) != Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && lstrcmpiW(codecs[i].MimeType, mime) == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

// Restores a graphics' drawing state when a skin rect has been drawn.
class GraphicsStateGuard {
public:
    explicit GraphicsStateGuard(Graphics* g)
        : m_g(g),
          m_mode(g->GetCompositingMode()),
          m_interp(g->GetInterpolationMode()),
          m_offset(g->GetPixelOffsetMode()),
          m_unit(g->GetPageUnit()) {
        g->GetTransform(&m_transform);
    }
    ~GraphicsStateGuard() {
        m_g->SetTransform(&m_transform);
        m_g->SetPageUnit(m_unit);
        m_g->SetPixelOffsetMode(m_offset);
        m_g->SetInterpolationMode(m_interp);
        m_g->SetCompositingMode(m_mode);
    }
    GraphicsStateGuard(const GraphicsStateGuard&) = delete;
    GraphicsStateGuard& operator=(const GraphicsStateGuard&) = delete;

private:
    Graphics* m_g;
    CompositingMode m_mode;
    InterpolationMode m_interp;
    PixelOffsetMode m_offset;
    Unit m_unit;
    Matrix m_transform;
};

}  // namespace

int FindResourceTypeById(HMODULE module, UINT id, std::wstring* typeName, ULONG_PTR* typeId) {
    ResourceSearch search;
    search.id = id;
    EnumResourceTypesW(module, OnResourceType, reinterpret_cast<LONG_PTR>(&search));
    if (!search.found) return 0;
    if (typeName) *typeName = search.typeName;
    if (typeId) *typeId = search.typeId;
    return 1;
}

// ---- still image ----

struct CGDIPlug_ImageCtrl::Impl {
    StreamRef stream;                       // keeps a stream-loaded image readable
    // The pixels of a large still image copied out of its decoder, in pages
    // of their own: freed, they go back to the system at once instead of
    // staying in the heap (Wine's GDI+ puts a bitmap's pixels there). Outlives
    // the bitmap drawn from it (declared before it).
    struct PageFree {
        void operator()(void* p) const { VirtualFree(p, 0, MEM_RELEASE); }
    };
    std::unique_ptr<void, PageFree> pages;
    std::unique_ptr<Bitmap> bitmap;
    bool readOnly = false;  // the pixels lie in the program file: never drawn on
    std::unique_ptr<Graphics> graphics;     // from GetGraphics, on the bitmap
    HDC dc = nullptr;                       // from GetGraphics, through the graphics
    HBITMAP attached = nullptr;             // owned GDI bitmap handle
    int rawFormat = 0;                      // format number of the decoded bytes, once they are let go

    // A decoded image keeps its decoder, and with it a second copy of all
    // its pixels (Wine's GDI+ does), for as long as it lives. A still image
    // is copied once into a bitmap of its own and the decoder let go.
    void KeepPixelsOnly();

    void DropGraphics() {
        if (graphics && dc) graphics->ReleaseHDC(dc);
        dc = nullptr;
        graphics.reset();
    }
    void DropImage() {
        DropGraphics();
        prepared.clear();
        bitmap.reset();
        pages.reset();
        readOnly = false;
        stream.Reset();
        rawFormat = 0;
        doubled.reset();
        doubleModule = nullptr;
        doubleTried = false;
    }

    // The double-size art: where it lies, and the image once decoded.
    HMODULE doubleModule = nullptr;
    UINT doubleId = 0;
    bool doubleTried = false;
    std::unique_ptr<CGDIPlug_ImageCtrl> doubled;
    Bitmap* Doubled();

    // Resampled pieces, most recently used first; a control draws the same
    // piece at the same size frame after frame.
    struct Piece {
        DUIRect region;
        int width, height;
        bool mirrorX, mirrorY;
        Bitmap* from;
        std::unique_ptr<Bitmap> picture;
    };
    std::vector<Piece> prepared;
    static constexpr size_t kMaxPieces = 64;
    // Below this, pixels stay in the heap: a page block of its own would waste more than it returns.
    static constexpr size_t kOwnPagesFromBytes = 64 * 1024;

    Bitmap* Prepared(Bitmap* from, const SkinSource& src, int width, int height, int* status);
};

void CGDIPlug_ImageCtrl::Impl::KeepPixelsOnly() {
    if (!bitmap) return;
    const PixelFormat format = bitmap->GetPixelFormat();
    // Palettes and animations (the GIF clock selects frames) stay with the decoder.
    if ((format & PixelFormatIndexed) || Gdiplus::GetPixelFormatSize(format) == 0) return;
    GUID dimension = FrameDimensionTime;
    if (bitmap->GetFrameCount(&dimension) > 1) return;
    dimension = FrameDimensionPage;
    if (bitmap->GetFrameCount(&dimension) > 1) return;
    const INT width = static_cast<INT>(bitmap->GetWidth()), height = static_cast<INT>(bitmap->GetHeight());
    const size_t rowBytes = (static_cast<size_t>(width) * Gdiplus::GetPixelFormatSize(format) + 7) / 8;
    const INT stride = static_cast<INT>((rowBytes + 3) & ~size_t(3));
    std::unique_ptr<void, PageFree> block;
    std::unique_ptr<Bitmap> own;
    if (static_cast<size_t>(stride) * static_cast<size_t>(height) >= kOwnPagesFromBytes) {
        block.reset(VirtualAlloc(nullptr, static_cast<size_t>(stride) * static_cast<size_t>(height),
                                 MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (block) own = std::make_unique<Bitmap>(width, height, stride, format, static_cast<BYTE*>(block.get()));
    }
    if (!own) own = std::make_unique<Bitmap>(width, height, format);
    if (own->GetLastStatus() != Ok) return;
    Rect all(0, 0, width, height);
    BitmapData in{}, out{};
    if (bitmap->LockBits(&all, ImageLockModeRead, format, &in) != Ok) return;
    if (own->LockBits(&all, ImageLockModeWrite, format, &out) != Ok) {
        bitmap->UnlockBits(&in);
        return;
    }
    for (INT y = 0; y < height; ++y)
        memcpy(static_cast<BYTE*>(out.Scan0) + static_cast<ptrdiff_t>(y) * out.Stride,
               static_cast<const BYTE*>(in.Scan0) + static_cast<ptrdiff_t>(y) * in.Stride, rowBytes);
    own->UnlockBits(&out);
    bitmap->UnlockBits(&in);
    own->SetResolution(bitmap->GetHorizontalResolution(), bitmap->GetVerticalResolution());
    GUID raw{};
    if (bitmap->GetRawFormat(&raw) == Ok) rawFormat = FormatNumberOf(raw);
    bitmap = std::move(own);
    pages = std::move(block);
    stream.Reset();
}

Bitmap* CGDIPlug_ImageCtrl::Impl::Doubled() {
    if (!doubleTried && doubleModule) {
        doubleTried = true;
        auto image = std::make_unique<CGDIPlug_ImageCtrl>();
        if (image->LoadFromResource(doubleModule, doubleId)) doubled = std::move(image);
    }
    return doubled ? static_cast<Bitmap*>(doubled->GetImage()) : nullptr;
}

namespace {
// The unpremultiplied ARGB pixel at column ix, row iy of locked pixels.
inline UINT32 PixelAt(const BitmapData& in, int ix, int iy) {
    return reinterpret_cast<const UINT32*>(static_cast<const BYTE*>(in.Scan0) + static_cast<ptrdiff_t>(iy) * in.Stride)[ix];
}
}  // namespace

Bitmap* CGDIPlug_ImageCtrl::Impl::Prepared(Bitmap* from, const SkinSource& src, int width, int height, int* status) {
    for (size_t i = 0; i < prepared.size(); ++i) {
        Piece& p = prepared[i];
        if (p.from == from && p.region == src.region && p.width == width && p.height == height &&
            p.mirrorX == src.mirrorX && p.mirrorY == src.mirrorY) {
            if (i != 0) std::rotate(prepared.begin(), prepared.begin() + static_cast<long>(i),
                                    prepared.begin() + static_cast<long>(i) + 1);
            return prepared.front().picture.get();
        }
    }
    // The part of the region that lies inside the image; outside stays transparent.
    const DUIRect inside = DUIRectIntersect(
        src.region, DUIRect{0, 0, static_cast<int>(from->GetWidth()), static_cast<int>(from->GetHeight())});
    auto picture = std::make_unique<Bitmap>(width, height, PixelFormat32bppARGB);
    if (picture->GetLastStatus() != Ok) {
        *status = picture->GetLastStatus();
        return nullptr;
    }
    BitmapData out{};
    Rect all(0, 0, width, height);
    if ((*status = picture->LockBits(&all, ImageLockModeWrite, PixelFormat32bppARGB, &out)) != Ok) return nullptr;
    BitmapData in{};
    Rect readRect(inside.x, inside.y, inside.width, inside.height);
    const bool haveSource =
        !DUIRectIsEmpty(inside) && from->LockBits(&readRect, ImageLockModeRead, PixelFormat32bppARGB, &in) == Ok;
    // Made smaller (double-size art on a frame below 2x): four samples per
    // pixel, weighted by their alpha, so thin lines thin out instead of
    // dropping whole rows.
    const bool shrink = src.region.width > width || src.region.height > height;
    auto sample = [&](double fx, double fy) -> UINT32 {
        int sx = static_cast<int>(fx * src.region.width / width), sy = static_cast<int>(fy * src.region.height / height);
        sx = std::min(sx, src.region.width - 1);
        sy = std::min(sy, src.region.height - 1);
        if (src.mirrorX) sx = src.region.width - 1 - sx;
        if (src.mirrorY) sy = src.region.height - 1 - sy;
        const int ix = src.region.x + sx - inside.x, iy = src.region.y + sy - inside.y;
        if (haveSource && ix >= 0 && iy >= 0 && ix < inside.width && iy < inside.height) return PixelAt(in, ix, iy);
        return 0;
    };
    for (int y = 0; y < height && shrink; ++y) {
        auto* row = reinterpret_cast<UINT32*>(static_cast<BYTE*>(out.Scan0) + static_cast<ptrdiff_t>(y) * out.Stride);
        for (int x = 0; x < width; ++x) {
            UINT32 a = 0, r = 0, gr = 0, b = 0;
            for (double oy : {0.25, 0.75})
                for (double ox : {0.25, 0.75}) {
                    const UINT32 p = sample(x + ox, y + oy), pa = p >> 24;
                    a += pa;
                    r += ((p >> 16) & 0xFF) * pa;
                    gr += ((p >> 8) & 0xFF) * pa;
                    b += (p & 0xFF) * pa;
                }
            row[x] = a == 0 ? 0
                            : ((a + 2) / 4) << 24 | ((r + a / 2) / a) << 16 | ((gr + a / 2) / a) << 8 | ((b + a / 2) / a);
        }
    }
    for (int y = 0; y < height && !shrink; ++y) {
        auto* row = reinterpret_cast<UINT32*>(static_cast<BYTE*>(out.Scan0) + static_cast<ptrdiff_t>(y) * out.Stride);
        int sy = static_cast<int>((y + 0.5) * src.region.height / height);
        if (sy >= src.region.height) sy = src.region.height - 1;
        if (src.mirrorY) sy = src.region.height - 1 - sy;
        const int iy = src.region.y + sy - inside.y;
        for (int x = 0; x < width; ++x) {
            int sx = static_cast<int>((x + 0.5) * src.region.width / width);
            if (sx >= src.region.width) sx = src.region.width - 1;
            if (src.mirrorX) sx = src.region.width - 1 - sx;
            const int ix = src.region.x + sx - inside.x;
            UINT32 pixel = 0;
            if (haveSource && ix >= 0 && iy >= 0 && ix < inside.width && iy < inside.height)
                pixel = reinterpret_cast<const UINT32*>(static_cast<const BYTE*>(in.Scan0) +
                                                         static_cast<ptrdiff_t>(iy) * in.Stride)[ix];
            row[x] = pixel;
        }
    }
    if (haveSource) from->UnlockBits(&in);
    picture->UnlockBits(&out);
    if (prepared.size() >= kMaxPieces) prepared.pop_back();
    prepared.insert(prepared.begin(),
                    Piece{src.region, width, height, src.mirrorX, src.mirrorY, from, std::move(picture)});
    return prepared.front().picture.get();
}

CGDIPlug_ImageCtrl::CGDIPlug_ImageCtrl() : m_impl(std::make_unique<Impl>()) {}

CGDIPlug_ImageCtrl::~CGDIPlug_ImageCtrl() {
    Release();
    DeleteHBitmap();
}

void CGDIPlug_ImageCtrl::Release() { m_impl->DropImage(); }

int CGDIPlug_ImageCtrl::Create(int width, int height) {
    Release();
    if (width <= 0 || height <= 0) {
        m_lastStatus = InvalidParameter;
        return 0;
    }
    m_impl->bitmap = std::make_unique<Bitmap>(width, height, PixelFormat32bppARGB);
    m_lastStatus = m_impl->bitmap->GetLastStatus();
    if (m_lastStatus != Ok) {
        Release();
        return 0;
    }
    return FillColor(0x00000000);
}

int CGDIPlug_ImageCtrl::CreateFromHBITMAP(HBITMAP bitmap) {
    Release();
    if (!bitmap) return 0;
    m_impl->bitmap.reset(Bitmap::FromHBITMAP(bitmap, nullptr));
    m_lastStatus = m_impl->bitmap ? m_impl->bitmap->GetLastStatus() : OutOfMemory;
    if (m_lastStatus != Ok) {
        Release();
        return 0;
    }
    return 1;
}

int CGDIPlug_ImageCtrl::LoadFromMemory(const void* data, size_t size) {
    Release();
    if (!data || size == 0) {
        m_lastStatus = InvalidParameter;
        return 0;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) {
        m_lastStatus = OutOfMemory;
        return 0;
    }
    if (void* dst = GlobalLock(block)) {
        memcpy(dst, data, size);
        GlobalUnlock(block);
    } else {
        GlobalFree(block);
        m_lastStatus = OutOfMemory;
        return 0;
    }
    IStream* stream = nullptr;
    // The stream owns the block from here on (fDeleteOnRelease).
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        m_lastStatus = OutOfMemory;
        return 0;
    }
    m_impl->stream.Attach(stream);
    m_impl->bitmap.reset(Bitmap::FromStream(stream));
    m_lastStatus = m_impl->bitmap ? m_impl->bitmap->GetLastStatus() : OutOfMemory;
    if (m_lastStatus != Ok) {
        Release();
        return 0;
    }
    m_impl->KeepPixelsOnly();
    return 1;
}

int CGDIPlug_ImageCtrl::LoadFromFile(const std::wstring& path) {
    Release();
    // Read the bytes ourselves: an image loaded from a file keeps the file
    // locked for as long as it lives.
    win::CUniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        m_lastStatus = FileNotFound;
        return 0;
    }
    LARGE_INTEGER size{};
    std::vector<unsigned char> bytes;
    bool ok = GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < (256LL << 20);
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
    }
    file.Reset();
    if (!ok) {
        m_lastStatus = InvalidParameter;
        return 0;
    }
    return LoadFromMemory(bytes.data(), bytes.size());
}

int CGDIPlug_ImageCtrl::LoadFromResource(HMODULE module, UINT id) {
    std::wstring typeName;
    ULONG_PTR typeId = 0;
    if (!FindResourceTypeById(module, id, &typeName, &typeId)) {
        Release();
        m_lastStatus = InvalidParameter;
        return 0;
    }
    return LoadFromResource(module, typeName.empty() ? MAKEINTRESOURCEW(typeId) : typeName.c_str(), id);
}

int CGDIPlug_ImageCtrl::LoadFromResource(HMODULE module, const wchar_t* type, UINT id) {
    Release();
    if (!type) return 0;
    if (IS_INTRESOURCE(type) && type == RT_BITMAP) {
        m_impl->bitmap.reset(Bitmap::FromResource(module, MAKEINTRESOURCEW(id)));
        m_lastStatus = m_impl->bitmap ? m_impl->bitmap->GetLastStatus() : OutOfMemory;
        if (m_lastStatus != Ok) {
            Release();
            return 0;
        }
        return 1;
    }
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!bytes || size == 0) {
        m_lastStatus = InvalidParameter;
        return 0;
    }
    RawPixels raw;
    if (ParseRawPixels(bytes, size, &raw)) {
        // Drawn straight from the mapped program file: nothing is decoded or
        // copied, and the system can drop and reread these pages at will.
        auto* first = const_cast<BYTE*>(static_cast<const BYTE*>(bytes) + raw.offset);
        m_impl->bitmap = std::make_unique<Bitmap>(raw.width, raw.height, raw.stride, PixelFormat32bppARGB, first);
        m_lastStatus = m_impl->bitmap->GetLastStatus();
        if (m_lastStatus != Ok) {
            Release();
            return 0;
        }
        m_impl->readOnly = true;
    } else if (!LoadFromMemory(bytes, size)) {
        return 0;
    }
    // The double-size art may be stored in another form (PNG beside raw pixels).
    if (id < 0x10000 - kDoubleArtIdOffset && FindResourceTypeById(module, id + kDoubleArtIdOffset, nullptr, nullptr))
        SetDoubleArt(module, id + kDoubleArtIdOffset);
    return 1;
}

int CGDIPlug_ImageCtrl::DeleteHBitmap() {
    if (!m_impl->attached) return 0;
    DeleteObject(m_impl->attached);
    m_impl->attached = nullptr;
    return 1;
}

int CGDIPlug_ImageCtrl::AttachHBitmap(HBITMAP bitmap) {
    if (!bitmap) return 0;
    if (m_impl->attached && m_impl->attached != bitmap) DeleteHBitmap();
    m_impl->attached = bitmap;
    return 1;
}

HBITMAP CGDIPlug_ImageCtrl::DetachHBitmap() {
    HBITMAP h = m_impl->attached;
    m_impl->attached = nullptr;
    return h;
}

int CGDIPlug_ImageCtrl::GetSize(int* width, int* height) {
    const int w = m_impl->bitmap ? static_cast<int>(m_impl->bitmap->GetWidth()) : 0;
    const int h = m_impl->bitmap ? static_cast<int>(m_impl->bitmap->GetHeight()) : 0;
    if (width) *width = w;
    if (height) *height = h;
    return m_impl->bitmap ? 1 : 0;
}

int CGDIPlug_ImageCtrl::GetRawFormat(int* formatNumber) {
    int number = m_impl->rawFormat;
    GUID raw{};
    if (!number && m_impl->bitmap && m_impl->bitmap->GetRawFormat(&raw) == Ok) number = FormatNumberOf(raw);
    if (formatNumber) *formatNumber = number;
    return m_impl->bitmap ? 1 : 0;
}

Image* CGDIPlug_ImageCtrl::GetImage() { return m_impl->bitmap.get(); }

int CGDIPlug_ImageCtrl::SaveToFile(const std::wstring& path, int formatNumber) {
    if (!m_impl->bitmap) return 0;
    CLSID encoder{};
    if (!EncoderFor(ImageFormatMimeType(formatNumber), &encoder)) {
        m_lastStatus = UnknownImageFormat;
        return 0;
    }
    m_lastStatus = m_impl->bitmap->Save(path.c_str(), &encoder, nullptr);
    return m_lastStatus == Ok ? 1 : 0;
}

int CGDIPlug_ImageCtrl::DrawSkinRect(DUIGraphics* g, const DUIRect& dest, const DUIRect& source, int stretch) {
    DUI_StageTimer timer(DUI_RenderStage::SkinPieces);
    if (!g || !m_impl->bitmap) return 0;
    const SkinSource src = NormalizeSkinSource(source);
    const DUIRect d = SkinDestination(dest, source, stretch);
    if (DUIRectIsEmpty(src.region) || DUIRectIsEmpty(d)) return 0;

    GraphicsStateGuard guard(g);
    ImageAttributes attributes;
    if (m_blend) {
        g->SetCompositingMode(CompositingModeSourceOver);
        if (m_alpha != 255) {
            ColorMatrix matrix = {{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}}};
            matrix.m[3][3] = static_cast<REAL>(m_alpha) / 255.0f;
            attributes.SetColorMatrix(&matrix);
        }
    } else {
        g->SetCompositingMode(CompositingModeSourceCopy);
    }
    if (m_colorKey) attributes.SetColorKey(Color(m_keyLow), Color(m_keyHigh));
    g->SetPageUnit(UnitPixel);
    if (m_rotate) {
        g->TranslateTransform(m_centerX, m_centerY);
        g->RotateTransform(m_angle);
        g->TranslateTransform(-m_centerX, -m_centerY);
    }
    // Scaled or mirrored pieces are resampled here (nearest neighbour at pixel
    // centres) into a picture of the destination size, which is then drawn
    // 1:1. GDI+ implementations differ at the edges of scaled and flipped
    // images (Wine drops the first row or column), and sampling ourselves also
    // keeps neighbouring pieces of the skin image from bleeding in.
    Bitmap* from = m_impl->bitmap.get();
    SkinSource piece = src;
    DUIRect target = d;
    Matrix world;
    REAL m[6] = {1, 0, 0, 1, 0, 0};
    if (!m_rotate && g->GetTransform(&world) == Ok && !world.IsIdentity() && world.GetElements(m) == Ok && m[1] == 0 &&
        m[2] == 0 && m[0] > 0 && m[3] > 0) {
        // A scaled frame: the piece is made for the pixels it covers, not
        // stretched by GDI+ afterwards.
        auto edge = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
        const int left = edge(d.x * double(m[0]) + m[4]), top = edge(d.y * double(m[3]) + m[5]);
        target = DUIRect{left, top, edge((d.x + d.width) * double(m[0]) + m[4]) - left,
                         edge((d.y + d.height) * double(m[3]) + m[5]) - top};
        if (DUIRectIsEmpty(target)) return 1;
        if (m[0] > kDoubleArtFromScale) {
            if (Bitmap* large = m_impl->Doubled()) {
                from = large;
                piece.region = DUIRect{src.region.x * 2, src.region.y * 2, src.region.width * 2, src.region.height * 2};
            }
        }
        g->ResetTransform();
    }
    Image* picture = from;
    Rect region(piece.region.x, piece.region.y, piece.region.width, piece.region.height);
    const bool exact = target.width == piece.region.width && target.height == piece.region.height && !piece.mirrorX &&
                       !piece.mirrorY;
    if (!exact) {
        picture = m_impl->Prepared(from, piece, target.width, target.height, &m_lastStatus);
        if (!picture) return 0;
        region = Rect(0, 0, target.width, target.height);
    }
    g->SetInterpolationMode(InterpolationModeNearestNeighbor);
    g->SetPixelOffsetMode(PixelOffsetModeHalf);
    m_lastStatus = g->DrawImage(picture, Rect(target.x, target.y, target.width, target.height), region.X, region.Y,
                                region.Width, region.Height, UnitPixel, &attributes);
    return m_lastStatus == Ok ? 1 : 0;
}

int CGDIPlug_ImageCtrl::HasDoubleArt() const { return m_impl->doubleModule ? 1 : 0; }

void CGDIPlug_ImageCtrl::SetDoubleArt(HMODULE module, UINT id) {
    // Only noted here: the double-size art is decoded when a frame first needs it.
    m_impl->doubled.reset();
    m_impl->prepared.clear();
    m_impl->doubleModule = module;
    m_impl->doubleId = id;
    m_impl->doubleTried = false;
}

void CGDIPlug_ImageCtrl::PixelsChanged() { m_impl->prepared.clear(); }

int CGDIPlug_ImageCtrl::FillColor(DUIColor color) {
    if (!m_impl->bitmap || m_impl->readOnly) return 0;
    PixelsChanged();
    Graphics g(m_impl->bitmap.get());
    m_lastStatus = g.Clear(Color(color));
    return m_lastStatus == Ok ? 1 : 0;
}

int CGDIPlug_ImageCtrl::GetGraphics(DUIGraphics** g, HDC* hdc) {
    if (!m_impl->bitmap || m_impl->readOnly) return 0;
    PixelsChanged();
    if (!m_impl->graphics) {
        m_impl->graphics.reset(Graphics::FromImage(m_impl->bitmap.get()));
        if (!m_impl->graphics || m_impl->graphics->GetLastStatus() != Ok) {
            m_impl->graphics.reset();
            return 0;
        }
    }
    if (hdc && !m_impl->dc) m_impl->dc = m_impl->graphics->GetHDC();
    if (g) *g = m_impl->graphics.get();
    if (hdc) *hdc = m_impl->dc;
    return 1;
}

int CGDIPlug_ImageCtrl::ReleaseGraphics() {
    if (!m_impl->graphics) return 0;
    PixelsChanged();
    m_impl->DropGraphics();
    return 1;
}

int CGDIPlug_ImageCtrl::SetRotation(int enable, float centerX, float centerY, float angle) {
    m_rotate = enable ? 1 : 0;
    m_centerX = centerX;
    m_centerY = centerY;
    m_angle = std::fmod(angle, 360.0f);
    return 1;
}

int CGDIPlug_ImageCtrl::SetAlpha(int blend, int alpha) {
    m_blend = blend ? 1 : 0;
    m_alpha = alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha);
    return 1;
}

int CGDIPlug_ImageCtrl::SetColorKey(int enable, DUIColor low, DUIColor high) {
    m_colorKey = enable ? 1 : 0;
    m_keyLow = low;
    m_keyHigh = high;
    return 1;
}

// ---- animated GIF ----

struct CGDIPlug_GIFImageCtrl::Clock {
    GifFrameClock frames;
    GUID dimension = FrameDimensionTime;
};

CGDIPlug_GIFImageCtrl::CGDIPlug_GIFImageCtrl()
    : m_image(std::make_unique<CGDIPlug_ImageCtrl>()), m_clock(std::make_unique<Clock>()) {}

CGDIPlug_GIFImageCtrl::~CGDIPlug_GIFImageCtrl() = default;

int CGDIPlug_GIFImageCtrl::LoadFromFile(const std::wstring& path) {
    return m_image->LoadFromFile(path) ? Init() : 0;
}

int CGDIPlug_GIFImageCtrl::LoadFromMemory(const void* data, size_t size) {
    return m_image->LoadFromMemory(data, size) ? Init() : 0;
}

int CGDIPlug_GIFImageCtrl::LoadFromResource(HMODULE module, UINT id) {
    return m_image->LoadFromResource(module, id) ? Init() : 0;
}

int CGDIPlug_GIFImageCtrl::LoadFromResource(HMODULE module, const wchar_t* type, UINT id) {
    return m_image->LoadFromResource(module, type, id) ? Init() : 0;
}

void CGDIPlug_GIFImageCtrl::Release() {
    m_image->Release();
    m_shownFrame = -1;
    m_clock->frames.SetDelaysCentiseconds({});
}

int CGDIPlug_GIFImageCtrl::Init() {
    Image* image = m_image->GetImage();
    if (!image) return 0;
    std::vector<unsigned> delays;
    const UINT dimensions = image->GetFrameDimensionsCount();
    UINT frames = 1;
    if (dimensions > 0) {
        std::vector<GUID> ids(dimensions);
        if (image->GetFrameDimensionsList(ids.data(), dimensions) == Ok) {
            m_clock->dimension = ids[0];
            frames = std::max<UINT>(1, image->GetFrameCount(&ids[0]));
        }
    }
    const UINT size = image->GetPropertyItemSize(PropertyTagFrameDelay);
    if (size > sizeof(PropertyItem)) {
        std::vector<unsigned char> buffer(size);
        auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
        if (image->GetPropertyItem(PropertyTagFrameDelay, size, item) == Ok && item->value) {
            const auto* values = static_cast<const UINT*>(item->value);
            const UINT count = item->length / sizeof(UINT);
            for (UINT i = 0; i < frames; ++i) delays.push_back(i < count ? values[i] : 0);
        }
    }
    if (delays.empty()) delays.assign(frames, 0);
    m_clock->frames.SetDelaysCentiseconds(delays);
    image->SelectActiveFrame(&m_clock->dimension, 0);
    m_image->PixelsChanged();
    m_shownFrame = 0;
    return 1;
}

int CGDIPlug_GIFImageCtrl::GetSize(int* width, int* height) { return m_image->GetSize(width, height); }

int CGDIPlug_GIFImageCtrl::GetFrameCount(int* count) {
    if (count) *count = static_cast<int>(m_clock->frames.FrameCount());
    return m_image->GetImage() ? 1 : 0;
}

int CGDIPlug_GIFImageCtrl::GetCurrentFrame(int* index) {
    if (index) *index = static_cast<int>(m_clock->frames.CurrentFrame());
    return m_image->GetImage() ? 1 : 0;
}

int CGDIPlug_GIFImageCtrl::GetFrameDelay(int index) const {
    return index < 0 ? 0 : static_cast<int>(m_clock->frames.DelayMs(static_cast<unsigned>(index)));
}

int CGDIPlug_GIFImageCtrl::DrawFrame(DUIGraphics* g, int index, const DUIRect& dest, const DUIRect& source) {
    Image* image = m_image->GetImage();
    if (!g || !image || index < 0 || static_cast<unsigned>(index) >= m_clock->frames.FrameCount()) return 0;
    if (index != m_shownFrame) {
        if (image->SelectActiveFrame(&m_clock->dimension, static_cast<UINT>(index)) != Ok) return 0;
        m_image->PixelsChanged();
        m_shownFrame = index;
    }
    DUIRect src = source;
    if (src.width < 1 || src.height < 1) {
        int w = 0, h = 0;
        m_image->GetSize(&w, &h);
        src = {0, 0, w, h};
    }
    return m_image->DrawSkinRect(g, dest, src, 1);
}

int CGDIPlug_GIFImageCtrl::DrawCurrentFrame(DUIGraphics* g, const DUIRect& dest, const DUIRect& source) {
    return DrawFrame(g, static_cast<int>(m_clock->frames.CurrentFrame()), dest, source);
}

int CGDIPlug_GIFImageCtrl::Advance(unsigned elapsedMs) {
    if (!m_image->GetImage()) return 0;
    return m_clock->frames.Advance(elapsedMs);
}

int CGDIPlug_GIFImageCtrl::SetAlpha(int blend, int alpha) { return m_image->SetAlpha(blend, alpha); }

int CGDIPlug_GIFImageCtrl::GetLastStatus() const { return m_image->GetLastStatus(); }
