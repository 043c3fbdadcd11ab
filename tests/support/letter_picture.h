#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/raster.h"

namespace tovi::testing {

// Pictures written as rows of letters, one a pixel: the legend's n-th letter
// stands for its n-th colour. Each test keeps its own legend beside its pictures.
struct TLegend {
  std::string_view Letters;
  std::vector<TColorRef> Colours;

  TColorRef Colour(char letter) const { return Colours.at(Letters.find(letter)); }

  TRaster Picture(const std::vector<std::string>& rows) const {
    TRaster picture(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()));
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, Colour(rows[y][x]));
    return picture;
  }

  // The picture as rows of letters, '?' for a colour the legend lacks.
  std::vector<std::string> Rows(const TRaster& picture) const {
    std::vector<std::string> rows(picture.Height(), std::string(picture.Width(), '?'));
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) {
        const auto at = std::ranges::find(Colours, picture.Pixel(x, y));
        if (at != Colours.end()) rows[y][x] = Letters[static_cast<std::size_t>(at - Colours.begin())];
      }
    return rows;
  }
};

}  // namespace tovi::testing
