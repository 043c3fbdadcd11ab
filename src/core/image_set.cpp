#include "core/image_set.h"

#include <utility>

namespace tovi {
namespace {

TKeyedPicture Required(TImageLoader& loader, const std::string& fileName, int size) {
  TKeyedPicture picture;
  const TLoadStatus status = loader.Load(fileName, size, picture);
  if (status != TLoadStatus::Loaded) throw EImageSetError(status, fileName);
  return picture;
}

// Adds prefix1.bmp, prefix2.bmp, … until the first number with no file.
void LoadSeries(TImageLoader& loader, const std::string& prefix, int size, TBitmapList& list) {
  for (int i = 1;; ++i) {
    const std::string fileName = prefix + std::to_string(i) + ".bmp";
    TKeyedPicture picture;
    switch (loader.Load(fileName, size, picture)) {
      case TLoadStatus::Missing:
        return;
      case TLoadStatus::Unreadable:
        throw EImageSetError(TLoadStatus::Unreadable, fileName);
      case TLoadStatus::Loaded:
        list.Add(std::move(picture));
        break;
    }
  }
}

}  // namespace

std::vector<std::int32_t> BlinkSequence(std::int32_t frameCount) {
  std::vector<std::int32_t> sequence;
  if (frameCount <= 0) return sequence;
  for (std::int32_t i = 0; i < frameCount; ++i) sequence.push_back(i);
  for (std::int32_t i = frameCount - 2; i >= 0; --i) sequence.push_back(i);
  return sequence;
}

TImageSet LoadImageSet(TImageLoader& loader, int size) {
  TImageSet images;
  TKeyedPicture base = Required(loader, "base.bmp", size);
  images.FBaseMask = MakeMask(base.Bitmap, base.Key);
  images.FBaseBitmap = std::move(base.Bitmap);
  LoadSeries(loader, "cap", size, images.FCapList);
  // Without an eyelid frame there is no blink to play.
  if (images.FCapList.Count() == 0) throw EImageSetError(TLoadStatus::Missing, "cap1.bmp");
  images.FBlinkSequence = BlinkSequence(images.FCapList.Count());
  LoadSeries(loader, "eye", size, images.FEyeList);
  return images;
}

}  // namespace tovi
