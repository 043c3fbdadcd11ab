#pragma once

#include <windows.h>

#include "core/quick_button_look.h"
#include "core/raster.h"
#include "toolkit/win_control.h"

namespace tovi {

// The push button of the dialogs: it paints itself completely in one of two
// styles, with an optional strip of glyph images and a caption, and answers
// to the mouse only. A left release can toggle its latched Down state.
class TQuickButton : public TWinControl {
 public:
  explicit TQuickButton(TComponent* owner);

  TColor BaseColor() const { return FBaseColor; }
  void SetBaseColor(TColor value);
  int Contrast() const { return FContrast; }
  void SetContrast(int value) { SetIntegerProperty(kContrastIndex, value); }
  bool Down() const { return FDown; }
  void SetDown(bool value) { SetBooleanProperty(kDownIndex, value); }
  bool Flat() const { return FFlat; }
  void SetFlat(bool value) { SetBooleanProperty(kFlatIndex, value); }
  TQuickButtonLayout Layout() const { return FLayout; }
  void SetLayout(TQuickButtonLayout value);
  // The owned strip. Changing it in place is not noticed: GlyphCount follows
  // at the next SetGlyph or Loaded.
  TRaster& Glyph() { return FGlyph; }
  const TRaster& Glyph() const { return FGlyph; }
  // Copies the picture into the owned strip; null empties it.
  void SetGlyph(const TRaster* value);
  int GlyphCount() const { return FGlyphCount; }
  int Margin() const { return FMargin; }
  void SetMargin(int value) { SetIntegerProperty(kMarginIndex, value); }
  bool MouseInControl() const { return FMouseInControl; }
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool value) { SetBooleanProperty(kShowCaptionIndex, value); }
  TQuickButtonStyle Style() const { return FStyle; }
  void SetStyle(TQuickButtonStyle value);
  bool Switch() const { return FSwitch; }
  void SetSwitch(bool value) { SetBooleanProperty(kSwitchIndex, value); }
  bool Pressed() const { return FPressed; }

  void Loaded() override;

 protected:
  void Paint(HDC dc) override;
  void EnabledChanged() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void Click() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  // One setter serves each group of properties, told apart by index.
  static constexpr int kFlatIndex = 1, kDownIndex = 2, kSwitchIndex = 3, kShowCaptionIndex = 4;
  static constexpr int kMarginIndex = 1, kContrastIndex = 2;
  void SetBooleanProperty(int index, bool value);
  void SetIntegerProperty(int index, int value);
  // Repeated assignments of the same value cost no repaint.
  template <typename T>
  void Change(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }
  TButtonLookState LookState() const;

  TColor FBaseColor = clBtnFace;
  int FContrast = 20;
  bool FDown = false;
  bool FFlat = false;
  TQuickButtonLayout FLayout = TQuickButtonLayout::qblGlyphLeft;
  TRaster FGlyph;
  int FGlyphCount = 0;
  int FMargin = -1;
  bool FMouseInControl = false;
  bool FShowCaption = true;
  TQuickButtonStyle FStyle = TQuickButtonStyle::qbsDefault;
  bool FSwitch = false;
  bool FPressed = false;
};

// The octagon frame of the round style along the edges of r; a rectangle too
// small for it is filled with face instead.
void DrawRoundFrame(HDC dc, const RECT& r, TColorRef face, std::int64_t step, bool sunken);
// Image 0 of glyph at (x, y), etched: its shape in shadow with a highlight beside it.
void DrawDisabledGlyph(HDC dc, int x, int y, const TRaster& glyph, TColorRef shadow, TColorRef highlight);

}  // namespace tovi
