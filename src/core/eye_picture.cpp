#include "core/eye_picture.h"

#include <cmath>
#include <utility>

#include "core/canvas.h"
#include "core/round_off.h"

namespace tovi {
namespace {

constexpr int kEyeCentre = 8;
constexpr int kPupilTravel = 3;
constexpr int kPupilCentreOffset = 3;

}  // namespace

TPoint PupilTopLeft(double theta) {
  const auto px = kEyeCentre + static_cast<int>(RoundOff(1, kPupilTravel * std::cos(theta)));
  const auto py = kEyeCentre + static_cast<int>(RoundOff(1, kPupilTravel * std::sin(theta)));
  return {px - kPupilCentreOffset, py - kPupilCentreOffset};
}

TRaster IconMask(const TRaster& baseMask) {
  TRaster mask(kEyeSize, kEyeSize, kWhite);
  mask.Draw(baseMask, 0, 0, TRasterOp::Copy);
  return mask;
}

TEyePicture ComposeEye(const TImageSet& images, const TRaster& iconMask, std::int32_t type, double theta,
                       std::int32_t blinkPos) {
  TRaster picture(kEyeSize, kEyeSize);
  TRasterCanvas canvas(picture);
  canvas.Draw(0, 0, images.FBaseBitmap);
  const TPoint pupil = PupilTopLeft(theta);
  images.FEyeList.Draw(canvas, pupil.X, pupil.Y, type);
  if (blinkPos >= 0 && static_cast<std::size_t>(blinkPos) < images.FBlinkSequence.size())
    images.FCapList.Draw(canvas, 0, 0, images.FBlinkSequence[static_cast<std::size_t>(blinkPos)]);

  for (int y = 0; y < kEyeSize; ++y)
    for (int x = 0; x < kEyeSize; ++x)
      if (iconMask.Pixel(x, y) == kWhite) picture.SetPixel(x, y, kBlack);
  return {std::move(picture), iconMask};
}

}  // namespace tovi
