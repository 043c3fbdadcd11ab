#pragma once

#include <cstdint>

#include "components/quick_button.h"
#include "core/bitmap_list.h"
#include "core/settings.h"
#include "dialogs/dialog_look.h"
#include "toolkit/form.h"
#include "toolkit/std_controls.h"

namespace tovi {

// The settings dialog: the pupil picture, blinking on its own, and the
// interval between blinks. It edits values in memory only: SetValues puts
// them into the controls, GetValues hands them back after OK.
class TDlgSetting final : public TForm {
 public:
  TDlgSetting();

  // The pupil pictures the chooser shows; the list must outlive the dialog's use.
  void SetEyeList(const TBitmapList* eyeList) { FEyeList = eyeList; }
  void SetValues(const std::int32_t& type, const bool& blink, const std::int32_t& interval);
  void GetValues(std::int32_t& type, bool& blink, std::int32_t& interval) const;

  void ChkBlinkClick(TObject* sender);
  void CmbToviDrawItem(TObject* control, int index, const RECT& rect, UINT state, HDC dc);
  void OKClick(TObject* sender);
  void QuickButton1Click(TObject* sender);

  // Every control of the dialog, placed at 96 DPI, in the order it is made;
  // the combo box, the edit and the check box are the tab stops, in this order.
  TLabel Label1{*this, {12, 12, 57, 12}, L"ひとみの色"};
  TLabel LblBlinkIvl{*this, {28, 60, 24, 12}, L"間隔"};
  TLabel LblBlinkIvlUnit{*this, {132, 60, 29, 12}, L"ミリ秒"};
  TOwnerDrawComboBox CmbTovi{*this, {96, 8, 53, 19}, 13, 8};
  TEdit EdtBlinkIvl{*this, {60, 56, 53, 20}, L"100"};
  TCheckBox ChkBlink{*this, {12, 36, 97, 17}, L"まばたきする"};
  TQuickButton OK{*this, {180, 12, 89, 25}, L"OK", TQuickButtonStyle::qbsRound};
  TQuickButton QuickButton1{*this, {180, 44, 89, 25}, L"キャンセル", TQuickButtonStyle::qbsRound};
  TUpDown UdbBlinkIvl{*this, {113, 56, 15, 20}, EdtBlinkIvl, kMinBlinkInterval, kMaxBlinkInterval,
                      kBlinkIntervalStep};

 protected:
  void FormShow() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  const TBitmapList* FEyeList = nullptr;
};

}  // namespace tovi
