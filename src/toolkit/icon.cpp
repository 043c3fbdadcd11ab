#include "toolkit/icon.h"

#include <vector>

#include "core/eye_picture.h"
#include "toolkit/errors.h"

namespace tovi {
namespace {

// The sizes the program's icon resource is drawn at.
constexpr int kResourceIconSizes[] = {16, 32};

// A bitmap's pixels as a top-down 32-bit picture; a monochrome one comes out black and white.
TRaster PictureOf(HBITMAP bitmap, int size) {
  TRaster picture(size, size);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const TWindowDc screen(nullptr);
  if (GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(size), picture.Bits().data(), &info, DIB_RGB_COLORS) == 0)
    throw EToviError(L"アイコンを読めません");
  for (std::uint32_t& pixel : picture.Bits()) pixel &= 0x00FFFFFFu;
  return picture;
}

}  // namespace

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

TUniqueIcon ResourceIconAtSize(int resource, int size) {
  const int drawn = PictureSizeFor(size, kResourceIconSizes);
  TUniqueIcon icon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, drawn, drawn, 0)));
  if (!icon || drawn == size) return icon;
  ICONINFO info{};
  if (!GetIconInfo(icon.Get(), &info)) throw EToviError(L"アイコンを読めません");
  const TUniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
  const TEyePicture enlarged = EnlargeEye({PictureOf(colour.Get(), drawn), PictureOf(mask.Get(), drawn)}, size);
  return IconFromPicture(enlarged.Colours, enlarged.Mask);
}

TIcon::TIcon(TUniqueIcon picture) : FPicture(std::make_shared<const TUniqueIcon>(std::move(picture))) {}

void TIcon::Assign(const TIcon* source) {
  if (source == nullptr) FPicture.reset();
  else FPicture = source->FPicture;
}

}  // namespace tovi
