#include "core/bitmap_list.h"

#include <utility>

namespace tovi {

TRaster MakeMask(TRaster& picture, TColorRef key) {
  TRaster mask(picture.Width(), picture.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (picture.Pixel(x, y) == key) {
        mask.SetPixel(x, y, kWhite);
        picture.SetPixel(x, y, kBlack);
      }
    }
  }
  return mask;
}

void TBitmapList::Add(TKeyedPicture picture) {
  TRaster mask = MakeMask(picture.Bitmap, picture.Key);
  // Room in both first, so that the two lists never differ in length.
  FBitmaps.reserve(FBitmaps.size() + 1);
  FMasks.reserve(FMasks.size() + 1);
  FBitmaps.push_back(std::move(picture.Bitmap));
  FMasks.push_back(std::move(mask));
}

void TBitmapList::Add(TRaster whole) {
  const TColorRef key = whole.Empty() ? kBlack : whole.Pixel(0, whole.Height() - 1);
  Add({std::move(whole), key});
}

void TBitmapList::Draw(TCanvas& canvas, std::int32_t x, std::int32_t y, std::int32_t index) const {
  if (index < 0 || index >= Count()) return;
  const TRasterOp saved = canvas.CopyMode();
  // The mask blackens the opaque places; OR-ing the picture then shows its
  // colours there, while its black transparent places leave the canvas be.
  canvas.SetCopyMode(TRasterOp::And);
  canvas.Draw(x, y, FMasks[static_cast<std::size_t>(index)]);
  canvas.SetCopyMode(TRasterOp::Or);
  canvas.Draw(x, y, FBitmaps[static_cast<std::size_t>(index)]);
  canvas.SetCopyMode(saved);
}

void TBitmapList::Clear() {
  FBitmaps.clear();
  FMasks.clear();
}

}  // namespace tovi
