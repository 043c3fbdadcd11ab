#pragma once

#include <windows.h>

#include <string>

#include "toolkit/color.h"
#include "toolkit/handles.h"

namespace tovi {

// What a control's text is drawn in. Height is a LOGFONT height: a negative
// value is the characters' height in pixels.
struct TFont {
  std::wstring Name;
  int Height = 0;
  BYTE CharSet = DEFAULT_CHARSET;
  TColor Color = clWindowText;
  friend bool operator==(const TFont&, const TFont&) = default;
};

// A font of that description, of normal weight. Throws EToviError.
TUniqueFont MakeFont(const TFont& font);

}  // namespace tovi
