// The pixels per inch a window is shown at.
#pragma once

#include <windows.h>

// WM_DPICHANGED and the form children get, for headers that predate them.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

// The window's own (GetDpiForWindow, looked up at run time: systems before
// Windows 10 lack it); else the screen's LOGPIXELSY.
int WindowDpi(HWND window);
