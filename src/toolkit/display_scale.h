#pragma once

#include <windows.h>

namespace tovi {

// The platform's display-scale calls that Windows 7 lacks (GetDpiForMonitor
// of Windows 8.1; GetDpiForWindow, GetSystemMetricsForDpi and
// AdjustWindowRectExForDpi of Windows 10 1607) are looked up when first
// needed; where one is missing, the screen's DPI and its metrics stand in.

// The DPI of the monitor that shows most of the window.
int WindowDpi(HWND window);
// The DPI of the monitor that holds the task bar, or the primary one.
int TaskBarDpi();
// The small-icon size the shell shows in the notification area at that DPI.
int SmallIconMetric(int dpi);
// The window rectangle around a client area of that size, with the frame of that DPI.
RECT WindowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace tovi
