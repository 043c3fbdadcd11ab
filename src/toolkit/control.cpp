#include "toolkit/control.h"

#include "core/display_scale.h"

namespace tovi {

TBounds TControl::Scaled(const TForm& form, TBounds bounds) {
  const TRect r = ScaleRect({bounds.Left, bounds.Top, bounds.Left + bounds.Width, bounds.Top + bounds.Height},
                            form.Dpi());
  return {r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top};
}

TControl::TControl(TForm& form, TCreateParams params, HFONT font)
    : TComponent(&form), FFont(font ? font : form.FontHandle()) {
  params.Style |= WS_CHILD | WS_VISIBLE;
  params.Parent = form.Handle();
  params.Bounds = Scaled(form, params.Bounds);
  CreateHandle(params);
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont), TRUE);
}

// The window goes while this object is whole: its last messages must not
// reach members that are already gone.
TControl::~TControl() { DestroyHandle(); }

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
