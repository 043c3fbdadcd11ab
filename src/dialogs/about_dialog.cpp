#include "dialogs/about_dialog.h"

namespace tovi {

TDlgAbout::TDlgAbout()
    : TForm(DialogFrame(L"TDlgAbout", L"Toviについて", 249, 115)),
      FTitleFont(MakeFont({L"Century Gothic", -27, ANSI_CHARSET, clWindowText})) {
  Label1.SetFont(FTitleFont.Get());
  for (TLabel* label : {&Label1, &Label2, &LblCopyright}) label->SizeToText();
  PlaceDialogButton(OK, *this, {84, 84, 89, 25}, L"OK", [this](TObject* sender) { OKClick(sender); });
}

void TDlgAbout::OKClick(TObject*) { SetModalResult(mrOK); }

}  // namespace tovi
