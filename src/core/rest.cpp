#include "core/rest.h"

namespace tovi {

namespace {

// An empty rectangle stands for a monitor that could not be measured.
bool Covers(const TRect& window, const TRect& monitor) {
  return monitor.Left < monitor.Right && monitor.Top < monitor.Bottom && window.Left <= monitor.Left &&
         window.Top <= monitor.Top && window.Right >= monitor.Right && window.Bottom >= monitor.Bottom;
}

}  // namespace

bool SaysFullScreen(std::int32_t notificationState) {
  return notificationState == kBusy || notificationState == kRunningD3dFullScreen ||
         notificationState == kPresentationMode;
}

bool EyesRest(const TRestReasons& reasons) {
  return reasons.SessionLocked || reasons.DisplayOff ||
         (SaysFullScreen(reasons.NotificationState) && Covers(reasons.FrontWindow, reasons.TaskBarMonitor));
}

bool WorthAskingTheShell(const TRestReasons& reasons) { return !reasons.SessionLocked && !reasons.DisplayOff; }

TRestChange RestChange(bool restingBefore, const TRestReasons& now) {
  const bool resting = EyesRest(now);
  if (resting == restingBefore) return TRestChange::None;
  return resting ? TRestChange::Rest : TRestChange::Wake;
}

}  // namespace tovi
