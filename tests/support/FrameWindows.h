// An MDI frame, its MDI client and children, built as the host builds them.
#pragma once

#include <windows.h>

namespace support {

// How a frame is shown. Inactive frames have no caption and are never
// activated: Wine's X11 driver then keeps them from the window manager, and
// only that makes them cheap to destroy (destroying a window that was given
// to the window manager waits two seconds for a reply, which never comes
// under Xvfb). An active frame is the host's main window as the user has it,
// with the focus, so that activating a child reaches the MDI client.
enum class Activation { Inactive, Active };

struct FrameOptions {
    int ClientWidth = 800;  // of the frame's client area
    int ClientHeight = 600;
    Activation Shown = Activation::Inactive;
    POINT At = {40, 40};  // in the parent's client coordinates, or the screen's
    // When set, the frame is a visible child of this window, never a window
    // the window manager could be given, whatever its children do to the
    // activation.
    HWND Parent = nullptr;
};

// A visible frame of frameClass whose client area has the size asked for.
HWND CreateFrame(const wchar_t* frameClass, const wchar_t* title, const FrameOptions& options);

// What a frame procedure passes on: DefFrameProcW with the MDI client that
// SetFrameClient gave the frame, kept in its GWLP_USERDATA.
LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
void SetFrameClient(HWND frame, HWND client);
HWND FrameClient(HWND frame);

// An "MDICLIENT" child of parent covering rect, without a border of its own
// so that its client area is exactly rect.
HWND CreateMdiClient(HWND parent, const RECT& rect);

// A child of client at rect (client coordinates), created with
// WM_MDICREATE; param reaches the child's WM_CREATE in the MDICREATESTRUCTW.
HWND CreateMdiChild(HWND client, const wchar_t* childClass, const wchar_t* title, const RECT& rect,
                    DWORD style = WS_VISIBLE | WS_OVERLAPPEDWINDOW, LPARAM param = 0);

}  // namespace support
