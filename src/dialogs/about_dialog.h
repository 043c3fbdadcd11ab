#pragma once

#include "components/quick_button.h"
#include "dialogs/dialog_look.h"
#include "toolkit/font.h"
#include "toolkit/form.h"
#include "toolkit/std_controls.h"

namespace tovi {

// The about box: the program's icon, its name, version and copyright, OK.
class TDlgAbout final : public TForm {
 public:
  TDlgAbout();

  void OKClick(TObject* sender);

  // Every control of the box, placed at 96 DPI, in the order it is made; none is a tab stop.
  TImage Image1{*this, {8, 8, 32, 32}, 1};
  TLabel Label1{*this, {48, 8, 0, 33}, L"Tovi", TFont{L"Century Gothic", -27, ANSI_CHARSET}};
  TLabel Label2{*this, {48, 44, 0, 12}, L"トヴィ Ver." TOVI_VERSION_TEXT};
  TLabel LblCopyright{*this, {48, 58, 0, 12}, L"© 2026 Tovi の開発者"};
  TBevel Bevel1{*this, {12, 76, 229, 5}};
  TQuickButton OK{*this, {84, 84, 89, 25}, L"OK", TQuickButtonStyle::qbsRound};

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace tovi
