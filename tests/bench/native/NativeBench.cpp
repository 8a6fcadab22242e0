// The cost of a tiling pass on the simulated window system as the number of
// children grows, and of parsing argument texts as they grow.
//   pellorin_native_bench [--quick] [--only pass|simpass N | --only parse BYTES]
// --only runs one measurement, for a profiler (callgrind) to look at alone.
//
// The simulation is not free: it keeps a vector per window, records every
// move, builds strings for MultiByteToWideChar and tracks every allocation.
// Each table therefore shows beside the module's figure the cost of the same
// simulated calls made without the module ("sim only"), so that the two can
// be told apart.
#include "hook/HookState.h"
#include "layout/LayoutContext.h"
#include "layout/PatternList.h"
#include "layout/TileWindows.h"
#include "platform/sim/SimControl.h"
#include "plugin/ArgumentParser.h"
#include "plugin/Exports.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Times op, after an untimed setup each run, until enough runs (at least
// minRuns, and at least budgetSeconds in all, at most maxRuns); the median
// in nanoseconds and the number of runs.
struct Timing {
    double Ns;
    int Runs;
    double FaultsPerRun;  // minor page faults: fresh pages the kernel had to map
};

long MinorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}
Timing Measure(const std::function<void()>& setup, const std::function<void()>& op, int minRuns, int maxRuns,
               double budgetSeconds)
{
    std::vector<double> samples;
    double spent = 0;
    long faults = 0;
    while (static_cast<int>(samples.size()) < maxRuns &&
           (static_cast<int>(samples.size()) < minRuns || spent < budgetSeconds)) {
        setup();
        const long faultsBefore = MinorFaults();
        const auto start = Clock::now();
        op();
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        faults += MinorFaults() - faultsBefore;
        samples.push_back(ns);
        spent += ns * 1e-9;
    }
    return {Median(samples), static_cast<int>(samples.size()),
            static_cast<double>(faults) / static_cast<double>(samples.size())};
}

// Times several operations run by run in turn, each after the same untimed
// setup, so that a change in the machine's load falls on all of them alike.
std::vector<Timing> MeasureInterleaved(const std::function<void()>& setup,
                                       const std::vector<std::function<void()>>& ops, int minRuns,
                                       double budgetSeconds)
{
    std::vector<std::vector<double>> samples(ops.size());
    std::vector<long> faults(ops.size(), 0);
    double spent = 0;
    while (static_cast<int>(samples[0].size()) < minRuns || spent < budgetSeconds) {
        for (std::size_t k = 0; k < ops.size(); ++k) {
            setup();
            const long faultsBefore = MinorFaults();
            const auto start = Clock::now();
            ops[k]();
            const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
            faults[k] += MinorFaults() - faultsBefore;
            samples[k].push_back(ns);
            spent += ns * 1e-9;
        }
        if (samples[0].size() >= 100000)
            break;
    }
    std::vector<Timing> timings;
    for (std::size_t k = 0; k < ops.size(); ++k)
        timings.push_back({Median(samples[k]), static_cast<int>(samples[k].size()),
                           static_cast<double>(faults[k]) / static_cast<double>(samples[k].size())});
    return timings;
}

const int ClientWidth = 1000;

// A frame, its MDI client and n children with staggered rectangles, and a
// short order and ignore list that match none of them, as a user's list
// leaves most windows unmatched.
struct World {
    HWND Frame;
    HWND Client;
    std::vector<HWND> Children;
    std::vector<HWND> TileOrder;  // the children by top edge, the order a pass moves them in
    int Round = 0;

