#pragma once

#include <string>
#include <vector>

#include "core/raster.h"

namespace tovi::testing {

// A picture written as rows of letters, one a pixel, each letter's colour
// given by colourOf (each test keeps its own legend beside its pictures).
template <typename TLegend>
TRaster LetterPicture(const std::vector<std::string>& rows, TLegend colourOf) {
  TRaster picture(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()));
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, colourOf(rows[y][x]));
  return picture;
}

}  // namespace tovi::testing
