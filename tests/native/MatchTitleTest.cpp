// Matching window titles against a pattern list.
#include "layout/MatchTitle.h"
#include "SimFixture.h"

using namespace pellorin;

namespace {

struct MatchCase {
    const char* Label;
    std::u16string Title;
    std::vector<std::u16string> Entries;
    bool Matches;
    UINT Index;
};

class TitleMatching : public test::SimTest {
protected:
    HWND Window(const std::u16string& title, DWORD thread = sim::MainThread)
    {
        sim::WindowSpec description;
        description.Title = title;
        description.Thread = thread;
        return sim::CreateWindow(description);
    }
};

TEST_F(TitleMatching, Table)
{
    const std::u16string longTitle(1500, u'a');
    const MatchCase cases[] = {
        {"exact title", u"#alpha", {u"#beta", u"#alpha"}, true, 1},
        {"prefix", u"#alpha [+nt]", {u"#alpha"}, true, 0},
        {"ASCII letters fold both ways", u"#ALPHA", {u"#alpha"}, true, 0},
        {"entry in capitals", u"status: irc", {u"STATUS"}, true, 0},
        {"the first matching entry wins, though shorter", u"#alphabet", {u"#a", u"#alphabet"}, true, 0},
        {"an entry longer than the title", u"#al", {u"#alpha"}, false, 1},
        {"no entry matches: index is the count", u"alice", {u"#a", u"#b", u"bob"}, false, 3},
        {"non-ASCII letters must agree exactly", u"\u00e9quipe", {u"\u00c9quipe"}, false, 1},
        {"non-ASCII letters that agree", u"\u00c9quipe", {u"\u00c9quipe"}, true, 0},
        {"a fold beyond ASCII is not made", u"Istanbul", {u"\u0130stanbul"}, false, 1},
        {"empty list", u"#alpha", {}, false, 0},
        {"an empty entry matches a readable title", u"anything", {u"x", u""}, true, 1},
        {"only 1023 units take part", longTitle, {std::u16string(1023, u'a')}, true, 0},
        {"an entry of 1024 units never matches", longTitle, {std::u16string(1024, u'a')}, false, 1},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.Label);
        PatternList list(c.Entries.begin(), c.Entries.end());
        UINT index = 0xDEAD;
        EXPECT_EQ(MatchTitle(Window(c.Title), &index, &list), c.Matches);
        EXPECT_EQ(index, c.Index);
        EXPECT_EQ(MatchTitle(Window(c.Title), nullptr, &list), c.Matches) << "without an index";
    }
}

TEST_F(TitleMatching, NullListWritesZero)
{
    UINT index = 7;
    EXPECT_FALSE(MatchTitle(Window(u"#alpha"), &index, nullptr));
    EXPECT_EQ(index, 0u);
}

TEST_F(TitleMatching, TitlesThatCannotTakePartGiveTheCount)
{
    PatternList list = {u"#alpha", u""};
    HWND otherThread = Window(u"#alpha", 2);
    HWND empty = Window(u"");
    HWND unreadable = Window(u"#alpha");
    sim::Fail(unreadable, sim::Op::GetWindowText);
    for (HWND window : {otherThread, empty, unreadable}) {
        SCOPED_TRACE(sim::IndexOf(window));
        UINT index = 0;
        EXPECT_FALSE(MatchTitle(window, &index, &list));
        EXPECT_EQ(index, 2u);
    }
}

TEST_F(TitleMatching, AnotherThreadsTitleIsNeverAskedFor)
{
    PatternList list = {u"#alpha"};
    HWND window = Window(u"#alpha", 2);
    sim::Fail(window, sim::Op::GetWindowText);  // would be harmless, but must not even be reached
    const std::size_t before = sim::PlatformCallCount();
    MatchTitle(window, nullptr, &list);
    // GetWindowThreadProcessId and GetCurrentThreadId only.
    EXPECT_EQ(sim::PlatformCallCount() - before, 2u);
}

}  // namespace