    explicit World(int n)
    {
        sim::Reset();
        pellorin::HookState = pellorin::HookStateRecord();
        sim::WindowSpec frame;
        frame.ClassName = u"Frame";
        frame.Rect = RECT{0, 0, ClientWidth + 20, 800};
        Frame = sim::CreateWindow(frame);
        sim::WindowSpec client;
        client.Parent = Frame;
        client.ClassName = u"MDIClient";
        client.Style = 0;
        client.Rect = RECT{10, 20, 10 + ClientWidth, 20 + Height(n)};
        Client = sim::CreateWindow(client);
        for (int i = 0; i < n; ++i) {
            sim::WindowSpec child;
            child.Parent = Client;
            char16_t title[16];
            for (int d = 0, v = i; d < 5; ++d, v /= 10)
                title[10 - d] = static_cast<char16_t>(u'0' + v % 10);
            const char16_t head[] = u"#chan-";
            std::copy(head, head + 6, title);
            title[11] = 0;
            child.Title = title;
            const int rank = static_cast<int>((static_cast<long long>(i) * 7919) % n);
            child.Rect = RECT{10 + i % 16, 5 + rank, 330 + i % 16, 135 + rank};
            Children.push_back(sim::CreateWindow(child));
        }
        TileOrder = Children;
        std::stable_sort(TileOrder.begin(), TileOrder.end(),
                         [](HWND a, HWND b) { return sim::RectOf(a).top < sim::RectOf(b).top; });
        pellorin::OrderList = {u"#pellorin", u"#help", u"#news"};
        pellorin::IgnoreList = {u"Status"};
    }

    static int Height(int n) { return std::max(600, n * 2); }

    // Alternates the client's size so that every pass moves every child.
    void NextRound()
    {
        ++Round;
        const int n = static_cast<int>(Children.size());
        sim::SetClientSize(Client, ClientWidth - (Round % 2) * 7, Height(n) - (Round % 2) * 5);
        sim::ClearCalls();
    }
};

void Pass(const World& world)
{
    pellorin::LayoutContext context;
    pellorin::InitLayoutContext(context, nullptr, world.Client);
    pellorin::TileWindows(context);
}

// The simulated calls a pass over this world makes, made here without the
// module: the walks with the same questions per child, and one move per
// child in the pass's order (by top edge, worked out once beforehand: the
// order matters, since it decides how the simulation's window records are
// reached). What remains of a pass beyond this is the module's.
struct SimOnly {
    HWND Client;
    int Collected;
};

BOOL CALLBACK RestoreCalls(HWND window, LPARAM param)
{
    const SimOnly& walk = *reinterpret_cast<SimOnly*>(param);
    if (GetParent(window) == walk.Client)
        GetWindowLongW(window, GWL_STYLE);
    return TRUE;
}

BOOL CALLBACK CollectCalls(HWND window, LPARAM param)
{
    SimOnly& walk = *reinterpret_cast<SimOnly*>(param);
    RECT rect;
    WCHAR title[1024];
    if (IsWindowVisible(window) && GetParent(window) == walk.Client &&
        (GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME) && GetWindowRect(window, &rect)) {
        for (int list = 0; list < 2; ++list) {
            if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
                GetWindowTextW(window, title, 1024);
        }
        ++walk.Collected;
    }
    return TRUE;
}

void SimOnlyPass(const World& world)
{
    SimOnly walk{world.Client, 0};
    GetParent(world.Client);
    EnumChildWindows(world.Client, RestoreCalls, reinterpret_cast<LPARAM>(&walk));
    EnumChildWindows(world.Client, CollectCalls, reinterpret_cast<LPARAM>(&walk));
    GetSystemMetrics(SM_CXFRAME);
    GetSystemMetrics(SM_CYFRAME);
    RECT client;
    GetClientRect(world.Client, &client);
    int y = 0;
    for (HWND tile : world.TileOrder)
        SetWindowPos(tile, nullptr, -4, y++, client.right + 8, 10, 0x0214);
}

// The pass's tile map alone: one insert per child with the keys this world
// gives (no entry matches, tops all different), a walk in key order, then
// its destruction.
void TileMapOnly(const World& world)
{
    pellorin::TileMap tiles;
    for (HWND child : world.Children)
        tiles.emplace(pellorin::TileKey{3, sim::RectOf(child).top}, child);
    std::uintptr_t sum = 0;
    for (const auto& tile : tiles)
        sum += reinterpret_cast<std::uintptr_t>(tile.second);
    if (sum == 1)
        std::puts("");
}

