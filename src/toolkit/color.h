#pragma once

#include <windows.h>

#include <cstdint>

#include "core/raster.h"

namespace tovi {

// A colour as controls hold it: 0x00BBGGRR, or with the top bit set a system
// colour whose index is the low byte.
using TColor = std::uint32_t;
inline constexpr TColor kSystemColor = 0x80000000;
inline constexpr TColor clBtnFace = kSystemColor | COLOR_BTNFACE;

// The plain colour a control colour stands for now.
inline TColorRef ColorToRGB(TColor color) {
  return color & kSystemColor ? GetSysColor(static_cast<int>(color & 0xFF)) : color;
}

}  // namespace tovi
