// The subclass on the MDI client: its states, the one posted message per
// burst of triggers, removal on the client's thread and from another.
#include "SimFixture.h"

using namespace pellorin;
using sim::Event;
using test::Relayout;
using test::Step;
using test::Unhook;

namespace {

// Window indices: 0 the frame, 1 the client, 2 and 3 the children.
const int Client = 1;
const int First = 2;
const int Second = 3;

class MdiHook : public test::SimTest {
protected:
    test::MdiWorld World;
    HWND A = nullptr;
    HWND B = nullptr;

    void SetUp() override
    {
        SimTest::SetUp();
        World = test::MdiWorld(800, 600);
        A = World.AddChild(u"a", RECT{0, 0, 100, 100});
        B = World.AddChild(u"b", RECT{0, 50, 100, 150});
        RegisterHookMessages();
    }

    void Attach()
    {
        AttachHook(World.Frame);
        ASSERT_EQ(HookState.HookedClient, World.Client);
        sim::ClearCalls();
    }

    LRESULT Send(UINT message)
    {
        return SendMessageW(World.Client, message, 0, 0);
    }

    static std::vector<Step> Pass() { return {{Event::Moved, First, 0}, {Event::Moved, Second, 0}}; }

    static std::vector<Step> Join(std::initializer_list<std::vector<Step>> parts)
    {
        std::vector<Step> all;
        for (const auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }

    std::size_t Passes() { return test::CallsOf(Event::Moved).size() / 2; }
};

TEST_F(MdiHook, AttachSubclassesTheClientAndTilesOnce)
{
    sim::ClearCalls();
    AttachHook(World.Frame);
    EXPECT_SEQUENCE(Join({{{Event::Subclassed, Client, 0}}, Pass()}));
    EXPECT_EQ(HookState.HookedClient, World.Client);
    EXPECT_FALSE(HookState.RelayoutPending);
    EXPECT_EQ(sim::QueueLength(), 0u);
}

TEST_F(MdiHook, ABurstOfTriggersPostsOnceAndRunsOnePass)
{
    Attach();
    std::vector<Step> expected = {{Event::Sent, Client, WM_SIZE}, {Event::Posted, Client, Relayout},
                                  {Event::Received, Client, WM_SIZE}};
    Send(WM_SIZE);
    EXPECT_TRUE(HookState.RelayoutPending);
    for (int i = 1; i < 10; ++i) {
        Send(i % 2 ? WM_SIZE : WM_IME_SETCONTEXT);
        const UINT message = i % 2 ? WM_SIZE : WM_IME_SETCONTEXT;
        expected.push_back({Event::Sent, Client, message});
        expected.push_back({Event::Received, Client, message});
    }
    EXPECT_EQ(sim::QueueLength(), 1u);

    EXPECT_EQ(sim::Dispatch(), 1u);
    expected.push_back({Event::Dispatched, Client, Relayout});
    for (const Step& step : Pass())
        expected.push_back(step);
    expected.push_back({Event::Received, Client, Relayout});
    EXPECT_SEQUENCE(expected);
    EXPECT_FALSE(HookState.RelayoutPending);
}

TEST_F(MdiHook, ATriggerDuringTheDeferredPassPostsNothing)
{
    Attach();
    Send(WM_SIZE);
    sim::OnCall([&](const sim::Call& call) {
        if (call.Kind == Event::Moved && call.Window == A)
            Send(WM_SIZE);  // as the pass's own moves might cause
    });
    sim::ClearCalls();
    sim::Dispatch();
    EXPECT_SEQUENCE({{Event::Dispatched, Client, Relayout},
                     {Event::Moved, First, 0},
                     {Event::Sent, Client, WM_SIZE},
                     {Event::Received, Client, WM_SIZE},
                     {Event::Moved, Second, 0},
                     {Event::Received, Client, Relayout}});
    EXPECT_FALSE(HookState.RelayoutPending);
    EXPECT_EQ(sim::QueueLength(), 0u);

    sim::OnCall(nullptr);
    sim::ClearCalls();
    Send(WM_SIZE);
    EXPECT_EQ(test::CallsOf(Event::Posted).size(), 1u) << "the next trigger posts again";
}

TEST_F(MdiHook, ATriggerDuringTheFirstPassPostsOne)
{
    sim::OnCall([&](const sim::Call& call) {
        if (call.Kind == Event::Moved && call.Window == A)
            Send(WM_SIZE);
    });
    AttachHook(World.Frame);
    EXPECT_TRUE(HookState.RelayoutPending);
    EXPECT_EQ(sim::QueueLength(), 1u);
    sim::OnCall(nullptr);
    sim::ClearCalls();
    sim::Dispatch();
    EXPECT_EQ(Passes(), 1u);
    EXPECT_FALSE(HookState.RelayoutPending);
}

TEST_F(MdiHook, ARelayoutLeftFromAnEarlierAttachmentRunsAPass)
{
    Attach();
    Send(WM_SIZE);
    RemoveHook();
    AttachHook(World.Frame);
    EXPECT_FALSE(HookState.RelayoutPending);
    sim::ClearCalls();
    sim::Dispatch();
    EXPECT_SEQUENCE(Join({{{Event::Dispatched, Client, Relayout}}, Pass(), {{Event::Received, Client, Relayout}}}));
    EXPECT_FALSE(HookState.RelayoutPending);
}

TEST_F(MdiHook, ARelayoutQueuedWhileUnhookedReachesOnlyTheClient)
{
    Attach();
    Send(WM_SIZE);
    RemoveHook();
    sim::ClearCalls();
    sim::Dispatch();
    EXPECT_SEQUENCE({{Event::Dispatched, Client, Relayout}, {Event::Received, Client, Relayout}});
}

TEST_F(MdiHook, DestroyingTheClientDetaches)
{
    Attach();
    Send(WM_SIZE);
    sim::ClearCalls();
    sim::DestroyWindow(World.Client);
    EXPECT_SEQUENCE({{Event::Unsubclassed, Client, 0},
                     {Event::Received, Client, WM_DESTROY},
                     {Event::Received, First, WM_DESTROY},
                     {Event::Received, Second, WM_DESTROY}});
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_FALSE(HookState.RelayoutPending);

    // A new frame is hooked afterwards.
    test::MdiWorld second(400, 300);
    second.AddChild(u"x", RECT{0, 0, 10, 10});
    AttachHook(second.Frame);
    EXPECT_EQ(HookState.HookedClient, second.Client);
}

TEST_F(MdiHook, TheUnhookMessageDetachesAndReachesTheClient)
{
    Attach();
    const LRESULT result = Send(HookState.UnhookMessage);
    EXPECT_SEQUENCE({{Event::Sent, Client, Unhook}, {Event::Unsubclassed, Client, 0}, {Event::Received, Client, Unhook}});
    EXPECT_EQ(result, sim::DefaultResult(HookState.UnhookMessage)) << "the sender gets the client's own answer";
    EXPECT_EQ(HookState.HookedClient, nullptr);
}

TEST_F(MdiHook, EveryMessageAnswersWhatTheNextProcedureAnswered)
{
    const UINT messages[] = {WM_SIZE, WM_IME_SETCONTEXT, 0x0100 /* WM_KEYDOWN */, 0 /* WM_NULL */, 0xC123,
                             HookState.RelayoutMessage, HookState.UnhookMessage, WM_DESTROY};
    for (UINT message : messages) {
        SCOPED_TRACE(message);
        if (!HookState.HookedClient)
            Attach();
        EXPECT_EQ(Send(message), sim::DefaultResult(message));
    }
}

TEST_F(MdiHook, RemoveHookFromAnotherThreadRunsOnTheClientsThread)
{
    Attach();
    Send(WM_SIZE);
    sim::ClearCalls();
    sim::SetCurrentThread(2);
    RemoveHook();
    sim::SetCurrentThread(sim::MainThread);

    EXPECT_SEQUENCE({{Event::Sent, Client, Unhook}, {Event::Unsubclassed, Client, 0}, {Event::Received, Client, Unhook}});
    const std::vector<sim::Call> calls = test::RecordedCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].Thread, 2u) << "sent by the calling thread";
    EXPECT_EQ(calls[1].Thread, sim::MainThread) << "removed by the client's thread";
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_FALSE(HookState.RelayoutPending);
}

