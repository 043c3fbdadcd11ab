#pragma once

#include <cstdint>

#include "core/raster.h"

namespace tovi {

// What the shell says of the user's attention (SHQueryUserNotificationState), by the platform's numbers.
inline constexpr std::int32_t kNotPresent = 1;
inline constexpr std::int32_t kBusy = 2;
inline constexpr std::int32_t kRunningD3dFullScreen = 3;
inline constexpr std::int32_t kPresentationMode = 4;
inline constexpr std::int32_t kAcceptsNotifications = 5;
inline constexpr std::int32_t kQuietTime = 6;
inline constexpr std::int32_t kApp = 7;

// The console display's state, as the power broadcast reports it.
inline constexpr std::uint32_t kDisplayOff = 0;
inline constexpr std::uint32_t kDisplayOn = 1;
inline constexpr std::uint32_t kDisplayDimmed = 2;

// Why nobody may see the eyes, as last heard from the platform.
struct TRestReasons {
  bool SessionLocked = false;
  bool DisplayOff = false;
  std::int32_t NotificationState = kAcceptsNotifications;
  // Looked at only while the shell says a program is full screen: the window
  // in front, and the monitor of the task bar that holds the eyes.
  TRect FrontWindow{};
  TRect TaskBarMonitor{};
};

// Whether the shell says a program may be full screen: busy (a full-screen
// program, or presentation settings), full-screen Direct3D, or presentation
// mode. It answers for the whole session, whatever monitor that program is on.
// "Not present" comes with a locked session, which its own message reports at
// once; an app in front may, since Windows 10, be a window with the task bar in
// plain sight.
bool SaysFullScreen(std::int32_t notificationState);

// Whether the eyes rest: nobody can see them, so the timer need not run. A
// full-screen program hides them only where its window in front covers the
// task bar's monitor. Presentation mode is a setting, not a window: it hides
// nothing by itself, and the slides shown in it cover that monitor or not as
// any full-screen program does.
bool EyesRest(const TRestReasons& reasons);

// Whether asking the shell can tell anything new: while the session is locked
// or the display is off, their own messages say when that ends.
bool WorthAskingTheShell(const TRestReasons& reasons);

enum class TRestChange { None, Rest, Wake };

// What the form does as the reasons change: stop the timer, start it, or nothing.
TRestChange RestChange(bool restingBefore, const TRestReasons& now);

}  // namespace tovi
