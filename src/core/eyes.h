#pragma once

#include <cstdint>
#include <optional>

#include "core/eye_picture.h"
#include "core/image_set.h"
#include "core/raster.h"
#include "core/settings.h"

namespace tovi {

// The gaze angle from the centre of the notification area to the cursor, in
// radians from -pi to pi; positive when the cursor lies below (screen y grows
// downwards), 0 when the cursor sits on the centre.
double GazeAngle(const TRect& trayRect, TPoint cursor);

// What one timer tick gathers from the platform.
struct TTickInputs {
  // The millisecond tick counter, which wraps after 49.7 days: elapsed times
  // are taken as unsigned differences.
  std::uint32_t Now = 0;
  TPoint Cursor;
  TRect TrayRect;  // all zero when there is no notification area
};

// The eyes' tick while anything they show may change.
inline constexpr std::uint32_t kTickMilliseconds = 10;

// When the eyes need their next tick, as the last one left them.
struct TNextTick {
  // Nothing they show can change before the cursor moves, an eye is clicked or
  // the next automatic blink is due: the tick may stop.
  bool Still = false;
  // Milliseconds to the next tick: one tick while not still; while still, to
  // the next automatic blink, and none with blinking off.
  std::optional<std::uint32_t> In;

  bool operator==(const TNextTick&) const = default;
};

// The pair of eyes as the timer moves them: the pictures they are drawn from,
// where they look and which eyelid frame they show. FBlinkPos of 0 or more
// indexes the blink sequence; -1 means a blink has just ended; anything lower
// means no blink is running.
class TEyes {
 public:
  // FBlinkPos never falls below this, so it cannot wrap however long the
  // program runs with blinking off.
  static constexpr std::int32_t kBlinkPosFloor = -2;
  // Ticks in a row that show nothing new before the eyes count as still: the
  // cursor has stopped, for a moving mouse reports far more often.
  static constexpr int kStillTicks = 5;

  // images drawn for pictureSize, shown in icons of iconSize.
  explicit TEyes(TImageSet images = {}, int pictureSize = kEyeSize, int iconSize = kEyeSize);

  const TImageSet& Images() const { return FImages; }
  int IconSize() const { return FIconSize; }

  // Other pictures or another icon size, as a new display scale asks: the
  // blink goes on, and the next tick shows a picture whatever it finds.
  void Resize(TImageSet images, int pictureSize, int iconSize);

  // A blink starts, or starts again, from the far end of the sequence.
  void StartBlink();

  // The eyes come back from rest: no blink runs, the next automatic one
  // comes an interval after now, and the next tick shows a picture whatever
  // the angle.
  void Wake(std::uint32_t now);

  // One tick: the blink steps on, then the eyes turn to the cursor. The
  // picture to show when the gaze angle, the blink frame or the pupil is no
  // longer the one last shown, else nothing.
  std::optional<TEyePicture> Tick(const TTickInputs& inputs, const EyeSettings& settings);

  // When the next tick is needed, at now, after the last tick.
  TNextTick NextTick(std::uint32_t now, const EyeSettings& settings) const;

 private:
  void AdvanceBlink(std::uint32_t now, const EyeSettings& settings);

  TImageSet FImages;
  int FIconSize;
  TRaster FIconMask;
  bool FStale = true;  // the next tick shows a picture whatever the angle and frame
  std::int32_t FBlinkPos = 0;
  std::uint32_t FBlinkEndTick = 0;
  double FLastAngle = 0.0;
  std::int32_t FLastBlinkPos = 0;
  std::int32_t FLastType = 0;
  int FUnchangedTicks = 0;   // ticks in a row that showed nothing new, up to kStillTicks
  bool FBlinkWasOn = false;  // whether blinking was on at the last tick
};

}  // namespace tovi
