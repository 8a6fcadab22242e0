#include "MdiHook.h"
#include "ModuleReference.h"
#include "../layout/TileWindows.h"

namespace pellorin {

namespace {

bool MessagesRegistered()
{
    return HookState.UnhookMessage != 0 && HookState.RelayoutMessage != 0;
}

bool OwnedByThisThread(HWND window)
{
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

void DetachOnThisThread()
{
    RemoveWindowSubclass(HookState.HookedClient, HookSubclassProc, 0);
    HookState.HookedClient = nullptr;
    HookState.RelayoutPending = false;
}

void RunDeferredPass(HWND client)
{
    LayoutContext context;
    InitLayoutContext(context, nullptr, client);
    TileWindows(context);
    HookState.RelayoutPending = false;
}

}  // namespace

void RegisterHookMessages()
{
    HookState.UnhookMessage = RegisterWindowMessageW(TEXT("Pellorin_1_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}"));
    HookState.RelayoutMessage = RegisterWindowMessageW(TEXT("Pellorin_2_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}"));
}

void AttachHook(HWND frame)
{
    if (!MessagesRegistered() || HookState.HookedClient || !frame)
        return;

    LayoutContext context;
    InitLayoutContext(context, frame, nullptr);
    if (!context.MdiClient || !OwnedByThisThread(context.MdiClient))
        return;

    HookState.RelayoutPending = false;
    if (!SetWindowSubclass(context.MdiClient, HookSubclassProc, 0, 0))
        return;
    HookState.HookedClient = context.MdiClient;
    HoldModule();
    TileWindows(context);
}

void RemoveHook()
{
    if (!MessagesRegistered() || !HookState.HookedClient)
        return;

    const DWORD owner = GetWindowThreadProcessId(HookState.HookedClient, nullptr);
    if (owner == GetCurrentThreadId()) {
        DetachOnThisThread();
    } else if (owner == 0) {
        // The client is gone without our subclass having seen its
        // WM_DESTROY (a procedure above ours kept it): there is nothing left
        // to take off, and keeping the stale handle would refuse every later
        // attachment.
        HookState.HookedClient = nullptr;
        HookState.RelayoutPending = false;
    } else {
        // The client's thread takes the subclass off in HookSubclassProc;
        // SendMessageW returns once it has.
        SendMessageW(HookState.HookedClient, HookState.UnhookMessage, 0, 0);
    }
}

LRESULT CALLBACK HookSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    try {
        if ((HookState.UnhookMessage != 0 && message == HookState.UnhookMessage) || message == WM_DESTROY) {
            RemoveHook();
        } else if (message == WM_SIZE || message == WM_IME_SETCONTEXT) {
            // A post that failed schedules nothing, so the next trigger
            // tries again instead of waiting for a pass that never comes.
            if (!HookState.RelayoutPending && PostMessageW(window, HookState.RelayoutMessage, 0, 0))
                HookState.RelayoutPending = true;
        } else if (message == HookState.RelayoutMessage) {
            RunDeferredPass(window);
        }
    } catch (...) {
        // Nothing may travel back into the host's message dispatch.
        HookState.RelayoutPending = false;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace pellorin
