#include "toolkit/form.h"

#include <utility>

#include "core/display_scale.h"
#include "toolkit/application.h"
#include "toolkit/control.h"
#include "toolkit/display_scale.h"

namespace tovi {
namespace {

// WM_GETDPISCALEDSIZE of Windows 10 1703, which the headers for older systems lack.
constexpr UINT kGetDpiScaledSize = 0x02E4;

}  // namespace

TForm::TForm(const TFormParams& params)
    : TComponent(nullptr),
      FClientWidth(params.ClientWidth),
      FClientHeight(params.ClientHeight),
      FStyle(params.Style),
      FExStyle(params.ExStyle),
      FFontDescription(params.Font) {
  // Forms after the first are owned by the main form, which keeps them off the task bar.
  const TForm* mainForm = Application().MainForm();
  CreateHandle({.ClassName = params.ClassName, .Title = params.Caption, .Style = params.Style,
                .ExStyle = params.ExStyle, .Parent = mainForm ? mainForm->Handle() : nullptr});
  // Laid out once it is on a monitor, whose DPI it then takes.
  LayOut(WindowDpi(Handle()));
  FitWindow();
}

void TForm::LayOut(int dpi) {
  FDpi = dpi;
  // The old font goes once no control uses it any more.
  const TUniqueFont old = std::exchange(FFont, FFontDescription ? MakeFont(*FFontDescription, dpi) : TUniqueFont());
  for (TControl* control : FControls) control->Arrange();
}

RECT TForm::WindowRectAt(int dpi) const {
  return WindowRectForClient(ScaleByDpi(FClientWidth, dpi), ScaleByDpi(FClientHeight, dpi), FStyle, FExStyle, dpi);
}

void TForm::FitWindow() {
  const RECT bounds = WindowRectAt(FDpi);
  SetWindowPos(Handle(), nullptr, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::Scale(int value) const { return ScaleByDpi(value, FDpi); }

void TForm::Close() {
  if (Application().MainForm() == this) Application().Terminate();
  else if (FShowing) FModalResult = mrCancel;
  else ShowWindow(Handle(), SW_HIDE);
}

void TForm::CentreOnScreen() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  const int width = window.right - window.left, height = window.bottom - window.top;
  SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::ShowModal() {
  FModalResult = mrNone;
  // Laid out for the monitor it opens on, whose scale may have changed while it was hidden.
  CentreOnScreen();
  LayOut(WindowDpi(Handle()));
  FitWindow();
  CentreOnScreen();
  FormShow();
  FShowing = true;
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  FocusFirstControl();
  MSG message;
  while (FModalResult == mrNone) {
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
      // The application is ending: leave the quit for its own loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      FModalResult = mrCancel;
      break;
    }
    // Tab moves between the controls; the form hears of Enter and Escape
    // only as commands no control of ours answers to.
    if (IsDialogMessageW(Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  ShowWindow(Handle(), SW_HIDE);
  FShowing = false;
  return FModalResult;
}

// The keyboard starts at the first control Tab reaches, as in any dialog.
void TForm::FocusFirstControl() {
  const HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE);
  if (first && IsChild(Handle(), first) && (GetWindowLongPtrW(first, GWL_STYLE) & WS_TABSTOP)) SetFocus(first);
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FontHandle());
    case kGetDpiScaledSize: {
      // Asked before WM_DPICHANGED: the frame does not grow as the client area
      // does, so the size comes from the layout rather than by scaling the window.
      const RECT bounds = WindowRectAt(static_cast<int>(wParam));
      *reinterpret_cast<SIZE*>(lParam) = {bounds.right - bounds.left, bounds.bottom - bounds.top};
      return TRUE;
    }
    case WM_DPICHANGED: {
      LayOut(HIWORD(wParam));
      // The rectangle Windows suggests keeps the window where the move put it.
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tovi
