#include "toolkit/form.h"

#include "toolkit/application.h"

namespace tovi {

TForm::TForm(const TFormParams& params) : TComponent(nullptr) {
  CreateHandle({.ClassName = params.ClassName, .Title = params.Caption, .Style = params.Style,
                .ExStyle = params.ExStyle});
}

void TForm::Close() {
  if (Application().MainForm() == this) Application().Terminate();
  else ShowWindow(Handle(), SW_HIDE);
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Close();
    return 0;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tovi
