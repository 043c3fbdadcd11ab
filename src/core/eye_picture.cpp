#include "core/eye_picture.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/canvas.h"
#include "core/round_off.h"

namespace tovi {
namespace {

// The raster of size by size with src's pixel (x, y) covering the block at
// offset + (x, y) * block; fill elsewhere.
TRaster Blocks(const TRaster& src, int size, TIconBlocks blocks, TColorRef fill) {
  TRaster out(size, size, fill);
  for (int y = 0; y < size; ++y) {
    const int sy = (y - blocks.Offset) >= 0 ? (y - blocks.Offset) / blocks.Block : -1;
    for (int x = 0; x < size; ++x) {
      const int sx = (x - blocks.Offset) >= 0 ? (x - blocks.Offset) / blocks.Block : -1;
      if (src.Contains(sx, sy)) out.SetPixel(x, y, src.Pixel(sx, sy));
    }
  }
  return out;
}

}  // namespace

TEyeGeometry EyeGeometry(int size) {
  // The pupil's centre, 3 pixels in at 16, rounded to the nearest pixel.
  return {size, size / 2, 3.0 * size / kEyeSize, (3 * size + kEyeSize / 2) / kEyeSize};
}

TPoint PupilTopLeft(double theta, const TEyeGeometry& geometry) {
  const auto px = geometry.Centre + static_cast<int>(RoundOff(1, geometry.Travel * std::cos(theta)));
  const auto py = geometry.Centre + static_cast<int>(RoundOff(1, geometry.Travel * std::sin(theta)));
  return {px - geometry.PupilCentre, py - geometry.PupilCentre};
}

TRaster IconMask(const TRaster& baseMask, int size) {
  TRaster mask(size, size, kWhite);
  mask.Draw(baseMask, 0, 0, TRasterOp::Copy);
  return mask;
}

TEyePicture ComposeEye(const TImageSet& images, const TRaster& iconMask, std::int32_t type, double theta,
                       std::int32_t blinkPos) {
  const int size = iconMask.Width();
  TRaster picture(size, size);
  TRasterCanvas canvas(picture);
  canvas.Draw(0, 0, images.FBaseBitmap);
  const TPoint pupil = PupilTopLeft(theta, EyeGeometry(size));
  images.FEyeList.Draw(canvas, pupil.X, pupil.Y, type);
  if (blinkPos >= 0 && static_cast<std::size_t>(blinkPos) < images.FBlinkSequence.size())
    images.FCapList.Draw(canvas, 0, 0, images.FBlinkSequence[static_cast<std::size_t>(blinkPos)]);

  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (iconMask.Pixel(x, y) == kWhite) picture.SetPixel(x, y, kBlack);
  return {std::move(picture), iconMask};
}

int PictureSizeFor(int iconSize, std::span<const int> drawnSizes) {
  int best = kEyeSize, bestCovered = 0;
  for (const int size : drawnSizes) {
    const int covered = iconSize / size * size;
    if (covered > bestCovered || (covered == bestCovered && covered > 0 && size > best)) {
      best = size;
      bestCovered = covered;
    }
  }
  return best;
}

TIconBlocks IconBlocks(int pictureSize, int iconSize) {
  const int block = std::max(1, iconSize / pictureSize);
  return {block, (iconSize - block * pictureSize) / 2};
}

TEyePicture EnlargeEye(const TEyePicture& picture, int iconSize) {
  const TIconBlocks blocks = IconBlocks(picture.Colours.Width(), iconSize);
  return {Blocks(picture.Colours, iconSize, blocks, kBlack), Blocks(picture.Mask, iconSize, blocks, kWhite)};
}

}  // namespace tovi
