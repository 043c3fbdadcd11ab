#include "core/eyes_place.h"

#include <algorithm>

namespace tovi {
namespace {

bool HasArea(const std::optional<TRect>& place) {
  return place && place->Right > place->Left && place->Bottom > place->Top;
}

}  // namespace

std::optional<TRect> EyesRect(const TIconPlaces& places) {
  if (!HasArea(places.First) || !HasArea(places.Second)) return std::nullopt;
  const TRect& a = *places.First;
  const TRect& b = *places.Second;
  return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
               std::max(a.Bottom, b.Bottom)};
}

bool ShowsOverflowHint(const TIconPlaces& places, bool shownBefore) {
  return !shownBefore && HasArea(places.First) && places.First == places.Second;
}

}  // namespace tovi
