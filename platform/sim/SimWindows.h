// The subset of the Win32 API that the module uses, declared for the native
// build and implemented by the simulated window system (SimWindowSystem.cpp).
// Names, types and values follow <windows.h> so that the module's code reads
// the same on both builds.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define TEXT(s) u##s

struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

typedef int BOOL;
typedef unsigned int UINT;
typedef std::uint32_t DWORD;
typedef DWORD* LPDWORD;
typedef std::int32_t LONG;
typedef std::intptr_t INT_PTR;
typedef std::uintptr_t UINT_PTR;
typedef std::uintptr_t DWORD_PTR;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef void* LPVOID;
typedef char CHAR;
typedef const char* LPCSTR;
typedef char16_t WCHAR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;

typedef BOOL(CALLBACK* WNDENUMPROC)(HWND, LPARAM);
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef LRESULT(CALLBACK* SUBCLASSPROC)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

#define TRUE 1
#define FALSE 0

#define GWL_STYLE (-16)
#define WS_MAXIMIZE 0x01000000L
#define WS_VISIBLE 0x10000000L
#define WS_CHILD 0x40000000L
#define WS_THICKFRAME 0x00040000L

#define SW_HIDE 0
#define SW_SHOWNOACTIVATE 4

#define SM_CXFRAME 32
#define SM_CYFRAME 33

#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_NOOWNERZORDER 0x0200

#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_IME_SETCONTEXT 0x0281

#define CP_ACP 0
#define ERROR_NOT_ENOUGH_MEMORY 8L

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

// USER32
BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
HWND WINAPI GetParent(HWND window);
int WINAPI GetClassNameW(HWND window, LPWSTR buffer, int size);
int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int size);
DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId);
LONG WINAPI GetWindowLongW(HWND window, int index);
BOOL WINAPI IsWindowVisible(HWND window);
BOOL WINAPI ShowWindow(HWND window, int command);
BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
int WINAPI GetSystemMetrics(int index);
BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
UINT WINAPI RegisterWindowMessageW(LPCWSTR name);
BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// COMCTL32
BOOL WINAPI SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
BOOL WINAPI RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT WINAPI DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// KERNEL32
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int textLength,
                               LPWSTR buffer, int bufferLength);
void WINAPI SetLastError(DWORD error);
DWORD WINAPI GetLastError();
DWORD WINAPI GetCurrentThreadId();
BOOL WINAPI GetModuleHandleExW(DWORD flags, LPCWSTR moduleName, HMODULE* module);
BOOL WINAPI FreeLibrary(HMODULE module);
