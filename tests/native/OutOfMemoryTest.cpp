// Memory running out at each allocation in turn, of an InstallHook and of a
// deferred pass: nothing escapes into the host or the message dispatch,
// nothing leaks, the lists keep the entries appended before the failure, a
// pass that cannot record every tile positions none, and the hook goes on
// working.
#include "plugin/ArgumentParser.h"
#include "plugin/Exports.h"
#include "SimFixture.h"

#include <cstring>
#include <sstream>

using namespace pellorin;
using sim::Event;

namespace {

// More allocations than any row makes: a loop that gets here never ends.
const std::size_t AllocationLimit = 200;

struct Entry {
    bool Ignore;  // IgnoreList, else OrderList
    const char16_t* Text;
};

const struct ArgumentRow {
    const char* Label;
    const char* Text;
    std::vector<Entry> Entries;  // in the order of their tokens
} ArgumentRows[] = {
    {"short and long entries of both lists",
     "#b/**ignore**Status/#a/**IGNORE**Log window/#channel-with-a-long-name/**ignore**Query with a long title/#c",
     {{false, u"#b"},
      {true, u"Status"},
      {false, u"#a"},
      {true, u"Log window"},
      {false, u"#channel-with-a-long-name"},
      {true, u"Query with a long title"},
      {false, u"#c"}}},
    {"empty tokens, a bare prefix and repeated entries",
     "//#a//**ignore**//**ignore**Status/#a/#b/",
     {{false, u"#a"}, {true, u"Status"}, {false, u"#a"}, {false, u"#b"}}},
    {"one entry longer than a short string holds",
     "#an-entry-well-beyond-the-buffer-of-a-short-string",
     {{false, u"#an-entry-well-beyond-the-buffer-of-a-short-string"}}},
};

const struct ChildRow {
    const char16_t* Title;
    int Top;
} ChildRows[] = {
    {u"#a main", 40},
    {u"#b other", 10},
    {u"#c third", 70},
    {u"Status", 100},
    {u"Log window", 130},
    {u"Query with a long title here", 160},
    {u"#channel-with-a-long-name", 190},
};

class OutOfMemory : public test::SimTest {
protected:
    test::MdiWorld World;
    std::vector<HWND> Children;

    void SetUp() override
    {
        SimTest::SetUp();
        World = test::MdiWorld(800, 600);
        for (const ChildRow& row : ChildRows)
            Children.push_back(World.AddChild(row.Title, RECT{0, row.Top, 300, row.Top + 100}));
        World.AddControl(Children[0]);
        LoadDll(nullptr);
    }

    // Puts the children back as built, maximizing one when asked.
    void RebuildChildren(int maximized = -1)
    {
        for (std::size_t i = 0; i < Children.size(); ++i) {
            const LONG maximize = static_cast<int>(i) == maximized ? WS_MAXIMIZE : 0;
            sim::SetStyle(Children[i], WS_CHILD | WS_THICKFRAME | maximize);
            sim::SetVisible(Children[i], true);
            sim::SetRect(Children[i], RECT{0, ChildRows[i].Top, 300, ChildRows[i].Top + 100});
        }
    }

    static void EmptyLists()
    {
        OrderList.clear();
        OrderList.shrink_to_fit();
        IgnoreList.clear();
        IgnoreList.shrink_to_fit();
    }

    // The children the current IgnoreList leaves to be tiled.
    static std::size_t TilesLeft()
    {
        std::size_t tiles = 0;
        for (const ChildRow& row : ChildRows) {
            const std::u16string title = row.Title;
            bool ignored = false;
            for (const WideString& entry : IgnoreList)
                ignored = ignored || title.compare(0, entry.size(), entry) == 0;
            tiles += ignored ? 0 : 1;
        }
        return tiles;
    }

    static std::size_t Count(Event kind, int command = -1)
    {
        std::size_t count = 0;
        for (const sim::Call& call : test::CallsOf(kind))
            count += command < 0 || call.Command == command ? 1 : 0;
        return count;
    }

    // The allocations a parse of text makes when none fails.
    static std::size_t ParseAllocations(const char* text)
    {
        EmptyLists();
        sim::FailAllocation(0);
        ParseArguments(text);
        const std::size_t allocations = sim::AllocationsSince();
        EmptyLists();
        return allocations;
    }

