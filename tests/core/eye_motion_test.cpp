#include "core/eye_motion.h"

#include <gtest/gtest.h>

#include <numbers>
#include <tuple>
#include <vector>

namespace tovi {
namespace {

constexpr std::int32_t kLength = 5;         // three eyelid frames: 0 1 2 1 0
constexpr TRect kTray{100, 580, 200, 600};  // centre (150, 590)

TEST(EyeMotion, AdvanceBlinkStepsThroughTheStatesAndWaitsOutTheIntervalAcrossTheWrap) {
  // Blink position, blinking on, end tick, now, interval; then position and end tick after the tick.
  const std::tuple<const char*, std::int32_t, bool, std::uint32_t, std::uint32_t, std::int32_t, std::int32_t,
                   std::uint32_t> cases[] = {
      {"a running blink steps back", 3, true, 7, 1000, 5000, 2, 7},
      {"even with blinking off", 2, false, 7, 1000, 5000, 1, 7},
      {"the last frame ends it", 0, true, 7, 1000, 5000, -1, 1000},
      {"then it rests", -1, true, 7, 1000, 5000, -2, 1000},
      {"blinking off rests at the floor and stamps", -2, false, 7, 1000, 5000, -2, 1000},
      {"at the interval", -2, true, 10000, 15000, 5000, -2, 10000},
      {"one past it", -2, true, 10000, 15001, 5000, kLength - 1, 10000},
      {"across the wrap, not yet", -2, true, 0xFFFFF000u, 0x388u, 5000, -2, 0xFFFFF000u},
      {"across the wrap, one past", -2, true, 0xFFFFF000u, 0x389u, 5000, kLength - 1, 0xFFFFF000u},
      {"huge interval never passes early", -2, true, 100, 0x7FFFFF00u, INT32_MAX, -2, 100},
      {"negative interval blinks at once", -2, true, 100, 100, -1, kLength - 1, 100},
  };
  for (const auto& [what, pos, blink, end, now, interval, nextPos, nextEnd] : cases) {
    TEyeMotion m{.FBlinkPos = pos, .FBlinkEndTick = end};
    m.AdvanceBlink(now, blink, interval, kLength);
    EXPECT_EQ(std::tuple(m.FBlinkPos, m.FBlinkEndTick), std::tuple(nextPos, nextEnd)) << what;
  }
}

TEST(EyeMotion, ComposesOnTheFirstTickThenOnlyForANewAngleOrFrameAndAClickRestartsTheBlink) {
  TEyeMotion m;
  std::uint32_t now = 1000;
  // One tick as the form runs it: blink part, then gaze part; true when a picture is composed.
  auto tick = [&](TPoint cursor = {300, 590}) {
    m.AdvanceBlink(now += 10, true, 5000, kLength);
    return m.ChangedGaze(kTray, cursor).has_value();
  };
  EXPECT_TRUE(tick()) << "the first picture is due though the angle is 0 as at start";
  EXPECT_TRUE(tick()) << "-1 to -2 is a new blink position";
  for (int i = 0; i < 100; ++i) ASSERT_FALSE(tick()) << "tick " << i;
  tick({160, 595});
  EXPECT_FALSE(tick({170, 600})) << "(10, 5) to (20, 10) from the centre keeps the angle";
  EXPECT_TRUE(tick({170, 601}));

  m.StartBlink(kLength);  // a click
  std::vector<std::int32_t> shown;
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(tick()) << "tick " << i;
    shown.push_back(m.FBlinkPos);
  }
  // The tick steps back before drawing, so the last entry is never shown.
  EXPECT_EQ(shown, (std::vector<std::int32_t>{3, 2, 1, 0, -1, -2}));
  m.StartBlink(kLength);
  tick();
  tick();
  m.StartBlink(kLength);  // a click two frames into a blink
  tick();
  EXPECT_EQ(m.FBlinkPos, 3) << "a click during a blink restarts it from the end";
}

TEST(GazeAngle, FollowsTheCursorAroundTheTrayCentre) {
  const double pi = std::numbers::pi;
  // A 5-wide rectangle from -3 has its centre at -1, halving towards zero; with
  // no notification area the eyes look from the screen's top-left corner.
  const std::tuple<TRect, TPoint, double> cases[] = {
      {kTray, {150, 600}, pi / 2}, {kTray, {140, 590}, pi}, {kTray, {150, 580}, -pi / 2}, {kTray, {150, 590}, 0.0},
      {kTray, {160, 600}, pi / 4}, {{-3, 0, 2, 0}, {-2, 0}, pi}, {{}, {0, 10}, pi / 2},
  };
  for (const auto& [tray, cursor, angle] : cases)
    EXPECT_DOUBLE_EQ(GazeAngle(tray, cursor), angle) << "tray from " << tray.Left << ", cursor " << cursor.X << ","
                                                     << cursor.Y;
}

}  // namespace
}  // namespace tovi
