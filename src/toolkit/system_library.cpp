#include "toolkit/system_library.h"

#include <string>

namespace tovi {

FARPROC detail::SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (module == nullptr) {
    // From the system folder only: a library of that name beside the program must not be taken.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    module = LoadLibraryW((std::wstring(folder, length) + L"\\" + library).c_str());
  }
  return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

}  // namespace tovi
