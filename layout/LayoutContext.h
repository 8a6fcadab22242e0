// The working record of one tiling pass and how it is filled: the host's
// frame, its MDI client and the tiles collected so far.
#pragma once

#include "PatternList.h"

#include <cstdint>
#include <map>

namespace pellorin {

struct TileKey {
    std::int32_t OrderIndex;  // position of the first OrderList entry the title matches
    std::int32_t Top;         // top edge in screen coordinates
};

inline bool operator<(const TileKey& a, const TileKey& b)
{
    return a.OrderIndex != b.OrderIndex ? a.OrderIndex < b.OrderIndex : a.Top < b.Top;
}

// A multimap inserts an equal key after those already present, so tiles
// with equal keys keep the order in which they were enumerated.
using TileMap = std::multimap<TileKey, HWND>;

struct LayoutContext {
    HWND Frame;
    HWND MdiClient;
    HWND FirstMaximized;
    TileMap Tiles;
    const PatternList* Order;
    const PatternList* Ignore;
    // Memory ran out while a tile was recorded: the pass positions nothing.
    bool OutOfMemory;
};

// Completes the pair of windows: with only a frame it finds the frame's MDI
// client, with only a client it takes the client's parent as the frame.
LayoutContext& InitLayoutContext(LayoutContext& context, HWND frame, HWND client);

// Accepts the first direct child of the frame whose class is "MDIClient".
BOOL CALLBACK FindMdiClientProc(HWND window, LPARAM param);

}  // namespace pellorin
