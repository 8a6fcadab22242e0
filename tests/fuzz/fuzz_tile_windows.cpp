// One tiling pass over a window tree built from the input: a frame, perhaps
// a decoy "MDIClient" deeper down, the MDI client with a client area of any
// size, children with titles, styles, visibility and rectangles, controls
// inside some of them, children of another thread, failing window calls and
// the two pattern lists.
//
// What the pass did (the recorded ShowWindow and SetWindowPos calls) is
// compared with what a model of the pass worked out here expects, and the
// bands are checked against the client area whenever its height is one a
// window can have.
#include "FuzzCheck.h"

#include "layout/LayoutContext.h"
#include "layout/TileWindows.h"
#include "platform/sim/SimControl.h"

#include <algorithm>
#include <string>
#include <vector>

using pellorin::IgnoreList;
using pellorin::OrderList;
using pellorin::PatternList;
using pellorin::WideString;

namespace {

const UINT TileFlags = 0x0214;
const LONG FrameTop = 100;
const unsigned MaxChildren = 12;

// Few units, so that titles and entries often meet: ASCII letters in both
// cases, a dotted capital I and accented letters that must not fold, and the
// separator, which only titles may hold.
const char16_t Alphabet[] = {u'#', u'a', u'A', u'b', u'B', u'*', u' ', u'S', u's', 0x0130, 0x00E9, 0x00C9, u'/'};
const unsigned EntryUnits = sizeof Alphabet / sizeof Alphabet[0] - 1;  // all but the separator
const unsigned TitleUnits = sizeof Alphabet / sizeof Alphabet[0];

struct Child {
    HWND Window = nullptr;
    std::u16string Title;
    LONG Style = 0;
    bool Visible = false;
    bool OtherThread = false;
    bool TitleFails = false;
    bool RectFails = false;
    RECT Rect{};
    HWND Control = nullptr;
    LONG ControlStyle = 0;
};

struct Tile {
    std::int64_t OrderIndex;
    std::int64_t Top;
    HWND Window;
};

std::u16string Units(fuzz::Reader& input, unsigned length, unsigned alphabet)
{
    std::u16string units;
    for (unsigned i = 0; i < length; ++i)
        units.push_back(Alphabet[input.Below(alphabet)]);
    return units;
}

int Metric(fuzz::Reader& input, bool wild)
{
    return wild ? static_cast<int>(input.Long()) : static_cast<int>(input.Below(16));
}

int Extent(fuzz::Reader& input, bool wild)
{
    return wild ? static_cast<int>(input.Long()) : static_cast<int>(input.Word() % 4096);
}

char16_t Lower(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit; }

bool BeginsWith(const std::u16string& title, const WideString& entry)
{
    if (title.size() < entry.size())
        return false;
    for (std::size_t i = 0; i < entry.size(); ++i) {
        if (Lower(title[i]) != Lower(entry[i]))
            return false;
    }
    return true;
}

// The title as the pass may read it: only windows of this thread, and only
// a title that reads back non-empty.
bool Readable(const Child& child) { return !child.OtherThread && !child.TitleFails && !child.Title.empty(); }

bool Ignored(const Child& child)
{
    if (!Readable(child))
        return false;
    return std::any_of(IgnoreList.begin(), IgnoreList.end(),
                       [&](const WideString& entry) { return BeginsWith(child.Title, entry); });
}

std::int64_t OrderIndex(const Child& child)
{
    if (Readable(child)) {
        for (std::size_t i = 0; i < OrderList.size(); ++i) {
            if (BeginsWith(child.Title, OrderList[i]))
                return static_cast<std::int64_t>(i);
        }
    }
    return static_cast<std::int64_t>(OrderList.size());
}

HWND Create(HWND parent, const char16_t* className, const std::u16string& title, LONG style, bool visible,
            const RECT& rect, DWORD thread = sim::MainThread)
{
    sim::WindowSpec window;
    window.Parent = parent;
    window.ClassName = className;
    window.Title = title;
    window.Style = style;
    window.Visible = visible;
    window.Rect = rect;
    window.Thread = thread;
    return sim::CreateWindow(window);
}

void FillList(fuzz::Reader& input, PatternList& list, unsigned most)
{
    list.clear();
    const unsigned count = input.Below(most + 1);
    for (unsigned i = 0; i < count; ++i) {
        const std::u16string entry = Units(input, 1 + input.Below(4), EntryUnits);
        list.emplace_back(entry.begin(), entry.end());
    }
}

bool SameCall(const sim::Call& call, sim::Event kind, HWND window, int command)
{
    return call.Kind == kind && call.Window == window && (kind != sim::Event::Shown || call.Command == command);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Reader input(data, size);
    sim::Reset();

    const std::uint8_t world = input.Byte();
    const bool wildHeight = (world & 0x03) == 0x03;
    const bool wildWidth = (world & 0x04) != 0;
    const bool wildMetrics = (world & 0x08) != 0;
    const bool decoy = (world & 0x10) != 0;
    const bool clientRectFails = (world & 0x60) == 0x60;
    const bool noClient = (world & 0x80) != 0 && (world & 0x60) == 0x20;
    const int clientWidth = Extent(input, wildWidth);
    const int clientHeight = Extent(input, wildHeight);
    const int cx = Metric(input, wildMetrics);
    const int cy = Metric(input, wildMetrics);
    sim::SetSystemMetric(SM_CXFRAME, cx);
    sim::SetSystemMetric(SM_CYFRAME, cy);
    FillList(input, OrderList, 4);
    FillList(input, IgnoreList, 3);

    const HWND frame = Create(nullptr, u"HostFrame", u"Host", WS_THICKFRAME, true, RECT{100, FrameTop, 900, 700});
    std::vector<HWND> untouchable;  // windows the pass must never move, show or hide
    if (decoy) {
        // A control of class "MDIClient" inside a toolbar is not the frame's client.
        const HWND toolbar = Create(frame, u"ToolBar", u"", WS_CHILD, true, RECT{0, 0, 800, 20});
        untouchable.push_back(toolbar);
        untouchable.push_back(Create(toolbar, u"MDIClient", u"", WS_CHILD | WS_THICKFRAME, true, RECT{0, 0, 10, 10}));
    }
    HWND client = nullptr;
    std::vector<Child> children;
    if (!noClient) {
        const char16_t* const classNames[] = {u"MDIClient", u"mdiclient", u"MDICLIENT"};
        // The client area is the client's rectangle: (0, 0, width, height).
        client = Create(frame, classNames[input.Below(3)], u"", WS_CHILD, true, RECT{0, 0, clientWidth, clientHeight});
        if (clientRectFails)
            sim::Fail(client, sim::Op::GetClientRect);

        const unsigned count = input.Below(MaxChildren + 1);
        for (unsigned i = 0; i < count; ++i) {
            Child child;
            const std::uint8_t flags = input.Byte();
            child.Visible = (flags & 0x01) != 0;
            child.Style = WS_CHILD | ((flags & 0x02) ? WS_THICKFRAME : 0) | ((flags & 0x04) ? WS_MAXIMIZE : 0);
            child.OtherThread = (flags & 0x18) == 0x18;
            child.Title = Units(input, input.Below(8), TitleUnits);
            child.Rect.left = static_cast<std::int8_t>(input.Byte());
            child.Rect.top = static_cast<std::int16_t>(input.Word());
            child.Rect.right = child.Rect.left + input.Byte();
            child.Rect.bottom = child.Rect.top + input.Byte();
            const DWORD thread = child.OtherThread ? sim::MainThread + 1 : sim::MainThread;
            child.Window = Create(client, u"MdiChild", child.Title, child.Style, child.Visible, child.Rect, thread);
            if (flags & 0x80) {
                const std::uint8_t failures = input.Byte();
                child.TitleFails = (failures & 1) != 0;
                child.RectFails = (failures & 2) != 0;
                if (child.TitleFails)
                    sim::Fail(child.Window, sim::Op::GetWindowText);
                if (child.RectFails)
                    sim::Fail(child.Window, sim::Op::GetWindowRect);
            }
            if (flags & 0x20) {
                // Visible, sizeable, maybe maximized, and titled like a tile:
                // still never the pass's business.
                child.ControlStyle = WS_CHILD | WS_THICKFRAME | ((flags & 0x40) ? WS_MAXIMIZE : 0);
                const std::u16string title = OrderList.empty() ? child.Title : std::u16string(OrderList[0]);
                child.Control = Create(child.Window, u"Edit", title, child.ControlStyle, true, RECT{2, 2, 50, 20}, thread);
                untouchable.push_back(child.Control);
            }
            children.push_back(child);
        }
    }

    // The pass as a model: the restore step shows every maximized child,
    // the hide step (after a maximized one) hides the other visible children
    // that are not ignored, and the visible sizeable ones left are tiled in
    // key order, ties in the order of enumeration.
    std::vector<sim::Call> expected;
    const Child* first = nullptr;
    std::vector<bool> visible;
    for (const Child& child : children) {
        visible.push_back(child.Visible);
        if (child.Style & WS_MAXIMIZE) {
            if (!first)
                first = &child;
            sim::Call call{};
            call.Kind = sim::Event::Shown;
            call.Window = child.Window;
            call.Command = SW_SHOWNOACTIVATE;
            expected.push_back(call);
            visible.back() = true;
        }
    }
    for (std::size_t i = 0; first && i < children.size(); ++i) {
        if (&children[i] != first && visible[i] && !Ignored(children[i])) {
            sim::Call call{};
            call.Kind = sim::Event::Shown;
            call.Window = children[i].Window;
            call.Command = SW_HIDE;
            expected.push_back(call);
            visible[i] = false;
        }
    }
    std::vector<Tile> tiles;
    for (std::size_t i = 0; i < children.size(); ++i) {
        const Child& child = children[i];
        if (visible[i] && (child.Style & WS_THICKFRAME) && !child.RectFails && !Ignored(child))
            tiles.push_back(Tile{OrderIndex(child), FrameTop + child.Rect.top, child.Window});
    }
    std::stable_sort(tiles.begin(), tiles.end(), [](const Tile& a, const Tile& b) {
        return a.OrderIndex != b.OrderIndex ? a.OrderIndex < b.OrderIndex : a.Top < b.Top;
    });
    const bool positions = client && !tiles.empty() && !clientRectFails;
    for (std::size_t i = 0; positions && i < tiles.size(); ++i) {
        sim::Call call{};
        call.Kind = sim::Event::Moved;
        call.Window = tiles[i].Window;
        expected.push_back(call);
    }

    sim::ClearCalls();
    const std::size_t live = sim::LiveAllocations();
    bool tiled = false;
    std::size_t collected = 0;
    {
        pellorin::LayoutContext context;
        pellorin::InitLayoutContext(context, frame, nullptr);
        FUZZ_CHECK(context.MdiClient == client, "the frame's MDI client was not found");
        tiled = pellorin::TileWindows(context);
        collected = context.Tiles.size();
        FUZZ_CHECK(!context.Order && !context.Ignore && !context.FirstMaximized, "the pass left its references set");
    }
    FUZZ_CHECK(sim::LiveAllocations() == live, "the pass left memory allocated");

    const std::vector<sim::Call>& calls = sim::Calls();
    std::vector<sim::Call> moves;
    for (const sim::Call& call : calls) {
        FUZZ_CHECK(call.Kind == sim::Event::Shown || call.Kind == sim::Event::Moved, "the pass made another call");
        if (call.Kind == sim::Event::Moved)
            moves.push_back(call);
    }

    // Whatever the model says: one move per collected tile, each of a
    // distinct child of the client, and nothing else touched.
    FUZZ_CHECK(tiled == !moves.empty(), "the result does not tell whether anything was positioned");
    FUZZ_CHECK(!tiled || moves.size() == collected, "not one move per collected tile");
    for (std::size_t i = 0; i < moves.size(); ++i) {
        FUZZ_CHECK(GetParent(moves[i].Window) == client, "a window other than a child of the client was moved");
        FUZZ_CHECK(moves[i].Flags == TileFlags, "a move keeps neither Z order nor activation");
        for (std::size_t j = 0; j < i; ++j)
            FUZZ_CHECK(moves[j].Window != moves[i].Window, "a child was moved twice");
    }
    for (const sim::Call& call : calls) {
        FUZZ_CHECK(std::find(untouchable.begin(), untouchable.end(), call.Window) == untouchable.end(),
                   "a control or a window of the frame's own was changed");
        for (const Child& child : children) {
            if (call.Window != child.Window || !Ignored(child))
                continue;
            FUZZ_CHECK(call.Kind != sim::Event::Moved, "an ignored child was moved");
            FUZZ_CHECK(call.Kind != sim::Event::Shown || call.Command != SW_HIDE, "an ignored child was hidden");
            FUZZ_CHECK(call.Kind != sim::Event::Shown || (child.Style & WS_MAXIMIZE),
                       "an ignored child that was not maximized was shown");
        }
    }
    for (const Child& child : children) {
        FUZZ_CHECK(!(sim::StyleOf(child.Window) & WS_MAXIMIZE), "a child is still maximized after the pass");
        if (child.Control)
            FUZZ_CHECK(sim::StyleOf(child.Control) == child.ControlStyle, "a control's style changed");
    }

    // The model's sequence, call for call.
    FUZZ_CHECK(calls.size() == expected.size(), "the pass made other calls than the model");
    for (std::size_t i = 0; i < calls.size(); ++i)
        FUZZ_CHECK(SameCall(calls[i], expected[i].Kind, expected[i].Window, expected[i].Command),
                   "the pass showed, hid or moved other windows, or in another order, than the model");

    // The bands, for a client area and borders a window can have.
    const bool reasonable = clientHeight >= 0 && clientHeight <= (1 << 20) && clientWidth >= 0 &&
                            clientWidth <= (1 << 20) && cx >= 0 && cx <= 1024 && cy >= 0 && cy <= 1024;
    if (reasonable && !moves.empty()) {
        const std::int64_t n = static_cast<std::int64_t>(moves.size());
        const std::int64_t overlap = cy - 1;
        FUZZ_CHECK(moves.front().Y == -cy, "the first tile does not begin a border above the client area");
        FUZZ_CHECK(static_cast<std::int64_t>(moves.back().Y) + moves.back().Height == clientHeight + overlap,
                   "the last tile does not end a border below the client area");
        std::int64_t shortest = INT64_MAX;
        std::int64_t tallest = INT64_MIN;
        for (std::size_t i = 0; i < moves.size(); ++i) {
            FUZZ_CHECK(moves[i].X == -cx, "a tile does not reach a border beyond the left edge");
            FUZZ_CHECK(static_cast<std::int64_t>(moves[i].Width) == clientWidth + 2 * static_cast<std::int64_t>(cx),
                       "a tile is not as wide as the client area and two borders");
            const std::int64_t band = moves[i].Height - overlap;
            shortest = std::min(shortest, band);
            tallest = std::max(tallest, band);
            if (i + 1 < moves.size())
                FUZZ_CHECK(static_cast<std::int64_t>(moves[i + 1].Y) == moves[i].Y + band,
                           "a gap or an extra overlap between two tiles");
        }
        FUZZ_CHECK(tallest - shortest <= 1, "band heights differ by more than one");
        FUZZ_CHECK(shortest == (clientHeight + cy) / n, "the bands do not share the height equally");
    }

    // Everything this input allocated goes with it, so that libFuzzer's leak
    // check sees as many frees as allocations.
    OrderList.clear();
    OrderList.shrink_to_fit();
    IgnoreList.clear();
    IgnoreList.shrink_to_fit();
    sim::Reset();
    return 0;
}
