#include "components/task_tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

#include "toolkit/application.h"
#include "toolkit/errors.h"
#include "toolkit/form.h"
#include "toolkit/popup_menu.h"
#include "toolkit/seams.h"

namespace tovi {
namespace {

// Written out here, not taken from the component, so that a change on its side shows.
constexpr UINT kCallback = WM_USER + 100, kRetryTimer = 1;

class TaskTrayIcon : public ::testing::Test {
 protected:
  void SetUp() override {
    Current = this;
    Application().OnException = [this](TObject* sender, const std::wstring& text) {
      Log += sender == Tray.get() && text == L"目が回る" ? " failed" : " [wrong failure]";
    };
  }
  void TearDown() override { Application().OnException = nullptr; }

  // Each call as "add", "modify" or "delete", "*" for a live picture, and the tip after a colon.
  static BOOL WINAPI RecordShellCall(DWORD operation, PNOTIFYICONDATAA r) {
    const char* const names[] = {"add", "modify", "delete", "other"};
    const HICON copy = r->hIcon ? CopyIcon(r->hIcon) : nullptr;
    std::string& calls = Current->Calls;
    calls.append(calls.empty() ? "" : " ").append(names[std::min<DWORD>(operation, 3)]);
    calls.append(copy ? "*" : r->hIcon ? "[dead picture]" : "");
    if (r->szTip[0]) calls.append(":").append(r->szTip, strnlen(r->szTip, sizeof r->szTip));
    DestroyIcon(copy);
    EXPECT_EQ(std::tuple(r->cbSize, r->hWnd, r->uID, r->uFlags, r->uCallbackMessage),
              std::tuple(DWORD{NOTIFYICONDATAA_V1_SIZE}, Current->Window, 1u, UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP},
                         kCallback))
        << calls << ": size, window, id, flags, callback message";
    return operation <= NIM_DELETE && Current->Accepts[operation];
  }
  static BOOL WINAPI SteerCursor(LPPOINT point) {
    *point = {321, -17};
    return TRUE;
  }
  static UINT OpenMenu(HMENU menu, HWND, POINT at) {
    Current->Log += std::string(menu == Current->MenuL.Handle() ? " menu L" : " menu R") +
                    (at.x == 321 && at.y == -17 ? "" : " [not at the cursor]");
    return 1;
  }

