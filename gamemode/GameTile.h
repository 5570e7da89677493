#pragma once
// The picture of a game mode's tile: a 32-bit bitmap of the tile's size
// filled with RGB(3, 5, 6), the game program's icon (64 x 64) drawn at
// 28, 28; the system's application icon when the program has none.
#include <windows.h>

#include <string>

// A top-down 32-bit DIB section, opaque; the caller deletes it. nullptr when
// the bitmap cannot be made.
HBITMAP MakeTileBitmap(const std::wstring& programPath, int width, int height);
