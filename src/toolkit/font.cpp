#include "toolkit/font.h"

#include <cwchar>

#include "core/display_scale.h"
#include "toolkit/errors.h"

namespace tovi {

TUniqueFont MakeFont(const TFont& font, int dpi) {
  LOGFONTW description{};
  description.lfHeight = ScaleByDpi(font.Height, dpi);
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = font.CharSet;
  wcsncpy(description.lfFaceName, font.Name.c_str(), LF_FACESIZE - 1);
  TUniqueFont handle(CreateFontIndirectW(&description));
  if (!handle) throw EToviError(L"フォントを作れません");
  return handle;
}

}  // namespace tovi
