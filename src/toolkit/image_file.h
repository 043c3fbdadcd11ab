#pragma once

#include <string>

#include "core/image_set.h"
#include "core/raster.h"

namespace tovi {

// Reads the top-left size by size pixels of a Windows bitmap file of any of
// its formats (1 to 32 bits per pixel, bit fields, RLE), with the key colour
// of the whole picture. A picture that fails to load is left as it was; a file
// that cannot be opened is missing or unreadable as OpenForReading has it.
TLoadStatus ImageFromFile(const std::wstring& path, int size, TKeyedPicture& picture);

// Loads the pictures of one folder, which ends in a path separator.
class TFolderImageLoader final : public TImageLoader {
 public:
  explicit TFolderImageLoader(std::wstring folder) : FFolder(std::move(folder)) {}
  TLoadStatus Load(const std::string& fileName, int size, TKeyedPicture& picture) override;
  std::wstring PathOf(const std::string& fileName) const;

 private:
  std::wstring FFolder;
};

}  // namespace tovi
