#pragma once

#include "core/raster.h"

namespace tovi {

// The layouts and fonts of the dialogs are drawn for this many dots per inch.
inline constexpr int kDesignDpi = 96;

// value * dpi / 96 rounded to the nearest whole pixel, halves away from zero,
// as MulDiv rounds; at 96 every value stays what it is.
int ScaleByDpi(int value, int dpi);

// Each edge scaled on its own: rectangles that touch at 96 DPI touch at every
// scale, and none grows into its neighbour by rounding.
TRect ScaleRect(const TRect& rect, int dpi);

// The size of the icons the shell shows in the notification area, from its
// small-icon metric; the 16 pixels of 96 DPI where the platform tells nothing.
int TrayIconSize(int smallIconMetric);

}  // namespace tovi
