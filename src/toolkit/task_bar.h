#pragma once

#include <windows.h>

#include "core/raster.h"

namespace tovi {

// The notification area's window: the "TrayNotifyWnd" child of the task bar,
// or, where the shell has none (Wine's has none), the task bar itself; null
// with no task bar at all.
HWND FindNotificationArea();

// The notification area's screen rectangle, (0, 0, 0, 0) when there is none.
// The window is searched for once and then only measured, which follows every
// move of the task bar at the cost of one call; it is searched for again when
// it has gone, as when the shell restarts.
class TNotificationArea {
 public:
  TRect Rect();

 private:
  HWND FWindow = nullptr;
};

// Where the cursor was when the message being handled was taken from the
// queue: for a timer tick, the cursor now, without asking the window server.
TPoint MessageCursorPos();

}  // namespace tovi
