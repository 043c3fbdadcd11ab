#pragma once

#include <windows.h>

#include <string>

#include "toolkit/component.h"
#include "toolkit/form.h"
#include "toolkit/window.h"

namespace tovi {

// Where a control sits in its form's client area, in pixels at 96 DPI.
struct TBounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// A control of a form: a child window of one of the platform's classes or of
// our own, made with the control at its bounds scaled to the form's DPI, in
// the form's font. Controls
// come in the order they are made, which is also the order of the tab stops.
class TControl : public TComponent, public TWindow {
 public:
  ~TControl() override;

  bool Enabled() const { return FEnabled; }
  // Disabling first moves the keyboard focus on to the next tab stop: a
  // disabled window that kept it would leave the keyboard nowhere to go.
  void SetEnabled(bool value);
  std::wstring Text() const;
  HFONT Font() const { return FFont; }

 protected:
  struct TParams {
    const wchar_t* ClassName;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    TBounds Bounds;
    std::wstring Text = L"";
    HFONT Font = nullptr;  // none: the form's
    // One of the platform's classes, or one of ours, registered on first use with ClassStyle.
    bool PlatformClass = true;
    UINT ClassStyle = 0;
  };
  TControl(TForm& form, const TParams& params);

  // The bounds at the form's DPI, each edge scaled on its own.
  static TBounds Scaled(const TForm& form, TBounds bounds);

  // What the control reported to its form about itself, handed back.
  virtual void Command(WORD) {}
  virtual void DrawItem(const DRAWITEMSTRUCT&) {}

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  TObject* ErrorSender() override { return this; }

 private:
  HFONT FFont;
  bool FEnabled = true;
};

}  // namespace tovi
