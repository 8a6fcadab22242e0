// The tiling pass called directly on real MDI windows, without the hook.
#include "MdiWindows.h"

#include "layout/LayoutContext.h"
#include "layout/PatternList.h"
#include "layout/TileWindows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wine_test {
namespace {

bool TileFrame(HWND frame)
{
    pellorin::LayoutContext context;
    pellorin::InitLayoutContext(context, frame, nullptr);
    return pellorin::TileWindows(context);
}

class LayoutTest : public testing::Test {
protected:
    void SetUp() override
    {
        pellorin::OrderList.clear();
        pellorin::IgnoreList.clear();
    }
    void TearDown() override
    {
        pellorin::OrderList.clear();
        pellorin::IgnoreList.clear();
    }
};

// The positioning rule worked by hand for an 800 x 600 client area and a
// sizing border of 4: H = 604, bands of 201, 201 and 202 rows.
TEST_F(LayoutTest, TilesMatchTheRuleWorkedByHand)
{
    // Wine's default metrics; the literal rows below were derived for them.
    ASSERT_EQ(GetSystemMetrics(SM_CXFRAME), 4);
    ASSERT_EQ(GetSystemMetrics(SM_CYFRAME), 4);

    struct Row {
        const char* Label;
        std::vector<RECT> Tiles;  // left, top, right, bottom in client coordinates
    };
    const Row rows[] = {
        {"one tile covers the whole client area", {{-4, -4, 804, 603}}},
        {"three tiles",
         {{-4, -4, 804, 200},     // x -4, y -4, 808 x 204
          {-4, 197, 804, 401},    // x -4, y 197, 808 x 204
          {-4, 398, 804, 603}}},  // x -4, y 398, 808 x 205
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Label);
        MdiFrame windows;
        RECT area;
        ASSERT_TRUE(GetClientRect(windows.Client(), &area));
        ASSERT_EQ(area, (RECT{0, 0, 800, 600}));
        for (std::size_t i = 0; i < row.Tiles.size(); ++i)
            windows.AddChild(L"child", StartRect(static_cast<int>(i), 30 + 100 * static_cast<int>(i)));

        EXPECT_TRUE(TileFrame(windows.Frame()));
        for (std::size_t i = 0; i < row.Tiles.size(); ++i) {
            EXPECT_EQ(RectInParent(windows.Children()[i]), row.Tiles[i]) << "tile " << i;
            // The rule as the other tests compute it gives the same numbers.
            EXPECT_EQ(ExpectedTile(area, 4, 4, static_cast<unsigned>(i), static_cast<unsigned>(row.Tiles.size())),
                      row.Tiles[i]);
        }
    }
}

