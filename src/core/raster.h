#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tovi {

// A plain colour as pictures hold it: 0x00BBGGRR.
using TColorRef = std::uint32_t;

inline constexpr TColorRef kBlack = 0x000000;
inline constexpr TColorRef kWhite = 0xFFFFFF;

// How a drawn picture combines with what is already there.
enum class TRasterOp { Copy, And, Or };

struct TPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

// An in-memory colour picture. Rows run top-down and each pixel is kept as a
// 32-bit device-independent bitmap stores it (0x00RRGGBB), so the platform
// layer can hand the rows to the screen without converting; Pixel and
// SetPixel speak plain 0x00BBGGRR colours.
class TRaster {
 public:
  // The largest picture we agree to hold: a 8192 by 8192 one is already far
  // beyond anything an eye needs, and it keeps the byte count well inside 32 bits.
  static constexpr std::int64_t kMaxPixels = std::int64_t{8192} * 8192;

  TRaster() = default;
  // Throws std::length_error for a negative size or one above kMaxPixels.
  TRaster(int width, int height, TColorRef fill = kBlack);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < FWidth && y < FHeight; }

  // (x, y) must lie inside the picture.
  TColorRef Pixel(int x, int y) const { return SwapRedBlue(FBits[Index(x, y)]); }
  void SetPixel(int x, int y, TColorRef colour) { FBits[Index(x, y)] = SwapRedBlue(colour); }
  void Fill(TColorRef colour);

  // Draws all of src unscaled with its top-left corner at (x, y), combined
  // through op; whatever falls outside this picture is left out.
  void Draw(const TRaster& src, int x, int y, TRasterOp op);

  // The rows as a 32-bit top-down DIB holds them.
  std::span<const std::uint32_t> Bits() const { return FBits; }
  std::span<std::uint32_t> Bits() { return FBits; }

  friend bool operator==(const TRaster&, const TRaster&) = default;

  static constexpr std::uint32_t SwapRedBlue(std::uint32_t c) {
    return (c & 0x00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu);
  }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(x);
  }

  int FWidth = 0;
  int FHeight = 0;
  std::vector<std::uint32_t> FBits;
};

}  // namespace tovi
