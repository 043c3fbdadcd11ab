#pragma once

#include <cstdint>
#include <optional>

#include "core/raster.h"

namespace tovi {

// The gaze angle from the centre of the notification area to the cursor, in
// radians from -pi to pi; positive when the cursor lies below (screen y grows
// downwards), 0 when the cursor sits on the centre.
double GazeAngle(const TRect& trayRect, TPoint cursor);

// Where the eyes look and which eyelid frame they show, advanced once per
// timer tick. FBlinkPos of 0 or more indexes the blink sequence; -1 means a
// blink has just ended; anything lower means no blink is running.
class TEyeMotion {
 public:
  // FBlinkPos never falls below this, so it cannot wrap however long the
  // program runs with blinking off.
  static constexpr std::int32_t kBlinkPosFloor = -2;

  // A blink starts from the far end of the sequence.
  void StartBlink(std::int32_t sequenceLength) { FBlinkPos = sequenceLength - 1; }

  // The blink part of one tick. now is the millisecond tick counter, which
  // wraps after 49.7 days: elapsed times are taken as unsigned differences.
  void AdvanceBlink(std::uint32_t now, bool blink, std::int32_t blinkInterval, std::int32_t sequenceLength);

  // The gaze part of one tick: the angle to compose for when the picture in
  // the tray no longer matches the angle or the blink frame, else nothing.
  std::optional<double> ChangedGaze(const TRect& trayRect, TPoint cursor);

  std::int32_t FBlinkPos = 0;
  std::uint32_t FBlinkEndTick = 0;
  double FLastAngle = 0.0;
  std::int32_t FLastBlinkPos = 0;
};

}  // namespace tovi
