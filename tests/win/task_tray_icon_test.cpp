#include "components/task_tray_icon.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/raster.h"
#include "toolkit/application.h"
#include "toolkit/errors.h"
#include "toolkit/form.h"
#include "toolkit/icon.h"
#include "toolkit/popup_menu.h"
#include "toolkit/seams.h"

namespace tovi {
namespace {

// Written out here, not taken from the component, so that a change on its side shows.
constexpr UINT kCallback = WM_USER + 100;
constexpr UINT kFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr UINT kRetryTimer = 1;
// Posted to the owner form to see whether waiting messages were dispatched.
constexpr UINT kPosted = WM_APP + 7;
const UINT TaskbarCreated = RegisterWindowMessageA("TaskbarCreated");

std::string Tip(const NOTIFYICONDATAA& r) { return std::string(r.szTip, strnlen(r.szTip, sizeof r.szTip)); }

TIcon MakeIcon(TColorRef colour) { return TIcon(IconFromPicture(TRaster(16, 16, colour), TRaster(16, 16, kBlack))); }

LRESULT Callback(const TTaskTrayIcon& tray, UINT mouseMessage) {
  return SendMessageA(tray.WindowHandle(), kCallback, 1, mouseMessage);
}

// A form that logs "Posted" when a message posted to it is dispatched.
class TOwnerForm : public TForm {
 public:
  explicit TOwnerForm(std::vector<std::string>& log)
      : TForm({.ClassName = L"ToviTrayTestOwner", .Caption = L"", .Style = WS_POPUP, .Font = {}}), FLog(log) {}

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kPosted) return TForm::HandleMessage(message, wParam, lParam);
    FLog.push_back("Posted");
    return 0;
  }

 private:
  std::vector<std::string>& FLog;
};

class TaskTrayIcon : public ::testing::Test {
 protected:
  struct TShellCall {
    std::string Operation;
    NOTIFYICONDATAA Record;
  };

  void SetUp() override {
    Current = this;
    Application().OnException = [this](TObject* sender, const std::wstring& text) {
      Reports.emplace_back(sender, text);
    };
  }
  void TearDown() override { Application().OnException = nullptr; }

  static BOOL WINAPI RecordShellCall(DWORD operation, PNOTIFYICONDATAA data) {
    const char* const names[] = {"add", "modify", "delete"};
    TShellCall call{operation <= NIM_DELETE ? names[operation] : "other", {}};
    std::memcpy(&call.Record, data, NOTIFYICONDATAA_V1_SIZE);
    Current->Calls.push_back(call);
    return operation <= NIM_DELETE ? Current->Answers[operation] : FALSE;
  }
  static BOOL WINAPI SteerCursor(LPPOINT point) {
    *point = Current->Cursor;
    return TRUE;
  }
  static UINT OpenMenu(HMENU menu, HWND, POINT at) {
    Current->Log.push_back("Menu " + Current->MenuNames[menu] + Current->Misplaced(at.x, at.y));
    return Current->MenuCommand;
  }
  std::string Misplaced(int x, int y) const { return x == Cursor.x && y == Cursor.y ? "" : " [not at the cursor]"; }

  std::string Operations() const {
    std::string names;
    for (const TShellCall& call : Calls) names += (names.empty() ? "" : " ") + call.Operation;
    return names;
  }

  // Every event goes to the log, with a wrong sender or position noted beside it.
  void Watch(TTaskTrayIcon& tray) {
    const auto note = [this, &tray](TObject* sender, const std::string& text, int x, int y) {
      Log.push_back(text + (sender == &tray ? "" : " [wrong sender]") + Misplaced(x, y));
    };
    const auto press = [=](const std::string& what) {
      return [=](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
        const char* const buttons[] = {"left", "right", "middle"};
        note(sender, what + " " + buttons[static_cast<int>(button)] + " shift " + std::to_string(shift), x, y);
      };
    };
    tray.OnMouseDown = press("Down");
    tray.OnMouseUp = press("Up");
    tray.OnMouseMove = [=](TObject* sender, TShiftState shift, int x, int y) {
      note(sender, "Move shift " + std::to_string(shift), x, y);
    };
    tray.OnClick = [=, this](TObject* sender) { note(sender, "Click", Cursor.x, Cursor.y); };
    tray.OnDblClick = [=, this](TObject* sender) { note(sender, "DblClick", Cursor.x, Cursor.y); };
  }

