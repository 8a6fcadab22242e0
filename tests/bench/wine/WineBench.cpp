// The cost of a tiling pass under Wine, beside the MDI client's own tile and
// the floor of the moves alone, and the coalescing of a burst of WM_SIZE.
//   pellorin_bench.exe [--quick] [--runs R] [--sizes N,N,...] [--trace]
// --trace prints every run's times, to see the spread behind a median.
// Loads Pellorin.dll from its own directory, as the host does.
#include "MdiHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace mdi_host;

namespace {

const int ClientWidth = 1000;
// Bands stay this many rows above the minimum tracking height, so that
// Wine keeps every move as asked and the check below can hold it to the rule.
const int BandSlack = 8;
// The argument text of every InstallHook: entries that match no child, as a
// user's short list does for most of the windows.
const char* const ArgumentText = "#pellorin/#help/#news/**ignore**Status";

// The value below which a fraction q of the values lie, interpolated.
double Quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const std::size_t below = static_cast<std::size_t>(at);
    if (below + 1 >= values.size())
        return values.back();
    return values[below] + (at - static_cast<double>(below)) * (values[below + 1] - values[below]);
}

double Median(const std::vector<double>& values) { return Quantile(values, 0.5); }

// A pass's cost above the floor of the same round, in percent, per run.
std::vector<double> PairedOverhead(const std::vector<double>& pass, const std::vector<double>& floor)
{
    std::vector<double> overhead;
    for (std::size_t r = 0; r < pass.size(); ++r)
        overhead.push_back(100.0 * (pass[r] - floor[r]) / floor[r]);
    return overhead;
}

[[noreturn]] void Fail(const std::string& why)
{
    std::fprintf(stderr, "pellorin_bench: %s\n", why.c_str());
    std::fflush(stderr);
    std::exit(1);
}

const char* WineVersion()
{
    using Version = const char*(CDECL*)();
    const auto version =
        reinterpret_cast<Version>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")));
    return version ? version() : "not Wine";
}

// One frame of n children and what each measurement needs of it.
class Bench {
public:
    Bench(const Pellorin& dll, int n)
        : dll_(dll), n_(n), height_(std::max(600, n * (MinimumTrackHeight() + BandSlack))), windows_(ClientWidth, height_)
    {
        for (int i = 0; i < n; ++i) {
            wchar_t title[32];
            swprintf(title, 32, L"#chan-%03d", i);
            windows_.AddChild(title, Scattered(i, 0));
        }
        Seen.Watched = windows_.Children()[0];
        PumpUntilQuiet();
    }

    // The time from the start of the last measured pass to its first move:
    // what the pass does before it positions anything.
    double LastPreMove = 0;

    int Count() const { return n_; }
    int ClientHeight() const { return height_; }
    HWND Client() const { return windows_.Client(); }
    HWND Frame() const { return windows_.Frame(); }

