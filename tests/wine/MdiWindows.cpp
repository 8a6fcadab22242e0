#include "MdiWindows.h"

#include "hook/MdiHook.h"

#include <algorithm>
#include <sstream>

namespace wine_test {

Recording Seen;

namespace {

const wchar_t FrameClass[] = L"PellorinTestFrame";
const wchar_t ChildClass[] = L"PellorinTestChild";
const UINT_PTR RecorderBelowHook = 1;
const UINT_PTR RecorderAboveHook = 2;

// A settled queue stays empty this long.
const DWORD QuietMs = 60;
const DWORD PumpLimitMs = 5000;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND client = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return DefFrameProcW(window, client, message, wParam, lParam);
}

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGING) {
        const WINDOWPOS& pos = *reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((pos.flags & TileFlags) == TileFlags) {
            Seen.TileMoves.push_back(window);
            if (Seen.EchoTriggers)
                SendMessageW(GetParent(window), WM_IME_SETCONTEXT, 0, 0);
        }
    }
    return DefMDIChildProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ClientRecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR)
{
    const pellorin::HookStateRecord& state = pellorin::HookState;
    if (state.RelayoutMessage != 0 && message == state.RelayoutMessage) {
        if (id == RecorderBelowHook)
            ++Seen.RelayoutsDispatched;
    } else if (state.UnhookMessage != 0 && message == state.UnhookMessage) {
        const bool hookOn = state.HookedClient == window && HookSubclassOn(window);
        Seen.Unhooks.push_back({id == RecorderAboveHook, GetCurrentThreadId(), hookOn});
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, ClientRecorderProc, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void RegisterClassesOnce()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSW frame = {};
    frame.lpfnWndProc = FrameProc;
    frame.hInstance = Instance();
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    frame.lpszClassName = FrameClass;
    RegisterClassW(&frame);

    WNDCLASSW child = frame;
    child.lpfnWndProc = ChildProc;
    child.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    child.lpszClassName = ChildClass;
    RegisterClassW(&child);
    registered = true;
}

}  // namespace

bool operator==(const UnhookArrival& a, const UnhookArrival& b)
{
    return a.AboveHook == b.AboveHook && a.Thread == b.Thread && a.HookOn == b.HookOn;
}

void PrintTo(const UnhookArrival& arrival, std::ostream* os)
{
    *os << "{" << (arrival.AboveHook ? "above" : "below") << " the hook, thread " << arrival.Thread << ", hook "
        << (arrival.HookOn ? "on" : "off") << "}";
}

void ResetRecording()
{
    const bool echo = Seen.EchoTriggers;
    Seen = Recording();
    Seen.EchoTriggers = echo;
}

RECT ExpectedTile(const RECT& client, int cx, int cy, unsigned i, unsigned n)
{
    const unsigned height = static_cast<unsigned>(client.bottom - client.top + cy);
    const int y0 = static_cast<int>(height * i / n);
    const int y1 = static_cast<int>(height * (i + 1) / n);
    RECT tile;
    tile.left = client.left - cx;
    tile.right = client.right + cx;
    tile.top = client.top + y0 - cy;
    tile.bottom = client.top + y1 - 1;
    return tile;
}

RECT ExpectedTileNow(HWND client, unsigned i, unsigned n)
{
    RECT area = {0, 0, 0, 0};
    GetClientRect(client, &area);
    return ExpectedTile(area, GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME), i, n);
}

testing::AssertionResult TiledInOrder(HWND client, const std::vector<HWND>& children, const std::vector<int>& order)
{
    const unsigned n = static_cast<unsigned>(order.size());
    bool failed = false;
    std::ostringstream wrong;
    for (unsigned p = 0; p < n; ++p) {
        const RECT actual = RectInParent(children[order[p]]);
        const RECT expected = ExpectedTileNow(client, p, n);
        if (actual != expected) {
            failed = true;
            wrong << "\n  tile " << p << " (child " << order[p] << ") is ";
            PrintTo(actual, &wrong);
            wrong << ", expected ";
            PrintTo(expected, &wrong);
        }
    }
    if (!failed)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "children not tiled as expected:" << wrong.str();
}

RECT RectInParent(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool HookSubclassOn(HWND window)
{
    // COMCTL32 exports GetWindowSubclass by ordinal only.
    using GetWindowSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
    static const auto getWindowSubclass = reinterpret_cast<GetWindowSubclassFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), MAKEINTRESOURCEA(411))));
    DWORD_PTR data = 0;
    return getWindowSubclass && getWindowSubclass(window, pellorin::HookSubclassProc, 0, &data);
}

