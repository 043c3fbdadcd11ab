#include "core/eye_motion.h"

#include <cmath>

namespace tovi {

double GazeAngle(const TRect& trayRect, TPoint cursor) {
  // Widened, so that the halving and the differences cannot overflow.
  const std::int64_t centreX = trayRect.Left + (std::int64_t{trayRect.Right} - trayRect.Left) / 2;
  const std::int64_t centreY = trayRect.Top + (std::int64_t{trayRect.Bottom} - trayRect.Top) / 2;
  return std::atan2(static_cast<double>(cursor.Y - centreY), static_cast<double>(cursor.X - centreX));
}

void TEyeMotion::AdvanceBlink(std::uint32_t now, bool blink, std::int32_t blinkInterval,
                              std::int32_t sequenceLength) {
  if (blink && FBlinkPos < -1) {
    const std::uint32_t elapsed = now - FBlinkEndTick;
    if (std::int64_t{elapsed} > std::int64_t{blinkInterval}) StartBlink(sequenceLength);
    return;
  }
  if (FBlinkPos > kBlinkPosFloor) --FBlinkPos;
  if (FBlinkPos < 0) FBlinkEndTick = now;
}

std::optional<double> TEyeMotion::ChangedGaze(const TRect& trayRect, TPoint cursor) {
  const double angle = GazeAngle(trayRect, cursor);
  if (angle == FLastAngle && FBlinkPos == FLastBlinkPos) return std::nullopt;
  FLastAngle = angle;
  FLastBlinkPos = FBlinkPos;
  return angle;
}

}  // namespace tovi
