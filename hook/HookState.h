// What the hook on the host's MDI client remembers between messages.
#pragma once

#include "../platform/WindowSystem.h"

namespace pellorin {

struct HookStateRecord {
    UINT UnhookMessage;    // 0 until registered
    UINT RelayoutMessage;  // 0 until registered
    HWND HookedClient;     // the subclassed MDI client, null while unhooked
    bool RelayoutPending;  // a RelayoutMessage is posted and its pass has not yet ended
};

// Zero when the module is loaded. HookedClient and RelayoutPending are
// written only on the thread that owns the MDI client.
extern HookStateRecord HookState;

}  // namespace pellorin
