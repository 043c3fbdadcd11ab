#include "core/rest.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/eyes_place.h"

namespace tovi {
namespace {

TEST(EyesRest, WhileTheSessionIsLockedTheDisplayOffOrAFullScreenProgramCoversTheTaskBarsMonitor) {
  const TRect monitor{0, 0, 1920, 1080}, right{1920, 0, 3840, 1080};
  const TRect framed{-8, -8, 1928, 1088}, smaller{0, 0, 1920, 1040};
  // What the shell says, the window in front, the task bar's monitor.
  const auto says = [](std::int32_t state, TRect window, TRect taskBarMonitor) {
    return TRestReasons{.NotificationState = state, .FrontWindow = window, .TaskBarMonitor = taskBarMonitor};
  };
  // Why; whether the eyes rest, and whether the shell is asked.
  const std::tuple<const char*, TRestReasons, bool, bool> cases[] = {
      {"nothing hides the eyes", {}, false, true}, {"locked", {.SessionLocked = true}, true, false},
      {"display off", {.DisplayOff = true}, true, false},
      {"busy: a full-screen program on the task bar's monitor", says(kBusy, monitor, monitor), true, true},
      {"busy, the front window's frame past the monitor's edges", says(kBusy, framed, monitor), true, true},
      {"busy, but full screen on another monitor", says(kBusy, right, monitor), false, true},
      {"busy, the window in front leaves the task bar's strip", says(kBusy, smaller, monitor), false, true},
      {"busy, the task bar's monitor unmeasured: no width", says(kBusy, framed, {0, 0, 0, 1080}), false, true},
      {"busy, the task bar's monitor unmeasured: no height", says(kBusy, framed, {0, 0, 1920, 0}), false, true},
      {"full-screen Direct3D on the task bar's monitor", says(kRunningD3dFullScreen, monitor, monitor), true, true},
      {"presentation mode, slides over the task bar's monitor", says(kPresentationMode, monitor, monitor), true, true},
      {"presentation mode, a smaller window in front", says(kPresentationMode, smaller, monitor), false, true},
      // The shell calls none of these full screen, however large the window in front.
      {"a window as large", says(kAcceptsNotifications, monitor, monitor), false, true},
      {"not present: the lock's own message tells", says(kNotPresent, monitor, monitor), false, true},
      {"quiet time after installing Windows", says(kQuietTime, monitor, monitor), false, true},
      {"an app in front, perhaps in a window", says(kApp, monitor, monitor), false, true},
  };
  for (const auto& [reason, reasons, rests, asks] : cases)
    EXPECT_EQ(std::tuple(EyesRest(reasons), WorthAskingTheShell(reasons)), std::tuple(rests, asks))
        << reason << ": rests, asks the shell";
  EXPECT_EQ(std::tuple(RestChange(false, {.DisplayOff = true}), RestChange(true, {}),
                       RestChange(true, {.DisplayOff = true}), RestChange(false, {})),
            std::tuple(TRestChange::Rest, TRestChange::Wake, TRestChange::None, TRestChange::None));
}

TEST(EyesPlace, LooksFromMidwayBetweenTheIconsAndHintsOnceWhenBothShareTheOverflowButton) {
  const TRect left{760, 576, 776, 592}, right{776, 576, 792, 592}, button{700, 578, 720, 598};
  const TRect flat{700, 578, 720, 578}, thin{700, 578, 700, 598};
  // Why, the icons' places; the eyes' rectangle; whether the hint was shown before, and is shown now.
  const std::tuple<const char*, TIconPlaces, std::optional<TRect>, bool, bool> cases[] = {
      {"side by side", {left, right}, TRect{760, 576, 792, 592}, false, false},
      {"the other way round", {right, left}, TRect{760, 576, 792, 592}, false, false},
      {"stacked", {TRect{0, 100, 16, 116}, TRect{0, 116, 16, 132}}, TRect{0, 100, 16, 132}, false, false},
      {"the shell cannot tell (Wine)", {}, std::nullopt, false, false}, {"told of one", {left, {}}, {}, false, false},
      {"both behind the overflow button", {button, button}, button, false, true},
      {"both behind it, hint shown before", {button, button}, button, true, false},
      {"a rectangle with no width", {thin, thin}, {}, false, false}, {"nor height", {flat, flat}, {}, false, false},
  };
  for (const auto& [reason, places, rect, shownBefore, hints] : cases)
    EXPECT_EQ(std::tuple(EyesRect(places), ShowsOverflowHint(places, shownBefore)), std::tuple(rect, hints))
        << reason << ": the rectangle, the hint";
}

}  // namespace
}  // namespace tovi
