#include "toolkit/task_bar.h"

#include <cstring>

#include "toolkit/seams.h"
#include "toolkit/system_library.h"

namespace tovi {

seams::TTrayWindow seams::FindTrayWindow() {
  const HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
  if (taskBar == nullptr) return {};
  for (HWND child = GetWindow(taskBar, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[256];
    if (GetClassNameA(child, className, 255) > 0 && std::strcmp(className, "TrayNotifyWnd") == 0)
      return {child, false};
  }
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
  RECT r{};
  const bool gone = FWindow != nullptr && !GetWindowRect(FWindow, &r);
  if (gone || (FStandIn && (!FSearched || now - FSearchedAt >= kSearchAgainMilliseconds))) {
    const seams::TTrayWindow found = seams::FindNotificationArea();
    FWindow = found.Window;
    FStandIn = found.Window == nullptr || found.IsTaskBar;
    FSearched = true;
    FSearchedAt = now;
    if (FWindow == nullptr || !GetWindowRect(FWindow, &r)) return {};
  }
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace tovi
