#include "toolkit/icon.h"

#include <gtest/gtest.h>

#include "memory_surface.h"

namespace tovi {
namespace {

constexpr TColorRef kRed = 0x0000FF, kGreen = 0x00FF00;

TEST(IconFromPicture, WhiteMaskShowsTheBackgroundAndTheRestThePicture) {
  // 16 wide the mask alone makes the icon; 20 wide a mask row is padded and an alpha channel comes too.
  for (const int width : {16, 20}) {
    // Opaque from (3, 4) to (width - 3, 11): red, but for a column of black.
    TRaster picture(width, 16, kBlack), mask(width, 16, kWhite), expected(width, 16, kGreen);
    picture.Draw(TRaster(width - 6, 8, kRed), 4, 4, TRasterOp::Copy);
    mask.Draw(TRaster(width - 5, 8, kBlack), 3, 4, TRasterOp::Copy);
    expected.Draw(TRaster(width - 5, 8, kBlack), 3, 4, TRasterOp::Copy);
    expected.Draw(TRaster(width - 6, 8, kRed), 4, 4, TRasterOp::Copy);
    const TIcon icon(IconFromPicture(picture, mask));
    const testing::TSurface target(width, 16, kGreen), maskDrawn(width, 16, kWhite);
    ASSERT_TRUE(DrawIconEx(target.Dc.Get(), 0, 0, icon.Handle(), width, 16, 0, nullptr, DI_NORMAL)) << width;
    ASSERT_TRUE(DrawIconEx(maskDrawn.Dc.Get(), 0, 0, icon.Handle(), width, 16, 0, nullptr, DI_MASK)) << width;
    EXPECT_EQ(target.Picture(), expected) << width << " wide";
    EXPECT_EQ(maskDrawn.Picture(), mask) << width << " wide: the mask alone";
  }
}

}  // namespace
}  // namespace tovi
