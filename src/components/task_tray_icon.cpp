#include "components/task_tray_icon.h"

#include <cstring>
#include <cwchar>

#include "core/fitting_length.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/popup_menu.h"
#include "toolkit/seams.h"

namespace tovi {
namespace {

// An icon the shell would not take is offered again, at most once a second.
constexpr UINT kRetryAddMilliseconds = 1000;

// The first form of the record holds a tooltip of 64 bytes with its zero.
constexpr std::size_t kTipBytes = 64;

}  // namespace

UINT TTaskTrayIcon::TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

TTaskTrayIcon::TTaskTrayIcon(TForm* owner) : TComponent(owner), FForm(owner) {
  // Found by this class name from outside, by the end-to-end tests.
  CreateHandle({.ClassName = L"ToviTrayIconWindow", .Style = WS_POPUP, .ExStyle = WS_EX_TOOLWINDOW});
  // A copy run as administrator hears the restart of the shell, which runs at a lower integrity, only
  // through this. The callback message needs nothing: the shell's own call lets it in at each add and modify.
  seams::ChangeMessageFilter(Handle(), TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
  FRetryAdd.SetInterval(kRetryAddMilliseconds);
  FRetryAdd.OnTimer = [this](TObject*) { AddIcon(); };
}

TTaskTrayIcon::~TTaskTrayIcon() {
  // The delete waits for the shell, serving what is sent meanwhile: a restarted shell's news would add
  // the icon again just before its window goes.
  StopMessages();
  if (FVisible) NotifyTray(NIM_DELETE);
}

void TTaskTrayIcon::SetHint(const std::string& value) {
  if (value == FHint) return;
  FHint = value;
  ModifyIcon();
}

void TTaskTrayIcon::SetIcon(const TIcon* value) {
  if (value == &FIcon) return;
  FIcon.Assign(value);
  ModifyIcon();
}

void TTaskTrayIcon::SetMenu(TPopupMenu*& menu, TPopupMenu* value) {
  menu = value;
  if (value) value->FreeNotification(this);
}

void TTaskTrayIcon::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  if (value) {
    AddIcon();
  } else {
    SetAddPending(false);
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
  NOTIFYICONDATAA data{};
  data.cbSize = kRecordSize;
  data.hWnd = Handle();
  data.uID = kIconId;
  data.uFlags = kFlags;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = FIcon.Handle();
  // The record came zeroed: the tip's terminating zero is there already.
  const auto isLeadByte = [](unsigned char c) { return IsDBCSLeadByte(c) != FALSE; };
  std::memcpy(data.szTip, FHint.data(), FittingLength(FHint, kTipBytes - 1, isLeadByte));
  return seams::ShellNotifyIcon(operation, &data);
}

std::optional<TRect> TTaskTrayIcon::Place() const {
  NOTIFYICONIDENTIFIER icon{sizeof icon, Handle(), kIconId, {}};
  RECT r{};
  if (FAILED(seams::ShellNotifyIconGetRect(&icon, &r))) return std::nullopt;
  return TRect{r.left, r.top, r.right, r.bottom};
}

bool TTaskTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  if (!FVisible) return false;
  // The icon's own record has no room for a balloon: this one is the wide
  // record's second form, the first with one, and changes nothing else.
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = Handle();
  data.uID = kIconId;
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_INFO;
  // The record came zeroed; the last character of each field stays the terminator.
  wcsncpy(data.szInfoTitle, title.c_str(), std::size(data.szInfoTitle) - 1);
  wcsncpy(data.szInfo, text.c_str(), std::size(data.szInfo) - 1);
  return seams::ShellNotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TTaskTrayIcon::AddIcon() {
  // A shell that already holds the icon refuses the add but takes a modify.
  SetAddPending(!NotifyTray(NIM_ADD) && !NotifyTray(NIM_MODIFY));
}

void TTaskTrayIcon::ModifyIcon() {
  // A shell that refuses a change has lost the icon. Until the retry's add brings it back with what it
  // shows by then, changes go nowhere.
  if (FVisible && !FAddPending && !NotifyTray(NIM_MODIFY)) SetAddPending(true);
}

void TTaskTrayIcon::SetAddPending(bool pending) {
  FAddPending = pending;
  FRetryAdd.SetEnabled(pending);
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
      // For good: no later change of picture may bring the icon back.
      if (wParam) SetVisible(false);
      return 0;
  }
  return TWindow::HandleMessage(message, wParam, lParam);
}

void TTaskTrayIcon::BringOwnerForward() {
  if (FForm == nullptr) return;
  SetForegroundWindow(FForm->Handle());
  Application().ProcessMessages();
}

void TTaskTrayIcon::HandleCallback(LPARAM mouseMessage) {
  // The report carries no place: events and menus go where the cursor is now.
  POINT at{};
  seams::CursorPos(&at);
  using enum TMouseButton;
  switch (mouseMessage) {
    case WM_MOUSEMOVE: if (OnMouseMove) OnMouseMove(this, 0, at.x, at.y); break;
    case WM_LBUTTONDOWN: PressWithMenu(FPopUpMenuL, mbLeft, ssLeft, at); break;
    case WM_RBUTTONDOWN: PressWithMenu(FPopUpMenuR, mbRight, ssRight, at); break;
    case WM_MBUTTONDOWN: MouseDown(mbMiddle, ssMiddle, at); break;
    case WM_LBUTTONUP: Release(mbLeft, ssLeft, at); break;
    case WM_RBUTTONUP: Release(mbRight, ssRight, at); break;
    case WM_MBUTTONUP: Release(mbMiddle, ssMiddle, at); break;
    case WM_LBUTTONDBLCLK: DoubleClick(mbLeft, at); break;
    case WM_RBUTTONDBLCLK: DoubleClick(mbRight, at); break;
  }
}

void TTaskTrayIcon::PressWithMenu(TPopupMenu* const& menu, TMouseButton button, TShiftState shift, POINT at) {
  // A notification-area menu closes when the user clicks elsewhere only if its owner is the foreground window.
  BringOwnerForward();
  // Read only now: serving the queue may have destroyed the menu, and so cleared it.
  if (menu) menu->Popup(at.x, at.y);
  MouseDown(button, shift, at);
}

void TTaskTrayIcon::DoubleClick(TMouseButton button, POINT at) {
  BringOwnerForward();
  if (OnDblClick) OnDblClick(this);
  MouseDown(button, ssDouble, at);
}

void TTaskTrayIcon::MouseDown(TMouseButton button, TShiftState shift, POINT at) {
  if (OnMouseDown) OnMouseDown(this, button, shift, at.x, at.y);
}

void TTaskTrayIcon::Release(TMouseButton button, TShiftState shift, POINT at) {
  if (OnMouseUp) OnMouseUp(this, button, shift, at.x, at.y);
  if (OnClick) OnClick(this);
}

}  // namespace tovi
