// libFuzzer target for bitmap files: whatever the bytes, an accepted layout
// lies wholly inside them, reading the picture reads nothing outside the
// file, and no more of the picture is kept than was asked for.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/bitmap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto file = std::span(data, size);
  const auto layout = tovi::CheckBitmapFile(file);
  if (layout && (layout->PixelOffset > size || layout->PixelBytes > size - layout->PixelOffset)) std::abort();
  for (const int kept : {3, 16}) {
    const auto picture = tovi::ReadBitmapFile(file, kept);
    if (picture.has_value() != layout.has_value()) std::abort();
    if (picture && (picture->Bitmap.Width() > kept || picture->Bitmap.Height() > kept)) std::abort();
  }
  return 0;
}
