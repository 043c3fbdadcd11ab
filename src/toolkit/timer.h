#pragma once

#include "core/raster.h"
#include "toolkit/component.h"
#include "toolkit/window.h"

namespace tovi {

// Calls OnTimer every Interval milliseconds while enabled. Its ticks come as
// messages to a window of its own, so modal loops and menus keep them going.
class TTimer : public TComponent, private TWindow {
 public:
  explicit TTimer(TComponent* owner);

  void SetInterval(UINT milliseconds);
  void SetEnabled(bool enabled);

  TNotifyEvent OnTimer;

 private:
  void UpdateTimer();
  static void CALLBACK Tick(HWND window, UINT message, UINT_PTR id, DWORD time);

  UINT FInterval = 1000;
  bool FEnabled = true;
};

// Where the cursor was when the message being handled was taken from the
// queue: for a timer tick, the cursor now, without asking the window server.
TPoint MessageCursorPos();

}  // namespace tovi
