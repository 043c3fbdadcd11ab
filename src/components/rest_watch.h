#pragma once

#include <windows.h>

#include <cstdint>

#include "core/once_per.h"
#include "core/rest.h"
#include "toolkit/component.h"
#include "toolkit/handles.h"
#include "toolkit/timer.h"

namespace tovi {

void UnregisterSessionNotification(HWND window);
void UnregisterDisplayNotification(HPOWERNOTIFY registration);

// Tells its form when nobody can see the eyes (session locked, display off, a
// full-screen program in front on the task bar's monitor) and when they can
// again. The form hands it the session's and the display's messages; the shell
// is asked about programs in front at most once a second. Where the platform
// lacks a call or never sends its message (Wine), that reason never comes.
class TRestWatch : public TComponent {
 public:
  static constexpr std::uint32_t kAskMilliseconds = 1000;

  TRestWatch(TComponent* owner, HWND form);

  // Whether the message was one the watch takes.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Called on each tick of the eyes: asks the shell when a second has passed.
  void Poll(std::uint32_t now);
  bool Resting() const { return FResting; }

  TNotifyEvent OnRest;  // the eyes' timer should stop
  TNotifyEvent OnWake;  // and start again

 private:
  void AskTheShell();
  // After a message: the shell is asked again where that may end the rest.
  void ReasonsChanged();
  void Update();

  TRestReasons FReasons;
  bool FResting = false;
  TOncePer FAsked{kAskMilliseconds};
  // While the eyes rest for a program in front, nothing but asking tells when it has gone.
  TTimer FAskTimer{this};
  TUnique<HWND, &UnregisterSessionNotification> FSession;
  TUnique<HPOWERNOTIFY, &UnregisterDisplayNotification> FDisplay;
};

}  // namespace tovi
