// The hidden main form as the platform talks to it: the session's and the
// display's messages stop and start its timer, the shell's answers about
// programs in front and about where the icons sit, and the hint it shows once.
#include "app/main_form.h"

#include <windows.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "scratch_folder.h"
#include "toolkit/seams.h"
#include "toolkit/settings_file.h"

namespace tovi {
namespace {

// What the seams answer and what they saw.
DWORD Now = 100000;
QUERY_USER_NOTIFICATION_STATE ShellState = QUNS_ACCEPTS_NOTIFICATIONS;
int Publishes = 0;
std::optional<RECT> IconPlace;
std::vector<NOTIFYICONDATAW> Balloons;

DWORD WINAPI Clock() { return Now; }
HRESULT WINAPI AnswerState(QUERY_USER_NOTIFICATION_STATE* state) {
  *state = ShellState;
  return S_OK;
}
BOOL WINAPI CountPublishes(DWORD operation, PNOTIFYICONDATAA) {
  if (operation == NIM_MODIFY) ++Publishes;
  return TRUE;
}
HRESULT WINAPI AnswerPlace(const NOTIFYICONIDENTIFIER*, RECT* place) {
  if (!IconPlace) return E_NOTIMPL;
  *place = *IconPlace;
  return S_OK;
}
BOOL WINAPI KeepBalloon(DWORD operation, PNOTIFYICONDATAW data) {
  if (operation == NIM_MODIFY) Balloons.push_back(*data);
  return TRUE;
}

std::wstring PictureFolder() {
  std::wstring relative = L"" TOVI_PICTURES_FROM_TESTS;
  for (wchar_t& c : relative)
    if (c == L'/') c = L'\\';
  return ProgramFolder() + relative + L"\\";
}

// A folder with the program's pictures, where the form keeps its tovi.ini.
class MainForm : public ::testing::Test {
 protected:
  MainForm() {
    for (const wchar_t* name : {L"base.bmp", L"cap1.bmp", L"cap2.bmp", L"cap3.bmp", L"cap4.bmp", L"eye1.bmp"})
      CopyFileW((PictureFolder() + name).c_str(), (FFolder.Path() + name).c_str(), FALSE);
    Now = 100000;
    ShellState = QUNS_ACCEPTS_NOTIFICATIONS;
    Publishes = 0;
    IconPlace.reset();
    Balloons.clear();
  }

  testing::TScratchFolder FFolder;
  TSeamOverride<decltype(seams::TickCount)> FClock{seams::TickCount, &Clock};
  TSeamOverride<decltype(seams::UserNotificationState)> FState{seams::UserNotificationState, &AnswerState};
  TSeamOverride<decltype(seams::ShellNotifyIcon)> FShell{seams::ShellNotifyIcon, &CountPublishes};
  TSeamOverride<decltype(seams::ShellNotifyIconGetRect)> FPlace{seams::ShellNotifyIconGetRect, &AnswerPlace};
  TSeamOverride<decltype(seams::ShellNotifyIconW)> FBalloon{seams::ShellNotifyIconW, &KeepBalloon};
};

void SendDisplayState(HWND form, DWORD state) {
  // GUID_CONSOLE_DISPLAY_STATE, and its DWORD, as the power broadcast carries them.
  POWERBROADCAST_SETTING setting{{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}},
                                 sizeof(DWORD), {}};
  std::memcpy(setting.Data, &state, sizeof state);
  EXPECT_EQ(SendMessageW(form, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&setting)),
            TRUE);
}

