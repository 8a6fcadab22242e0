// Rectangles of real windows as the tests compare them.
#pragma once

#include <windows.h>

#include <string>

namespace support {

// A window's rectangle in the client coordinates of its parent, as
// SetWindowPos takes them.
RECT RectInParent(HWND window);

bool SameRect(const RECT& a, const RECT& b);

// "(left, top)-(right, bottom)", for a failure message.
std::string Describe(const RECT& rect);

}  // namespace support
