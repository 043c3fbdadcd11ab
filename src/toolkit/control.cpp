#include "toolkit/control.h"

#include <utility>

#include "core/display_scale.h"

namespace tovi {

TControl::TControl(TForm& form, TBounds bounds, std::optional<TFont> font)
    : TComponent(&form), FForm(form), FId(form.FNextControlId++), FBounds(bounds), FFontDescription(std::move(font)) {}

TWindow::TCreateParams TControl::ChildParams(TCreateParams params) const {
  params.Style |= WS_CHILD | WS_VISIBLE;
  params.Parent = FForm.Handle();
  params.Bounds = ScaledBounds();
  params.ControlId = FId;
  return params;
}

void TControl::CreatePlatformControl(const TCreateParams& params) {
  CreatePlatformWindow(ChildParams(params));
  PlaceOnForm();
}

void TControl::CreateOwnControl(const TCreateParams& params) {
  CreateHandle(ChildParams(params));
  PlaceOnForm();
}

void TControl::PlaceOnForm() {
  Arrange();
  FForm.FControls.push_back(this);
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

// The window goes before the font it shows.
TControl::~TControl() {
  std::erase(FForm.FControls, this);
  DestroyHandle();
}

void TControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  // Set before the window is disabled: a press that this cancels (WM_CANCELMODE)
  // then ends as one on a disabled control.
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

}  // namespace tovi
