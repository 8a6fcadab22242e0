// Pellorin.dll as the host sees it: a file loaded with LoadLibraryW and three
// functions found by name. Nothing of the module is linked in.
#pragma once

#include <windows.h>

#include <string>

namespace support {

extern const wchar_t ModuleFileName[];

// The directory of the running program, without a trailing backslash.
std::wstring ExecutableDirectory();

// Where the host looks for the module: beside the program.
std::wstring PellorinBesideProgram();

class PellorinLibrary {
public:
    using LoadDllFunction = UINT(WINAPI*)(void*);
    using UnloadDllFunction = int(WINAPI*)(int);
    using InstallHookFunction = int(WINAPI*)(HWND, HWND, char*, char*, BOOL, BOOL);

    PellorinLibrary() = default;
    ~PellorinLibrary() { Free(); }
    PellorinLibrary(const PellorinLibrary&) = delete;
    PellorinLibrary& operator=(const PellorinLibrary&) = delete;

    // LoadLibraryW and the three exports; false, with nothing loaded and the
    // reason in error when given, if any of them is missing.
    bool Load(const std::wstring& path, std::string* error = nullptr);
    // Drops this object's reference with FreeLibrary.
    void Free();
    bool Loaded() const { return module_ != nullptr; }

    UINT LoadDll(void* hostData) const { return loadDll_(hostData); }
    int UnloadDll(int reason) const { return unloadDll_(reason); }
    // The arguments the module does not read are passed as a host would.
    int InstallHook(HWND frame, char* text) const { return installHook_(frame, nullptr, text, nullptr, FALSE, FALSE); }

private:
    HMODULE module_ = nullptr;
    LoadDllFunction loadDll_ = nullptr;
    UnloadDllFunction unloadDll_ = nullptr;
    InstallHookFunction installHook_ = nullptr;
};

}  // namespace support