TEST_F(MdiHook, RemoveHookWhenDetachedOrDisabledMakesNoPlatformCall)
{
    // Detached
    std::size_t before = sim::PlatformCallCount();
    RemoveHook();
    EXPECT_EQ(sim::PlatformCallCount(), before);

    // Disabled, with a client that looks hooked
    HookState.UnhookMessage = 0;
    HookState.HookedClient = World.Client;
    before = sim::PlatformCallCount();
    RemoveHook();
    EXPECT_EQ(sim::PlatformCallCount(), before);
    HookState.HookedClient = nullptr;
}

TEST_F(MdiHook, AttachHookOnAnotherThreadLeavesItDetached)
{
    HookState.RelayoutPending = true;  // not a reachable state: shows the field is not touched
    sim::SetCurrentThread(2);
    sim::ClearCalls();
    AttachHook(World.Frame);
    sim::SetCurrentThread(sim::MainThread);
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_TRUE(HookState.RelayoutPending);
    EXPECT_SEQUENCE({});
    HookState.RelayoutPending = false;
}

TEST_F(MdiHook, AttachHookThatCannotGoOnAttachesNothing)
{
    struct Case {
        const char* Label;
        HWND Frame;
    };
    sim::WindowSpec bare;
    bare.ClassName = u"NoClientFrame";
    const HWND withoutClient = sim::CreateWindow(bare);
    const Case cases[] = {{"null frame", nullptr}, {"a frame without an MDI client", withoutClient}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        sim::ClearCalls();
        AttachHook(c.Frame);
        EXPECT_EQ(HookState.HookedClient, nullptr);
        EXPECT_SEQUENCE({});
    }
}

