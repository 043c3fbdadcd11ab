#include "components/task_tray_icon.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <new>
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
constexpr std::size_t kTipBytes = 64;
// Posted to the owner form to see whether waiting messages were dispatched.
constexpr UINT kPosted = WM_APP + 7;
const UINT TaskbarCreated = RegisterWindowMessageA("TaskbarCreated");

std::string ShiftName(TShiftState shift) {
  const std::map<TShiftState, std::string> names = {
      {0, "none"}, {ssLeft, "ssLeft"}, {ssRight, "ssRight"}, {ssMiddle, "ssMiddle"}, {ssDouble, "ssDouble"}};
  return names.contains(shift) ? names.at(shift) : std::to_string(shift);
}

std::string Tip(const NOTIFYICONDATAA& record) { return std::string(record.szTip, strnlen(record.szTip, kTipBytes)); }

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
  void TearDown() override {
    Application().OnException = nullptr;
    Current = nullptr;
  }

  static BOOL WINAPI RecordShellCall(DWORD operation, PNOTIFYICONDATAA data) {
    const char* const names[] = {"add", "modify", "delete"};
    TShellCall call{operation <= NIM_DELETE ? names[operation] : "other", {}};
    std::memcpy(&call.Record, data, NOTIFYICONDATAA_V1_SIZE);
    Current->Calls.push_back(call);
    return operation <= NIM_DELETE ? Current->Answers[operation] : FALSE;
  }
  static BOOL WINAPI SteerCursor(LPPOINT point) {
    if (Current->CursorFails) throw EToviError(L"目が回る");
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
        note(sender, what + " " + buttons[static_cast<int>(button)] + " " + ShiftName(shift), x, y);
      };
    };
    tray.OnMouseDown = press("Down");
    tray.OnMouseUp = press("Up");
    tray.OnMouseMove = [=](TObject* sender, TShiftState shift, int x, int y) {
      note(sender, "Move " + ShiftName(shift), x, y);
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
      else if (step == "EndSession")
        EXPECT_EQ(SendMessageA(t.WindowHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1) << "held up the logoff";
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
  bool CursorFails = false;
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
  tray.SetHint("later");
  tray.SetVisible(true);
  tray.SetIcon(nullptr);

  const std::tuple<std::string, HICON, std::string> expected[] = {
      {"add", nullptr, ""},      {"modify", sent, ""},     {"modify", sent, "eyes"},
      {"delete", sent, "eyes"}, {"add", sent, "later"}, {"modify", nullptr, "later"},
  };
  ASSERT_EQ(Calls.size(), std::size(expected)) << Operations();
  for (std::size_t i = 0; i < Calls.size(); ++i) {
    const NOTIFYICONDATAA& r = Calls[i].Record;
    EXPECT_EQ(std::tuple(Calls[i].Operation, r.hIcon, Tip(r)), expected[i]) << "call " << i;
    EXPECT_EQ(std::tuple(r.cbSize, r.hWnd, r.uID, r.uFlags, r.uCallbackMessage),
              std::tuple(DWORD{NOTIFYICONDATAA_V1_SIZE}, tray.WindowHandle(), 1u, kFlags, kCallback))
        << "call " << i << ": size, window, id, flags, callback message";
  }
}

TEST_F(TaskTrayIcon, EachInstanceIsAnIconOfItsOwnHiddenWindow) {
  auto first = std::make_unique<TTaskTrayIcon>(nullptr);
  TTaskTrayIcon second(nullptr);
  first->Loaded();
  second.Loaded();
  first->OnClick = [this](TObject*) { Log.push_back("first"); };
  second.OnClick = [this](TObject*) { Log.push_back("second"); };
  Callback(second, WM_LBUTTONUP);
  EXPECT_EQ(Log, std::vector<std::string>{"second"});
  ASSERT_EQ(Calls.size(), 2u);
  EXPECT_EQ(Calls[0].Record.hWnd, first->WindowHandle());
  EXPECT_EQ(Calls[1].Record.hWnd, second.WindowHandle());

  const HWND window = second.WindowHandle();
  EXPECT_FALSE(IsWindowVisible(window));
  // TaskbarCreated is broadcast to top-level windows only; a message-only window would miss it.
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_TRUE(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("eyes")));
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 4) << "other messages go to the default procedure";
  const HWND gone = first->WindowHandle();
  first.reset();
  EXPECT_FALSE(IsWindow(gone)) << "the window lives exactly as long as its component";
}