    // A later burst of size changes: one deferred pass that moves tiles.
    std::size_t BurstMoves()
    {
        sim::ClearCalls();
        for (int i = 0; i < 3; ++i)
            SendMessageW(World.Client, WM_SIZE, 0, 0);
        EXPECT_EQ(sim::Dispatch(), 1u) << "one posted message for the burst";
        EXPECT_FALSE(HookState.RelayoutPending);
        return Count(Event::Moved);
    }
};

// The lists hold the entries of the first tokens of row, as many as *tokens.
::testing::AssertionResult HoldTheEntriesOfTheFirstTokens(const ArgumentRow& row, std::size_t* tokens)
{
    for (std::size_t count = 0; count <= row.Entries.size(); ++count) {
        PatternList order;
        PatternList ignore;
        for (std::size_t i = 0; i < count; ++i)
            (row.Entries[i].Ignore ? ignore : order).emplace_back(row.Entries[i].Text);
        if (order == OrderList && ignore == IgnoreList) {
            *tokens = count;
            return ::testing::AssertionSuccess();
        }
    }
    std::ostringstream lists;
    lists << OrderList.size() << " order and " << IgnoreList.size() << " ignore entries";
    return ::testing::AssertionFailure() << "the lists are not the entries of the first tokens: " << lists.str();
}

TEST_F(OutOfMemory, AtEveryAllocationOfInstallHook)
{
    for (const ArgumentRow& row : ArgumentRows) {
        SCOPED_TRACE(row.Label);
        std::vector<char> text(row.Text, row.Text + std::strlen(row.Text) + 1);
        const std::size_t parse = ParseAllocations(text.data());
        ASSERT_GE(parse, 2u) << "the converted text and at least one entry";

        std::size_t failing = 1;
        for (; failing <= AllocationLimit; ++failing) {
            SCOPED_TRACE(::testing::Message() << "allocation " << failing << " of the parse's " << parse);
            EmptyLists();
            sim::ClearCalls();
            const std::size_t live = sim::LiveAllocations();

            sim::FailAllocation(failing);
            int result = 0;
            EXPECT_NO_THROW(result = InstallHook(World.Frame, nullptr, text.data(), nullptr, FALSE, FALSE));
            const std::size_t allocations = sim::AllocationsSince();
            sim::FailAllocation(0);

            const bool reached = allocations >= failing;
            const bool duringParse = reached && failing <= parse;
            EXPECT_EQ(result, 1);
            EXPECT_EQ(HookState.HookedClient, World.Client) << "the hook is attached whatever the lists hold";
            EXPECT_FALSE(HookState.RelayoutPending);
            std::size_t tokens = 0;
            EXPECT_TRUE(HoldTheEntriesOfTheFirstTokens(row, &tokens));
            EXPECT_EQ(tokens < row.Entries.size(), duringParse) << "only a failure in the parse drops entries";
            if (reached && !duringParse)
                EXPECT_EQ(Count(Event::Moved), 0u) << "a pass that could not record every tile positions none";
            else
                EXPECT_EQ(Count(Event::Moved), TilesLeft()) << "the first pass tiles with the entries there are";

            EXPECT_EQ(BurstMoves(), TilesLeft()) << "a later burst tiles as usual";
            EmptyLists();
            EXPECT_EQ(sim::LiveAllocations(), live) << "the converted text and every tile record are released";
            if (!reached)
                break;
        }
        EXPECT_LE(failing, AllocationLimit) << "a run that never ends without reaching the failing allocation";
        EXPECT_GT(failing, parse + 1) << "the failures reached the first pass";
    }
}

TEST_F(OutOfMemory, AtEveryAllocationOfADeferredPass)
{
    char text[] = "#b/**ignore**Status/#a/**ignore**Log window/**ignore**Query with a long title";
    const PatternList order = {u"#b", u"#a"};
    const PatternList ignore = {u"Status", u"Log window", u"Query with a long title"};
    const struct {
        const char* Label;
        int Maximized;  // the child maximized before each pass, -1 for none
        std::size_t Tiles;
        std::size_t Hidden;
    } rows[] = {
        {"every child not ignored is tiled", -1, 4, 0},
        {"a maximized child hides the others not ignored", 1, 1, 3},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.Label);
        RebuildChildren(row.Maximized);
        EXPECT_NO_THROW(InstallHook(World.Frame, nullptr, text, nullptr, FALSE, FALSE));
        ASSERT_EQ(HookState.HookedClient, World.Client);
        ASSERT_EQ(OrderList, order);
        ASSERT_EQ(IgnoreList, ignore);

        std::size_t failing = 1;
        for (; failing <= AllocationLimit; ++failing) {
            SCOPED_TRACE(::testing::Message() << "allocation " << failing);
            RebuildChildren(row.Maximized);
            sim::ClearCalls();
            const std::size_t live = sim::LiveAllocations();

            sim::FailAllocation(failing);
            EXPECT_NO_THROW(SendMessageW(World.Client, WM_SIZE, 0, 0));
            std::size_t dispatched = 0;
            EXPECT_NO_THROW(dispatched = sim::Dispatch());
            const std::size_t allocations = sim::AllocationsSince();
            sim::FailAllocation(0);

            const bool reached = allocations >= failing;
            EXPECT_EQ(dispatched, 1u);
            EXPECT_EQ(HookState.HookedClient, World.Client);
            EXPECT_FALSE(HookState.RelayoutPending) << "a pass that ran out of memory still ends its deferral";
            EXPECT_EQ(Count(Event::Shown, SW_SHOWNOACTIVATE), row.Maximized < 0 ? 0u : 1u);
            EXPECT_EQ(Count(Event::Shown, SW_HIDE), row.Hidden) << "the restore and hide steps act in any case";
            EXPECT_EQ(Count(Event::Moved), reached ? 0u : row.Tiles);
            EXPECT_EQ(OrderList, order);
            EXPECT_EQ(IgnoreList, ignore);
            EXPECT_EQ(sim::LiveAllocations(), live) << "every tile record is released";

            RebuildChildren(row.Maximized);
            EXPECT_EQ(BurstMoves(), row.Tiles) << "a later burst tiles as usual";
            if (!reached)
                break;
        }
        EXPECT_LE(failing, AllocationLimit) << "a run that never ends without reaching the failing allocation";
        EXPECT_GT(failing, 1u) << "the pass allocates";
    }
}

}  // namespace
