// A host for Pellorin.dll under Wine, as the chat client is one: an MDI
// frame with its client and children, the DLL loaded from beside the
// program through its three exports, and counters of what the windows saw.
// Shared by the scale tests and the benchmark.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace mdi_host {

// The module's exports, resolved by name as the host resolves them.
struct Pellorin {
    HMODULE Module = nullptr;
    UINT(WINAPI* LoadDll)(void*) = nullptr;
    int(WINAPI* UnloadDll)(int) = nullptr;
    int(WINAPI* InstallHook)(HWND, HWND, char*, char*, BOOL, BOOL) = nullptr;

    // Loads Pellorin.dll from the program's own directory; on failure
    // returns false with the reason in error.
    bool Load(std::string& error);
    void Free();

    // InstallHook with the frame and a copy of text, the other arguments
    // as the host passes them when it has nothing to say.
    int Install(HWND frame, const std::string& text) const;
    // UnloadDll(0): the hook comes off.
    void Unhook() const { UnloadDll(0); }
};

// QueryPerformanceCounter in milliseconds.
double NowMs();

// The id of the message the hook posts to the client for a deferred pass.
UINT RelayoutMessage();

// The flags the tiling pass moves with; nothing else here uses
// SWP_NOOWNERZORDER, so a move with all three is a tile move.
const UINT TileFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

// What the windows saw since the last Reset.
struct Counters {
    long TileMoves = 0;            // WM_WINDOWPOSCHANGING with TileFlags, any child
    long RelayoutsDispatched = 0;  // relayout messages that reached the client below the hook
    HWND Watched = nullptr;        // one child whose tile moves are counted apart
    long WatchedTileMoves = 0;
    double FirstTileMoveMs = 0;    // NowMs() at the first and the last tile move
    double LastTileMoveMs = 0;

    void Reset();
};
extern Counters Seen;

// Band i of n by the positioning rule, in the client coordinates of the MDI
// client: R widened by the sizing border cx on both sides, the first tile
// starting cy rows above R, neighbours overlapping by cy - 1 rows, band
// edges in unsigned 32-bit arithmetic.
RECT ExpectedTile(const RECT& client, int cx, int cy, unsigned i, unsigned n);
// The same with the live client rectangle and sizing-border metrics.
RECT ExpectedTileNow(HWND client, unsigned i, unsigned n);

// A window's rectangle in the client coordinates of its parent.
RECT RectInParent(HWND window);
bool SameRect(const RECT& a, const RECT& b);

// Dispatches what is queued now, without waiting.
void PumpQueued();
// Dispatches until the relayout count reaches target; false after timeoutMs.
bool PumpUntilRelayouts(long target, DWORD timeoutMs = 10000);
// Dispatches until nothing has arrived for quietMs.
void PumpUntilQuiet(DWORD quietMs = 30);

// The smallest child height that SetWindowPos keeps: a sizing border makes
// Wine (and Windows) clamp a child to its minimum tracking size.
int MinimumTrackHeight();

// A visible frame of fixed size holding an MDI client of the given size. The
// frame is a child of one top-level window that lives as long as the
// process, so that no frame is ever a window Wine's X11 driver has given to
// the window manager (destroying one waits two seconds under Xvfb);
// InstallHook only needs the frame's direct MDIClient child.
// The client may be taller than the frame, so that many bands stay above the
// children's minimum tracking height; the frame is never resized, so
// DefFrameProcW never fits the client back into it. The client carries a
// recorder below any subclass added later, which counts relayout messages.
class MdiFrame {
public:
    MdiFrame(int clientWidth, int clientHeight);
    ~MdiFrame();
    MdiFrame(const MdiFrame&) = delete;
    MdiFrame& operator=(const MdiFrame&) = delete;

    HWND Frame() const { return frame_; }
    HWND Client() const { return client_; }
    const std::vector<HWND>& Children() const { return children_; }

    // A visible child at rect (client coordinates), created with WM_MDICREATE.
    HWND AddChild(const std::wstring& title, const RECT& rect);

    // Resizes the client without going through the frame.
    void ResizeClient(int width, int height);

private:
    HWND frame_;
    HWND client_;
    std::vector<HWND> children_;
};

}  // namespace mdi_host
