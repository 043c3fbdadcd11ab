#pragma once

#include <cstdint>

namespace tovi {

// Tells when something asked at most once a period may be asked again: at
// once the first time, then when the period has passed since the last time.
// Tick counts wrap after 49.7 days; only their difference counts.
class TOncePer {
 public:
  explicit constexpr TOncePer(std::uint32_t period) : FPeriod(period) {}

  bool Due(std::uint32_t now) {
    if (FAsked && now - FLast < FPeriod) return false;
    FAsked = true;
    FLast = now;
    return true;
  }

 private:
  std::uint32_t FPeriod;
  std::uint32_t FLast = 0;
  bool FAsked = false;
};

}  // namespace tovi
