#include "core/bitmap_file.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "bitmap_bytes.h"

namespace tovi {
namespace {

using namespace std::string_literals;
using testing::TBmpKind;

const testing::TBmpPicture kPicture{{0xFF00FF, 0x0000FF, 0x00FF00, 0xFF0000}, {"abcdb", "ddcba", "abbbc"}};

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string With(std::string file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return file;
}

// Letters a to d stand for the colours of kPicture, '.' for black.
TColorRef Letter(char c) { return c == '.' ? kBlack : kPicture.palette.at(static_cast<std::size_t>(c - 'a')); }

TRaster Rows(const std::vector<std::string>& rows) {
  TRaster picture(static_cast<int>(rows.at(0).size()), static_cast<int>(rows.size()));
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      picture.SetPixel(x, y, Letter(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
  return picture;
}

TEST(CheckBitmapFile, AcceptsEveryFormatWithItsLayout) {
  // Kind, colour entries, pixel bytes (rows padded to 4 bytes, or the runs), top-down.
  const std::tuple<TBmpKind, std::size_t, std::size_t, bool> cases[] = {
      {TBmpKind::Bits1, 2, 3 * 4, false},       {TBmpKind::Bits4, 16, 3 * 4, false},
      {TBmpKind::Bits8, 256, 3 * 8, false},     {TBmpKind::Bits16, 0, 3 * 12, false},
      {TBmpKind::Bits24, 0, 3 * 16, false},     {TBmpKind::Bits32, 0, 3 * 20, false},
      {TBmpKind::Rle4, 16, 3 * 12 + 2, false},  {TBmpKind::Rle8, 256, 3 * 12 + 2, false},
      {TBmpKind::TopDown24, 0, 3 * 16, true},
  };
  for (const auto& [kind, colours, pixelBytes, topDown] : cases) {
    const std::string file = testing::BmpFile(kPicture, kind);
    const auto layout = CheckBitmapFile(Bytes(file));
    ASSERT_TRUE(layout.has_value()) << static_cast<int>(kind);
    EXPECT_EQ(std::tuple(layout->Width, layout->Height, layout->TopDown, layout->Palette.size(), layout->PixelBytes,
                         layout->PixelOffset + layout->PixelBytes),
              std::tuple(5, 3, topDown, colours, pixelBytes, file.size()))
        << "kind " << static_cast<int>(kind) << ": width, height, top-down, colours, pixel bytes, pixels' end";
  }
}

TEST(CheckBitmapFile, WidensTheColoursOfOldOs2Headers) {
  // A 12-byte header, 2 by 2 at 1 bit, 3-byte colour entries.
  const std::string file("BM\0\0\0\0\0\0\0\0\0\0\0\0" "\x0C\0\0\0\2\0\2\0\1\0\1\0" "\x10\x20\x30\x40\x50\x60"
                         "\x80\0\0\0\x40\0\0\0", 40);
  const auto layout = CheckBitmapFile(Bytes(file));
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(std::tuple(layout->Width, layout->PixelOffset), std::tuple(2, 14u + 12 + 6));
  EXPECT_EQ(layout->Palette, (std::vector<TColorRef>{0x102030, 0x405060}));
}

TEST(CheckBitmapFile, RefusesWhatIsNotAWholeBitmap) {
  const std::string good = testing::BmpFile(kPicture, TBmpKind::Bits8);
  const std::string rle = testing::BmpFile(kPicture, TBmpKind::Rle8);
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"wrong magic", "BN" + good.substr(2)},
      {"pixels cut short", good.substr(0, good.size() - 1)},
      {"colour table cut short", good.substr(0, 14 + 40 + 100)},
      {"unknown header size", With(good, 14, 64)},
      {"width 0", With(good, 18, 0)},
      {"negative width", With(good, 18, 0xFFFFFFFB)},
      {"height 0", With(good, 22, 0)},
      {"more pixels than any picture we keep", With(With(good, 18, 100000), 22, 100000)},
      {"more rows than the file holds", With(good, 22, 4)},
      {"two planes", With(good, 26, 0x00080002)},
      {"2 bits per pixel", With(good, 26, 0x00020001)},
      {"embedded JPEG", With(good, 30, 4)},
      {"more colours than the depth allows", With(good, 46, 257)},
      {"pixel data beyond the end", With(good, 10, static_cast<std::uint32_t>(good.size() + 1))},
      {"pixel data inside the colour table", With(good, 10, 14 + 40)},
      {"run data longer than the file", With(rle, 34, 100000)},
      {"run data of unknown length", With(rle, 34, 0)},
      {"run data upside down", With(rle, 22, static_cast<std::uint32_t>(-3))},
      {"a bit-field mask of nothing", testing::BmpFileOf(1, 1, 16, 3, std::string(12, '\xFF').replace(4, 4, 4, '\0'),
                                                         "\xFF\xFF\0\0"s)},
  };
  for (const auto& [name, file] : cases) EXPECT_FALSE(CheckBitmapFile(Bytes(file)).has_value()) << name;
}

// Whatever the damage, an accepted layout lies inside the bytes, and reading
// the picture stays inside them too; the sanitizers catch any read beyond.
TEST(CheckBitmapFile, RandomDamageNeverLeadsOutsideTheFile) {
  std::mt19937 random(20261206);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string file = testing::BmpFile(kPicture, static_cast<TBmpKind>(round % 9));
    for (int i = static_cast<int>(random() % 4); i >= 0 && !file.empty(); --i) {
      // Cut the file, or set a byte anywhere to anything or one of the headers' to a small number.
      if (random() % 3 == 0) file.resize(random() % (file.size() + 1));
      else if (random() % 2) file[random() % file.size()] = static_cast<char>(random());
      else file[random() % std::min<std::size_t>(file.size(), 60)] = static_cast<char>(random() % 4);
    }
    const std::vector<std::uint8_t> exact(file.begin(), file.end());  // no slack for a stray read
    if (const auto layout = CheckBitmapFile(exact)) {
      ++accepted;
      ASSERT_LE(layout->PixelOffset + layout->PixelBytes, exact.size()) << "round " << round;
      ASSERT_TRUE(ReadBitmapFile(exact, round % 4));
    }
  }
  EXPECT_GT(accepted, 0) << "harmless damage (a colour, a pixel) must still be accepted";
}

// 1 bit a pixel: the huge pictures below.
TEST(ReadBitmapFile, ReadsEveryFormatKeepingTheTopLeftPartAndTheBottomLeftKey) {
  const std::pair<int, std::vector<std::string>> parts[] = {
      {16, {"abcdb", "ddcba", "abbbc"}}, {3, {"abc", "ddc", "abb"}}, {1, {"a"}}};
  for (const TBmpKind kind : {TBmpKind::Bits4, TBmpKind::Bits8, TBmpKind::Bits16, TBmpKind::Bits24, TBmpKind::Bits32,
                              TBmpKind::Rle4, TBmpKind::Rle8, TBmpKind::TopDown24}) {
    for (const auto& [size, rows] : parts) {
      const auto picture = ReadBitmapFile(Bytes(testing::BmpFile(kPicture, kind)), size);
      ASSERT_TRUE(picture.has_value()) << static_cast<int>(kind);
      EXPECT_EQ(std::tuple(picture->Bitmap, picture->Key), std::tuple(Rows(rows), Letter('a')))
          << "kind " << static_cast<int>(kind) << ", at most " << size << " by " << size;
    }
  }
}

// Channels of 16 and 32 bits as Wine's own decoder gave them, compared once.
TEST(ReadBitmapFile, WidensEveryChannelAsThePlatformDoes) {
  const std::string k565 = "\0\xF8\0\0" "\xE0\x07\0\0" "\x1F\0\0\0"s;
  const std::string kTenBits = "\0\0\xF0\x3F" "\0\xFC\x0F\0" "\xFF\x03\0\0"s;
  const std::string kOneBit = "\4\0\0\0" "\2\0\0\0" "\1\0\0\0"s;
  const std::string kBroken = "\x0F\x0F\0\0" "\xF0\0\0\0" "\x10\0\0\0"s;  // red in two groups
  struct TCase {
    const char* Name;
    int Bits;
    std::uint32_t Compression;
    std::string Masks, Pixel;
    TColorRef Expected;
  };
  const TCase cases[] = {
      {"5-5-5, all ones", 16, 0, "", "\xFF\x7F", 0xFFFFFF},
      {"5-5-5, 10000 each: the top bits repeated below", 16, 0, "", "\x10\x42", 0x848484},
      {"5-5-5, 1, 2 and 3", 16, 0, "", "\x43\x04", 0x181008},
      {"5-6-5 bit fields, all green", 16, 3, k565, "\xE0\x07", 0x00FF00},
      {"5-6-5 bit fields, the least green", 16, 3, k565, "\x20\0"s, 0x000400},
      {"1-bit channels give 0xC0", 16, 3, kOneBit, "\5\0"s, 0xC000C0},
      {"the lowest group of a broken mask", 16, 3, kBroken, "\x1F\x0F", 0xC011FF},
      {"32 bits: the fourth byte is no part of the colour", 32, 0, "", "\x33\x22\x11\xAA", 0x332211},
      {"10-bit channels keep their top 8 bits", 32, 3, kTenBits, "\0\0\0\x20"s, 0x000080},
  };
  for (const TCase& c : cases) {
    const std::string row = c.Pixel + std::string(4 - c.Pixel.size(), '\0');
    const auto picture = ReadBitmapFile(Bytes(testing::BmpFileOf(1, 1, c.Bits, c.Compression, c.Masks, row)), 16);
    ASSERT_TRUE(picture.has_value()) << c.Name;
    EXPECT_EQ(picture->Bitmap.Pixel(0, 0), c.Expected) << c.Name;
  }
  // Later headers carry the masks inside themselves, at their byte 40.
  for (const std::uint32_t size : {52u, 56u, 108u, 124u}) {
    std::string file = testing::BmpFileOf(1, 1, 16, 3, k565, "\xE0\x07\0\0"s);
    file = With(With(file.insert(14 + 52, size - 52, '\0'), 14, size), 10, 14 + size);
    const auto picture = ReadBitmapFile(Bytes(file), 16);
    ASSERT_TRUE(picture.has_value()) << "a " << size << "-byte header";
    EXPECT_EQ(picture->Bitmap.Pixel(0, 0), 0x00FF00u) << "masks in a " << size << "-byte header";
  }
}

// Runs of a 6 by 3 picture, palette indices 0 to 3 standing for a to d.
TEST(ReadBitmapFile, FollowsTheRunsAndTheirEscapesAsThePlatformDoes) {
  const std::string longRun = "\0\xFF\0\1\2\3"s + std::string(251, '\0') + '\xEE';
  struct TCase {
    const char* Name;
    TPixelCoding Coding;
    std::string Runs;
    std::vector<std::string> Rows;
    char Key;
  };
  const TCase cases[] = {
      {"a run a row, bottom first", TPixelCoding::Rle8, "\3\0\0\0\2\1\0\0\4\2\0\1"s,
       {"cccc..", "bb....", "aaa..."}, 'a'},
      {"a run is cut at the row's end", TPixelCoding::Rle8, "\x08\1\0\0\1\2\0\1"s, {"......", "c.....", "bbbbbb"}, 'b'},
      {"a delta moves right and up over black", TPixelCoding::Rle8, "\1\0\0\2\2\1\1\3\0\1"s,
       {"......", "...d..", "a....."}, 'a'},
      {"a delta stops at the right edge", TPixelCoding::Rle8, "\0\2\x09\0\2\1\0\0\1\2\0\1"s,
       {"......", "c.....", "......"}, '.'},
      {"absolute runs, an odd one padded", TPixelCoding::Rle8,
       "\0\3\0\1\2\xEE\0\0\0\4\3\2\1\0\0\1"s, {"......", "dcba..", "abc..."}, 'a'},
      {"an absolute run of 255 is padded too", TPixelCoding::Rle8, longRun + "\0\0\4\2\0\1"s,
       {"......", "cccc..", "abcdaa"}, 'a'},
      {"runs no escape follows are lost", TPixelCoding::Rle8, "\2\0\0\0\3\1"s, {"......", "......", "aa...."}, 'a'},
      {"an absolute run cut short loses its row and the key", TPixelCoding::Rle8, "\2\1\0\5\0\1"s,
       {"......", "......", "......"}, '.'},
      {"a delta cut short still draws its row", TPixelCoding::Rle8, "\2\1\0\2\1"s,
       {"......", "......", "bb...."}, 'b'},
      {"a lone last byte is no escape", TPixelCoding::Rle8, "\2\1\0"s, {"......", "......", "......"}, '.'},
      {"RLE4 alternates nibbles, the high one first, wherever a run starts", TPixelCoding::Rle4,
       "\5\x12\0\0\0\6\x30\x21\x03\0\0\0\1\0\3\x12\0\1"s, {"abcb..", "dacbad", "bcbcb."}, 'b'},
  };
  for (const TCase& c : cases) {
    const bool four = c.Coding == TPixelCoding::Rle4;
    const std::string file =
        testing::BmpFileOf(6, 3, four ? 4 : 8, four ? 2 : 1, testing::ColourTable(kPicture.palette), c.Runs);
    const auto picture = ReadBitmapFile(Bytes(file), 16);
    ASSERT_TRUE(picture.has_value()) << c.Name;
    EXPECT_EQ(std::tuple(picture->Bitmap, picture->Key), std::tuple(Rows(c.Rows), Letter(c.Key))) << c.Name;
  }
}

// An 8192 by 8192 picture, all b but for an a at the top-left and one 15
// pixels right and down, keeps no more than its top-left 16 by 16.
TEST(ReadBitmapFile, KeepsTheTopLeftOfAHugePictureWithItsBottomLeftKey) {
  constexpr int kSide = 8192, kRowBytes = kSide / 8;
  const std::string colours = testing::ColourTable({Letter('a'), Letter('b')});
  const auto oneBit = [&](bool topDown) {
    std::string rows(std::size_t{kRowBytes} * kSide, '\xFF');
    rows[(topDown ? 0 : kSide - 1) * kRowBytes] = '\x7F';
    rows[(topDown ? 15 : kSide - 16) * kRowBytes + 1] = '\xFE';
    return testing::BmpFileOf(kSide, topDown ? -kSide : kSide, 1, 0, colours, rows);
  };
  // Runs: the bottom row's first pixel, deltas up to the top 16 rows, and those.
  std::string runs = "\1\1\0\0"s;
  for (int y = 1; y < kSide - 16; y += 255)
    runs += {'\0', '\2', '\0', static_cast<char>(std::min(255, kSide - 16 - y))};
  runs += "\x0F\1\1\0\0\0"s;
  for (int y = 0; y < 14; ++y) runs += "\x10\1\0\0"s;
  runs += "\1\0\x0F\1\0\1"s;
  const std::string rle = testing::BmpFileOf(kSide, kSide, 8, 1, colours, runs);

  TRaster expected(16, 16, Letter('b'));
  expected.SetPixel(0, 0, Letter('a'));
  expected.SetPixel(15, 15, Letter('a'));
  for (const auto& [name, file] : {std::pair{"1 bit, bottom-up", oneBit(false)},
                                   std::pair{"1 bit, top-down", oneBit(true)}, std::pair{"RLE8", rle}}) {
    const auto picture = ReadBitmapFile(Bytes(file), 16);
    ASSERT_TRUE(picture.has_value()) << name;
    EXPECT_EQ(std::tuple(picture->Bitmap, picture->Key), std::tuple(expected, Letter('b'))) << name;
  }
}

}  // namespace
}  // namespace tovi
