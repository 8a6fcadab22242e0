// A subclass of the test's on an MDI client that notes the module's messages
// reaching it. Where it sits in the subclass chain decides what it sees:
// added before the hook, it gets a relayout message only after the hook has
// run its pass; added after, it sees the unhook message first.
#pragma once

#include <windows.h>

#include <vector>

namespace support {

struct ClientRecord {
    long Relayouts = 0;               // relayout messages that reached the recorder
    std::vector<DWORD> UnhookThreads;  // the thread each unhook message arrived on
    // Called as an unhook message arrives, before the subclasses below see
    // it, for what else a test wants to know at that moment; may be null.
    void (*OnUnhook)(HWND client) = nullptr;
};

// Puts the recorder with this id on client, writing into record, which must
// outlive it. It takes itself off when the client is destroyed.
bool RecordClient(HWND client, UINT_PTR id, ClientRecord& record);

void StopRecordingClient(HWND client, UINT_PTR id);

// Clears what record has seen; keeps OnUnhook.
void ClearRecord(ClientRecord& record);

}  // namespace support
