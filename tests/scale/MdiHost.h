// A host for Pellorin.dll under Wine, as the chat client is one: an MDI
// frame with its client and children, the DLL loaded from beside the
// program through its three exports, and counters of what the windows saw.
// Shared by the scale tests and the benchmark; the windows and the loader
// themselves come from tests/support.
#pragma once

#include "support/ClientRecorder.h"
#include "support/MessagePump.h"
#include "support/ModuleMessages.h"
#include "support/PellorinLibrary.h"
#include "support/Rects.h"
#include "support/TileMove.h"
#include "support/TileRule.h"

#include <windows.h>

#include <string>
#include <vector>

namespace mdi_host {

using support::ExpectedTile;
using support::ExpectedTileNow;
using support::PumpQueued;
using support::RectInParent;
using support::RelayoutMessage;
using support::SameRect;
using support::TileFlags;
using Pellorin = support::PellorinLibrary;

// InstallHook with the frame and a copy of text in a writable buffer, as the
// host's is; the module must only read it.
int Install(const Pellorin& dll, HWND frame, const std::string& text);
// UnloadDll(0): the hook comes off.
inline void Unhook(const Pellorin& dll) { dll.UnloadDll(0); }

// QueryPerformanceCounter in milliseconds.
double NowMs();

// What the windows saw since the last Reset.
struct Counters {
    long TileMoves = 0;            // tile moves of any child
    support::ClientRecord Client;  // Relayouts: those that reached the client below the hook
    HWND Watched = nullptr;        // one child whose tile moves are counted apart
    long WatchedTileMoves = 0;
    double FirstTileMoveMs = 0;    // NowMs() at the first and the last tile move
    double LastTileMoveMs = 0;

    void Reset();
};
extern Counters Seen;

// Dispatches until the relayout count reaches target; false after timeoutMs.
bool PumpUntilRelayouts(long target, DWORD timeoutMs = 10000);
// Dispatches until nothing has arrived for quietMs, for 5 s at the most.
inline void PumpUntilQuiet(DWORD quietMs = 30) { support::PumpUntilQuiet(quietMs, 5000); }

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
