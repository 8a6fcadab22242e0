#include "HostWindow.h"

#include "support/FrameWindows.h"
#include "support/WindowClasses.h"

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
        support::SetFrameClient(frame, client);
        return 0;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ExitCommand:
            DestroyWindow(frame);
            return 0;
        case CascadeCommand:
            SendMessageW(support::FrameClient(frame), WM_MDICASCADE, 0, 0);
            return 0;
        case TileCommand:
            SendMessageW(support::FrameClient(frame), WM_MDITILE, MDITILE_HORIZONTAL, 0);
            return 0;
        default:
            break;
        }
        break;
    case WM_NCDESTROY:
        support::SetFrameClient(frame, nullptr);
        break;
    default:
        break;
    }
    return DefFrameProcW(frame, support::FrameClient(frame), message, wParam, lParam);
}

bool RegisterClasses()
{
    static const bool registered = support::RegisterMdiClasses(
        {FrameClass, FrameProc, ChildClass, ChildProc, LoadIconW(nullptr, IDI_APPLICATION)});
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
    client_ = support::FrameClient(frame_);
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
        // No style of its own: the MDI client gives a child its usual one.
        HWND child = support::CreateMdiChild(client_, ChildClass, description.Title, description.Rect, 0,
                                             reinterpret_cast<LPARAM>(&description));
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

}  // namespace host
