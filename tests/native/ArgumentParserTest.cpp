// The host's argument text: its conversion and its tokens.
#include "plugin/ArgumentParser.h"
#include "SimFixture.h"

#include <cstring>

using namespace pellorin;

namespace {

using Units = std::u16string;

struct ParseCase {
    const char* Label;
    const char* Text;
    std::vector<Units> Order;
    std::vector<Units> Ignore;
    UINT CodePage = 1252;
};

class ArgumentParsing : public test::SimTest {};

TEST_F(ArgumentParsing, Table)
{
    const ParseCase cases[] = {
        {"null text", nullptr, {}, {}},
        {"empty text", "", {}, {}},
        {"order entries in token order", "#a/#b/#c", {u"#a", u"#b", u"#c"}, {}},
        {"leading, doubled and trailing separators", "/#a//#b/", {u"#a", u"#b"}, {}},
        {"separators only", "///", {}, {}},
        {"order and ignore", "#b/**ignore**Status/#a", {u"#b", u"#a"}, {u"Status"}},
        {"ignore in capitals", "**IGNORE**Status", {}, {u"Status"}},
        {"ignore in mixed case", "**Ignore**Status", {}, {u"Status"}},
        {"the prefix alone", "**ignore**", {}, {}},
        {"8-unit near-prefix", "**ignore", {u"**ignore"}, {}},
        {"9-unit near-prefix", "**ignore*", {u"**ignore*"}, {}},
        {"prefix after a blank", " **ignore**x", {u" **ignore**x"}, {}},
        {"prefix inside a token", "x**ignore**y", {u"x**ignore**y"}, {}},
        {"only one prefix is taken off", "**ignore****ignore**x", {}, {u"**ignore**x"}},
        {"the entry keeps its case", "**IGNORE**StAtUs", {}, {u"StAtUs"}},
        {"repeated entries", "#a/#a/**ignore**s/**ignore**s", {u"#a", u"#a"}, {u"s", u"s"}},
        {"blanks are kept", " #a /  ", {u" #a ", u"  "}, {}},
        {"ANSI code page text", "caf\xe9/\x80uro", {u"caf\u00e9", u"\u20acuro"}, {}},
        {"a non-ASCII I in the prefix", "**\xc4\xb0gnore**x", {u"**\u0130gnore**x"}, {}, 65001},
        {"a UTF-8 code page", "#\xc3\xa9t\xc3\xa9/**ignore**\xe2\x82\xac", {u"#\u00e9t\u00e9"}, {u"\u20ac"}, 65001},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.Label);
        sim::SetAnsiCodePage(c.CodePage);
        OrderList.clear();
        IgnoreList.clear();
        const std::size_t live = sim::LiveAllocations();
        ParseArguments(c.Text);
        EXPECT_EQ(OrderList, PatternList(c.Order.begin(), c.Order.end()));
        EXPECT_EQ(IgnoreList, PatternList(c.Ignore.begin(), c.Ignore.end()));
        OrderList.clear();
        OrderList.shrink_to_fit();
        IgnoreList.clear();
        IgnoreList.shrink_to_fit();
        EXPECT_EQ(sim::LiveAllocations(), live) << "the converted text is released";
    }
}

TEST_F(ArgumentParsing, AppendsToWhatTheListsHold)
{
    OrderList = {u"kept"};
    ParseArguments("#a/**ignore**b");
    EXPECT_EQ(OrderList, (PatternList{u"kept", u"#a"}));
    EXPECT_EQ(IgnoreList, (PatternList{u"b"}));
}

TEST_F(ArgumentParsing, TheHostsTextIsOnlyRead)
{
    char text[] = "#b/**ignore**Status/#a";
    const std::string before = text;
    ParseArguments(text);
    EXPECT_EQ(before, text);
}

TEST_F(ArgumentParsing, NoConversionForAnEmptyText)
{
    ParseArguments("");
    ParseArguments(nullptr);
    EXPECT_EQ(sim::ConversionCalls(), 0u);
}

// A conversion scripted to answer with fixed units: the size query gets
// SizeAnswer, the conversion writes Units and answers Written.
struct Script {
    int SizeAnswer;
    Units Written;
    int Answer;
};

void UseScript(const Script& script)
{
    sim::ScriptConversion([script](LPCSTR, LPWSTR buffer, int length) {
        if (length == 0)
            return script.SizeAnswer;
        std::copy(script.Written.begin(), script.Written.begin() + std::min<int>(length, script.Written.size()), buffer);
        return script.Answer;
    });
}

