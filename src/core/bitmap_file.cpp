#include "core/bitmap_file.h"

#include "core/raster.h"

namespace tovi {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kCoreHeaderBytes = 12;   // OS/2 1.x and Windows 2
constexpr std::size_t kInfoHeaderBytes = 40;   // Windows 3 and later
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

std::uint32_t Read16(std::span<const std::uint8_t> at) { return at[0] | (std::uint32_t{at[1]} << 8); }
std::uint32_t Read32(std::span<const std::uint8_t> at) { return Read16(at) | (Read16(at.subspan(2)) << 16); }

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool KnownInfoSize(std::uint32_t size) {
  return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == 52 || size == 56 || size == 108 ||
         size == 124;
}

}  // namespace

std::optional<TBitmapLayout> CheckBitmapFile(std::span<const std::uint8_t> file) {
  if (file.size() < kFileHeaderBytes + kCoreHeaderBytes || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::uint32_t dataOffset = Read32(file.subspan(10));
  const auto header = file.subspan(kFileHeaderBytes);
  const std::uint32_t infoSize = Read32(header);
  if (!KnownInfoSize(infoSize) || header.size() < infoSize) return std::nullopt;
  const bool core = infoSize == kCoreHeaderBytes;

  // Sizes are signed in the newer headers, unsigned 16-bit in the old one.
  const auto signedAt = [&](std::size_t at) { return std::int64_t{static_cast<std::int32_t>(Read32(header.subspan(at)))}; };
  const std::int64_t width = core ? std::int64_t{Read16(header.subspan(4))} : signedAt(4);
  const std::int64_t rawHeight = core ? std::int64_t{Read16(header.subspan(6))} : signedAt(8);
  const std::uint32_t planes = Read16(header.subspan(core ? 8 : 12));
  const std::uint32_t bits = Read16(header.subspan(core ? 10 : 14));
  const std::uint32_t compression = core ? kRgb : Read32(header.subspan(16));
  const std::uint32_t imageSize = core ? 0 : Read32(header.subspan(20));
  const std::uint32_t coloursUsed = core ? 0 : Read32(header.subspan(32));

  const std::int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
  if (width <= 0 || height <= 0 || width * height > TRaster::kMaxPixels || planes != 1) return std::nullopt;
  const bool paletted = bits == 1 || bits == 4 || bits == 8;
  if (!paletted && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
  switch (compression) {
    case kRgb: break;
    case kRle8: if (bits != 8 || rawHeight < 0) return std::nullopt; break;
    case kRle4: if (bits != 4 || rawHeight < 0) return std::nullopt; break;
    case kBitFields: if (bits != 16 && bits != 32) return std::nullopt; break;
    default: return std::nullopt;  // embedded JPEG or PNG, and anything unknown
  }

  // The colour table (or the three masks of a 40-byte header) follows the header.
  const std::size_t tableOffset = kFileHeaderBytes + infoSize;
  const std::size_t entryBytes = core ? 3 : 4;
  std::size_t entries = 0;
  if (paletted) {
    const std::size_t full = std::size_t{1} << bits;
    if (coloursUsed > full) return std::nullopt;
    entries = coloursUsed == 0 ? full : coloursUsed;
  } else if (compression == kBitFields && infoSize == kInfoHeaderBytes) {
    entries = 3;
  }
  const std::size_t tableEnd = tableOffset + entries * entryBytes;
  if (tableEnd > file.size()) return std::nullopt;
  const std::size_t pixelOffset = dataOffset != 0 ? dataOffset : tableEnd;
  if (pixelOffset < tableEnd || pixelOffset > file.size()) return std::nullopt;

  const std::size_t available = file.size() - pixelOffset;
  std::size_t pixelBytes = 0;
  if (compression == kRle4 || compression == kRle8) {
    // The decoder reads the runs no further than the stated size.
    if (imageSize == 0 || imageSize > available) return std::nullopt;
    pixelBytes = imageSize;
  } else {
    const auto rowBytes = static_cast<std::size_t>((width * bits + 31) / 32 * 4);
    pixelBytes = rowBytes * static_cast<std::size_t>(height);
    if (pixelBytes > available) return std::nullopt;
  }

  TBitmapLayout layout;
  layout.Width = static_cast<std::int32_t>(width);
  layout.Height = static_cast<std::int32_t>(height);
  layout.TopDown = rawHeight < 0;
  layout.PixelOffset = pixelOffset;
  layout.PixelBytes = pixelBytes;
  layout.Info.assign(kInfoHeaderBytes + entries * 4, 0);
  Put32(layout.Info, 0, kInfoHeaderBytes);
  Put32(layout.Info, 4, static_cast<std::uint32_t>(width));
  Put32(layout.Info, 8, static_cast<std::uint32_t>(rawHeight));
  layout.Info[12] = 1;
  layout.Info[14] = static_cast<std::uint8_t>(bits);
  Put32(layout.Info, 16, compression);
  Put32(layout.Info, 20, static_cast<std::uint32_t>(compression == kRle4 || compression == kRle8 ? pixelBytes : 0));
  Put32(layout.Info, 32, static_cast<std::uint32_t>(paletted ? entries : 0));
  if (compression == kBitFields && infoSize > kInfoHeaderBytes) {
    // Later headers carry the masks inside themselves, right after the first 40 bytes.
    for (std::size_t i = 0; i < 12; ++i) layout.Info.push_back(header[kInfoHeaderBytes + i]);
  } else {
    for (std::size_t i = 0; i < entries; ++i) {
      const auto entry = file.subspan(tableOffset + i * entryBytes, entryBytes);
      for (std::size_t b = 0; b < entryBytes; ++b) layout.Info[kInfoHeaderBytes + i * 4 + b] = entry[b];
    }
  }
  return layout;
}

}  // namespace tovi
