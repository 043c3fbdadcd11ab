#include "core/raster.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <stdexcept>
#include <tuple>

namespace tovi {
namespace {

TEST(Raster, KeepsPixelsInDibOrderAndRefusesSizesItCannotHold) {
  TRaster r(2, 1);
  r.SetPixel(1, 0, 0x00112233);  // blue 0x11, green 0x22, red 0x33
  EXPECT_EQ(std::tuple(r.Pixel(1, 0), r.Bits()[1]), std::tuple(0x00112233u, 0x00332211u)) << "DIB: red third";
  EXPECT_THROW(TRaster(-1, 4), std::length_error);
  EXPECT_THROW(TRaster(100000, 100000), std::length_error);
}

TEST(Raster, DrawCombinesAndClipsAtEveryEdge) {
  constexpr TColorRef kDest = 0x00F0F00F, kSrc = 0x003C3CC3;
  // A 2x2 source drawn at (x, y) on a 4x4 destination, which then holds, pixel
  // by pixel: d itself, s the source, a (s AND d), o (s OR d).
  const std::tuple<int, int, TRasterOp, std::array<const char*, 4>> cases[] = {
      {1, 1, TRasterOp::Copy, {"dddd", "dssd", "dssd", "dddd"}},
      {1, 1, TRasterOp::And, {"dddd", "daad", "daad", "dddd"}},
      {1, 1, TRasterOp::Or, {"dddd", "dood", "dood", "dddd"}},
      {-1, 0, TRasterOp::Copy, {"sddd", "sddd", "dddd", "dddd"}},
      {0, -1, TRasterOp::Copy, {"ssdd", "dddd", "dddd", "dddd"}},
      {3, 2, TRasterOp::Copy, {"dddd", "dddd", "ddds", "ddds"}},
      {2, 3, TRasterOp::Or, {"dddd", "dddd", "dddd", "ddoo"}},
      {-1, -1, TRasterOp::And, {"addd", "dddd", "dddd", "dddd"}},
      {4, 0, TRasterOp::Copy, {"dddd", "dddd", "dddd", "dddd"}},
      {-2147483647, 2147483647, TRasterOp::Copy, {"dddd", "dddd", "dddd", "dddd"}},
  };
  const std::map<char, TColorRef> colours = {{'d', kDest}, {'s', kSrc}, {'a', kSrc & kDest}, {'o', kSrc | kDest}};
  for (const auto& [x, y, op, rows] : cases) {
    TRaster dest(4, 4, kDest), expected(4, 4);
    dest.Draw(TRaster(2, 2, kSrc), x, y, op);
    for (int row = 0; row < 4; ++row)
      for (int column = 0; column < 4; ++column) expected.SetPixel(column, row, colours.at(rows[row][column]));
    EXPECT_EQ(dest, expected) << "op " << static_cast<int>(op) << " at (" << x << ", " << y << ")";
  }
}

}  // namespace
}  // namespace tovi
