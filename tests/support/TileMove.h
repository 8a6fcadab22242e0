// How a child tells the tiling pass's moves from all others.
#pragma once

#include <windows.h>

namespace support {

// The flags the tiling pass gives SetWindowPos. Wine's own moves of MDI
// children (activation, maximizing, restoring, hiding) never carry
// SWP_NOOWNERZORDER, and nor does anything else in the tests, so a move with
// all three is a tile move.
const UINT TileFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// Whether a child's message announces a tile move.
inline bool IsTileMove(UINT message, LPARAM lParam)
{
    return message == WM_WINDOWPOSCHANGING &&
           (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & TileFlags) == TileFlags;
}

}  // namespace support
