#include "toolkit/program_folder.h"

#include <windows.h>

#include "toolkit/errors.h"

namespace tovi {

std::wstring ProgramFolder() {
  // Long paths may exceed MAX_PATH: grow the buffer until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw EToviError(L"プログラムの場所がわかりません");
    // The module's name is a full path: its folder ends at its last backslash.
    if (length < path.size()) return path.substr(0, path.find_last_of(L'\\', length) + 1);
    path.resize(path.size() * 2);
  }
}

}  // namespace tovi
