#include "core/image_set.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace tovi {
namespace {

// A folder of pictures by name: base.bmp, cap1 to cap3, eye1 to eye3; a name
// mapped to nullopt is there but unreadable. Remembers what was asked, and at which sizes.
struct TFakeFolder final : TImageLoader {
  std::map<std::string, std::optional<TKeyedPicture>> files;
  std::string asked;

  TFakeFolder() {
    // The base's key is the green of the whole picture's bottom-left, which the part kept lacks there.
    TRaster base(16, 16, 0x00FF00);
    base.SetPixel(0, 15, 0x0000FF);
    files["base.bmp"] = TKeyedPicture{base, 0x00FF00};
    for (const char* name : {"cap1.bmp", "cap2.bmp", "cap3.bmp", "eye1.bmp", "eye2.bmp", "eye3.bmp"})
      files[name] = TKeyedPicture{TRaster(7, 7)};
  }
  TLoadStatus Load(const std::string& name, int size, TKeyedPicture& picture) override {
    asked += name.substr(0, name.size() - 4) + "@" + std::to_string(size) + " ";
    const auto it = files.find(name);
    if (it == files.end()) return TLoadStatus::Missing;
    if (!it->second) return TLoadStatus::Unreadable;
    picture = *it->second;
    return TLoadStatus::Loaded;
  }
};

TEST(LoadImageSet, LoadsBaseAndEachSeriesUpToItsFirstGap) {
  TFakeFolder folder;
  folder.files.erase("cap3.bmp");
  folder.files["cap4.bmp"] = TKeyedPicture{TRaster(7, 7)};
  const TImageSet images = LoadImageSet(folder, 20);
  EXPECT_EQ(std::tuple(images.FCapList.Count(), images.FEyeList.Count(), images.FBlinkSequence),
            std::tuple(2, 3, std::vector<std::int32_t>{0, 1, 0}));
  EXPECT_EQ(folder.asked, "base@20 cap1@20 cap2@20 cap3@20 eye1@20 eye2@20 eye3@20 eye4@20 ");
  TRaster base(16, 16), mask(16, 16, kWhite);
  base.SetPixel(0, 15, 0x0000FF);
  mask.SetPixel(0, 15, kBlack);
  EXPECT_EQ(std::tuple(images.FBaseBitmap, images.FBaseMask), std::tuple(base, mask))
      << "the base is transparent where it has the key it came with, not its own bottom-left colour";

  folder.files.erase("eye1.bmp");
  EXPECT_EQ(LoadImageSet(folder, 16).FEyeList.Count(), 0) << "no eye1.bmp: no pupils, though eye2.bmp is there";
  EXPECT_EQ(BlinkSequence(1), std::vector<std::int32_t>{0}) << "one eyelid: one frame";
}

TEST(LoadImageSet, FailsNamingTheFileThatIsMissingOrBroken) {
  // One file gone or broken; no eyelid at all is as bad as no base.
  const std::pair<const char*, TLoadStatus> cases[] = {
      {"base.bmp", TLoadStatus::Missing}, {"base.bmp", TLoadStatus::Unreadable}, {"cap1.bmp", TLoadStatus::Missing},
      {"cap2.bmp", TLoadStatus::Unreadable}, {"eye3.bmp", TLoadStatus::Unreadable},
  };
  for (const auto& [file, problem] : cases) {
    TFakeFolder folder;
    if (problem == TLoadStatus::Missing) folder.files.erase(file);
    else folder.files[file] = std::nullopt;
    try {
      LoadImageSet(folder, 16);
      ADD_FAILURE() << file << ": loaded";
    } catch (const EImageSetError& e) {
      EXPECT_EQ(std::pair(e.FileName, e.Problem), std::pair(std::string(file), problem)) << file;
    }
  }
}

}  // namespace
}  // namespace tovi
