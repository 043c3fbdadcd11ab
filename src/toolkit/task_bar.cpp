#include "toolkit/task_bar.h"

#include <windowsx.h>

#include <cstring>

namespace tovi {

HWND FindNotificationArea() {
  const HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
  if (taskBar == nullptr) return nullptr;
  for (HWND child = GetWindow(taskBar, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[256];
    if (GetClassNameA(child, className, 255) > 0 && std::strcmp(className, "TrayNotifyWnd") == 0) return child;
  }
  return taskBar;
}

TRect TNotificationArea::Rect() {
  RECT r{};
  if (FWindow == nullptr || !GetWindowRect(FWindow, &r)) {
    FWindow = FindNotificationArea();
    if (FWindow == nullptr || !GetWindowRect(FWindow, &r)) return {};
  }
  return {r.left, r.top, r.right, r.bottom};
}

TPoint MessageCursorPos() {
  const DWORD position = GetMessagePos();
  return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

}  // namespace tovi
