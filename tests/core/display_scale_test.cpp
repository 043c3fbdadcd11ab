#include "core/display_scale.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tovi {
namespace {

TEST(DisplayScale, RoundsToTheNearestPixelHalvesAwayFromZeroAndKeeps96) {
  const std::tuple<int, int, int> cases[] = {
      {12, 96, 12},   {-12, 96, -12}, {12, 120, 15}, {12, 144, 18},  {-12, 144, -18}, {89, 144, 134},
      {25, 144, 38},  {-3, 120, -4},  {5, 120, 6},   {1, 144, 2},    {283, 120, 354}, {7, 168, 12},
      {13, 192, 26},  {0, 144, 0},
  };
  for (const auto& [value, dpi, scaled] : cases) EXPECT_EQ(ScaleByDpi(value, dpi), scaled) << value << " at " << dpi;
  // Each edge alone, so that neighbours still touch: the settings dialog's OK button, one starting where it ends.
  const std::tuple<TRect, int, TRect> rects[] = {
      {{180, 12, 269, 37}, 96, {180, 12, 269, 37}},  {{180, 12, 269, 37}, 144, {270, 18, 404, 56}},
      {{269, 37, 283, 86}, 144, {404, 56, 425, 129}}, {{180, 12, 269, 37}, 120, {225, 15, 336, 46}},
  };
  for (const auto& [rect, dpi, scaled] : rects) EXPECT_EQ(ScaleRect(rect, dpi), scaled) << rect.Left << " at " << dpi;
  // The tray's icons are the shell's small icon size, or 16 where it tells none.
  for (const auto& [metric, size] : {std::pair(16, 16), std::pair(24, 24), std::pair(1, 1), std::pair(0, 16)})
    EXPECT_EQ(TrayIconSize(metric), size) << metric;
}

}  // namespace
}  // namespace tovi
