// The hook on a real MDI client: attachment, re-tiling on size changes
// through one posted message, removal from another thread, and detachment
// when the client goes away.
#include "MdiWindows.h"

#include "hook/MdiHook.h"
#include "layout/PatternList.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace wine_test {
namespace {

using pellorin::HookState;

// The fixture's children; by top edge Status comes first, #pellorin last.
const std::vector<ChildAt> FixtureChildren = {{L"#pellorin", 400}, {L"Status", 20}, {L"Query alice", 200}};
const std::vector<int> TileOrder = {1, 2, 0};
// The tile moves of one pass over the fixture's children.
const std::vector<int> OnePass = {1, 2, 0};
const std::vector<int> TwoPasses = {1, 2, 0, 1, 2, 0};

bool RelayoutQueued(HWND client)
{
    MSG msg;
    return PeekMessageW(&msg, client, HookState.RelayoutMessage, HookState.RelayoutMessage, PM_NOREMOVE) != FALSE;
}

// Takes every queued relayout message for client off the queue, then
// dispatches them; returns how many there were.
int DispatchQueuedRelayouts(HWND client)
{
    std::vector<MSG> queued;
    MSG msg;
    while (PeekMessageW(&msg, client, HookState.RelayoutMessage, HookState.RelayoutMessage, PM_REMOVE))
        queued.push_back(msg);
    for (const MSG& message : queued)
        DispatchMessageW(&message);
    return static_cast<int>(queued.size());
}

// Drops queued relayout messages without dispatching them.
void DiscardQueuedRelayouts(HWND client)
{
    MSG msg;
    while (PeekMessageW(&msg, client, HookState.RelayoutMessage, HookState.RelayoutMessage, PM_REMOVE)) {
    }
}

void SendSize(HWND client)
{
    RECT area = {0, 0, 0, 0};
    GetClientRect(client, &area);
    SendMessageW(client, WM_SIZE, SIZE_RESTORED, MAKELPARAM(area.right, area.bottom));
}

class HookTest : public testing::Test {
protected:
    static void SetUpTestSuite() { pellorin::RegisterHookMessages(); }

    void SetUp() override
    {
        ASSERT_NE(HookState.UnhookMessage, 0u);
        ASSERT_NE(HookState.RelayoutMessage, 0u);
        ASSERT_EQ(HookState.HookedClient, nullptr);
        pellorin::OrderList.clear();
        pellorin::IgnoreList.clear();
        Seen.EchoTriggers = false;
        ASSERT_NO_FATAL_FAILURE(Build(Activation::Inactive));
    }

    // A new frame with the fixture's children, settled, nothing recorded.
    void Build(Activation activation)
    {
        windows_.reset();
        windows_.reset(new MdiFrame(activation));
        windows_->AddChildren(FixtureChildren);
        // Let the activation of the new windows settle before anything is
        // recorded.
        ASSERT_TRUE(PumpUntilIdle());
        ResetRecording();
    }

    void TearDown() override
    {
        pellorin::RemoveHook();
        windows_.reset();
        Seen.EchoTriggers = false;
        EXPECT_EQ(HookState.HookedClient, nullptr);
        EXPECT_FALSE(HookState.RelayoutPending);
        HookState.RelayoutPending = false;
    }

    MdiFrame& Windows() { return *windows_; }
    HWND Client() { return windows_->Client(); }

    // Attaches, lets what the first pass caused settle, and clears the record.
    void AttachAndSettle()
    {
        pellorin::AttachHook(Windows().Frame());
        ASSERT_EQ(HookState.HookedClient, Client());
        ASSERT_TRUE(PumpUntilIdle());
        ResetRecording();
    }

