#include "PellorinLibrary.h"

namespace host {

const wchar_t UnhookMessageName[] = L"Pellorin_1_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}";
const wchar_t RelayoutMessageName[] = L"Pellorin_2_{3A9D51F0-6C2E-4b87-9E14-D07F2C85B4A6}";
const wchar_t ModuleFileName[] = L"Pellorin.dll";

namespace {

// void (*)() converts to and from every function pointer type without a
// -Wcast-function-type warning.
template <typename Function>
Function Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

bool PellorinLibrary::Load(const std::wstring& path)
{
    Free();
    module_ = LoadLibraryW(path.c_str());
    if (!module_)
        return false;
    loadDll_ = Export<LoadDllFunction>(module_, "LoadDll");
    unloadDll_ = Export<UnloadDllFunction>(module_, "UnloadDll");
    installHook_ = Export<InstallHookFunction>(module_, "InstallHook");
    if (loadDll_ && unloadDll_ && installHook_)
        return true;
    Free();
    return false;
}

void PellorinLibrary::Free()
{
    if (module_)
        FreeLibrary(module_);
    module_ = nullptr;
    loadDll_ = nullptr;
    unloadDll_ = nullptr;
    installHook_ = nullptr;
}

}  // namespace host
