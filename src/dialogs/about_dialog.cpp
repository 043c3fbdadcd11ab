#include "dialogs/about_dialog.h"

namespace tovi {

TDlgAbout::TDlgAbout() : TForm(DialogFrame(L"TDlgAbout", L"Toviについて", 249, 115)) {
  OK.OnClick = [this](TObject* sender) { OKClick(sender); };
}

void TDlgAbout::OKClick(TObject*) { SetModalResult(mrOK); }

// The rule asks the box to draw it.
LRESULT TDlgAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM && wParam == Bevel1.Id()) {
    Bevel1.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

}  // namespace tovi
