// The three exports as the host calls them.
#include "plugin/Exports.h"
#include "SimFixture.h"

#include <cstring>

using namespace pellorin;
using sim::Event;

namespace {

class Exports : public test::SimTest {
protected:
    test::MdiWorld World;

    void SetUp() override
    {
        SimTest::SetUp();
        World = test::MdiWorld(800, 600);
        World.AddChild(u"#a", RECT{0, 0, 100, 100});
        World.AddChild(u"#b", RECT{0, 50, 100, 150});
        World.AddChild(u"Status", RECT{0, 80, 100, 180});
    }

    int Install(const char* text, HWND frame)
    {
        std::vector<char> copy;
        if (text)
            copy.assign(text, text + std::strlen(text) + 1);
        return InstallHook(frame, nullptr, text ? copy.data() : nullptr, nullptr, FALSE, FALSE);
    }

    int Install(const char* text) { return Install(text, World.Frame); }

    bool Retiles()
    {
        sim::ClearCalls();
        SendMessageW(World.Client, WM_SIZE, 0, 0);
        sim::Dispatch();
        return !test::CallsOf(Event::Moved).empty();
    }
};

TEST_F(Exports, LoadDllReturnsTheRelayoutMessageAndLeavesItsArgumentAlone)
{
    unsigned char hostData[16];
    std::memset(hostData, 0xA5, sizeof hostData);
    const UINT id = LoadDll(hostData);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(id, HookState.RelayoutMessage);
    EXPECT_EQ(id, RegisterWindowMessageW(u"Pellorin_2_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}"));
    for (unsigned char byte : hostData)
        EXPECT_EQ(byte, 0xA5);
    EXPECT_TRUE(OrderList.empty());
    EXPECT_EQ(HookState.HookedClient, nullptr);
}

TEST_F(Exports, LoadDllReturnsZeroWhenTheRegistrationFails)
{
    sim::FailRegistration(u"Pellorin_2_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}");
    EXPECT_EQ(LoadDll(nullptr), 0u);
    EXPECT_EQ(Install("#a"), 1);
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_EQ(OrderList, (PatternList{u"#a"})) << "the lists are still filled";
}

TEST_F(Exports, InstallHookTilesAtOnceInTheTextsOrder)
{
    LoadDll(nullptr);
    sim::ClearCalls();
    EXPECT_EQ(Install("#b/**ignore**Status/#a"), 1);
    EXPECT_EQ(HookState.HookedClient, World.Client);
    EXPECT_SEQUENCE({{Event::Subclassed, 1, 0}, {Event::Moved, 3, 0}, {Event::Moved, 2, 0}});
}

TEST_F(Exports, ASecondInstallReplacesTheLists)
{
    LoadDll(nullptr);
    Install("#b/**ignore**Status/#a");
    sim::ClearCalls();
    Install("#a/**ignore**#b");
    EXPECT_EQ(OrderList, (PatternList{u"#a"}));
    EXPECT_EQ(IgnoreList, (PatternList{u"#b"}));
    EXPECT_SEQUENCE({{Event::Unsubclassed, 1, 0},
                     {Event::Subclassed, 1, 0},
                     {Event::Moved, 2, 0},
                     {Event::Moved, 4, 0}});
}

TEST_F(Exports, NullAndEmptyTextsEmptyTheListsAndStillAttach)
{
    for (const char* text : {static_cast<const char*>(nullptr), ""}) {
        SCOPED_TRACE(text ? "empty" : "null");
        LoadDll(nullptr);
        Install("#b/**ignore**Status");
        EXPECT_EQ(Install(text), 1);
        EXPECT_TRUE(OrderList.empty());
        EXPECT_TRUE(IgnoreList.empty());
        EXPECT_EQ(HookState.HookedClient, World.Client);
    }
}

TEST_F(Exports, InstallHookBeforeLoadDllFillsTheListsOnly)
{
    sim::ClearCalls();
    EXPECT_EQ(Install("#b/**ignore**Status"), 1);
    EXPECT_EQ(OrderList, (PatternList{u"#b"}));
    EXPECT_EQ(IgnoreList, (PatternList{u"Status"}));
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_SEQUENCE({});
}

TEST_F(Exports, InstallHookWithANullFrameRemovesTheEarlierHook)
{
    LoadDll(nullptr);
    Install("#a");
    sim::ClearCalls();
    EXPECT_EQ(Install("#b", nullptr), 1);
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_EQ(OrderList, (PatternList{u"#b"}));
    EXPECT_SEQUENCE({{Event::Unsubclassed, 1, 0}});
}

TEST_F(Exports, InstallHookOnAnotherThreadLeavesTheClientUnhooked)
{
    LoadDll(nullptr);
    Install("#a");
    sim::SetCurrentThread(2);
    EXPECT_EQ(Install("#b"), 1);
    sim::SetCurrentThread(sim::MainThread);
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_FALSE(Retiles());
}

TEST_F(Exports, UnloadDll)
{
    struct Case {
        int Argument;
        int Result;
        bool HookStays;
    };
    const Case cases[] = {{1, 0, true}, {0, 1, false}, {2, 1, false}, {-1, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Argument);
        LoadDll(nullptr);
        Install("#b/**ignore**Status");
        EXPECT_EQ(UnloadDll(c.Argument), c.Result);
        EXPECT_EQ(HookState.HookedClient != nullptr, c.HookStays);
        EXPECT_EQ(Retiles(), c.HookStays);
        EXPECT_EQ(OrderList, (PatternList{u"#b"})) << "the lists keep their entries";
        EXPECT_EQ(IgnoreList, (PatternList{u"Status"}));
        EXPECT_NE(HookState.RelayoutMessage, 0u);
    }
    // A later install attaches again.
    Install("#a");
    EXPECT_TRUE(Retiles());
}

TEST_F(Exports, UnloadDllFromAnotherThreadRemovesTheHookOnTheClientsThread)
{
    LoadDll(nullptr);
    Install("#a");
    sim::ClearCalls();
    sim::SetCurrentThread(2);
    EXPECT_EQ(UnloadDll(0), 1);
    sim::SetCurrentThread(sim::MainThread);
    const std::vector<sim::Call> removed = test::CallsOf(Event::Unsubclassed);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].Thread, sim::MainThread);
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_EQ(sim::ModuleReferences(), 0);
}

