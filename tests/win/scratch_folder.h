#pragma once

// Files and folders for tests that touch the disk.

#include <string>

namespace tovi::testing {

// Writes bytes to a file, replacing it.
void WriteBytes(const std::wstring& path, const std::string& bytes);

// A fresh empty folder under the temporary folder, its name holding
// characters beyond ASCII; removed with its files when the object goes.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const std::wstring& Path() const { return FPath; }  // ends in "\"

 private:
  std::wstring FPath;
};

}  // namespace tovi::testing