    std::unique_ptr<MdiFrame> windows_;
};

TEST_F(HookTest, AttachSubclassesTheClientAndTilesAtOnce)
{
    pellorin::AttachHook(Windows().Frame());

    EXPECT_EQ(HookState.HookedClient, Client());
    EXPECT_TRUE(HookSubclassOn(Client()));
    // The first pass ran inside AttachHook, one move per tile in key order.
    EXPECT_EQ(Windows().TileMoveIndexes(), OnePass);
    EXPECT_TRUE(Windows().TiledInOrder(TileOrder));

    // A second attachment while hooked does nothing and runs no pass.
    ResetRecording();
    pellorin::AttachHook(Windows().Frame());
    EXPECT_EQ(HookState.HookedClient, Client());
    EXPECT_TRUE(Windows().TileMoveIndexes().empty());
}

struct WorkerCall {
    HWND Frame;
    HWND Client;
    DWORD Thread;
    bool HookedClientNull;
    bool RelayoutPending;
    bool SubclassOn;
};

DWORD WINAPI AttachOnWorker(LPVOID param)
{
    WorkerCall& call = *static_cast<WorkerCall*>(param);
    call.Thread = GetCurrentThreadId();
    pellorin::AttachHook(call.Frame);
    call.HookedClientNull = HookState.HookedClient == nullptr;
    call.SubclassOn = HookSubclassOn(call.Client);
    return 0;
}

DWORD WINAPI RemoveOnWorker(LPVOID param)
{
    WorkerCall& call = *static_cast<WorkerCall*>(param);
    call.Thread = GetCurrentThreadId();
    pellorin::RemoveHook();
    call.HookedClientNull = HookState.HookedClient == nullptr;
    call.RelayoutPending = HookState.RelayoutPending;
    call.SubclassOn = HookSubclassOn(call.Client);
    return 0;
}

// Runs procedure on a new thread while this thread goes on dispatching.
bool RunOnWorker(LPTHREAD_START_ROUTINE procedure, WorkerCall& call)
{
    HANDLE thread = CreateThread(nullptr, 0, procedure, &call, 0, nullptr);
    if (!thread)
        return false;
    const bool ended = PumpUntilSignalled(thread);
    // A worker still blocked after the time limit would outlive call; the
    // test has failed by then, and the process must not hang.
    if (!ended)
        TerminateThread(thread, 1);
    CloseHandle(thread);
    return ended;
}

TEST_F(HookTest, AttachRefusesWithoutAClientOnThisThread)
{
    HWND plainFrame = CreateFrameWindow(300, 200);
    struct Row {
        const char* Label;
        HWND Frame;
        bool FromWorker;
    };
    const Row rows[] = {
        {"no frame", nullptr, false},
        {"frame without an MDI client", plainFrame, false},
        {"client of another thread", Windows().Frame(), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Label);
        ResetRecording();
        if (row.FromWorker) {
            WorkerCall call = {row.Frame, Client(), 0, false, false, true};
            ASSERT_TRUE(RunOnWorker(AttachOnWorker, call));
            EXPECT_TRUE(call.HookedClientNull);
        } else {
            pellorin::AttachHook(row.Frame);
        }
        EXPECT_EQ(HookState.HookedClient, nullptr);
        EXPECT_FALSE(HookSubclassOn(Client()));
        EXPECT_TRUE(Windows().TileMoveIndexes().empty());
    }
    DestroyWindow(plainFrame);
}

TEST_F(HookTest, FrameResizeRetilesToTheNewClientSize)
{
    AttachAndSettle();
    struct Row {
        const char* Label;
        int ClientWidth;
        int ClientHeight;
    };
    const Row rows[] = {
        {"larger", 960, 720},
        {"smaller", 640, 400},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Label);
        ResetRecording();
        RECT outer = {0, 0, row.ClientWidth, row.ClientHeight};
        AdjustWindowRectEx(&outer, GetWindowLongW(Windows().Frame(), GWL_STYLE), FALSE, 0);
        MoveWindow(Windows().Frame(), 40, 40, outer.right - outer.left, outer.bottom - outer.top, TRUE);

        // The client has been resized and a pass scheduled, not yet run.
        RECT area;
        ASSERT_TRUE(GetClientRect(Client(), &area));
        EXPECT_EQ(area, (RECT{0, 0, row.ClientWidth, row.ClientHeight}));
        EXPECT_TRUE(HookState.RelayoutPending);
        EXPECT_TRUE(Windows().TileMoveIndexes().empty());

        ASSERT_TRUE(PumpUntilIdle());
        EXPECT_FALSE(HookState.RelayoutPending);
        EXPECT_EQ(Seen.BelowHook.Relayouts, 1);
        EXPECT_EQ(Windows().TileMoveIndexes(), OnePass);
        EXPECT_TRUE(Windows().TiledInOrder(TileOrder));
    }
}

