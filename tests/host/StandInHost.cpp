// The stand-in host: a chat client's MDI window that loads Pellorin.dll and
// calls it the way the real host does.
//
//   pellorin_host.exe [--dll PATH] [--text TEXT]
//       Interactive: loads the module, installs it with TEXT and runs until
//       the frame is closed, then calls UnloadDll(0).
//   pellorin_host.exe --demo [--dll PATH] [--text TEXT]
//       Steps through untiled, installed, resized and maximized. When a
//       step's windows are drawn it prints "ready NAME LEFT TOP RIGHT BOTTOM"
//       (the frame on the screen) and waits until the file NAME.go appears in
//       the current directory, then deletes it and goes on.
//   pellorin_host.exe --unload-while-hooked [--dll PATH]
//       Frees the module while it is hooked, resizes and destroys the frame,
//       then loads the module again and checks that it behaves. Exit code 0
//       when every check held; otherwise the failed check is printed and the
//       exit code names it. A fault ends any mode with the exception code.
//
// PATH defaults to Pellorin.dll beside this program, TEXT to
// "#beta/**ignore**Status/#alpha".
#include "HostWindow.h"

#include "support/PellorinLibrary.h"
#include "support/Rects.h"
#include "support/TileRule.h"

#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const RECT DemoFrame = {40, 40, 940, 680};
const RECT StatusAside = {600, 250, 870, 400};
const int ResizedWidth = 1160;
const int ResizedHeight = 900;
const DWORD StepTimeoutMs = 30000;

struct Options {
    std::wstring Mode;
    std::wstring DllPath;
    std::wstring Text = L"#beta/**ignore**Status/#alpha";
};

void Say(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool ParseOptions(Options& options)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return false;
    bool valid = true;
    for (int index = 1; index < count && valid; ++index) {
        const std::wstring argument = arguments[index];
        if (argument == L"--demo" || argument == L"--unload-while-hooked")
            options.Mode = argument;
        else if (argument == L"--dll" && index + 1 < count)
            options.DllPath = arguments[++index];
        else if (argument == L"--text" && index + 1 < count)
            options.Text = arguments[++index];
        else
            valid = false;
    }
    LocalFree(arguments);
    if (options.DllPath.empty())
        options.DllPath = support::PellorinBesideProgram();
    return valid;
}

