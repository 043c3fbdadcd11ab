#include "toolkit/form.h"

#include <algorithm>

#include "toolkit/application.h"
#include "toolkit/std_controls.h"

namespace tovi {

TForm::TForm(const TFormParams& params) : TComponent(nullptr) {
  RECT bounds{0, 0, params.ClientWidth, params.ClientHeight};
  AdjustWindowRectEx(&bounds, params.Style, FALSE, params.ExStyle);
  // Forms after the first are owned by the main form, which keeps them off the task bar.
  const TForm* mainForm = Application().MainForm();
  CreateHandle({.ClassName = params.ClassName, .Title = params.Caption, .Style = params.Style,
                .ExStyle = params.ExStyle, .Parent = mainForm ? mainForm->Handle() : nullptr,
                .Bounds = {0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top}});
  if (params.Font) SetFont(*params.Font);
}

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

void TForm::SetFont(const TFont& font) { FFont = MakeFont(font); }

int TForm::AddControl(TStdControl* control) {
  FControls.push_back(control);
  return FNextControlId++;
}

void TForm::RemoveControl(TStdControl* control) { std::erase(FControls, control); }

TStdControl* TForm::ControlWithId(UINT id) const {
  const auto found = std::ranges::find_if(FControls, [id](const TStdControl* c) { return c->FId == int(id); });
  return found == FControls.end() ? nullptr : *found;
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FontHandle());
    case WM_COMMAND:
      if (TStdControl* control = lParam ? ControlWithId(LOWORD(wParam)) : nullptr) {
        control->Command(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_MEASUREITEM:
      // Comes while the control's window is being made, before it has a handle.
      if (TStdControl* control = ControlWithId(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID)) {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = control->FItemHeight;
        return TRUE;
      }
      break;
    case WM_DRAWITEM:
      if (TStdControl* control = ControlWithId(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlID)) {
        control->DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tovi