TEST_F(LayoutTest, OrdersByTitlePrefixThenTopEdge)
{
    struct Row {
        const char* Label;
        std::vector<std::wstring> Order;
        std::vector<ChildAt> Children;
        std::vector<int> Expected;  // child indexes from the top tile down
    };
    const Row rows[] = {
        {"no entries: top edges alone",
         {},
         {{L"#pellorin", 300}, {L"Status: irc.example.net", 20}, {L"Query alice", 160}},
         {1, 2, 0}},
        {"groups in list order, ASCII case folded, unmatched last",
         {L"status", L"#"},
         {{L"#pellorin", 10}, {L"Query alice", 30}, {L"Status: irc.example.net", 300}, {L"#wine", 200}},
         {2, 0, 3, 1}},
        {"the earlier entry wins over a longer later one",
         {L"#", L"#wine"},
         {{L"Query alice", 5}, {L"#pellorin", 250}, {L"#wine-dev", 100}},
         {2, 1, 0}},
        {"letters outside ASCII must agree exactly",
         {L"\u00e9t\u00e9"},
         {{L"\u00c9t\u00e9 2024", 10}, {L"\u00e9t\u00e9 2025", 200}},
         {1, 0}},
        {"an entry longer than the title does not match",
         {L"Query alice and bob"},
         {{L"Status", 100}, {L"Query alice", 200}},
         {0, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Label);
        pellorin::OrderList.assign(row.Order.begin(), row.Order.end());
        MdiFrame windows;
        windows.AddChildren(row.Children);

        pellorin::LayoutContext context;
        pellorin::InitLayoutContext(context, windows.Frame(), nullptr);
        ASSERT_EQ(context.MdiClient, windows.Client());
        EXPECT_TRUE(pellorin::TileWindows(context));
        EXPECT_TRUE(windows.TiledInOrder(row.Expected));
    }
}

TEST_F(LayoutTest, ChildrenLeftOutKeepTheirPlaceAndShareNoBand)
{
    struct Row {
        const char* Label;
        void (*LeaveOut)(HWND child);
        bool StaysVisible;
    };
    const Row rows[] = {
        {"title on the ignore list", [](HWND) { pellorin::IgnoreList = {L"LOG"}; }, true},
        {"no sizing border",
         [](HWND child) {
             // Wine gives every MDI child a sizing border whatever the style
             // asked for, so it is taken off after creation.
             SetWindowLongW(child, GWL_STYLE, GetWindowLongW(child, GWL_STYLE) & ~WS_THICKFRAME);
             SetWindowPos(child, nullptr, 0, 0, 0, 0,
                          SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
         },
         true},
        {"hidden", [](HWND child) { ShowWindow(child, SW_HIDE); }, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Label);
        pellorin::IgnoreList.clear();
        MdiFrame windows;
        windows.AddChildren({{L"#pellorin", 250}, {L"Log viewer", 10}, {L"Query alice", 100}});
        HWND leftOut = windows.Children()[1];
        row.LeaveOut(leftOut);
        const RECT before = RectInParent(leftOut);

        EXPECT_TRUE(TileFrame(windows.Frame()));
        EXPECT_TRUE(windows.TiledInOrder({2, 0}));
        EXPECT_EQ(RectInParent(leftOut), before);
        EXPECT_EQ(IsWindowVisible(leftOut) != FALSE, row.StaysVisible);
    }
}

TEST_F(LayoutTest, NothingToTileGivesFalseAndMovesNothing)
{
    pellorin::IgnoreList = {L"#"};
    MdiFrame windows;
    windows.AddChildren({{L"#pellorin", 250}, {L"#wine", 10}});
    const RECT before[] = {RectInParent(windows.Children()[0]), RectInParent(windows.Children()[1])};

    EXPECT_FALSE(TileFrame(windows.Frame()));
    EXPECT_EQ(RectInParent(windows.Children()[0]), before[0]);
    EXPECT_EQ(RectInParent(windows.Children()[1]), before[1]);
}

TEST_F(LayoutTest, MaximizedChildIsRestoredAndTiledAloneWhileOthersHide)
{
    pellorin::IgnoreList = {L"Log"};
    MdiFrame windows;
    windows.AddChildren({{L"#pellorin", 20}, {L"#wine", 150}, {L"Log viewer", 280}, {L"Query alice", 410}});
    HWND maximized = windows.Children()[1];
    HWND ignored = windows.Children()[2];
    SendMessageW(windows.Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(maximized), 0);
    ASSERT_TRUE(PumpUntilIdle());
    ASSERT_TRUE(HasStyle(maximized, WS_MAXIMIZE));
    const RECT ignoredBefore = RectInParent(ignored);

    EXPECT_TRUE(TileFrame(windows.Frame()));

    EXPECT_FALSE(HasStyle(maximized, WS_MAXIMIZE));
    EXPECT_TRUE(IsWindowVisible(maximized));
    EXPECT_TRUE(windows.TiledInOrder({1}));
    EXPECT_FALSE(IsWindowVisible(windows.Children()[0]));
    EXPECT_FALSE(IsWindowVisible(windows.Children()[3]));
    // The ignored child is neither hidden nor moved.
    EXPECT_TRUE(IsWindowVisible(ignored));
    EXPECT_EQ(RectInParent(ignored), ignoredBefore);

    // The next pass finds nothing maximized: the hidden children stay hidden
    // and the restored one keeps the whole client area.
    EXPECT_TRUE(TileFrame(windows.Frame()));
    EXPECT_TRUE(windows.TiledInOrder({1}));
    EXPECT_FALSE(IsWindowVisible(windows.Children()[0]));
    EXPECT_FALSE(IsWindowVisible(windows.Children()[3]));
}

TEST_F(LayoutTest, ControlsInsideChildrenAreNeverMovedOrHidden)
{
    MdiFrame windows;
    HWND upper = windows.AddChildByFunction(L"#pellorin", StartRect(0, 40));
    HWND lower = windows.AddChildByFunction(L"#wine", StartRect(1, 300));
    // The edit controls have a sizing border of their own and the panel is
    // created maximized (over its parent's client area): only their parents
    // tell that they are neither tiles nor a maximized child.
    const std::vector<HWND> controls = {
        CreateControl(upper, L"BUTTON", {10, 10, 90, 34}),
        CreateControl(upper, L"EDIT", {10, 50, 200, 80}, WS_THICKFRAME),
        CreateControl(lower, L"EDIT", {5, 5, 150, 30}, WS_THICKFRAME),
        CreateControl(lower, L"STATIC", {0, 40, 100, 60}, WS_MAXIMIZE),
    };
    ASSERT_TRUE(HasStyle(controls[3], WS_MAXIMIZE));
    std::vector<RECT> before;
    for (HWND control : controls)
        before.push_back(RectInParent(control));

    struct Pass {
        const char* Label;
        HWND MaximizeFirst;
        std::vector<int> Expected;
    };
    const Pass passes[] = {
        {"plain pass", nullptr, {0, 1}},
        {"pass that restores one child and hides the other", lower, {1}},
    };
    for (const Pass& pass : passes) {
        SCOPED_TRACE(pass.Label);
        if (pass.MaximizeFirst) {
            SendMessageW(windows.Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(pass.MaximizeFirst), 0);
            ASSERT_TRUE(PumpUntilIdle());
        }
        EXPECT_TRUE(TileFrame(windows.Frame()));
        EXPECT_TRUE(windows.TiledInOrder(pass.Expected));
        for (std::size_t i = 0; i < controls.size(); ++i) {
            EXPECT_EQ(RectInParent(controls[i]), before[i]) << "control " << i;
            // Inside a hidden child IsWindowVisible is false; the control's
            // own visibility bit must stay set.
            EXPECT_TRUE(HasStyle(controls[i], WS_VISIBLE)) << "control " << i;
        }
        EXPECT_TRUE(HasStyle(controls[3], WS_MAXIMIZE));
    }
    EXPECT_FALSE(IsWindowVisible(upper));
}

TEST_F(LayoutTest, FrameWithoutItsOwnMdiClientChangesNothing)
{
    struct Row {
        const char* Label;
        bool WithFrame;
        bool WithPanel;         // a STATIC child of the frame
        bool WithClientInPanel; // an MDI client, with a child, inside that panel
    };
    const Row rows[] = {
        {"no frame at all", false, false, false},
        {"frame without children", true, false, false},
        {"frame with a control only", true, true, false},
        {"MDI client one level too deep", true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Label);
        HWND frame = row.WithFrame ? CreateFrameWindow(640, 480) : nullptr;
        HWND panel = row.WithPanel ? CreateControl(frame, L"STATIC", {0, 0, 640, 480}) : nullptr;
        HWND deepClient = row.WithClientInPanel ? CreateMdiClient(panel, {0, 0, 640, 480}) : nullptr;
        HWND deepChild = deepClient ? CreateMdiChild(deepClient, L"#pellorin", StartRect(0, 50)) : nullptr;
        const RECT before = deepChild ? RectInParent(deepChild) : RECT{0, 0, 0, 0};

        pellorin::LayoutContext context;
        pellorin::InitLayoutContext(context, frame, nullptr);
        EXPECT_EQ(context.Frame, frame);
        EXPECT_EQ(context.MdiClient, nullptr);
        EXPECT_FALSE(pellorin::TileWindows(context));
        EXPECT_TRUE(context.Tiles.empty());
        if (deepChild) {
            EXPECT_EQ(RectInParent(deepChild), before);
            EXPECT_TRUE(IsWindowVisible(deepChild));
        }
        if (frame)
            DestroyWindow(frame);
    }
}

}  // namespace
}  // namespace wine_test
