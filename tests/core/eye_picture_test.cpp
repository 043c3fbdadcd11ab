#include "core/eye_picture.h"

#include <gtest/gtest.h>

#include <numbers>
#include <tuple>
#include <utility>

#include "core/round_off.h"

namespace tovi {
namespace {

constexpr TColorRef kKey = 0xFF00FF, kOutline = 0x202020, kEyeWhite = 0xFFFFFF, kPupil = 0x402010, kLid = 0x7090E0;
const double pi = std::numbers::pi;

TEST(RoundOff, RoundsHalvesAwayFromZero) {
  const std::pair<double, double> cases[] = {{2.5, 3}, {-2.5, -3}, {2.4999, 2}, {-0.5, -1}, {0.49, 0}, {-2.99, -3}};
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
// outline; eyelid frames 4, 8 and 15 rows deep over the whole width; a 5x5
// pupil in a 7x7 frame of key.
TImageSet Eye() {
  TImageSet images;
  images.FBaseBitmap = TRaster(16, 16, kEyeWhite);
  images.FBaseBitmap.Draw(TRaster(2, 16, kOutline), 0, 0, TRasterOp::Copy);
  images.FBaseBitmap.Draw(TRaster(1, 16, kKey), 0, 0, TRasterOp::Copy);
  images.FBaseMask = MakeMask(images.FBaseBitmap, kKey);
  for (int rows : {4, 8, 15}) {
    TRaster lid(16, 16, kKey);
    lid.Draw(TRaster(16, rows, kLid), 0, 0, TRasterOp::Copy);
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
    const TRaster picture = ComposeEye(eye, mask, 0, theta, -2);
    EXPECT_EQ(std::tuple(picture.Pixel(at.X + 1, at.Y + 1), picture.Pixel(at.X + 5, at.Y + 5),
                         picture.Pixel(at.X, at.Y), picture.Pixel(at.X + 6, at.Y + 6)),
              std::tuple(kPupil, kPupil, kEyeWhite, kEyeWhite))
        << "pupil's corners, and its key border transparent, at theta " << theta;
  }
  TImageSet noPupils = Eye();
  noPupils.FEyeList.Clear();
  const TRaster bare = ComposeEye(noPupils, mask, 0, 1.0, -2);
  EXPECT_EQ(bare.Pixel(10, 11), kEyeWhite) << "no pupil pictures, no pupil at (7, 8) + (3, 3)";
  for (std::int32_t type : {1, -1, INT32_MIN}) EXPECT_EQ(ComposeEye(eye, mask, type, 1.0, -2), bare) << type;
}

TEST(ComposeEye, BlinkFramesFollowTheSequenceOverTheOutlineAndVanishOutsideIt) {
  const TImageSet eye = Eye();
  // Blink positions -2 to 5: no lid, then the sequence 0 1 2 1 0 of lids 4, 8, 15 rows deep, then none.
  const int lidRows[] = {0, 0, 4, 8, 15, 8, 4, 0};
  for (std::int32_t pos = -2; pos <= 5; ++pos) {
    const TRaster picture = ComposeEye(eye, IconMask(eye.FBaseMask), 0, 2.0, pos);
    const int rows = lidRows[pos + 2];
    for (int y = 0; y < 16; ++y) {
      EXPECT_EQ(picture.Pixel(0, y), kBlack) << "outside the eye, step " << pos << ", row " << y;
      EXPECT_EQ(picture.Pixel(1, y), y < rows ? kLid : kOutline) << "step " << pos << ", row " << y;
      EXPECT_EQ(picture.Pixel(15, y), y < rows ? kLid : kEyeWhite) << "step " << pos << ", row " << y;
    }
  }
}

TEST(IconMask, CutsOrWidensTheBaseMaskToTheIcon) {
  TRaster widened(16, 16, kWhite);
  widened.Draw(TRaster(4, 4, kBlack), 0, 0, TRasterOp::Copy);
  EXPECT_EQ(IconMask(TRaster(4, 4, kBlack)), widened) << "beyond a small base the icon is transparent";
  EXPECT_EQ(IconMask(TRaster(40, 20, kBlack)), TRaster(16, 16, kBlack));
}

}  // namespace
}  // namespace tovi
