#include "core/display_scale.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tovi {
namespace {

TEST(DisplayScale, RoundsToTheNearestPixelHalvesAwayFromZeroAndKeeps96) {
  const std::tuple<int, int, int> cases[] = {{12, 96, 12}, {12, 144, 18}, {89, 144, 134}, {-1, 144, -2}, {5, 120, 6}};
  for (const auto& [value, dpi, scaled] : cases) EXPECT_EQ(ScaleByDpi(value, dpi), scaled) << value << " at " << dpi;
  // Each edge alone, so that neighbours still touch: the settings dialog's OK button, one starting where it ends.
  const std::tuple<TRect, int, TRect> rects[] = {
      {{180, 12, 269, 37}, 144, {270, 18, 404, 56}}, {{269, 37, 283, 86}, 144, {404, 56, 425, 129}}};
  for (const auto& [rect, dpi, scaled] : rects) EXPECT_EQ(ScaleRect(rect, dpi), scaled) << rect.Left << " at " << dpi;
  // The tray's icons are the shell's small icon size, or 16 where it tells none.
  for (const auto& [metric, size] : {std::pair(16, 16), std::pair(24, 24), std::pair(1, 1), std::pair(0, 16)})
    EXPECT_EQ(TrayIconSize(metric), size) << metric;
}

}  // namespace
}  // namespace tovi
