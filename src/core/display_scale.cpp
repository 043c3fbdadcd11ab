#include "core/display_scale.h"

#include <cstdint>

namespace tovi {

int ScaleByDpi(int value, int dpi) {
  const std::int64_t product = std::int64_t{value} * dpi;
  const std::int64_t half = kDesignDpi / 2;
  return static_cast<int>((product >= 0 ? product + half : product - half) / kDesignDpi);
}

TRect ScaleRect(const TRect& rect, int dpi) {
  return {ScaleByDpi(rect.Left, dpi), ScaleByDpi(rect.Top, dpi), ScaleByDpi(rect.Right, dpi),
          ScaleByDpi(rect.Bottom, dpi)};
}

int TrayIconSize(int smallIconMetric) { return smallIconMetric > 0 ? smallIconMetric : 16; }

}  // namespace tovi
