#include "toolkit/win_control.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace tovi {
namespace {

TShiftState ShiftStateOf(WPARAM keys) {
  TShiftState shift = 0;
  if (keys & MK_SHIFT) shift |= ssShift;
  if (keys & MK_CONTROL) shift |= ssCtrl;
  if (keys & MK_LBUTTON) shift |= ssLeft;
  if (keys & MK_RBUTTON) shift |= ssRight;
  if (keys & MK_MBUTTON) shift |= ssMiddle;
  // Mouse messages do not carry the Alt key.
  if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
  return shift;
}

TFont FontOf(HFONT font, TColor color) {
  LOGFONTW description{};
  GetObjectW(font, sizeof description, &description);
  return {description.lfFaceName, static_cast<int>(description.lfHeight), description.lfCharSet, color};
}

}  // namespace

TWinControl::TWinControl(TComponent* owner, const wchar_t* className) : TComponent(owner), FClassName(className) {
  ApplyFont(FontOf(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), clWindowText));
}

// The window goes while this object is whole: its last messages must not
// reach members that are already gone.
TWinControl::~TWinControl() { DestroyHandle(); }

void TWinControl::SetParent(HWND parent) {
  if (Handle()) {
    ::SetParent(Handle(), parent);
    return;
  }
  if (!FFontSet)
    if (const auto parentFont = reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)))
      ApplyFont(FontOf(parentFont, FFont.Color));
  CreateHandle({.ClassName = FClassName,
                .Title = FCaption.c_str(),
                .Style = WS_CHILD | WS_CLIPSIBLINGS | (FVisible ? WS_VISIBLE : 0u) | (FEnabled ? 0u : WS_DISABLED),
                .Parent = parent,
                .Bounds = {FLeft, FTop, FLeft + FWidth, FTop + FHeight},
                .ClassStyle = CS_DBLCLKS});
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  // With a window, the fields follow what the platform reports back.
  if (Handle()) {
    SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
}

void TWinControl::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  if (Handle()) ShowWindow(Handle(), value ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  if (Handle()) {
    // A disabled window that keeps the focus leaves the keyboard with nowhere to go.
    const HWND focus = GetFocus();
    if (!value && focus && (focus == Handle() || IsChild(Handle(), focus))) {
      const HWND parent = GetParent(Handle());
      const HWND next = GetNextDlgTabItem(parent, Handle(), FALSE);
      SetFocus(next && next != Handle() ? next : parent);
    }
    EnableWindow(Handle(), value);
  }
  EnabledChanged();
}

void TWinControl::SetCaption(const std::wstring& value) {
  if (value == FCaption) return;
  // With a window, WM_SETTEXT stores the text and repaints.
  if (Handle()) SetWindowTextW(Handle(), value.c_str());
  else FCaption = value;
}

void TWinControl::SetColor(TColor value) {
  if (value == FColor) return;
  FColor = value;
  Invalidate();
}

void TWinControl::SetFont(const TFont& value) {
  FFontSet = true;
  if (value == FFont) return;
  ApplyFont(value);
  Invalidate();
}

void TWinControl::ApplyFont(const TFont& value) {
  FFontHandle = MakeFont(value);
  FFont = value;
}

void TWinControl::Invalidate() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TWinControl::Repaint() {
  if (!Handle()) return;
  Invalidate();
  UpdateWindow(Handle());
}

void TWinControl::Paint(HDC dc) { FillBackground(dc); }

void TWinControl::FillBackground(HDC dc) const {
  const RECT all{0, 0, FWidth, FHeight};
  const TUniqueBrush brush(CreateSolidBrush(ColorToRGB(FColor)));
  FillRect(dc, &all, brush.Get());
}

void TWinControl::Click() {
  if (OnClick) OnClick(this);
}

void TWinControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TWinControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TWinControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TWinControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TWinControl::Resize() {
  if (OnResize) OnResize(this);
}

void TWinControl::ButtonPressed(TMouseButton button, WPARAM keys, LPARAM at, bool twice) {
  if (button == TMouseButton::mbLeft) {
    // Captured, so that the release comes here wherever it happens.
    SetCapture(Handle());
    // The second press of a double click is no start of a click.
    if (twice) DblClick();
    else FClicked = true;
  }
  MouseDown(button, ShiftStateOf(keys) | (twice ? ssDouble : 0), GET_X_LPARAM(at), GET_Y_LPARAM(at));
}

