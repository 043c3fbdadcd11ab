#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>

#include "core/raster.h"

#include "toolkit/component.h"
#include "toolkit/icon.h"
#include "toolkit/timer.h"
#include "toolkit/window.h"

namespace tovi {

class TForm;
class TPopupMenu;

// One icon in the notification area, kept in step with its picture, tooltip
// and visibility, turning the shell's mouse reports into events and menus.
// Each instance has a hidden window of its own, which the shell tells apart;
// it is top-level, for "TaskbarCreated" is broadcast to top-level windows only.
class TTaskTrayIcon : public TComponent, private TWindow {
 public:
  static constexpr UINT kIconId = 1;
  static constexpr UINT kCallbackMessage = WM_USER + 100;
  static constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  // The first form of the record: 88 bytes in a 32-bit program, 104 in a 64-bit one.
  static constexpr DWORD kRecordSize = NOTIFYICONDATAA_V1_SIZE;

  // What the shell broadcasts when it has restarted and forgotten every icon.
  static UINT TaskbarCreatedMessage();

  // owner: the form brought to the front when the icon is pressed, if any.
  explicit TTaskTrayIcon(TForm* owner);
  ~TTaskTrayIcon() override;

  void SetHint(const std::string& value);
  // The component's own icon object; it shares the picture last assigned.
  const TIcon& Icon() const { return FIcon; }
  void SetIcon(const TIcon* value);
  TPopupMenu* PopUpMenuL() const { return FPopUpMenuL; }
  void SetPopUpMenuL(TPopupMenu* value) { SetMenu(FPopUpMenuL, value); }
  TPopupMenu* PopUpMenuR() const { return FPopUpMenuR; }
  void SetPopUpMenuR(TPopupMenu* value) { SetMenu(FPopUpMenuR, value); }
  void SetVisible(bool value);
  // Whether the shell lacks the icon, refused or lost: it is offered again once a second.
  bool AddPending() const { return FAddPending; }
  HWND WindowHandle() const { return Handle(); }

  // Where the shell shows the icon, in screen coordinates; nothing where it
  // cannot tell (before Windows 7, and under Wine).
  std::optional<TRect> Place() const;
  // A balloon from the icon; false when the shell would not show it.
  bool ShowBalloon(const std::wstring& title, const std::wstring& text);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  TObject* ErrorSender() override { return this; }
  void SetMenu(TPopupMenu*& menu, TPopupMenu* value);
  void HandleCallback(LPARAM mouseMessage);
  void PressWithMenu(TPopupMenu* const& menu, TMouseButton button, TShiftState shift, POINT at);
  void DoubleClick(TMouseButton button, POINT at);
  void MouseDown(TMouseButton button, TShiftState shift, POINT at);
  void Release(TMouseButton button, TShiftState shift, POINT at);
  void BringOwnerForward();
  BOOL NotifyTray(DWORD operation);
  void AddIcon();
  void ModifyIcon();
  // Whether the shell still lacks the icon, which is then offered again at most once a second.
  void SetAddPending(bool pending);

  TForm* FForm;
  std::string FHint;
  TIcon FIcon;
  TPopupMenu* FPopUpMenuL = nullptr;
  TPopupMenu* FPopUpMenuR = nullptr;
  bool FVisible = true;
  bool FAddPending = false;
  // An icon the shell would not take, or lost, is offered again while this runs.
  TTimer FRetryAdd{this, *this};
};

}  // namespace tovi