TEST_F(HookTest, BurstOfSizeMessagesPostsOnceAndTilesOnce)
{
    AttachAndSettle();
    // Move the children off their tiles, in the same top-to-bottom order, so
    // that the pass visibly puts them back.
    for (std::size_t i = 0; i < FixtureChildren.size(); ++i)
        SetWindowPos(Windows().Children()[i], nullptr, 30, FixtureChildren[i].Top, 200, 100,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    ResetRecording();

    for (int i = 0; i < 10; ++i)
        SendSize(Client());
    EXPECT_TRUE(HookState.RelayoutPending);
    EXPECT_TRUE(Windows().TileMoveIndexes().empty()) << "the pass is deferred, not run for a trigger";

    EXPECT_EQ(DispatchQueuedRelayouts(Client()), 1);
    EXPECT_FALSE(HookState.RelayoutPending);
    EXPECT_EQ(Windows().TileMoveIndexes(), OnePass);
    EXPECT_TRUE(Windows().TiledInOrder(TileOrder));

    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(Windows().TileMoveIndexes(), OnePass);

    // Once the pass has run, the next trigger posts again.
    SendSize(Client());
    EXPECT_TRUE(HookState.RelayoutPending);
    EXPECT_EQ(DispatchQueuedRelayouts(Client()), 1);
    EXPECT_EQ(Windows().TileMoveIndexes(), TwoPasses);
}

// A host that answers every tile move with a trigger message: the first
// pass schedules one deferred pass, and that pass, whose moves arrive while
// it is still pending, schedules none.
TEST_F(HookTest, PassesOwnEffectsScheduleOneDeferredPassAndNoMore)
{
    Seen.EchoTriggers = true;
    pellorin::AttachHook(Windows().Frame());
    ASSERT_EQ(HookState.HookedClient, Client());
    EXPECT_EQ(Windows().TileMoveIndexes(), OnePass);
    EXPECT_TRUE(HookState.RelayoutPending);

    EXPECT_EQ(DispatchQueuedRelayouts(Client()), 1);
    EXPECT_EQ(Windows().TileMoveIndexes(), TwoPasses);
    EXPECT_FALSE(HookState.RelayoutPending);
    EXPECT_FALSE(RelayoutQueued(Client()));

    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(Windows().TileMoveIndexes(), TwoPasses);
    EXPECT_EQ(Seen.BelowHook.Relayouts, 1);
    EXPECT_TRUE(Windows().TiledInOrder(TileOrder));
}

// The same with the host's own windows: in an active frame, maximizing a
// child activates it, which the client hears as WM_IME_SETCONTEXT. Neither
// the first pass, which restores a child maximized before the attachment,
// nor the pass that a later maximization schedules leads to another.
TEST_F(HookTest, MaximizedChildIsTiledAloneWithoutALoop)
{
    ASSERT_NO_FATAL_FAILURE(Build(Activation::Active));
    const std::vector<HWND>& children = Windows().Children();
    SendMessageW(Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(children[2]), 0);
    ASSERT_TRUE(PumpUntilIdle());
    ASSERT_TRUE(HasStyle(children[2], WS_MAXIMIZE));
    ResetRecording();

    pellorin::AttachHook(Windows().Frame());
    ASSERT_EQ(HookState.HookedClient, Client());
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_LE(Seen.BelowHook.Relayouts, 1);
    EXPECT_FALSE(HasStyle(children[2], WS_MAXIMIZE));
    EXPECT_TRUE(Windows().TiledInOrder({2}));
    EXPECT_FALSE(IsWindowVisible(children[0]));
    EXPECT_FALSE(IsWindowVisible(children[1]));
    ResetRecording();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(Seen.BelowHook.Relayouts, 0);
    EXPECT_TRUE(Windows().TileMoveIndexes().empty());

    // The host shows the others again and the user maximizes one of them.
    ShowWindow(children[0], SW_SHOWNOACTIVATE);
    ShowWindow(children[1], SW_SHOWNOACTIVATE);
    SendMessageW(Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(children[1]), 0);
    // Wine activates the child and sends the client WM_IME_SETCONTEXT
    // before WM_MDIMAXIMIZE returns.
    EXPECT_TRUE(HookState.RelayoutPending);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(Seen.BelowHook.Relayouts, 1);
    EXPECT_FALSE(HasStyle(children[1], WS_MAXIMIZE));
    EXPECT_TRUE(Windows().TiledInOrder({1}));
    EXPECT_FALSE(IsWindowVisible(children[0]));
    EXPECT_FALSE(IsWindowVisible(children[2]));
    ResetRecording();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(Seen.BelowHook.Relayouts, 0);
    EXPECT_TRUE(Windows().TileMoveIndexes().empty());
}

TEST_F(HookTest, RemoveFromAnotherThreadIsDoneOnTheClientThread)
{
    AttachAndSettle();
    RecordAboveHook(Client());
    // Pending, with nothing queued: only the client's thread can clear it.
    SendSize(Client());
    DiscardQueuedRelayouts(Client());
    ASSERT_TRUE(HookState.RelayoutPending);

    WorkerCall call = {nullptr, Client(), 0, false, true, true};
    ASSERT_TRUE(RunOnWorker(RemoveOnWorker, call));

    // When RemoveHook returned on the worker, the hook was gone.
    EXPECT_TRUE(call.HookedClientNull);
    EXPECT_FALSE(call.RelayoutPending);
    EXPECT_FALSE(call.SubclassOn);
    // The unhook message reached the client on this thread with the hook
    // still on, and left it with the hook off. (Wine's RemoveWindowSubclass
    // also works from another thread, so only this shows where it ran.)
    const DWORD ui = GetCurrentThreadId();
    ASSERT_NE(call.Thread, ui);
    const std::vector<UnhookArrival> expected = {{true, ui, true}, {false, ui, false}};
    EXPECT_EQ(Seen.Unhooks, expected);

    // The subclass is really off: a trigger schedules nothing.
    SendSize(Client());
    EXPECT_FALSE(HookState.RelayoutPending);
    EXPECT_FALSE(RelayoutQueued(Client()));
}

TEST_F(HookTest, DestroyingTheFrameDetachesSoANewFrameCanBeHooked)
{
    AttachAndSettle();
    Windows().Destroy();
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_FALSE(HookState.RelayoutPending);

    windows_.reset(new MdiFrame(Activation::Inactive, 700, 500));
    Windows().AddChildren({{L"Query bob", 300}, {L"#wine", 60}});
    ASSERT_TRUE(PumpUntilIdle());
    ResetRecording();

    pellorin::AttachHook(Windows().Frame());
    EXPECT_EQ(HookState.HookedClient, Client());
    EXPECT_EQ(Windows().TileMoveIndexes(), (std::vector<int>{1, 0}));
    EXPECT_TRUE(Windows().TiledInOrder({1, 0}));
}

}  // namespace
}  // namespace wine_test
