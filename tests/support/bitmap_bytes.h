#pragma once

// Windows bitmap files of every kind the reader must read, from a small
// picture given as rows of palette letters.

#include <cstdint>
#include <string>
#include <vector>

#include "core/raster.h"

namespace tovi::testing {

// The colours as a file's colour table holds them.
std::string ColourTable(const std::vector<TColorRef>& colours);

// A file of a 40-byte header (a negative height: top-down), the colour table
// or the bit-field masks as given, then the pixel rows or runs as given.
std::string BmpFileOf(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                      const std::string& table, const std::string& pixels);

// The picture ('a' the palette's first colour) at bits per pixel: a full
// colour table up to 8, the colours themselves beyond; bottom row first
// unless topDown; compressed (1 RLE8, 2 RLE4) as a run for each pixel.
std::string BmpFile(const std::vector<TColorRef>& palette, const std::vector<std::string>& rows, int bits,
                    std::uint32_t compression = 0, bool topDown = false);

}  // namespace tovi::testing
