#include "components/task_tray_icon.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "seam_override.h"
#include "serve_until.h"
#include "toolkit/application.h"
#include "toolkit/errors.h"
#include "toolkit/form.h"
#include "toolkit/popup_menu.h"

namespace tovi {
namespace {

// Written out here, not taken from the component, so that a change on its side shows.
constexpr UINT kCallback = WM_USER + 100;

std::string Log;                       // the shell's calls, or the menus and events, in order
HWND Window;                           // the tray's, which every record names
BOOL Accepts[3] = {TRUE, TRUE, TRUE};  // the shell's answers to add, modify and delete
HMENU MenuL;
std::tuple<HWND, UINT, DWORD> LetThrough;  // the last message a window let through its filter, and how
bool RestartWhileDeleting;                 // the shell tells of its restart while a delete waits for it

BOOL WINAPI RecordFilter(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT) {
  LetThrough = {window, message, action};
  return TRUE;
}

// Each call as "add", "modify" or "delete", "*" for a live picture, then the tip after a colon.
BOOL WINAPI RecordShellCall(DWORD operation, PNOTIFYICONDATAA r) {
  const char* const names[] = {"add", "modify", "delete", "other"};
  const HICON copy = r->hIcon ? CopyIcon(r->hIcon) : nullptr;
  Log.append(Log.empty() ? "" : " ").append(names[std::min<DWORD>(operation, 3)]);
  Log.append(copy ? "*" : r->hIcon ? "[dead picture]" : "").append(r->szTip[0] ? ":" : "");
  Log.append(r->szTip, strnlen(r->szTip, sizeof r->szTip));
  DestroyIcon(copy);
  EXPECT_EQ(std::tuple(r->cbSize, r->hWnd, r->uID, r->uFlags, r->uCallbackMessage),
            std::tuple(DWORD{NOTIFYICONDATAA_V1_SIZE}, Window, 1u, UINT{NIF_MESSAGE | NIF_ICON | NIF_TIP}, kCallback))
      << Log << ": size, window, id, flags, callback message";
  // A call to another process serves the messages sent to its caller while it waits.
  if (operation == NIM_DELETE && RestartWhileDeleting)
    SendMessageW(r->hWnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  return operation <= NIM_DELETE && Accepts[operation];
}

BOOL WINAPI SteerCursor(LPPOINT point) {
  *point = {321, -17};
  return TRUE;
}

// The user picks the first item.
UINT OpenMenu(HMENU menu, HWND, POINT at) {
  Log.append(menu == MenuL ? " menu L" : " menu R").append(at.x == 321 && at.y == -17 ? "" : " [not at the cursor]");
  return GetMenuItemID(menu, 0);
}

// The tray's owner, which tells when it serves its queue whether it is in front.
class TOwner : public TForm {
 public:
  using TForm::TForm;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP) Log += GetForegroundWindow() == Handle() ? " forward" : " served [not in front]";
    return TForm::HandleMessage(message, wParam, lParam);
  }
};

class TaskTrayIcon : public ::testing::Test {
 protected:
  ~TaskTrayIcon() override { Application().OnException = nullptr; }

