#include "toolkit/image_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "bitmap_bytes.h"
#include "scratch_folder.h"

namespace tovi {
namespace {

using testing::BmpFile;
using testing::TBmpKind;
using testing::TBmpPicture;
using testing::TScratchFolder;
using testing::WriteBytes;

constexpr TColorRef kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF,
                    kMagenta = 0xFF00FF;

// Five wide, so that every format pads its rows; three high, bottom-left magenta.
const TBmpPicture kFourColours{{kMagenta, kRed, kGreen, kBlue}, {"abcdb", "ddcba", "abbbc"}};
const TBmpPicture kTwoColours{{kWhite, kBlue}, {"abbab", "babba", "aabbb"}};

struct FormatCase {
  const char* name;
  TBmpKind kind;
  const TBmpPicture* picture;
};

TEST(ImageFromFile, ReadsEveryBitmapFormatPixelForPixel) {
  const FormatCase cases[] = {
      {"1 bit", TBmpKind::Bits1, &kTwoColours},     {"4 bits", TBmpKind::Bits4, &kFourColours},
      {"8 bits", TBmpKind::Bits8, &kFourColours},   {"16 bits", TBmpKind::Bits16, &kFourColours},
      {"24 bits", TBmpKind::Bits24, &kFourColours}, {"32 bits", TBmpKind::Bits32, &kFourColours},
      {"RLE 4", TBmpKind::Rle4, &kFourColours},     {"RLE 8", TBmpKind::Rle8, &kFourColours},
      {"top-down 24 bits", TBmpKind::TopDown24, &kFourColours},
  };
  TScratchFolder folder;
  for (const FormatCase& c : cases) {
    const std::wstring path = folder.Path() + L"picture.bmp";
    WriteBytes(path, BmpFile(*c.picture, c.kind));
    TRaster picture;
    ASSERT_EQ(ImageFromFile(path, picture), TLoadStatus::Loaded) << c.name;
    ASSERT_EQ(picture.Width(), c.picture->Width()) << c.name;
    ASSERT_EQ(picture.Height(), c.picture->Height()) << c.name;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x)
        EXPECT_EQ(picture.Pixel(x, y), c.picture->Colour(x, y)) << c.name << " at " << x << "," << y;
  }
}

TEST(ImageFromFile, TellsMissingFromUnreadable) {
  TScratchFolder folder;
  const std::string good = BmpFile(kFourColours, TBmpKind::Bits24);
  std::string huge = good;
  huge[18] = huge[22] = '\x7F';  // claims more than a billion pixels it does not hold
  std::string zero = good;
  zero.replace(18, 8, std::string(8, '\0'));

  struct Case {
    const char* name;
    const std::string* bytes;  // null: no file; the name itself a folder when isFolder
    bool isFolder;
    TLoadStatus expected;
  };
  const std::string empty, text = "this is not a picture\r\n", truncated = good.substr(0, good.size() / 2),
                           headerOnly = good.substr(0, 14);
  const Case cases[] = {
      {"no file", nullptr, false, TLoadStatus::Missing},
      {"a folder of that name", nullptr, true, TLoadStatus::Unreadable},
      {"empty file", &empty, false, TLoadStatus::Unreadable},
      {"text file", &text, false, TLoadStatus::Unreadable},
      {"file header only", &headerOnly, false, TLoadStatus::Unreadable},
      {"size 0 by 0", &zero, false, TLoadStatus::Unreadable},
      {"absurd size", &huge, false, TLoadStatus::Unreadable},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::wstring path = folder.Path() + L"case" + std::to_wstring(++n) + L".bmp";
    if (c.isFolder) CreateDirectoryW(path.c_str(), nullptr);
    if (c.bytes) WriteBytes(path, *c.bytes);
    TRaster picture(2, 2, 0x123456);
    EXPECT_EQ(ImageFromFile(path, picture), c.expected) << c.name;
    EXPECT_EQ(picture, TRaster(2, 2, 0x123456)) << c.name << ": a failed load leaves the picture alone";
  }

  // A truncated file must not crash the loader; whatever it reads stays inside the picture.
  const std::wstring path = folder.Path() + L"truncated.bmp";
  WriteBytes(path, truncated);
  TRaster picture;
  const TLoadStatus status = ImageFromFile(path, picture);
  if (status == TLoadStatus::Loaded) {
    EXPECT_EQ(picture.Width(), kFourColours.Width());
  }
}

TEST(FolderImageLoader, FindsPicturesInAFolderOfAnyName) {
  TScratchFolder folder;
  WriteBytes(folder.Path() + L"base.bmp", BmpFile(kFourColours, TBmpKind::Bits8));
  TFolderImageLoader loader(folder.Path());
  TRaster picture;
  EXPECT_EQ(loader.Load("base.bmp", picture), TLoadStatus::Loaded);
  EXPECT_EQ(picture.Pixel(1, 0), kRed);
  EXPECT_EQ(loader.Load("cap1.bmp", picture), TLoadStatus::Missing);
  EXPECT_EQ(loader.PathOf("cap1.bmp"), folder.Path() + L"cap1.bmp");
}

}  // namespace
}  // namespace tovi
