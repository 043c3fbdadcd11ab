#include "core/bitmap_list.h"

#include <gtest/gtest.h>

#include <map>

namespace tovi {
namespace {

constexpr TColorRef kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kGrey = 0x808080;

// A 3x2 picture from rows of letters: r red, g green, b blue, k black, n red off by one step.
TRaster Picture(const char* top, const char* bottom) {
  const std::map<char, TColorRef> colours = {{'r', kRed}, {'g', kGreen}, {'b', kBlue}, {'k', kBlack}, {'n', 0x0000FE}};
  TRaster picture(3, 2);
  for (int x = 0; x < 3; ++x) {
    picture.SetPixel(x, 0, colours.at(top[x]));
    picture.SetPixel(x, 1, colours.at(bottom[x]));
  }
  return picture;
}

TEST(BitmapList, KeyColourIsTheBottomLeftPixelWhereverItLies) {
  TBitmapList list;
  list.Add(Picture("grn", "rbk"));  // red key; one red pixel in the middle of the top row
  EXPECT_EQ(list.Bitmap(0), Picture("gkn", "kbk")) << "every red pixel reads back black after Add";
  EXPECT_EQ(list.Mask(0).Pixel(1, 0), kWhite);
  EXPECT_EQ(list.Mask(0).Pixel(2, 0), kBlack) << "one step off the key stays opaque";
  EXPECT_EQ(list.Mask(0).Pixel(2, 1), kBlack) << "opaque black is not the key";

  TRaster target(3, 2, kGrey);
  TRasterCanvas canvas(target);
  list.Draw(canvas, 0, 0, 0);
  EXPECT_EQ(target.Pixel(0, 0), kGreen);
  EXPECT_EQ(target.Pixel(1, 0), kGrey) << "a key pixel inside the picture is transparent";
  EXPECT_EQ(target.Pixel(2, 0), 0x0000FEu);
  EXPECT_EQ(target.Pixel(0, 1), kGrey);
  EXPECT_EQ(target.Pixel(2, 1), kBlack) << "opaque black is drawn black over any background";
}

TEST(BitmapList, BlackKeyLeavesThePictureAsItWas) {
  TBitmapList list;
  const TRaster original = Picture("gkb", "kkr");
  list.Add(original);
  EXPECT_EQ(list.Bitmap(0), original);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(list.Mask(0).Pixel(x, y), original.Pixel(x, y) == kBlack ? kWhite : kBlack) << x << "," << y;
}

TEST(BitmapList, IndicesOutsideTheListDrawNothingAndCopyModeIsKept) {
  TBitmapList list;
  TRaster target(4, 4, kGrey);
  TRasterCanvas canvas(target);
  canvas.SetCopyMode(TRasterOp::Or);
  list.Draw(canvas, 0, 0, 0);
  list.Add(Picture("ggg", "rgg"));
  list.Add(Picture("bbb", "kbb"));
  EXPECT_EQ(list.Count(), 2);
  for (std::int32_t index : {-1, 2, 1000000}) list.Draw(canvas, 0, 0, index);
  EXPECT_EQ(target, TRaster(4, 4, kGrey));

  list.Draw(canvas, 0, 0, 1);
  EXPECT_EQ(canvas.CopyMode(), TRasterOp::Or) << "Draw restores the copy mode it found";
  EXPECT_EQ(target.Pixel(0, 0), kBlue) << "the second picture added has index 1";
}

TEST(BitmapList, EmptyPictureGetsAnEmptyMaskAndDrawsNothing) {
  TBitmapList list;
  list.Add(TRaster(0, 5));
  EXPECT_EQ(list.Mask(0).Width(), 0);
  EXPECT_EQ(list.Mask(0).Height(), 5);
  TRaster target(2, 2, kGrey);
  TRasterCanvas canvas(target);
  list.Draw(canvas, 0, 0, 0);
  EXPECT_EQ(target, TRaster(2, 2, kGrey));
}

}  // namespace
}  // namespace tovi
