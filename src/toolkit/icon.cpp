#include "toolkit/icon.h"

#include <cstring>
#include <vector>

#include "core/eye_picture.h"
#include "toolkit/dc_canvas.h"
#include "toolkit/errors.h"

namespace tovi {
namespace {

// The sizes the program's icon resource is drawn at.
constexpr int kResourceIconSizes[] = {16, 32};
// The format of icon resources that CreateIconFromResourceEx reads.
constexpr DWORD kIconResourceFormat = 0x00030000;

// A bitmap's pixels as a top-down 32-bit picture; a monochrome one comes out black and white.
TRaster PictureOf(HBITMAP bitmap, int size) {
  TRaster picture(size, size);
  BITMAPINFO info = DibHeaderFor(picture);
  const TScreenDc screen(GetDC(nullptr));
  if (GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(size), picture.Bits().data(), &info, DIB_RGB_COLORS) == 0)
    throw EToviError(L"アイコンを読めません");
  for (std::uint32_t& pixel : picture.Bits()) pixel &= 0x00FFFFFFu;
  return picture;
}

}  // namespace

TUniqueIcon IconFromPicture(const TRaster& picture, const TRaster& mask) {
  const int width = picture.Width(), height = picture.Height();
  const auto w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  // One image as an icon resource holds it, made into an icon by one call: the
  // header, the colour rows, then the mask rows (a set bit is transparent),
  // both bottom-up, the mask's rows padded to whole 32-bit words.
  const std::size_t maskRowBytes = (w + 31) / 32 * 4;
  std::vector<BYTE> image(sizeof(BITMAPINFOHEADER) + w * h * 4 + maskRowBytes * h);
  const BITMAPINFOHEADER header{sizeof header, width, 2 * height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::memcpy(image.data(), &header, sizeof header);
  BYTE* const colourRows = image.data() + sizeof header;
  BYTE* const maskRows = colourRows + w * h * 4;
  // Wine's shell hands an icon on with as many mask bytes as its pixels fill,
  // not rows padded to 16 bits: at widths no multiple of 16 the mask's last
  // rows are lost, and an alpha channel keeps them transparent. Elsewhere the
  // icon goes without, which halves what the shell's copy of it costs.
  const std::uint32_t opaque = width % 16 != 0 ? 0xFF000000u : 0u;
  const std::span<const std::uint32_t> bits = picture.Bits();
  for (int y = 0; y < height; ++y) {
    const std::size_t row = h - 1 - static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) {
      const auto column = static_cast<std::size_t>(x);
      const bool transparent = mask.Pixel(x, y) == kWhite;
      const std::uint32_t colour = bits[static_cast<std::size_t>(y) * w + column] | (transparent ? 0u : opaque);
      std::memcpy(colourRows + (row * w + column) * 4, &colour, sizeof colour);
      if (transparent) maskRows[row * maskRowBytes + column / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    }
  }
  TUniqueIcon icon(CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE,
                                            kIconResourceFormat, width, height, LR_DEFAULTCOLOR));
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

}  // namespace tovi
