// Pellorin.dll as the host sees it: a file loaded with LoadLibraryW and three
// functions found by name. Nothing of the module is linked in.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace host {

// The registered messages the module posts and sends to the MDI client.
extern const wchar_t UnhookMessageName[];
extern const wchar_t RelayoutMessageName[];

extern const wchar_t ModuleFileName[];

class PellorinLibrary {
public:
    using LoadDllFunction = UINT(WINAPI*)(void*);
    using UnloadDllFunction = int(WINAPI*)(int);
    using InstallHookFunction = int(WINAPI*)(HWND, HWND, char*, char*, BOOL, BOOL);

    PellorinLibrary() = default;
    ~PellorinLibrary() { Free(); }
    PellorinLibrary(const PellorinLibrary&) = delete;
    PellorinLibrary& operator=(const PellorinLibrary&) = delete;

    // LoadLibraryW and the three exports; false, with nothing loaded, if any
    // of them is missing.
    bool Load(const std::wstring& path);
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

}  // namespace host
