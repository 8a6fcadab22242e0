// The tiling pass on the simulated window system: what it moves, shows and
// hides, in which order, with which arguments.
#include "layout/MatchTitle.h"
#include "layout/TileWindows.h"
#include "SimFixture.h"

using namespace pellorin;
using sim::Event;
using test::Step;

namespace {

const UINT TileFlags = 0x0214;

class TilingPass : public test::SimTest {
protected:
    test::MdiWorld World;

    void SetUp() override
    {
        SimTest::SetUp();
        World = test::MdiWorld(800, 600);
    }

    // A fresh world for the next row of a table.
    void NewWorld()
    {
        sim::Reset();
        World = test::MdiWorld(800, 600);
    }

    bool Tile()
    {
        LayoutContext context;
        InitLayoutContext(context, World.Frame, nullptr);
        sim::ClearCalls();
        return TileWindows(context);
    }

    // The windows moved, in the order they were moved.
    std::vector<HWND> MovedOrder()
    {
        std::vector<HWND> order;
        for (const sim::Call& call : test::CallsOf(Event::Moved))
            order.push_back(call.Window);
        return order;
    }

    HWND Child(const char16_t* title, int top, LONG style = WS_THICKFRAME)
    {
        return World.AddChild(title, RECT{30, top, 330, top + 100}, style);
    }
};

TEST_F(TilingPass, ThreeTilesOfTheWorkedExample)
{
    HWND a = Child(u"a", 10);
    HWND b = Child(u"b", 20);
    HWND c = Child(u"c", 30);
    ASSERT_TRUE(Tile());

    const std::vector<sim::Call> moves = test::CallsOf(Event::Moved);
    ASSERT_EQ(moves.size(), 3u);
    const struct {
        HWND Window;
        int X, Y, Width, Height;
    } expected[] = {{a, -4, -4, 808, 204}, {b, -4, 197, 808, 204}, {c, -4, 398, 808, 205}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(test::Describe(moves[i]));
        EXPECT_EQ(moves[i].Window, expected[i].Window);
        EXPECT_EQ(moves[i].X, expected[i].X);
        EXPECT_EQ(moves[i].Y, expected[i].Y);
        EXPECT_EQ(moves[i].Width, expected[i].Width);
        EXPECT_EQ(moves[i].Height, expected[i].Height);
        EXPECT_EQ(moves[i].Flags, TileFlags);
    }
}

TEST_F(TilingPass, OneTileGetsTheWholeClientArea)
{
    HWND only = Child(u"only", 50);
    ASSERT_TRUE(Tile());
    const std::vector<sim::Call> moves = test::CallsOf(Event::Moved);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].Window, only);
    EXPECT_EQ(moves[0].X, -4);
    EXPECT_EQ(moves[0].Y, -4);
    EXPECT_EQ(moves[0].Width, 808);
    EXPECT_EQ(moves[0].Height, 607);
}

TEST_F(TilingPass, MetricsAreReadInEveryPass)
{
    Child(u"a", 10);
    ASSERT_TRUE(Tile());
    sim::SetSystemMetric(SM_CXFRAME, 2);
    sim::SetSystemMetric(SM_CYFRAME, 6);
    ASSERT_TRUE(Tile());
    const sim::Call move = test::CallsOf(Event::Moved).at(0);
    EXPECT_EQ(move.X, -2);
    EXPECT_EQ(move.Y, -6);
    EXPECT_EQ(move.Width, 804);
    EXPECT_EQ(move.Height, 600 + 2 * 6 - 1);
}

struct OrderCase {
    const char* Label;
    std::vector<std::pair<std::u16string, int>> Children;  // title, top edge in the client
    std::vector<std::u16string> Order;
    std::vector<std::u16string> Ignore;
    std::vector<int> Expected;  // child positions, in tile order
};

