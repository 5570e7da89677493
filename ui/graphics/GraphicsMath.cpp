#include "GraphicsMath.h"

#include <cstdint>
#include <cstdlib>

int CharWidthByMetrics(wchar_t ch, int asciiWidth, int nonAsciiWidth) {
    return static_cast<unsigned>(ch) < 128 ? asciiWidth : nonAsciiWidth;
}

int TextWidthByMetrics(const std::wstring& text, int asciiWidth, int nonAsciiWidth) {
    int width = 0;
    for (wchar_t ch : text) width += CharWidthByMetrics(ch, asciiWidth, nonAsciiWidth);
    return width;
}

SkinSource NormalizeSkinSource(const DUIRect& source) {
    SkinSource s;
    s.region = source;
    if (source.width < 0) {
        s.region.x = source.x + source.width;
        s.region.width = -source.width;
        s.mirrorX = true;
    }
    if (source.height < 0) {
        s.region.y = source.y + source.height;
        s.region.height = -source.height;
        s.mirrorY = true;
    }
    return s;
}

DUIRect SkinDestination(const DUIRect& dest, const DUIRect& source, int stretch) {
    if (stretch) return dest;
    return {dest.x, dest.y, std::abs(source.width), std::abs(source.height)};
}

void GifFrameClock::SetDelaysCentiseconds(const std::vector<unsigned>& delays) {
    m_delaysMs.clear();
    for (unsigned d : delays) m_delaysMs.push_back(d * 10);
    m_current = 0;
    m_accumulated = 0;
}

void GifFrameClock::SetCurrentFrame(unsigned index) {
    if (index < m_delaysMs.size()) {
        m_current = index;
        m_accumulated = 0;
    }
}

int GifFrameClock::Advance(unsigned elapsedMs) {
    if (m_delaysMs.size() < 2) return 0;
    const unsigned start = m_current;
    m_accumulated += elapsedMs;
    // Carry the rest over so long ticks do not stretch the animation; a zero
    // delay shows its frame for one tick instead of spinning through frames.
    for (size_t guard = 0; guard < m_delaysMs.size(); ++guard) {
        const unsigned delay = m_delaysMs[m_current];
        if (delay > 0 && m_accumulated < delay) break;
        m_accumulated = delay > 0 ? m_accumulated - delay : 0;
        m_current = (m_current + 1) % static_cast<unsigned>(m_delaysMs.size());
        if (delay == 0) break;
    }
    if (m_accumulated >= 60000) m_accumulated = 0;  // a stalled clock must not replay minutes of frames
    return m_current != start ? 1 : 0;
}

const wchar_t* ImageFormatMimeType(int formatNumber) {
    switch (formatNumber) {
        case 1: return L"image/bmp";
        case 2: return L"image/x-emf";
        case 3: return L"image/x-wmf";
        case 4: return L"image/exif";
        case 5: return L"image/x-icon";
        case 6: return L"image/bmp";
        case 7: return L"image/jpeg";
        case 8: return L"image/gif";
        case 9: return L"image/tiff";
        case 10: return L"image/png";
        default: return L"unknown";
    }
}

int HorizontalAlignmentOf(int alignFlags) {
    if (alignFlags & 0x4) return 2;
    if (alignFlags & 0x2) return 1;
    return 0;
}

int VerticalAlignmentOf(int alignFlags) {
    if (alignFlags & 0x20) return 2;
    if (alignFlags & 0x10) return 1;
    return 0;
}

int StringFormatFlagsOf(int formatBits) {
    int flags = 0;
    if (formatBits & 0x1) flags |= 0x2000;
    if (formatBits & 0x2) flags |= 0x1;
    if (formatBits & 0x4) flags |= 0x4000;
    return flags;
}

std::wstring TextWithEmptyLinesKept(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 8);
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(L'\n', start);
        const std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        // The piece after a final break is no line of its own.
        if (end != std::wstring::npos && (line.empty() || line == L"\r")) out += L' ';
        out += line;
        if (end == std::wstring::npos) break;
        out += L'\n';
        start = end + 1;
    }
    return out;
}

int ParseRawPixels(const void* bytes, size_t size, RawPixels* out) {
    constexpr size_t kHeader = 16;
    constexpr uint32_t kLargest = 16384;  // no picture of the program comes near
    if (!bytes || size < kHeader) return 0;
    const auto* b = static_cast<const unsigned char*>(bytes);
    if (b[0] != 'V' || b[1] != 'P' || b[2] != 'I' || b[3] != 'X') return 0;
    auto word = [b](size_t at) {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    };
    const uint32_t width = word(4), height = word(8), stride = word(12);
    if (width == 0 || height == 0 || width > kLargest || height > kLargest) return 0;
    if (stride < width * 4 || stride % 4 != 0 || stride > kLargest * 4) return 0;
    if ((size - kHeader) / stride < height) return 0;
    if (out) *out = RawPixels{int(width), int(height), int(stride), kHeader};
    return 1;
}
