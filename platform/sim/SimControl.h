// The test side of the simulated window system: build a window tree, drive
// the message queues like a message loop, inject failures, and read back the
// recorded sequence of calls and messages.
#pragma once

#include "SimWindows.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace sim {

// Operations that can be made to fail on a chosen window.
enum class Op {
    GetClientRect,
    GetWindowRect,
    GetClassName,
    GetWindowText,
    SetWindowSubclass,
    PostMessage,
};

enum class Event {
    Received,      // a message reached the window's own procedure
    Posted,        // PostMessageW queued a message (also when it was made to fail)
    Dispatched,    // the message loop took a posted message off its queue
    Sent,          // SendMessageW was called
    Subclassed,    // SetWindowSubclass placed a procedure on the window
    Unsubclassed,  // RemoveWindowSubclass took one off
    Shown,         // ShowWindow; Command holds its command
    Moved,         // SetWindowPos; X, Y, Width, Height and Flags hold its arguments
    Registered,    // RegisterWindowMessageW; Message holds the id returned
};

struct Call {
    Event Kind;
    HWND Window;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    int X, Y, Width, Height;
    UINT Flags;
    int Command;
    DWORD Thread;  // the simulated thread that made the call
};

struct WindowSpec {
    HWND Parent = nullptr;
    std::u16string ClassName = u"Window";
    std::u16string Title;
    LONG Style = WS_THICKFRAME;  // WS_VISIBLE is taken from Visible
    bool Visible = true;
    RECT Rect{};      // in the parent's client coordinates (screen for a top-level window)
    DWORD Thread = 1; // the owning thread
    WNDPROC Proc = nullptr;  // the window's own procedure; null records and returns DefaultResult
};

constexpr DWORD MainThread = 1;

// What a window without a procedure of its own answers: distinct per message,
// so that a test can see the answer travel back through a subclass chain.
inline LRESULT DefaultResult(UINT message) { return static_cast<LRESULT>(0x70000 + message); }

// Starts an empty world: no windows, no queues, no failures, an empty record,
// metrics cx = cy = 4, the current thread MainThread.
void Reset();

HWND CreateWindow(const WindowSpec& description);
// Sends WM_DESTROY to the window and then to its descendants, takes off its
// subclasses and makes the handle invalid.
void DestroyWindow(HWND window);
bool IsAlive(HWND window);
// Windows are numbered in creation order from 0; the record names them so.
int IndexOf(HWND window);

void SetTitle(HWND window, const std::u16string& title);
void SetStyle(HWND window, LONG style);
void SetVisible(HWND window, bool visible);
void SetRect(HWND window, const RECT& rect);
// The client area's size; by default that of the window's rectangle.
void SetClientSize(HWND window, int width, int height);
RECT RectOf(HWND window);
LONG StyleOf(HWND window);  // without WS_VISIBLE
bool VisibleFlag(HWND window);

void SetSystemMetric(int index, int value);

void Fail(HWND window, Op op);
// RegisterWindowMessageW returns 0 for this name.
void FailRegistration(const std::u16string& name);

void SetCurrentThread(DWORD thread);
DWORD CurrentThread();

// Runs the message loop of a thread: takes posted messages off its queue
// and delivers them, as the thread, until the queue is empty or limit
// messages were dispatched. Returns the number dispatched.
std::size_t Dispatch(DWORD thread = MainThread, std::size_t limit = 10000);
std::size_t QueueLength(DWORD thread = MainThread);

const std::vector<Call>& Calls();
void ClearCalls();
// Every call into the simulated system, recorded or not.
std::size_t PlatformCallCount();
std::size_t EnumerationCount();  // calls of EnumChildWindows
// Called after each recorded call, inside the operation that recorded it:
// lets a test act while a pass runs (send a trigger from inside SetWindowPos,
// destroy a window between collection and positioning).
void OnCall(std::function<void(const Call&)> observer);

// MultiByteToWideChar: a real conversion from Windows-1252 (the default) or
// UTF-8 (65001), or a script that a test provides.
void SetAnsiCodePage(UINT codePage);
using Conversion = std::function<int(LPCSTR text, LPWSTR buffer, int bufferLength)>;
void ScriptConversion(Conversion conversion);
std::size_t ConversionCalls();

// Module references taken with GetModuleHandleExW and not yet released.
int ModuleReferences();

// Memory running out: the allocation made count allocations from now (1 is
// the next one) fails; 0 disarms. The simulation's own bookkeeping is never
// counted nor failed.
void FailAllocation(std::size_t count);
std::size_t AllocationsSince();  // allocations counted since the last FailAllocation
// Blocks allocated outside the simulation's own bookkeeping and not yet
// freed (SIZE_MAX once too many to follow): a leak check around a call.
std::size_t LiveAllocations();

}  // namespace sim
