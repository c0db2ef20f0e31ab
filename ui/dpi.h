// Dots per inch. The program gives every size and position for 96 DPI (100 %)
// and each window scales them to the DPI of the screen it is on, so the
// windows keep their size in inches on a high-resolution screen. The system
// functions that know a window's own DPI (Windows 10 and later) are looked up
// when the program starts; older systems have one DPI for the whole screen.
#pragma once

#include <windows.h>

constexpr UINT kBaseDpi = 96;

// The DPI of the primary screen.
UINT SystemDpi();
// The DPI of the screen a window is on (SystemDpi where the system cannot tell).
UINT DpiOfWindow(HWND window);
// `value`, in pixels at 96 DPI, at `dpi` (rounded to the nearest pixel).
int ScaleToDpi(int value, UINT dpi);
// Grows a client rectangle to the window rectangle around it at `dpi` (the
// caption and borders are larger at a higher DPI).
void AdjustFrameForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);
