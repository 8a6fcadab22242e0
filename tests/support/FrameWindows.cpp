#include "support/FrameWindows.h"

namespace support {

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

}  // namespace

HWND CreateFrame(const wchar_t* frameClass, const wchar_t* title, const FrameOptions& options)
{
    const bool active = options.Shown == Activation::Active;
    const bool child = options.Parent != nullptr;
    const DWORD style = (child ? WS_CHILD | WS_VISIBLE : active ? WS_OVERLAPPEDWINDOW : WS_POPUP) | WS_CLIPCHILDREN;
    RECT outer = {0, 0, options.ClientWidth, options.ClientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    HWND frame = CreateWindowExW(0, frameClass, title, style, options.At.x, options.At.y, outer.right - outer.left,
                                 outer.bottom - outer.top, options.Parent, nullptr, Instance(), nullptr);
    // A child frame is shown by its style; showing it again would only move
    // the activation about.
    if (!child)
        ShowWindow(frame, active ? SW_SHOW : SW_SHOWNOACTIVATE);
    UpdateWindow(frame);
    return frame;
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefFrameProcW(frame, FrameClient(frame), message, wParam, lParam);
}

void SetFrameClient(HWND frame, HWND client)
{
    SetWindowLongPtrW(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client));
}

HWND FrameClient(HWND frame) { return reinterpret_cast<HWND>(GetWindowLongPtrW(frame, GWLP_USERDATA)); }

HWND CreateMdiClient(HWND parent, const RECT& rect)
{
    CLIENTCREATESTRUCT create = {};
    create.idFirstChild = 100;
    return CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, rect.left, rect.top,
                           rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, Instance(), &create);
}

HWND CreateMdiChild(HWND client, const wchar_t* childClass, const wchar_t* title, const RECT& rect, DWORD style,
                    LPARAM param)
{
    MDICREATESTRUCTW create = {};
    create.szClass = childClass;
    create.szTitle = title;
    create.hOwner = Instance();
    create.x = rect.left;
    create.y = rect.top;
    create.cx = rect.right - rect.left;
    create.cy = rect.bottom - rect.top;
    create.style = style;
    create.lParam = param;
    return reinterpret_cast<HWND>(SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
}

}  // namespace support
