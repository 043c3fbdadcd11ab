#pragma once

#include <string>

#include "core/image_set.h"
#include "core/raster.h"

namespace tovi {

// Reads a Windows bitmap file of any format the platform's loader knows
// (1 to 32 bits per pixel, RLE) into a picture.
TLoadStatus ImageFromFile(const std::wstring& path, TRaster& picture);

// Loads the pictures of one folder, which ends in a path separator.
class TFolderImageLoader final : public TImageLoader {
 public:
  explicit TFolderImageLoader(std::wstring folder) : FFolder(std::move(folder)) {}
  TLoadStatus Load(const std::string& fileName, TRaster& picture) override;
  std::wstring PathOf(const std::string& fileName) const;

 private:
  std::wstring FFolder;
};

}  // namespace tovi
