#include "core/rest.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/eyes_place.h"
#include "core/once_per.h"

namespace tovi {
namespace {

TEST(EyesRest, WhileTheSessionIsLockedTheDisplayOffOrAProgramHidesTheTaskBar) {
  struct TCase {
    const char* Reason;
    TRestReasons Reasons;
    bool Rests;
    bool AsksTheShell;
  };
  const TCase cases[] = {
      {"nothing hides the eyes", {}, false, true},
      {"locked", {.SessionLocked = true}, true, false},
      {"display off", {.DisplayOff = true}, true, false},
      {"not present: the lock's own message tells", {.NotificationState = kNotPresent}, false, true},
      {"busy: a full-screen program", {.NotificationState = kBusy}, true, true},
      {"full-screen Direct3D", {.NotificationState = kRunningD3dFullScreen}, true, true},
      {"presentation mode", {.NotificationState = kPresentationMode}, true, true},
      {"quiet time after installing Windows", {.NotificationState = kQuietTime}, false, true},
      {"an app in front, perhaps in a window", {.NotificationState = kApp}, false, true},
      {"a state we do not know", {.NotificationState = 0}, false, true},
      {"locked behind a full-screen program", {.SessionLocked = true, .NotificationState = kBusy}, true, false},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(std::tuple(EyesRest(c.Reasons), AsksTheShell(c.Reasons)), std::tuple(c.Rests, c.AsksTheShell))
        << c.Reason << ": rests, asks the shell";
}

TEST(OncePer, IsDueAtOnceThenWhenThePeriodHasPassedAlsoAcrossTheCounterWrap) {
  const std::tuple<const char*, std::vector<std::uint32_t>, std::string> cases[] = {
      {"first at once, then a second later", {5000, 5010, 5999, 6000, 6500, 7000}, "yes no no yes no yes"},
      {"across the wrap", {0xFFFFFF00u, 0x00000010u, 0x000002E8u}, "yes no yes"},
      {"a tick counter stepping back counts as long past", {5000, 4990}, "yes yes"},
  };
  for (const auto& [reason, ticks, due] : cases) {
    TOncePer asked(1000);
    std::string seen;
    for (const std::uint32_t now : ticks) seen += (seen.empty() ? "" : " ") + std::string(asked.Due(now) ? "yes" : "no");
    EXPECT_EQ(seen, due) << reason;
  }
}

TEST(EyesPlace, LooksFromMidwayBetweenTheIconsAndHintsOnceWhenBothShareTheOverflowButton) {
  const TRect left{760, 576, 776, 592}, right{776, 576, 792, 592}, button{700, 578, 720, 598};
  struct TCase {
    const char* Reason;
    TIconPlaces Places;
    std::optional<TRect> Rect;
    bool HintShownBefore;
    bool Hints;
  };
  const TCase cases[] = {
      {"side by side", {left, right}, TRect{760, 576, 792, 592}, false, false},
      {"the other way round", {right, left}, TRect{760, 576, 792, 592}, false, false},
      {"stacked on an upright task bar", {TRect{0, 100, 16, 116}, TRect{0, 116, 16, 132}},
       TRect{0, 100, 16, 132}, false, false},
      {"the shell cannot tell (Wine)", {}, std::nullopt, false, false},
      {"told of one only", {left, std::nullopt}, std::nullopt, false, false},
      {"both behind the overflow button", {button, button}, button, false, true},
      {"both behind it, hint shown before", {button, button}, button, true, false},
      {"a rectangle with no width", {TRect{700, 578, 700, 598}, TRect{700, 578, 700, 598}}, std::nullopt, false,
       false},
      {"a rectangle with no height", {TRect{700, 578, 720, 578}, TRect{700, 578, 720, 578}}, std::nullopt, false,
       false},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(EyesRect(c.Places), c.Rect) << c.Reason;
    EXPECT_EQ(ShowsOverflowHint(c.Places, c.HintShownBefore), c.Hints) << c.Reason << ": the hint";
  }
}

}  // namespace
}  // namespace tovi
