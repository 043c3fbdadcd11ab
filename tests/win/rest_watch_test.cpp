#include "components/rest_watch.h"

#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "seam_override.h"

namespace tovi {
namespace {

QUERY_USER_NOTIFICATION_STATE ShellState;

HRESULT WINAPI AnswerState(QUERY_USER_NOTIFICATION_STATE* state) {
  *state = ShellState;
  return S_OK;
}

HWND Form;
std::string Registrations;  // the form asking for the session's news, "+" with the flags, "-" when done

BOOL WINAPI Register(HWND window, DWORD flags) {
  if (window == Form) Registrations.append("+").append(std::to_string(flags));
  else Registrations.append("[another window]");
  return TRUE;
}

BOOL WINAPI Unregister(HWND window) {
  Registrations += window == Form ? "-" : "[another window]";
  return TRUE;
}

TEST(RestWatch, RestsWhileNobodyCanSeeTheEyesAndWakesWhenTheyCanAgain) {
  // Steps: "lock", "unlock", "off", "on", "dim", "other" (the console's display, not the session's) and "short"
  // (too little data) the platform's messages; "busy" and "free" what the shell answers from then on; "whole" a
  // window of the test comes to the front over the whole of the task bar's monitor (Wine has one), "part" over its
  // upper half; "ask" the form's asking, once a second. After each step: "R" the watch told its form to rest, "W"
  // to wake, else "r" resting or "." not; then "?" where the watch says asking the shell is worth it.
  const std::pair<const char*, const char*> cases[] = {
      {"lock lock ask unlock", "R r r W?"},
      {"off dim off other on short", "R W? R r W? .?"},
      {"ask busy part ask whole ask part ask", ".? .? .? .? .? R? r? W?"},
      {"whole busy lock unlock free ask", ".? .? R r? r? W?"},
  };
  const TSeamOverride<decltype(seams::UserNotificationState)> seam(seams::UserNotificationState, &AnswerState);
  const TSeamOverride<decltype(seams::RegisterSessionNotification)> on(seams::RegisterSessionNotification, &Register);
  const TSeamOverride<decltype(seams::UnregisterSessionNotification)> off(seams::UnregisterSessionNotification,
                                                                         &Unregister);
  const HWND form = Form =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  for (const auto& [steps, expected] : cases) {
    ShellState = QUNS_ACCEPTS_NOTIFICATIONS;
    Registrations.clear();
    auto held = std::make_unique<TRestWatch>(nullptr, form);
    TRestWatch& watch = *held;
    std::string events, seen;
    watch.OnRest = [&](TObject* sender) { events += sender == &watch ? "R" : "[wrong sender]"; };
    watch.OnWake = [&](TObject* sender) { events += sender == &watch ? "W" : "[wrong sender]"; };
    // GUID_SESSION_DISPLAY_STATUS, written out here, and its DWORD, as the power broadcast carries them.
    const GUID displayState{0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
    POWERBROADCAST_SETTING display{displayState, 4, {}};
    std::istringstream words(steps);
    for (std::string step; words >> step; events.clear()) {
      const auto state = static_cast<UCHAR>(step == "on" ? 1 : step == "dim" ? 2 : 0);
      std::memcpy(display.Data, &state, 1);
      display.PowerSetting.Data1 = step == "other" ? 0x6fe69556 : displayState.Data1;  // as the console's
      display.DataLength = step == "short" ? 1 : 4;
      const WPARAM session = step == "lock" ? WTS_SESSION_LOCK : WTS_SESSION_UNLOCK;
      if (step == "lock" || step == "unlock")
        EXPECT_TRUE(watch.HandleMessage(WM_WTSSESSION_CHANGE, session, 1));
      else if (step == "off" || step == "on" || step == "dim" || step == "other" || step == "short")
        EXPECT_TRUE(watch.HandleMessage(WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&display)));
      else if (step == "busy" || step == "free") ShellState = step == "busy" ? QUNS_BUSY : QUNS_ACCEPTS_NOTIFICATIONS;
      else if (step == "ask") watch.AskTheShell();
      else if (step == "whole" || step == "part") {
        const int height = GetSystemMetrics(SM_CYSCREEN) / (step == "whole" ? 1 : 2);
        SetWindowPos(form, HWND_TOP, 0, 0, GetSystemMetrics(SM_CXSCREEN), height, SWP_SHOWWINDOW);
        SetForegroundWindow(form);
      }
      seen.append(seen.empty() ? "" : " ").append(events.empty() ? watch.Resting() ? "r" : "." : events);
      seen.append(watch.WorthAskingTheShell() ? "?" : "");
    }
    EXPECT_EQ(seen, expected) << steps;
    EXPECT_FALSE(watch.HandleMessage(WM_TIMER, 0, 0)) << "a message the watch does not take";
    held.reset();
    // On Windows the only way a lock is heard, asked for this session alone and given up at the end.
    EXPECT_EQ(Registrations, "+0-") << steps << ": the session's news";
  }
  DestroyWindow(form);
}

}  // namespace
}  // namespace tovi
