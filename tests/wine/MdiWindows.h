// Real windows for the tests under Wine: an MDI frame with its client and
// children, what the children and the client receive, and helpers to pump
// messages and read rectangles. What does not need the module's own state
// comes from tests/support.
#pragma once

#include "platform/WindowSystem.h"

#include "support/ClientRecorder.h"
#include "support/FrameWindows.h"
#include "support/MessagePump.h"
#include "support/RectForGtest.h"
#include "support/Rects.h"
#include "support/TileMove.h"
#include "support/TileRule.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace wine_test {

using support::Activation;
using support::ExpectedTile;
using support::ExpectedTileNow;
using support::RectInParent;

// Where the unhook message met the client: which of our recorders saw it
// (the one above the hook sees it first, the one below after the hook has
// handled it), on which thread, and whether the hook was still on then.
struct UnhookArrival {
    bool AboveHook;
    DWORD Thread;
    bool HookOn;  // HookedClient set and HookSubclassProc on the client
};
bool operator==(const UnhookArrival& a, const UnhookArrival& b);
void PrintTo(const UnhookArrival& arrival, std::ostream* os);

// What the test windows saw. The children record every tile move; the
// recorder below the hook counts the relayout messages that reached the
// client (BelowHook.Relayouts); both recorders note the unhook messages.
struct Recording {
    std::vector<HWND> TileMoves;
    support::ClientRecord BelowHook;
    support::ClientRecord AboveHook;
    std::vector<UnhookArrival> Unhooks;
    // When set, every tile move makes the child send WM_IME_SETCONTEXT to
    // its MDI client, as a host reacting to the move would: a pass's own
    // effects then reach the hook as trigger messages.
    bool EchoTriggers;
};
extern Recording Seen;
// Clears what was seen; keeps EchoTriggers.
void ResetRecording();

// Child order[p] holds tile p of order.size() by the positioning rule.
testing::AssertionResult TiledInOrder(HWND client, const std::vector<HWND>& children, const std::vector<int>& order);

bool HasStyle(HWND window, LONG style);

// Whether the hook's subclass (HookSubclassProc, id 0) is on window.
bool HookSubclassOn(HWND window);

// Dispatches messages until none has arrived for a short quiet time; false
// if the queue never settled.
inline bool PumpUntilIdle() { return support::PumpUntilQuiet(60, 5000); }

// Dispatches messages until handle is signalled; false on time-out.
inline bool PumpUntilSignalled(HANDLE handle) { return support::PumpUntilSignalled(handle, 5000); }

// A visible top-level window of the frame class with a client area of the
// given size; its procedure is support::FrameProc.
HWND CreateFrameWindow(int clientWidth, int clientHeight, Activation activation = Activation::Inactive);

// An "MDICLIENT" child of parent covering rect, without a border of its own
// so that its client area is exactly rect. It carries the recorder that
// stays below the hook.
HWND CreateMdiClient(HWND parent, const RECT& rect);

// Adds the recorder above the hook; call it after AttachHook.
void RecordAboveHook(HWND client);

// A visible child of client at rect (client coordinates), created with
// WM_MDICREATE.
HWND CreateMdiChild(HWND client, const wchar_t* title, const RECT& rect);

// A visible control of class className inside parent at rect (the parent's
// client coordinates).
HWND CreateControl(HWND parent, const wchar_t* className, const RECT& rect, DWORD extraStyle = 0);

// A child to create: its title and the top edge it starts at.
struct ChildAt {
    const wchar_t* Title;
    int Top;
};

// Where the index-th child starts, at top: staggered, and narrower and
// shorter than any tile, so that a child that was not positioned is told
// apart from one that was.
RECT StartRect(int index, int top);

// A frame, its MDI client and the children created so far.
class MdiFrame {
public:
    explicit MdiFrame(Activation activation = Activation::Inactive, int clientWidth = 800, int clientHeight = 600);
    ~MdiFrame();
    MdiFrame(const MdiFrame&) = delete;
    MdiFrame& operator=(const MdiFrame&) = delete;

    HWND Frame() const { return frame_; }
    HWND Client() const { return client_; }
    const std::vector<HWND>& Children() const { return children_; }

    // A child at rect (client coordinates), created with WM_MDICREATE.
    HWND AddChild(const wchar_t* title, const RECT& rect);
    // Children at StartRect, in the order given.
    void AddChildren(const std::vector<ChildAt>& children);
    // The same through CreateMDIWindowW.
    HWND AddChildByFunction(const wchar_t* title, const RECT& rect);

    // The recorded tile moves, each named by the index of its child.
    std::vector<int> TileMoveIndexes() const;

    // Child order[p] holds tile p of order.size() by the positioning rule.
    testing::AssertionResult TiledInOrder(const std::vector<int>& order) const
    {
        return wine_test::TiledInOrder(client_, children_, order);
    }

    // Destroys the frame now (the destructor then does nothing).
    void Destroy();

private:
    HWND frame_;
    HWND client_;
    std::vector<HWND> children_;
};

}  // namespace wine_test
