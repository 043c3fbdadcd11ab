#include "toolkit/image_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "bitmap_bytes.h"
#include "scratch_folder.h"
#include "toolkit/settings_file.h"

namespace tovi {
namespace {

using namespace testing;

constexpr TColorRef kRed = 0x0000FF, kGreen = 0x00FF00;

TEST(ImageFromFile, ReadsAPictureTellsMissingFromUnreadableAndLeavesThePictureAloneWhenItFails) {
  TScratchFolder folder;
  // Its key is the colour at the bottom left.
  const std::string good = BmpFile({{kRed, kGreen}, {"aab", "bab"}}, TBmpKind::Bits24);
  std::string huge = good;
  huge[18] = huge[22] = '\x7F';  // claims more than a billion pixels it does not hold
  CreateDirectoryW((folder.Path() + L"folder.bmp").c_str(), nullptr);
  TRaster read(3, 2, kRed);
  read.SetPixel(2, 0, kGreen);
  read.SetPixel(0, 1, kGreen);
  read.SetPixel(2, 1, kGreen);
  const TKeyedPicture before{TRaster(2, 2, 0x123456), 0x123456};
  const std::tuple<const char*, std::optional<std::string>, TLoadStatus, TKeyedPicture> cases[] = {
      {"good.bmp", good, TLoadStatus::Loaded, {read, kGreen}},  {"none.bmp", {}, TLoadStatus::Missing, before},
      {"folder.bmp", {}, TLoadStatus::Unreadable, before},      {"empty.bmp", "", TLoadStatus::Unreadable, before},
      {"huge.bmp", huge, TLoadStatus::Unreadable, before},      {"cut.bmp", good.substr(0, 60), TLoadStatus::Unreadable, before},
  };
  TFolderImageLoader loader(folder.Path());
  for (const auto& [name, bytes, status, picture] : cases) {
    if (bytes) WriteFileSafely(loader.PathOf(name), *bytes);
    TKeyedPicture loaded = before;
    EXPECT_EQ(loader.Load(name, 16, loaded), status) << name;
    EXPECT_EQ(std::tuple(loaded.Bitmap, loaded.Key), std::tuple(picture.Bitmap, picture.Key)) << name;
  }
}

}  // namespace
}  // namespace tovi