TEST_F(TilingPass, OrderByListPositionThenTopEdge)
{
    const OrderCase cases[] = {
        {"empty list: top edges alone", {{u"c", 300}, {u"a", 100}, {u"b", 200}}, {}, {}, {1, 2, 0}},
        {"list position first",
         {{u"alice", 10}, {u"#beta", 20}, {u"Status", 30}, {u"#alpha", 40}},
         {u"#alpha", u"#beta"},
         {},
         {3, 1, 0, 2}},
        {"within a group, the higher top first",
         {{u"#a low", 400}, {u"#a high", 100}, {u"bob", 0}},
         {u"#a"},
         {},
         {1, 0, 2}},
        {"a negative top comes first in its group", {{u"x", 100}, {u"y", -500}, {u"z", 0}}, {}, {}, {1, 2, 0}},
        {"equal keys keep enumeration order", {{u"p", 50}, {u"q", 50}, {u"r", 50}}, {}, {}, {0, 1, 2}},
        {"ignored windows are not tiled", {{u"Status", 10}, {u"#a", 20}}, {}, {u"status"}, {1}},
        {"an ignored title is not ordered either", {{u"#a", 10}, {u"#b", 20}}, {u"#b"}, {u"#b"}, {0}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.Label);
        NewWorld();
        std::vector<HWND> children;
        for (const auto& child : c.Children)
            children.push_back(Child(child.first.c_str(), child.second));
        OrderList.assign(c.Order.begin(), c.Order.end());
        IgnoreList.assign(c.Ignore.begin(), c.Ignore.end());

        EXPECT_TRUE(Tile());
        std::vector<HWND> expected;
        for (int position : c.Expected)
            expected.push_back(children[position]);
        EXPECT_EQ(MovedOrder(), expected);
    }
}

TEST_F(TilingPass, WindowsOfAnotherThreadAreNeverIgnoredAndComeLast)
{
    HWND foreign = World.AddChild(u"Status", RECT{0, 0, 100, 100}, WS_THICKFRAME, true, 2);
    HWND ordered = Child(u"#a", 50);
    test::SetOrder({u"Status", u"#a"});
    test::SetIgnore({u"Status"});
    ASSERT_TRUE(Tile());
    EXPECT_EQ(MovedOrder(), (std::vector<HWND>{ordered, foreign}));
}

TEST_F(TilingPass, OnlyVisibleSizeableChildrenAreTiled)
{
    HWND sizeable = Child(u"a", 10);
    Child(u"fixed", 20, 0);  // no sizing border
    HWND hidden = Child(u"hidden", 30);
    sim::SetVisible(hidden, false);
    HWND minimized = Child(u"minimized", 40, WS_THICKFRAME);  // a visible minimized child is tiled like any other
    ASSERT_TRUE(Tile());
    EXPECT_EQ(MovedOrder(), (std::vector<HWND>{sizeable, minimized}));
}

TEST_F(TilingPass, ControlsInsideChildrenAreNeverTouched)
{
    HWND a = Child(u"a", 10);
    HWND b = Child(u"b", 20, WS_THICKFRAME | WS_MAXIMIZE);  // so that a hide step runs too
    // Controls inside the child that stays visible, with every style a
    // child could be restored, hidden or tiled for.
    HWND control = World.AddControl(b);
    sim::SetStyle(control, WS_CHILD | WS_THICKFRAME | WS_MAXIMIZE);
    HWND nested = World.AddControl(control);
    HWND inHidden = World.AddControl(a);
    const RECT before = sim::RectOf(control);

    ASSERT_TRUE(Tile());
    for (const sim::Call& call : sim::Calls())
        EXPECT_TRUE(call.Window != control && call.Window != nested && call.Window != inHidden) << test::Describe(call);
    EXPECT_TRUE(sim::VisibleFlag(control));
    EXPECT_EQ(sim::StyleOf(control) & WS_MAXIMIZE, WS_MAXIMIZE);
    EXPECT_EQ(sim::RectOf(control).top, before.top);
}

struct MaximizeCase {
    const char* Label;
    struct ChildSpec {
        const char16_t* Title;
        LONG Style;
        bool Visible;
    };
    std::vector<ChildSpec> Children;
    std::vector<std::u16string> Ignore;
    bool Result;
    std::vector<Step> Expected;  // Shown (with its command) and Moved, by window index
};

