#include "core/eyes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <numbers>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/round_off.h"
#include "letter_picture.h"

namespace tovi {
namespace {

constexpr TColorRef kKey = 0xFF00FF, kOutline = 0x202020, kPupil = 0x402010, kLid = 0x7090E0;
const double pi = std::numbers::pi;

// '.' black, 'w' white, 'o' outline, 'p' pupil, 'l' lid, 'k' key.
const testing::TLegend kLegend{".woplk", {kBlack, kWhite, kOutline, kPupil, kLid, kKey}};

// Row y of a picture as letters, or with a column x >= 0 that column.
std::string Line(const TRaster& picture, int y, int x = -1) {
  const std::vector<std::string> rows = kLegend.Rows(picture);
  if (x < 0) return rows.at(y);
  std::string column;
  for (const std::string& row : rows) column += row.at(x);
  return column;
}

TEST(PupilTopLeft, FollowsTheGazeFurtherInLargerPictures) {
  // 3 cos 135 = -2.12 rounds to -2; 3.75 cos 45 = 2.65 to 3; halves (3 cos 60 = 1.5, 4.5 at 24) away from zero.
  // The four straight directions at 16 show in the composed eye.
  const std::tuple<int, double, TPoint> cases[] = {
      {16, pi / 4, {7, 7}}, {16, -3 * pi / 4, {3, 3}}, {16, -pi / 3, {7, 2}}, {20, 0, {10, 6}},
      {20, pi / 4, {9, 9}}, {20, -pi / 2, {6, 2}},     {24, 0, {12, 7}},      {24, pi, {2, 7}},
  };
  for (const auto& [size, theta, topLeft] : cases)
    EXPECT_EQ(PupilTopLeft(theta, EyeGeometry(size)), topLeft) << size << " at " << theta;
  EXPECT_DOUBLE_EQ(RoundOff(2, 2.25), 2.3) << "two places: tenths";
}

// An eye whose column 0 is the key and column 1 the outline; eyelids 4, 8 and
// size - 1 rows deep over all columns but the last; a 5x5 pupil in a frame of key.
TImageSet Eye(int size = 16) {
  TImageSet images;
  images.FBaseBitmap = TRaster(size, size, kWhite);
  images.FBaseBitmap.Draw(TRaster(2, size, kOutline), 0, 0, TRasterOp::Copy);
  images.FBaseBitmap.Draw(TRaster(1, size, kKey), 0, 0, TRasterOp::Copy);
  images.FBaseMask = MakeMask(images.FBaseBitmap, kKey);
  for (int rows : {4, 8, size - 1}) {
    TRaster lid(size, size, kKey);
    lid.Draw(TRaster(size - 1, rows, kLid), 0, 0, TRasterOp::Copy);
    images.FCapList.Add(lid);
  }
  images.FBlinkSequence = BlinkSequence(3);
  TRaster pupil(7, 7, kKey);
  pupil.Draw(TRaster(5, 5, kPupil), 1, 1, TRasterOp::Copy);
  images.FEyeList.Add(pupil);
  return images;
}

TEST(ComposeEye, ThePupilOfTheTypeWhereTheGazePointsUnderTheBlinksLidOutsideBlack) {
  // Pupil type (TEyes' test shows another), angle, blink step (the sequence 0 1 2 1 0 of lids 4, 8, 15 deep);
  // row y, or column x if not -1, of the picture.
  const std::tuple<std::int32_t, double, std::int32_t, int, int, const char*> cases[] = {
      {0, 0, -2, 8, -1, ".owwwwwwwpppppww"},  {0, pi, -2, 8, -1, ".owpppppwwwwwwww"},
      {0, pi / 2, -2, 0, 8, "wwwwwwwwwpppppww"}, {0, -pi / 2, -2, 0, 8, "wwwpppppwwwwwwww"},
      {0, pi, -1, 0, 1, "oooooooooooooooo"},  {0, pi, 0, 0, 1, "lllloooooooooooo"},
      {0, pi, 5, 0, 14, "wwwwwwwwwwwwwwww"},  {0, pi, 4, 3, -1, ".llllllllllllllw"},
  };
  const TImageSet eye = Eye();
  for (const auto& [type, theta, step, y, x, expected] : cases)
    EXPECT_EQ(Line(ComposeEye(eye, IconMask(eye.FBaseMask), type, theta, step).Colours, y, x), expected)
        << "type " << type << " at " << theta << ", step " << step << ", row " << y << ", column " << x;
  EXPECT_EQ(IconMask(TRaster(40, 20, kBlack)), TRaster(16, 16, kBlack)) << "a larger base is cut";
  EXPECT_EQ(Line(IconMask(TRaster(4, 4, kBlack)), 3), "....wwwwwwwwwwww") << "beyond a smaller one, transparent";
}

TEST(GazeAngle, FollowsTheCursorAroundTheTrayCentre) {
  // A 5-wide rectangle from -3 has its centre at -1, halving towards zero; with
  // no notification area the eyes look from the screen's top-left corner.
  constexpr TRect kTray{100, 580, 200, 600};
  const std::tuple<TRect, TPoint, double> cases[] = {
      {kTray, {150, 600}, pi / 2}, {kTray, {140, 590}, pi}, {kTray, {150, 580}, -pi / 2}, {kTray, {150, 590}, 0.0},
      {kTray, {160, 600}, pi / 4}, {{-3, 0, 2, 0}, {-2, 0}, pi}, {{}, {0, 10}, pi / 2},
  };
  for (const auto& [tray, cursor, angle] : cases)
    EXPECT_DOUBLE_EQ(GazeAngle(tray, cursor), angle) << tray.Left << ", cursor " << cursor.X << "," << cursor.Y;
}

// What a tick asked for: "-" for nothing, "open", or how many rows the eyelid covers.
std::string Shown(const std::optional<TEyePicture>& picture) {
  if (!picture) return "-";
  int rows = 0;
  while (rows < 16 && picture->Colours.Pixel(14, rows) == kLid) ++rows;
  return rows == 0 ? "open" : std::to_string(rows);
}

// Runs steps on new eyes: "+N" ticks N ms after the tick before (or the start),
// "N*+M" ticks N times, M ms apart; "sN" lets N ms pass without a tick, as
// while the eyes sleep; "iN" sets the blink interval, "tN" the pupil; "click", "wake" comes back from rest, "off"
// and "on" switch blinking, "@X,Y" moves the cursor (first right of the tray),
// "?" tells when the next tick is due: "~" in a tick, "z" still for good,
// "zN" still until a blink N ms on. A tick tells what it showed (Shown).
std::string RunEyes(std::uint32_t start, std::int32_t interval, const std::string& stepList) {
  TEyes eyes(Eye());
  EyeSettings settings{.FBlinkInterval = interval};
  TTickInputs inputs{start, {300, 590}, {100, 580, 200, 600}};
  std::string shown;
  const auto say = [&shown](const std::string& what) { shown += (shown.empty() ? "" : " ") + what; };
  std::istringstream steps(stepList);
  for (std::string step; steps >> step;) {
    int times = 1;
    if (const std::size_t star = step.find('*'); star != std::string::npos) {
      times = std::stoi(step.substr(0, star));
      step.erase(0, star + 1);
    }
    if (step == "click") eyes.StartBlink();
    else if (step == "wake") eyes.Wake(inputs.Now);
    else if (step == "off" || step == "on") settings.FBlink = step == "on";
    else if (step[0] == 's') inputs.Now += static_cast<std::uint32_t>(std::stoul(step.substr(1)));
    else if (step[0] == 'i') settings.FBlinkInterval = std::stoi(step.substr(1));
    else if (step[0] == 't') settings.FType = std::stoi(step.substr(1));
    else if (step[0] == '@') std::sscanf(step.c_str(), "@%d,%d", &inputs.Cursor.X, &inputs.Cursor.Y);
    else if (step == "?") {
      const TNextTick next = eyes.NextTick(inputs.Now, settings);
      say(!next.Still ? (next.In == kTickMilliseconds ? "~" : "[not still, yet no tick]")
                      : "z" + (next.In ? std::to_string(*next.In) : ""));
    } else {
      for (int i = 0; i < times; ++i) {
        inputs.Now += static_cast<std::uint32_t>(std::stoul(step.substr(1)));
        say(Shown(eyes.Tick(inputs, settings)));
      }
    }
  }
  return shown;
}

TEST(Eyes, BlinkOnTheirOwnOrWhenClickedShowOnlyANewFrameOrAngleAndTickOnlyWhileAnythingMayChange) {
  // Why, the clock at the start, the blink interval; the steps (RunEyes), and what
  // the ticks showed. Lids of one blink: 4, 8, 15, 8, 4 rows.
  const std::tuple<const char*, std::uint32_t, std::int32_t, const char*, const char*> cases[] = {
      {"blinking off never blinks, and the interval counts from its last tick", 1000, 5000,
       "+0 +10 off +5000 +5000 on +5 +4995 +1", "open open - - - - 4"},
      // The tick steps back before drawing, so a click's blink starts one frame in.
      {"a click blinks, and starts again from the end during a blink", 1000, 5000,
       "+0 +10 click 2*+10 click 7*+10", "open open 8 15 8 15 8 4 open open -"},
      {"waking ends a blink", 1000, 5000, "+0 +10 click +10 wake +10 +10", "open open 8 open -"},
      // When the next tick is due ("?"): the two first ticks show the open eye, then each tick shows nothing new.
      {"still after five ticks with nothing new, until one past the interval from the blink's end", 1000, 5000,
       "+0 +10 ? 4*+10 ? +10 ? +4951 ?", "open open ~ - - - - ~ - z4951 4 ~"},
      {"blinking off: still for good, yet a click blinks, ticking", 1000, 5000, "off +0 +10 5*+10 ? click ? 7*+10",
       "open open - - - - - z ~ 8 15 8 4 open open -"},
      {"across the counter's wrap", 0xFFFFFFE0u, 5000, "+0 +10 5*+10 ? +4950 +1", "open open - - - - - z4951 - 4"},
      {"a huge interval: still, and never early", 1000, INT32_MAX, "+0 +10 5*+10 ? +2147483597 +1",
       "open open - - - - - z2147483598 - 4"},
      {"a negative interval blinks at once, for ever", 1000, -1, "+0 +10 10*+10 ?",
       "open open 4 8 15 8 4 open open 4 8 15 ~"},
      {"a cursor moved ticks; (10, 5) to (20, 10) from the centre keeps the angle", 1000, 5000,
       "+0 +10 5*+10 @160,595 +10 ? @170,600 +10 @170,601 +10", "open open - - - - - open ~ - open"},
      {"another pupil shows at the next tick", 1000, 5000, "+0 +10 5*+10 t1 +10 +10", "open open - - - - - open -"},
      {"waking shows the eyes at once, ticking, and blinks an interval after it", 1000, 5000,
       "+0 +10 +3000 4*+10 wake ? +10 +4990 +1", "open open - - - - - ~ open - 4"},
      {"a shorter interval, just or long passed, ticks for the blink", 1000, 5000, "+0 +10 5*+10 i49 ? i20 ? +0",
       "open open - - - - - ~ ~ 4"},
      // As the ticks skipped while still would have moved it, the blink's end follows the clock while blinking is off.
      {"blinking turned on after a long sleep counts the interval from then", 1000, 5000,
       "off +0 +10 5*+10 s60000 on +0 ? +4991", "open open - - - - - - z4991 4"},
  };
  for (const auto& [reason, start, interval, steps, expected] : cases)
    EXPECT_EQ(RunEyes(start, interval, steps), expected) << reason;
}

TEST(EyeSizes, PicturesFillMostOfTheIconWithWholeCentredBlocks) {
  const std::pair<int, int> sizes[] = {{16, 16}, {28, 24}, {32, 16}, {40, 20}, {48, 24}, {64, 16}, {12, 16}};
  for (const auto& [icon, picture] : sizes) EXPECT_EQ(PictureSizeFor(icon), picture) << icon;
  EXPECT_EQ(PictureSizeFor(24, std::vector{16}), 16) << "only the 16-pixel set";
  const std::tuple<int, int, TIconBlocks> blocks[] = {
      {16, 32, {2, 0}}, {16, 40, {2, 4}}, {16, 48, {3, 0}}, {24, 28, {1, 2}}, {16, 23, {1, 3}}, {16, 15, {1, 0}}};
  for (const auto& [picture, icon, expected] : blocks)
    EXPECT_EQ(IconBlocks(picture, icon), expected) << picture << " in " << icon;
}

TEST(EnlargeEye, MakesEveryPixelAUniformBlockInATransparentMargin) {
  const TEyePicture picture{kLegend.Picture({"opl", "lwo", "plw"}), kLegend.Picture({"w..", "...", "..."})};
  const TEyePicture big = EnlargeEye(picture, 8);
  const std::pair<TRaster, std::vector<std::string>> cases[] = {
      {big.Colours, {"........", ".ooppll.", ".ooppll.", ".llwwoo.", ".llwwoo.", ".ppllww.", ".ppllww.", "........"}},
      {big.Mask, {"wwwwwwww", "www....w", "www....w", "w......w", "w......w", "w......w", "w......w", "wwwwwwww"}},
      // No whole double fits: one to one, the margin right and below.
      {EnlargeEye(picture, 4).Colours, {"opl.", "lwo.", "plw.", "...."}},
  };
  for (const auto& [enlarged, rows] : cases) EXPECT_EQ(enlarged, kLegend.Picture(rows)) << rows[1];
}

TEST(Eyes, ComposeAtTheirPictureSizeShowAtTheIconSizeAndAnotherSizeFromTheNextTick) {
  TEyes eyes(Eye(24), 24, 48);
  const TTickInputs right{1000, {500, 10}, {0, 0, 20, 20}};  // the cursor right of the tray's centre
  const std::optional<TEyePicture> shown = eyes.Tick(right, {});
  const std::optional<TEyePicture> typeOne = eyes.Tick(right, {.FType = 1});  // the blink's end
  ASSERT_TRUE(shown && typeOne);
  // At 24 the pupil's core spans x 13 to 17: in 2-pixel blocks 26 to 35. Type 1 has no pupil.
  EXPECT_EQ(std::tuple(Line(shown->Colours, 16), Line(typeOne->Colours, 16)),
            std::tuple("..oowwwwwwwwwwwwwwwwwwwwwwppppppppppwwwwwwwwwwww",
                       "..oowwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww"));
  eyes.Resize(Eye(24), 24, 24);
  const std::optional<TEyePicture> smaller = eyes.Tick(right, {});
  ASSERT_TRUE(smaller) << "a new size is shown at the next tick, though nothing else is new";
  EXPECT_EQ(Line(smaller->Colours, 8), ".owwwwwwwwwwwpppppwwwwww");
}

}  // namespace
}  // namespace tovi
