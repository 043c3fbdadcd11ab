#include "core/raster.h"

#include <algorithm>
#include <stdexcept>

namespace tovi {

TRaster::TRaster(int width, int height, TColorRef fill) {
  if (width < 0 || height < 0 || std::int64_t{width} * height > kMaxPixels)
    throw std::length_error("picture size out of range");
  FWidth = width;
  FHeight = height;
  FBits.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), SwapRedBlue(fill));
}

void TRaster::Fill(TColorRef colour) { std::ranges::fill(FBits, SwapRedBlue(colour)); }

void TRaster::Draw(const TRaster& src, int x, int y, TRasterOp op) {
  // Clip in 64 bits so that far-off positions cannot overflow.
  const std::int64_t left = std::max<std::int64_t>(0, x);
  const std::int64_t top = std::max<std::int64_t>(0, y);
  const std::int64_t right = std::min<std::int64_t>(FWidth, std::int64_t{x} + src.FWidth);
  const std::int64_t bottom = std::min<std::int64_t>(FHeight, std::int64_t{y} + src.FHeight);
  if (left >= right || top >= bottom) return;

  const auto width = static_cast<std::size_t>(right - left);
  for (std::int64_t row = top; row < bottom; ++row) {
    const std::uint32_t* from = &src.FBits[src.Index(static_cast<int>(left - x), static_cast<int>(row - y))];
    std::uint32_t* to = &FBits[Index(static_cast<int>(left), static_cast<int>(row))];
    switch (op) {
      case TRasterOp::Copy:
        std::copy_n(from, width, to);
        break;
      case TRasterOp::And:
        for (std::size_t i = 0; i < width; ++i) to[i] &= from[i];
        break;
      case TRasterOp::Or:
        for (std::size_t i = 0; i < width; ++i) to[i] |= from[i];
        break;
    }
  }
}

}  // namespace tovi
