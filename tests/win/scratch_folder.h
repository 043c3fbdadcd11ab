#pragma once

// A folder for tests that touch the disk.

#include <windows.h>

#include <filesystem>
#include <string>

namespace tovi::testing {

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fresh empty folder whose name holds a space and characters beyond ASCII, as a
// user's may; removed with its files when the object goes.
class TScratchFolder {
 public:
  TScratchFolder() {
    static int counter = 0;
    FPath = (std::filesystem::temp_directory_path() /
             (L"目 テスト " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter)))
                .wstring() + L"\\";
    Clear();  // a crashed run may have left a folder of the same name behind
    std::filesystem::create_directory(FPath);
  }
  ~TScratchFolder() { Clear(); }
  const std::wstring& Path() const { return FPath; }  // ends in "\"

 private:
  void Clear() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(FPath, ignored))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file would stay
    std::filesystem::remove_all(FPath, ignored);
  }
  std::wstring FPath;
};

}  // namespace tovi::testing
