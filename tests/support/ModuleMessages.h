// The registered messages the module posts and sends to the MDI client,
// registered here by their names: a registered message has the same id in
// every module of the session, so a test without the module's own state
// still recognises them.
#pragma once

#include <windows.h>

namespace support {

extern const wchar_t UnhookMessageName[];
extern const wchar_t RelayoutMessageName[];

// The ids of the two messages, registered at the first call.
UINT UnhookMessage();
UINT RelayoutMessage();

}  // namespace support
