#include "Exports.h"
#include "ArgumentParser.h"
#include "../hook/MdiHook.h"
#include "../hook/ModuleReference.h"

using namespace pellorin;

// No C++ exception may leave an export into the host.

UINT WINAPI LoadDll(void*)
{
    try {
        RegisterHookMessages();
    } catch (...) {
    }
    return HookState.RelayoutMessage;
}

int WINAPI UnloadDll(int reason)
{
    if (reason == 1)
        return 0;
    try {
        RemoveHook();
        ReleaseModuleIfUnhooked();
    } catch (...) {
    }
    return 1;
}

int WINAPI InstallHook(HWND frame, HWND, char* text, char*, BOOL, BOOL)
{
    try {
        RemoveHook();
        ReleaseModuleIfUnhooked();
        OrderList.clear();
        IgnoreList.clear();
        ParseArguments(text);
        AttachHook(frame);
    } catch (...) {
    }
    return 1;
}