// The host hands the module its text in the ANSI code page.
std::string Narrow(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

bool LoadAndInstall(support::PellorinLibrary& dll, const std::wstring& path, HWND frame, const std::wstring& text)
{
    if (!dll.Load(path)) {
        Say("cannot load %ls (error %lu)", path.c_str(), GetLastError());
        return false;
    }
    if (dll.LoadDll(nullptr) == 0) {
        Say("LoadDll returned 0");
        return false;
    }
    std::string buffer = Narrow(text);
    dll.InstallHook(frame, &buffer[0]);
    return true;
}

void ResizeFrame(HWND frame, int width, int height)
{
    SetWindowPos(frame, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool AtTile(HWND client, HWND child, UINT index, UINT count)
{
    return support::SameRect(support::RectInParent(child), support::ExpectedTileNow(client, index, count));
}

// Repaints everything and lets the X server catch up, then hands over to
// whoever takes the picture.
bool Ready(const host::HostWindow& window, const char* name)
{
    host::PumpMessages();
    RedrawWindow(window.Frame(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    host::PumpMessages(150);
    RECT frame;
    GetWindowRect(window.Frame(), &frame);
    Say("ready %s %ld %ld %ld %ld", name, frame.left, frame.top, frame.right, frame.bottom);

    const std::wstring go = std::wstring(name, name + std::char_traits<char>::length(name)) + L".go";
    const ULONGLONG end = GetTickCount64() + StepTimeoutMs;
    while (GetTickCount64() < end) {
        if (GetFileAttributesW(go.c_str()) != INVALID_FILE_ATTRIBUTES) {
            DeleteFileW(go.c_str());
            return true;
        }
        host::PumpMessages(20, 100);
    }
    Say("timeout waiting for %s.go", name);
    return false;
}

int RunDemo(const Options& options)
{
    host::HostWindow window;
    if (!window.Create(DemoFrame, host::ChatSession())) {
        Say("cannot create the host window");
        return 2;
    }
    // The ignored Status window goes to the right, above the others, where
    // it hides none of their titles: the pictures show it left in place.
    HWND status = window.Child(L"Status");
    SetWindowPos(status, HWND_TOP, StatusAside.left, StatusAside.top, StatusAside.right - StatusAside.left,
                 StatusAside.bottom - StatusAside.top, SWP_NOACTIVATE);
    if (!Ready(window, "01-untiled"))
        return 3;

    support::PellorinLibrary dll;
    if (!LoadAndInstall(dll, options.DllPath, window.Frame(), options.Text))
        return 4;
    Say("installed with \"%ls\"", options.Text.c_str());
    if (!Ready(window, "02-installed"))
        return 3;

    ResizeFrame(window.Frame(), ResizedWidth, ResizedHeight);
    if (!Ready(window, "03-resized"))
        return 3;

    SendMessageW(window.Client(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(window.Child(L"alice")), 0);
    host::PumpMessages();
    SetWindowPos(status, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!Ready(window, "04-maximized"))
        return 3;

    dll.UnloadDll(0);
    window.Destroy();
    host::PumpMessages();
    dll.Free();
    Say("done");
    return 0;
}

int RunInteractive(const Options& options)
{
    host::HostWindow window;
    if (!window.Create(DemoFrame, host::ChatSession()))
        return 2;
    support::PellorinLibrary dll;
    if (!LoadAndInstall(dll, options.DllPath, window.Frame(), options.Text))
        return 4;
    MSG message;
    while (IsWindow(window.Frame()) && GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    dll.UnloadDll(0);
    window.Destroy();
    return 0;
}

// A host that frees the module without UnloadDll while the subclass is on
// its MDI client must not crash when the client is resized or destroyed,
// and a later load must work as a first one would.
int RunUnloadWhileHooked(const Options& options)
{
    {
        host::HostWindow window;
        if (!window.Create(DemoFrame, host::ChatSession())) {
            Say("cannot create the host window");
            return 2;
        }
        support::PellorinLibrary dll;
        if (!LoadAndInstall(dll, options.DllPath, window.Frame(), L"#beta/#alpha"))
            return 4;
        host::PumpMessages();
        const UINT count = static_cast<UINT>(window.Children().size());
        if (!AtTile(window.Client(), window.Child(L"#beta"), 0, count)) {
            Say("InstallHook did not tile #beta first");
            return 10;
        }

        dll.Free();
        if (!GetModuleHandleW(support::ModuleFileName)) {
            Say("the module was unmapped while its subclass was on the MDI client");
            return 11;
        }
        ResizeFrame(window.Frame(), ResizedWidth, ResizedHeight);
        host::PumpMessages();
        if (!AtTile(window.Client(), window.Child(L"#beta"), 0, count)) {
            Say("the resize after FreeLibrary did not re-tile");
            return 12;
        }
        window.Destroy();
        host::PumpMessages();
    }

    host::HostWindow window;
    if (!window.Create(DemoFrame, host::ChatSession()))
        return 2;
    support::PellorinLibrary dll;
    if (!LoadAndInstall(dll, options.DllPath, window.Frame(), L"alice"))
        return 4;
    host::PumpMessages();
    const UINT count = static_cast<UINT>(window.Children().size());
    if (!AtTile(window.Client(), window.Child(L"alice"), 0, count)) {
        Say("after loading again, InstallHook did not tile alice first");
        return 13;
    }
    if (dll.UnloadDll(0) != 1) {
        Say("UnloadDll(0) did not return 1");
        return 14;
    }
    const RECT before = support::RectInParent(window.Child(L"alice"));
    ResizeFrame(window.Frame(), ResizedWidth, ResizedHeight);
    host::PumpMessages();
    if (!support::SameRect(before, support::RectInParent(window.Child(L"alice")))) {
        Say("a resize after UnloadDll(0) still re-tiled");
        return 15;
    }
    window.Destroy();
    host::PumpMessages();
    dll.Free();
    if (GetModuleHandleW(support::ModuleFileName)) {
        Say("the module stayed loaded after UnloadDll(0) and the last FreeLibrary");
        return 16;
    }
    return 0;
}

// The file of the module that holds address, or "no module" (an unmapped
// one, for instance).
std::wstring ModuleAt(const void* address)
{
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH] = L"no module";
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(address), &module))
        GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

// A fault ends the process at once, with the exception code as its exit
// code. Seen first, before any handler: Wine, like 64-bit Windows, swallows
// a fault inside a window procedure called back from the window system, so
// a host calling into an unmapped module would otherwise fault on and on.
LONG WINAPI ExitOnFault(EXCEPTION_POINTERS* exception)
{
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
        Say("crashed: exception 0x%08lx at %p in %ls", code, exception->ExceptionRecord->ExceptionAddress,
            ModuleAt(exception->ExceptionRecord->ExceptionAddress).c_str());
        ExitProcess(code);
    default:
        return EXCEPTION_CONTINUE_SEARCH;
    }
}

}  // namespace

int main()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    AddVectoredExceptionHandler(1, ExitOnFault);
    Options options;
    if (!ParseOptions(options)) {
        Say("usage: pellorin_host.exe [--demo | --unload-while-hooked] [--dll PATH] [--text TEXT]");
        return 2;
    }
    if (options.Mode == L"--demo")
        return RunDemo(options);
    if (options.Mode == L"--unload-while-hooked")
        return RunUnloadWhileHooked(options);
    return RunInteractive(options);
}
