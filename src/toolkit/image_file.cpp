#include "toolkit/image_file.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/bitmap_file.h"
#include "toolkit/dc_canvas.h"
#include "toolkit/handles.h"
#include "toolkit/settings_file.h"

namespace tovi {
namespace {

// Room for the largest picture we keep, at 32 bits a pixel, with its headers.
constexpr std::uint64_t kMaxFileBytes = static_cast<std::uint64_t>(TRaster::kMaxPixels) * 4 + 65536;

}  // namespace

TLoadStatus ImageFromFile(const std::wstring& path, int size, TKeyedPicture& picture) {
  WIN32_FILE_ATTRIBUTE_DATA about{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &about)) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TLoadStatus::Missing
                                                                          : TLoadStatus::Unreadable;
  }
  const std::uint64_t fileBytes = (std::uint64_t{about.nFileSizeHigh} << 32) | about.nFileSizeLow;
  if ((about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || fileBytes > kMaxFileBytes) return TLoadStatus::Unreadable;

  // The platform's file loader trusts the headers and reads past the end of a
  // short file; the headers are checked against the bytes first, and only then
  // does the platform's decoder turn the pixels, of whatever format, into ours.
  const std::string bytes = ReadFileBytes(path);
  const auto file = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  const std::optional<TBitmapLayout> layout = CheckBitmapFile(file);
  if (!layout) return TLoadStatus::Unreadable;

  TRaster loaded(layout->Width, layout->Height);
  const BITMAPINFO target = DibHeaderFor(loaded);
  void* targetBits = nullptr;
  const TUniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  const TUniqueBitmap section(CreateDIBSection(dc.Get(), &target, DIB_RGB_COLORS, &targetBits, nullptr, 0));
  if (!dc || !section) return TLoadStatus::Unreadable;
  const auto* source = reinterpret_cast<const BITMAPINFO*>(layout->Info.data());
  if (SetDIBits(dc.Get(), section.Get(), 0, static_cast<UINT>(layout->Height), file.data() + layout->PixelOffset,
                source, DIB_RGB_COLORS) == 0)
    return TLoadStatus::Unreadable;
  GdiFlush();
  std::memcpy(loaded.Bits().data(), targetBits, loaded.Bits().size_bytes());
  // Colours are whole 0x00BBGGRR values; a 32-bit file's fourth byte is no part of them.
  for (std::uint32_t& pixel : loaded.Bits()) pixel &= 0x00FFFFFF;
  // No more than the top-left part can ever be drawn; the key is the whole picture's.
  TRaster kept(std::min(loaded.Width(), size), std::min(loaded.Height(), size));
  kept.Draw(loaded, 0, 0, TRasterOp::Copy);
  picture = {std::move(kept), loaded.Pixel(0, loaded.Height() - 1)};
  return TLoadStatus::Loaded;
}

TLoadStatus TFolderImageLoader::Load(const std::string& fileName, int size, TKeyedPicture& picture) {
  return ImageFromFile(PathOf(fileName), size, picture);
}

std::wstring TFolderImageLoader::PathOf(const std::string& fileName) const {
  return FFolder + std::wstring(fileName.begin(), fileName.end());
}

}  // namespace tovi
