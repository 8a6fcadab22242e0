// The window-system operations the module calls. On Windows these are the
// real USER32, COMCTL32 and KERNEL32 functions; on the native build they are
// the simulated window system. This is the only place that knows which.
#pragma once

#if defined(_WIN32)
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#else
#include "sim/SimWindows.h"
#endif
