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

constexpr char kWindowClass[] = "ToviTrayIconWindow";
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

HWND CreateHiddenWindow() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(instance, kWindowClass, &windowClass)) {
    windowClass = {};
    windowClass.lpfnWndProc = &DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass)) throw EToviError(L"ウィンドウクラスを登録できません");
  }
  const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, instance, nullptr);
  if (window == nullptr) throw EToviError(L"ウィンドウを作れません");
  return window;
}

}  // namespace

TTaskTrayIcon::TTaskTrayIcon(TComponent* owner) : TComponent(owner), FWindowHandle(CreateHiddenWindow()) {
  SetWindowLongPtrA(FWindowHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(FWindowHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TTaskTrayIcon::WindowProc));
}

TTaskTrayIcon::~TTaskTrayIcon() {
  if (FVisible) NotifyTray(NIM_DELETE);
  DestroyWindow(FWindowHandle);
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
  data.hWnd = FWindowHandle;
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
  if (FAddPending) SetTimer(FWindowHandle, kRetryAddTimer, kRetryAddMilliseconds, nullptr);
  else KillTimer(FWindowHandle, kRetryAddTimer);
}

LRESULT CALLBACK TTaskTrayIcon::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TTaskTrayIcon*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  TMessage record{message, wParam, lParam, 0};
  self->WndProc(record);
  return record.Result;
}

void TTaskTrayIcon::WndProc(TMessage& message) {
  if (message.Msg == WM_QUERYENDSESSION) {
    // Another program may still cancel the log-off: the icon stays until it really happens.
    message.Result = 1;
  } else if (message.Msg == WM_ENDSESSION) {
    if (message.WParam) NotifyTray(NIM_DELETE);
  } else if (message.Msg == kCallbackMessage) {
    try {
      HandleCallback(message.LParam);
    } catch (...) {
      Application().HandleException(this);
    }
  } else if (message.Msg == TaskbarCreatedMessage()) {
    // A restarted shell has forgotten every icon.
    if (FVisible) AddIcon();
  } else if (message.Msg == WM_TIMER && message.WParam == kRetryAddTimer) {
    if (FVisible && FAddPending) AddIcon();
    else KillTimer(FWindowHandle, kRetryAddTimer);
  } else {
    message.Result = DefWindowProcA(FWindowHandle, message.Msg, message.WParam, message.LParam);
  }
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
