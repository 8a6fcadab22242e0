#include "LayoutContext.h"
#include "AsciiCase.h"

namespace pellorin {

namespace {
const int ClassNameUnits = 256;
}

LayoutContext& InitLayoutContext(LayoutContext& context, HWND frame, HWND client)
{
    context.Frame = frame;
    context.MdiClient = client;
    context.FirstMaximized = nullptr;
    context.Tiles.clear();
    context.Order = nullptr;
    context.Ignore = nullptr;
    context.OutOfMemory = false;

    if (frame && !client)
        EnumChildWindows(frame, FindMdiClientProc, reinterpret_cast<LPARAM>(&context));
    else if (!frame && client)
        context.Frame = GetParent(client);
    return context;
}

BOOL CALLBACK FindMdiClientProc(HWND window, LPARAM param)
{
    LayoutContext& context = *reinterpret_cast<LayoutContext*>(param);
    WCHAR className[ClassNameUnits];
    if (GetClassNameW(window, className, ClassNameUnits) == 0)
        return TRUE;
    // EnumChildWindows reports every descendant; a control of class
    // "MDIClient" deeper down is not the frame's client.
    if (GetParent(window) != context.Frame)
        return TRUE;
    if (!EqualIgnoringAsciiCase(className, TEXT("MDIClient")))
        return TRUE;
    context.MdiClient = window;
    return FALSE;
}

}  // namespace pellorin
