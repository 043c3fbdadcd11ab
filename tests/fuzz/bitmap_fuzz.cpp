// libFuzzer target for bitmap files: whatever the bytes, an accepted layout
// lies wholly inside them, and nothing is read outside the file.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/bitmap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto layout = tovi::CheckBitmapFile(std::span(data, size));
  if (layout && (layout->PixelOffset > size || layout->PixelBytes > size - layout->PixelOffset)) std::abort();
  return 0;
}
