// Where the module must put tile i of n: the expectation the live windows are
// checked against, written out independently of the module's own arithmetic.
#pragma once

#include <windows.h>

#include <vector>

namespace support {

// client is the MDI client's client rectangle; the result is in its
// coordinates. Each band reaches the sizing border cx past the client area
// on the left and the right and cy above it; the first band starts cy rows
// above R and neighbours overlap by cy - 1 rows. The band edges are
// unsigned 32-bit, as the module's are.
RECT ExpectedTile(const RECT& client, int cx, int cy, unsigned i, unsigned n);

// ExpectedTile with the live client rectangle and sizing-border metrics.
RECT ExpectedTileNow(HWND client, unsigned i, unsigned n);

// Windows by their top edge on the screen, ties in the given order: how the
// pass orders the tiles of one group.
std::vector<HWND> ByTopEdge(std::vector<HWND> windows);

}  // namespace support