  // Runs steps such as "Loaded Hide Show" on a new tray; "Free" destroys it. The shell takes everything until
  // told to "Refuse" adds and modifies, to "RefuseAdd" only, or to "Lose" the icon (refusing modifies only);
  // "Restarting" makes it tell of its restart during each delete.
  void Run(const std::string& steps) {
    LetThrough = {};
    RestartWhileDeleting = false;
    Tray = std::make_unique<TTaskTrayIcon>(nullptr);
    Window = Tray->WindowHandle();
    Log.clear();
    Accepts[NIM_ADD] = Accepts[NIM_MODIFY] = TRUE;
    std::istringstream words(steps);
    for (std::string step; words >> step;) {
      if (step == "Loaded") Tray->Loaded();
      else if (step == "Hide" || step == "Show") Tray->SetVisible(step == "Show");
      else if (step == "Icon") Tray->SetIcon(std::make_unique<TIcon>(IconFromPicture(Black, Black)).get());
      else if (step == "OwnIcon" || step == "NoIcon") Tray->SetIcon(step == "NoIcon" ? nullptr : &Tray->Icon());
      else if (step == "Hint" || step == "LongHint") Tray->SetHint(step == "Hint" ? "eyes" : std::string(70, 'a'));
      else if (step == "Free") Tray.reset();
      else if (step == "End" || step == "EndCancelled") SendMessageA(Window, WM_ENDSESSION, step == "End", 0);
      else if (step == "TaskbarCreated")  // as a restarted shell tells every top-level window
        SendMessageTimeoutW(HWND_BROADCAST, TaskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
      else if (step == "Tick")  // the retry timer's next tick, a second after it was started, which calls the shell
        testing::ServeUntil([size = Log.size()] { return Log.size() > size; });
      else if (step == "Restarting") RestartWhileDeleting = true;
      else if (step == "Refuse" || step == "RefuseAdd" || step == "Lose" || step == "Accept") {
        Accepts[NIM_ADD] = step == "Accept" || step == "Lose";
        Accepts[NIM_MODIFY] = step == "Accept" || step == "RefuseAdd";
      }
    }
  }
  void Note(TObject* sender, const std::string& what, int x = 321, int y = -17) {
    Log += " " + what + (sender == Tray.get() && x == 321 && y == -17 ? "" : " [wrong sender or place]");
  }

  TSeamOverride<decltype(seams::ShellNotifyIcon)> ShellSeam{seams::ShellNotifyIcon, &RecordShellCall};
  TSeamOverride<decltype(seams::CursorPos)> CursorSeam{seams::CursorPos, &SteerCursor};
  TSeamOverride<decltype(seams::OpenPopupMenu)> MenuSeam{seams::OpenPopupMenu, &OpenMenu};
  TSeamOverride<decltype(seams::ChangeMessageFilter)> FilterSeam{seams::ChangeMessageFilter, &RecordFilter};
  const UINT TaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  TOwner Form{{.ClassName = L"ToviTrayTestOwner", .Caption = L"", .Style = WS_POPUP}};
  const TRaster Black{16, 16};
  std::unique_ptr<TTaskTrayIcon> Tray;
};

TEST_F(TaskTrayIcon, TalksToTheShellOnlyWhenSomethingChangesAndRetriesARefusedIcon) {
  const std::tuple<const char*, std::string, bool> cases[] = {  // the icon left to be offered again
      {"Loaded", "add", false}, {"Hide Loaded", "delete", false}, {"Hide Show Show", "delete add", false},
      // The caller's picture object goes at once; the tray keeps the picture.
      {"Loaded Icon Icon Hint", "add modify* modify* modify*:eyes", false},
      {"Loaded Icon NoIcon", "add modify* modify", false}, {"Loaded OwnIcon Hint Hint", "add modify:eyes", false},
      {"Hide Icon Hint Show", "delete add*:eyes", false},
      {"Loaded LongHint", "add modify:" + std::string(63, 'a'), false},
      {"Loaded Free", "add delete", false}, {"Loaded Hide Free", "add delete", false},
      {"Loaded Restarting Free", "add delete", false},  // no icon left behind by a window about to go
      // The icon goes when the session really ends, not when another program may still cancel it.
      {"Loaded EndCancelled Icon", "add modify*", false}, {"Loaded End Icon Free", "add delete", false},
      {"Loaded TaskbarCreated", "add add", false}, {"Loaded Hide TaskbarCreated", "add delete", false},
      // A shell that already holds the icon refuses the add but takes a modify.
      {"RefuseAdd Loaded", "add modify", false}, {"Refuse Loaded", "add modify", true},
      {"Refuse Loaded Tick Accept Tick", "add modify add modify add", false},
      {"Hide Refuse Show", "delete add modify", true}, {"Loaded Refuse TaskbarCreated", "add add modify", true},
      {"Refuse Loaded Hide", "add modify delete", false},
      // A refused modify means the shell lost the icon: the retry's add brings what it shows by then.
      {"Loaded Lose Icon", "add modify*", true}, {"Loaded Lose Icon Hint Tick", "add modify* add*:eyes", false},
  };
  for (const auto& [steps, calls, retrying] : cases) {
    Run(steps);
    EXPECT_EQ(Log, calls) << steps;
    EXPECT_EQ(Tray && Tray->AddPending(), retrying) << steps << ": offered again";
    EXPECT_EQ(LetThrough, std::tuple(Window, TaskbarCreated, DWORD{MSGFLT_ALLOW}))
        << steps << ": a copy run as administrator must hear the shell's restart";
  }
  const DWORD start = GetTickCount();
  Run("Refuse Loaded Accept");
  testing::ServeUntil([] { return Log != "add modify"; });
  EXPECT_EQ(Log, "add modify add") << "a refused icon not offered again by the program's own message loop";
  EXPECT_GE(GetTickCount() - start, 900u) << "a refused icon offered again sooner than a second on";
}

TEST_F(TaskTrayIcon, BringsItsFormForwardOpensTheMenuAndCallsTheEventsOfEachReport) {
  TPopupMenu left(Form), right(Form);
  MenuL = left.Handle();
  left.Add({L"失敗", [](TObject*) { throw EToviError(L"目が回る"); }});
  right.Add({L"まばたき", [this](TObject*) { Log += " chosen"; }});
  Application().OnException = [this](TObject* sender, const std::wstring& text) {
    Note(sender, text == L"目が回る" ? "failed" : "failed [wrong text]");
  };
  Tray = std::make_unique<TTaskTrayIcon>(&Form);
  Window = Tray->WindowHandle();
  Tray->SetPopUpMenuL(&left);
  Tray->SetPopUpMenuR(&right);
  const auto press = [this](const std::string& what) {
    return [=, this](TObject* s, TMouseButton b, TShiftState k, int x, int y) {
      Note(s, what + std::to_string(static_cast<int>(b)) + "/" + std::to_string(k), x, y);
    };
  };
  Tray->OnMouseDown = press("down");
  Tray->OnMouseUp = press("up");
  Tray->OnMouseMove = [this](TObject* s, TShiftState k, int x, int y) { Note(s, "move/" + std::to_string(k), x, y); };
  Tray->OnClick = [this](TObject* s) { Note(s, "click"); };
  Tray->OnDblClick = [this](TObject* s) { Note(s, "dblclick"); };
  // Buttons left 0, right 1, middle 2; shift: left 8, right 16, middle 32, double click 64. At each report another
  // window is in front and a message waits in the form's queue: bringing the form forward serves it there ("forward").
  // The form is given a message once a menu has closed ("null"), for the next to open and close as it should.
  const std::pair<UINT, const char*> cases[] = {
      {WM_MOUSEMOVE, " move/0"},
      {WM_LBUTTONDOWN, " forward menu L failed null"},  // the failed command's press goes unreported
      {WM_LBUTTONUP, " up0/8 click"},
      {WM_LBUTTONDBLCLK, " forward dblclick down0/64"},
      {WM_RBUTTONDOWN, " forward menu R chosen down1/16 null"},
      {WM_RBUTTONUP, " up1/16 click"},
      {WM_RBUTTONDBLCLK, " forward dblclick down1/64"},
      {WM_MBUTTONDOWN, " down2/32"},
      {WM_MBUTTONUP, " up2/32 click"},
      // Nothing for a middle double click, nor for WM_CONTEXTMENU and NIN_SELECT, which only a later record asks for.
      {WM_MBUTTONDBLCLK, ""}, {WM_CONTEXTMENU, ""}, {NIN_SELECT, ""},
  };
  for (const auto& [report, expected] : cases) {
    Log.clear();
    SetForegroundWindow(Window);
    PostMessageW(Form.Handle(), WM_APP, 0, 0);
    EXPECT_EQ(SendMessageW(Window, kCallback, 1, report), 0);
    for (MSG left; PeekMessageW(&left, Form.Handle(), 0, 0, PM_REMOVE);) Log += left.message == WM_NULL ? " null" : "";
    EXPECT_EQ(Log, expected) << report;
  }
  {
    TPopupMenu gone(Form);
    Tray->SetPopUpMenuL(&gone);
  }
  EXPECT_EQ(std::pair(Tray->PopUpMenuL(), Tray->PopUpMenuR()), std::pair(static_cast<TPopupMenu*>(nullptr), &right))
      << "a menu destroyed is forgotten, the other kept";
}

}  // namespace
}  // namespace tovi