  // Runs steps such as "Loaded Hide Show" on a new tray; "Free" destroys it. The shell takes
  // everything until told to "Refuse" adds and modifies, or to "RefuseAdd" only, and to "Accept" again.
  void Run(const std::string& steps) {
    Tray = std::make_unique<TTaskTrayIcon>(nullptr);
    Window = Tray->WindowHandle();
    Calls.clear();
    Accepts[NIM_ADD] = Accepts[NIM_MODIFY] = TRUE;
    std::istringstream words(steps);
    for (std::string step; words >> step;) {
      if (step == "Loaded") Tray->Loaded();
      else if (step == "Hide" || step == "Show") Tray->SetVisible(step == "Show");
      else if (step == "Icon") Tray->SetIcon(std::make_unique<TIcon>(IconFromPicture(TRaster(16, 16), TRaster(16, 16))).get());
      else if (step == "OwnIcon" || step == "NoIcon") Tray->SetIcon(step == "NoIcon" ? nullptr : &Tray->Icon());
      else if (step == "Hint" || step == "NoHint") Tray->SetHint(step == "Hint" ? "eyes" : "");
      else if (step == "LongHint") Tray->SetHint(std::string(70, 'a'));
      else if (step == "Free") Tray.reset();
      else if (step == "QueryEnd") EXPECT_EQ(SendMessageA(Window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
      else if (step == "End" || step == "EndCancelled") SendMessageA(Window, WM_ENDSESSION, step == "End", 0);
      else if (step == "TaskbarCreated") SendMessageA(Window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
      else if (step == "Tick") SendMessageA(Window, WM_TIMER, kRetryTimer, 0);
      else if (step == "Refuse" || step == "RefuseAdd" || step == "Accept") {
        Accepts[NIM_ADD] = step == "Accept";
        Accepts[NIM_MODIFY] = step != "Refuse";
      } else ADD_FAILURE() << "no step " << step;
    }
  }

  static inline TaskTrayIcon* Current = nullptr;
  TSeamOverride<decltype(seams::ShellNotifyIcon)> ShellSeam{seams::ShellNotifyIcon, &RecordShellCall};
  TSeamOverride<decltype(seams::CursorPos)> CursorSeam{seams::CursorPos, &SteerCursor};
  TSeamOverride<decltype(seams::OpenPopupMenu)> MenuSeam{seams::OpenPopupMenu, &OpenMenu};
  TForm Form{{.ClassName = L"ToviTrayTestOwner", .Caption = L"", .Style = WS_POPUP}};
  TPopupMenu MenuL{Form}, MenuR{Form};
  HWND Window = nullptr;
  std::string Calls, Log;
  BOOL Accepts[3] = {TRUE, TRUE, TRUE};
  std::unique_ptr<TTaskTrayIcon> Tray;  // goes first: its end still talks to the shell
};

TEST_F(TaskTrayIcon, TalksToTheShellOnlyWhenSomethingChangesAndRetriesARefusedIcon) {
  const std::tuple<const char*, std::string, bool> cases[] = {
      // steps, the shell's calls, whether the retry timer is left running
      {"Loaded", "add", false}, {"Hide Loaded", "delete", false}, {"Hide Show Show", "delete add", false},
      // The caller's picture object goes at once; the tray keeps the picture.
      {"Loaded Icon Icon Hint", "add modify* modify* modify*:eyes", false}, {"Loaded OwnIcon", "add", false},
      {"Loaded Icon NoIcon", "add modify* modify", false}, {"Loaded Hint Hint NoHint", "add modify:eyes modify", false},
      {"Loaded NoHint", "add", false}, {"Hide Icon Hint Show", "delete add*:eyes", false},
      {"Loaded LongHint", "add modify:" + std::string(63, 'a'), false},
      {"Loaded Free", "add delete", false}, {"Loaded Hide Free", "add delete", false},
      // The icon goes when the session really ends, not when another program may still cancel it.
      {"Loaded QueryEnd EndCancelled Icon", "add modify*", false}, {"Loaded QueryEnd End Free", "add delete delete", false},
      {"Loaded TaskbarCreated", "add add", false}, {"Loaded Hide TaskbarCreated", "add delete", false},
      // A shell that already holds the icon refuses the add but takes a modify.
      {"Loaded Tick", "add", false}, {"RefuseAdd Loaded Tick", "add modify", false}, {"Refuse Loaded", "add modify", true},
      {"Refuse Loaded Tick Accept Tick Tick", "add modify add modify add", false},
      {"Hide Refuse Show", "delete add modify", true}, {"Loaded Refuse TaskbarCreated", "add add modify", true},
      {"Refuse Loaded Hide Tick Accept", "add modify delete", false},
  };
  for (const auto& [steps, calls, retrying] : cases) {
    Run(steps);
    EXPECT_EQ(Calls, calls) << steps;
    EXPECT_EQ(Tray && KillTimer(Window, kRetryTimer), retrying) << steps << ": the retry timer";
  }
}

TEST_F(TaskTrayIcon, OffersARefusedIconAgainASecondLater) {
  const DWORD start = GetTickCount();
  Run("Refuse Loaded Accept");
  for (MSG message; Calls == "add modify" && GetTickCount() - start < 10000;)
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  const DWORD waited = GetTickCount() - start;
  EXPECT_EQ(Calls, "add modify add");
  EXPECT_TRUE(waited >= 900 && waited < 5000) << "offered again after " << waited << " ms";
}

TEST_F(TaskTrayIcon, BringsItsFormForwardOpensTheMenuAndCallsTheEventsOfEachReport) {
  MenuL.Add({L"失敗", [](TObject*) { throw EToviError(L"目が回る"); }});
  MenuR.Add({L"まばたき", [this](TObject*) { Log += " chosen"; }});
  Tray = std::make_unique<TTaskTrayIcon>(&Form);
  TTaskTrayIcon* const tray = Tray.get();
  Window = tray->WindowHandle();
  tray->SetPopUpMenuL(&MenuL);
  tray->SetPopUpMenuR(&MenuR);
  const auto note = [this, tray](TObject* sender, const std::string& what, int x = 321, int y = -17) {
    Log += " " + what + (sender == tray && x == 321 && y == -17 ? "" : " [wrong sender or place]");
  };
  const auto press = [=](const char* what) {
    return [=](TObject* s, TMouseButton b, TShiftState shift, int x, int y) {
      note(s, what + std::to_string(static_cast<int>(b)) + "/" + std::to_string(shift), x, y);
    };
  };
  tray->OnMouseDown = press("down");
  tray->OnMouseUp = press("up");
  tray->OnMouseMove = [=](TObject* s, TShiftState shift, int x, int y) { note(s, "move/" + std::to_string(shift), x, y); };
  tray->OnClick = [=](TObject* s) { note(s, "click"); };  // OnDblClick is left unassigned, and so skipped
  // A move waits in the queue at each report: bringing the form forward serves it before the menu opens.
  const std::pair<UINT, const char*> cases[] = {
      {WM_RBUTTONDOWN, " move/0 menu R chosen down1/16"},
      {WM_LBUTTONDOWN, " move/0 menu L failed"},  // the failed command's press goes unreported
      {WM_LBUTTONUP, " up0/8 click move/0"},
      {WM_LBUTTONDBLCLK, " move/0 down0/64"},
      {WM_MBUTTONUP, " up2/32 click move/0"},
  };
  for (const auto& [report, expected] : cases) {
    Log.clear();
    PostMessageW(Window, kCallback, 1, WM_MOUSEMOVE);
    EXPECT_EQ(SendMessageW(Window, kCallback, 1, report), 0);
    Application().ProcessMessages();
    EXPECT_EQ(Log, expected) << report;
  }
}

TEST_F(TaskTrayIcon, ShowsABalloonAsTheWideRecordsSecondFormOnlyWhileVisible) {
  static NOTIFYICONDATAW balloon{};
  const TSeamOverride<decltype(seams::ShellNotifyIconW)> seam(
      seams::ShellNotifyIconW, [](DWORD operation, PNOTIFYICONDATAW data) -> BOOL {
        balloon = *data;
        return operation == NIM_MODIFY;
      });
  Run("Loaded");
  EXPECT_TRUE(Tray->ShowBalloon(L"目", std::wstring(300, L'x')));
  EXPECT_EQ(std::tuple(balloon.cbSize, balloon.hWnd, balloon.uID, balloon.uFlags, std::wstring(balloon.szInfoTitle),
                       std::wstring(balloon.szInfo).size()),
            std::tuple(DWORD{NOTIFYICONDATAW_V2_SIZE}, Window, 1u, UINT{NIF_INFO}, std::wstring(L"目"), std::size_t{255}));
  Tray->SetVisible(false);
  EXPECT_FALSE(Tray->ShowBalloon(L"目", L"")) << "while hidden";
}

TEST_F(TaskTrayIcon, ForgetsAMenuWhenItIsDestroyed) {
  auto a = std::make_unique<TPopupMenu>(Form), b = std::make_unique<TPopupMenu>(Form);
  Run("");
  Tray->SetPopUpMenuL(a.get());
  Tray->SetPopUpMenuR(b.get());
  b.reset();
  EXPECT_EQ(std::pair(Tray->PopUpMenuL(), Tray->PopUpMenuR()), std::pair(a.get(), static_cast<TPopupMenu*>(nullptr)));
  Tray->SetPopUpMenuR(a.get());
  a.reset();
  EXPECT_EQ(std::pair(Tray->PopUpMenuL(), Tray->PopUpMenuR()), (std::pair<TPopupMenu*, TPopupMenu*>(nullptr, nullptr)));
}

}  // namespace
}  // namespace tovi
