// The three functions the host calls, exported under their plain names.
#pragma once

#include "../platform/WindowSystem.h"

extern "C" {

// Registers the hook's messages. The argument is the host's and is not
// read. Returns the relayout message's id, 0 if its registration failed.
UINT WINAPI LoadDll(void* hostData);

// 1 asks whether the module may stay loaded: the answer 0 keeps it and
// changes nothing. Any other value takes the hook off and answers 1.
int WINAPI UnloadDll(int reason);

// Replaces the pattern lists with those of text and hooks the MDI client of
// frame, tiling at once. Only frame and text are read; always returns 1.
int WINAPI InstallHook(HWND frame, HWND unused2, char* text, char* unused4, BOOL unused5, BOOL unused6);

}
