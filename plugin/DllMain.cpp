#include "../platform/WindowSystem.h"

// Runs under the loader lock: nothing here may call into USER32 or
// COMCTL32. The messages are registered by LoadDll and the hook is taken
// off by UnloadDll or the MDI client's destruction.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
