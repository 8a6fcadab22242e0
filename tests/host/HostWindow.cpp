#include "HostWindow.h"

#include <algorithm>

namespace host {

namespace {

const wchar_t FrameClass[] = L"PellorinStandInFrame";
const wchar_t ChildClass[] = L"PellorinStandInChild";
const UINT ExitCommand = 1;
const UINT CascadeCommand = 2;
const UINT TileCommand = 3;
const UINT FirstChildCommand = 50000;
const int NickListWidth = 120;
const int InputHeight = 22;
const int TextMargin = 6;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

HFONT UiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

const ChildDescription* DescriptionOf(HWND child)
{
    return reinterpret_cast<const ChildDescription*>(GetWindowLongPtrW(child, GWLP_USERDATA));
}

// An EDIT control wants "\r\n" between lines.
std::wstring WithCrLf(const wchar_t* text)
{
    std::wstring result;
    for (const wchar_t* unit = text; unit && *unit; ++unit) {
        if (*unit == L'\n')
            result += L'\r';
        result += *unit;
    }
    return result;
}

HWND CreateControl(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int id)
{
    HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
    return control;
}

void CreateChatControls(HWND channel, const ChildDescription& description)
{
    CreateControl(channel, WS_EX_CLIENTEDGE, L"EDIT", WithCrLf(description.Text).c_str(),
                  WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, LogId);
    HWND nicks = CreateControl(channel, WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
                               WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, NicksId);
    for (const wchar_t* nick : {L"@alice", L"bob", L"pellorin"})
        SendMessageW(nicks, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(nick));
    CreateControl(channel, WS_EX_CLIENTEDGE, L"EDIT", L"hello, everyone", ES_AUTOHSCROLL, InputId);
}

void PlaceChatControls(HWND channel)
{
    RECT client;
    GetClientRect(channel, &client);
    const ChatControlRects rects = LayoutChatControls(client);
    const struct {
        int Id;
        const RECT& Rect;
    } placements[] = {{LogId, rects.Log}, {NicksId, rects.Nicks}, {InputId, rects.Input}};
    for (const auto& placement : placements)
        MoveWindow(GetDlgItem(channel, placement.Id), placement.Rect.left, placement.Rect.top,
                   placement.Rect.right - placement.Rect.left, placement.Rect.bottom - placement.Rect.top, TRUE);
}

void PaintText(HWND child)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(child, &paint);
    const ChildDescription* description = DescriptionOf(child);
    if (description && description->Text) {
        RECT area;
        GetClientRect(child, &area);
        InflateRect(&area, -TextMargin, -TextMargin);
        HGDIOBJ oldFont = SelectObject(dc, UiFont());
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, description->Text, -1, &area, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
        SelectObject(dc, oldFont);
    }
    EndPaint(child, &paint);
}

LRESULT CALLBACK ChildProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const auto* mdi = static_cast<const MDICREATESTRUCTW*>(create->lpCreateParams);
        const auto* description = reinterpret_cast<const ChildDescription*>(mdi->lParam);
        SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(description));
        if (description->ChatControls)
            CreateChatControls(child, *description);
        break;
    }
    case WM_SIZE:
        // DefMDIChildProc must see WM_SIZE too, so no early return.
        if (GetDlgItem(child, LogId))
            PlaceChatControls(child);
        break;
    case WM_PAINT:
        if (!GetDlgItem(child, LogId)) {
            PaintText(child);
            return 0;
        }
        break;
    default:
        break;
    }
    return DefMDIChildProcW(child, message, wParam, lParam);
}

// The frame keeps its MDI client in GWLP_USERDATA.
HWND ClientOf(HWND frame) { return reinterpret_cast<HWND>(GetWindowLongPtrW(frame, GWLP_USERDATA)); }

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        // No window menu: Wine's MDI client walks stale entries of its child
        // list to refresh that menu when a frame whose child was once
        // maximized is destroyed, and faults.
        CLIENTCREATESTRUCT clientCreate = {nullptr, FirstChildCommand};
        // No scroll bars: a chat client's MDI client has none, and they would
        // change its client area whenever a child reaches past an edge.
        HWND client = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE,
                                      0, 0, 0, 0, frame, nullptr, Instance(), &clientCreate);
        if (!client)
            return -1;
        SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client));
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ExitCommand:
            DestroyWindow(frame);
            return 0;
        case CascadeCommand:
            SendMessageW(ClientOf(frame), WM_MDICASCADE, 0, 0);
            return 0;
        case TileCommand:
            SendMessageW(ClientOf(frame), WM_MDITILE, MDITILE_HORIZONTAL, 0);
            return 0;
        default:
            break;
        }
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(frame, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefFrameProcW(frame, ClientOf(frame), message, wParam, lParam);
}