// Window indices: 0 the frame, 1 the client, children from 2.
const LONG Sizeable = WS_THICKFRAME;
const LONG Maximized = WS_THICKFRAME | WS_MAXIMIZE;

TEST_F(TilingPass, MaximizedChildren)
{
    const MaximizeCase cases[] = {
        {"restored and tiled alone, the others hidden",
         {{u"a", Sizeable, true}, {u"b", Maximized, true}, {u"c", Sizeable, true}},
         {},
         true,
         {{Event::Shown, 3, SW_SHOWNOACTIVATE},
          {Event::Shown, 2, SW_HIDE},
          {Event::Shown, 4, SW_HIDE},
          {Event::Moved, 3, 0}}},
        {"an ignored maximized child is restored; nothing is tiled",
         {{u"Status", Maximized, true}, {u"a", Sizeable, true}},
         {u"Status"},
         false,
         {{Event::Shown, 2, SW_SHOWNOACTIVATE}, {Event::Shown, 3, SW_HIDE}}},
        {"two maximized: both restored, the second hidden",
         {{u"a", Maximized, true}, {u"b", Maximized, true}},
         {},
         true,
         {{Event::Shown, 2, SW_SHOWNOACTIVATE},
          {Event::Shown, 3, SW_SHOWNOACTIVATE},
          {Event::Shown, 3, SW_HIDE},
          {Event::Moved, 2, 0}}},
        {"a hidden maximized child is shown and tiled alone",
         {{u"a", Sizeable, true}, {u"b", Maximized, false}},
         {},
         true,
         {{Event::Shown, 3, SW_SHOWNOACTIVATE}, {Event::Shown, 2, SW_HIDE}, {Event::Moved, 3, 0}}},
        {"a child without a sizing border is hidden, never tiled",
         {{u"fixed", 0, true}, {u"b", Maximized, true}},
         {},
         true,
         {{Event::Shown, 3, SW_SHOWNOACTIVATE}, {Event::Shown, 2, SW_HIDE}, {Event::Moved, 3, 0}}},
        {"ignored and hidden children are left alone",
         {{u"Status", Sizeable, true}, {u"gone", Sizeable, false}, {u"b", Maximized, true}},
         {u"Status"},
         true,
         {{Event::Shown, 4, SW_SHOWNOACTIVATE}, {Event::Moved, 4, 0}}},
    };
    for (const MaximizeCase& c : cases) {
        SCOPED_TRACE(c.Label);
        NewWorld();
        int top = 0;
        for (const auto& child : c.Children) {
            World.AddChild(child.Title, RECT{0, top, 300, top + 100}, child.Style, child.Visible);
            top += 50;
        }
        IgnoreList.assign(c.Ignore.begin(), c.Ignore.end());
        EXPECT_EQ(Tile(), c.Result);
        EXPECT_SEQUENCE(c.Expected);
    }
}

TEST_F(TilingPass, TheRestoreStepLeavesNoChildMaximized)
{
    HWND a = Child(u"a", 10);
    HWND b = Child(u"b", 20, Maximized);
    Tile();
    EXPECT_EQ(sim::StyleOf(b) & WS_MAXIMIZE, 0);
    EXPECT_FALSE(sim::VisibleFlag(a));
    // The next pass hides nothing and tiles what is visible; b, tiled over
    // the whole area last time, now has the higher top edge.
    sim::SetVisible(a, true);
    ASSERT_TRUE(Tile());
    EXPECT_EQ(MovedOrder(), (std::vector<HWND>{b, a}));
    EXPECT_TRUE(test::CallsOf(Event::Shown).empty());
}

TEST_F(TilingPass, AFailedClientRectangleKeepsRestoreAndHide)
{
    HWND a = Child(u"a", 10);
    HWND b = Child(u"b", 20, Maximized);
    sim::Fail(World.Client, sim::Op::GetClientRect);
    EXPECT_FALSE(Tile());
    EXPECT_TRUE(test::CallsOf(Event::Moved).empty());
    EXPECT_FALSE(sim::VisibleFlag(a));
    EXPECT_EQ(sim::StyleOf(b) & WS_MAXIMIZE, 0);
}