TEST_F(Exports, TheModuleIsHeldExactlyWhileHooked)
{
    LoadDll(nullptr);
    EXPECT_EQ(sim::ModuleReferences(), 0);
    Install("#a");
    EXPECT_EQ(sim::ModuleReferences(), 1);
    Install("#b");
    EXPECT_EQ(sim::ModuleReferences(), 1) << "one reference, however often installed";
    UnloadDll(1);
    EXPECT_EQ(sim::ModuleReferences(), 1);
    UnloadDll(0);
    EXPECT_EQ(sim::ModuleReferences(), 0);
}

TEST_F(Exports, TheReferenceOutlivesARemovalInsideTheSubclassProcedure)
{
    // The client's destruction takes the hook off from inside our own
    // procedure: releasing the module there could unmap the running code,
    // so the next export call releases it.
    LoadDll(nullptr);
    Install("#a");
    sim::DestroyWindow(World.Client);
    EXPECT_EQ(HookState.HookedClient, nullptr);
    EXPECT_EQ(sim::ModuleReferences(), 1);
    UnloadDll(0);
    EXPECT_EQ(sim::ModuleReferences(), 0);
}

TEST_F(Exports, NothingIsWrittenIntoTheHostsText)
{
    LoadDll(nullptr);
    char text[] = "#b/**ignore**Status/#a//";
    const std::string before(text, sizeof text);
    InstallHook(World.Frame, nullptr, text, nullptr, FALSE, FALSE);
    EXPECT_EQ(std::string(text, sizeof text), before);
}

TEST_F(Exports, NoExceptionLeavesInstallHookWhenMemoryRunsOut)
{
    LoadDll(nullptr);
    char text[] = "#b/**ignore**Status/#a/#c/#d";
    for (std::size_t failing = 1; failing <= 12; ++failing) {
        SCOPED_TRACE(failing);
        sim::FailAllocation(failing);
        int result = 0;
        EXPECT_NO_THROW(result = InstallHook(World.Frame, nullptr, text, nullptr, FALSE, FALSE));
        sim::FailAllocation(0);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(HookState.HookedClient, World.Client) << "the hook is attached whatever the lists hold";
        EXPECT_FALSE(HookState.RelayoutPending);
    }
}

}  // namespace
