#include "core/bitmap_file.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace tovi {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kCoreHeaderBytes = 12;   // OS/2 1.x and Windows 2
constexpr std::size_t kInfoHeaderBytes = 40;   // Windows 3 and later
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

std::uint32_t Read16(std::span<const std::uint8_t> at) { return at[0] | (std::uint32_t{at[1]} << 8); }
std::uint32_t Read32(std::span<const std::uint8_t> at) { return Read16(at) | (Read16(at.subspan(2)) << 16); }

bool KnownInfoSize(std::uint32_t size) {
  return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == 52 || size == 56 || size == 108 ||
         size == 124;
}

std::size_t RowBytes(std::int64_t width, int bits) { return static_cast<std::size_t>((width * bits + 31) / 32 * 4); }

// A colour table entry is blue, green, red (and a spare byte but in OS/2 1.x files).
TColorRef EntryColour(std::span<const std::uint8_t> entry) {
  return entry[2] | (std::uint32_t{entry[1]} << 8) | (std::uint32_t{entry[0]} << 16);
}

// A channel of a pixel widened (or narrowed) to 8 bits as the platform's
// decoder does: the channel's bits, its top 8 if it has more, at the top of
// the byte and repeated once below them (abcde gives abcdeabc, abc gives
// abcabc00). Only the lowest unbroken group of the mask's bits counts.
std::uint32_t Channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  int length = std::countr_one(mask >> shift);
  auto value = static_cast<std::uint32_t>((pixel >> shift) & ((std::uint64_t{1} << length) - 1));
  if (length > 8) {
    value >>= length - 8;
    length = 8;
  }
  value <<= 8 - length;
  return value | (value >> length);
}

TColorRef PaletteColour(const TBitmapLayout& layout, std::uint32_t index) {
  return index < layout.Palette.size() ? layout.Palette[index] : kBlack;
}

// The colour of pixel x of a row of plain pixels.
TColorRef PlainPixel(std::span<const std::uint8_t> row, int x, const TBitmapLayout& layout) {
  const std::size_t bit = static_cast<std::size_t>(x) * static_cast<std::size_t>(layout.Bits);
  if (layout.Bits <= 8) {
    const int below = 8 - layout.Bits - static_cast<int>(bit % 8);  // the leftmost pixel is in the top bits
    return PaletteColour(layout, (row[bit / 8] >> below) & ((1u << layout.Bits) - 1));
  }
  std::uint32_t pixel = 0;
  for (std::size_t i = static_cast<std::size_t>(layout.Bits / 8); i-- > 0;) pixel = (pixel << 8) | row[bit / 8 + i];
  return Channel(pixel, layout.Masks[0]) | (Channel(pixel, layout.Masks[1]) << 8) |
         (Channel(pixel, layout.Masks[2]) << 16);
}

void DecodeRows(std::span<const std::uint8_t> pixels, const TBitmapLayout& layout, TKeyedPicture& picture) {
  const std::size_t rowBytes = RowBytes(layout.Width, layout.Bits);
  const auto row = [&](int y) {
    const int stored = layout.TopDown ? y : layout.Height - 1 - y;
    return pixels.subspan(static_cast<std::size_t>(stored) * rowBytes, rowBytes);
  };
  picture.Key = PlainPixel(row(layout.Height - 1), 0, layout);
  for (int y = 0; y < picture.Bitmap.Height(); ++y) {
    const auto bytes = row(y);
    for (int x = 0; x < picture.Bitmap.Width(); ++x) picture.Bitmap.SetPixel(x, y, PlainPixel(bytes, x, layout));
  }
}

