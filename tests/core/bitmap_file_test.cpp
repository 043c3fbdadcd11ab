#include "core/bitmap_file.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "bitmap_bytes.h"

namespace tovi {
namespace {

using testing::BmpFile;
using testing::TBmpKind;
using testing::TBmpPicture;

const TBmpPicture kPicture{{0xFF00FF, 0x0000FF, 0x00FF00, 0xFF0000}, {"abcdb", "ddcba", "abbbc"}};

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

void Put32(std::string& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

TEST(CheckBitmapFile, AcceptsEveryFormatWithItsLayout) {
  struct Case {
    const char* name;
    TBmpKind kind;
    std::size_t colours;
    std::size_t pixelBytes;  // rows padded to 4 bytes, or the run data
    bool topDown;
  };
  const Case cases[] = {
      {"1 bit", TBmpKind::Bits1, 2, 3 * 4, false},   {"4 bits", TBmpKind::Bits4, 16, 3 * 4, false},
      {"8 bits", TBmpKind::Bits8, 256, 3 * 8, false}, {"16 bits", TBmpKind::Bits16, 0, 3 * 12, false},
      {"24 bits", TBmpKind::Bits24, 0, 3 * 16, false}, {"32 bits", TBmpKind::Bits32, 0, 3 * 20, false},
      {"RLE 4", TBmpKind::Rle4, 16, 3 * 12 + 2, false}, {"RLE 8", TBmpKind::Rle8, 256, 3 * 12 + 2, false},
      {"top-down", TBmpKind::TopDown24, 0, 3 * 16, true},
  };
  for (const Case& c : cases) {
    const std::string file = BmpFile(kPicture, c.kind);
    const auto layout = CheckBitmapFile(Bytes(file));
    ASSERT_TRUE(layout.has_value()) << c.name;
    EXPECT_EQ(std::tuple(layout->Width, layout->Height, layout->TopDown, layout->Info.size(), layout->PixelBytes,
                         layout->PixelOffset + layout->PixelBytes),
              std::tuple(5, 3, c.topDown, 40 + 4 * c.colours, c.pixelBytes, file.size()))
        << c.name << ": width, height, top-down, header and colours, pixel bytes, end of the pixels";
  }
}

TEST(CheckBitmapFile, ReadsOldOs2Headers) {
  // 12-byte header, 1 bit, 3-byte colour entries, a 2 by 2 picture.
  std::string file = "BM";
  file += std::string(12, '\0');
  const unsigned char header[] = {12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 1, 0};
  file.append(reinterpret_cast<const char*>(header), sizeof header);
  file += std::string("\x10\x20\x30\x40\x50\x60", 6);
  file += std::string("\x80\0\0\0\x40\0\0\0", 8);
  const auto layout = CheckBitmapFile(Bytes(file));
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->Width, 2);
  EXPECT_EQ(layout->Info.size(), 40u + 8);
  EXPECT_EQ(layout->Info[40], 0x10);
  EXPECT_EQ(layout->Info[43], 0) << "a 3-byte entry widens to four";
  EXPECT_EQ(layout->Info[44], 0x40);
  EXPECT_EQ(layout->PixelOffset, 14u + 12 + 6);
}

TEST(CheckBitmapFile, RefusesWhatIsNotAWholeBitmap) {
  const std::string good = BmpFile(kPicture, TBmpKind::Bits8);
  const std::string rle = BmpFile(kPicture, TBmpKind::Rle8);
  auto with = [](std::string file, std::size_t at, std::uint32_t value) {
    Put32(file, at, value);
    return file;
  };
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"wrong magic", "BN" + good.substr(2)},
      {"pixels cut short", good.substr(0, good.size() - 1)},
      {"colour table cut short", good.substr(0, 14 + 40 + 100)},
      {"unknown header size", with(good, 14, 64)},
      {"width 0", with(good, 18, 0)},
      {"negative width", with(good, 18, 0xFFFFFFFB)},
      {"height 0", with(good, 22, 0)},
      {"more pixels than any picture we keep", with(with(good, 18, 100000), 22, 100000)},
      {"a height that claims rows the file lacks", with(good, 22, 4)},
      {"two planes", with(good, 26, 0x00080002)},
      {"2 bits per pixel", with(good, 26, 0x00020001)},
      {"embedded JPEG", with(good, 30, 4)},
      {"more colours than the depth allows", with(good, 46, 257)},
      {"pixel data beyond the end", with(good, 10, static_cast<std::uint32_t>(good.size() + 1))},
      {"pixel data inside the colour table", with(good, 10, 14 + 40)},
      {"run data longer than the file", with(rle, 34, 100000)},
      {"run data of unknown length", with(rle, 34, 0)},
      {"run data upside down", with(rle, 22, static_cast<std::uint32_t>(-3))},
  };
  for (const auto& [name, file] : cases) EXPECT_FALSE(CheckBitmapFile(Bytes(file)).has_value()) << name;
}

// Whatever the bytes, an accepted layout lies inside them; the sanitizers
// catch any read beyond.
TEST(CheckBitmapFile, RandomDamageNeverLeadsOutsideTheFile) {
  std::mt19937 random(20261206);
  const TBmpKind kinds[] = {TBmpKind::Bits1, TBmpKind::Bits4, TBmpKind::Bits8, TBmpKind::Bits16,
                            TBmpKind::Bits24, TBmpKind::Bits32, TBmpKind::Rle4, TBmpKind::Rle8};
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string file = BmpFile(kPicture, kinds[round % 8]);
    const int damage = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < damage; ++i) {
      switch (random() % 3) {
        case 0: file[random() % file.size()] = static_cast<char>(random()); break;
        case 1: file.resize(random() % (file.size() + 1)); break;
        default: file[random() % std::min<std::size_t>(file.size(), 60)] = static_cast<char>(random() % 4); break;
      }
      if (file.empty()) break;
    }
    const std::vector<std::uint8_t> exact(file.begin(), file.end());  // no slack for a stray read
    if (const auto layout = CheckBitmapFile(exact)) {
      ++accepted;
      ASSERT_LE(layout->PixelOffset + layout->PixelBytes, exact.size()) << "round " << round;
      ASSERT_GE(layout->Info.size(), 40u) << "round " << round;
    }
  }
  EXPECT_GT(accepted, 0) << "some harmless damage (a colour, a pixel) must still be accepted";
}

}  // namespace
}  // namespace tovi
