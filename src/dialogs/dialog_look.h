#pragma once

#include <windows.h>

#include "components/quick_button.h"
#include "toolkit/form.h"
#include "toolkit/std_controls.h"

namespace tovi {

// A fixed dialog frame: caption with a close box, no minimise or maximise box.
TForm::TFormParams DialogFrame(const wchar_t* className, const wchar_t* caption, int clientWidth, int clientHeight);

// The dialogs' font: "ＭＳ Ｐゴシック", 12 pixels high, Shift-JIS.
TFont DialogFont();

// Puts one of the dialogs' push buttons on the form: round style, glyph left,
// neither down nor flat, no glyph.
void PlaceDialogButton(TQuickButton& button, TForm& form, TBounds bounds, const wchar_t* caption,
                       TNotifyEvent onClick);

}  // namespace tovi
