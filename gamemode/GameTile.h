#pragma once
// A game mode's tile on the list view: an image control showing a 32-bit
// picture drawn from the game program's icon (64 x 64 at 28, 28 on the
// colour RGB(3, 5, 6)).
#include <memory>
#include <string>
#include <vector>

#include "controls/DUI_Image.h"

namespace Gdiplus {
class Bitmap;
}

class CGameTile : public CDUI_Image {
public:
    // Built from the skin's "OVImage" style; nullptr when the style is missing.
    static CGameTile* Build(CDUI_UIResource* resource, int32_t id, int32_t x, int32_t y, int32_t width,
                            int32_t height);
    CGameTile(CDUI_UIResource* resource, CDUI_Image_Style* style, int32_t id);
    ~CGameTile() override;
    void Paint(Gdiplus::Graphics* graphics) override;

    // Draws the picture for this program (the system's application icon
    // when the program has none).
    void SetProgram(const std::wstring& programPath);
    int HasPicture() const { return picture_ ? 1 : 0; }
    // The picture's pixel at x, y as ARGB (0 without a picture).
    uint32_t PixelAt(int x, int y) const;

private:
    std::vector<uint32_t> pixels_;             // the picture, top-down ARGB
    std::unique_ptr<Gdiplus::Bitmap> picture_;  // owned; over pixels_
};
