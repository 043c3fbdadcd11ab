#pragma once

#include "toolkit/form.h"

namespace tovi {

// A fixed dialog frame: caption with a close box, no minimise or maximise
// box; the font "ＭＳ Ｐゴシック", 12 pixels high, Shift-JIS.
TForm::TFormParams DialogFrame(const wchar_t* className, const wchar_t* caption, int clientWidth, int clientHeight);

}  // namespace tovi
