#pragma once

#include <windows.h>

#include <cstdint>

#include "core/once_per.h"
#include "core/raster.h"

namespace tovi {

// The notification area's screen rectangle, (0, 0, 0, 0) when there is none.
// The window is searched for once and then only measured, twice a second: a
// moved task bar is followed within half a second, and the ticks between ask
// the window server nothing. It is searched for again when it has gone, as
// when the shell restarts. While only a stand-in was found (the task bar
// itself, or nothing), the search is repeated once a second: a shell still
// starting at logon may add its notification area later.
class TNotificationArea {
 public:
  static constexpr std::uint32_t kMeasureAgainMilliseconds = 500;
  static constexpr std::uint32_t kSearchAgainMilliseconds = 1000;

  // now: the millisecond tick count.
  TRect Rect(std::uint32_t now);

 private:
  HWND FWindow = nullptr;
  bool FStandIn = true;
  bool FSearched = false;
  std::uint32_t FSearchedAt = 0;
  TOncePer FMeasure{kMeasureAgainMilliseconds};
  TRect FRect;
};

}  // namespace tovi
