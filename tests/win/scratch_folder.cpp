#include "scratch_folder.h"

#include <windows.h>

#include <stdexcept>

namespace tovi::testing {

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create a test file");
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) throw std::runtime_error("cannot write a test file");
}

TScratchFolder::TScratchFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  // A crashed run may have left a folder of the same number behind.
  static int counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    FPath = std::wstring(temp) + L"目 テスト " + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"\\";
    if (CreateDirectoryW(FPath.c_str(), nullptr)) return;
  }
  throw std::runtime_error("cannot make a scratch folder");
}

TScratchFolder::~TScratchFolder() {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((FPath + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = FPath + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(path.c_str());
      else DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(FPath.c_str());
}

}  // namespace tovi::testing
