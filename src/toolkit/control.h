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
// else the form's, both given at 96 DPI and laid out for the form's DPI. Its
// identifier names it in what it tells its form (WM_COMMAND, WM_DRAWITEM,
// WM_MEASUREITEM), which the form hands to the control's handler.
// Controls come in the order they are made, which is also the order of the tab stops.
class TControl : public TComponent, public TWindow {
 public:
  ~TControl() override;

  WORD Id() const { return FId; }
  bool Enabled() const { return FEnabled; }
  // Disabling first moves the keyboard focus on to the next tab stop: a
  // disabled window that kept it would leave the keyboard nowhere to go.
  void SetEnabled(bool value);
  std::wstring Text() const;
  HFONT Font() const { return FOwnFont ? FOwnFont.Get() : FForm.FontHandle(); }

 protected:
  // The window is made by the constructor of the control's own class, once
  // the members that its first messages may need are set.
  TControl(TForm& form, TBounds bounds, std::optional<TFont> font = std::nullopt);

  // Make the window, of one of the platform's classes or of one of ours, at
  // the control's bounds and with its identifier, and lay it out.
  void CreatePlatformControl(const TCreateParams& params);
  void CreateOwnControl(const TCreateParams& params);

  const TForm& Form() const { return FForm; }
  // The bounds at the form's DPI, each edge scaled on its own.
  TBounds ScaledBounds() const;

  // Fits what is the control's own (a label's size, a list's entries, a
  // picture) to its new bounds and font.
  virtual void FitContent() {}

  TObject* ErrorSender() override { return this; }

 private:
  friend class TForm;

  // The params completed as the form's child at the form's DPI, with the control's identifier.
  TCreateParams ChildParams(TCreateParams params) const;
  // Lays the new window out and lists it with the form's controls.
  void PlaceOnForm();
  // Lays the control out for the form's DPI from its 96-DPI description:
  // once its window is made, and again at each layout of the form.
  void Arrange();

  TForm& FForm;
  const WORD FId;
  const TBounds FBounds;
  const std::optional<TFont> FFontDescription;
  TUniqueFont FOwnFont;
  bool FEnabled = true;
};

}  // namespace tovi
