#pragma once

#include <string>

#include "toolkit/files.h"

namespace tovi {

// The folder of Tovi's own pictures in the build, found from this
// executable's folder, so the build tree may move.
inline std::wstring PictureFolder() {
  std::wstring relative = L"" TOVI_PICTURES_FROM_TOOLS;
  for (wchar_t& c : relative)
    if (c == L'/') c = L'\\';
  return ProgramFolder() + relative + L"\\";
}

}  // namespace tovi
