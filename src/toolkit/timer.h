#pragma once

#include "core/raster.h"
#include "toolkit/component.h"
#include "toolkit/window.h"

namespace tovi {

// Calls OnTimer every Interval milliseconds while enabled (it starts
// disabled). Its ticks come through a window the program has already, as
// messages, so modal loops and menus keep them going; a timer that should
// tick once disables itself in OnTimer.
class TTimer : public TComponent {
 public:
  // window: whose thread's loop brings the ticks; it outlives the timer.
  TTimer(TComponent* owner, const TWindow& window) : TComponent(owner), FWindow(window) {}
  ~TTimer() override;

  void SetInterval(UINT milliseconds);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);

  TNotifyEvent OnTimer;

 private:
  void UpdateTimer();
  static void CALLBACK Tick(HWND window, UINT message, UINT_PTR id, DWORD time);

  const TWindow& FWindow;
  UINT FInterval = 1000;
  bool FEnabled = false;
};

// Where the cursor was when the message being handled was taken from the
// queue: for a timer tick, the cursor now, without asking the window server.
TPoint MessageCursorPos();

}  // namespace tovi