struct WidenCase {
    const char* Label;
    Script Conversion;
    int Result;
    Units Text;  // up to the first NUL, when Result > 0
    Units Entry; // what ParseArguments appends to OrderList ("" for nothing)
};

TEST_F(ArgumentParsing, WidenTextWithScriptedConversions)
{
    const Units pair = u"a\xD83D\xDE00";  // a complete surrogate pair
    const WidenCase cases[] = {
        {"a size query of 0", {0, u"", 0}, 0, u"", u""},
        {"a conversion of 0", {3, Units(u"ab\0", 3), 0}, 0, u"", u""},
        {"a conversion of more units than the buffer", {3, Units(u"ab\0", 3), 4}, 0, u"", u""},
        {"a negative conversion", {3, Units(u"ab\0", 3), -1}, 0, u"", u""},
        {"the last unit becomes the terminator", {3, u"abc", 3}, 3, u"ab", u"ab"},
        {"trailing high surrogates are dropped", {4, Units(u"a\xD800\xDBFF\0", 4), 4}, 2, u"a", u"a"},
        {"only high surrogates", {3, Units(u"\xD800\xD800\0", 3), 3}, 1, u"", u""},
        {"a high surrogate inside a token stays", {4, Units(u"a\xD800" u"b\0", 4), 4}, 4, u"a\xD800" u"b",
         u"a\xD800" u"b"},
        {"a trailing low surrogate stays", {3, Units(u"a\xDC00\0", 3), 3}, 3, u"a\xDC00", u"a\xDC00"},
        {"a trailing pair stays", {4, pair + Units(1, 0), 4}, 4, pair, pair},
        {"a conversion shorter than the size query", {6, Units(u"ab\0", 3), 3}, 3, u"ab", u"ab"},
    };
    for (const WidenCase& c : cases) {
        SCOPED_TRACE(c.Label);
        UseScript(c.Conversion);
        const std::size_t live = sim::LiveAllocations();
        WCHAR* text = reinterpret_cast<WCHAR*>(0x1);
        const int result = WidenText("x", &text);
        EXPECT_EQ(result, c.Result);
        if (c.Result > 0) {
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(Units(text), c.Text);
            delete[] text;
        } else {
            EXPECT_EQ(text, nullptr);
        }
        EXPECT_EQ(sim::LiveAllocations(), live) << "a failed conversion releases its buffer";

        OrderList.clear();
        ParseArguments("x");
        EXPECT_EQ(OrderList, c.Entry.empty() ? PatternList{} : PatternList{c.Entry});
    }
}

TEST_F(ArgumentParsing, WidenTextOfAb)
{
    WCHAR* text = nullptr;
    EXPECT_EQ(WidenText("ab", &text), 3);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Units(text), u"ab");
    delete[] text;
}

TEST_F(ArgumentParsing, AnAllocationThatFailsReportsNotEnoughMemory)
{
    SetLastError(0);
    sim::FailAllocation(1);
    WCHAR* text = reinterpret_cast<WCHAR*>(0x1);
    EXPECT_EQ(WidenText("#a/#b", &text), 0);
    sim::FailAllocation(0);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(sim::ConversionCalls(), 1u) << "only the size query ran";
}

TEST_F(ArgumentParsing, MemoryRunningOutWhileAnEntryIsCopiedKeepsTheEntriesBefore)
{
    // Allocation 1 is the converted text; then each entry costs its list
    // growth and, for a long entry, its string.
    const char* text = "#first-entry-long-enough/#second-entry-long-enough/#third-entry-long-enough";
    const PatternList all = {u"#first-entry-long-enough", u"#second-entry-long-enough", u"#third-entry-long-enough"};
    for (std::size_t failing = 2; failing <= 8; ++failing) {
        SCOPED_TRACE(failing);
        OrderList.clear();
        OrderList.shrink_to_fit();
        const std::size_t live = sim::LiveAllocations();
        sim::FailAllocation(failing);
        EXPECT_NO_THROW(ParseArguments(text));
        sim::FailAllocation(0);
        ASSERT_LE(OrderList.size(), all.size());
        EXPECT_TRUE(std::equal(OrderList.begin(), OrderList.end(), all.begin())) << "a prefix of the entries";
        OrderList.clear();
        OrderList.shrink_to_fit();
        EXPECT_EQ(sim::LiveAllocations(), live) << "the converted text is released";
    }
}

}  // namespace
