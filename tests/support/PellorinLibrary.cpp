#include "support/PellorinLibrary.h"

namespace support {

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

std::wstring ExecutableDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return L".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring PellorinBesideProgram() { return ExecutableDirectory() + L"\\" + ModuleFileName; }

bool PellorinLibrary::Load(const std::wstring& path, std::string* error)
{
    Free();
    module_ = LoadLibraryW(path.c_str());
    if (!module_) {
        if (error)
            *error = "LoadLibraryW(Pellorin.dll) failed with error " + std::to_string(GetLastError());
        return false;
    }
    loadDll_ = Export<LoadDllFunction>(module_, "LoadDll");
    unloadDll_ = Export<UnloadDllFunction>(module_, "UnloadDll");
    installHook_ = Export<InstallHookFunction>(module_, "InstallHook");
    if (loadDll_ && unloadDll_ && installHook_)
        return true;
    if (error)
        *error = "Pellorin.dll lacks one of LoadDll, UnloadDll, InstallHook";
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

}  // namespace support