struct PassRow {
    int N;
    int Runs;
    double PassNs, DeferredNs, SimOnlyNs, TileMapNs;
    double CallsPerChild;
};

PassRow MeasurePass(int n, bool quick)
{
    World world(n);
    const int minRuns = quick ? 5 : 21;
    const double budget = quick ? 0.05 : 0.5;
    const auto next = [&world] { world.NextRound(); };

    const std::size_t callsBefore = sim::PlatformCallCount();
    world.NextRound();
    Pass(world);
    const double calls = static_cast<double>(sim::PlatformCallCount() - callsBefore) / n;
    if (sim::Calls().size() != static_cast<std::size_t>(n)) {
        std::fprintf(stderr, "pellorin_native_bench: a pass over %d children made %zu moves\n", n, sim::Calls().size());
        std::exit(1);
    }

    // The deferred pass goes through the exports and the hook: WM_SIZE, then
    // the message loop dispatches the relayout message. The hook changes
    // nothing for the other three, which call no message.
    char text[] = "#pellorin/#help/#news/**ignore**Status";
    LoadDll(nullptr);
    InstallHook(world.Frame, nullptr, text, nullptr, FALSE, FALSE);
    const std::vector<Timing> timings = MeasureInterleaved(next,
                                                           {[&world] { Pass(world); },
                                                            [&world] {
                                                                SendMessageW(world.Client, WM_SIZE, 0, 0);
                                                                sim::Dispatch();
                                                            },
                                                            [&world] { SimOnlyPass(world); },
                                                            [&world] { TileMapOnly(world); }},
                                                           minRuns, budget);
    const Timing& pass = timings[0];
    const Timing& deferred = timings[1];
    const Timing& simOnly = timings[2];
    const Timing& tileMap = timings[3];
    UnloadDll(0);
    return {n, pass.Runs, pass.Ns, deferred.Ns, simOnly.Ns, tileMap.Ns, calls};
}

// An argument text of exactly bytes bytes: order tokens, every fifth an
// ignore token, an empty token now and then.
std::string ArgumentText(std::size_t bytes, std::size_t& tokens)
{
    std::string text;
    text.reserve(bytes + 32);
    tokens = 0;
    for (std::size_t i = 0; text.size() < bytes; ++i) {
        if (!text.empty())
            text += i % 97 == 0 ? "//" : "/";
        text += i % 5 == 4 ? "**ignore**Notes-" : "#chan-";
        text += std::to_string(i);
        ++tokens;
    }
    text.resize(bytes);
    if (text.back() == '/')
        text.back() = 'x';
    return text;
}

struct ParseRow {
    std::size_t Bytes;
    std::size_t Tokens;
    std::size_t Entries;
    int Runs;
    double ParseNs, ConversionNs;
    double Faults;
};

void ClearLists()
{
    pellorin::OrderList.clear();
    pellorin::OrderList.shrink_to_fit();
    pellorin::IgnoreList.clear();
    pellorin::IgnoreList.shrink_to_fit();
}

ParseRow MeasureParse(std::size_t bytes, bool quick)
{
    sim::Reset();
    std::size_t tokens = 0;
    const std::string text = ArgumentText(bytes, tokens);
    const int minRuns = quick ? 3 : 15;
    const double budget = quick ? 0.05 : 0.5;

    ClearLists();
    pellorin::ParseArguments(text.c_str());
    const std::size_t entries = pellorin::OrderList.size() + pellorin::IgnoreList.size();

    const Timing parse = Measure(ClearLists, [&text] { pellorin::ParseArguments(text.c_str()); }, minRuns, 20000,
                                 budget);
    // The simulation's conversion alone, as WidenText calls it: the size
    // query and the conversion into a buffer of that size.
    std::vector<WCHAR> buffer(bytes + 1);
    const Timing conversion = Measure([] {},
                                      [&text, &buffer] {
                                          const int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
                                          MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), count);
                                      },
                                      minRuns, 20000, budget);
    ClearLists();
    return {bytes, tokens, entries, parse.Runs, parse.Ns, conversion.Ns, parse.FaultsPerRun};
}

