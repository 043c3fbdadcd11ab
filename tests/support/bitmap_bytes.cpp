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

}  // namespace tovi::testing
