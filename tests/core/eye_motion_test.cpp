#include "core/eye_motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>
#include <vector>

namespace tovi {
namespace {

constexpr std::int32_t kSequenceLength = 5;  // three eyelid frames: 0 1 2 1 0
constexpr TRect kTray{100, 580, 200, 600};    // centre (150, 590)
constexpr TPoint kRightOfTray{300, 590};

// Runs one tick as the form does and says whether a picture was composed.
struct TTicker {
  TEyeMotion motion;
  bool blink = true;
  std::int32_t interval = 5000;
  std::uint32_t now = 1000;

  bool Tick(TPoint cursor = kRightOfTray) {
    motion.AdvanceBlink(now, blink, interval, kSequenceLength);
    now += 10;
    return motion.ChangedGaze(kTray, cursor).has_value();
  }
};

TEST(EyeMotion, FirstTickAlwaysComposesThenOnlyANewAngleOrBlinkFrameDoes) {
  TTicker t;
  // The first picture is due even with the cursor straight right (angle 0 as at start).
  EXPECT_TRUE(t.Tick());
  EXPECT_EQ(t.motion.FBlinkPos, -1);
  EXPECT_EQ(t.motion.FBlinkEndTick, 1000u);
  EXPECT_TRUE(t.Tick()) << "-1 to -2 is a change of blink position";
  for (int i = 0; i < 100; ++i) ASSERT_FALSE(t.Tick()) << "tick " << i;
  t.Tick({160, 595});
  EXPECT_FALSE(t.Tick({170, 600})) << "(10, 5) to (20, 10) from the centre keeps the angle";
  EXPECT_TRUE(t.Tick({170, 601}));
}

TEST(EyeMotion, AClickPlaysTheSequenceBackwardsOneFramePerTickFromItsEnd) {
  TTicker t;
  t.Tick();
  t.Tick();
  t.motion.StartBlink(kSequenceLength);  // a click
  std::vector<std::int32_t> shown;
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(t.Tick()) << "tick " << i << " shows a new frame";
    shown.push_back(t.motion.FBlinkPos);
  }
  // A click's blink skips the last entry: the tick decrements before drawing.
  EXPECT_EQ(shown, (std::vector<std::int32_t>{3, 2, 1, 0, -1, -2}));
  EXPECT_FALSE(t.Tick()) << "waiting for the next blink changes nothing";

  t.motion.StartBlink(kSequenceLength);
  t.Tick();
  t.Tick();
  t.motion.StartBlink(kSequenceLength);
  t.Tick();
  EXPECT_EQ(t.motion.FBlinkPos, 3) << "a click during a blink restarts it from the end";
}

TEST(EyeMotion, AutomaticBlinkStartsOnTheFirstTickPastTheIntervalAcrossTheCounterWrap) {
  struct TCase {
    const char* name;
    std::uint32_t end, now;
    std::int32_t interval;
    bool starts;
  };
  const TCase cases[] = {
      {"at the interval", 10000u, 15000u, 5000, false},
      {"one past it", 10000u, 15001u, 5000, true},
      {"interval spans the wrap, not yet", 0xFFFFF000u, 0x00000100u, 5000, false},
      {"interval spans the wrap, passed", 0xFFFFF000u, 0x00000389u, 5000, true},
      {"huge interval never passes early", 100u, 0x7FFFFF00u, 0x7FFFFFFF, false},
      {"negative interval blinks at once", 100u, 100u, -1, true},
  };
  for (const TCase& c : cases) {
    TEyeMotion m;
    m.FBlinkPos = -2;
    m.FBlinkEndTick = c.end;
    m.AdvanceBlink(c.now, true, c.interval, kSequenceLength);
    EXPECT_EQ(m.FBlinkPos, c.starts ? kSequenceLength - 1 : -2) << c.name;
  }
}

TEST(EyeMotion, BlinkingOffRestsAtTheFloorAndKeepsStampingTheEndTime) {
  TTicker t;
  t.blink = false;
  t.Tick();
  t.Tick();
  for (int i = 0; i < 1000; ++i) ASSERT_FALSE(t.Tick()) << "blinking off must not recompose on every tick";
  EXPECT_EQ(t.motion.FBlinkPos, TEyeMotion::kBlinkPosFloor);
  EXPECT_EQ(t.motion.FBlinkEndTick, t.now - 10);

  // Switched back on: the first automatic blink comes one interval later.
  t.blink = true;
  const std::uint32_t switchedOn = t.now;
  while (t.motion.FBlinkPos < 0) t.Tick();
  EXPECT_GT(t.now - 10 - switchedOn, 5000u - 10);
  EXPECT_LE(t.now - 10 - switchedOn, 5000u + 10);
}

TEST(EyeMotion, GazeAngleFollowsTheCursorAroundTheTrayCentre) {
  const double pi = std::numbers::pi;
  const std::tuple<TRect, TPoint, double> cases[] = {
      {kTray, {160, 590}, 0.0},      {kTray, {150, 600}, pi / 2}, {kTray, {140, 590}, pi},
      {kTray, {150, 580}, -pi / 2},  {kTray, {150, 590}, 0.0},    {kTray, {160, 600}, pi / 4},
      // The centre halves towards zero: a 5-wide rectangle from -3 has its centre at -1.
      {{-3, 0, 2, 0}, {-1, 0}, 0.0}, {{-3, 0, 2, 0}, {-2, 0}, pi},
      // No notification area: the eyes look from the screen's top-left corner.
      {{}, {0, 10}, pi / 2},
  };
  for (const auto& [tray, cursor, angle] : cases)
    EXPECT_DOUBLE_EQ(GazeAngle(tray, cursor), angle) << "tray " << tray.Left << "-" << tray.Right << ", cursor "
                                                     << cursor.X << "," << cursor.Y;
}

}  // namespace
}  // namespace tovi
