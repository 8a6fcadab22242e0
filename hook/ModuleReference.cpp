#include "ModuleReference.h"
#include "HookState.h"

namespace pellorin {

namespace {

HMODULE HeldModule;

// Any address inside the module names it to GetModuleHandleExW.
const char ModuleAnchor = 0;

}  // namespace

void HoldModule()
{
    if (HeldModule)
        return;
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ModuleAnchor),
                           &module))
        HeldModule = module;
}

void ReleaseModuleIfUnhooked()
{
    if (!HeldModule || HookState.HookedClient)
        return;
    HMODULE module = HeldModule;
    HeldModule = nullptr;
    FreeLibrary(module);
}

}  // namespace pellorin