  // Runs steps such as "Loaded Hide Show" on the tray; "Free" destroys it. The shell
  // takes everything until told to "Refuse" adds and modifies, or to "RefuseAdd" only, and to "Accept" again.
  void Run(std::unique_ptr<TTaskTrayIcon>& tray, const std::string& steps) {
    std::istringstream words(steps);
    for (std::string step; words >> step;) {
      TTaskTrayIcon& t = *tray;
      if (step == "Loaded") t.Loaded();
      else if (step == "Hide" || step == "Show") t.SetVisible(step == "Show");
      else if (step == "Icon") t.SetIcon(&Picture);
      else if (step == "OwnIcon") t.SetIcon(&t.Icon());
      else if (step == "NoIcon") t.SetIcon(nullptr);
      else if (step == "Hint" || step == "NoHint") t.SetHint(step == "Hint" ? "eyes" : "");
      else if (step == "Free") tray.reset();
      else if (step == "QueryEndSession")
        EXPECT_EQ(SendMessageA(t.WindowHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1) << "held up the logoff";
      else if (step == "EndSession" || step == "EndCancelled")
        SendMessageA(t.WindowHandle(), WM_ENDSESSION, step == "EndSession", ENDSESSION_LOGOFF);
      else if (step == "TaskbarCreated") SendMessageA(t.WindowHandle(), TaskbarCreated, 0, 0);
      else if (step == "Tick") SendMessageA(t.WindowHandle(), WM_TIMER, kRetryTimer, 0);
      else if (step == "Refuse" || step == "RefuseAdd" || step == "Accept") {
        Answers[NIM_ADD] = step == "Accept";
        Answers[NIM_MODIFY] = step != "Refuse";
      } else ADD_FAILURE() << "no step " << step;
    }
  }

  static inline TaskTrayIcon* Current = nullptr;

  TSeamOverride<decltype(seams::ShellNotifyIcon)> ShellSeam{seams::ShellNotifyIcon, &RecordShellCall};
  TSeamOverride<decltype(seams::CursorPos)> CursorSeam{seams::CursorPos, &SteerCursor};
  TSeamOverride<decltype(seams::OpenPopupMenu)> MenuSeam{seams::OpenPopupMenu, &OpenMenu};

  std::vector<TShellCall> Calls;
  BOOL Answers[3] = {TRUE, TRUE, TRUE};
  POINT Cursor{321, -17};
  std::map<HMENU, std::string> MenuNames;
  UINT MenuCommand = 0;
  std::vector<std::string> Log;
  std::vector<std::pair<TObject*, std::wstring>> Reports;
  TIcon Picture = MakeIcon(kWhite);
};

TEST_F(TaskTrayIcon, FillsEveryRecordAlikeWithThePictureAndHintItHolds) {
  TTaskTrayIcon tray(nullptr);
  tray.Loaded();
  HICON sent = nullptr;
  {
    const TIcon caller = MakeIcon(0x00FF00);
    sent = caller.Handle();
    tray.SetIcon(&caller);
  }
  const HICON copy = CopyIcon(sent);
  ASSERT_NE(copy, nullptr) << "the picture went with the caller's icon object";
  DestroyIcon(copy);
  tray.SetHint("eyes");
  tray.SetVisible(false);
  tray.SetHint(std::string(500, 'a'));  // cut to fit the field with its terminating zero
  tray.SetVisible(true);
  tray.SetIcon(nullptr);

  const std::tuple<std::string, HICON, std::string> expected[] = {
      {"add", nullptr, ""},      {"modify", sent, ""},     {"modify", sent, "eyes"},
      {"delete", sent, "eyes"}, {"add", sent, std::string(63, 'a')}, {"modify", nullptr, std::string(63, 'a')},
  };
  ASSERT_EQ(Calls.size(), std::size(expected)) << Operations();
  for (std::size_t i = 0; i < Calls.size(); ++i) {
    const NOTIFYICONDATAA& r = Calls[i].Record;
    EXPECT_EQ(std::tuple(Calls[i].Operation, r.hIcon, Tip(r)), expected[i]) << "call " << i;
    EXPECT_EQ(std::tuple(r.cbSize, r.hWnd, r.uID, r.uFlags, r.uCallbackMessage),
              std::tuple(DWORD{NOTIFYICONDATAA_V1_SIZE}, tray.WindowHandle(), 1u, kFlags, kCallback))
        << "call " << i << ": size, window, id, flags, callback message";
  }
  // Hidden and top-level: TaskbarCreated is broadcast to top-level windows only.
  EXPECT_FALSE(IsWindowVisible(tray.WindowHandle()));
  EXPECT_EQ(GetAncestor(tray.WindowHandle(), GA_PARENT), GetDesktopWindow());
}

TEST_F(TaskTrayIcon, TalksToTheShellOnlyWhenSomethingChangesAndRetriesARefusedAdd) {
  struct TCase {
    const char* Steps;
    const char* Operations;
    bool Retrying = false;  // the retry timer is left running
  };
  const TCase cases[] = {
      {"Loaded", "add"}, {"Hide Loaded", "delete"}, {"Hide Show Show", "delete add"},
      {"Loaded Icon Icon", "add modify modify"}, {"Loaded OwnIcon", "add"}, {"Loaded NoIcon", "add modify"},
      {"Loaded Hint Hint", "add modify"}, {"Loaded NoHint", "add"}, {"Hide Icon Hint", "delete"},
      {"Loaded Free", "add delete"}, {"Loaded Hide Free", "add delete"},
      // The icon goes when the session really ends, not when another program may still cancel it.
      {"Loaded QueryEndSession EndCancelled Icon", "add modify"},
      {"Loaded QueryEndSession EndSession Free", "add delete delete"},
      {"Loaded TaskbarCreated", "add add"}, {"Loaded Hide TaskbarCreated", "add delete"}, {"Loaded Tick", "add"},
      // A shell that already holds the icon refuses the add but takes a modify.
      {"RefuseAdd Loaded Tick", "add modify"},
      {"Refuse Loaded", "add modify", true},
      {"Refuse Loaded Tick Accept Tick Tick", "add modify add modify add"},
      {"Hide Refuse Show", "delete add modify", true},
      {"Loaded Refuse TaskbarCreated", "add add modify", true},
      {"Refuse Loaded Hide Tick", "add modify delete"},
  };
  for (const TCase& c : cases) {
    Calls.clear();
    Answers[NIM_ADD] = Answers[NIM_MODIFY] = TRUE;
    auto tray = std::make_unique<TTaskTrayIcon>(nullptr);
    Run(tray, c.Steps);
    EXPECT_EQ(Operations(), c.Operations) << c.Steps;
    const bool retrying = tray && KillTimer(tray->WindowHandle(), kRetryTimer);
    EXPECT_EQ(retrying, c.Retrying) << c.Steps << ": the retry timer";
  }
}

TEST_F(TaskTrayIcon, BringsItsFormForwardOpensTheMenuAndCallsTheEventsOfEachReport) {
  TOwnerForm form(Log);
  TPopupMenu menu(form);
  MenuNames = {{menu.Handle(), "R"}};
  menu.Add({L"まばたき", [this](TObject*) { Log.push_back("Blink chosen"); }});
  MenuCommand = 1;
  TTaskTrayIcon watched(&form), unwatched(&form);
  watched.SetPopUpMenuR(&menu);
  unwatched.SetPopUpMenuR(&menu);
  Watch(watched);
  // Bringing the form forward dispatches the message that waits for it; the
  // menu comes before the press it answers.
  ASSERT_TRUE(PostMessageW(form.Handle(), kPosted, 0, 0));
  EXPECT_EQ(Callback(watched, WM_RBUTTONDOWN), 0);
  EXPECT_EQ(Log, (std::vector<std::string>{"Posted", "Menu R", "Blink chosen", "Down right shift 16"}));
  Log.clear();
  for (UINT report : {WM_MOUSEMOVE, WM_MBUTTONUP, WM_LBUTTONDBLCLK}) Callback(watched, report);
  EXPECT_EQ(Log, (std::vector<std::string>{"Move shift 0", "Up middle shift 32", "Click", "DblClick",
                                           "Down left shift 64"}));
  Log.clear();
  Callback(unwatched, WM_RBUTTONDOWN);
  EXPECT_EQ(Log, (std::vector<std::string>{"Menu R", "Blink chosen"}));
  EXPECT_TRUE(Reports.empty()) << "an event that is not assigned is skipped, not called";
}

TEST_F(TaskTrayIcon, ForgetsAMenuWhenItIsDestroyed) {
  TOwnerForm form(Log);
  TTaskTrayIcon tray(nullptr);
  auto a = std::make_unique<TPopupMenu>(form), b = std::make_unique<TPopupMenu>(form);
  auto other = std::make_unique<TComponent>(nullptr);
  other->FreeNotification(&tray);
  tray.SetPopUpMenuL(a.get());
  tray.SetPopUpMenuR(b.get());
  const auto menus = [&] { return std::pair(tray.PopUpMenuL(), tray.PopUpMenuR()); };
  other.reset();
  EXPECT_EQ(menus(), std::pair(a.get(), b.get())) << "a component that is no menu went";
  b.reset();
  EXPECT_EQ(menus(), std::pair(a.get(), static_cast<TPopupMenu*>(nullptr)));
  tray.SetPopUpMenuR(a.get());
  a.reset();
  EXPECT_EQ(menus(), std::pair(static_cast<TPopupMenu*>(nullptr), static_cast<TPopupMenu*>(nullptr))) << "both sides";
}

TEST_F(TaskTrayIcon, HandsAFailureToTheApplicationAndCarriesOn) {
  TOwnerForm form(Log);
  TPopupMenu menu(form);
  MenuNames = {{menu.Handle(), "R"}};
  menu.Add({L"失敗", [](TObject*) { throw EToviError(L"目が回る"); }});
  MenuCommand = 1;
  TTaskTrayIcon tray(nullptr);
  tray.SetPopUpMenuR(&menu);
  Watch(tray);
  EXPECT_EQ(Callback(tray, WM_RBUTTONDOWN), 0);
  EXPECT_EQ(Reports, (decltype(Reports){{&tray, L"目が回る"}})) << "reported once, by the tray";
  Callback(tray, WM_LBUTTONUP);
  EXPECT_EQ(Log, (std::vector<std::string>{"Menu R", "Up left shift 8", "Click"}))
      << "the failed command's press goes unreported; the next report is handled";
}

}  // namespace
}  // namespace tovi
