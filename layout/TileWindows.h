// The tiling pass: restores a maximized child, hides the others if there was
// one, and stacks the visible sizeable children that are not ignored over
// the MDI client in equal bands.
#pragma once

#include "LayoutContext.h"

namespace pellorin {

// True when the collected windows were positioned; false when the context
// has no MDI client, nothing was collected, the client rectangle could not
// be read, or memory ran out while the tiles were collected.
bool TileWindows(LayoutContext& context);

// The pass's three walks over the MDI client's descendants. Each looks only
// at the client's direct children and goes on to the end.
BOOL CALLBACK RestoreMaximizedProc(HWND window, LPARAM param);
BOOL CALLBACK HideOthersProc(HWND window, LPARAM param);
BOOL CALLBACK CollectTilesProc(HWND window, LPARAM param);

}  // namespace pellorin
