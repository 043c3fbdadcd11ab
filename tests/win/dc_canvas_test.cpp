#include "toolkit/dc_canvas.h"

#include <gtest/gtest.h>

#include "core/bitmap_list.h"
#include "memory_surface.h"
#include "toolkit/icon.h"

namespace tovi {
namespace {

using testing::TSurface;

constexpr TColorRef kGrey = 0x808080, kRed = 0x0000FF, kGreen = 0x00FF00, kMagenta = 0xFF00FF;

TEST(DcCanvas, DrawsAListEntryTransparentlyOntoARealDc) {
  // 3x3 pupil: green cross on a magenta key, drawn partly off the left edge.
  TRaster pupil(3, 3, kMagenta), expected(4, 4, kGrey);
  pupil.Draw(TRaster(1, 3, kGreen), 1, 0, TRasterOp::Copy);
  pupil.Draw(TRaster(3, 1, kGreen), 0, 1, TRasterOp::Copy);
  expected.Draw(TRaster(1, 3, kGreen), 0, 1, TRasterOp::Copy);
  expected.SetPixel(1, 2, kGreen);
  TBitmapList list;
  list.Add(pupil);
  const TSurface target(4, 4, kGrey);
  TDcCanvas canvas(target.Dc.Get());
  list.Draw(canvas, -1, 1, 0);
  EXPECT_EQ(target.Picture(), expected);
}

TEST(DcCanvas, CopyModesCombineAsRasterOperations) {
  for (const auto& [op, expected] : {std::pair{TRasterOp::Copy, 0x0F0F0Fu}, {TRasterOp::And, 0x0F0F0Fu & 0x3C3C3C},
                                    {TRasterOp::Or, 0x0F0F0Fu | 0x3C3C3C}}) {
    const TSurface target(2, 2, 0x3C3C3C);
    TDcCanvas canvas(target.Dc.Get());
    canvas.SetCopyMode(op);
    canvas.Draw(1, 1, TRaster(1, 1, 0x0F0F0F));
    TRaster picture(2, 2, 0x3C3C3C);
    picture.SetPixel(1, 1, expected);
    EXPECT_EQ(target.Picture(), picture) << static_cast<int>(op);
  }
}

TEST(IconFromPicture, WhiteMaskShowsTheBackgroundAndTheRestThePicture) {
  // 16 pixels wide the mask alone makes the icon, 20 wide an alpha channel too; both must look alike.
  for (const int size : {16, 20}) {
    // Opaque from (3, 4) to (12, 11): red, but for a column of black that must stay black.
    TRaster picture(size, size, kBlack), mask(size, size, kWhite), expected(size, size, kGreen);
    picture.Draw(TRaster(9, 8, kRed), 4, 4, TRasterOp::Copy);
    mask.Draw(TRaster(10, 8, kBlack), 3, 4, TRasterOp::Copy);
    expected.Draw(TRaster(10, 8, kBlack), 3, 4, TRasterOp::Copy);
    expected.Draw(TRaster(9, 8, kRed), 4, 4, TRasterOp::Copy);
    const TIcon icon(IconFromPicture(picture, mask));
    const TSurface target(size, size, kGreen);
    ASSERT_TRUE(DrawIconEx(target.Dc.Get(), 0, 0, icon.Handle(), size, size, 0, nullptr, DI_NORMAL)) << size;
    EXPECT_EQ(target.Picture(), expected) << "an icon " << size << " pixels wide shows other pixels";
  }
}

}  // namespace
}  // namespace tovi
