// The two window classes of an MDI test program: its frames and its MDI
// children. Each program brings its own procedures; the rest is the same.
#pragma once

#include <windows.h>

namespace support {

struct MdiClasses {
    const wchar_t* Frame;
    WNDPROC FrameProc;
    const wchar_t* Child;
    WNDPROC ChildProc;
    HICON Icon;  // of both; null for none
};

// Registers both classes in this program unless they already are; false if
// either could not be registered.
bool RegisterMdiClasses(const MdiClasses& classes);

}  // namespace support
