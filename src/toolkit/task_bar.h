#pragma once

#include <windows.h>

#include "core/raster.h"

namespace tovi {

// The notification area's screen rectangle, (0, 0, 0, 0) when there is none.
// The window found is measured at each asking; it is searched for again when
// it has gone (a restarted shell), and while only the task bar or nothing was
// found: a shell starting at logon adds the area later.
class TNotificationArea {
 public:
  TRect Rect();

 private:
  HWND FWindow = nullptr;
  bool FFoundTheArea = false;
};

}  // namespace tovi
