#include "toolkit/display_scale.h"

#include "toolkit/handles.h"
#include "toolkit/system_library.h"

namespace tovi {
namespace {

int ScreenDpi() {
  const TScreenDc screen(GetDC(nullptr));
  const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int MonitorDpi(HMONITOR monitor) {
  static const auto getDpiForMonitor =
      SystemCall<HRESULT WINAPI(HMONITOR, int, UINT*, UINT*)>(L"shcore.dll", "GetDpiForMonitor");
  UINT x = 0, y = 0;
  // 0: MDT_EFFECTIVE_DPI, the scale the user chose for that monitor.
  if (getDpiForMonitor && monitor && SUCCEEDED(getDpiForMonitor(monitor, 0, &x, &y)) && y > 0)
    return static_cast<int>(y);
  return ScreenDpi();
}

}  // namespace

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = SystemCall<UINT WINAPI(HWND)>(L"user32.dll", "GetDpiForWindow");
  if (const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0; dpi > 0) return static_cast<int>(dpi);
  return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

int TaskBarDpi() {
  const HWND taskBar = FindWindowW(L"Shell_TrayWnd", nullptr);
  return MonitorDpi(MonitorFromWindow(taskBar, MONITOR_DEFAULTTOPRIMARY));
}

int SmallIconMetric(int dpi) {
  static const auto getSystemMetricsForDpi = SystemCall<int WINAPI(int, UINT)>(L"user32.dll", "GetSystemMetricsForDpi");
  if (getSystemMetricsForDpi) return getSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
  return GetSystemMetrics(SM_CXSMICON);
}

RECT WindowRectForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustWindowRectExForDpi =
      SystemCall<BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT)>(L"user32.dll", "AdjustWindowRectExForDpi");
  RECT bounds{0, 0, clientWidth, clientHeight};
  if (!adjustWindowRectExForDpi || !adjustWindowRectExForDpi(&bounds, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
  return bounds;
}

}  // namespace tovi
