#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "core/extended_path.h"
#include "toolkit/files.h"

namespace tovi::testing {

// For the test's own calls on folders past 260 characters, where Windows takes only this form.
inline std::wstring Extended(const std::wstring& path) {
  return ExtendedLengthPath(std::filesystem::path(path).lexically_normal().wstring());
}

// A fresh folder whose name holds a space and characters beyond ASCII, as a user's may; gone with its files after.
// Its path ends in a backslash and doubles a separator, which only the full path's clean-up takes away.
struct TScratchFolder {
  // With the build's pictures, for a main form made there.
  explicit TScratchFolder(bool pictures = false) {
    std::filesystem::remove_all(Extended(Path));  // a crashed run may have left one behind
    std::filesystem::create_directory(Path);
    if (!pictures) return;
    for (const auto& file : std::filesystem::directory_iterator(ProgramFolder() + L"" TOVI_PICTURES_FROM_TESTS))
      if (file.path().extension() == L".bmp") std::filesystem::copy(file, Path + file.path().filename().wstring());
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Extended(Path), ignored);
  }
  const std::wstring Path = std::filesystem::temp_directory_path().wstring() + L"\\目 テスト " +
                            std::to_wstring(GetCurrentProcessId()) + L"\\";
};

}  // namespace tovi::testing
