#pragma once

#include <windows.h>

#include <string>

#include "core/quick_button_look.h"
#include "core/quick_button_press.h"
#include "core/raster.h"
#include "toolkit/color.h"
#include "toolkit/control.h"

namespace tovi {

// The push button of the dialogs, a window of a class of ours that handles its
// own messages: it paints itself completely in one of two styles, with an
// optional strip of glyph images and a caption, and answers to the mouse
// only. A left release can toggle its latched Down state.
class TQuickButton : public TControl {
 public:
  TQuickButton(TForm& form, TBounds bounds, const std::wstring& caption,
               TQuickButtonStyle style = TQuickButtonStyle::qbsDefault);

  void SetBaseColor(TColor value) { Change(FBaseColor, value); }
  void SetContrast(int value) { Change(FContrast, value); }
  bool Down() const { return FPress.Down(); }
  void SetDown(bool value);
  void SetFlat(bool value) { Change(FFlat, value); }
  void SetLayout(TQuickButtonLayout value) { Change(FLayout, value); }
  // Copies a strip of square images (normal, disabled, pressed, down) into
  // the button; null empties it.
  void SetGlyph(const TRaster* value);
  int GlyphCount() const { return GlyphCountOf(FGlyph.Width(), FGlyph.Height()); }
  void SetMargin(int value) { Change(FMargin, value); }
  void SetShowCaption(bool value) { Change(FShowCaption, value); }
  void SetStyle(TQuickButtonStyle value) { Change(FStyle, value); }
  void SetSwitch(bool value) { FPress.SetSwitch(value); }

  TNotifyEvent OnClick;

 protected:
  // Draws the whole client area: WM_PAINT and WM_PRINTCLIENT both come here.
  virtual void Paint(HDC dc);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Repeated assignments of the same value cost no repaint.
  template <typename T>
  void Change(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }
  // Repaint later: the platform merges such requests into its next paint.
  // The background is not erased: the button paints every pixel it owns.
  void Invalidate() { InvalidateRect(Handle(), nullptr, FALSE); }
  // Repaint now, when the button is on the screen.
  void Repaint();
  RECT ClientRect() const;
  bool Inside(LPARAM at) const;
  void LeftButtonUp(bool inside);
  void SetMouseInControl(bool value);

  TColor FBaseColor = clBtnFace;
  int FContrast = 20;
  bool FFlat = false;
  TQuickButtonLayout FLayout = TQuickButtonLayout::qblGlyphLeft;
  TRaster FGlyph;
  int FMargin = -1;
  bool FMouseInControl = false;
  bool FShowCaption = true;
  TQuickButtonStyle FStyle;
  TQuickButtonPress FPress;
};

}  // namespace tovi
