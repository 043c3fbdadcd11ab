#include "toolkit/icon.h"

#include <vector>

#include "toolkit/errors.h"

namespace tovi {

TUniqueIcon IconFromPicture(const TRaster& picture, const TRaster& mask) {
  const int width = picture.Width(), height = picture.Height();
  // A monochrome bitmap's rows are padded to whole 16-bit words; a set bit is white.
  const int rowBytes = (width + 15) / 16 * 2;
  std::vector<BYTE> maskBits(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (mask.Pixel(x, y) == kWhite) maskBits[static_cast<std::size_t>(y * rowBytes + x / 8)] |= 0x80 >> (x % 8);

  const TUniqueBitmap colour(CreateBitmap(width, height, 1, 32, picture.Bits().data()));
  const TUniqueBitmap monochrome(CreateBitmap(width, height, 1, 1, maskBits.data()));
  ICONINFO info{TRUE, 0, 0, monochrome.Get(), colour.Get()};
  TUniqueIcon icon(colour && monochrome ? CreateIconIndirect(&info) : nullptr);
  if (!icon) throw EToviError(L"アイコンを作れません");
  return icon;
}

TIcon::TIcon(TUniqueIcon picture) : FPicture(std::make_shared<const TUniqueIcon>(std::move(picture))) {}

void TIcon::Assign(const TIcon* source) {
  if (source == nullptr) FPicture.reset();
  else FPicture = source->FPicture;
}

}  // namespace tovi
