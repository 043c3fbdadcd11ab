#pragma once

#include <cstdint>
#include <vector>

#include "core/canvas.h"
#include "core/raster.h"

namespace tovi {

// A picture whose pixels of the key colour are transparent. The key is the
// colour of the bottom-left pixel of the whole picture, of which Bitmap may
// be only the top-left part.
struct TKeyedPicture {
  TRaster Bitmap;
  TColorRef Key = kBlack;
};

// Derives the transparency mask of a picture: white where the picture has the
// key colour and black elsewhere; the picture's transparent pixels become black.
TRaster MakeMask(TRaster& picture, TColorRef key);

// Numbered small pictures drawn with their key colour transparent. The mask
// is made once when a picture is added, so a draw is two plain raster copies.
class TBitmapList {
 public:
  void Add(TKeyedPicture picture);
  // A whole picture: its own bottom-left pixel gives the key.
  void Add(TRaster whole);
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
