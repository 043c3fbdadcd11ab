#include "toolkit/icon.h"

#include <gtest/gtest.h>

#include <tuple>

#include "memory_surface.h"
#include "toolkit/display_scale.h"

namespace tovi {
namespace {

constexpr TColorRef kRed = 0x0000FF, kGreen = 0x00FF00;

TEST(IconFromPicture, WhiteMaskShowsTheBackgroundAndTheRestThePicture) {
  // 20 wide, so that a mask row is padded. Opaque from (3, 4) to (17, 11): red, but for a column of black.
  TRaster picture(20, 16, kBlack), mask(20, 16, kWhite), expected(20, 16, kGreen);
  picture.Draw(TRaster(14, 8, kRed), 4, 4, TRasterOp::Copy);
  mask.Draw(TRaster(15, 8, kBlack), 3, 4, TRasterOp::Copy);
  expected.Draw(TRaster(15, 8, kBlack), 3, 4, TRasterOp::Copy);
  expected.Draw(TRaster(14, 8, kRed), 4, 4, TRasterOp::Copy);
  const TIcon icon(IconFromPicture(picture, mask));
  const testing::TSurface target(20, 16, kGreen);
  ASSERT_TRUE(DrawIconEx(target.Dc.Get(), 0, 0, icon.Handle(), 20, 16, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(target.Picture(), expected);
  const testing::TSurface maskDrawn(20, 16, kWhite);
  ASSERT_TRUE(DrawIconEx(maskDrawn.Dc.Get(), 0, 0, icon.Handle(), 20, 16, 0, nullptr, DI_MASK));
  EXPECT_EQ(maskDrawn.Picture(), mask) << "the mask alone";
}

TEST(TrayIconSize, IsTheSmallIconAtTheDisplayScaleOfTheTaskBar) {
  EXPECT_EQ(std::tuple(TaskBarDpi(), WindowDpi(nullptr), SmallIconMetric(96)), std::tuple(96, 96, 16));
}

}  // namespace
}  // namespace tovi
