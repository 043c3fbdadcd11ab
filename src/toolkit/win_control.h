#pragma once

#include <windows.h>

#include <string>

#include "toolkit/color.h"
#include "toolkit/component.h"
#include "toolkit/font.h"
#include "toolkit/handles.h"
#include "toolkit/window.h"

namespace tovi {

// A child window of ours that paints itself completely. It keeps its state
// (bounds, caption, font, colour, enabled) whether or not its window exists
// yet, creates the window when it is given a parent, and turns the window's
// messages into the virtual operations below, in the order the controls of
// the dialogs rely on.
class TWinControl : public TComponent, public TWindow {
 public:
  ~TWinControl() override;

  // Creates the window inside parent at the control's bounds, or moves it
  // there. Until then Paint can still draw the control into any DC.
  void SetParent(HWND parent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }

  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  // Disabling moves the keyboard focus away from the control first, then
  // disables the window; EnabledChanged follows.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  const std::wstring& Caption() const { return FCaption; }
  void SetCaption(const std::wstring& value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  // Until it is set, the control takes its parent's font, else the GUI font.
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& value);
  HFONT FontHandle() const { return FFontHandle.Get(); }

  // Repaint later: the platform merges such requests into its next paint.
  // The background is not erased: the control paints every pixel it owns.
  void Invalidate();
  // Repaint now, when the control is on the screen.
  void Repaint();
  // The paint routine that WM_PAINT and WM_PRINTCLIENT run, for any DC.
  void PaintTo(HDC dc) { Paint(dc); }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;

 protected:
  // Each kind of control names its own window class; the one window
  // procedure of TWindow serves them all.
  TWinControl(TComponent* owner, const wchar_t* className);

  // Draws the whole client area (0, 0, Width, Height).
  virtual void Paint(HDC dc);
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  virtual void EnabledChanged() {}
  virtual void Resize();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  TObject* ErrorSender() override { return this; }

 private:
  void ApplyFont(const TFont& value);
  void FillBackground(HDC dc) const;
  void ButtonPressed(TMouseButton button, WPARAM keys, LPARAM at, bool twice);
  void ButtonReleased(TMouseButton button, WPARAM keys, LPARAM at);
  void MouseMoved(WPARAM keys, LPARAM at);
  void BoundsChanged(const WINDOWPOS& position);

  const wchar_t* FClassName;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  std::wstring FCaption;
  TColor FColor = clBtnFace;
  TFont FFont;
  bool FFontSet = false;
  TUniqueFont FFontHandle;
  bool FClicked = false;
  bool FMouseInside = false;
};

}  // namespace tovi
