#include "core/eye_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>
#include <utility>

#include "core/round_off.h"

namespace tovi {
namespace {

constexpr TColorRef kKey = 0xFF00FF, kOutline = 0x202020, kEyeWhite = 0xFFFFFF, kPupil = 0x402010,
                    kLid = 0x7090E0;
const double pi = std::numbers::pi;

TEST(RoundOff, RoundsHalvesAwayFromZero) {
  const std::pair<double, double> cases[] = {{2.5, 3},  {-2.5, -3}, {2.4999, 2},      {-0.5, -1},
                                             {0.49, 0}, {3.0, 3},   {-2.9999999, -3}, {1e-17, 0}};
  for (const auto& [x, rounded] : cases) EXPECT_EQ(RoundOff(1, x), rounded) << x;
  EXPECT_DOUBLE_EQ(RoundOff(2, 2.25), 2.3) << "two places: tenths";
}

TEST(PupilTopLeft, FollowsTheGazeAngle) {
  const std::tuple<const char*, double, TPoint> cases[] = {
      {"right", 0, {8, 5}},        {"below", pi / 2, {5, 8}},   {"left", pi, {2, 5}},
      {"above", -pi / 2, {5, 2}},  {"below right", pi / 4, {7, 7}},
      {"above left", -3 * pi / 4, {3, 3}},  // 3 cos 135 = -2.12: rounds to -2
      {"left, just below", pi - 1e-9, {2, 5}},
  };
  for (const auto& [direction, theta, topLeft] : cases) EXPECT_EQ(PupilTopLeft(theta), topLeft) << direction;
}

// A 16x16 eye: key colour outside a ring of outline, white inside.
TRaster Base() {
  TRaster base(16, 16, kKey);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int d2 = (x - 8) * (x - 8) + (y - 8) * (y - 8);
      if (d2 <= 49) base.SetPixel(x, y, d2 >= 36 ? kOutline : kEyeWhite);
    }
  return base;
}

// The eye with eyelid frames 4, 8 and 15 rows deep over the whole width (the
// bottom-left pixel stays the key) and, if wanted, a 5x5 pupil in a 7x7 frame of key.
struct TEye {
  TImageSet images;
  TRaster mask;
  explicit TEye(bool withPupil = true) {
    images.FBaseBitmap = Base();
    images.FBaseMask = MakeMask(images.FBaseBitmap);
    for (int rows : {4, 8, 15}) {
      TRaster lid(16, 16, kKey);
      lid.Draw(TRaster(16, rows, kLid), 0, 0, TRasterOp::Copy);
      images.FCapList.Add(lid);
    }
    images.FBlinkSequence = BlinkSequence(3);
    TRaster pupil(7, 7, kKey);
    pupil.Draw(TRaster(5, 5, kPupil), 1, 1, TRasterOp::Copy);
    if (withPupil) images.FEyeList.Add(pupil);
    mask = IconMask(images.FBaseMask);
  }
};

TEST(ComposeEye, PutsThePupilWhereTheGazePoints) {
  TEye eye;
  for (const double theta : {0.0, pi / 2, pi, -pi / 2, pi / 4}) {
    const TPoint at = PupilTopLeft(theta);
    const TRaster picture = ComposeEye(eye.images, eye.mask, 0, theta, -2);
    EXPECT_EQ(picture.Pixel(at.X + 1, at.Y + 1), kPupil) << "pupil's core at theta " << theta;
    EXPECT_EQ(picture.Pixel(at.X + 3, at.Y + 3), kPupil) << "pupil's centre at theta " << theta;
    EXPECT_EQ(picture.Pixel(at.X, at.Y), Base().Pixel(at.X, at.Y))
        << "the pupil's key border is transparent, theta " << theta;
  }
  EXPECT_EQ(ComposeEye(eye.images, eye.mask, 0, 0.0, -2).Pixel(8, 8), kEyeWhite)
      << "looking right, the centre of the eye is white";
}

TEST(ComposeEye, BlinkFramesFollowTheSequenceAndVanishOutsideTheOutline) {
  TEye eye;
  // Blink positions -2 to 5: no lid, then the sequence 0 1 2 1 0 of lids 4, 8, 15 rows deep, then none.
  const int lidRows[] = {0, 0, 4, 8, 15, 8, 4, 0};
  for (std::int32_t pos = -2; pos <= 5; ++pos)
    for (const double theta : {0.0, 2.0, -2.5, pi}) {
      const TRaster picture = ComposeEye(eye.images, eye.mask, 0, theta, pos);
      const int rows = lidRows[pos + 2];
      EXPECT_TRUE(rows == 0 || picture.Pixel(8, rows - 1) == kLid) << "no lid at step " << pos;
      EXPECT_NE(picture.Pixel(8, rows), kLid) << "too deep a lid at step " << pos;
      // The lid paints all 16 columns; outside the eye it must vanish.
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
          ASSERT_TRUE(Base().Pixel(x, y) != kKey || picture.Pixel(x, y) == kBlack) << x << "," << y << " step " << pos;
    }
}

TEST(ComposeEye, NoPupilForAnIndexOutsideTheListOrAnEmptyList) {
  TEye withPupil;
  TEye withoutPupil(false);
  const TRaster bare = ComposeEye(withoutPupil.images, withoutPupil.mask, 0, 1.0, -2);
  EXPECT_EQ(bare.Pixel(8, 8), kEyeWhite);
  for (std::int32_t type : {1, -1, 1000, INT32_MIN})
    EXPECT_EQ(ComposeEye(withPupil.images, withPupil.mask, type, 1.0, -2), bare) << "type " << type;
}

TEST(IconMask, CutsOrWidensTheBaseMaskToTheIcon) {
  const TRaster small = IconMask(TRaster(4, 4, kBlack));
  EXPECT_EQ(small.Pixel(3, 3), kBlack);
  EXPECT_EQ(small.Pixel(4, 3), kWhite) << "beyond a small base the icon is transparent";
  EXPECT_EQ(small.Pixel(15, 15), kWhite);
  const TRaster large = IconMask(TRaster(40, 20, kBlack));
  EXPECT_EQ(large, TRaster(16, 16, kBlack));
  EXPECT_EQ(IconMask(TRaster()), TRaster(16, 16, kWhite));
}

}  // namespace
}  // namespace tovi
