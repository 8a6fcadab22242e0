// Where each tile goes: pure arithmetic over the client rectangle, the
// sizing-border metrics and the tile's position in the stack.
#pragma once

#include "../platform/WindowSystem.h"

namespace pellorin {

struct TilePlacement {
    int X;
    int Y;
    int Width;
    int Height;
};

// The band of tile position (0-based) among count tiles. Each tile reaches
// a sizing border beyond the client area on the left and right, the first
// starts cy rows above it, and neighbours overlap by cy - 1 rows so that
// only one border line shows between them. The band edges are computed in
// unsigned 32-bit arithmetic.
TilePlacement PlaceTile(const RECT& client, int cx, int cy, UINT position, UINT count);

}  // namespace pellorin
