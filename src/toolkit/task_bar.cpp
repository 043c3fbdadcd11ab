#include "toolkit/task_bar.h"

#include "toolkit/seams.h"

namespace tovi {

seams::TTrayWindow seams::FindTrayWindow() {
  const HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
  if (taskBar == nullptr) return {};
  // One question to the window server, however many buttons the task bar holds.
  if (const HWND area = FindWindowExA(taskBar, nullptr, "TrayNotifyWnd", nullptr)) return {area, false};
  return {taskBar, true};
}

TRect TNotificationArea::Rect() {
  RECT r{};
  if (!FFoundTheArea || !GetWindowRect(FWindow, &r)) {
    const seams::TTrayWindow found = seams::FindNotificationArea();
    FWindow = found.Window;
    FFoundTheArea = found.Window != nullptr && !found.IsTaskBar;
    if (FWindow == nullptr || !GetWindowRect(FWindow, &r)) r = {};
  }
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace tovi
