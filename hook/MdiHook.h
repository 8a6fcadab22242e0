// The subclass on the host's MDI client that keeps its children tiled: a
// size change or activation schedules one deferred pass through a posted
// message, however many such messages arrive before it is dispatched.
#pragma once

#include "HookState.h"

namespace pellorin {

// Registers the unhook and relayout messages; a registration that fails
// leaves its id 0, which disables attaching and removing.
void RegisterHookMessages();

// Subclasses the frame's MDI client and tiles once. Only on the thread
// that owns the client, and only while no hook is attached.
void AttachHook(HWND frame);

// Takes the subclass off. From another thread it asks the client's thread
// to do it and returns once that thread has.
void RemoveHook();

LRESULT CALLBACK HookSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR subclassId, DWORD_PTR referenceData);

}  // namespace pellorin