[[noreturn]] void Usage()
{
    std::fprintf(stderr, "usage: pellorin_native_bench [--quick] [--only pass|simpass N | --only parse BYTES]\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv)
{
    bool quick = false;
    std::string only;
    long onlyValue = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 2 < argc) {
            only = argv[i + 1];
            onlyValue = std::atol(argv[i + 2]);
            i += 2;
        } else {
            Usage();
        }
    }
    if (only == "pass" || only == "simpass") {
        World world(static_cast<int>(onlyValue));
        for (int r = 0; r < 5; ++r) {
            world.NextRound();
            if (only == "pass")
                Pass(world);
            else
                SimOnlyPass(world);
        }
        return 0;
    }
    if (only == "parse") {
        std::size_t tokens = 0;
        const std::string text = ArgumentText(static_cast<std::size_t>(onlyValue), tokens);
        for (int r = 0; r < 5; ++r) {
            ClearLists();
            pellorin::ParseArguments(text.c_str());
        }
        ClearLists();
        return 0;
    }
    if (!only.empty())
        Usage();

    std::printf("Tiling pass on the simulated window system (module and simulation built -O2), median of R runs\n");
    std::printf("  pass     = InitLayoutContext + TileWindows + the context's destruction\n");
    std::printf("  deferred = SendMessageW(client, WM_SIZE) and the dispatch of the relayout message\n");
    std::printf("  sim only = the same simulated calls (walks, questions, moves) made without the module\n");
    std::printf("  tile map = the pass's std::multimap alone: N inserts with the pass's keys, then destruction\n");
    std::printf("  module   = pass - sim only: matching, the tile map, the band arithmetic, the calls' own overhead\n\n");
    std::printf("%6s %6s %11s %10s %10s %10s %10s %10s %11s\n", "N", "R", "pass us", "ns/child", "deferred", "sim only",
                "tile map", "module", "calls/child");
    std::printf("%6s %6s %11s %10s %10s %10s %10s %10s %11s\n", "", "", "", "", "ns/child", "ns/child", "ns/child",
                "ns/child", "");
    const int sizes[] = {10, 100, 1000, 10000};
    for (int n : sizes) {
        const PassRow row = MeasurePass(n, quick);
        std::printf("%6d %6d %11.2f %10.1f %10.1f %10.1f %10.1f %10.1f %11.1f\n", row.N, row.Runs, row.PassNs / 1000,
                    row.PassNs / row.N, row.DeferredNs / row.N, row.SimOnlyNs / row.N, row.TileMapNs / row.N,
                    (row.PassNs - row.SimOnlyNs) / row.N, row.CallsPerChild);
        std::fflush(stdout);
    }

    std::printf("\nParsing argument texts (ParseArguments, lists emptied between runs), median of R runs\n");
    std::printf("  conversion = the simulation's MultiByteToWideChar alone, size query and conversion, as\n");
    std::printf("               WidenText calls it; it builds a std::u16string each time\n");
    std::printf("  faults     = minor page faults per parse (0: every buffer came from memory the process\n");
    std::printf("               already had, none freshly mapped by the kernel)\n\n");
    std::printf("%9s %8s %8s %6s %11s %9s %11s %12s %8s\n", "bytes", "tokens", "entries", "R", "parse us", "ns/byte",
                "conversion", "rest ns/byte", "faults");
    std::printf("%9s %8s %8s %6s %11s %9s %11s %12s %8s\n", "", "", "", "", "", "", "ns/byte", "", "");
    const std::size_t lengths[] = {1024, 64 * 1024, 1024 * 1024};
    for (std::size_t bytes : lengths) {
        const ParseRow row = MeasureParse(bytes, quick);
        const double b = static_cast<double>(row.Bytes);
        std::printf("%9zu %8zu %8zu %6d %11.1f %9.2f %11.2f %12.2f %8.0f\n", row.Bytes, row.Tokens, row.Entries,
                    row.Runs, row.ParseNs / 1000, row.ParseNs / b, row.ConversionNs / b,
                    (row.ParseNs - row.ConversionNs) / b, row.Faults);
        std::fflush(stdout);
    }
    return 0;
}
