#pragma once

// Writes Windows bitmap files of every kind the loader must read, from a
// small picture given as rows of palette letters.

#include <cstdint>
#include <string>
#include <vector>

#include "core/raster.h"

namespace tovi::testing {

struct TBmpPicture {
  std::vector<TColorRef> palette;  // plain 0x00BBGGRR colours
  std::vector<std::string> rows;   // top row first; each letter 'a' + palette index
  int Width() const { return static_cast<int>(rows.at(0).size()); }
  int Height() const { return static_cast<int>(rows.size()); }
  int Index(int x, int y) const { return rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] - 'a'; }
  TColorRef Colour(int x, int y) const { return palette[static_cast<std::size_t>(Index(x, y))]; }
};

enum class TBmpKind { Bits1, Bits4, Bits8, Bits16, Bits24, Bits32, Rle4, Rle8, TopDown24 };

std::string BmpFile(const TBmpPicture& picture, TBmpKind kind);

// The colours as a file's colour table holds them.
std::string ColourTable(const std::vector<TColorRef>& colours);

// A file of a 40-byte header (a negative height: top-down), the colour table
// or the bit-field masks as given, then the pixel rows or runs as given.
std::string BmpFileOf(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                      const std::string& table, const std::string& pixels);

}  // namespace tovi::testing
