#include "toolkit/control.h"

#include <utility>

#include "core/display_scale.h"

namespace tovi {

TControl::TControl(TForm& form, TCreateParams params, std::optional<TFont> font)
    : TComponent(&form), FForm(form), FBounds(params.Bounds), FFontDescription(std::move(font)) {
  params.Style |= WS_CHILD | WS_VISIBLE;
  params.Parent = form.Handle();
  params.Bounds = ScaledBounds();
  CreateHandle(params);
  Arrange();
  form.FControls.push_back(this);
}

TBounds TControl::ScaledBounds() const {
  const TBounds& b = FBounds;
  const TRect r = ScaleRect({b.Left, b.Top, b.Left + b.Width, b.Top + b.Height}, FForm.Dpi());
  return {r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top};
}

void TControl::Arrange() {
  // The old font goes once the control has the new one.
  const TUniqueFont old =
      std::exchange(FOwnFont, FFontDescription ? MakeFont(*FFontDescription, FForm.Dpi()) : TUniqueFont());
  const TBounds b = ScaledBounds();
  SetWindowPos(Handle(), nullptr, b.Left, b.Top, b.Width, b.Height, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
  FitContent();
}

// The window goes while this object is whole: its last messages must not
// reach members that are already gone.
TControl::~TControl() {
  std::erase(FForm.FControls, this);
  DestroyHandle();
}

void TControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  // Set first: a press that disabling cancels ends as one on a disabled control.
  FEnabled = value;
  const HWND focus = GetFocus();
  if (!value && focus && (focus == Handle() || IsChild(Handle(), focus))) {
    const HWND parent = GetParent(Handle());
    const HWND next = GetNextDlgTabItem(parent, Handle(), FALSE);
    SetFocus(next && next != Handle() ? next : parent);
  }
  EnableWindow(Handle(), value);
}

std::wstring TControl::Text() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Handle())) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
  return text;
}

LRESULT TControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kReflectedMessage + WM_COMMAND:
      Command(HIWORD(wParam));
      return 0;
    case kReflectedMessage + WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tovi
