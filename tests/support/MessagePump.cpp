#include "support/MessagePump.h"

namespace support {

namespace {

bool Elapsed(DWORD start, DWORD limitMs) { return limitMs != INFINITE && GetTickCount() - start > limitMs; }

void DispatchOne(const MSG& msg)
{
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

// Dispatches what is queued; false once the time since start is up, which a
// queue that refills itself would otherwise hide.
bool DispatchQueued(DWORD start, DWORD limitMs)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchOne(msg);
        if (Elapsed(start, limitMs))
            return false;
    }
    return true;
}

}  // namespace

bool PumpQueued(DWORD limitMs) { return DispatchQueued(GetTickCount(), limitMs); }

bool PumpUntilQuiet(DWORD quietMs, DWORD limitMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (!DispatchQueued(start, limitMs))
            return false;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, quietMs, QS_ALLINPUT) == WAIT_TIMEOUT)
            return true;
        if (Elapsed(start, limitMs))
            return false;
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchOne(msg);
            continue;
        }
        if (Elapsed(start, limitMs))
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

bool PumpUntilSignalled(HANDLE handle, DWORD limitMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        // PeekMessage in DispatchQueued also delivers what other threads send.
        if (MsgWaitForMultipleObjects(1, &handle, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
            return true;
        if (!DispatchQueued(start, limitMs) || Elapsed(start, limitMs))
            return false;
    }
}

}  // namespace support