    // Moves every child off its band to a place that differs with round:
    // the next measured operation then has to move every window.
    void Scatter(int round)
    {
        for (int i = 0; i < n_; ++i) {
            const RECT r = Scattered(i, round);
            SetWindowPos(windows_.Children()[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        PumpUntilQuiet(5);
        order_ = ByTopEdge();
        for (int p = 0; p < n_; ++p) {
            if (SameRect(RectInParent(order_[p]), ExpectedTileNow(Client(), p, n_)))
                Fail("a scattered child already sits on its band");
        }
    }

    // The pass's order for a text that matches no child: by top edge.
    std::vector<HWND> ByTopEdge() const { return support::ByTopEdge(windows_.Children()); }

    // Every child on the band of its rank in the order of the last Scatter.
    void ExpectTiled(const char* what) const
    {
        for (int p = 0; p < n_; ++p) {
            if (!SameRect(RectInParent(order_[p]), ExpectedTileNow(Client(), p, n_)))
                Fail(std::string(what) + ": tile " + std::to_string(p) + " of " + std::to_string(n_) +
                     " is not on its band");
        }
    }

    void ExpectAllMoved(const char* what, int round) const
    {
        for (int i = 0; i < n_; ++i) {
            if (SameRect(RectInParent(windows_.Children()[i]), Scattered(i, round)))
                Fail(std::string(what) + " left child " + std::to_string(i) + " where it was");
        }
    }

    // (a) The pass that InstallHook runs, the hook being off before.
    double InstallPass(int round)
    {
        Unhook(dll_);
        PumpUntilQuiet(5);
        Scatter(round);
        Seen.Reset();
        const long relayouts = Seen.Client.Relayouts;
        const double start = NowMs();
        Install(dll_, Frame(), ArgumentText);
        const double elapsed = NowMs() - start;
        LastPreMove = Seen.FirstTileMoveMs - start;
        ExpectTiled("InstallHook");
        PumpUntilQuiet(5);
        if (Seen.Client.Relayouts != relayouts)
            Fail("the pass of InstallHook scheduled another");
        return elapsed;
    }

    // (a) The deferred pass: WM_SIZE to the hooked client, then the message
    // loop until the posted relayout message has been dispatched.
    double DeferredPass(int round)
    {
        Scatter(round);
        Seen.Reset();
        const double start = NowMs();
        SendMessageW(Client(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth, height_));
        if (!PumpUntilRelayouts(1))
            Fail("no relayout message was dispatched after WM_SIZE");
        const double elapsed = NowMs() - start;
        LastPreMove = Seen.FirstTileMoveMs - start;
        ExpectTiled("the deferred pass");
        if (Seen.WatchedTileMoves != 1)
            Fail("the deferred pass did not move the watched child exactly once");
        return elapsed;
    }

    // (b) The MDI client's own horizontal tile, the hook being off.
    double ClientTile(int round)
    {
        Unhook(dll_);
        PumpUntilQuiet(5);
        Scatter(round);
        const double start = NowMs();
        SendMessageW(Client(), WM_MDITILE, MDITILE_HORIZONTAL, 0);
        const double elapsed = NowMs() - start;
        ExpectAllMoved("WM_MDITILE", round);
        return elapsed;
    }

    // (c) The floor: one SetWindowPos per child to its band, the rectangles
    // worked out before the clock starts, the hook being off.
    double Floor(int round)
    {
        Unhook(dll_);
        PumpUntilQuiet(5);
        Scatter(round);
        std::vector<RECT> bands(n_);
        for (int p = 0; p < n_; ++p)
            bands[p] = ExpectedTileNow(Client(), p, n_);
        const double start = NowMs();
        for (int p = 0; p < n_; ++p) {
            const RECT& b = bands[p];
            SetWindowPos(order_[p], nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top, TileFlags);
        }
        const double elapsed = NowMs() - start;
        ExpectTiled("the floor");
        return elapsed;
    }

    // What a pass asks the window system besides its moves, made here from
    // outside the module: three walks over the client's descendants with the
    // same questions per child (parent, style, visibility, rectangle, and
    // the title with its thread for each of the two lists).
    double Queries()
    {
        struct Walk {
            HWND Client;
            int Answers;
        } walk = {Client(), 0};
        const auto restore = [](HWND window, LPARAM param) -> BOOL {
            Walk& w = *reinterpret_cast<Walk*>(param);
            if (GetParent(window) == w.Client && (GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZE))
                ++w.Answers;
            return TRUE;
        };
        const auto collect = [](HWND window, LPARAM param) -> BOOL {
            Walk& w = *reinterpret_cast<Walk*>(param);
            RECT rect;
            wchar_t title[1024];
            if (IsWindowVisible(window) && GetParent(window) == w.Client &&
                (GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) && GetWindowRect(window, &rect)) {
                for (int list = 0; list < 2; ++list) {
                    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
                        w.Answers += GetWindowTextW(window, title, 1024) > 0;
                }
            }
            return TRUE;
        };
        const double start = NowMs();
        EnumChildWindows(Client(), restore, reinterpret_cast<LPARAM>(&walk));
        EnumChildWindows(Client(), collect, reinterpret_cast<LPARAM>(&walk));
        const double elapsed = NowMs() - start;
        if (walk.Answers != 2 * n_)
            Fail("the query walk did not read every title twice");
        return elapsed;
    }

    // The queries in parts: the two walks alone (a procedure that does
    // nothing), the title reads (thread test and GetWindowTextW, once per
    // list), and the other questions (parent, style, visibility, rectangle).
    struct QueryParts {
        double Walks, Titles, Others;
    };
    QueryParts Parts()
    {
        QueryParts parts = {0, 0, 0};
        const auto nothing = [](HWND, LPARAM) -> BOOL { return TRUE; };
        double start = NowMs();
        EnumChildWindows(Client(), nothing, 0);
        EnumChildWindows(Client(), nothing, 0);
        parts.Walks = NowMs() - start;

        wchar_t title[1024];
        int read = 0;
        start = NowMs();
        for (HWND child : windows_.Children()) {
            for (int list = 0; list < 2; ++list) {
                if (GetWindowThreadProcessId(child, nullptr) == GetCurrentThreadId())
                    read += GetWindowTextW(child, title, 1024) > 0;
            }
        }
        parts.Titles = NowMs() - start;

        int answers = 0;
        RECT rect;
        start = NowMs();
        for (HWND child : windows_.Children()) {
            answers += GetParent(child) == Client();
            answers += (GetWindowLongW(child, GWL_STYLE) & WS_MAXIMIZE) != 0;
            answers += IsWindowVisible(child) != 0;
            answers += GetParent(child) == Client();
            answers += (GetWindowLongW(child, GWL_STYLE) & WS_THICKFRAME) != 0;
            answers += GetWindowRect(child, &rect) != 0;
        }
        parts.Others = NowMs() - start;
        if (read != 2 * n_ || answers != 5 * n_)
            Fail("the query parts did not get their answers");
        return parts;
    }

    // A burst of WM_SIZE before the loop runs: passes and their time.
    struct Burst {
        int Sent;
        long Relayouts;
        long Passes;
        double SendMs;
        double DispatchMs;
        double WaitMs;  // from the end of the burst to the pass's first move
        double MovesMs; // from the pass's first move to its last
    };
    Burst SizeBurst(int sent, int round)
    {
        Install(dll_, Frame(), ArgumentText);
        PumpUntilQuiet(5);
        Scatter(round);
        Seen.Reset();
        Burst burst = {sent, 0, 0, 0, 0, 0, 0};
        const double start = NowMs();
        for (int i = 0; i < sent; ++i)
            SendMessageW(Client(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(ClientWidth, height_));
        const double sentAt = NowMs();
        if (!PumpUntilRelayouts(1))
            Fail("no relayout message was dispatched after the burst");
        const double dispatchedAt = NowMs();
        ExpectTiled("the pass after the burst");
        // Anything left over would show up now.
        PumpUntilQuiet(100);
        burst.Relayouts = Seen.Client.Relayouts;
        burst.Passes = Seen.WatchedTileMoves;
        burst.SendMs = sentAt - start;
        burst.DispatchMs = dispatchedAt - sentAt;
        burst.WaitMs = Seen.FirstTileMoveMs - sentAt;
        burst.MovesMs = Seen.LastTileMoveMs - Seen.FirstTileMoveMs;
        return burst;
    }

private:
    // Staggered, narrower and shorter than any band, in an order of top
    // edges that differs from the children's order and from round to round.
    RECT Scattered(int i, int round) const
    {
        const int rank = (i * 37 + round * 11) % n_;
        const int step = std::max(3, (height_ - 160) / n_);
        RECT r;
        r.left = 10 + (i % 16) * 9 + (round % 2) * 3;
        r.top = 5 + rank * step;
        r.right = r.left + 320;
        r.bottom = r.top + 130;
        return r;
    }

    const Pellorin& dll_;
    int n_;
    int height_;
    MdiFrame windows_;
    std::vector<HWND> order_;
};

struct Row {
    int N;
    int Runs;
    double Install, Deferred, Tile, Floor, Queries;
    double InstallPreMove, DeferredPreMove;
    double Walks, Titles, Others;
    std::vector<double> InstallOverhead, DeferredOverhead;  // per run, percent
};

bool Trace = false;

Row Measure(const Pellorin& dll, int n, int runs)
{
    Bench bench(dll, n);
    std::vector<double> install, deferred, tile, floor, queries, installPre, deferredPre, walks, titles, others;
    // One untimed round first: caches, the first subclassing, Wine's lazy
    // initialisation.
    bench.InstallPass(0);
    bench.DeferredPass(1);
    bench.ClientTile(2);
    bench.Floor(3);
    // The four kinds interleaved, so that drift in the machine's speed
    // falls on all of them alike.
    for (int r = 0; r < runs; ++r) {
        const int round = 4 * (r + 1);
        install.push_back(bench.InstallPass(round));
        installPre.push_back(bench.LastPreMove);
        deferred.push_back(bench.DeferredPass(round + 1));
        deferredPre.push_back(bench.LastPreMove);
        tile.push_back(bench.ClientTile(round + 2));
        floor.push_back(bench.Floor(round + 3));
        queries.push_back(bench.Queries());
        const Bench::QueryParts parts = bench.Parts();
        walks.push_back(parts.Walks);
        titles.push_back(parts.Titles);
        others.push_back(parts.Others);
        if (Trace)
            std::printf("  run %2d: install %8.3f deferred %8.3f MDITILE %8.3f floor %8.3f queries %7.3f\n", r,
                        install.back(), deferred.back(), tile.back(), floor.back(), queries.back());
    }
    Unhook(dll);
    return {n,
            runs,
            Median(install),
            Median(deferred),
            Median(tile),
            Median(floor),
            Median(queries),
            Median(installPre),
            Median(deferredPre),
            Median(walks),
            Median(titles),
            Median(others),
            PairedOverhead(install, floor),
            PairedOverhead(deferred, floor)};
}

}  // namespace

int main(int argc, char** argv)
{
    bool quick = false;
    int fixedRuns = 0;
    std::vector<int> sizes = {8, 64, 256};
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--quick") {
            quick = true;
        } else if (option == "--trace") {
            Trace = true;
        } else if (option == "--runs" && i + 1 < argc) {
            fixedRuns = std::atoi(argv[++i]);
        } else if (option == "--sizes" && i + 1 < argc) {
            sizes.clear();
            for (const char* p = argv[++i]; *p;) {
                sizes.push_back(std::atoi(p));
                while (*p && *p != ',')
                    ++p;
                if (*p == ',')
                    ++p;
            }
        } else {
            Fail("usage: pellorin_bench.exe [--quick] [--runs R] [--sizes N,N,...] [--trace]");
        }
    }
    Pellorin dll;
    std::string error;
    if (!dll.Load(support::PellorinBesideProgram(), &error))
        Fail(error);
    if (dll.LoadDll(nullptr) != RelayoutMessage())
        Fail("LoadDll did not return the relayout message's id");

    std::printf("Pellorin tiling pass under Wine %s: median ms of R runs; sizing border cx = %d, cy = %d\n",
                WineVersion(), GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME));
    std::printf("  install  = InstallHook (parse, unhook, find the client, subclass, pass)\n");
    std::printf("  deferred = SendMessageW(client, WM_SIZE) and the loop until the relayout message is dispatched\n");
    std::printf("  MDITILE  = SendMessageW(client, WM_MDITILE, MDITILE_HORIZONTAL): Wine lays out a grid, not\n");
    std::printf("             bands, so its moves differ from ours; the ratio is context, not a target\n");
    std::printf("  floor    = N SetWindowPos(child, NULL, band, 0x0214), nothing else\n");
    std::printf("  queries  = the pass's questions without its moves, asked from outside the module\n");
    std::printf("  pre-move = from the start of install or deferred to the pass's first move, inside the real\n");
    std::printf("             pass: all it does before it positions anything (the walks, the matching)\n\n");
    std::printf("%5s %5s %8s %9s %9s %8s %10s %10s %12s %12s\n", "N", "R", "install", "deferred", "MDITILE",
                "floor", "inst/tile", "def/tile", "inst-floor", "def-floor");
    std::vector<Row> rows;
    for (int n : sizes) {
        const int runs = fixedRuns > 0 ? fixedRuns : quick ? 5 : (n <= 64 ? 41 : 25);
        rows.push_back(Measure(dll, n, runs));
        const Row& row = rows.back();
        std::printf("%5d %5d %8.3f %9.3f %9.3f %8.3f %10.2f %10.2f %11.1f%% %11.1f%%\n", row.N, row.Runs,
                    row.Install, row.Deferred, row.Tile, row.Floor, row.Install / row.Tile, row.Deferred / row.Tile,
                    100.0 * (row.Install - row.Floor) / row.Floor, 100.0 * (row.Deferred - row.Floor) / row.Floor);
        std::fflush(stdout);
    }

