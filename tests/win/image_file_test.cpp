#include "toolkit/image_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "bitmap_bytes.h"
#include "scratch_folder.h"
#include "toolkit/settings_file.h"

namespace tovi {
namespace {

using namespace testing;

constexpr TColorRef kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kMagenta = 0xFF00FF;

// Five wide, so that every format pads its rows; three high, bottom-left magenta.
const TBmpPicture kFourColours{{kMagenta, kRed, kGreen, kBlue}, {"abcdb", "ddcba", "abbbc"}};
const TBmpPicture kTwoColours{{kWhite, kBlue}, {"abbab", "babba", "aabbb"}};

TEST(ImageFromFile, ReadsEveryBitmapFormatPixelForPixel) {
  TScratchFolder folder;
  TFolderImageLoader loader(folder.Path());
  for (const TBmpKind kind : {TBmpKind::Bits1, TBmpKind::Bits4, TBmpKind::Bits8, TBmpKind::Bits16, TBmpKind::Bits24,
                              TBmpKind::Bits32, TBmpKind::Rle4, TBmpKind::Rle8, TBmpKind::TopDown24}) {
    const TBmpPicture& bmp = kind == TBmpKind::Bits1 ? kTwoColours : kFourColours;
    WriteFileSafely(folder.Path() + L"picture.bmp", BmpFile(bmp, kind));
    TRaster picture, expected(bmp.Width(), bmp.Height());
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) expected.SetPixel(x, y, bmp.Colour(x, y));
    EXPECT_EQ(loader.Load("picture.bmp", picture), TLoadStatus::Loaded) << "kind " << static_cast<int>(kind);
    EXPECT_EQ(picture, expected) << "kind " << static_cast<int>(kind);
  }
}

TEST(ImageFromFile, TellsMissingFromUnreadableAndLeavesThePictureAlone) {
  TScratchFolder folder;
  const std::string good = BmpFile(kFourColours, TBmpKind::Bits24);
  std::string huge = good, zero = good;
  huge[18] = huge[22] = '\x7F';  // claims more than a billion pixels it does not hold
  zero.replace(18, 8, std::string(8, '\0'));
  CreateDirectoryW((folder.Path() + L"folder.bmp").c_str(), nullptr);
  TFolderImageLoader loader(folder.Path());
  struct TCase {
    const char* Name;
    std::optional<std::string> Bytes;  // none: no file is written
    TLoadStatus Expected;
  };
  const TCase cases[] = {
      {"none.bmp", {}, TLoadStatus::Missing},    {"folder.bmp", {}, TLoadStatus::Unreadable},
      {"empty.bmp", "", TLoadStatus::Unreadable}, {"zero.bmp", zero, TLoadStatus::Unreadable},
      {"huge.bmp", huge, TLoadStatus::Unreadable}, {"cut.bmp", good.substr(0, 51), TLoadStatus::Unreadable},
  };
  for (const TCase& c : cases) {
    if (c.Bytes) WriteFileSafely(loader.PathOf(c.Name), *c.Bytes);
    TRaster picture(2, 2, 0x123456);
    EXPECT_EQ(loader.Load(c.Name, picture), c.Expected) << c.Name;
    EXPECT_EQ(picture, TRaster(2, 2, 0x123456)) << c.Name << ": a failed load changed it";
  }
}

}  // namespace
}  // namespace tovi
