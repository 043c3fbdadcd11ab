#pragma once

#include <windows.h>

namespace tovi {

// The platform's display-scale calls that older systems lack are looked up
// when first needed; where one is missing, the screen's DPI stands in.

// The DPI of the monitor that shows most of the window.
int WindowDpi(HWND window);
// The DPI of the monitor that holds the task bar, or the primary one.
int TaskBarDpi();
// The small-icon size the shell shows in the notification area at that DPI.
int SmallIconMetric(int dpi);
// The window rectangle around a client area of that size, with the frame of that DPI.
RECT WindowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace tovi
