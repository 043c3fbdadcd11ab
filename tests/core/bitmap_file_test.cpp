#include "core/bitmap_file.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "bitmap_bytes.h"

namespace tovi {
namespace {

using testing::TBmpKind;

const testing::TBmpPicture kPicture{{0xFF00FF, 0x0000FF, 0x00FF00, 0xFF0000}, {"abcdb", "ddcba", "abbbc"}};

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string With(std::string file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return file;
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
    EXPECT_EQ(std::tuple(layout->Width, layout->Height, layout->TopDown, layout->Info.size(), layout->PixelBytes,
                         layout->PixelOffset + layout->PixelBytes),
              std::tuple(5, 3, topDown, 40 + 4 * colours, pixelBytes, file.size()))
        << "kind " << static_cast<int>(kind) << ": width, height, top-down, info bytes, pixel bytes, pixels' end";
  }
}

TEST(CheckBitmapFile, WidensTheColoursOfOldOs2Headers) {
  // A 12-byte header, 2 by 2 at 1 bit, 3-byte colour entries.
  const std::string file("BM\0\0\0\0\0\0\0\0\0\0\0\0" "\x0C\0\0\0\2\0\2\0\1\0\1\0" "\x10\x20\x30\x40\x50\x60"
                         "\x80\0\0\0\x40\0\0\0", 40);
  const auto layout = CheckBitmapFile(Bytes(file));
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(std::tuple(layout->Width, layout->PixelOffset), std::tuple(2, 14u + 12 + 6));
  EXPECT_EQ(std::vector<std::uint8_t>(layout->Info.begin() + 40, layout->Info.end()),
            (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0}));
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
  };
  for (const auto& [name, file] : cases) EXPECT_FALSE(CheckBitmapFile(Bytes(file)).has_value()) << name;
}

// Whatever the damage, an accepted layout lies inside the bytes; the
// sanitizers catch any read beyond them.
TEST(CheckBitmapFile, RandomDamageNeverLeadsOutsideTheFile) {
  std::mt19937 random(20261206);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string file = testing::BmpFile(kPicture, static_cast<TBmpKind>(round % 8));
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
    }
  }
  EXPECT_GT(accepted, 0) << "harmless damage (a colour, a pixel) must still be accepted";
}

}  // namespace
}  // namespace tovi
