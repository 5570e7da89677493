#pragma once
// Between the control model's rectangles and the drawing objects' ones
// (the same x, y, width, height).
#include "core/DUI_Types.h"
#include "graphics/UIRect.h"
#include "skin/DUI_Styles.h"

inline DUIRect ToDUIRect(const DUI_Rect& r) { return {r.x, r.y, r.width, r.height}; }
inline DUIRect ToDUIRect(const DUI_SkinRect& r) { return {r.x, r.y, r.width, r.height}; }
inline DUI_Rect FromDUIRect(const DUIRect& r) { return {r.x, r.y, r.width, r.height}; }