TEST_F(TaskTrayIcon, TalksToTheShellOnlyWhenSomethingChangesAndRetriesARefusedAdd) {
  struct TCase {
    const char* Steps;
    const char* Operations;
    bool Retrying = false;  // the retry timer is left running
  };
  const TCase cases[] = {
      {"", ""}, {"Loaded", "add"}, {"Hide Loaded", "delete"}, {"Show", ""}, {"Hide Hide", "delete"},
      {"Hide Show Show", "delete add"},
      {"Loaded Icon Icon", "add modify modify"},
      {"Loaded OwnIcon", "add"}, {"Loaded NoIcon", "add modify"},
      {"Loaded Hint Hint", "add modify"}, {"Loaded NoHint", "add"},
      {"Hide Icon Hint", "delete"}, {"Icon Hint Loaded", "modify modify add"},
      {"Loaded Free", "add delete"}, {"Loaded Hide Free", "add delete"},
      {"Loaded EndSession Icon Free", "add delete modify delete"},
      {"Loaded TaskbarCreated", "add add"}, {"Loaded Hide TaskbarCreated", "add delete"},
      {"Loaded Tick", "add"},
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

TEST_F(TaskTrayIcon, CutsALongHintAtACharacterBoundary) {
  // The first byte the system code page takes as the start of a double-byte character, if it has one.
  int byte = 0x81;
  while (byte <= 0xFE && !IsDBCSLeadByte(static_cast<BYTE>(byte))) ++byte;
  const bool doubleByte = byte <= 0xFE;
  const char lead = static_cast<char>(doubleByte ? byte : 0x82);
  // 32 double-byte characters; "a" and 32 whose second byte could also start one,
  // so that only walking from the start tells where they begin.
  std::string wides, ambiguous = "a";
  for (int i = 0; i < 32; ++i) {
    wides += {lead, 'A'};
    ambiguous += {lead, lead};
  }
  const std::string wide{lead, 'A'}, a61(61, 'a'), a62(62, 'a');
  const std::pair<std::string, std::string> cases[] = {
      {std::string(63, 'a'), std::string(63, 'a')},
      {std::string(64, 'a'), std::string(63, 'a')},
      {std::string(500, 'a'), std::string(63, 'a')},
      {a61 + wide, a61 + wide},
      {a62 + wide, doubleByte ? a62 : a62 + lead},
      {a61 + wide + wide, a61 + wide},
      {wides, wides.substr(0, doubleByte ? 62 : 63)},
      {ambiguous, ambiguous.substr(0, 63)},
  };
  for (const auto& [hint, tip] : cases) {
    Calls.clear();
    TTaskTrayIcon tray(nullptr);
    tray.SetHint(hint);
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_LT(strnlen(Calls[0].Record.szTip, kTipBytes), kTipBytes) << "no terminating zero inside the field";
    EXPECT_EQ(Tip(Calls[0].Record), tip) << hint.size() << " bytes, code page " << GetACP();
  }
}

TEST_F(TaskTrayIcon, TurnsEachMouseReportIntoMenusAndEvents) {
  TOwnerForm form(Log);
  TComponent plainOwner(nullptr);
  TPopupMenu menuL(&form), menuR(&form);
  MenuNames = {{menuL.Handle(), "L"}, {menuR.Handle(), "R"}};
  menuR.Add({L"Blink", L"まばたき", [this](TObject*) { Log.push_back("Blink chosen"); }});
  MenuCommand = 1;
  struct TCase {
    UINT Report;
    std::vector<std::string> Log;
    bool PlainOwner = false;
  };
  // The menu comes before the press it answers; a form owner is brought forward
  // first, which dispatches the message "Posted" that waits for it.
  const TCase cases[] = {
      {WM_MOUSEMOVE, {"Move none"}},
      {WM_LBUTTONDOWN, {"Posted", "Menu L", "Down left ssLeft"}}, {WM_LBUTTONUP, {"Up left ssLeft", "Click"}},
      {WM_LBUTTONDBLCLK, {"Posted", "DblClick", "Down left ssDouble"}},
      {WM_RBUTTONDOWN, {"Posted", "Menu R", "Blink chosen", "Down right ssRight"}},
      {WM_RBUTTONUP, {"Up right ssRight", "Click"}},
      {WM_RBUTTONDBLCLK, {"Posted", "DblClick", "Down right ssDouble"}},
      {WM_MBUTTONDOWN, {"Down middle ssMiddle"}}, {WM_MBUTTONUP, {"Up middle ssMiddle", "Click"}},
      {WM_MBUTTONDBLCLK, {}}, {WM_MOUSEWHEEL, {}}, {WM_XBUTTONDOWN, {}}, {WM_CONTEXTMENU, {}},
      {NIN_SELECT, {}}, {NIN_BALLOONUSERCLICK, {}}, {0, {}},
      {WM_RBUTTONDOWN, {"Menu R", "Blink chosen", "Down right ssRight"}, true},
      {WM_LBUTTONDBLCLK, {"DblClick", "Down left ssDouble"}, true},
  };
  for (const TCase& c : cases) {
    TComponent* const owner = c.PlainOwner ? &plainOwner : &form;
    TTaskTrayIcon watched(owner), unwatched(owner);
    watched.SetPopUpMenuL(&menuL);
    watched.SetPopUpMenuR(&menuR);
    Watch(watched);
    // A new place each time: the cursor is read for every report.
    Cursor = {Cursor.x + 1, Cursor.y - 1};
    Log.clear();
    ASSERT_TRUE(PostMessageW(form.Handle(), kPosted, 0, 0));
    EXPECT_EQ(Callback(watched, c.Report), 0);
    EXPECT_EQ(Log, c.Log) << "report 0x" << std::hex << c.Report << (c.PlainOwner ? ", plain owner" : "");
    Application().ProcessMessages();
    Callback(unwatched, c.Report);
  }
  EXPECT_TRUE(Reports.empty()) << "an event that is not assigned is skipped, not called";
}

TEST_F(TaskTrayIcon, ForgetsAMenuWhenItIsDestroyed) {
  TOwnerForm form(Log);
  struct TCase {
    const char* Set;  // what PopUpMenuL and PopUpMenuR refer to: menu a or b
    char Destroyed;   // 'a', 'b', or 'c', a component that is no menu
    const char* Left;  // what they refer to afterwards, '-' for none
  };
  for (const TCase& c : {TCase{"aa", 'a', "--"}, {"ab", 'a', "-b"}, {"ab", 'b', "a-"}, {"ab", 'c', "ab"}}) {
    TTaskTrayIcon tray(nullptr);
    auto a = std::make_unique<TPopupMenu>(&form), b = std::make_unique<TPopupMenu>(&form);
    auto other = std::make_unique<TComponent>(nullptr);
    other->FreeNotification(&tray);
    tray.SetPopUpMenuL(c.Set[0] == 'a' ? a.get() : b.get());
    tray.SetPopUpMenuR(c.Set[1] == 'a' ? a.get() : b.get());
    std::map<TPopupMenu*, char> names = {{nullptr, '-'}, {a.get(), 'a'}, {b.get(), 'b'}};
    if (c.Destroyed == 'a') a.reset();
    if (c.Destroyed == 'b') b.reset();
    if (c.Destroyed == 'c') other.reset();
    EXPECT_EQ(std::string({names[tray.PopUpMenuL()], names[tray.PopUpMenuR()]}), c.Left)
        << c.Set << " less " << c.Destroyed;
  }
}

TEST_F(TaskTrayIcon, LeavesNoTraceInAMenuThatOutlivesIt) {
  TOwnerForm form(Log);
  auto menu = std::make_unique<TPopupMenu>(&form);
  TTaskTrayIcon survivor(nullptr);
  survivor.SetPopUpMenuL(menu.get());
  alignas(TTaskTrayIcon) std::byte storage[sizeof(TTaskTrayIcon)];
  auto* tray = new (storage) TTaskTrayIcon(nullptr);
  tray->SetPopUpMenuL(menu.get());
  tray->SetPopUpMenuR(menu.get());
  tray->~TTaskTrayIcon();
  // Whatever still pointed at the component would now meet garbage and crash.
  std::memset(storage, 0xA5, sizeof storage);
  menu.reset();
  EXPECT_EQ(survivor.PopUpMenuL(), nullptr) << "the menu told those still watching it";
}

TEST_F(TaskTrayIcon, HandsAFailureToTheApplicationAndCarriesOn) {
  TOwnerForm form(Log);
  TPopupMenu menu(&form);
  MenuNames = {{menu.Handle(), "R"}};
  menu.Add({L"Fail", L"失敗", [](TObject*) { throw EToviError(L"目が回る"); }});
  const auto fail = [](auto&&...) { throw EToviError(L"目が回る"); };
  const std::tuple<const char*, std::function<void(TTaskTrayIcon&)>, UINT> cases[] = {
      {"reading the cursor", [this](TTaskTrayIcon&) { CursorFails = true; }, WM_MOUSEMOVE},
      {"a menu command", [this](TTaskTrayIcon&) { MenuCommand = 1; }, WM_RBUTTONDOWN},
      {"OnMouseDown", [=](TTaskTrayIcon& t) { t.OnMouseDown = fail; }, WM_LBUTTONDOWN},
      {"OnClick", [=](TTaskTrayIcon& t) { t.OnClick = fail; }, WM_MBUTTONUP},
      {"OnDblClick", [=](TTaskTrayIcon& t) { t.OnDblClick = fail; }, WM_LBUTTONDBLCLK},
  };
  for (const auto& [where, arrange, report] : cases) {
    TTaskTrayIcon tray(nullptr);
    tray.Loaded();
    tray.SetPopUpMenuR(&menu);
    arrange(tray);
    Reports.clear();
    EXPECT_EQ(Callback(tray, report), 0) << where;
    EXPECT_EQ(Reports, (decltype(Reports){{&tray, L"目が回る"}})) << where << ": reported once, by the tray";

    CursorFails = false;
    MenuCommand = 0;
    Watch(tray);
    Log.clear();
    Callback(tray, WM_RBUTTONUP);
    EXPECT_EQ(Log, (std::vector<std::string>{"Up right ssRight", "Click"})) << where << ": and then";
  }
}

}  // namespace
}  // namespace tovi
