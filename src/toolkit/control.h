#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "toolkit/component.h"
#include "toolkit/font.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"
#include "toolkit/window.h"

namespace tovi {

// A control of a form: a child window of one of the platform's classes or of
// our own, visible at its bounds and in the font of its own description or
// else the form's, both given at 96 DPI and laid out for the form's DPI.
// Controls come in the order they are made, which is also the order of the tab stops.
class TControl : public TComponent, public TWindow {
 public:
  ~TControl() override;

  bool Enabled() const { return FEnabled; }
  // Disabling first moves the keyboard focus on to the next tab stop: a
  // disabled window that kept it would leave the keyboard nowhere to go.
  void SetEnabled(bool value);
  std::wstring Text() const;
  HFONT Font() const { return FOwnFont ? FOwnFont.Get() : FForm.FontHandle(); }

 protected:
  TControl(TForm& form, TCreateParams params, std::optional<TFont> font = std::nullopt);

  const TForm& Form() const { return FForm; }
  // The bounds at the form's DPI, each edge scaled on its own.
  TBounds ScaledBounds() const;

  // Fits what is the control's own (a label's size, a list's entries, a
  // picture) to its new bounds and font. The base's constructor cannot reach
  // it: the constructor of a control that has one calls it.
  virtual void FitContent() {}

  // What the control reported to its form about itself, handed back.
  virtual void Command(WORD) {}
  virtual void DrawItem(const DRAWITEMSTRUCT&) {}

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  TObject* ErrorSender() override { return this; }

 private:
  friend class TForm;

  // Lays the control out for the form's DPI from its 96-DPI description:
  // made with it, and again at each layout of the form.
  void Arrange();

  TForm& FForm;
  const TBounds FBounds;
  const std::optional<TFont> FFontDescription;
  TUniqueFont FOwnFont;
  bool FEnabled = true;
};

}  // namespace tovi
