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

inline BOOL(WINAPI* ShellNotifyIcon)(DWORD operation, PNOTIFYICONDATAA data) = &::Shell_NotifyIconA;
inline BOOL(WINAPI* CursorPos)(LPPOINT point) = &::GetCursorPos;
inline DWORD(WINAPI* TickCount)() = &::GetTickCount;
inline UINT (*OpenPopupMenu)(HMENU menu, HWND owner, POINT at) = &TrackPopupMenuAt;
inline TTrayWindow (*FindNotificationArea)() = &FindTrayWindow;

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
