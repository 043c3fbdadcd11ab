#include "toolkit/icon.h"

#include <gtest/gtest.h>

#include "memory_surface.h"

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
}

TEST(ResourceIconAtSize, EnlargesTheDrawnSizeThatFillsMostInWholeBlocks) {
  const auto drawn = [](int size) {
    const TIcon icon(ResourceIconAtSize(1, size));
    const testing::TSurface target(size, size, kGreen);
    DrawIconEx(target.Dc.Get(), 0, 0, icon.Handle(), size, size, 0, nullptr, DI_NORMAL);
    return target.Picture();
  };
  const TRaster small = drawn(16), large = drawn(48);
  ASSERT_NE(small, TRaster(16, 16, kGreen)) << "the program's icon at 16 pixels";
  int differing = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) differing += large.Pixel(x, y) != small.Pixel(x / 3, y / 3);
  EXPECT_EQ(differing, 0) << "at 48 pixels: the 16-pixel picture in blocks of 3";
}

}  // namespace
}  // namespace tovi
