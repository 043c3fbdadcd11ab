#include "dialogs/setting_dialog.h"

#include "core/settings.h"
#include "toolkit/dc_canvas.h"

namespace tovi {

TDlgSetting::TDlgSetting() : TForm(DialogFrame(L"TDlgSetting", L"設定", 283, 86)) {
  CmbTovi.OnDrawItem = [this](TObject* control, int index, const RECT& rect, UINT state, HDC dc) {
    CmbToviDrawItem(control, index, rect, state, dc);
  };
  ChkBlink.OnClick = [this](TObject* sender) { ChkBlinkClick(sender); };
  OK.OnClick = [this](TObject* sender) { OKClick(sender); };
  QuickButton1.OnClick = [this](TObject* sender) { QuickButton1Click(sender); };
}

void TDlgSetting::SetValues(const std::int32_t& type, const bool& blink, const std::int32_t& interval) {
  CmbTovi.Clear();
  const std::int32_t pictures = FEyeList ? FEyeList->Count() : 0;
  for (std::int32_t i = 0; i < pictures; ++i) CmbTovi.AddItem(L"");
  CmbTovi.SetItemIndex(type);
  ChkBlink.SetChecked(blink);
  UdbBlinkIvl.SetPosition(ClampBlinkInterval(interval));
}

void TDlgSetting::GetValues(std::int32_t& type, bool& blink, std::int32_t& interval) const {
  type = CmbTovi.ItemIndex();
  blink = ChkBlink.Checked();
  interval = UdbBlinkIvl.Position();
}

// What the controls tell the dialog goes to the handler of the control its identifier names.
LRESULT TDlgSetting::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) != ChkBlink.Id() || HIWORD(wParam) != BN_CLICKED) break;
      ChkBlink.Click();
      return 0;
    case WM_MEASUREITEM:
      if (wParam != CmbTovi.Id()) break;
      CmbTovi.MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != CmbTovi.Id()) break;
      CmbTovi.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

void TDlgSetting::FormShow() { ChkBlinkClick(&ChkBlink); }

void TDlgSetting::ChkBlinkClick(TObject*) {
  const bool enabled = ChkBlink.Checked();
  LblBlinkIvl.SetEnabled(enabled);
  EdtBlinkIvl.SetEnabled(enabled);
  UdbBlinkIvl.SetEnabled(enabled);
  LblBlinkIvlUnit.SetEnabled(enabled);
}

void TDlgSetting::CmbToviDrawItem(TObject*, int index, const RECT& rect, UINT, HDC dc) {
  FillRect(dc, &rect, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
  if (FEyeList == nullptr) return;
  TDcCanvas canvas(dc);
  // The pupil sits 8 pixels in, centred on a 6-pixel-high picture, at 96 DPI.
  FEyeList->Draw(canvas, rect.left + Scale(8), rect.top + (rect.bottom - rect.top - Scale(6)) / 2, index);
}

void TDlgSetting::OKClick(TObject*) { SetModalResult(mrOK); }

void TDlgSetting::QuickButton1Click(TObject*) { SetModalResult(mrCancel); }

}  // namespace tovi