void TWinControl::ButtonReleased(TMouseButton button, WPARAM keys, LPARAM at) {
  const int x = GET_X_LPARAM(at), y = GET_Y_LPARAM(at);
  if (button == TMouseButton::mbLeft) {
    // The capture ends before any handler runs: a handler may open a dialog.
    if (GetCapture() == Handle()) ReleaseCapture();
    if (std::exchange(FClicked, false) && x >= 0 && y >= 0 && x < FWidth && y < FHeight) Click();
  }
  MouseUp(button, ShiftStateOf(keys), x, y);
}

void TWinControl::MouseMoved(WPARAM keys, LPARAM at) {
  const int x = GET_X_LPARAM(at), y = GET_Y_LPARAM(at);
  // While the mouse is captured, moves come from outside as well.
  const bool inside = x >= 0 && y >= 0 && x < FWidth && y < FHeight;
  if (inside && !FMouseInside) {
    FMouseInside = true;
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&leave);
    MouseEnter();
  } else if (!inside && FMouseInside) {
    FMouseInside = false;
    MouseLeave();
  }
  MouseMove(ShiftStateOf(keys), x, y);
}

void TWinControl::BoundsChanged(const WINDOWPOS& position) {
  const bool moved = !(position.flags & SWP_NOMOVE) && (position.x != FLeft || position.y != FTop);
  const bool sized = !(position.flags & SWP_NOSIZE) && (position.cx != FWidth || position.cy != FHeight);
  if (moved) {
    FLeft = position.x;
    FTop = position.y;
  }
  if (sized) {
    FWidth = position.cx;
    FHeight = position.cy;
  }
  if (moved || sized) Invalidate();
  if (sized) Resize();
}

LRESULT TWinControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const TPaintDc paint(Handle());
      Paint(paint.Get());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      // Only the platform asks for this (first show, uncovering); our own
      // invalidations leave the background alone and so do not flicker.
      FillBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_LBUTTONDOWN: ButtonPressed(TMouseButton::mbLeft, wParam, lParam, false); return 0;
    case WM_LBUTTONDBLCLK: ButtonPressed(TMouseButton::mbLeft, wParam, lParam, true); return 0;
    case WM_RBUTTONDOWN: ButtonPressed(TMouseButton::mbRight, wParam, lParam, false); return 0;
    case WM_RBUTTONDBLCLK: ButtonPressed(TMouseButton::mbRight, wParam, lParam, true); return 0;
    case WM_MBUTTONDOWN: ButtonPressed(TMouseButton::mbMiddle, wParam, lParam, false); return 0;
    case WM_MBUTTONDBLCLK: ButtonPressed(TMouseButton::mbMiddle, wParam, lParam, true); return 0;
    case WM_LBUTTONUP: ButtonReleased(TMouseButton::mbLeft, wParam, lParam); return 0;
    case WM_RBUTTONUP: ButtonReleased(TMouseButton::mbRight, wParam, lParam); return 0;
    case WM_MBUTTONUP: ButtonReleased(TMouseButton::mbMiddle, wParam, lParam); return 0;
    case WM_MOUSEMOVE: MouseMoved(wParam, lParam); return 0;
    case WM_MOUSELEAVE:
      if (std::exchange(FMouseInside, false)) MouseLeave();
      return 0;
    case WM_CANCELMODE:
      // A press that the platform cancels (the window disabled, a dialog
      // opening) ends as a release outside: no click, and no pressed look left behind.
      if (GetCapture() == Handle()) ButtonReleased(TMouseButton::mbLeft, 0, MAKELPARAM(-1, -1));
      break;
    case WM_WINDOWPOSCHANGED:
      BoundsChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
      return 0;
    case WM_SETTEXT: {
      const LRESULT stored = TWindow::HandleMessage(message, wParam, lParam);
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      FCaption = text ? text : L"";
      Invalidate();
      return stored;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FontHandle());
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace tovi
