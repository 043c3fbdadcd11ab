#include "toolkit/dc_canvas.h"

#include <gtest/gtest.h>

#include "core/bitmap_list.h"
#include "toolkit/handles.h"
#include "toolkit/icon.h"

namespace tovi {
namespace {

constexpr TColorRef kGrey = 0x808080, kRed = 0x0000FF, kGreen = 0x00FF00, kMagenta = 0xFF00FF;

// A real device context over a 32-bit bitmap, to paint into and read back.
class TMemoryDc {
 public:
  TMemoryDc(int width, int height, TColorRef fill)
      : FDc(CreateCompatibleDC(nullptr)), FBitmap(MakeSection(width, height)), FSelect(FDc.Get(), FBitmap.Get()) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) SetPixel(FDc.Get(), x, y, fill);
  }
  HDC Dc() const { return FDc.Get(); }
  TColorRef Pixel(int x, int y) const { return GetPixel(FDc.Get(), x, y); }

 private:
  static HBITMAP MakeSection(int width, int height) {
    const BITMAPINFO info = DibHeaderFor(TRaster(width, height));
    void* bits = nullptr;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  }
  TUniqueMemoryDc FDc;
  TUniqueBitmap FBitmap;
  TSelectGuard FSelect;
};

TEST(DcCanvas, DrawsAListEntryTransparentlyOntoARealDc) {
  // 3x3 pupil: green cross on a magenta key, drawn partly off the left edge.
  TRaster pupil(3, 3, kMagenta);
  pupil.Draw(TRaster(1, 3, kGreen), 1, 0, TRasterOp::Copy);
  pupil.Draw(TRaster(3, 1, kGreen), 0, 1, TRasterOp::Copy);
  TBitmapList list;
  list.Add(pupil);
  TMemoryDc target(4, 4, kGrey);
  TDcCanvas canvas(target.Dc());
  list.Draw(canvas, -1, 1, 0);

  const char* expected[] = {"....", "g...", "gg..", "g..."};  // g green, . grey
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(target.Pixel(x, y), expected[y][x] == 'g' ? kGreen : kGrey) << x << "," << y;
}

TEST(DcCanvas, CopyModesCombineAsRasterOperations) {
  struct Case {
    TRasterOp op;
    TColorRef expected;
  };
  for (const Case& c : {Case{TRasterOp::Copy, 0x0F0F0F}, Case{TRasterOp::And, 0x0F0F0F & 0x3C3C3C},
                        Case{TRasterOp::Or, 0x0F0F0F | 0x3C3C3C}}) {
    TMemoryDc target(2, 2, 0x3C3C3C);
    TDcCanvas canvas(target.Dc());
    canvas.SetCopyMode(c.op);
    canvas.Draw(1, 1, TRaster(1, 1, 0x0F0F0F));
    EXPECT_EQ(target.Pixel(1, 1), c.expected) << static_cast<int>(c.op);
    EXPECT_EQ(target.Pixel(0, 0), 0x3C3C3Cu) << static_cast<int>(c.op);
  }
}

TEST(IconFromPicture, WhiteMaskShowsTheBackgroundAndTheRestThePicture) {
  // Opaque from (3, 4) to (12, 11): red, but for a column of black that must stay black.
  TRaster picture(16, 16, kBlack), mask(16, 16, kWhite);
  picture.Draw(TRaster(9, 8, kRed), 4, 4, TRasterOp::Copy);
  mask.Draw(TRaster(10, 8, kBlack), 3, 4, TRasterOp::Copy);
  const TIcon icon(IconFromPicture(picture, mask));
  ASSERT_NE(icon.Handle(), nullptr);

  TMemoryDc target(16, 16, kGreen);
  ASSERT_TRUE(DrawIconEx(target.Dc(), 0, 0, icon.Handle(), 16, 16, 0, nullptr, DI_NORMAL));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool inside = x >= 3 && x < 13 && y >= 4 && y < 12;
      const TColorRef expected = !inside ? kGreen : x == 3 ? kBlack : kRed;
      ASSERT_EQ(target.Pixel(x, y), expected) << x << "," << y;
    }
}

}  // namespace
}  // namespace tovi
