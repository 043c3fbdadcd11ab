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
  // Why; whether the eyes rest, and whether the shell is asked.
  const std::tuple<const char*, TRestReasons, bool, bool> cases[] = {
      {"nothing hides the eyes", {}, false, true},
      {"locked", {.SessionLocked = true}, true, false},
      {"display off", {.DisplayOff = true}, true, false},
      {"not present: the lock's own message tells", {.NotificationState = kNotPresent}, false, true},
      {"busy: a full-screen program on the task bar's monitor",
       {.NotificationState = kBusy, .FrontWindow = monitor, .TaskBarMonitor = monitor}, true, true},
      {"busy, the front window's frame past the monitor's edges",
       {.NotificationState = kBusy, .FrontWindow = framed, .TaskBarMonitor = monitor}, true, true},
      {"busy, but full screen on another monitor",
       {.NotificationState = kBusy, .FrontWindow = right, .TaskBarMonitor = monitor}, false, true},
      {"busy, the window in front leaves the task bar's strip",
       {.NotificationState = kBusy, .FrontWindow = smaller, .TaskBarMonitor = monitor}, false, true},
      {"busy, the task bar's monitor unmeasured", {.NotificationState = kBusy, .FrontWindow = framed}, false, true},
      {"full-screen Direct3D on the task bar's monitor",
       {.NotificationState = kRunningD3dFullScreen, .FrontWindow = monitor, .TaskBarMonitor = monitor}, true, true},
      {"presentation mode and slides over the task bar's monitor",
       {.NotificationState = kPresentationMode, .FrontWindow = monitor, .TaskBarMonitor = monitor}, true, true},
      {"presentation mode with a window in front, the task bar in sight",
       {.NotificationState = kPresentationMode, .FrontWindow = smaller, .TaskBarMonitor = monitor}, false, true},
      {"a window as large, which the shell does not call full screen",
       {.FrontWindow = monitor, .TaskBarMonitor = monitor}, false, true},
      {"quiet time after installing Windows", {.NotificationState = kQuietTime}, false, true},
      {"an app in front, perhaps in a window", {.NotificationState = kApp}, false, true},
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
      {"stacked on an upright task bar", {TRect{0, 100, 16, 116}, TRect{0, 116, 16, 132}}, TRect{0, 100, 16, 132},
       false, false},
      {"the shell cannot tell (Wine)", {}, std::nullopt, false, false},
      {"told of one", {left, {}}, {}, false, false},
      {"both behind the overflow button", {button, button}, button, false, true},
      {"both behind it, hint shown before", {button, button}, button, true, false},
      {"a rectangle with no width", {thin, thin}, {}, false, false},
      {"nor height", {flat, flat}, {}, false, false},
  };
  for (const auto& [reason, places, rect, shownBefore, hints] : cases)
    EXPECT_EQ(std::tuple(EyesRect(places), ShowsOverflowHint(places, shownBefore)), std::tuple(rect, hints))
        << reason << ": the rectangle, the hint";
}

}  // namespace
}  // namespace tovi
