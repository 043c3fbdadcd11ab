#pragma once

#include <windows.h>
#include <shellapi.h>

#include <utility>

namespace tovi {

// The few platform calls that tests observe or steer. Each is a function
// pointer with the real call as its default; a test swaps one in with
// TSeamOverride and the old one comes back when the guard goes.
namespace seams {

// Opens a pop-up menu at a screen point for its owner window and returns the
// chosen command, or 0, once the menu has closed.
UINT TrackPopupMenuAt(HMENU menu, HWND owner, POINT at);

// The notification area's window: the "TrayNotifyWnd" child of the task bar,
// or, where the shell has none (Wine's has none), the task bar itself; no
// window with no task bar at all.
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
