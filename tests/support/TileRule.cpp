#include "support/TileRule.h"

#include <algorithm>

namespace support {

RECT ExpectedTile(const RECT& client, int cx, int cy, unsigned i, unsigned n)
{
    const unsigned height = static_cast<unsigned>(client.bottom - client.top + cy);
    const int y0 = static_cast<int>(height * i / n);
    const int y1 = static_cast<int>(height * (i + 1) / n);
    RECT tile;
    tile.left = client.left - cx;
    tile.right = client.right + cx;
    tile.top = client.top + y0 - cy;
    tile.bottom = client.top + y1 - 1;
    return tile;
}

RECT ExpectedTileNow(HWND client, unsigned i, unsigned n)
{
    RECT area = {0, 0, 0, 0};
    GetClientRect(client, &area);
    return ExpectedTile(area, GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), i, n);
}

std::vector<HWND> ByTopEdge(std::vector<HWND> windows)
{
    std::stable_sort(windows.begin(), windows.end(), [](HWND a, HWND b) {
        RECT ra, rb;
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top < rb.top;
    });
    return windows;
}

}  // namespace support
