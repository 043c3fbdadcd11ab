#include "toolkit/form.h"

#include "core/display_scale.h"
#include "toolkit/application.h"
#include "toolkit/display_scale.h"

namespace tovi {

TForm::TForm(const TFormParams& params) : TComponent(nullptr) {
  // Forms after the first are owned by the main form, which keeps them off the task bar.
  const TForm* mainForm = Application().MainForm();
  CreateHandle({.ClassName = params.ClassName, .Title = params.Caption, .Style = params.Style,
                .ExStyle = params.ExStyle, .Parent = mainForm ? mainForm->Handle() : nullptr});
  // Sized once it is on a monitor, whose DPI it then takes.
  FDpi = WindowDpi(Handle());
  const RECT bounds = WindowRectForClient(Scale(params.ClientWidth), Scale(params.ClientHeight), params.Style,
                                          params.ExStyle, FDpi);
  SetWindowPos(Handle(), nullptr, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (params.Font) FFont = MakeFont({params.Font->Name, Scale(params.Font->Height), params.Font->CharSet});
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
    case WM_COMMAND:
      if (lParam) return SendMessageW(reinterpret_cast<HWND>(lParam), kReflectedMessage + message, wParam, lParam);
      break;
    case WM_DRAWITEM:
      return SendMessageW(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem, kReflectedMessage + message, wParam,
                          lParam);
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tovi
