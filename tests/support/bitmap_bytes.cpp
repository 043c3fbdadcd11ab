#include "bitmap_bytes.h"

#include <stdexcept>

namespace tovi::testing {
namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2;

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void PadRow(std::string& out, std::size_t rowStart) {
  while ((out.size() - rowStart) % 4 != 0) out += '\0';
}

// Rows bottom-up, as a bitmap file keeps them unless its height is negative.
std::string PixelRows(const TBmpPicture& p, int bits, bool topDown) {
  std::string out;
  for (int i = 0; i < p.Height(); ++i) {
    const int y = topDown ? i : p.Height() - 1 - i;
    const std::size_t start = out.size();
    unsigned pending = 0;
    int pendingBits = 0;
    for (int x = 0; x < p.Width(); ++x) {
      const TColorRef c = p.Colour(x, y);
      const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
      switch (bits) {
        case 1:
        case 4:
        case 8:
          pending = (pending << bits) | static_cast<unsigned>(p.Index(x, y));
          pendingBits += bits;
          if (pendingBits == 8) {
            out += static_cast<char>(pending);
            pending = 0;
            pendingBits = 0;
          }
          break;
        case 16: Put16(out, ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)); break;
        case 24: out += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)}; break;
        case 32: Put32(out, (r << 16) | (g << 8) | b | 0xFF000000u); break;
        default: throw std::invalid_argument("bits");
      }
    }
    if (pendingBits > 0) out += static_cast<char>(pending << (8 - pendingBits));
    PadRow(out, start);
  }
  return out;
}

// Run-length rows: each pixel one run, in a count-and-value pair.
std::string RleRows(const TBmpPicture& p, int bits) {
  std::string out;
  for (int y = p.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < p.Width(); ++x) {
      const auto index = static_cast<unsigned>(p.Index(x, y));
      out += static_cast<char>(1);
      out += static_cast<char>(bits == 4 ? (index << 4) | index : index);
    }
    out += {'\0', '\0'};  // end of line
  }
  out += {'\0', '\1'};  // end of bitmap
  return out;
}

}  // namespace

std::string BmpFile(const TBmpPicture& picture, TBmpKind kind) {
  int bits = 24;
  std::uint32_t compression = kRgb;
  bool topDown = false;
  switch (kind) {
    case TBmpKind::Bits1: bits = 1; break;
    case TBmpKind::Bits4: bits = 4; break;
    case TBmpKind::Bits8: bits = 8; break;
    case TBmpKind::Bits16: bits = 16; break;
    case TBmpKind::Bits24: bits = 24; break;
    case TBmpKind::Bits32: bits = 32; break;
    case TBmpKind::Rle4: bits = 4; compression = kRle4; break;
    case TBmpKind::Rle8: bits = 8; compression = kRle8; break;
    case TBmpKind::TopDown24: topDown = true; break;
  }
  const bool paletted = bits <= 8;
  std::string palette;
  if (paletted) {
    for (std::size_t i = 0; i < (std::size_t{1} << bits); ++i) {
      const TColorRef c = i < picture.palette.size() ? picture.palette[i] : 0;
      palette += {static_cast<char>((c >> 16) & 0xFF), static_cast<char>((c >> 8) & 0xFF),
                  static_cast<char>(c & 0xFF), '\0'};
    }
  }
  const std::string pixels = compression == kRgb ? PixelRows(picture, bits, topDown) : RleRows(picture, bits);
  const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size());

  std::string file = "BM";
  Put32(file, offset + static_cast<std::uint32_t>(pixels.size()));
  Put32(file, 0);
  Put32(file, offset);
  Put32(file, 40);
  Put32(file, static_cast<std::uint32_t>(picture.Width()));
  Put32(file, static_cast<std::uint32_t>(topDown ? -picture.Height() : picture.Height()));
  Put16(file, 1);
  Put16(file, static_cast<unsigned>(bits));
  Put32(file, compression);
  Put32(file, static_cast<std::uint32_t>(pixels.size()));
  Put32(file, 2835);
  Put32(file, 2835);
  Put32(file, paletted ? 1u << bits : 0);
  Put32(file, 0);
  return file + palette + pixels;
}

}  // namespace tovi::testing