bool HasStyle(HWND window, LONG style) { return (GetWindowLongW(window, GWL_STYLE) & style) == style; }

namespace {

// Dispatches what is queued now; false once the time since start is up,
// which a queue that refills itself (a re-tiling loop) would otherwise hide.
bool DispatchQueued(DWORD start)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (GetTickCount() - start > PumpLimitMs)
            return false;
    }
    return true;
}

}  // namespace

bool PumpUntilIdle()
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (!DispatchQueued(start))
            return false;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, QuietMs, QS_ALLINPUT) == WAIT_TIMEOUT)
            return true;
    }
}

bool PumpUntilSignalled(HANDLE handle)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
            return true;
        if (!DispatchQueued(start) || GetTickCount() - start > PumpLimitMs)
            return false;
    }
}

HWND CreateFrameWindow(int clientWidth, int clientHeight, Activation activation)
{
    RegisterClassesOnce();
    const bool active = activation == Activation::Active;
    const DWORD style = (active ? WS_OVERLAPPEDWINDOW : WS_POPUP) | WS_CLIPCHILDREN;
    RECT outer = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND frame = CreateWindowExW(0, FrameClass, L"Pellorin test frame", style, 40, 40, outer.right - outer.left,
                                 outer.bottom - outer.top, nullptr, nullptr, Instance(), nullptr);
    ShowWindow(frame, active ? SW_SHOW : SW_SHOWNOACTIVATE);
    UpdateWindow(frame);
    return frame;
}

HWND CreateMdiClient(HWND parent, const RECT& rect)
{
    CLIENTCREATESTRUCT create = {};
    create.idFirstChild = 100;
    HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                  Instance(), &create);
    SetWindowSubclass(client, ClientRecorderProc, RecorderBelowHook, 0);
    return client;
}

void RecordAboveHook(HWND client) { SetWindowSubclass(client, ClientRecorderProc, RecorderAboveHook, 0); }

MdiFrame::MdiFrame(Activation activation, int clientWidth, int clientHeight)
    : frame_(CreateFrameWindow(clientWidth, clientHeight, activation)), client_(nullptr)
{
    RECT area = {0, 0, 0, 0};
    GetClientRect(frame_, &area);
    client_ = CreateMdiClient(frame_, area);
    SetWindowLongPtrW(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client_));
}

MdiFrame::~MdiFrame() { Destroy(); }

void MdiFrame::Destroy()
{
    if (frame_ && IsWindow(frame_))
        DestroyWindow(frame_);
    frame_ = nullptr;
    client_ = nullptr;
    children_.clear();
    PumpUntilIdle();
}

RECT StartRect(int index, int top)
{
    RECT rect = {20 + 25 * index, top, 320 + 25 * index, top + 120};
    return rect;
}

HWND CreateMdiChild(HWND client, const wchar_t* title, const RECT& rect)
{
    RegisterClassesOnce();
    MDICREATESTRUCTW create = {};
    create.szClass = ChildClass;
    create.szTitle = title;
    create.hOwner = Instance();
    create.x = rect.left;
    create.y = rect.top;
    create.cx = rect.right - rect.left;
    create.cy = rect.bottom - rect.top;
    create.style = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
    return reinterpret_cast<HWND>(SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

HWND MdiFrame::AddChild(const wchar_t* title, const RECT& rect)
{
    HWND child = CreateMdiChild(client_, title, rect);
    children_.push_back(child);
    return child;
}

void MdiFrame::AddChildren(const std::vector<ChildAt>& children)
{
    for (const ChildAt& child : children)
        AddChild(child.Title, StartRect(static_cast<int>(children_.size()), child.Top));
}

HWND MdiFrame::AddChildByFunction(const wchar_t* title, const RECT& rect)
{
    HWND child = CreateMDIWindowW(ChildClass, title, WS_VISIBLE | WS_OVERLAPPEDWINDOW, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, client_, Instance(), 0);
    children_.push_back(child);
    return child;
}

HWND CreateControl(HWND parent, const wchar_t* className, const RECT& rect, DWORD extraStyle)
{
    return CreateWindowExW(0, className, L"control", WS_CHILD | WS_VISIBLE | extraStyle, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, Instance(), nullptr);
}

std::vector<int> MdiFrame::TileMoveIndexes() const
{
    std::vector<int> indexes;
    for (HWND moved : Seen.TileMoves) {
        const auto found = std::find(children_.begin(), children_.end(), moved);
        indexes.push_back(found == children_.end() ? -1 : static_cast<int>(found - children_.begin()));
    }
    return indexes;
}

}  // namespace wine_test
