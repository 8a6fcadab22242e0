#include "support/WindowClasses.h"

namespace support {

namespace {

bool RegisterOnce(const WNDCLASSW& windowClass)
{
    WNDCLASSW existing;
    if (GetClassInfoW(windowClass.hInstance, windowClass.lpszClassName, &existing))
        return true;
    return RegisterClassW(&windowClass) != 0;
}

}  // namespace

bool RegisterMdiClasses(const MdiClasses& classes)
{
    WNDCLASSW frame = {};
    frame.lpfnWndProc = classes.FrameProc;
    frame.hInstance = GetModuleHandleW(nullptr);
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.hIcon = classes.Icon;
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    frame.lpszClassName = classes.Frame;

    WNDCLASSW child = frame;
    child.lpfnWndProc = classes.ChildProc;
    child.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    child.lpszClassName = classes.Child;
    return RegisterOnce(frame) && RegisterOnce(child);
}

}  // namespace support
