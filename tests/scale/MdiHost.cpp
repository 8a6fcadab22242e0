#include "MdiHost.h"

#include "support/FrameWindows.h"
#include "support/WindowClasses.h"

namespace mdi_host {

Counters Seen;

namespace {

const wchar_t FrameClass[] = L"PellorinScaleFrame";
const wchar_t ChildClass[] = L"PellorinScaleChild";
const UINT_PTR RecorderId = 0x5CA1E;

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (support::IsTileMove(message, lParam)) {
        Seen.LastTileMoveMs = NowMs();
        if (Seen.TileMoves++ == 0)
            Seen.FirstTileMoveMs = Seen.LastTileMoveMs;
        if (window == Seen.Watched)
            ++Seen.WatchedTileMoves;
    }
    return DefMDIChildProcW(window, message, wParam, lParam);
}

void RegisterClasses()
{
    support::RegisterMdiClasses({FrameClass, support::FrameProc, ChildClass, ChildProc, nullptr});
}

// The one top-level window of the process: without a caption and never
// activated, so that Wine's X11 driver keeps it from the window manager
// (hiding or destroying a window given to the window manager waits two
// seconds for a reply that never comes under Xvfb). Every frame is a child
// of it, and so costs nothing to destroy whatever the children do to the
// activation.
HWND Stage()
{
    static const HWND stage = [] {
        RegisterClasses();
        support::FrameOptions options;
        options.ClientWidth = 1000;
        options.ClientHeight = 800;
        options.At = {0, 0};
        return support::CreateFrame(FrameClass, L"Pellorin stage", options);
    }();
    return stage;
}

}  // namespace

void Counters::Reset()
{
    const HWND watched = Watched;
    *this = Counters();
    Watched = watched;
}

int Install(const Pellorin& dll, HWND frame, const std::string& text)
{
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back(0);
    return dll.InstallHook(frame, buffer.data());
}

double NowMs()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / frequency;
}

bool PumpUntilRelayouts(long target, DWORD timeoutMs)
{
    return support::PumpUntil([target] { return Seen.Client.Relayouts >= target; }, timeoutMs);
}

int MinimumTrackHeight() { return GetSystemMetrics(SM_CYMINTRACK); }

MdiFrame::MdiFrame(int clientWidth, int clientHeight) : frame_(nullptr), client_(nullptr)
{
    RegisterClasses();
    support::FrameOptions options;
    options.ClientWidth = 900;
    options.ClientHeight = 700;
    options.At = {0, 0};
    options.Parent = Stage();
    frame_ = support::CreateFrame(FrameClass, L"Pellorin scale frame", options);
    client_ = support::CreateMdiClient(frame_, RECT{0, 0, clientWidth, clientHeight});
    support::RecordClient(client_, RecorderId, Seen.Client);
    support::SetFrameClient(frame_, client_);
}

MdiFrame::~MdiFrame()
{
    if (frame_ && IsWindow(frame_))
        DestroyWindow(frame_);
    PumpQueued();
}

HWND MdiFrame::AddChild(const std::wstring& title, const RECT& rect)
{
    HWND child = support::CreateMdiChild(client_, ChildClass, title.c_str(), rect);
    children_.push_back(child);
    return child;
}

void MdiFrame::ResizeClient(int width, int height)
{
    SetWindowPos(client_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

}  // namespace mdi_host
