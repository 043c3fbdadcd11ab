#pragma once

#include <windows.h>

#include "core/rest.h"
#include "toolkit/component.h"
#include "toolkit/handles.h"

namespace tovi {

void EndSessionNotification(HWND form);

// Tells its form when nobody can see the eyes (session locked, display off, a
// full-screen program in front on the task bar's monitor) and when they can
// again. The form hands it the session's and the display's messages, and asks
// it, once a second, to ask the shell about programs in front. Where the
// platform never sends its message (Wine), that reason never comes.
class TRestWatch : public TComponent {
 public:
  TRestWatch(TComponent* owner, HWND form);

  // Whether the message was one the watch takes.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Asks the shell whether a program in front hides the eyes.
  void AskTheShell();
  bool Resting() const { return FResting; }
  // Whether asking the shell may end or begin a rest; while the session is
  // locked or the display is off, their own messages tell when that ends.
  bool WorthAskingTheShell() const { return tovi::WorthAskingTheShell(FReasons); }

  TNotifyEvent OnRest;  // the eyes' timer should stop
  TNotifyEvent OnWake;  // and start again

 private:
  // After a message: the shell is asked again where that may end the rest.
  void ReasonsChanged();
  void Update();

  TRestReasons FReasons;
  bool FResting = false;
  TUnique<HWND, &EndSessionNotification> FSession;
  TUnique<HPOWERNOTIFY, &::UnregisterPowerSettingNotification> FDisplay;
};

}  // namespace tovi
