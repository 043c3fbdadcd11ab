#pragma once

#include "toolkit/component.h"
#include "toolkit/window.h"

namespace tovi {

// A top-level window described by its own class. Closing the main form ends
// the application.
class TForm : public TComponent, public TWindow {
 public:
  struct TFormParams {
    const wchar_t* ClassName;
    const wchar_t* Caption;
    DWORD Style;
    DWORD ExStyle = 0;
  };
  explicit TForm(const TFormParams& params);

  void Close();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  TObject* ErrorSender() override { return this; }
};

}  // namespace tovi
