// Pellorin.dll at scale, through its exports on real Wine windows: five
// hundred MDI children, titles of 4,000 units, an argument text of 1 MiB,
// and a pass whose cost grows no faster than the number of children.
#include "MdiHost.h"

#include "support/RectForGtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace mdi_host {
namespace {

const int ClientWidth = 800;
// Rows per band: the children's minimum tracking height (27 rows under
// Wine) would otherwise clamp the moves, and the rule could not be checked.
const int BandRows = 36;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Where child i starts: narrower and shorter than any band, at a top edge
// of rank (i * 263) mod count, so that creation order and top-edge order
// differ. round moves every child elsewhere.
RECT StartRect(int i, int count, int round = 0)
{
    const int rank = (i * 263 + round * 7) % count;
    RECT r;
    r.left = 10 + (i % 20) * 5 + round % 3;
    r.top = 5 + rank * (BandRows - 2);
    r.right = r.left + 300;
    r.bottom = r.top + 120;
    return r;
}

// A frame whose client has room for count bands, with count children
// titled by title(i) at StartRect.
template <typename Title>
void AddChildren(MdiFrame& windows, int count, Title title)
{
    for (int i = 0; i < count; ++i)
        windows.AddChild(title(i), StartRect(i, count));
    PumpUntilQuiet();
}

std::wstring PaneTitle(int i)
{
    wchar_t title[16];
    swprintf(title, 16, L"Pane %03d", i);
    return title;
}

int ClientHeightFor(int count) { return std::max(600, count * BandRows); }

void Scatter(const MdiFrame& windows, int round)
{
    const int count = static_cast<int>(windows.Children().size());
    for (int i = 0; i < count; ++i) {
        const RECT r = StartRect(i, count, round);
        SetWindowPos(windows.Children()[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PumpUntilQuiet(5);
}

// Child order[p] holds tile p of order.size(), by the rule with the live
// client rectangle and metrics.
testing::AssertionResult TiledInOrder(const MdiFrame& windows, const std::vector<int>& order)
{
    const unsigned n = static_cast<unsigned>(order.size());
    int wrong = 0;
    std::string first;
    for (unsigned p = 0; p < n; ++p) {
        const RECT actual = RectInParent(windows.Children()[order[p]]);
        const RECT expected = ExpectedTileNow(windows.Client(), p, n);
        if (!SameRect(actual, expected) && wrong++ == 0) {
            first = "tile " + std::to_string(p) + " (child " + std::to_string(order[p]) + ") is " +
                    testing::PrintToString(actual) + ", expected " + testing::PrintToString(expected);
        }
    }
    if (wrong == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << wrong << " of " << n << " tiles misplaced; first: " << first;
}

// The children by top edge now, as the pass orders those of one group.
std::vector<int> ByTopEdge(const MdiFrame& windows, const std::vector<int>& children)
{
    std::vector<int> order = children;
    std::stable_sort(order.begin(), order.end(), [&windows](int a, int b) {
        return RectInParent(windows.Children()[a]).top < RectInParent(windows.Children()[b]).top;
    });
    return order;
}

std::vector<int> AllOf(int count)
{
    std::vector<int> all(count);
    for (int i = 0; i < count; ++i)
        all[i] = i;
    return all;
}

class ScaleTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(Dll.Load(support::PellorinBesideProgram(), &error)) << error;
        ASSERT_EQ(Dll.LoadDll(nullptr), RelayoutMessage());
    }
    static void TearDownTestSuite() { Dll.Free(); }
    void SetUp() override
    {
        ASSERT_TRUE(Dll.Loaded());
        Seen.Reset();
    }
    void TearDown() override
    {
        if (Dll.Loaded())
            Unhook(Dll);
        PumpQueued();
    }

    static Pellorin Dll;
};

Pellorin ScaleTest::Dll;

TEST_F(ScaleTest, FiveHundredChildrenStackInTopEdgeOrder)
{
    const int count = 500;
    MdiFrame windows(ClientWidth, ClientHeightFor(count));
    AddChildren(windows, count, PaneTitle);
    const std::vector<int> expected = ByTopEdge(windows, AllOf(count));

    Install(Dll, windows.Frame(), "#nothing/**ignore**Nothing");
    EXPECT_TRUE(TiledInOrder(windows, expected));
    EXPECT_EQ(Seen.TileMoves, count);
    EXPECT_EQ(Seen.Client.Relayouts, 0);

    // The hook keeps them so: a size change re-tiles all five hundred once.
    Scatter(windows, 1);
    const std::vector<int> again = ByTopEdge(windows, AllOf(count));
    Seen.Reset();
    SendMessageW(windows.Client(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth, ClientHeightFor(count)));
    ASSERT_TRUE(PumpUntilRelayouts(1));
    EXPECT_TRUE(TiledInOrder(windows, again));
    EXPECT_EQ(Seen.TileMoves, count);
}

// Titles of 4,000 units: only the first 1023 take part in matching, since
// the title is read into 1024 units with its terminator.
TEST_F(ScaleTest, OnlyTheFirst1023UnitsOfALongTitleMatch)
{
    const std::string head(1022, 'a');
    const std::string within = head + "Z";         // the title's first 1023 units
    const std::string beyond = head + "Zq";        // 1024 units: one past what is read
    const std::string folded = std::string(1022, 'A') + "z";  // ASCII case folds
    const std::wstring longTitle = std::wstring(1022, L'a') + L"Z" + std::wstring(2977, L'q');
    ASSERT_EQ(longTitle.size(), 4000u);

    struct Row {
        const char* Label;
        std::string Text;
        std::vector<int> Order;  // children 0 (long title, lowest), 1 (long), 2 (short)
        bool LongOneIgnored;
    };
    const Row rows[] = {
        {"an order entry within the first 1023 units", within, {0, 1, 2}, false},
        {"the same entry with ASCII letters in the other case", folded, {0, 1, 2}, false},
        {"an order entry one unit beyond", beyond, {1, 2, 0}, false},
        {"an ignore entry within the first 1023 units", "**ignore**" + within, {1, 2}, true},
        {"an ignore entry one unit beyond", "**ignore**" + beyond, {1, 2, 0}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Label);
        MdiFrame windows(ClientWidth, 600);
        // Child 0 starts lowest: only its entry can bring it first.
        windows.AddChild(longTitle, RECT{10, 300, 310, 420});
        windows.AddChild(std::wstring(4000, L'b'), RECT{20, 30, 320, 150});
        windows.AddChild(L"short", RECT{30, 160, 330, 280});
        PumpUntilQuiet();
        ASSERT_EQ(GetWindowTextLengthW(windows.Children()[0]), 4000);
        const RECT before = RectInParent(windows.Children()[0]);

        Install(Dll, windows.Frame(), row.Text);
        EXPECT_TRUE(TiledInOrder(windows, row.Order));
        if (row.LongOneIgnored) {
            EXPECT_TRUE(SameRect(RectInParent(windows.Children()[0]), before)) << "the ignored child moved";
        }
        Unhook(Dll);
    }
}

// An argument text of exactly 1 MiB in 100,000 tokens: order and ignore
// tokens naming some of 500 children, spread among tokens that name none,
// and a last order entry "Pane" that every child's title begins with.
struct BigText {
    std::string Text;
    std::size_t Tokens = 0;
    std::vector<int> Ordered;   // children named by order tokens, in token order
    std::vector<int> Ignored;   // children named by ignore tokens
};

BigText MakeBigText(int children)
{
    const std::size_t bytes = 1024 * 1024;
    const std::size_t tokens = 100000;
    BigText big;
    // Named tokens at fixed positions among the fillers; every 2,000th
    // token orders a child, every 2,500th (offset) ignores one. Some of
    // the ignored are ordered too: ignoring wins.
    struct Named {
        std::size_t At;
        std::string Token;
    };
    std::vector<Named> named;
    for (int k = 0; k < 50; ++k) {
        const int child = (k * 149 + 17) % children;
        char token[32];
        std::snprintf(token, sizeof token, "Pane %03d", child);
        named.push_back({static_cast<std::size_t>(k) * 2000 + 1, token});
        big.Ordered.push_back(child);
    }
    for (int k = 0; k < 40; ++k) {
        const int child = k < 5 ? big.Ordered[k * 3] : (k * 211 + 5) % children;
        char token[48];
        std::snprintf(token, sizeof token, "%sPane %03d", k % 2 ? "**IGNORE**" : "**ignore**", child);
        named.push_back({static_cast<std::size_t>(k) * 2500 + 1250, token});
        big.Ignored.push_back(child);
    }
    named.push_back({tokens - 1, "Pane"});

    // The fillers take the rest of the bytes: every fifth an ignore token
    // of 16 bytes, the others order tokens sharing what is left, none a
    // prefix of any title ("Pane ..."), so that the text comes to exactly
    // 1 MiB.
    std::vector<std::string> at(tokens);
    std::size_t namedBytes = 0;
    for (const Named& n : named) {
        at[n.At] = n.Token;
        namedBytes += n.Token.size();
    }
    const auto ignoreFiller = [&at](std::size_t t) { return at[t].empty() && t % 5 == 0; };
    std::size_t ignoreFillers = 0;
    std::size_t orderFillers = 0;
    for (std::size_t t = 0; t < tokens; ++t) {
        if (ignoreFiller(t))
            ++ignoreFillers;
        else if (at[t].empty())
            ++orderFillers;
    }
    const std::size_t ignoreLength = 16;
    const std::size_t orderBytes = bytes - (tokens - 1) - namedBytes - ignoreFillers * ignoreLength;
    std::size_t longer = orderBytes % orderFillers;  // this many order fillers get one byte more
    const auto digits = [](std::size_t t, std::string token, std::size_t length) {
        for (std::size_t d = 0; token.size() < length; ++d)
            token += static_cast<char>('0' + (t + d) % 10);
        return token;
    };
    for (std::size_t t = 0; t < tokens; ++t) {
        if (ignoreFiller(t)) {
            at[t] = digits(t, "**ignore**x", ignoreLength);
        } else if (at[t].empty()) {
            at[t] = digits(t, "q", orderBytes / orderFillers + (longer > 0 ? 1 : 0));
            if (longer > 0)
                --longer;
        }
    }
    for (std::size_t t = 0; t < tokens; ++t) {
        if (t)
            big.Text += '/';
        big.Text += at[t];
    }
    big.Tokens = tokens;
    return big;
}

TEST_F(ScaleTest, AMebibyteOfArgumentsOrdersAndIgnoresFiveHundredChildren)
{
    const int count = 500;
    const BigText big = MakeBigText(count);
    ASSERT_EQ(big.Text.size(), 1024u * 1024u);
    ASSERT_EQ(static_cast<std::size_t>(std::count(big.Text.begin(), big.Text.end(), '/')), big.Tokens - 1);

    MdiFrame windows(ClientWidth, ClientHeightFor(count));
    AddChildren(windows, count, PaneTitle);
    std::vector<RECT> before;
    for (HWND child : windows.Children())
        before.push_back(RectInParent(child));

    // The expected stack: the ordered children by the position of their
    // first order token, then all the others (whose first match is the
    // last entry, "Pane") by top edge; the ignored nowhere.
    const auto ignored = [&big](int child) {
        return std::find(big.Ignored.begin(), big.Ignored.end(), child) != big.Ignored.end();
    };
    std::vector<int> expected;
    for (int child : big.Ordered) {
        if (!ignored(child) && std::find(expected.begin(), expected.end(), child) == expected.end())
            expected.push_back(child);
    }
    std::vector<int> rest;
    for (int child = 0; child < count; ++child) {
        if (!ignored(child) && std::find(expected.begin(), expected.end(), child) == expected.end())
            rest.push_back(child);
    }
    for (int child : ByTopEdge(windows, rest))
        expected.push_back(child);

    const double start = NowMs();
    Install(Dll, windows.Frame(), big.Text);
    const double elapsed = NowMs() - start;
    std::printf("[ scale    ] InstallHook with 1 MiB, 100,000 tokens, 500 children: %.0f ms\n", elapsed);

    EXPECT_TRUE(TiledInOrder(windows, expected));
    int moved = 0;
    for (int child = 0; child < count; ++child) {
        if (ignored(child) && !SameRect(RectInParent(windows.Children()[child]), before[child]))
            ++moved;
    }
    EXPECT_EQ(moved, 0) << "ignored children were moved";
    EXPECT_EQ(Seen.TileMoves, static_cast<long>(expected.size()));
}

// The deferred pass over 500 children costs no more than about ten times
// the one over 50: nothing in it grows with the square of the children.
// Each band has the same height in both, so that the same number of
// children shows in the frame and is painted.
double MedianDeferredPass(const Pellorin& dll, int count)
{
    MdiFrame windows(ClientWidth, ClientHeightFor(count));
    AddChildren(windows, count, PaneTitle);
    Install(dll, windows.Frame(), "#nothing/**ignore**Nothing");
    PumpUntilQuiet(5);
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        Scatter(windows, run + 1);
        const long relayouts = Seen.Client.Relayouts;
        const double start = NowMs();
        SendMessageW(windows.Client(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth, ClientHeightFor(count)));
        EXPECT_TRUE(PumpUntilRelayouts(relayouts + 1));
        times.push_back(NowMs() - start);
        EXPECT_TRUE(TiledInOrder(windows, ByTopEdge(windows, AllOf(count)))) << count << " children, run " << run;
    }
    Unhook(dll);
    return Median(times);
}

TEST_F(ScaleTest, APassGrowsLinearlyWithTheChildren)
{
    const double small = MedianDeferredPass(Dll, 50);
    const double large = MedianDeferredPass(Dll, 500);
    std::printf("[ scale    ] deferred pass, median of 5: 50 children %.1f ms, 500 children %.1f ms, ratio %.1f\n",
                small, large, large / small);
    // Ten times the children; half as much again for the noise of a
    // shared machine.
    EXPECT_LE(large, 15 * small);
}

}  // namespace
}  // namespace mdi_host
