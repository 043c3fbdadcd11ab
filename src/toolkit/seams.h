#pragma once

#include <windows.h>
#include <shellapi.h>
#include <wtsapi32.h>

namespace tovi {

// The few platform calls that tests observe or steer: function pointers with
// the real call as default, which a test swaps for its own.
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

inline BOOL(WINAPI* ShellNotifyIcon)(DWORD operation, PNOTIFYICONDATAA data) = &::Shell_NotifyIconA;
inline BOOL(WINAPI* CursorPos)(LPPOINT point) = &::GetCursorPos;
inline DWORD(WINAPI* TickCount)() = &::GetTickCount;
inline UINT (*OpenPopupMenu)(HMENU menu, HWND owner, POINT at) = &TrackPopupMenuAt;
inline TTrayWindow (*FindNotificationArea)() = &FindTrayWindow;
inline BOOL(WINAPI* ShellNotifyIconW)(DWORD operation, PNOTIFYICONDATAW data) = &::Shell_NotifyIconW;
inline HRESULT(WINAPI* UserNotificationState)(QUERY_USER_NOTIFICATION_STATE* state) = &::SHQueryUserNotificationState;
inline HRESULT(WINAPI* ShellNotifyIconGetRect)(const NOTIFYICONIDENTIFIER* icon,
                                                RECT* place) = &::Shell_NotifyIconGetRect;
// The session's news for a window, which Wine never sends: the only way a lock is heard on Windows.
inline BOOL(WINAPI* RegisterSessionNotification)(HWND window, DWORD flags) = &::WTSRegisterSessionNotification;
inline BOOL(WINAPI* UnregisterSessionNotification)(HWND window) = &::WTSUnRegisterSessionNotification;
// A window's own message filter, which Wine ignores.
inline BOOL(WINAPI* ChangeMessageFilter)(HWND window, UINT message, DWORD action,
                                         PCHANGEFILTERSTRUCT info) = &::ChangeWindowMessageFilterEx;

}  // namespace seams

}  // namespace tovi
