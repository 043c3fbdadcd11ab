#pragma once

#include <cstdint>
#include <vector>

#include "core/canvas.h"
#include "core/raster.h"

namespace tovi {

// Derives the transparency mask of a picture whose bottom-left pixel gives the
// transparent colour: the mask is white where the picture has that colour and
// black elsewhere, and the picture's transparent pixels become black.
TRaster MakeMask(TRaster& picture);

// Numbered small pictures drawn with their key colour transparent. The mask
// is made once when a picture is added, so a draw is two plain raster copies.
class TBitmapList {
 public:
  void Add(TRaster bitmap);
  std::int32_t Count() const { return static_cast<std::int32_t>(FBitmaps.size()); }
  // An index outside the list draws nothing. The canvas keeps its copy mode.
  void Draw(TCanvas& canvas, std::int32_t x, std::int32_t y, std::int32_t index) const;
  void Clear();

  const TRaster& Bitmap(std::int32_t index) const { return FBitmaps.at(static_cast<std::size_t>(index)); }
  const TRaster& Mask(std::int32_t index) const { return FMasks.at(static_cast<std::size_t>(index)); }

 private:
  std::vector<TRaster> FBitmaps;
  std::vector<TRaster> FMasks;
};

}  // namespace tovi
