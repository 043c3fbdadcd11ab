#include "dialogs/dialog_look.h"

namespace tovi {

TForm::TFormParams DialogFrame(const wchar_t* className, const wchar_t* caption, int clientWidth, int clientHeight) {
  return {.ClassName = className,
          .Caption = caption,
          .Style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
          .ExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
          .ClientWidth = clientWidth,
          .ClientHeight = clientHeight,
          .Font = DialogFont()};
}

TFont DialogFont() { return {L"ＭＳ Ｐゴシック", -12, SHIFTJIS_CHARSET, clWindowText}; }

void PlaceDialogButton(TQuickButton& button, TForm& form, TBounds bounds, const wchar_t* caption,
                       TNotifyEvent onClick) {
  button.SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
  button.SetCaption(caption);
  button.SetStyle(TQuickButtonStyle::qbsRound);
  button.SetLayout(TQuickButtonLayout::qblGlyphLeft);
  button.SetFont(DialogFont());
  button.OnClick = std::move(onClick);
  button.SetParent(form.Handle());
  button.Loaded();
}

}  // namespace tovi
