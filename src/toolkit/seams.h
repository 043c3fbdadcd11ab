#pragma once

#include <windows.h>
#include <shellapi.h>

#include <utility>

namespace tovi {

// The few platform calls that tests observe or steer: function pointers with
// the real call as default, swapped for the life of a TSeamOverride.
namespace seams {

// Opens a pop-up menu at a screen point; once it has closed, the command chosen, or 0.
UINT TrackPopupMenuAt(HMENU menu, HWND owner, POINT at);

// The notification area's window: the task bar's "TrayNotifyWnd" child, or where
// the shell has none (Wine's), the task bar itself; none without a task bar.
struct TTrayWindow {
  HWND Window = nullptr;
  bool IsTaskBar = false;
};
TTrayWindow FindTrayWindow();

// Calls of newer shells, E_NOTIMPL where this Windows lacks them.
HRESULT WINAPI QueryUserNotificationState(QUERY_USER_NOTIFICATION_STATE* state);
HRESULT WINAPI NotifyIconGetRect(const NOTIFYICONIDENTIFIER* icon, RECT* place);

inline BOOL(WINAPI* ShellNotifyIcon)(DWORD operation, PNOTIFYICONDATAA data) = &::Shell_NotifyIconA;
inline BOOL(WINAPI* CursorPos)(LPPOINT point) = &::GetCursorPos;
inline DWORD(WINAPI* TickCount)() = &::GetTickCount;
inline UINT (*OpenPopupMenu)(HMENU menu, HWND owner, POINT at) = &TrackPopupMenuAt;
inline TTrayWindow (*FindNotificationArea)() = &FindTrayWindow;
inline BOOL(WINAPI* ShellNotifyIconW)(DWORD operation, PNOTIFYICONDATAW data) = &::Shell_NotifyIconW;
inline HRESULT(WINAPI* UserNotificationState)(QUERY_USER_NOTIFICATION_STATE* state) = &QueryUserNotificationState;
inline HRESULT(WINAPI* ShellNotifyIconGetRect)(const NOTIFYICONIDENTIFIER* icon, RECT* place) = &NotifyIconGetRect;

}  // namespace seams

template <typename TFunction>
class TSeamOverride {
 public:
  TSeamOverride(TFunction& seam, TFunction replacement) : FSeam(seam), FSaved(std::exchange(seam, replacement)) {}
  ~TSeamOverride() { FSeam = FSaved; }
  TSeamOverride(const TSeamOverride&) = delete;
  TSeamOverride& operator=(const TSeamOverride&) = delete;

 private:
  TFunction& FSeam;
  TFunction FSaved;
};

}  // namespace tovi