// Walks the runs as the platform's decoder does, bottom row first, keeping
// only the pixels of the kept part and the key: a run is cut at the end of its
// row, a delta stops at the right edge, and the picture ends at the
// end-of-bitmap escape or above the top row. Runs are drawn only once an
// escape (end of line, delta, end of bitmap) follows them: where the data
// ends first, or an absolute run is cut short, the runs since the last
// escape are lost.
void DecodeRuns(std::span<const std::uint8_t> runs, const TBitmapLayout& layout, TKeyedPicture& picture) {
  const int bits = layout.Coding == TPixelCoding::Rle4 ? 4 : 8;
  int x = 0, y = 0;  // y counts rows from the bottom
  int left = 0;      // where the runs of row y that no escape has followed yet begin
  // Paints count pixels from x on, the k-th in palette colour indexOf(k).
  const auto put = [&](int count, auto indexOf) {
    if (x == 0 && y == 0) picture.Key = PaletteColour(layout, indexOf(0));
    const int top = layout.Height - 1 - y;
    if (top >= picture.Bitmap.Height()) return;
    for (int k = 0; k < std::min(count, picture.Bitmap.Width() - x); ++k)
      picture.Bitmap.SetPixel(x + k, top, PaletteColour(layout, indexOf(k)));
  };
  const auto loseTheRow = [&] {
    if (y == 0 && left == 0 && x > 0) picture.Key = kBlack;
    const int top = layout.Height - 1 - y;
    if (top >= picture.Bitmap.Height()) return;
    for (int k = left; k < std::min(x, picture.Bitmap.Width()); ++k) picture.Bitmap.SetPixel(k, top, kBlack);
  };
  std::size_t i = 0;
  while (i + 1 < runs.size()) {
    const int count = runs[i], data = runs[i + 1];
    i += 2;
    if (count > 0) {
      const int pixels = std::min(count, layout.Width - x);
      // RLE4 runs alternate between the two nibbles, the high one first.
      put(pixels, [&](int k) { return bits == 8 ? data : (k % 2 ? data & 15 : data >> 4); });
      x += pixels;
    } else if (data >= 3) {  // absolute: `data` pixels follow, padded to a whole number of 16-bit words
      const std::size_t bytes = (static_cast<std::size_t>(data) * static_cast<std::size_t>(bits) + 7) / 8;
      if (bytes > runs.size() - i) break;
      const auto from = runs.subspan(i, bytes);
      const int pixels = std::min(data, layout.Width - x);
      put(pixels, [&](int k) { return bits == 8 ? from[k] : (k % 2 ? from[k / 2] & 15 : from[k / 2] >> 4); });
      x += pixels;
      i += (bytes + 1) & ~std::size_t{1};
    } else if (data == 1) {  // end of bitmap
      return;
    } else {
      if (data == 0) {  // end of line
        x = 0;
        ++y;
      } else {  // delta: right and up
        if (i + 1 >= runs.size()) return;
        x = std::min(x + runs[i], layout.Width);
        y += runs[i + 1];
        i += 2;
      }
      if (y >= layout.Height) return;
      left = x;
    }
  }
  loseTheRow();
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

  const std::int64_t height = std::abs(rawHeight);
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
    pixelBytes = RowBytes(width, static_cast<int>(bits)) * static_cast<std::size_t>(height);
    if (pixelBytes > available) return std::nullopt;
  }

  TBitmapLayout layout;
  if (paletted) {
    for (std::size_t i = 0; i < entries; ++i)
      layout.Palette.push_back(EntryColour(file.subspan(tableOffset + i * entryBytes, entryBytes)));
  } else if (compression == kBitFields) {
    // A 40-byte header has the masks after it; later ones carry them right after their first 40 bytes.
    const auto masks = infoSize == kInfoHeaderBytes ? file.subspan(tableOffset) : header.subspan(kInfoHeaderBytes);
    layout.Masks = {Read32(masks), Read32(masks.subspan(4)), Read32(masks.subspan(8))};
    if (std::ranges::count(layout.Masks, 0u) != 0) return std::nullopt;  // as the platform's decoder refuses them
  } else if (bits == 16) {
    layout.Masks = {0x7C00, 0x03E0, 0x001F};
  } else {
    layout.Masks = {0xFF0000, 0x00FF00, 0x0000FF};  // a 32-bit pixel's fourth byte is no part of its colour
  }
  layout.Width = static_cast<std::int32_t>(width);
  layout.Height = static_cast<std::int32_t>(height);
  layout.TopDown = rawHeight < 0;
  layout.Bits = static_cast<int>(bits);
  layout.Coding = compression == kRle8 ? TPixelCoding::Rle8 : compression == kRle4 ? TPixelCoding::Rle4
                                                                                    : TPixelCoding::Plain;
  layout.PixelOffset = pixelOffset;
  layout.PixelBytes = pixelBytes;
  return layout;
}

std::optional<TKeyedPicture> ReadBitmapFile(std::span<const std::uint8_t> file, int size) {
  const std::optional<TBitmapLayout> layout = CheckBitmapFile(file);
  if (!layout) return std::nullopt;
  TKeyedPicture picture{TRaster(std::min(layout->Width, size), std::min(layout->Height, size))};
  const auto pixels = file.subspan(layout->PixelOffset, layout->PixelBytes);
  if (layout->Coding == TPixelCoding::Plain) DecodeRows(pixels, *layout, picture);
  else DecodeRuns(pixels, *layout, picture);
  return picture;
}

}  // namespace tovi
