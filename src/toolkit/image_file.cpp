#include "toolkit/image_file.h"

#include <windows.h>

#include "core/bitmap_file.h"
#include "toolkit/files.h"
#include "toolkit/handles.h"

namespace tovi {
namespace {

// Room for the largest picture we agree to read, at 32 bits a pixel, with its headers.
constexpr std::uint64_t kMaxFileBytes = static_cast<std::uint64_t>(TRaster::kMaxPixels) * 4 + 65536;

}  // namespace

TLoadStatus ImageFromFile(const std::wstring& path, int size, TKeyedPicture& picture) {
  TReadableFile opened = OpenForReading(path);
  if (!opened.FFile) return opened.FStatus;
  const TUniqueKernelObject file = std::move(opened.FFile);
  LARGE_INTEGER bytes{};
  // A mapping of an empty file cannot be made; the file is no picture anyway.
  if (!GetFileSizeEx(file.Get(), &bytes) || bytes.QuadPart == 0 ||
      static_cast<std::uint64_t>(bytes.QuadPart) > kMaxFileBytes)
    return TLoadStatus::Unreadable;

  // Mapped rather than read, so that of a huge file only the pages the
  // decoder touches (the headers and the rows it keeps) come into memory.
  // Mapped at the size measured: a file another program has cut short since
  // is refused, and once mapped it cannot be cut under the decoder.
  const TUniqueKernelObject mapping(
      CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, bytes.HighPart, bytes.LowPart, nullptr));
  const TUniqueFileView view(mapping ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
  if (!view) return TLoadStatus::Unreadable;
  std::optional<TKeyedPicture> read = ReadBitmapFile(
      std::span(static_cast<const std::uint8_t*>(view.Get()), static_cast<std::size_t>(bytes.QuadPart)), size);
  if (!read) return TLoadStatus::Unreadable;
  picture = std::move(*read);
  return TLoadStatus::Loaded;
}

TLoadStatus TFolderImageLoader::Load(const std::string& fileName, int size, TKeyedPicture& picture) {
  return ImageFromFile(PathOf(fileName), size, picture);
}

std::wstring TFolderImageLoader::PathOf(const std::string& fileName) const {
  return FFolder + std::wstring(fileName.begin(), fileName.end());
}

}  // namespace tovi