bool RegisterClasses()
{
    static const bool registered = [] {
        WNDCLASSW frame = {};
        frame.lpfnWndProc = FrameProc;
        frame.hInstance = Instance();
        frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        frame.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        frame.lpszClassName = FrameClass;
        WNDCLASSW child = frame;
        child.lpfnWndProc = ChildProc;
        child.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        child.lpszClassName = ChildClass;
        return RegisterClassW(&frame) != 0 && RegisterClassW(&child) != 0;
    }();
    return registered;
}

}  // namespace

const std::vector<ChildDescription>& ChatSession()
{
    static const std::vector<ChildDescription> session = {
        {L"Status: irc.example.net", {12, 10, 452, 190}, false,
         L"* Connecting to irc.example.net (6667)\n* Logged in as pellorin\n* Joined #alpha, #beta"},
        {L"#alpha [3] [+nt]: builds and releases", {44, 52, 604, 352}, true,
         L"<alice> the nightly is out\n<bob> tiles look right here\n<pellorin> thanks, both"},
        {L"#beta [12]: off-topic", {76, 94, 516, 324}, false, L"<carol> anyone for lunch?\n<dave> in ten minutes"},
        {L"alice", {108, 136, 488, 336}, false, L"<alice> are you coming tonight?\n<pellorin> on my way"},
        {L"bob", {140, 178, 520, 378}, false, L"<bob> sent you the logs\n<pellorin> got them"},
    };
    return session;
}

ChatControlRects LayoutChatControls(const RECT& channelClient)
{
    const int width = std::max(0, static_cast<int>(channelClient.right - channelClient.left));
    const int height = std::max(0, static_cast<int>(channelClient.bottom - channelClient.top));
    const int split = std::max(0, width - NickListWidth);
    const int inputTop = std::max(0, height - InputHeight);
    ChatControlRects rects;
    rects.Log = {0, 0, split, inputTop};
    rects.Nicks = {split, 0, width, inputTop};
    rects.Input = {0, inputTop, width, height};
    return rects;
}

HostWindow::~HostWindow() { Destroy(); }

bool HostWindow::Create(const RECT& frame, const std::vector<ChildDescription>& children)
{
    Destroy();
    if (!RegisterClasses())
        return false;

    HMENU menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    HMENU window = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, ExitCommand, L"E&xit");
    AppendMenuW(window, MF_STRING, CascadeCommand, L"&Cascade");
    AppendMenuW(window, MF_STRING, TileCommand, L"&Tile");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(window), L"&Window");

    frame_ = CreateWindowExW(0, FrameClass, L"Chat - irc.example.net", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                             frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, nullptr, menu,
                             Instance(), nullptr);
    if (!frame_) {
        DestroyMenu(menu);
        return false;
    }
    client_ = ClientOf(frame_);
    ShowWindow(frame_, SW_SHOWNORMAL);
    UpdateWindow(frame_);
    if (CreateChildren(children))
        return true;
    Destroy();
    return false;
}

bool HostWindow::Reset(const RECT& frame, const std::vector<ChildDescription>& children)
{
    if (!frame_)
        return Create(frame, children);
    DestroyChildren();
    SetWindowPos(frame_, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return CreateChildren(children);
}

bool HostWindow::CreateChildren(const std::vector<ChildDescription>& children)
{
    descriptions_ = children;
    for (const ChildDescription& description : descriptions_) {
        MDICREATESTRUCTW create = {};
        create.szClass = ChildClass;
        create.szTitle = description.Title;
        create.hOwner = Instance();
        create.x = description.Rect.left;
        create.y = description.Rect.top;
        create.cx = description.Rect.right - description.Rect.left;
        create.cy = description.Rect.bottom - description.Rect.top;
        create.lParam = reinterpret_cast<LPARAM>(&description);
        HWND child = reinterpret_cast<HWND>(SendMessageW(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
        if (!child)
            return false;
        children_.push_back(child);
    }
    return true;
}

void HostWindow::DestroyChildren()
{
    for (HWND child : children_) {
        if (IsWindow(child))
            SendMessageW(client_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    }
    children_.clear();
    descriptions_.clear();
}

void HostWindow::Destroy()
{
    if (frame_ && IsWindow(frame_))
        DestroyWindow(frame_);
    frame_ = nullptr;
    client_ = nullptr;
    children_.clear();
    descriptions_.clear();
}

HWND HostWindow::Child(const std::wstring& prefix) const
{
    for (std::size_t index = 0; index < children_.size() && index < descriptions_.size(); ++index) {
        if (std::wstring(descriptions_[index].Title).compare(0, prefix.size(), prefix) == 0)
            return children_[index];
    }
    return nullptr;
}

void PumpMessages(DWORD quietMs, DWORD limitMs)
{
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            return;
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(quietMs, end - now));
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT) == WAIT_TIMEOUT)
            return;
    }
}

bool PumpUntilSignalled(HANDLE handle, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD wait = now >= end ? 0 : static_cast<DWORD>(end - now);
        const DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, wait, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1)
            return false;
        // PeekMessage also delivers the messages other threads send us.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

RECT RectInParent(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring ExecutableDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return L".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

}  // namespace host
