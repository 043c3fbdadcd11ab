#include "bitmap_bytes.h"

#include <stdexcept>

namespace tovi::testing {
namespace {

void Put16(std::string& out, unsigned value) {
  out += {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Rows bottom-up unless topDown, each padded to 4 bytes.
std::string PixelRows(const TBmpPicture& p, int bits, bool topDown) {
  std::string out;
  for (int i = 0; i < p.Height(); ++i) {
    const int y = topDown ? i : p.Height() - 1 - i;
    unsigned pending = 0;
    int pendingBits = 0;
    for (int x = 0; x < p.Width(); ++x) {
      const TColorRef c = p.Colour(x, y);
      const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
      if (bits <= 8) {
        pending = (pending << bits) | static_cast<unsigned>(p.Index(x, y));
        if ((pendingBits += bits) == 8) out += static_cast<char>(pending), pending = 0, pendingBits = 0;
      } else if (bits == 16) {
        Put16(out, ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
      } else if (bits == 24) {
        out += {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
      } else {
        Put32(out, (r << 16) | (g << 8) | b | 0xFF000000u);
      }
    }
    if (pendingBits > 0) out += static_cast<char>(pending << (8 - pendingBits));
    while (out.size() % 4 != 0) out += '\0';
  }
  return out;
}

// Run-length rows: each pixel a run of one, each row ended, then the bitmap ended.
std::string RleRows(const TBmpPicture& p, int bits) {
  std::string out;
  for (int y = p.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < p.Width(); ++x) {
      const auto index = static_cast<unsigned>(p.Index(x, y));
      out += {'\1', static_cast<char>(bits == 4 ? (index << 4) | index : index)};
    }
    out += {'\0', '\0'};
  }
  return out + std::string{'\0', '\1'};
}

}  // namespace

std::string ColourTable(const std::vector<TColorRef>& colours) {
  std::string table;
  for (const TColorRef c : colours)
    table += {static_cast<char>((c >> 16) & 0xFF), static_cast<char>((c >> 8) & 0xFF), static_cast<char>(c & 0xFF),
              '\0'};
  return table;
}

std::string BmpFileOf(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                      const std::string& table, const std::string& pixels) {
  const auto offset = static_cast<std::uint32_t>(14 + 40 + table.size());
  const auto colours = static_cast<std::uint32_t>(bits <= 8 ? table.size() / 4 : 0);
  std::string file = "BM";
  for (std::uint32_t v : {offset + static_cast<std::uint32_t>(pixels.size()), 0u, offset, 40u,
                          static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
    Put32(file, v);
  Put16(file, 1);
  Put16(file, static_cast<unsigned>(bits));
  for (std::uint32_t v : {compression, static_cast<std::uint32_t>(pixels.size()), 2835u, 2835u, colours, 0u})
    Put32(file, v);
  return file + table + pixels;
}

std::string BmpFile(const TBmpPicture& picture, TBmpKind kind) {
  static constexpr int kBits[] = {1, 4, 8, 16, 24, 32, 4, 8, 24};
  const int bits = kBits[static_cast<int>(kind)];
  const std::uint32_t compression = kind == TBmpKind::Rle8 ? 1 : kind == TBmpKind::Rle4 ? 2 : 0;
  const bool topDown = kind == TBmpKind::TopDown24, paletted = bits <= 8;
  std::vector<TColorRef> colours = picture.palette;
  colours.resize(paletted ? std::size_t{1} << bits : 0);
  const std::string palette = ColourTable(colours);
  const std::string pixels = compression == 0 ? PixelRows(picture, bits, topDown) : RleRows(picture, bits);
  return BmpFileOf(picture.Width(), topDown ? -picture.Height() : picture.Height(), bits, compression, palette,
                   pixels);
}

}  // namespace tovi::testing