    std::printf("\nWhere the time above the floor goes, median ms; overhead paired per run (pass and floor of the\n");
    std::printf("same round), percent, median [25th, 75th percentile]\n");
    std::printf("%5s %8s %9s %9s %26s %26s\n", "N", "queries", "inst pre", "def pre", "install over floor",
                "deferred over floor");
    for (const Row& row : rows) {
        const auto& a = row.InstallOverhead;
        const auto& b = row.DeferredOverhead;
        std::printf("%5d %8.3f %9.3f %9.3f %8.1f [%6.1f, %6.1f] %8.1f [%6.1f, %6.1f]\n", row.N, row.Queries,
                    row.InstallPreMove, row.DeferredPreMove, Median(a), Quantile(a, 0.25), Quantile(a, 0.75),
                    Median(b), Quantile(b, 0.25), Quantile(b, 0.75));
    }

    std::printf("\nThe queries in parts, median ms (us per child): the two walks alone, with a procedure that\n");
    std::printf("does nothing; the titles (thread test and GetWindowTextW, once per list); the other questions\n");
    std::printf("%5s %18s %18s %18s\n", "N", "walks", "titles", "others");
    for (const Row& row : rows) {
        const double perChild = 1000.0 / row.N;
        std::printf("%5d %9.3f (%5.1f) %9.3f (%5.1f) %9.3f (%5.1f)\n", row.N, row.Walks, row.Walks * perChild,
                    row.Titles, row.Titles * perChild, row.Others, row.Others * perChild);
    }

    std::printf("\nA burst of WM_SIZE sent to the hooked client before the message loop runs\n");
    std::printf("  send = the 1,000 SendMessageW; dispatch = then until the relayout message was dispatched,\n");
    std::printf("  of which: wait = until the pass's first move, moves = from its first move to its last\n");
    std::printf("%5s %6s %10s %7s %10s %12s %8s %9s\n", "N", "sent", "relayouts", "passes", "send ms", "dispatch ms",
                "wait ms", "moves ms");
    for (int n : sizes) {
        Bench bench(dll, n);
        const Bench::Burst burst = bench.SizeBurst(1000, 1);
        std::printf("%5d %6d %10ld %7ld %10.3f %12.3f %8.3f %9.3f\n", n, burst.Sent, burst.Relayouts, burst.Passes,
                    burst.SendMs, burst.DispatchMs, burst.WaitMs, burst.MovesMs);
        std::fflush(stdout);
        Unhook(dll);
        if (burst.Passes != 1 || burst.Relayouts != 1)
            Fail("a burst of WM_SIZE did not give exactly one pass");
    }
    dll.UnloadDll(0);
    dll.Free();
    return 0;
}
