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

  // The colours carry the mask as their alpha too. Wine's shell hands an
  // icon on with as many mask bytes as its pixels fill, not its padded rows:
  // at widths that are no multiple of 16 the last rows of the mask are lost,
  // and the alpha keeps them transparent.
  std::vector<std::uint32_t> colourBits(picture.Bits().begin(), picture.Bits().end());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (mask.Pixel(x, y) != kWhite) colourBits[static_cast<std::size_t>(y * width + x)] |= 0xFF000000u;
  const TUniqueBitmap colour(CreateBitmap(width, height, 1, 32, colourBits.data()));
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