// Serves the form's messages until its timer runs again, as the shell is
// asked each second while a program in front hides the eyes, or 10 s pass.
void WaitForTheTimer(TFrmMain& form) {
  const DWORD deadline = GetTickCount() + 10000;
  MSG message;
  while (!form.Timer1.Enabled() && static_cast<LONG>(deadline - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    while (!form.Timer1.Enabled() && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

TEST_F(MainForm, RestsWhileNobodyCanSeeTheEyesAndShowsThemAtOnceOnWaking) {
  // Steps: "tick" is the timer's 10 ms later, "+1000" one a second later;
  // "lock", "unlock", "off", "on", "dim" the platform's messages; "click" a
  // click on an eye; "busy" and
  // "free" what the shell will answer next; "wait" serves the form's own
  // messages until its timer runs. After each step: the timer on or off,
  // and the icons the shell was handed a picture for.
  struct TCase {
    const char* Reason;
    const char* Steps;
    const char* Seen;
  };
  const TCase cases[] = {
      {"locked, clicked meanwhile", "tick tick lock click tick unlock tick tick", "on2 on0 off0 off0 off0 on0 on2 on0"},
      {"display off, dimmed, off and on", "tick off tick dim tick off on tick", "on2 off0 off0 on0 on2 off0 on0 on2"},
      {"a program in front is seen within a second and its end by asking", "tick busy tick +1000 tick free wait tick",
       "on2 on0 on0 off0 off0 off0 on0 on2"},
      {"locked behind a program in front", "tick busy lock unlock free wait tick", "on2 on0 off0 off0 off0 on0 on2"},
  };
  for (const TCase& c : cases) {
    TFrmMain form(FFolder.Path());
    Publishes = 0;
    std::ostringstream seen;
    std::istringstream steps(c.Steps);
    for (std::string step; steps >> step;) {
      const int before = Publishes;
      const HWND window = form.Handle();
      if (step == "tick" || step == "+1000") {
        Now += step == "tick" ? 10 : 1000;
        form.Timer1Timer(nullptr);
      } else if (step == "lock" || step == "unlock") {
        SendMessageW(window, WM_WTSSESSION_CHANGE, step == "lock" ? WTS_SESSION_LOCK : WTS_SESSION_UNLOCK, 1);
      } else if (step == "off" || step == "on" || step == "dim") {
        SendDisplayState(window, step == "off" ? 0 : step == "on" ? 1 : 2);
      } else if (step == "click") {
        form.TaskTrayIcon1Click(nullptr);
      } else if (step == "busy" || step == "free") {
        ShellState = step == "busy" ? QUNS_BUSY : QUNS_ACCEPTS_NOTIFICATIONS;
      } else if (step == "wait") {
        WaitForTheTimer(form);
      }
      seen << (seen.tellp() > 0 ? " " : "") << (form.Timer1.Enabled() ? "on" : "off") << Publishes - before;
    }
    EXPECT_EQ(seen.str(), c.Seen) << c.Reason;
  }
}

TEST_F(MainForm, SaysOnceWhenTheShellHidesBothEyesBehindItsOverflowButton) {
  struct TCase {
    const char* Reason;
    std::optional<RECT> Place;  // both icons'
    std::string IniBefore;
    std::size_t Balloons;
    std::string IniAfter;  // before the form saves at its end
  };
  const TCase cases[] = {
      {"hidden", RECT{700, 578, 720, 598}, "; mine\r\n", 1, "; mine\r\n[Hint]\r\nOverflowShown=1\r\n"},
      {"hidden, told before", RECT{700, 578, 720, 598}, "[Hint]\r\nOverflowShown=1\r\n", 0,
       "[Hint]\r\nOverflowShown=1\r\n"},
      {"the shell cannot tell", std::nullopt, "; mine\r\n", 0, "; mine\r\n"},
  };
  for (const TCase& c : cases) {
    const std::wstring ini = FFolder.Path() + L"tovi.ini";
    WriteFileSafely(ini, c.IniBefore);
    IconPlace = c.Place;
    Balloons.clear();
    TFrmMain form(FFolder.Path());
    for (int second = 0; second < 3; ++second, Now += 1000) form.Timer1Timer(nullptr);
    ASSERT_EQ(Balloons.size(), c.Balloons) << c.Reason << ": balloons over three seconds";
    EXPECT_EQ(ReadFileBytes(ini), c.IniAfter) << c.Reason;
    if (c.Balloons == 0) continue;
    const NOTIFYICONDATAW& b = Balloons[0];
    EXPECT_EQ(std::tuple(b.cbSize, b.hWnd, b.uID, b.uFlags, std::wstring(b.szInfoTitle)),
              std::tuple(DWORD{NOTIFYICONDATAW_V2_SIZE}, form.TaskTrayIcon1.WindowHandle(), UINT{1}, UINT{NIF_INFO},
                         std::wstring(L"目が隠れています")))
        << c.Reason << ": a balloon from the first eye";
  }
}

}  // namespace
}  // namespace tovi
