#include "core/bitmap_file.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "letter_picture.h"

namespace tovi {
namespace {

using namespace std::string_literals;

// A value's four bytes, the lowest first.
std::string Le32(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string With(std::string file, std::size_t at, std::uint32_t value) { return file.replace(at, 4, Le32(value)); }

// The colours as a file's colour table holds them.
std::string ColourTable(const std::vector<TColorRef>& colours) {
  std::string table;
  for (const TColorRef c : colours) table += Le32(TRaster::SwapRedBlue(c));
  return table;
}

// A file of a 40-byte header (a negative height: top-down), the colour table
// or the bit-field masks as given, then the pixel rows or runs as given.
std::string BmpFileOf(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression,
                      const std::string& table, const std::string& pixels) {
  const auto offset = static_cast<std::uint32_t>(14 + 40 + table.size());
  std::string file = "BM";
  for (const std::uint32_t v : {offset + static_cast<std::uint32_t>(pixels.size()), 0u, offset, 40u,
                                static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                                1u | static_cast<std::uint32_t>(bits) << 16, compression,
                                static_cast<std::uint32_t>(pixels.size()), 2835u, 2835u,
                                static_cast<std::uint32_t>(bits <= 8 ? table.size() / 4 : 0), 0u})
    file += Le32(v);
  return file + table + pixels;
}

// Letters a to d stand for the palette's colours, '.' for black.
const testing::TLegend kLegend{".abcd", {kBlack, 0xFF00FF, 0x0000FF, 0x00FF00, 0xFF0000}};
const std::vector<TColorRef> kPalette(kLegend.Colours.begin() + 1, kLegend.Colours.end());

// Every format of a 3 by 2 picture, abc over dcb: bits, compression, top-down;
// the colours in its table, and its pixels, the bottom row first but top-down,
// rows padded to 4 bytes; or runs, each row ended, then the picture. One bit a
// pixel has room for a and b only.
const std::tuple<int, std::uint32_t, bool, std::size_t, const char*> kFormats[] = {
    {1, 0, false, 2, "a0000000 40000000"}, {4, 0, false, 16, "32100000 01200000"},
    {8, 0, false, 256, "03020100 00010200"}, {16, 0, false, 0, "1f00e003007c0000 1f7c007ce0030000"},
    {24, 0, false, 0, "ff000000ff000000ff000000 ff00ff0000ff00ff00000000"},
    {32, 0, false, 0, "ff00000000ff00000000ff00 ff00ff000000ff0000ff0000"},
    {4, 2, false, 16, "0130 0120 0110 0000 0100 0110 0120 0000 0001"},
    {8, 1, false, 256, "0103 0102 0101 0000 0100 0101 0102 0000 0001"},
    {24, 0, true, 0, "ff00ff0000ff00ff00000000 ff000000ff000000ff000000"},
};

// Bytes from pairs of hexadecimal digits, spaces left out.
std::string Hex(std::string_view digits) {
  std::string bytes;
  for (std::size_t i = 0; i < digits.size(); i += digits[i] == ' ' ? 1 : 2)
    if (digits[i] != ' ') bytes += static_cast<char>(std::stoi(std::string(digits.substr(i, 2)), nullptr, 16));
  return bytes;
}

std::string FileOf(const std::tuple<int, std::uint32_t, bool, std::size_t, const char*>& format) {
  const auto& [bits, compression, topDown, colours, pixels] = format;
  std::vector<TColorRef> table = kPalette;
  table.resize(colours);
  return BmpFileOf(3, topDown ? -2 : 2, bits, compression, ColourTable(table), Hex(pixels));
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// The picture read at most size by size, and its key; nothing where the file is refused.
std::optional<std::pair<TRaster, TColorRef>> Read(const std::string& file, int size = 16) {
  const auto picture = ReadBitmapFile(Bytes(file), size);
  return picture ? std::optional(std::pair(picture->Bitmap, picture->Key)) : std::nullopt;
}

TEST(ReadBitmapFile, EveryFormatItsLayoutTheTopLeftPartAndTheBottomLeftKey) {
  for (const auto& format : kFormats) {
    const auto& [bits, compression, topDown, colours, pixels] = format;
    const std::string file = FileOf(format);
    const auto layout = CheckBitmapFile(Bytes(file));
    ASSERT_TRUE(layout.has_value()) << bits << " bits, compression " << compression;
    EXPECT_EQ(std::tuple(layout->Width, layout->Height, layout->TopDown, layout->Palette.size(),
                         layout->PixelOffset + layout->PixelBytes, layout->PixelBytes),
              std::tuple(3, 2, topDown, colours, file.size(), Hex(pixels).size()))
        << bits << " bits, compression " << compression << ": width, height, top-down, colours, pixels' end, bytes";
    if (bits == 1) continue;  // the OS/2 picture below reads one bit a pixel
    for (const auto& [size, rows] : {std::pair(16, std::vector<std::string>{"abc", "dcb"}),
                                     std::pair(2, std::vector<std::string>{"ab", "dc"})})
      EXPECT_EQ(Read(file, size), std::pair(kLegend.Picture(rows), kLegend.Colour('d')))
          << bits << " bits, compression " << compression << ", at most " << size << " by " << size;
  }
  EXPECT_TRUE(CheckBitmapFile(Bytes(BmpFileOf(8192, 8192, 8, 1, ColourTable(kPalette), "\0\1"s))))
      << "as many pixels as a picture we keep";
}

TEST(ReadBitmapFile, WidensTheColoursOfOldOs2Headers) {
  // A 12-byte header, 2 by 2 at 1 bit, 3-byte colour entries; the bottom row 10, the top one 01.
  const std::string file("BM\0\0\0\0\0\0\0\0\0\0\0\0" "\x0C\0\0\0\2\0\2\0\1\0\1\0" "\x10\x20\x30\x40\x50\x60"
                         "\x80\0\0\0\x40\0\0\0", 40);
  const testing::TLegend colours{"01", {0x102030, 0x405060}};
  EXPECT_EQ(Read(file), std::pair(colours.Picture({"01", "10"}), 0x405060u));
}

TEST(CheckBitmapFile, RefusesWhatIsNotAWholeBitmap) {
  const std::string good = FileOf(kFormats[2]), rle = FileOf(kFormats[7]);
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""}, {"wrong magic", "BN" + good.substr(2)}, {"unknown header size", With(good, 14, 64)},
      {"pixels cut short", good.substr(0, good.size() - 1)}, {"colour table cut short", good.substr(0, 14 + 40 + 100)},
      {"width 0", With(good, 18, 0)}, {"negative width", With(good, 18, 0xFFFFFFFB)}, {"height 0", With(good, 22, 0)},
      {"more pixels than any picture we keep", With(With(rle, 18, 8193), 22, 8192)},
      {"two planes", With(good, 26, 0x00080002)}, {"2 bits per pixel", With(good, 26, 0x00020001)},
      {"embedded JPEG", With(good, 30, 4)}, {"RLE4 at 8 bits", With(good, 30, 2)},
      {"more colours than 8 bits allow", With(good, 46, 257)}, {"run data longer than the file", With(rle, 34, 100000)},
      {"pixel data beyond the end", With(good, 10, static_cast<std::uint32_t>(good.size() + 1))},
      {"pixel data inside the colour table", With(good, 10, 14 + 40)}, {"run data of unknown length", With(rle, 34, 0)},
      {"run data upside down", With(rle, 22, static_cast<std::uint32_t>(-3))},
      {"a bit-field mask of nothing",
       BmpFileOf(1, 1, 16, 3, std::string(12, '\xFF').replace(4, 4, 4, '\0'), "\xFF\xFF\0\0"s)},
  };
  for (const auto& [name, file] : cases) EXPECT_FALSE(CheckBitmapFile(Bytes(file)).has_value()) << name;
}

// Whatever the damage, an accepted layout lies inside the bytes, and reading
// the picture stays inside them too; the sanitizers catch any read beyond.
TEST(CheckBitmapFile, RandomDamageNeverLeadsOutsideTheFile) {
  std::mt19937 random(20261206);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string file = FileOf(kFormats[round % 9]);
    // Cut the file, or set a byte anywhere to anything or one of the headers' to a small number.
    for (int i = static_cast<int>(random() % 4); i >= 0 && !file.empty(); --i) {
      if (random() % 3 == 0) file.resize(random() % (file.size() + 1));
      else if (random() % 2) file[random() % file.size()] = static_cast<char>(random());
      else file[random() % std::min<std::size_t>(file.size(), 60)] = static_cast<char>(random() % 4);
    }
    const std::vector<std::uint8_t> exact(file.begin(), file.end());  // no slack for a stray read
    const auto layout = CheckBitmapFile(exact);
    accepted += layout.has_value();
    ASSERT_TRUE(!layout || (layout->PixelOffset + layout->PixelBytes <= exact.size() && ReadBitmapFile(exact, round % 4)))
        << "round " << round;
  }
  EXPECT_GT(accepted, 0) << "harmless damage (a colour, a pixel) must still be accepted";
}

// Channels of 16 and 32 bits as Wine's own decoder gave them, compared once.
TEST(ReadBitmapFile, WidensEveryChannelAsThePlatformDoes) {
  const std::string k565 = "\0\xF8\0\0" "\xE0\x07\0\0" "\x1F\0\0\0"s;
  const std::string kTenNineTen = "\0\0\xF0\x3F" "\0\xFC\x07\0" "\xFF\x03\0\0"s;
  const std::string kOneBit = "\4\0\0\0" "\2\0\0\0" "\1\0\0\0"s;
  const std::string kBroken = "\x0F\x0F\0\0" "\xF0\0\0\0" "\x10\0\0\0"s;  // red in two groups
  // What, bits, compression, masks, the pixel; its colour.
  const std::tuple<const char*, int, std::uint32_t, std::string, std::string, TColorRef> cases[] = {
      {"5-5-5, all ones", 16, 0, "", "\xFF\x7F", 0xFFFFFF}, {"5-5-5, 1, 2 and 3", 16, 0, "", "\x43\x04", 0x181008},
      {"5-5-5, 10000 each: the top bits repeated below", 16, 0, "", "\x10\x42", 0x848484},
      {"5-6-5, all green", 16, 3, k565, "\xE0\x07", 0x00FF00}, {"5-6-5, least green", 16, 3, k565, "\x20\0"s, 0x000400},
      {"1-bit channels give 0xC0", 16, 3, kOneBit, "\5\0"s, 0xC000C0},
      {"the lowest group of a broken mask", 16, 3, kBroken, "\x1F\x0F", 0xC011FF},
      {"32 bits: the fourth byte is no part of the colour", 32, 0, "", "\x33\x22\x11\xAA", 0x332211},
      {"10- and 9-bit channels keep their top 8 bits", 32, 3, kTenNineTen, "\0\xFC\x07\x20"s, 0x00FF80},
  };
  for (const auto& [what, bits, compression, masks, pixel, colour] : cases)
    EXPECT_EQ(Read(BmpFileOf(1, 1, bits, compression, masks, pixel + "\0\0"s)),
              std::pair(TRaster(1, 1, colour), colour)) << what;
  // Later headers carry the masks inside themselves, at their byte 40.
  for (const std::uint32_t size : {52u, 56u, 108u, 124u}) {
    std::string file = BmpFileOf(1, 1, 16, 3, k565, "\xE0\x07\0\0"s);
    file = With(With(file.insert(14 + 52, size - 52, '\0'), 14, size), 10, 14 + size);
    EXPECT_EQ(Read(file), std::pair(TRaster(1, 1, 0x00FF00), 0x00FF00u)) << "masks in a " << size << "-byte header";
  }
}

// Runs of a 6 by 3 picture, palette indices 0 to 3 standing for a to d: what, bits, the runs; the picture and its key.
TEST(ReadBitmapFile, FollowsTheRunsAndTheirEscapesAsThePlatformDoes) {
  const std::tuple<const char*, int, std::string, std::vector<std::string>, char> cases[] = {
      {"a run a row, bottom first", 8, "\3\0\0\0\2\1\0\0\4\2\0\1"s, {"cccc..", "bb....", "aaa..."}, 'a'},
      {"a run is cut at the row's end", 8, "\x08\1\0\0\1\2\0\1"s, {"......", "c.....", "bbbbbb"}, 'b'},
      {"a delta moves right and up over black", 8, "\1\0\0\2\2\1\1\3\0\1"s, {"......", "...d..", "a....."}, 'a'},
      {"a delta stops at the right edge", 8, "\0\2\x09\0\2\1\0\0\1\2\0\1"s, {"......", "c.....", "......"}, '.'},
      {"absolute runs, the odd one padded, and a run after one", 8, "\0\3\0\1\2\xEE\1\3\0\0\0\4\3\2\1\0\0\1"s,
       {"......", "dcba..", "abcd.."}, 'a'},
      {"runs no escape follows are lost", 8, "\2\0\0\0\3\1"s, {"......", "......", "aa...."}, 'a'},
      {"an absolute run cut short loses its row and the key", 8, "\2\1\0\5\0\1"s, {"......", "......", "......"}, '.'},
      {"a delta cut short still draws its row", 8, "\2\1\0\2\1"s, {"......", "......", "bb...."}, 'b'},
      {"a lone last byte is no escape", 8, "\2\1\0"s, {"......", "......", "......"}, '.'},
      // An absolute run of 13 takes 7 bytes and a pad, of which the row shows 6.
      {"RLE4 alternates nibbles, the high one first, wherever a run starts", 4,
       "\5\x12\0\0\0\x0D\x30\x21\x03\x45\x67\x01\0\0\0\0\1\0\3\x12\0\1"s, {"abcb..", "dacbad", "bcbcb."}, 'b'},
  };
  for (const auto& [what, bits, runs, rows, key] : cases)
    EXPECT_EQ(Read(BmpFileOf(6, 3, bits, bits == 4 ? 2 : 1, ColourTable(kPalette), runs)),
              std::pair(kLegend.Picture(rows), kLegend.Colour(key))) << what;
}

}  // namespace
}  // namespace tovi
