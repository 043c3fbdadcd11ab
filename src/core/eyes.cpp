#include "core/eyes.h"

#include <cmath>
#include <utility>

namespace tovi {

double GazeAngle(const TRect& trayRect, TPoint cursor) {
  // Widened, so that the halving and the differences cannot overflow.
  const std::int64_t centreX = trayRect.Left + (std::int64_t{trayRect.Right} - trayRect.Left) / 2;
  const std::int64_t centreY = trayRect.Top + (std::int64_t{trayRect.Bottom} - trayRect.Top) / 2;
  return std::atan2(static_cast<double>(cursor.Y - centreY), static_cast<double>(cursor.X - centreX));
}

TEyes::TEyes(TImageSet images, int pictureSize, int iconSize)
    : FImages(std::move(images)),
      FIconSize(iconSize),
      FIconMask(IconMask(FImages.FBaseMask, pictureSize)) {}

void TEyes::Resize(TImageSet images, int pictureSize, int iconSize) {
  FImages = std::move(images);
  FIconSize = iconSize;
  FIconMask = IconMask(FImages.FBaseMask, pictureSize);
  FStale = true;
}

void TEyes::StartBlink() { FBlinkPos = static_cast<std::int32_t>(FImages.FBlinkSequence.size()) - 1; }

void TEyes::Wake(std::uint32_t now) {
  FBlinkPos = kBlinkPosFloor;
  FBlinkEndTick = now;
  FStale = true;
}

void TEyes::AdvanceBlink(std::uint32_t now, const EyeSettings& settings) {
  if (settings.FBlink && FBlinkPos < -1) {
    const std::uint32_t elapsed = now - FBlinkEndTick;
    if (std::int64_t{elapsed} > std::int64_t{settings.FBlinkInterval}) StartBlink();
    return;
  }
  if (FBlinkPos > kBlinkPosFloor) --FBlinkPos;
  if (FBlinkPos < 0) FBlinkEndTick = now;
}

std::optional<TEyePicture> TEyes::Tick(const TTickInputs& inputs, const EyeSettings& settings) {
  AdvanceBlink(inputs.Now, settings);
  const double angle = GazeAngle(inputs.TrayRect, inputs.Cursor);
  if (!FStale && angle == FLastAngle && FBlinkPos == FLastBlinkPos) return std::nullopt;
  FStale = false;
  FLastAngle = angle;
  FLastBlinkPos = FBlinkPos;
  return EnlargeEye(ComposeEye(FImages, FIconMask, settings.FType, angle, FBlinkPos), FIconSize);
}

}  // namespace tovi
