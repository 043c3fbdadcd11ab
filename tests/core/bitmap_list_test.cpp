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

TEST(BitmapList, KeepsEachPicturesKeyTransparentAndDrawsByIndexInTheCopyModeItFound) {
  TBitmapList list;
  list.Add(Picture("grn", "rbk"));  // red key, also in the middle of the top row
  list.Add(TKeyedPicture{Picture("grn", "rbk"), 0x00FF00});  // part of a picture whose bottom-left is green
  list.Add(TRaster(0, 5));
  EXPECT_EQ(std::tuple(list.Count(), list.Bitmap(0), list.Mask(0), list.Bitmap(1), list.Mask(1), list.Mask(2).Height()),
            std::tuple(3, Picture("gkn", "kbk"), Picture("kwk", "wkk"), Picture("krn", "rbk"), Picture("wkk", "kkk"), 5))
      << "the key reads back black and white in the mask: one step off the key, and black, stay opaque";
  for (const auto& [index, drawn] : {std::pair(0, Picture("gen", "ebk")), std::pair(1, Picture("ern", "rbk"))}) {
    TRaster target(3, 2, kGrey);
    TRasterCanvas canvas(target);
    canvas.SetCopyMode(TRasterOp::And);
    for (const std::int32_t outside : {-1, 2, 3, 1000000}) list.Draw(canvas, 0, 0, outside);
    EXPECT_EQ(target, TRaster(3, 2, kGrey)) << "an empty picture or a missing index draws nothing";
    list.Draw(canvas, 0, 0, index);
    EXPECT_EQ(std::tuple(target, canvas.CopyMode()), std::tuple(drawn, TRasterOp::And)) << "picture " << index;
  }
}

}  // namespace
}  // namespace tovi
