#include "support/ClientRecorder.h"

#include "support/ModuleMessages.h"

#include <commctrl.h>

namespace support {

namespace {

LRESULT CALLBACK ClientRecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data)
{
    ClientRecord& record = *reinterpret_cast<ClientRecord*>(data);
    if (message == RelayoutMessage()) {
        ++record.Relayouts;
    } else if (message == UnhookMessage()) {
        record.UnhookThreads.push_back(GetCurrentThreadId());
        if (record.OnUnhook)
            record.OnUnhook(window);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, ClientRecorderProc, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

bool RecordClient(HWND client, UINT_PTR id, ClientRecord& record)
{
    return SetWindowSubclass(client, ClientRecorderProc, id, reinterpret_cast<DWORD_PTR>(&record)) != FALSE;
}

void StopRecordingClient(HWND client, UINT_PTR id) { RemoveWindowSubclass(client, ClientRecorderProc, id); }

void ClearRecord(ClientRecord& record)
{
    record.Relayouts = 0;
    record.UnhookThreads.clear();
}

}  // namespace support
