#include "core/raster.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>
#include <vector>

#include "core/bitmap_list.h"
#include "letter_picture.h"

namespace tovi {
namespace {

using enum TRasterOp;
constexpr TColorRef kDest = 0x00F0F00F, kSrc = 0x003C3CC3, kGrey = 0x808080;

// Letters: d kDest, s kSrc, a (s AND d), o (s OR d); r red, g green, b blue, k black, w white, e grey,
// n red off by one.
const testing::TLegend kLegend{"dsaorgbkwen", {kDest, kSrc, kSrc & kDest, kSrc | kDest, 0x0000FF, 0x00FF00, 0xFF0000,
                                                kBlack, kWhite, kGrey, 0x0000FE}};

TRaster Picture(const std::vector<std::string>& rows) { return kLegend.Picture(rows); }

TEST(Raster, KeepsPixelsInDibOrderRefusesSizesItCannotHoldAndDrawsClippedAtEveryEdge) {
  TRaster r(2, 1);
  r.SetPixel(1, 0, 0x00112233);  // blue 0x11, green 0x22, red 0x33
  EXPECT_EQ(std::tuple(r.Pixel(1, 0), r.Bits()[1]), std::tuple(0x00112233u, 0x00332211u)) << "DIB: red third";
  EXPECT_THROW(TRaster(-1, 4), std::length_error);
  EXPECT_THROW(TRaster(100000, 100000), std::length_error);
  // A 2x2 source drawn at (x, y) on a 4x4 destination; what the destination then holds.
  const std::tuple<int, int, TRasterOp, std::vector<std::string>> cases[] = {
      {1, 1, Copy, {"dddd", "dssd", "dssd", "dddd"}}, {1, 1, And, {"dddd", "daad", "daad", "dddd"}},
      {1, 1, Or, {"dddd", "dood", "dood", "dddd"}},   {-1, 0, Copy, {"sddd", "sddd", "dddd", "dddd"}},
      {0, -1, Copy, {"ssdd", "dddd", "dddd", "dddd"}}, {3, 2, Copy, {"dddd", "dddd", "ddds", "ddds"}},
      {2, 3, Or, {"dddd", "dddd", "dddd", "ddoo"}},   {-1, -1, And, {"addd", "dddd", "dddd", "dddd"}},
      {4, 0, Copy, {"dddd", "dddd", "dddd", "dddd"}}, {-2147483647, 2147483647, Copy, {"dddd", "dddd", "dddd", "dddd"}},
  };
  for (const auto& [x, y, op, rows] : cases) {
    TRaster dest(4, 4, kDest);
    dest.Draw(TRaster(2, 2, kSrc), x, y, op);
    EXPECT_EQ(dest, Picture(rows)) << "op " << static_cast<int>(op) << " at (" << x << ", " << y << ")";
  }
}

TEST(BitmapList, KeepsEachPicturesKeyTransparentAndDrawsByIndexInTheCopyModeItFound) {
  TBitmapList list;
  list.Add(Picture({"grn", "rbk"}));  // red key, also in the middle of the top row
  list.Add(TKeyedPicture{Picture({"grn", "rbk"}), 0x00FF00});  // part of a picture whose bottom-left is green
  list.Add(TRaster(0, 5));
  EXPECT_EQ(std::tuple(list.Count(), list.Bitmap(0), list.Mask(0), list.Bitmap(1), list.Mask(1), list.Mask(2).Height()),
            std::tuple(3, Picture({"gkn", "kbk"}), Picture({"kwk", "wkk"}), Picture({"krn", "rbk"}),
                       Picture({"wkk", "kkk"}), 5))
      << "the key reads back black and white in the mask: one step off the key, and black, stay opaque";
  for (const auto& [index, drawn] : {std::pair(0, Picture({"gen", "ebk"})), std::pair(1, Picture({"ern", "rbk"}))}) {
    TRaster target(3, 2, kGrey);
    TRasterCanvas canvas(target);
    canvas.SetCopyMode(And);
    for (const std::int32_t outside : {-1, 2, 3, 1000000}) list.Draw(canvas, 0, 0, outside);
    EXPECT_EQ(target, TRaster(3, 2, kGrey)) << "an empty picture or a missing index draws nothing";
    list.Draw(canvas, 0, 0, index);
    EXPECT_EQ(std::tuple(target, canvas.CopyMode()), std::tuple(drawn, And)) << "picture " << index;
  }
}

}  // namespace
}  // namespace tovi
