#include "bitmap_bytes.h"

namespace tovi::testing {
namespace {

void Put(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

}  // namespace

std::string ColourTable(const std::vector<TColorRef>& colours) {
  std::string table;
  for (const TColorRef c : colours) Put(table, TRaster::SwapRedBlue(c), 4);
  return table;
}

std::string BmpFileOf(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                      const std::string& table, const std::string& pixels) {
  const auto offset = static_cast<std::uint32_t>(14 + 40 + table.size());
  std::string file = "BM";
  for (const std::uint32_t v : {offset + static_cast<std::uint32_t>(pixels.size()), 0u, offset, 40u,
                                static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                1u | static_cast<std::uint32_t>(bits) << 16, compression,
                                static_cast<std::uint32_t>(pixels.size()), 2835u, 2835u,
                                static_cast<std::uint32_t>(bits <= 8 ? table.size() / 4 : 0), 0u})
    Put(file, v, 4);
  return file + table + pixels;
}

std::string BmpFile(const std::vector<TColorRef>& palette, const std::vector<std::string>& rows, int bits,
                    std::uint32_t compression, bool topDown) {
  const auto height = static_cast<int>(rows.size());
  std::string pixels;
  for (int i = 0; i < height; ++i) {
    const std::string& row = rows[static_cast<std::size_t>(topDown ? i : height - 1 - i)];
    unsigned pending = 0;
    int pendingBits = 0;
    for (const char letter : row) {
      const auto index = static_cast<unsigned>(letter - 'a');
      const TColorRef c = palette[index];
      const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
      if (compression != 0) pixels += {'\1', static_cast<char>(bits == 4 ? index * 0x11 : index)};
      else if (bits <= 8) pending = (pending << bits) | (index & ((1u << bits) - 1)), pendingBits += bits;
      else if (bits == 16) Put(pixels, ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3), 2);
      else Put(pixels, TRaster::SwapRedBlue(c) | 0xFF000000u, bits / 8);
      if (pendingBits == 8) pixels += static_cast<char>(pending), pending = 0, pendingBits = 0;
    }
    if (pendingBits > 0) pixels += static_cast<char>(pending << (8 - pendingBits));
    if (compression != 0) pixels += {'\0', '\0'};
    else pixels.resize((pixels.size() + 3) / 4 * 4, '\0');
  }
  if (compression != 0) pixels += {'\0', '\1'};
  std::vector<TColorRef> table = palette;
  table.resize(bits <= 8 ? std::size_t{1} << bits : 0);
  return BmpFileOf(static_cast<std::int32_t>(rows[0].size()), topDown ? -height : height, bits, compression,
                   ColourTable(table), pixels);
}

}  // namespace tovi::testing
