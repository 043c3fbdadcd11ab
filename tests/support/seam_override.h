#pragma once

#include <utility>

#include "toolkit/seams.h"

namespace tovi {

// Swaps one of the seams for a replacement; the real call comes back when the guard goes.
template <typename TFunction>
class TSeamOverride {
 public:
  TSeamOverride(TFunction& seam, TFunction replacement) : FSeam(seam), FSaved(std::exchange(seam, replacement)) {}
  ~TSeamOverride() { FSeam = FSaved; }
  TSeamOverride(const TSeamOverride&) = delete;
  TSeamOverride& operator=(const TSeamOverride&) = delete;

 private:
  TFunction& FSeam;
  TFunction FSaved;
};

}  // namespace tovi
