#include "core/eyes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <numbers>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/round_off.h"

namespace tovi {
namespace {

constexpr TColorRef kKey = 0xFF00FF, kOutline = 0x202020, kEyeWhite = 0xFFFFFF, kPupil = 0x402010, kLid = 0x7090E0;
const double pi = std::numbers::pi;

TEST(RoundOff, RoundsHalvesAwayFromZero) {
  const std::pair<double, double> cases[] = {{2.5, 3}, {-2.5, -3}, {2.4999, 2}, {-0.5, -1}, {0.49, 0}, {0.5, 1}, {-2.99, -3}};
  for (const auto& [x, rounded] : cases) EXPECT_EQ(RoundOff(1, x), rounded) << x;
  EXPECT_DOUBLE_EQ(RoundOff(2, 2.25), 2.3) << "two places: tenths";
}

TEST(PupilTopLeft, FollowsTheGazeAngle) {
  const std::tuple<const char*, double, TPoint> cases[] = {
      {"right", 0, {8, 5}},       {"below", pi / 2, {5, 8}},       {"left", pi, {2, 5}},
      {"above", -pi / 2, {5, 2}}, {"below right", pi / 4, {7, 7}},
      {"above left", -3 * pi / 4, {3, 3}},  // 3 cos 135 = -2.12: rounds to -2
  };
  for (const auto& [direction, theta, topLeft] : cases) EXPECT_EQ(PupilTopLeft(theta), topLeft) << direction;
}

// A 16x16 eye whose column 0 is the key (outside the eye) and column 1 the
// outline; eyelid frames 4, 8 and 15 rows deep over all columns but the last; a 5x5
// pupil in a 7x7 frame of key.
TImageSet Eye() {
  TImageSet images;
  images.FBaseBitmap = TRaster(16, 16, kEyeWhite);
  images.FBaseBitmap.Draw(TRaster(2, 16, kOutline), 0, 0, TRasterOp::Copy);
  images.FBaseBitmap.Draw(TRaster(1, 16, kKey), 0, 0, TRasterOp::Copy);
  images.FBaseMask = MakeMask(images.FBaseBitmap, kKey);
  for (int rows : {4, 8, 15}) {
    TRaster lid(16, 16, kKey);
    lid.Draw(TRaster(15, rows, kLid), 0, 0, TRasterOp::Copy);
    images.FCapList.Add(lid);
  }
  images.FBlinkSequence = BlinkSequence(3);
  TRaster pupil(7, 7, kKey);
  pupil.Draw(TRaster(5, 5, kPupil), 1, 1, TRasterOp::Copy);
  images.FEyeList.Add(pupil);
  return images;
}

TEST(ComposeEye, DrawsThePupilOfTheTypeWhereTheGazePoints) {
  TImageSet eye = Eye();
  const TRaster mask = IconMask(eye.FBaseMask);
  for (const double theta : {0.0, pi / 2, pi, -pi / 2}) {
    const TPoint at = PupilTopLeft(theta);
    const TRaster picture = ComposeEye(eye, mask, 0, theta, -2).Colours;
    EXPECT_EQ(std::tuple(picture.Pixel(at.X + 1, at.Y + 1), picture.Pixel(at.X + 5, at.Y + 5),
                         picture.Pixel(at.X, at.Y), picture.Pixel(at.X + 6, at.Y + 6)),
              std::tuple(kPupil, kPupil, kEyeWhite, kEyeWhite))
        << "pupil's corners, and its key border transparent, at theta " << theta;
  }
  TImageSet noPupils = Eye();
  noPupils.FEyeList.Clear();
  const TEyePicture bare = ComposeEye(noPupils, mask, 0, 1.0, -2);
  EXPECT_EQ(bare.Colours.Pixel(10, 11), kEyeWhite) << "no pupil pictures, no pupil at (7, 8) + (3, 3)";
  for (std::int32_t type : {1, -1, INT32_MIN}) EXPECT_EQ(ComposeEye(eye, mask, type, 1.0, -2), bare) << type;
}

TEST(ComposeEye, BlinkFramesFollowTheSequenceOverTheOutlineAndVanishOutsideIt) {
  const TImageSet eye = Eye();
  // Blink positions -2 to 5: no lid, then the sequence 0 1 2 1 0 of lids 4, 8, 15 rows deep, then none.
  const int lidRows[] = {0, 0, 4, 8, 15, 8, 4, 0};
  for (std::int32_t pos = -2; pos <= 5; ++pos) {
    const TRaster picture = ComposeEye(eye, IconMask(eye.FBaseMask), 0, 2.0, pos).Colours;
    const int rows = lidRows[pos + 2];
    for (int y = 0; y < 16; ++y) {
      EXPECT_EQ(picture.Pixel(0, y), kBlack) << "outside the eye, step " << pos << ", row " << y;
      EXPECT_EQ(picture.Pixel(1, y), y < rows ? kLid : kOutline) << "step " << pos << ", row " << y;
      EXPECT_EQ(std::tuple(picture.Pixel(14, y), picture.Pixel(15, y)),
                std::tuple(y < rows ? kLid : kEyeWhite, kEyeWhite))
          << "the lid's last column and the column it leaves free, step " << pos << ", row " << y;
    }
  }
}

TEST(IconMask, CutsOrWidensTheBaseMaskToTheIcon) {
  TRaster widened(16, 16, kWhite);
  widened.Draw(TRaster(4, 4, kBlack), 0, 0, TRasterOp::Copy);
  EXPECT_EQ(IconMask(TRaster(4, 4, kBlack)), widened) << "beyond a small base the icon is transparent";
  EXPECT_EQ(IconMask(TRaster(40, 20, kBlack)), TRaster(16, 16, kBlack));
}

constexpr TRect kTray{100, 580, 200, 600};  // centre (150, 590)

TEST(GazeAngle, FollowsTheCursorAroundTheTrayCentre) {
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

// What a tick asked for: "-" for nothing, "open", or how many rows the eyelid covers.
std::string Shown(const std::optional<TEyePicture>& picture) {
  if (!picture) return "-";
  int rows = 0;
  while (rows < 16 && picture->Colours.Pixel(14, rows) == kLid) ++rows;
  return rows == 0 ? "open" : std::to_string(rows);
}

TEST(Eyes, BlinkOnTheirOwnAndWhenClickedAndShowANewPictureOnlyForANewFrameOrAngle) {
  // Steps: "+N" ticks N ms after the tick before (or after Start), "click",
  // "wake" comes back from rest, "off" and "on" switch blinking, "@X,Y" moves the cursor (first at the tray's right).
  // The eyelid frames of one blink are 4, 8, 15, 8 and 4 rows deep.
  struct TCase {
    const char* Reason;
    std::uint32_t Start;
    std::int32_t Interval;
    const char* Steps;
    const char* Shown;
  };
  const TCase cases[] = {
      {"rests after the first ticks, blinks one past the interval", 1000, 5000,
       "+0 +10 +5000 +1 +10 +10 +10 +10 +10 +10 +10", "open open - 4 8 15 8 4 open open -"},
      {"across the counter's wrap", 0xFFFFEFF6u, 5000, "+0 +10 +5000 +1", "open open - 4"},
      {"a huge interval never passes early", 100, INT32_MAX, "+0 +10 +2147483647 +1", "open open - 4"},
      {"a negative interval blinks at once", 100, -1, "+0 +10 +0", "open open 4"},
      {"blinking off never blinks, and the interval counts from its last tick", 1000, 5000,
       "+0 +10 off +5000 +5000 on +10 +4990 +1", "open open - - - - 4"},
      // The tick steps back before drawing, so a click's blink starts one frame in.
      {"a click blinks, and starts again from the end during a blink", 1000, 5000,
       "+0 +10 click +10 +10 click +10 +10 +10 +10 +10 +10 +10", "open open 8 15 8 15 8 4 open open -"},
      {"with blinking off a click still blinks", 1000, 5000, "off +0 +10 click +10 +10 +10 +10 +10 +10 +10",
       "open open 8 15 8 4 open open -"},
      {"waking shows the eyes at once and blinks an interval after it", 1000, 5000,
       "+0 +10 +3000 wake +10 +4990 +1", "open open - open - 4"},
      {"waking ends a blink", 1000, 5000, "+0 +10 click +10 wake +10 +10", "open open 8 open -"},
      {"(10, 5) to (20, 10) from the centre keeps the angle", 1000, 5000, "+0 +10 @160,595 +10 @170,600 +10 @170,601 +10",
       "open open open - open"},
  };
  for (const TCase& c : cases) {
    TEyes eyes(Eye());
    EyeSettings settings{.FBlinkInterval = c.Interval};
    TTickInputs inputs{c.Start, {300, 590}, kTray};
    std::string shown;
    std::istringstream steps(c.Steps);
    for (std::string step; steps >> step;) {
      if (step == "click") eyes.StartBlink();
      else if (step == "wake") eyes.Wake(inputs.Now);
      else if (step == "off" || step == "on") settings.FBlink = step == "on";
      else if (step[0] == '@') std::sscanf(step.c_str(), "@%d,%d", &inputs.Cursor.X, &inputs.Cursor.Y);
      else {
        inputs.Now += static_cast<std::uint32_t>(std::stoul(step.substr(1)));
        shown += (shown.empty() ? "" : " ") + Shown(eyes.Tick(inputs, settings));
      }
    }
    EXPECT_EQ(shown, c.Shown) << c.Reason;
  }
}

TEST(Eyes, ShowThePupilChosenTurnedToTheCursorThroughTheIconMask) {
  // With the cursor below the tray the pupil's 5x5 core starts at (6, 9); pupil type 1 has no picture.
  for (const auto& [type, colour] : {std::pair(0, kPupil), std::pair(1, kEyeWhite)}) {
    TEyes eyes(Eye());
    const std::optional<TEyePicture> picture = eyes.Tick({1000, {150, 700}, kTray}, {.FType = type});
    ASSERT_TRUE(picture) << "the first tick always shows a picture";
    EXPECT_EQ(std::tuple(picture->Colours.Pixel(8, 11), picture->Mask.Pixel(0, 8), picture->Mask.Pixel(1, 8)),
              std::tuple(colour, kWhite, kBlack))
        << "type " << type << ": the pupil's middle; the mask outside the eye and on its outline";
  }
}

TEST(EyeGeometry, Scales16PixelLayout) {
  const TEyeGeometry cases[] = {{16, 8, 3.0, 3}, {20, 10, 3.75, 4}, {24, 12, 4.5, 5}, {32, 16, 6.0, 6}};
  for (const TEyeGeometry& geometry : cases) EXPECT_EQ(EyeGeometry(geometry.Size), geometry) << geometry.Size;
}

TEST(PupilTopLeft, TravelsFurtherInLargerPictures) {
  const std::tuple<int, double, TPoint> cases[] = {
      {20, 0, {10, 6}},       {20, pi, {2, 6}},        {20, pi / 4, {9, 9}},  {20, -pi / 2, {6, 2}},
      {24, 0, {12, 7}},       {24, pi, {2, 7}},        {24, pi / 2, {7, 12}}, {24, -pi / 2, {7, 2}},
      {24, pi / 4, {10, 10}},  // 4.5 cos 45 = 3.18
  };
  for (const auto& [size, theta, topLeft] : cases)
    EXPECT_EQ(PupilTopLeft(theta, EyeGeometry(size)), topLeft) << size << " at " << theta;
}

TEST(PictureSizeFor, FillsMostOfTheIconWithWholeBlocks) {
  const std::pair<int, int> cases[] = {{16, 16}, {20, 20}, {24, 24}, {28, 24}, {32, 16}, {36, 16},
                                       {40, 20}, {48, 24}, {64, 16}, {12, 16}, {22, 20}};
  for (const auto& [icon, picture] : cases) EXPECT_EQ(PictureSizeFor(icon), picture) << icon;
  EXPECT_EQ(PictureSizeFor(24, std::vector{16}), 16) << "only the 16-pixel set";
}

TEST(IconBlocks, TakesTheLargestWholeBlockAndCentresIt) {
  const std::tuple<int, int, TIconBlocks> cases[] = {
      {16, 16, {1, 0}}, {16, 20, {1, 2}}, {16, 24, {1, 4}}, {16, 32, {2, 0}}, {16, 40, {2, 4}},
      {16, 48, {3, 0}}, {24, 28, {1, 2}}, {16, 23, {1, 3}}, {16, 15, {1, 0}},
  };
  for (const auto& [picture, icon, blocks] : cases)
    EXPECT_EQ(IconBlocks(picture, icon), blocks) << picture << " in " << icon;
}

// Rows of a picture, one letter per colour: a 0x0a, b 0x0b, … ; '.' black, 'W' white.
std::vector<std::string> Rows(const TRaster& r) {
  std::vector<std::string> rows;
  for (int y = 0; y < r.Height(); ++y) {
    std::string row;
    for (int x = 0; x < r.Width(); ++x) {
      const TColorRef c = r.Pixel(x, y);
      row += c == kBlack ? '.' : c == kWhite ? 'W' : static_cast<char>('a' + c - 0x0a);
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(EnlargeEye, MakesEveryPixelAUniformBlockInATransparentMargin) {
  TEyePicture picture{TRaster(3, 3), TRaster(3, 3, kBlack)};
  for (int i = 0; i < 9; ++i) picture.Colours.SetPixel(i % 3, i / 3, 0x0a + static_cast<TColorRef>(i));
  picture.Mask.SetPixel(0, 0, kWhite);
  const TEyePicture big = EnlargeEye(picture, 8);
  EXPECT_EQ(Rows(big.Colours), (std::vector<std::string>{"........", ".aabbcc.", ".aabbcc.", ".ddeeff.", ".ddeeff.",
                                                         ".gghhii.", ".gghhii.", "........"}));
  EXPECT_EQ(Rows(big.Mask), (std::vector<std::string>{"WWWWWWWW", "WWW....W", "WWW....W", "W......W", "W......W",
                                                      "W......W", "W......W", "WWWWWWWW"}));
  EXPECT_EQ(Rows(EnlargeEye(picture, 4).Colours), (std::vector<std::string>{"abc.", "def.", "ghi.", "...."}))
      << "no whole double fits: one to one, the margin right and below";
}

TEST(Eyes, ComposeAtTheirPictureSizeAndShowAtTheIconSize) {
  // A 24-pixel white eye with one transparent pixel, and an 11x11 pupil.
  TImageSet images;
  images.FBaseBitmap = TRaster(24, 24, kWhite);
  images.FBaseBitmap.SetPixel(0, 5, 0xFF00FF);
  images.FBaseMask = MakeMask(images.FBaseBitmap, 0xFF00FF);
  images.FCapList.Add(TRaster(24, 24, 0xFF00FF));
  images.FBlinkSequence = BlinkSequence(1);
  TRaster pupil(11, 11, 0x0a);
  pupil.SetPixel(0, 10, 0xFF00FF);
  images.FEyeList.Add(pupil);
  TEyes eyes(images, 24, 48);
  const TTickInputs right{1000, {500, 10}, {0, 0, 20, 20}};  // the cursor right of the tray's centre
  const std::optional<TEyePicture> shown = eyes.Tick(right, {});
  ASSERT_TRUE(shown);
  EXPECT_EQ(std::tuple(shown->Colours.Width(), shown->Colours.Pixel(23, 13), shown->Colours.Pixel(24, 14),
                       shown->Colours.Pixel(45, 35), shown->Colours.Pixel(46, 36), shown->Mask.Pixel(1, 11)),
            std::tuple(48, kWhite, 0x0au, 0x0au, kWhite, kWhite))
      << "the pupil from (12, 7) to (22, 17) in 2x2 blocks; the transparent pixel (0, 5) a white block";
  eyes.Tick(right, {});  // the blink's end
  EXPECT_FALSE(eyes.Tick(right, {})) << "nothing new to show";
  eyes.Resize(images, 24, 24);
  const std::optional<TEyePicture> smaller = eyes.Tick(right, {});
  ASSERT_TRUE(smaller) << "a new size is shown at the next tick";
  EXPECT_EQ(std::tuple(smaller->Colours.Width(), smaller->Colours.Pixel(12, 7)), std::tuple(24, 0x0au));
}

}  // namespace
}  // namespace tovi
