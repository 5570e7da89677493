#pragma once
// Skin rects of the style records as drawing-object rectangles, and back
// from drawing-object rectangles to the control model's.
#include "core/DUI_Types.h"
#include "graphics/UIRect.h"
#include "skin/DUI_Styles.h"

inline DUIRect ToDUIRect(const DUI_Rect& r) { return r; }
inline DUIRect ToDUIRect(const DUI_SkinRect& r) { return {r.x, r.y, r.width, r.height}; }
inline DUI_Rect FromDUIRect(const DUIRect& r) { return {r.x, r.y, r.width, r.height}; }
