#include "components/rest_watch.h"

#include <wtsapi32.h>

#include <cstring>
#include <string_view>

#include "toolkit/seams.h"

namespace tovi {
namespace {

// GUID_SESSION_DISPLAY_STATUS, whose data says off, on or dimmed: the display of this session, which in a
// remote session is not the console's monitor.
constexpr GUID kSessionDisplayStatus = {0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};

// The desktop spans every monitor, and hides nothing.
bool IsDesktop(HWND window) {
  wchar_t name[8]{};
  GetClassNameW(window, name, 8);
  return name == std::wstring_view(L"Progman") || name == std::wstring_view(L"WorkerW");
}

// The window in front; none for the desktop.
TRect FrontWindowRect() {
  const HWND front = GetForegroundWindow();
  RECT r{};
  if (front == nullptr || IsDesktop(front) || !GetWindowRect(front, &r)) return {};
  return {r.left, r.top, r.right, r.bottom};
}

// The monitor of the task bar that holds the eyes; with no task bar, the primary monitor.
TRect TaskBarMonitorRect() {
  const HWND area = seams::FindNotificationArea().Window;
  const HMONITOR monitor = area != nullptr ? MonitorFromWindow(area, MONITOR_DEFAULTTOPRIMARY)
                                           : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return {};
  return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
}

}  // namespace

void EndSessionNotification(HWND form) { seams::UnregisterSessionNotification(form); }

TRestWatch::TRestWatch(TComponent* owner, HWND form)
    : TComponent(owner),
      FSession(seams::RegisterSessionNotification(form, NOTIFY_FOR_THIS_SESSION) ? form : nullptr),
      FDisplay(RegisterPowerSettingNotification(form, &kSessionDisplayStatus, DEVICE_NOTIFY_WINDOW_HANDLE)) {}

bool TRestWatch::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WTSSESSION_CHANGE) {
    if (wParam == WTS_SESSION_LOCK || wParam == WTS_SESSION_UNLOCK) {
      FReasons.SessionLocked = wParam == WTS_SESSION_LOCK;
      ReasonsChanged();
    }
    return true;
  }
  if (message != WM_POWERBROADCAST || wParam != PBT_POWERSETTINGCHANGE) return false;
  const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
  if (setting == nullptr || setting->PowerSetting != kSessionDisplayStatus || setting->DataLength < sizeof(DWORD))
    return true;
  DWORD state = 0;
  std::memcpy(&state, setting->Data, sizeof state);
  FReasons.DisplayOff = state == kDisplayOff;
  ReasonsChanged();
  return true;
}

void TRestWatch::AskTheShell() {
  QUERY_USER_NOTIFICATION_STATE state{};
  FReasons.NotificationState =
      SUCCEEDED(seams::UserNotificationState(&state)) ? static_cast<std::int32_t>(state) : kAcceptsNotifications;
  // The shell answers for the whole session: which monitor the program covers is asked only when it matters.
  const bool fullScreen = SaysFullScreen(FReasons.NotificationState);
  FReasons.FrontWindow = fullScreen ? FrontWindowRect() : TRect{};
  FReasons.TaskBarMonitor = fullScreen ? TaskBarMonitorRect() : TRect{};
  Update();
}

void TRestWatch::ReasonsChanged() {
  if (tovi::WorthAskingTheShell(FReasons)) AskTheShell();
  else Update();
}

void TRestWatch::Update() {
  const TRestChange change = RestChange(FResting, FReasons);
  FResting = EyesRest(FReasons);
  if (change == TRestChange::Rest && OnRest) OnRest(this);
  if (change == TRestChange::Wake && OnWake) OnWake(this);
}

}  // namespace tovi
