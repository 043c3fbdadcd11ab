#include "toolkit/timer.h"

#include <windowsx.h>

#include "toolkit/errors.h"

namespace tovi {
namespace {

constexpr UINT_PTR kTimerId = 1;

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  CreateHandle({.ClassName = L"ToviTimerWindow", .Parent = HWND_MESSAGE});
  UpdateTimer();
}

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
  KillTimer(Handle(), kTimerId);
  if (FEnabled && FInterval > 0 && !SetTimer(Handle(), kTimerId, FInterval, nullptr))
    throw EToviError(L"タイマーを使えません");
}

LRESULT TTimer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTimerId) {
    if (OnTimer) OnTimer(this);
    return 0;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

TPoint MessageCursorPos() {
  const DWORD position = GetMessagePos();
  return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

}  // namespace tovi
