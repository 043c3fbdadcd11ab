#pragma once

#include <windows.h>

#include <string>

#include "toolkit/handles.h"

namespace tovi {

// A font by its description. Height is a LOGFONT height at 96 DPI: a
// negative value is the characters' height in pixels.
struct TFont {
  std::wstring Name;
  int Height = 0;
  BYTE CharSet = DEFAULT_CHARSET;
};

// A font of that description, of normal weight, its height scaled to dpi. Throws EToviError.
TUniqueFont MakeFont(const TFont& font, int dpi);

}  // namespace tovi