TEST_F(TilingPass, AWindowRectangleThatCannotBeReadLeavesThatChildOut)
{
    HWND a = Child(u"a", 10);
    HWND b = Child(u"b", 20);
    sim::Fail(a, sim::Op::GetWindowRect);
    ASSERT_TRUE(Tile());
    EXPECT_EQ(MovedOrder(), (std::vector<HWND>{b}));
}

TEST_F(TilingPass, NothingToCollectGivesFalse)
{
    Child(u"Status", 10);
    World.AddChild(u"hidden", RECT{0, 0, 10, 10}, WS_THICKFRAME, false);
    test::SetIgnore({u"Status"});
    EXPECT_FALSE(Tile());
    EXPECT_TRUE(test::RecordedCalls().empty());
}

TEST_F(TilingPass, NoClientTouchesNothing)
{
    Child(u"a", 10);
    LayoutContext context;
    InitLayoutContext(context, nullptr, nullptr);
    const std::size_t before = sim::PlatformCallCount();
    EXPECT_FALSE(TileWindows(context));
    EXPECT_EQ(sim::PlatformCallCount(), before);
    EXPECT_EQ(context.Order, nullptr);
    EXPECT_EQ(context.Ignore, nullptr);
}

TEST_F(TilingPass, AWindowDestroyedBeforeItsTurnLeavesThePassGoingOn)
{
    Child(u"a", 10);
    HWND b = Child(u"b", 20);
    HWND c = Child(u"c", 30);
    sim::OnCall([&](const sim::Call& call) {
        if (call.Kind == Event::Moved && sim::IsAlive(b))
            sim::DestroyWindow(b);
    });
    EXPECT_TRUE(Tile());
    const std::vector<HWND> moved = MovedOrder();
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(moved[1], b);
    EXPECT_EQ(moved[2], c);
    EXPECT_EQ(sim::RectOf(c).top, 398);
}

TEST_F(TilingPass, WalksTheChildrenTwiceOrThriceAndMovesEachTileOnce)
{
    struct Case {
        const char* Label;
        bool Maximized;
        std::size_t Walks;
    };
    const Case cases[] = {{"nothing maximized", false, 2}, {"a maximized child", true, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Label);
        NewWorld();
        for (int i = 0; i < 5; ++i)
            World.AddControl(Child(u"child", i * 10));
        if (c.Maximized)
            sim::SetStyle(Child(u"max", 60), Maximized);
        LayoutContext context;
        InitLayoutContext(context, World.Frame, nullptr);
        sim::ClearCalls();
        const std::size_t before = sim::EnumerationCount();
        TileWindows(context);
        EXPECT_EQ(sim::EnumerationCount() - before, c.Walks);
        EXPECT_EQ(test::CallsOf(Event::Moved).size(), c.Maximized ? 1u : 5u);
    }
}

TEST_F(TilingPass, FindingTheClientAndMatchingTitlesAllocateNothing)
{
    HWND child = Child(u"#alpha", 10);
    test::SetOrder({u"#beta", u"#alpha"});
    sim::FailAllocation(0);
    LayoutContext context;
    InitLayoutContext(context, World.Frame, nullptr);
    UINT index = 0;
    EXPECT_TRUE(MatchTitle(child, &index, &OrderList));
    EXPECT_EQ(sim::AllocationsSince(), 0u);
    EXPECT_EQ(context.MdiClient, World.Client);
}

TEST_F(TilingPass, ListReferencesAreClearedAfterThePass)
{
    Child(u"a", 10);
    Child(u"b", 20, Maximized);
    LayoutContext context;
    InitLayoutContext(context, World.Frame, nullptr);
    TileWindows(context);
    EXPECT_EQ(context.Order, nullptr);
    EXPECT_EQ(context.Ignore, nullptr);
    EXPECT_EQ(context.FirstMaximized, nullptr);
}

}  // namespace
