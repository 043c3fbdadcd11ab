#include "components/task_tray_icon.h"

#include <algorithm>
#include <cstring>

#include "toolkit/application.h"
#include "toolkit/errors.h"
#include "toolkit/form.h"
#include "toolkit/popup_menu.h"
#include "toolkit/seams.h"

namespace tovi {
namespace {

constexpr UINT_PTR kRetryAddTimer = 1;
// An icon the shell would not take is offered again, at most once a second.
constexpr UINT kRetryAddMilliseconds = 1000;

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

// The first form of the record holds a tooltip of 64 bytes with its zero.
constexpr std::size_t kTipBytes = 64;

// Copies as much of the hint as fits the tooltip with its terminating zero,
// never splitting a double-byte character of the system code page.
void CopyTip(const std::string& hint, char* tip) {
  std::size_t length = 0;
  while (length < hint.size()) {
    const std::size_t next = length + (IsDBCSLeadByte(static_cast<BYTE>(hint[length])) ? 2 : 1);
    if (next > kTipBytes - 1) break;
    length = next;
  }
  length = std::min(length, hint.size());
  std::memcpy(tip, hint.data(), length);
  tip[length] = '\0';
}

}  // namespace

TTaskTrayIcon::TTaskTrayIcon(TComponent* owner) : TComponent(owner) {
  // The e2e tests find the eyes' windows by this class name.
  CreateHandle({.ClassName = L"ToviTrayIconWindow", .Style = WS_POPUP, .ExStyle = WS_EX_TOOLWINDOW});
}

TTaskTrayIcon::~TTaskTrayIcon() {
  if (FVisible) NotifyTray(NIM_DELETE);
}

void TTaskTrayIcon::SetHint(const std::string& value) {
  if (value == FHint) return;
  FHint = value;
  if (FVisible) NotifyTray(NIM_MODIFY);
}

void TTaskTrayIcon::SetIcon(const TIcon* value) {
  if (value == &FIcon) return;
  FIcon.Assign(value);
  if (FVisible) NotifyTray(NIM_MODIFY);
}

void TTaskTrayIcon::SetPopUpMenuL(TPopupMenu* value) {
  FPopUpMenuL = value;
  if (value) value->FreeNotification(this);
}

void TTaskTrayIcon::SetPopUpMenuR(TPopupMenu* value) {
  FPopUpMenuR = value;
  if (value) value->FreeNotification(this);
}

void TTaskTrayIcon::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  if (value) {
    AddIcon();
  } else {
    FAddPending = false;
    NotifyTray(NIM_DELETE);
  }
}

void TTaskTrayIcon::Loaded() {
  TComponent::Loaded();
  if (FVisible) AddIcon();
}

void TTaskTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  // The end is announced from the base destructor, where a type test no longer
  // sees a menu; the address alone tells ours apart.
  if (operation != TOperation::opRemove || component == nullptr) return;
  if (component == FPopUpMenuL) FPopUpMenuL = nullptr;
  if (component == FPopUpMenuR) FPopUpMenuR = nullptr;
}

BOOL TTaskTrayIcon::NotifyTray(DWORD operation) {
  if (Designing()) return FALSE;
  if (operation == NIM_MODIFY && !FVisible) return FALSE;
  NOTIFYICONDATAA data{};
  data.cbSize = kRecordSize;
  data.hWnd = Handle();
  data.uID = kIconId;
  data.uFlags = kFlags;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = FIcon.Handle();
  CopyTip(FHint, data.szTip);
  return seams::ShellNotifyIcon(operation, &data);
}

void TTaskTrayIcon::AddIcon() {
  // A shell that already holds the icon refuses the add but takes a modify.
  FAddPending = !NotifyTray(NIM_ADD) && !NotifyTray(NIM_MODIFY);
  if (FAddPending) SetTimer(Handle(), kRetryAddTimer, kRetryAddMilliseconds, nullptr);
  else KillTimer(Handle(), kRetryAddTimer);
}

void TTaskTrayIcon::RetryAdd() {
  if (FVisible && FAddPending) AddIcon();
  else KillTimer(Handle(), kRetryAddTimer);
}

LRESULT TTaskTrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage()) {
    // A restarted shell has forgotten every icon.
    if (FVisible) AddIcon();
    return 0;
  }
  switch (message) {
    case kCallbackMessage:
      HandleCallback(lParam);
      return 0;
    case WM_QUERYENDSESSION:
      // Another program may still cancel the log-off: the icon stays until it really happens.
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) NotifyTray(NIM_DELETE);
      return 0;
    case WM_TIMER:
      if (wParam != kRetryAddTimer) break;
      RetryAdd();
      return 0;
    default:
      break;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

void TTaskTrayIcon::BringOwnerForward() {
  auto* form = dynamic_cast<TForm*>(Owner());
  if (form == nullptr) return;
  SetForegroundWindow(form->Handle());
  Application().ProcessMessages();
}

void TTaskTrayIcon::HandleCallback(LPARAM mouseMessage) {
  POINT cursor{};
  seams::CursorPos(&cursor);
  const int x = cursor.x, y = cursor.y;
  const auto mouseDown = [&](TMouseButton button, TShiftState shift) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
  };
  const auto mouseUpAndClick = [&](TMouseButton button, TShiftState shift) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    if (OnClick) OnClick(this);
  };
  const auto doubleClick = [&](TMouseButton button) {
    BringOwnerForward();
    if (OnDblClick) OnDblClick(this);
    mouseDown(button, ssDouble);
  };
  // The menu comes first and the press is reported once it has closed.
  const auto pressWithMenu = [&](TPopupMenu* TTaskTrayIcon::*menu, TMouseButton button, TShiftState shift) {
    BringOwnerForward();
    if (TPopupMenu* popup = this->*menu) popup->Popup(x, y);
    mouseDown(button, shift);
  };

  switch (mouseMessage) {
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(this, 0, x, y);
      break;
    case WM_LBUTTONDOWN: pressWithMenu(&TTaskTrayIcon::FPopUpMenuL, TMouseButton::mbLeft, ssLeft); break;
    case WM_LBUTTONUP: mouseUpAndClick(TMouseButton::mbLeft, ssLeft); break;
    case WM_LBUTTONDBLCLK: doubleClick(TMouseButton::mbLeft); break;
    case WM_RBUTTONDOWN: pressWithMenu(&TTaskTrayIcon::FPopUpMenuR, TMouseButton::mbRight, ssRight); break;
    case WM_RBUTTONUP: mouseUpAndClick(TMouseButton::mbRight, ssRight); break;
    case WM_RBUTTONDBLCLK: doubleClick(TMouseButton::mbRight); break;
    case WM_MBUTTONDOWN: mouseDown(TMouseButton::mbMiddle, ssMiddle); break;
    case WM_MBUTTONUP: mouseUpAndClick(TMouseButton::mbMiddle, ssMiddle); break;
    default: break;
  }
}

}  // namespace tovi
