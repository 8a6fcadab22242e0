#include "support/Rects.h"

namespace support {

RECT RectInParent(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& rect)
{
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ")-(" + std::to_string(rect.right) +
           ", " + std::to_string(rect.bottom) + ")";
}

}  // namespace support
