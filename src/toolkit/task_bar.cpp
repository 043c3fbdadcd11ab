#include <cstring>

#include "toolkit/seams.h"

namespace tovi::seams {
namespace {

TRect ScreenRect(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return {};
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

TRect TrayRectFromTaskBar() {
  const HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
  if (taskBar == nullptr) return {};
  for (HWND child = GetWindow(taskBar, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[256];
    if (GetClassNameA(child, className, 255) > 0 && std::strcmp(className, "TrayNotifyWnd") == 0)
      return ScreenRect(child);
  }
  return ScreenRect(taskBar);
}

}  // namespace tovi::seams
