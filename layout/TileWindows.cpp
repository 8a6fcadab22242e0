#include "TileWindows.h"
#include "Bands.h"
#include "MatchTitle.h"

#include <new>

namespace pellorin {

namespace {

const UINT TileFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

LayoutContext& ContextOf(LPARAM param) { return *reinterpret_cast<LayoutContext*>(param); }

// EnumChildWindows also reports the controls inside the MDI children; the
// pass never touches those.
bool IsChildOfClient(HWND window, const LayoutContext& context)
{
    return GetParent(window) == context.MdiClient;
}

void PositionTiles(const LayoutContext& context, const RECT& client, int cx, int cy)
{
    const UINT count = static_cast<UINT>(context.Tiles.size());
    UINT position = 0;
    for (const auto& tile : context.Tiles) {
        const TilePlacement band = PlaceTile(client, cx, cy, position, count);
        SetWindowPos(tile.second, nullptr, band.X, band.Y, band.Width, band.Height, TileFlags);
        ++position;
    }
}

}  // namespace

bool TileWindows(LayoutContext& context)
{
    if (!context.MdiClient)
        return false;

    const LPARAM param = reinterpret_cast<LPARAM>(&context);
    context.Order = &OrderList;
    context.Ignore = &IgnoreList;
    context.FirstMaximized = nullptr;

    EnumChildWindows(context.MdiClient, RestoreMaximizedProc, param);
    if (context.FirstMaximized)
        EnumChildWindows(context.MdiClient, HideOthersProc, param);
    EnumChildWindows(context.MdiClient, CollectTilesProc, param);

    context.Order = nullptr;
    context.Ignore = nullptr;
    context.FirstMaximized = nullptr;

    if (context.Tiles.empty() || context.OutOfMemory)
        return false;

    // Read anew each pass: the user may change the border width meanwhile.
    const int cx = GetSystemMetrics(SM_CXFRAME);
    const int cy = GetSystemMetrics(SM_CYFRAME);
    RECT client = {0, 0, 0, 0};
    if (!GetClientRect(context.MdiClient, &client))
        return false;

    PositionTiles(context, client, cx, cy);
    return true;
}

BOOL CALLBACK RestoreMaximizedProc(HWND window, LPARAM param)
{
    LayoutContext& context = ContextOf(param);
    if (!IsChildOfClient(window, context))
        return TRUE;
    if (GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZE) {
        if (!context.FirstMaximized)
            context.FirstMaximized = window;
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
    return TRUE;
}

BOOL CALLBACK HideOthersProc(HWND window, LPARAM param)
{
    LayoutContext& context = ContextOf(param);
    if (window != context.FirstMaximized && IsWindowVisible(window) && IsChildOfClient(window, context) &&
        !MatchTitle(window, nullptr, context.Ignore))
        ShowWindow(window, SW_HIDE);
    return TRUE;
}

BOOL CALLBACK CollectTilesProc(HWND window, LPARAM param)
{
    LayoutContext& context = ContextOf(param);
    if (context.OutOfMemory)
        return TRUE;
    if (!IsWindowVisible(window) || !IsChildOfClient(window, context))
        return TRUE;
    if (!(GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME))
        return TRUE;
    RECT rect;
    if (!GetWindowRect(window, &rect))
        return TRUE;
    if (MatchTitle(window, nullptr, context.Ignore))
        return TRUE;

    UINT orderIndex = 0;
    MatchTitle(window, &orderIndex, context.Order);
    const TileKey key = {static_cast<std::int32_t>(orderIndex), rect.top};
    // The window system called us: no exception may travel back through it.
    // A pass that cannot record every tile positions none, rather than
    // squeezing the ones it has over the whole client area.
    try {
        context.Tiles.emplace(key, window);
    } catch (const std::bad_alloc&) {
        context.OutOfMemory = true;
    }
    return TRUE;
}

}  // namespace pellorin
