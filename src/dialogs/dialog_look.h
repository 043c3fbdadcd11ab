#pragma once

#include "toolkit/form.h"

namespace tovi {

// A fixed dialog frame: caption with a close box, no minimise or maximise
// box; the font "ＭＳ Ｐゴシック", 12 pixels high, Shift-JIS.
inline TForm::TFormParams DialogFrame(const wchar_t* className, const wchar_t* caption, int clientWidth,
                                      int clientHeight) {
  return {.ClassName = className,
          .Caption = caption,
          .Style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
          .ExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
          .ClientWidth = clientWidth,
          .ClientHeight = clientHeight,
          .Font = TFont{L"ＭＳ Ｐゴシック", -12, SHIFTJIS_CHARSET}};
}

}  // namespace tovi