TEST_F(MdiHook, AttachHookWhileAttachedDoesNothing)
{
    Attach();
    Send(WM_SIZE);
    const std::size_t before = sim::PlatformCallCount();
    AttachHook(World.Frame);
    EXPECT_EQ(sim::PlatformCallCount(), before);
    EXPECT_TRUE(HookState.RelayoutPending);
}

TEST_F(MdiHook, RemoveThenAttachTilesWithTheListsAsTheyAreThen)
{
    Attach();
    RemoveHook();
    test::SetOrder({u"b"});
    sim::ClearCalls();
    AttachHook(World.Frame);
    EXPECT_SEQUENCE({{Event::Subclassed, Client, 0}, {Event::Moved, Second, 0}, {Event::Moved, First, 0}});
}

TEST_F(MdiHook, AFailingSubclassAttachesNothing)
{
    sim::Fail(World.Client, sim::Op::SetWindowSubclass);
    HookState.RelayoutPending = true;
    sim::ClearCalls();
    AttachHook(World.Frame);
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_FALSE(HookState.RelayoutPending);
    EXPECT_SEQUENCE({});
    EXPECT_EQ(sim::ModuleReferences(), 0);
}

TEST_F(MdiHook, AFailedRegistrationDisablesEverything)
{
    const char16_t* names[] = {u"Pellorin_1_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}",
                               u"Pellorin_2_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}"};
    for (const char16_t* name : names) {
        SCOPED_TRACE(std::string(name, name + 10));
        sim::Reset();
        World = test::MdiWorld(800, 600);
        World.AddChild(u"a", RECT{0, 0, 100, 100});
        sim::FailRegistration(name);
        RegisterHookMessages();
        EXPECT_TRUE(HookState.UnhookMessage == 0 || HookState.RelayoutMessage == 0);
        sim::ClearCalls();
        AttachHook(World.Frame);
        RemoveHook();
        EXPECT_EQ(HookState.HookedClient, nullptr);
        EXPECT_SEQUENCE({});
    }
}

