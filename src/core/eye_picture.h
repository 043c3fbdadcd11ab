#pragma once

#include <cstdint>
#include <span>

#include "core/image_set.h"
#include "core/raster.h"

namespace tovi {

inline constexpr int kEyeSize = 16;
// The sizes our own pictures are drawn for besides 16: those the shell asks
// for at 125 and 150 %, where no whole multiple of 16 fits.
inline constexpr int kDrawnEyeSizes[] = {kEyeSize, 20, 24};

// Where the eye sits in pictures of Size by Size pixels: the 16-pixel layout
// (centre 8, pupil travel 3, pupil centre 3 pixels into its picture), scaled.
struct TEyeGeometry {
  int Size;
  int Centre;
  double Travel;
  int PupilCentre;
  friend bool operator==(const TEyeGeometry&, const TEyeGeometry&) = default;
};
TEyeGeometry EyeGeometry(int size);

// Top-left corner of the pupil picture for the gaze angle theta: the pupil's
// centre sits the travel away from the eye's centre.
TPoint PupilTopLeft(double theta, const TEyeGeometry& geometry = EyeGeometry(kEyeSize));

// The icon mask of the eye: the base mask cut or widened to size by size,
// white (transparent) wherever the base picture does not reach.
TRaster IconMask(const TRaster& baseMask, int size = kEyeSize);

// A picture of the eye as an icon shows it: its colours, and its mask, white
// where the screen shows through.
struct TEyePicture {
  TRaster Colours;
  TRaster Mask;
  friend bool operator==(const TEyePicture&, const TEyePicture&) = default;
};

// Paints the eye at the size of iconMask: base, pupil `type` turned towards
// theta, and the eyelid frame of blink step blinkPos while a blink runs.
// Every place that iconMask marks transparent comes out black, so the icon
// shows the screen there whatever the pupil or the eyelid painted.
TEyePicture ComposeEye(const TImageSet& images, const TRaster& iconMask, std::int32_t type, double theta,
                       std::int32_t blinkPos);

// Of the sizes pictures are drawn for, the one that fills an icon of
// iconSize best with whole blocks; on a tie the larger, whose detail is finer.
int PictureSizeFor(int iconSize, std::span<const int> drawnSizes = kDrawnEyeSizes);

// How pictures of pictureSize sit in an icon of iconSize: each picture pixel
// a uniform Block by Block square, the whole centred Offset pixels in.
struct TIconBlocks {
  int Block;
  int Offset;
  friend bool operator==(const TIconBlocks&, const TIconBlocks&) = default;
};
TIconBlocks IconBlocks(int pictureSize, int iconSize);

// The picture in an icon of iconSize by iconSize, laid out by IconBlocks, the
// margin transparent: never a blend of neighbouring pixels.
TEyePicture EnlargeEye(const TEyePicture& picture, int iconSize);

}  // namespace tovi
