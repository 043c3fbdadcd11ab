#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "core/once_per.h"
#include "core/raster.h"

namespace tovi {

// The notification area's screen rectangle, (0, 0, 0, 0) when there is none.
// The window found is only measured, twice a second, so that the ticks between
// ask the window server nothing; it is searched for again when it has gone (a
// restarted shell), and once a second while only a stand-in was found (the
// task bar itself, or nothing): a shell starting at logon adds it later.
class TNotificationArea {
 public:
  static constexpr std::uint32_t kMeasureAgainMilliseconds = 500;
  static constexpr std::uint32_t kSearchAgainMilliseconds = 1000;

  // now: the millisecond tick count.
  TRect Rect(std::uint32_t now);

 private:
  HWND FWindow = nullptr;
  bool FStandIn = true;
  std::optional<std::uint32_t> FSearchedAt;
  TOncePer FMeasure{kMeasureAgainMilliseconds};
  TRect FRect;
};

}  // namespace tovi
