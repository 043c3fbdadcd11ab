#include "core/raster.h"

#include <gtest/gtest.h>

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

struct DrawCase {
  const char* name;
  int x, y;
  TRasterOp op;
  // Expected 4x4 destination, one character per pixel: d destination, s source,
  // a (s AND d), o (s OR d).
  const char* rows[4];
};

class RasterDraw : public ::testing::TestWithParam<DrawCase> {};

TEST_P(RasterDraw, CombinesAndClips) {
  constexpr TColorRef kDest = 0x00F0F00F, kSrc = 0x003C3CC3;
  const DrawCase& c = GetParam();
  TRaster dest(4, 4, kDest);
  const TRaster src(2, 2, kSrc);
  dest.Draw(src, c.x, c.y, c.op);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      TColorRef want = kDest;
      switch (c.rows[y][x]) {
        case 's': want = kSrc; break;
        case 'a': want = kSrc & kDest; break;
        case 'o': want = kSrc | kDest; break;
        default: break;
      }
      EXPECT_EQ(dest.Pixel(x, y), want) << c.name << " at (" << x << ", " << y << ")";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RasterDraw,
    ::testing::Values(DrawCase{"inside copy", 1, 1, TRasterOp::Copy, {"dddd", "dssd", "dssd", "dddd"}},
                      DrawCase{"inside and", 1, 1, TRasterOp::And, {"dddd", "daad", "daad", "dddd"}},
                      DrawCase{"inside or", 1, 1, TRasterOp::Or, {"dddd", "dood", "dood", "dddd"}},
                      DrawCase{"left edge", -1, 0, TRasterOp::Copy, {"sddd", "sddd", "dddd", "dddd"}},
                      DrawCase{"top edge", 0, -1, TRasterOp::Copy, {"ssdd", "dddd", "dddd", "dddd"}},
                      DrawCase{"right edge", 3, 2, TRasterOp::Copy, {"dddd", "dddd", "ddds", "ddds"}},
                      DrawCase{"bottom edge", 2, 3, TRasterOp::Or, {"dddd", "dddd", "dddd", "ddoo"}},
                      DrawCase{"top-left corner", -1, -1, TRasterOp::And, {"addd", "dddd", "dddd", "dddd"}},
                      DrawCase{"wholly outside", 4, 0, TRasterOp::Copy, {"dddd", "dddd", "dddd", "dddd"}},
                      DrawCase{"far outside", -2147483647, 2147483647, TRasterOp::Copy,
                               {"dddd", "dddd", "dddd", "dddd"}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name) if (ch == ' ' || ch == '-') ch = '_';
      return name;
    });

}  // namespace
}  // namespace tovi
