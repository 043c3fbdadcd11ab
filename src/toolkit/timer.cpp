#include "toolkit/timer.h"

#include <windowsx.h>

#include "toolkit/application.h"
#include "toolkit/errors.h"

namespace tovi {

TTimer::~TTimer() { SetEnabled(false); }

void TTimer::SetInterval(UINT milliseconds) {
  if (milliseconds == FInterval) return;
  FInterval = milliseconds;
  UpdateTimer();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  // Named by its object, the ticks go straight to Tick: no window procedure
  // asks the system whose window it is, a hundred times a second.
  const auto id = reinterpret_cast<UINT_PTR>(this);
  KillTimer(FWindow.Handle(), id);
  if (FEnabled && FInterval > 0 && !SetTimer(FWindow.Handle(), id, FInterval, &TTimer::Tick))
    throw EToviError(L"タイマーを使えません");
}

void CALLBACK TTimer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  TTimer* const timer = reinterpret_cast<TTimer*>(id);
  // No exception may cross the platform's frames on its way back to the loop.
  try {
    if (timer->OnTimer) timer->OnTimer(timer);
  } catch (...) {
    Application().HandleException(timer);
  }
}

TPoint MessageCursorPos() {
  const DWORD position = GetMessagePos();
  return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

}  // namespace tovi
