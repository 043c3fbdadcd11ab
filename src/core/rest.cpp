#include "core/rest.h"

namespace tovi {

bool HidesTheTaskBar(std::int32_t notificationState) {
  return notificationState == kBusy || notificationState == kRunningD3dFullScreen ||
         notificationState == kPresentationMode;
}

bool EyesRest(const TRestReasons& reasons) {
  return reasons.SessionLocked || reasons.DisplayOff || HidesTheTaskBar(reasons.NotificationState);
}

bool AsksTheShell(const TRestReasons& reasons) { return !reasons.SessionLocked && !reasons.DisplayOff; }

TRestChange RestChange(bool restingBefore, const TRestReasons& now) {
  const bool resting = EyesRest(now);
  if (resting == restingBefore) return TRestChange::None;
  return resting ? TRestChange::Rest : TRestChange::Wake;
}

}  // namespace tovi
