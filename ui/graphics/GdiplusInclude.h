#pragma once
// GDI+ headers in the order they need: the build defines WIN32_LEAN_AND_MEAN,
// which leaves out the COM declarations (PROPID, IStream) GDI+ relies on.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
