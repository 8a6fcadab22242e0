#include "Bands.h"

namespace pellorin {

TilePlacement PlaceTile(const RECT& client, int cx, int cy, UINT position, UINT count)
{
    // Unsigned throughout: the edges wrap instead of overflowing for a client
    // area near the limits of an int.
    const UINT left = static_cast<UINT>(client.left) - static_cast<UINT>(cx);
    const UINT right = static_cast<UINT>(client.right) + static_cast<UINT>(cx);
    const UINT top = static_cast<UINT>(client.top) - 1;
    const UINT bottom = static_cast<UINT>(client.bottom) + static_cast<UINT>(cy) - 1;
    const UINT height = bottom - top;

    const UINT y0 = (height * position) / count;
    const UINT y1 = (height * (position + 1)) / count;
    const UINT overlap = static_cast<UINT>(cy) - 1;

    TilePlacement placement;
    placement.X = static_cast<int>(left);
    placement.Y = static_cast<int>(top + y0 - overlap);
    placement.Width = static_cast<int>(right - left);
    placement.Height = static_cast<int>(y1 - y0 + overlap);
    return placement;
}

}  // namespace pellorin
