#pragma once
// Plain arithmetic behind the drawing objects: text widths from font metrics,
// skin-rect source normalisation (mirroring), GIF frame timing, image format
// names and text-layout bit decoding. No <windows.h> here.
#include <cstddef>
#include <string>
#include <vector>

#include "UIRect.h"

// Sum of per-character widths: asciiWidth for characters below 128, the wide
// width for every other one (Chinese glyphs are about twice as wide).
int TextWidthByMetrics(const std::wstring& text, int asciiWidth, int nonAsciiWidth);
int CharWidthByMetrics(wchar_t ch, int asciiWidth, int nonAsciiWidth);

// The text as handed to the drawing call: an empty line (between two line
// breaks, or before the first) gets a space. Wine's GDI+ gives an empty line
// no height, so "a\n\nb" would lose its blank line; the space keeps the line
// and draws nothing anywhere.
std::wstring TextWithEmptyLinesKept(const std::wstring& text);

// A skin source rectangle may carry negative sizes to ask for a mirrored
// picture. NormalizeSkinSource returns the pixel region actually read (left/top
// edge and positive size) and which axes are flipped: a width of -w reads the
// w pixels that end at x (x - w .. x) and shows them right to left.
struct SkinSource {
    DUIRect region;
    bool mirrorX = false;
    bool mirrorY = false;
};
SkinSource NormalizeSkinSource(const DUIRect& source);

// Destination of a skin rect: stretched into dest, or at the source's own size
// (absolute values) at dest's origin.
DUIRect SkinDestination(const DUIRect& dest, const DUIRect& source, int stretch);

// GIF frame timing. Delays arrive in 1/100 s and are kept in milliseconds.
class GifFrameClock {
public:
    void SetDelaysCentiseconds(const std::vector<unsigned>& delays);
    // Adds the elapsed time; moves on (wrapping to frame 0) once the current
    // frame's delay is used up. Returns 1 when the frame changed.
    int Advance(unsigned elapsedMs);
    unsigned FrameCount() const { return static_cast<unsigned>(m_delaysMs.size()); }
    unsigned CurrentFrame() const { return m_current; }
    void SetCurrentFrame(unsigned index);
    unsigned DelayMs(unsigned index) const { return index < m_delaysMs.size() ? m_delaysMs[index] : 0; }

private:
    std::vector<unsigned> m_delaysMs;
    unsigned m_current = 0;
    unsigned m_accumulated = 0;
};

// Image format numbers (0 undefined, 1 memory bitmap, 2 EMF, 3 WMF, 4 EXIF,
// 5 icon, 6 BMP, 7 JPEG, 8 GIF, 9 TIFF, 10 PNG) and the MIME type that picks
// the encoder when saving ("unknown" outside the table).
const wchar_t* ImageFormatMimeType(int formatNumber);

// Text layout bits: alignment bits 0/1/2 = horizontal near/centre/far, bits
// 3/4/5 = vertical near/centre/far; each axis gives 0 near, 1 centre, 2 far.
int HorizontalAlignmentOf(int alignFlags);
int VerticalAlignmentOf(int alignFlags);
// Format bits 0/1/2 = line limit (0x2000), right to left (0x1), no clip (0x4000).
int StringFormatFlagsOf(int formatBits);

// The program's own pictures stored as raw pixels (drawn straight from the
// mapped program file, never decoded): "VPIX", then width, height and stride
// as little-endian 32-bit numbers, then the rows top-down, each pixel the
// straight-alpha bytes B, G, R, A, stride bytes from one row to the next.
struct RawPixels {
    int width = 0;
    int height = 0;
    int stride = 0;
    size_t offset = 0;  // where the first row starts
};
// 1 when bytes hold a whole picture in that form (a sane size, every row
// present); 0 for anything else.
int ParseRawPixels(const void* bytes, size_t size, RawPixels* out);
