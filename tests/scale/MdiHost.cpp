#include "MdiHost.h"

#include <commctrl.h>

namespace mdi_host {

Counters Seen;

namespace {

const wchar_t FrameClass[] = L"PellorinScaleFrame";
const wchar_t ChildClass[] = L"PellorinScaleChild";
const UINT_PTR RecorderId = 0x5CA1E;

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
            Seen.LastTileMoveMs = NowMs();
            if (Seen.TileMoves++ == 0)
                Seen.FirstTileMoveMs = Seen.LastTileMoveMs;
            if (window == Seen.Watched)
                ++Seen.WatchedTileMoves;
        }
    }
    return DefMDIChildProcW(window, message, wParam, lParam);
}

// Added before the hook, so it sees a relayout message only after the hook
// has run its pass.
LRESULT CALLBACK ClientRecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == RelayoutMessage())
        ++Seen.RelayoutsDispatched;
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, ClientRecorderProc, id);
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

// The one top-level window of the process: without a caption and never
// activated, so that Wine's X11 driver keeps it from the window manager
// (hiding or destroying a window given to the window manager waits two
// seconds for a reply that never comes under Xvfb). Every frame is a child
// of it, and so costs nothing to destroy whatever the children do to the
// activation.
HWND Stage()
{
    static const HWND stage = [] {
        HWND window = CreateWindowExW(0, FrameClass, L"Pellorin stage", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 1000, 800,
                                      nullptr, nullptr, Instance(), nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
        return window;
    }();
    return stage;
}

std::wstring ProgramDirectory()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path, length);
    const std::size_t slash = directory.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : directory.substr(0, slash + 1);
}

}  // namespace

void Counters::Reset()
{
    const HWND watched = Watched;
    *this = Counters();
    Watched = watched;
}

bool Pellorin::Load(std::string& error)
{
    const std::wstring path = ProgramDirectory() + L"Pellorin.dll";
    Module = LoadLibraryW(path.c_str());
    if (!Module) {
        error = "LoadLibraryW(Pellorin.dll) failed with error " + std::to_string(GetLastError());
        return false;
    }
    LoadDll = reinterpret_cast<decltype(LoadDll)>(reinterpret_cast<void*>(GetProcAddress(Module, "LoadDll")));
    UnloadDll = reinterpret_cast<decltype(UnloadDll)>(reinterpret_cast<void*>(GetProcAddress(Module, "UnloadDll")));
    InstallHook =
        reinterpret_cast<decltype(InstallHook)>(reinterpret_cast<void*>(GetProcAddress(Module, "InstallHook")));
    if (!LoadDll || !UnloadDll || !InstallHook) {
        error = "Pellorin.dll lacks one of LoadDll, UnloadDll, InstallHook";
        Free();
        return false;
    }
    return true;
}

void Pellorin::Free()
{
    if (Module)
        FreeLibrary(Module);
    Module = nullptr;
    LoadDll = nullptr;
    UnloadDll = nullptr;
    InstallHook = nullptr;
}

int Pellorin::Install(HWND frame, const std::string& text) const
{
    // The host's buffer is writable; the module must only read it.
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back(0);
    return InstallHook(frame, nullptr, buffer.data(), nullptr, FALSE, FALSE);
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

UINT RelayoutMessage()
{
    static const UINT id = RegisterWindowMessageW(L"Pellorin_2_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}");
    return id;
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

RECT RectInParent(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PumpQueued()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntilRelayouts(long target, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (Seen.RelayoutsDispatched < target) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpUntilQuiet(DWORD quietMs)
{
    const DWORD start = GetTickCount();
    do {
        PumpQueued();
    } while (MsgWaitForMultipleObjects(0, nullptr, FALSE, quietMs, QS_ALLINPUT) != WAIT_TIMEOUT &&
             GetTickCount() - start < 5000);
}

int MinimumTrackHeight() { return GetSystemMetrics(SM_CYMINTRACK); }

MdiFrame::MdiFrame(int clientWidth, int clientHeight) : frame_(nullptr), client_(nullptr)
{
    RegisterClassesOnce();
    frame_ = CreateWindowExW(0, FrameClass, L"Pellorin scale frame", WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                             900, 700, Stage(), nullptr, Instance(), nullptr);
    UpdateWindow(frame_);

    CLIENTCREATESTRUCT create = {};
    create.idFirstChild = 100;
    client_ = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, clientWidth,
                              clientHeight, frame_, nullptr, Instance(), &create);
    SetWindowSubclass(client_, ClientRecorderProc, RecorderId, 0);
    SetWindowLongPtrW(frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client_));
}

MdiFrame::~MdiFrame()
{
    if (frame_ && IsWindow(frame_))
        DestroyWindow(frame_);
    PumpQueued();
}

HWND MdiFrame::AddChild(const std::wstring& title, const RECT& rect)
{
    MDICREATESTRUCTW create = {};
    create.szClass = ChildClass;
    create.szTitle = title.c_str();
    create.hOwner = Instance();
    create.x = rect.left;
    create.y = rect.top;
    create.cx = rect.right - rect.left;
    create.cy = rect.bottom - rect.top;
    create.style = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
    HWND child = reinterpret_cast<HWND>(SendMessageW(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    children_.push_back(child);
    return child;
}

void MdiFrame::ResizeClient(int width, int height)
{
    SetWindowPos(client_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

}  // namespace mdi_host
