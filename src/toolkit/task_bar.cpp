#include "toolkit/task_bar.h"

#include "toolkit/seams.h"
#include "toolkit/system_library.h"

namespace tovi {

seams::TTrayWindow seams::FindTrayWindow() {
  const HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
  if (taskBar == nullptr) return {};
  // One question to the window server, however many buttons the task bar holds.
  if (const HWND area = FindWindowExA(taskBar, nullptr, "TrayNotifyWnd", nullptr)) return {area, false};
  return {taskBar, true};
}

HRESULT WINAPI seams::QueryUserNotificationState(QUERY_USER_NOTIFICATION_STATE* state) {
  static const auto call =
      SystemCall<decltype(::SHQueryUserNotificationState)>(L"shell32.dll", "SHQueryUserNotificationState");
  return call != nullptr ? call(state) : E_NOTIMPL;
}

HRESULT WINAPI seams::NotifyIconGetRect(const NOTIFYICONIDENTIFIER* icon, RECT* place) {
  static const auto call = SystemCall<decltype(::Shell_NotifyIconGetRect)>(L"shell32.dll", "Shell_NotifyIconGetRect");
  return call != nullptr ? call(icon, place) : E_NOTIMPL;
}

TRect TNotificationArea::Rect(std::uint32_t now) {
  if (!FMeasure.Due(now)) return FRect;
  RECT r{};
  const bool gone = FWindow != nullptr && !GetWindowRect(FWindow, &r);
  if (gone || (FStandIn && (!FSearchedAt || now - *FSearchedAt >= kSearchAgainMilliseconds))) {
    const seams::TTrayWindow found = seams::FindNotificationArea();
    FWindow = found.Window;
    FStandIn = found.Window == nullptr || found.IsTaskBar;
    FSearchedAt = now;
    if (FWindow == nullptr || !GetWindowRect(FWindow, &r)) r = {};
  }
  FRect = {r.left, r.top, r.right, r.bottom};
  return FRect;
}

}  // namespace tovi
