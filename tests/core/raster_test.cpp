#include "core/raster.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace tovi {
namespace {

TEST(Raster, PixelsAreStoredInDibOrderAndReadAsColours) {
  TRaster r(2, 1);
  r.SetPixel(1, 0, 0x00112233);  // blue 0x11, green 0x22, red 0x33
  EXPECT_EQ(r.Pixel(1, 0), 0x00112233u);
  EXPECT_EQ(r.Bits()[1], 0x00332211u) << "a DIB keeps red in the third byte";
}

TEST(Raster, RefusesSizesItCannotHold) {
  EXPECT_THROW(TRaster(-1, 4), std::length_error);
  EXPECT_THROW(TRaster(100000, 100000), std::length_error);
  EXPECT_NO_THROW(TRaster(0, 0));
}

TEST(Raster, DrawCombinesAndClips) {
  constexpr TColorRef kDest = 0x00F0F00F, kSrc = 0x003C3CC3;
  // A 2x2 source drawn at (x, y) on a 4x4 destination, which then holds, pixel
  // by pixel: d itself, s the source, a (s AND d), o (s OR d).
  struct TCase {
    int x, y;
    TRasterOp op;
    const char* rows[4];
  };
  const TCase cases[] = {
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
  for (const TCase& c : cases) {
    TRaster dest(4, 4, kDest);
    dest.Draw(TRaster(2, 2, kSrc), c.x, c.y, c.op);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dest.Pixel(x, y), colours.at(c.rows[y][x]))
            << "op " << static_cast<int>(c.op) << " at (" << c.x << ", " << c.y << "): pixel " << x << "," << y;
  }
}

}  // namespace
}  // namespace tovi
