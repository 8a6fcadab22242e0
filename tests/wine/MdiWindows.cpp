#include "MdiWindows.h"

#include "hook/MdiHook.h"

#include "support/WindowClasses.h"

#include <algorithm>
#include <sstream>

namespace wine_test {

Recording Seen;

namespace {

const wchar_t FrameClass[] = L"PellorinTestFrame";
const wchar_t ChildClass[] = L"PellorinTestChild";
const UINT_PTR RecorderBelowHook = 1;
const UINT_PTR RecorderAboveHook = 2;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (support::IsTileMove(message, lParam)) {
        Seen.TileMoves.push_back(window);
        if (Seen.EchoTriggers)
            SendMessageW(GetParent(window), WM_IME_SETCONTEXT, 0, 0);
    }
    return DefMDIChildProcW(window, message, wParam, lParam);
}

void RegisterClasses()
{
    support::RegisterMdiClasses({FrameClass, support::FrameProc, ChildClass, ChildProc, nullptr});
}

// Where the unhook message met the client, with the hook's state at that
// moment: only the module's own record tells whether the hook was still on.
void NoteUnhook(HWND client, bool aboveHook)
{
    const bool hookOn = pellorin::HookState.HookedClient == client && HookSubclassOn(client);
    Seen.Unhooks.push_back({aboveHook, GetCurrentThreadId(), hookOn});
}

void NoteUnhookBelow(HWND client) { NoteUnhook(client, false); }
void NoteUnhookAbove(HWND client) { NoteUnhook(client, true); }

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
    Seen.TileMoves.clear();
    support::ClearRecord(Seen.BelowHook);
    support::ClearRecord(Seen.AboveHook);
    Seen.Unhooks.clear();
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

HWND CreateFrameWindow(int clientWidth, int clientHeight, Activation activation)
{
    RegisterClasses();
    support::FrameOptions options;
    options.ClientWidth = clientWidth;
    options.ClientHeight = clientHeight;
    options.Shown = activation;
    return support::CreateFrame(FrameClass, L"Pellorin test frame", options);
}

HWND CreateMdiClient(HWND parent, const RECT& rect)
{
    HWND client = support::CreateMdiClient(parent, rect);
    Seen.BelowHook.OnUnhook = NoteUnhookBelow;
    support::RecordClient(client, RecorderBelowHook, Seen.BelowHook);
    return client;
}

void RecordAboveHook(HWND client)
{
    Seen.AboveHook.OnUnhook = NoteUnhookAbove;
    support::RecordClient(client, RecorderAboveHook, Seen.AboveHook);
}

MdiFrame::MdiFrame(Activation activation, int clientWidth, int clientHeight)
    : frame_(CreateFrameWindow(clientWidth, clientHeight, activation)), client_(nullptr)
{
    RECT area = {0, 0, 0, 0};
    GetClientRect(frame_, &area);
    client_ = CreateMdiClient(frame_, area);
    support::SetFrameClient(frame_, client_);
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
    RegisterClasses();
    return support::CreateMdiChild(client, ChildClass, title, rect);
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
