#pragma once

#include <cstdint>

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
};

// Whether a program in front hides the task bar: busy (a full-screen
// program), full-screen Direct3D, or presentation mode. "Not present" comes
// with a locked session, which its own message reports at once; an app in
// front may, since Windows 10, be a window with the task bar in plain sight.
bool HidesTheTaskBar(std::int32_t notificationState);

// Whether the eyes rest: nobody can see them, so the timer need not run.
bool EyesRest(const TRestReasons& reasons);

// Whether asking the shell can tell anything new: while the session is locked
// or the display is off, their own messages say when that ends.
bool AsksTheShell(const TRestReasons& reasons);

enum class TRestChange { None, Rest, Wake };

// What the form does as the reasons change: stop the timer, start it, or nothing.
TRestChange RestChange(bool restingBefore, const TRestReasons& now);

}  // namespace tovi
