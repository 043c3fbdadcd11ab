#include "toolkit/program_folder.h"

#include <windows.h>

#include "toolkit/errors.h"

namespace tovi {

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t last = path.find_last_of(L"\\:");
  std::wstring folder = last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring ProgramFolder() {
  // Long paths may exceed MAX_PATH: grow the buffer until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw EToviError(L"プログラムの場所がわかりません");
    if (length < path.size()) {
      path.resize(length);
      return FolderOf(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace tovi
