#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tovi {

// The layout of a Windows bitmap file whose every part has been found to lie
// inside the file, normalised to a 40-byte info header with 4-byte colour
// entries (old OS/2 files included), ready for the platform's DIB decoder.
struct TBitmapLayout {
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // always positive; see TopDown
  bool TopDown = false;
  // BITMAPINFOHEADER, then three colour masks (bit fields) or the colour
  // table, exactly as a BITMAPINFO is laid out in memory.
  std::vector<std::uint8_t> Info;
  std::size_t PixelOffset = 0;  // where the pixel data starts in the file
  std::size_t PixelBytes = 0;   // how many bytes of it the decoder may read
};

// Checks a bitmap file's headers against its size. Accepts 1, 4, 8, 16, 24
// and 32 bits per pixel, uncompressed, RLE4, RLE8 and bit fields, with the
// info headers of all Windows versions and OS/2 1.x; nothing when the file is
// anything else, claims more than it holds, or is larger than a picture we keep.
std::optional<TBitmapLayout> CheckBitmapFile(std::span<const std::uint8_t> file);

}  // namespace tovi
