#include "toolkit/image_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>

#include "bitmap_bytes.h"
#include "scratch_folder.h"
#include "toolkit/settings_file.h"

namespace tovi {
namespace {

using testing::BmpFile;
using testing::TBmpKind;
using testing::TBmpPicture;

constexpr TColorRef kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kMagenta = 0xFF00FF;

// Five wide, so that every format pads its rows; three high, bottom-left magenta.
const TBmpPicture kFourColours{{kMagenta, kRed, kGreen, kBlue}, {"abcdb", "ddcba", "abbbc"}};
const TBmpPicture kTwoColours{{kWhite, kBlue}, {"abbab", "babba", "aabbb"}};

TEST(ImageFromFile, ReadsEveryBitmapFormatPixelForPixel) {
  const std::tuple<const char*, TBmpKind, const TBmpPicture*> cases[] = {
      {"1 bit", TBmpKind::Bits1, &kTwoColours},     {"4 bits", TBmpKind::Bits4, &kFourColours},
      {"8 bits", TBmpKind::Bits8, &kFourColours},   {"16 bits", TBmpKind::Bits16, &kFourColours},
      {"24 bits", TBmpKind::Bits24, &kFourColours}, {"32 bits", TBmpKind::Bits32, &kFourColours},
      {"RLE 4", TBmpKind::Rle4, &kFourColours},     {"RLE 8", TBmpKind::Rle8, &kFourColours},
      {"top-down 24 bits", TBmpKind::TopDown24, &kFourColours},
  };
  testing::TScratchFolder folder;
  TFolderImageLoader loader(folder.Path());
  for (const auto& [name, kind, bmp] : cases) {
    WriteFileSafely(folder.Path() + L"picture.bmp", BmpFile(*bmp, kind));
    TRaster picture;
    ASSERT_EQ(loader.Load("picture.bmp", picture), TLoadStatus::Loaded) << name;
    ASSERT_EQ(std::pair(picture.Width(), picture.Height()), std::pair(bmp->Width(), bmp->Height())) << name;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        EXPECT_EQ(picture.Pixel(x, y), bmp->Colour(x, y)) << name << " at " << x << "," << y;
  }
}

TEST(ImageFromFile, TellsMissingFromUnreadableAndLeavesThePictureAlone) {
  testing::TScratchFolder folder;
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
      {"none.bmp", {}, TLoadStatus::Missing},
      {"folder.bmp", {}, TLoadStatus::Unreadable},
      {"empty.bmp", "", TLoadStatus::Unreadable},
      {"text.bmp", "this is not a picture\r\n", TLoadStatus::Unreadable},
      {"header.bmp", good.substr(0, 14), TLoadStatus::Unreadable},
      {"cut.bmp", good.substr(0, good.size() / 2), TLoadStatus::Unreadable},
      {"zero.bmp", zero, TLoadStatus::Unreadable},
      {"huge.bmp", huge, TLoadStatus::Unreadable},
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
