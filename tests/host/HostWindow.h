// A stand-in for the chat client that loads Pellorin: an MDI frame with a
// menu bar, its MDI client, and children titled like a chat session's
// windows. Used by the stand-in host program and by the tests that drive
// the DLL through its exports.
#pragma once

#include "support/MessagePump.h"

#include <windows.h>

#include <string>
#include <vector>

namespace host {

struct ChildDescription {
    const wchar_t* Title;
    RECT Rect;          // untiled, in the MDI client's coordinates
    bool ChatControls;  // a channel window: message log, nick list, input line
    const wchar_t* Text;  // what the window shows, lines separated by '\n'
};

// Status, two channels (the first with controls inside) and two private
// conversations, cascaded so that their top edges grow in creation order.
const std::vector<ChildDescription>& ChatSession();

// Control ids inside a channel window.
enum ChatControlId { LogId = 101, NicksId = 102, InputId = 103 };

struct ChatControlRects {
    RECT Log;
    RECT Nicks;
    RECT Input;
};

// Where a channel window puts its controls for a given client area: the
// host's own layout, redone on every WM_SIZE of the channel window.
ChatControlRects LayoutChatControls(const RECT& channelClient);

class HostWindow {
public:
    HostWindow() = default;
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    // frame is in screen coordinates. The frame is shown; the last child
    // created is the active one.
    bool Create(const RECT& frame, const std::vector<ChildDescription>& children);
    // Keeps the frame but puts it back at frame and replaces all children
    // with new ones. Cheaper than a new frame: under Wine without a window
    // manager, destroying a top-level window waits two seconds for a
    // withdrawn state that never comes.
    bool Reset(const RECT& frame, const std::vector<ChildDescription>& children);
    void Destroy();

    HWND Frame() const { return frame_; }
    HWND Client() const { return client_; }
    // The first child whose title begins with prefix, or null.
    HWND Child(const std::wstring& prefix) const;
    const std::vector<HWND>& Children() const { return children_; }

private:
    bool CreateChildren(const std::vector<ChildDescription>& children);
    void DestroyChildren();

    // The children keep pointers into it: filled once, before they exist.
    std::vector<ChildDescription> descriptions_;
    std::vector<HWND> children_;
    HWND frame_ = nullptr;
    HWND client_ = nullptr;
};

// Dispatches this thread's messages until its queue has stayed empty for
// quietMs, or at most for limitMs in all.
inline void PumpMessages(DWORD quietMs = 40, DWORD limitMs = 3000) { support::PumpUntilQuiet(quietMs, limitMs); }

}  // namespace host
