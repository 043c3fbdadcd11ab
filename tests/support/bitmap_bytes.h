#pragma once

// Windows bitmap files for the reader's tests: headers made here, colours and
// pixels as the test writes them down.

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

}  // namespace tovi::testing