TEST_F(MdiHook, RegistersTheTwoNamesAsDistinctMessages)
{
    EXPECT_NE(HookState.UnhookMessage, 0u);
    EXPECT_NE(HookState.RelayoutMessage, 0u);
    EXPECT_NE(HookState.UnhookMessage, HookState.RelayoutMessage);
    EXPECT_EQ(RegisterWindowMessageW(u"Pellorin_2_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}"), HookState.RelayoutMessage);
}

TEST_F(MdiHook, AFailedPostSchedulesNothingAndTheNextTriggerTriesAgain)
{
    Attach();
    sim::Fail(World.Client, sim::Op::PostMessage);
    Send(WM_SIZE);
    EXPECT_FALSE(HookState.RelayoutPending);
    Send(WM_SIZE);
    EXPECT_EQ(test::CallsOf(Event::Posted).size(), 2u);
}

// A procedure placed above ours that keeps WM_DESTROY to itself.
LRESULT CALLBACK SwallowDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_DESTROY)
        return 0;
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(MdiHook, AClientGoneUnseenDoesNotBlockTheNextAttachment)
{
    Attach();
    SetWindowSubclass(World.Client, SwallowDestroy, 0, 0);
    sim::DestroyWindow(World.Client);
    ASSERT_EQ(HookState.HookedClient, World.Client) << "our procedure never saw WM_DESTROY";

    const std::size_t sent = test::CallsOf(Event::Sent).size();
    RemoveHook();
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_EQ(test::CallsOf(Event::Sent).size(), sent) << "nothing is sent to a window that is gone";

    test::MdiWorld second(400, 300);
    AttachHook(second.Frame);
    EXPECT_EQ(HookState.HookedClient, second.Client);
}

// A host's own subclass, placed before ours and so below it in the chain.
int HostProcedureCalls;
LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    ++HostProcedureCalls;
    return DefSubclassProc(window, message, wParam, lParam) + 1;
}

TEST_F(MdiHook, AfterRemovingItselfTheMessageStillReachesTheProceduresBelow)
{
    SetWindowSubclass(World.Client, HostProcedure, 7, 0);
    Attach();
    HostProcedureCalls = 0;
    EXPECT_EQ(Send(HookState.UnhookMessage), sim::DefaultResult(HookState.UnhookMessage) + 1);
    EXPECT_EQ(HostProcedureCalls, 1);
    EXPECT_EQ(HookState.HookedClient, nullptr);
    // The host's procedure stays; ours is gone.
    Send(WM_SIZE);
    EXPECT_EQ(HostProcedureCalls, 2);
    EXPECT_EQ(sim::QueueLength(), 0u);
    RemoveWindowSubclass(World.Client, HostProcedure, 7);
}

class MdiHookOutOfMemory : public MdiHook {};

TEST_F(MdiHookOutOfMemory, TheDeferredPassEndsWithoutPositioningAndClearsPending)
{
    Attach();
    Send(WM_SIZE);
    sim::ClearCalls();
    sim::FailAllocation(1);  // the first tile's map entry
    EXPECT_EQ(sim::Dispatch(), 1u);
    sim::FailAllocation(0);
    EXPECT_SEQUENCE({{Event::Dispatched, Client, Relayout}, {Event::Received, Client, Relayout}});
    EXPECT_FALSE(HookState.RelayoutPending);
    EXPECT_EQ(HookState.HookedClient, World.Client);

    // The next burst tiles as usual.
    sim::ClearCalls();
    Send(WM_SIZE);
    sim::Dispatch();
    EXPECT_EQ(Passes(), 1u);
}

TEST_F(MdiHookOutOfMemory, TheFirstPassEndsWithoutPositioningAndTheHookStays)
{
    for (std::size_t failing = 1; failing <= 2; ++failing) {
        SCOPED_TRACE(failing);
        RemoveHook();
        sim::ClearCalls();
        sim::FailAllocation(failing);
        AttachHook(World.Frame);
        const std::size_t allocations = sim::AllocationsSince();
        sim::FailAllocation(0);
        EXPECT_GE(allocations, failing) << "the failure was reached";
        EXPECT_EQ(HookState.HookedClient, World.Client);
        EXPECT_TRUE(test::CallsOf(Event::Moved).empty());
    }
}

}  // namespace
