#include "core/image_set.h"

#include <gtest/gtest.h>

#include <map>

namespace tovi {
namespace {

// A folder of pictures by name; a name mapped to nullopt exists but is unreadable.
class TFakeFolder final : public TImageLoader {
 public:
  std::map<std::string, std::optional<TRaster>> files;
  std::vector<std::string> asked;

  TLoadStatus Load(const std::string& name, TRaster& picture) override {
    asked.push_back(name);
    const auto it = files.find(name);
    if (it == files.end()) return TLoadStatus::Missing;
    if (!it->second) return TLoadStatus::Unreadable;
    picture = *it->second;
    return TLoadStatus::Loaded;
  }
};

TFakeFolder CompleteFolder(int caps, int eyes) {
  TFakeFolder folder;
  folder.files["base.bmp"] = TRaster(16, 16, 0x00FF00);
  for (int i = 1; i <= caps; ++i) folder.files["cap" + std::to_string(i) + ".bmp"] = TRaster(16, 16, 0x0000FF);
  for (int i = 1; i <= eyes; ++i) folder.files["eye" + std::to_string(i) + ".bmp"] = TRaster(7, 7);
  return folder;
}

TEST(BlinkSequence, ClosesThenOpens) {
  EXPECT_EQ(BlinkSequence(1), (std::vector<std::int32_t>{0}));
  EXPECT_EQ(BlinkSequence(2), (std::vector<std::int32_t>{0, 1, 0}));
  EXPECT_TRUE(BlinkSequence(0).empty());
}

TEST(LoadImageSet, LoadsBaseSeriesAndSequenceInOrder) {
  TFakeFolder folder = CompleteFolder(3, 4);
  TRaster base(16, 16, 0xFFFFFF);
  base.SetPixel(0, 15, 0x123456);
  base.SetPixel(8, 8, 0x123456);
  folder.files["base.bmp"] = base;
  const TImageSet images = LoadImageSet(folder);
  EXPECT_EQ(images.FCapList.Count(), 3);
  EXPECT_EQ(images.FEyeList.Count(), 4);
  EXPECT_EQ(images.FBlinkSequence, (std::vector<std::int32_t>{0, 1, 2, 1, 0}));
  EXPECT_EQ(folder.asked, (std::vector<std::string>{"base.bmp", "cap1.bmp", "cap2.bmp", "cap3.bmp", "cap4.bmp",
                                                    "eye1.bmp", "eye2.bmp", "eye3.bmp", "eye4.bmp", "eye5.bmp"}));
  EXPECT_EQ(images.FBaseMask.Pixel(8, 8), kWhite) << "the base's key is its bottom-left colour, wherever it lies";
  EXPECT_EQ(images.FBaseMask.Pixel(7, 8), kBlack);
}

TEST(LoadImageSet, AGapEndsASeries) {
  TFakeFolder folder = CompleteFolder(4, 3);
  folder.files.erase("cap3.bmp");
  folder.files.erase("eye1.bmp");
  const TImageSet images = LoadImageSet(folder);
  EXPECT_EQ(images.FCapList.Count(), 2);
  EXPECT_EQ(images.FEyeList.Count(), 0) << "no eye1.bmp: no pupils, though eye2.bmp is there";
}

TEST(LoadImageSet, FailsNamingTheFileThatIsMissingOrBroken) {
  // A complete folder but for one file gone or broken; no eyelid at all is as bad as no base.
  const std::pair<const char*, TLoadStatus> cases[] = {
      {"base.bmp", TLoadStatus::Missing},    {"base.bmp", TLoadStatus::Unreadable},
      {"cap1.bmp", TLoadStatus::Missing},    {"cap2.bmp", TLoadStatus::Unreadable},
      {"eye3.bmp", TLoadStatus::Unreadable},
  };
  for (const auto& [file, problem] : cases) {
    TFakeFolder folder = CompleteFolder(3, 3);
    if (problem == TLoadStatus::Missing) folder.files.erase(file);
    else folder.files[file] = std::nullopt;
    try {
      LoadImageSet(folder);
      ADD_FAILURE() << file << ": loaded";
    } catch (const EImageSetError& e) {
      EXPECT_EQ(std::pair(e.FileName, e.Problem), std::pair(std::string(file), problem)) << file;
    }
  }
}

}  // namespace
}  // namespace tovi
