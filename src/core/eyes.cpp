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
  // While blinking is off, each tick moves the last blink's end to its own
  // time, so that once it comes on the interval counts from the tick before.
  // The ticks that still eyes skip moved nothing: it goes to one tick ago.
  if (settings.FBlink && !FBlinkWasOn && FBlinkPos < 0 && now - FBlinkEndTick > kTickMilliseconds)
    FBlinkEndTick = now - kTickMilliseconds;
  FBlinkWasOn = settings.FBlink;
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
  if (!FStale && angle == FLastAngle && FBlinkPos == FLastBlinkPos && settings.FType == FLastType) {
    if (FUnchangedTicks < kStillTicks) ++FUnchangedTicks;
    return std::nullopt;
  }
  FStale = false;
  FUnchangedTicks = 0;
  FLastAngle = angle;
  FLastBlinkPos = FBlinkPos;
  FLastType = settings.FType;
  return EnlargeEye(ComposeEye(FImages, FIconMask, settings.FType, angle, FBlinkPos), FIconSize);
}

TNextTick TEyes::NextTick(std::uint32_t now, const EyeSettings& settings) const {
  if (FStale || FBlinkPos > kBlinkPosFloor || FUnchangedTicks < kStillTicks) return {false, kTickMilliseconds};
  if (!settings.FBlink) return {true, std::nullopt};
  // The blink starts at the first tick past the interval; widened, as the interval may be any 32-bit number.
  const std::int64_t wait = std::int64_t{settings.FBlinkInterval} + 1 - std::int64_t{now - FBlinkEndTick};
  if (wait <= 0) return {false, kTickMilliseconds};
  return {true, static_cast<std::uint32_t>(wait)};
}

}  // namespace tovi
