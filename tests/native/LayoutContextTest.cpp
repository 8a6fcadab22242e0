// Finding the MDI client of a frame, and the frame of a client.
#include "SimFixture.h"

using namespace pellorin;

namespace {

class MdiClientDiscovery : public test::SimTest {
protected:
    HWND AddWindow(HWND parent, const char16_t* className)
    {
        sim::WindowSpec description;
        description.Parent = parent;
        description.ClassName = className;
        return sim::CreateWindow(description);
    }

    HWND Find(HWND frame)
    {
        LayoutContext context;
        return InitLayoutContext(context, frame, nullptr).MdiClient;
    }
};

TEST_F(MdiClientDiscovery, TakesTheFirstDirectChildOfClassMdiClient)
{
    HWND frame = AddWindow(nullptr, u"Frame");
    HWND toolbar = AddWindow(frame, u"ToolbarWindow32");
    AddWindow(toolbar, u"MDIClient");  // a grandchild comes first in enumeration
    HWND first = AddWindow(frame, u"MDIClient");
    HWND second = AddWindow(frame, u"MDIClient");

    sim::ClearCalls();
    const std::size_t before = sim::PlatformCallCount();
    EXPECT_EQ(Find(frame), first);
    (void)second;
    // Enumeration stops at the first client: EnumChildWindows, then
    // GetClassNameW and GetParent for the toolbar, the grandchild and the client.
    EXPECT_EQ(sim::PlatformCallCount() - before, 1u + 2 * 3);
}

TEST_F(MdiClientDiscovery, ClassNameInAnotherAsciiCase)
{
    HWND frame = AddWindow(nullptr, u"Frame");
    HWND client = AddWindow(frame, u"mdiclient");
    EXPECT_EQ(Find(frame), client);
}

TEST_F(MdiClientDiscovery, NoClientAmongNearMisses)
{
    HWND frame = AddWindow(nullptr, u"Frame");
    AddWindow(frame, u"MDIClient2");
    AddWindow(frame, u"MDIClien");
    AddWindow(frame, u"MDICL\u0130ENT");  // a non-ASCII capital I does not fold
    HWND toolbar = AddWindow(frame, u"Toolbar");
    AddWindow(toolbar, u"MDIClient");
    EXPECT_EQ(Find(frame), nullptr);
}

TEST_F(MdiClientDiscovery, PassesOverAWindowWhoseClassCannotBeRead)
{
    HWND frame = AddWindow(nullptr, u"Frame");
    HWND unreadable = AddWindow(frame, u"MDIClient");
    sim::Fail(unreadable, sim::Op::GetClassName);
    HWND readable = AddWindow(frame, u"MDIClient");
    EXPECT_EQ(Find(frame), readable);
}

struct PairCase {
    const char* Label;
    bool GiveFrame;
    bool GiveClient;
    bool ExpectFrame;  // Frame ends as the frame window (else null)
    bool ExpectClient; // MdiClient ends as the client (else null)
};

TEST_F(MdiClientDiscovery, CompletesThePairOfWindows)
{
    const PairCase cases[] = {
        {"frame only: the client is found", true, false, true, true},
        {"client only: the frame is its parent", false, true, true, true},
        {"both: stored unchanged", true, true, true, true},
        {"neither", false, false, false, false},
    };
    test::MdiWorld world;
    for (const PairCase& c : cases) {
        SCOPED_TRACE(c.Label);
        LayoutContext context;
        context.FirstMaximized = world.Frame;  // stale values are cleared
        context.Order = &OrderList;
        InitLayoutContext(context, c.GiveFrame ? world.Frame : nullptr, c.GiveClient ? world.Client : nullptr);
        EXPECT_EQ(context.Frame, c.ExpectFrame ? world.Frame : nullptr);
        EXPECT_EQ(context.MdiClient, c.ExpectClient ? world.Client : nullptr);
        EXPECT_EQ(context.FirstMaximized, nullptr);
        EXPECT_EQ(context.Order, nullptr);
        EXPECT_EQ(context.Ignore, nullptr);
        EXPECT_TRUE(context.Tiles.empty());
    }
}

TEST_F(MdiClientDiscovery, BothGivenAreNotTested)
{
    test::MdiWorld world;
    HWND stranger = AddWindow(nullptr, u"Stranger");
    LayoutContext context;
    const std::size_t before = sim::PlatformCallCount();
    InitLayoutContext(context, stranger, world.Client);
    EXPECT_EQ(context.Frame, stranger);
    EXPECT_EQ(context.MdiClient, world.Client);
    EXPECT_EQ(sim::PlatformCallCount(), before);
}

}  // namespace
