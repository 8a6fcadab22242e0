// Real windows for the tests under Wine: an MDI frame with its client and
// children, what the children and the client receive, and helpers to pump
// messages and read rectangles.
#pragma once

#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

// RECT lives in the global namespace, so its comparison and printing do too.
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const RECT& a, const RECT& b) { return !(a == b); }
inline void PrintTo(const RECT& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

namespace wine_test {

// The flags the tiling pass gives SetWindowPos. Wine's own moves of MDI
// children (activation, maximizing, restoring, hiding) never carry
// SWP_NOOWNERZORDER, so these flags tell a tile move apart.
const UINT TileFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

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

// What the test windows saw. The children record every WM_WINDOWPOSCHANGING
// that carries the tiling flags; the recorder below the hook counts the
// relayout messages that reached the client.
struct Recording {
    std::vector<HWND> TileMoves;
    int RelayoutsDispatched;
    std::vector<UnhookArrival> Unhooks;
    // When set, every tile move makes the child send WM_IME_SETCONTEXT to
    // its MDI client, as a host reacting to the move would: a pass's own
    // effects then reach the hook as trigger messages.
    bool EchoTriggers;
};
extern Recording Seen;
void ResetRecording();

// Band y0..y1 of tile i among n by the positioning rule, in the client
// coordinates of the MDI client: R widened by the sizing border, the first
// tile starting cy rows above R and neighbours overlapping by cy - 1 rows.
RECT ExpectedTile(const RECT& client, int cx, int cy, unsigned i, unsigned n);

// ExpectedTile with the live client rectangle and sizing-border metrics.
RECT ExpectedTileNow(HWND client, unsigned i, unsigned n);

// Child order[p] holds tile p of order.size() by the positioning rule.
testing::AssertionResult TiledInOrder(HWND client, const std::vector<HWND>& children, const std::vector<int>& order);

// A window's rectangle in the client coordinates of its parent.
RECT RectInParent(HWND window);

bool HasStyle(HWND window, LONG style);

// Whether the hook's subclass (HookSubclassProc, id 0) is on window.
bool HookSubclassOn(HWND window);

// Dispatches messages until none has arrived for a short quiet time; false
// if the queue never settled.
bool PumpUntilIdle();

// Dispatches messages until handle is signalled; false on time-out.
bool PumpUntilSignalled(HANDLE handle);

// How a test frame is shown. Inactive frames have no caption and are never
// activated: Wine's X11 driver then keeps them from the window manager, and
// only that makes them cheap to destroy (destroying a window that was given
// to the window manager waits two seconds for a reply, which never comes
// under Xvfb). An active frame is the host's main window as the user has it,
// with the focus, so that activating a child reaches the MDI client.
enum class Activation { Inactive, Active };

// A visible top-level window of the frame class with a client area of the
// given size; its procedure passes everything to DefFrameProcW with the MDI
// client kept in its GWLP_USERDATA.
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
