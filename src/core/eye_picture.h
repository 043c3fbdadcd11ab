#pragma once

#include <cstdint>

#include "core/image_set.h"
#include "core/raster.h"

namespace tovi {

inline constexpr int kEyeSize = 16;

// Top-left corner of the pupil picture for the gaze angle theta: the pupil's
// centre, 3 pixels into its picture, sits 3 pixels from the eye's centre (8, 8).
TPoint PupilTopLeft(double theta);

// The icon mask of the eye: the base mask cut or widened to 16 by 16, white
// (transparent) wherever the base picture does not reach.
TRaster IconMask(const TRaster& baseMask);

// A picture of the eye as an icon shows it: its colours, and its mask, white
// where the screen shows through.
struct TEyePicture {
  TRaster Colours;
  TRaster Mask;
  friend bool operator==(const TEyePicture&, const TEyePicture&) = default;
};

// Paints the eye: base, pupil `type` turned towards theta, and the eyelid
// frame of blink step blinkPos while a blink runs. Every place that iconMask
// marks transparent comes out black, so the icon shows the screen there
// whatever the pupil or the eyelid painted.
TEyePicture ComposeEye(const TImageSet& images, const TRaster& iconMask, std::int32_t type, double theta,
                       std::int32_t blinkPos);

}  // namespace tovi
