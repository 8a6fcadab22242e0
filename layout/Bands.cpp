#include "Bands.h"

namespace pellorin {

TilePlacement PlaceTile(const RECT& client, int cx, int cy, UINT position, UINT count)
{
    const int left = client.left - cx;
    const int right = client.right + cx;
    const int top = client.top - 1;
    const int bottom = client.bottom + cy - 1;
    const UINT height = static_cast<UINT>(bottom) - static_cast<UINT>(top);

    const UINT y0 = (height * position) / count;
    const UINT y1 = (height * (position + 1)) / count;
    const UINT overlap = static_cast<UINT>(cy) - 1;

    TilePlacement placement;
    placement.X = left;
    placement.Y = static_cast<int>(static_cast<UINT>(top) + y0 - overlap);
    placement.Width = right - left;
    placement.Height = static_cast<int>(y1 - y0 + overlap);
    return placement;
}

}  // namespace pellorin
