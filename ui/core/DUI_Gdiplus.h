#pragma once
// GDI+ C++ headers; they expect min and max to be visible (NOMINMAX is set).
#include <windows.h>
// WIN32_LEAN_AND_MEAN leaves out the COM declarations GDI+ needs (PROPID, IStream).
#include <objidl.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
