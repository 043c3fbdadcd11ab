#pragma once

#include <optional>

#include "core/raster.h"

namespace tovi {

// Where the shell says each eye's icon sits, in screen coordinates; nothing
// for an icon it did not tell (a shell without the call, or not ready).
struct TIconPlaces {
  std::optional<TRect> First;
  std::optional<TRect> Second;
};

// The rectangle the eyes look out from: the one spanning both icons, whose
// centre lies midway between them, where the shell told both; else nothing,
// and the notification area stands in. An empty rectangle tells nothing.
std::optional<TRect> EyesRect(const TIconPlaces& places);

// Whether to say once that the eyes are hidden: both icons in one rectangle
// (the overflow button's, where the shell has put them out of sight), and
// the hint was not shown before.
bool ShowsOverflowHint(const TIconPlaces& places, bool shownBefore);

}  // namespace tovi
