#include "core/round_off.h"

#include <cmath>
#include <cstdint>

namespace tovi {

double RoundOff(int digits, double x) {
  const double scale = std::pow(10.0, digits - 1);
  const double y = x * scale;
  const auto r = static_cast<std::int64_t>(y >= 0 ? y + 0.5 : y - 0.5);
  return static_cast<double>(r) / scale;
}

}  // namespace tovi
