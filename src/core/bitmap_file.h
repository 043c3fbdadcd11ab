#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/bitmap_list.h"
#include "core/raster.h"

namespace tovi {

enum class TPixelCoding { Plain, Rle8, Rle4 };

// The layout of a Windows bitmap file whose every part has been found to lie
// inside the file, with its colours read out of the headers.
struct TBitmapLayout {
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // always positive; see TopDown
  bool TopDown = false;
  int Bits = 0;  // per pixel
  TPixelCoding Coding = TPixelCoding::Plain;
  std::vector<TColorRef> Palette;  // 1, 4 and 8 bits per pixel
  // 16, 24 and 32 bits per pixel: where red, green and blue lie in a pixel
  // read as a little-endian number.
  std::array<std::uint32_t, 3> Masks{};
  std::size_t PixelOffset = 0;  // where the pixel data starts in the file
  std::size_t PixelBytes = 0;   // how many bytes of it the decoder may read
};

// Checks a bitmap file's headers against its size. Accepts 1, 4, 8, 16, 24
// and 32 bits per pixel, uncompressed, RLE4, RLE8 and bit fields, with the
// info headers of all Windows versions and OS/2 1.x; nothing when the file is
// anything else, claims more than it holds, or is larger than a picture we keep.
std::optional<TBitmapLayout> CheckBitmapFile(std::span<const std::uint8_t> file);

// Reads the top-left part of a bitmap file's picture, at most size by size
// pixels, with the colour of the whole picture's bottom-left pixel as its key;
// nothing when CheckBitmapFile refuses the file. Of plain pixels only the rows
// kept and the bottom one are read; runs are read to their end, since the top
// rows come last. Pixels the runs skip are black.
std::optional<TKeyedPicture> ReadBitmapFile(std::span<const std::uint8_t> file, int size);

}  // namespace tovi
