#include "core/bitmap_list.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace tovi {
namespace {

constexpr TColorRef kGrey = 0x808080;

// A 3x2 picture from two rows of letters: r red, g green, b blue, k black, w white, e grey, n red off by one.
TRaster Picture(const char* top, const char* bottom) {
  const std::map<char, TColorRef> colours = {{'r', 0x0000FF}, {'g', 0x00FF00}, {'b', 0xFF0000}, {'k', kBlack},
                                             {'w', kWhite},   {'e', kGrey},    {'n', 0x0000FE}};
  TRaster picture(3, 2);
  for (int x = 0; x < 3; ++x) {
    picture.SetPixel(x, 0, colours.at(top[x]));
    picture.SetPixel(x, 1, colours.at(bottom[x]));
  }
  return picture;
}

TEST(BitmapList, TheBottomLeftColourIsTransparentWhereverItLies) {
  TBitmapList list;
  list.Add(Picture("grn", "rbk"));  // red key, also in the middle of the top row
  EXPECT_EQ(list.Bitmap(0), Picture("gkn", "kbk")) << "the key reads back black";
  EXPECT_EQ(list.Mask(0), Picture("kwk", "wkk")) << "black where opaque: one step off the key, and black, too";

  TRaster target(3, 2, kGrey);
  TRasterCanvas canvas(target);
  list.Draw(canvas, 0, 0, 0);
  EXPECT_EQ(target, Picture("gen", "ebk"));

  list.Add(TKeyedPicture{Picture("grn", "rbk"), 0x00FF00});  // part of a picture whose bottom-left is green
  EXPECT_EQ(std::tuple(list.Bitmap(1), list.Mask(1)), std::tuple(Picture("krn", "rbk"), Picture("wkk", "kkk")))
      << "the key given, not the part's own bottom-left colour";
}

TEST(BitmapList, DrawsByIndexNothingOutsideTheListAndKeepsTheCopyMode) {
  TBitmapList list;
  TRaster target(4, 4, kGrey);
  TRasterCanvas canvas(target);
  canvas.SetCopyMode(TRasterOp::And);
  list.Draw(canvas, 0, 0, 0);
  list.Add(Picture("ggg", "rgg"));
  list.Add(Picture("bbb", "kbb"));
  list.Add(TRaster(0, 5));
  EXPECT_EQ(list.Count(), 3);
  for (std::int32_t index : {-1, 2, 3, 1000000}) list.Draw(canvas, 0, 0, index);
  EXPECT_EQ(target, TRaster(4, 4, kGrey)) << "an empty picture or a missing index draws nothing";
  EXPECT_EQ(std::tuple(list.Mask(2).Width(), list.Mask(2).Height()), std::tuple(0, 5));

  list.Draw(canvas, 0, 0, 1);
  EXPECT_EQ(canvas.CopyMode(), TRasterOp::And) << "Draw puts back the mode it found";
  EXPECT_EQ(target.Pixel(0, 0), 0xFF0000u) << "the second picture added has index 1";
}

}  // namespace
}  // namespace tovi
