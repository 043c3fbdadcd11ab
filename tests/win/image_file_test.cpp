#include "toolkit/image_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "bitmap_bytes.h"
#include "core/eye_picture.h"
#include "scratch_folder.h"
#include "toolkit/settings_file.h"

namespace tovi {
namespace {

using namespace testing;

constexpr TColorRef kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kMagenta = 0xFF00FF;

const TBmpPicture kFourColours{{kMagenta, kRed, kGreen, kBlue}, {"abcdb", "ddcba", "abbbc"}};

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
    TKeyedPicture picture{TRaster(2, 2, 0x123456), 0x123456};
    EXPECT_EQ(loader.Load(c.Name, 16, picture), c.Expected) << c.Name;
    EXPECT_EQ(std::tuple(picture.Bitmap, picture.Key), std::tuple(TRaster(2, 2, 0x123456), 0x123456u))
        << c.Name << ": a failed load changed it";
  }
}

// An 8192 by 8192 base.bmp of 8 MB was kept whole at 32 bits a pixel. Only
// its top-left 16 by 16 can be drawn; read from the mapped file, with the
// key still the colour of the whole picture's bottom-left pixel.
TEST(LoadImageSet, KeepsTheTopLeftOfAHugeBaseWithTheKeyOfItsBottomLeft) {
  constexpr int kSide = 8192;
  // White, the key, but for a green 12 by 12 corner at the top left (the file's last rows).
  std::string rows(kSide * kSide / 8, '\xFF');
  for (int y = 0; y < 12; ++y) rows.replace((kSide - 1 - y) * kSide / 8, 2, {'\0', '\x0F'});
  TScratchFolder folder;
  WriteFileSafely(folder.Path() + L"base.bmp", BmpFileOf(kSide, kSide, 1, 0, ColourTable({kGreen, kWhite}), rows));
  WriteFileSafely(folder.Path() + L"cap1.bmp", BmpFile(kFourColours, TBmpKind::Bits8));
  TFolderImageLoader loader(folder.Path());
  const TImageSet images = LoadImageSet(loader, kEyeSize);

  TRaster base(16, 16), mask(16, 16, kWhite);
  base.Draw(TRaster(12, 12, kGreen), 0, 0, TRasterOp::Copy);
  mask.Draw(TRaster(12, 12, kBlack), 0, 0, TRasterOp::Copy);
  EXPECT_EQ(std::tuple(images.FBaseBitmap, images.FBaseMask), std::tuple(base, mask));
}

}  // namespace
}  // namespace tovi
