#include "core/extended_path.h"

namespace tovi {

std::wstring ExtendedLengthPath(std::wstring_view fullPath) {
  for (const std::wstring_view device : {L"\\\\?\\", L"\\\\.\\", L"\\??\\"})
    if (fullPath.starts_with(device)) return std::wstring(fullPath);
  if (fullPath.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(fullPath.substr(2));
  const auto isLetter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
  const bool onDrive = fullPath.size() >= 3 && isLetter(fullPath[0]) && fullPath.substr(1, 2) == L":\\";
  return onDrive ? L"\\\\?\\" + std::wstring(fullPath) : std::wstring(fullPath);
}

}  // namespace tovi
