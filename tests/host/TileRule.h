// Where the module must put tile i of n: the expectation the tests and the
// stand-in host check the live windows against, written out independently
// of the module's own arithmetic.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace host {

// client is the MDI client's client rectangle; the result is in its
// coordinates. Each band reaches a sizing border past the client area on
// the left, the right and the top; the band edges are unsigned 32-bit.
inline RECT ExpectedTile(const RECT& client, int cx, int cy, UINT index, UINT count)
{
    const UINT height = static_cast<UINT>(client.bottom - client.top + cy);
    const UINT y0 = (height * index) / count;
    const UINT y1 = (height * (index + 1)) / count;
    RECT tile;
    tile.left = client.left - cx;
    tile.top = client.top + static_cast<LONG>(y0) - cy;
    tile.right = tile.left + (client.right - client.left) + 2 * cx;
    tile.bottom = tile.top + static_cast<LONG>(y1 - y0) + cy - 1;
    return tile;
}

inline RECT ExpectedTile(HWND mdiClient, UINT index, UINT count)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(mdiClient, &client);
    return ExpectedTile(client, GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), index, count);
}

inline std::string Describe(const RECT& rect)
{
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ")-(" + std::to_string(rect.right) +
           ", " + std::to_string(rect.bottom) + ")";
}

}  // namespace host
