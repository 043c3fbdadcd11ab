#pragma once

#include <optional>
#include <vector>

#include "toolkit/component.h"
#include "toolkit/font.h"
#include "toolkit/handles.h"
#include "toolkit/window.h"

namespace tovi {

// The integer a modal form closes with.
inline constexpr int mrNone = 0, mrOK = 1, mrCancel = 2;

class TControl;

// A top-level window of a class of its own. Closing the main form ends the
// application; closing a modal form ends its modal loop with mrCancel. Its
// controls tell it what happens to them (WM_COMMAND, WM_DRAWITEM,
// WM_MEASUREITEM), naming themselves by identifier: a form whose controls have
// anything to tell hands it to their handlers in its own HandleMessage.
// It is laid out from its 96-DPI description for the DPI of its monitor when
// it is made, each time it opens and whenever that DPI changes.
class TForm : public TComponent, public TWindow {
 public:
  struct TFormParams {
    const wchar_t* ClassName;
    const wchar_t* Caption;
    DWORD Style;
    DWORD ExStyle = 0;
    // The client area's size at 96 DPI; the window is made as large as its
    // frame needs at the DPI of its monitor.
    int ClientWidth = 0;
    int ClientHeight = 0;
    // The font of every control placed on the form without one of its own; its height is at 96 DPI.
    std::optional<TFont> Font = std::nullopt;
  };
  explicit TForm(const TFormParams& params);

  void Close();

  // Shows the form laid out anew and centred on the screen, and serves every
  // window in a loop of its own until a modal result is set; hides the form and returns it.
  int ShowModal();
  void SetModalResult(int result) { FModalResult = result; }
  bool Showing() const { return FShowing; }

  // The font of every control placed on the form without one of its own, or null for the platform's.
  HFONT FontHandle() const { return FFont.Get(); }

  // The DPI the form is laid out for, and a length or a place of its 96-DPI
  // layout at that DPI.
  int Dpi() const { return FDpi; }
  int Scale(int value) const;

 protected:
  // Runs each time the form is about to be shown.
  virtual void FormShow() {}
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  TObject* ErrorSender() override { return this; }

 private:
  friend class TControl;

  // Lays the form's font and every control out anew for dpi; the window keeps its size.
  void LayOut(int dpi);
  // The window's rectangle (at 0, 0) around the client area of the layout at dpi.
  RECT WindowRectAt(int dpi) const;
  void FitWindow();
  void CentreOnScreen();
  void FocusFirstControl();

  const int FClientWidth;
  const int FClientHeight;
  const DWORD FStyle;
  const DWORD FExStyle;
  const std::optional<TFont> FFontDescription;
  // Every control placed on the form, in the order they were made.
  std::vector<TControl*> FControls;
  // The identifier the next control takes: above the commands that
  // IsDialogMessage sends for Enter and Escape (IDOK, IDCANCEL), which name no control.
  WORD FNextControlId = 100;
  int FDpi = 96;
  int FModalResult = mrNone;
  bool FShowing = false;
  TUniqueFont FFont;
};

}  // namespace tovi
