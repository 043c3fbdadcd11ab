#include "dialogs/about_dialog.h"

namespace tovi {

TDlgAbout::TDlgAbout() : TForm(DialogFrame(L"TDlgAbout", L"Toviについて", 249, 115)) {
  OK.OnClick = [this](TObject* sender) { OKClick(sender); };
}

void TDlgAbout::OKClick(TObject*) { SetModalResult(mrOK); }

}  // namespace tovi
