#pragma once

#include <windows.h>

#include <string>

#include "toolkit/component.h"
#include "toolkit/form.h"
#include "toolkit/window.h"

namespace tovi {

// A control of a form: a child window of one of the platform's classes or of
// our own, made visible at its bounds (given at 96 DPI) scaled to the form's
// DPI, in the given font or else the form's. Controls come in the order they
// are made, which is also the order of the tab stops.
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
  TControl(TForm& form, TCreateParams params, HFONT font = nullptr);

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
