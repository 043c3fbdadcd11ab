#include "components/task_tray_icon.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
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

// Values the shell and the tray component agree on, written out here so that
// a change on the component's side shows.
constexpr UINT kCallback = WM_USER + 100;
constexpr UINT kRetryTimer = 1;
constexpr std::size_t kTipBytes = 64;
constexpr POINT kCursor{321, -17};
// Posted to the owner form to see whether waiting messages were dispatched.
constexpr UINT kPosted = WM_APP + 7;

const UINT TaskbarCreated = RegisterWindowMessageA("TaskbarCreated");

std::string At(POINT at) { return " at " + std::to_string(at.x) + "," + std::to_string(at.y); }

std::string ShiftText(TShiftState shift) {
  const char digits[] = "0123456789abcdef";
  return std::string("0x") + digits[shift >> 4] + digits[shift & 0xF];
}

const char* ButtonName(TMouseButton button) {
  switch (button) {
    case TMouseButton::mbLeft: return "left";
    case TMouseButton::mbRight: return "right";
    case TMouseButton::mbMiddle: return "middle";
  }
  return "?";
}

std::string Down(const char* button, TShiftState shift, POINT at = kCursor) {
  return std::string("MouseDown ") + button + " " + ShiftText(shift) + At(at);
}
std::string Up(const char* button, TShiftState shift, POINT at = kCursor) {
  return std::string("MouseUp ") + button + " " + ShiftText(shift) + At(at);
}
std::string Move(TShiftState shift = 0, POINT at = kCursor) { return "MouseMove " + ShiftText(shift) + At(at); }
std::string Menu(const char* name, POINT at = kCursor) { return std::string("Menu ") + name + At(at); }

const char* OperationName(DWORD operation) {
  switch (operation) {
    case NIM_ADD: return "add";
    case NIM_MODIFY: return "modify";
    case NIM_DELETE: return "delete";
  }
  return "other";
}

std::string Tip(const NOTIFYICONDATAA& record) { return std::string(record.szTip, strnlen(record.szTip, kTipBytes)); }

TIcon MakeIcon(TColorRef colour) { return TIcon(IconFromPicture(TRaster(16, 16, colour), TRaster(16, 16, kBlack))); }

// A form that notes when a message posted to it is dispatched.
class TOwnerForm : public TForm {
 public:
  explicit TOwnerForm(std::vector<std::string>& log)
      : TForm({.ClassName = L"ToviTrayTestOwner", .Caption = L"", .Style = WS_POPUP}), FLog(log) {}

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
    DWORD Operation;
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
    TShellCall call{operation, {}};
    std::memcpy(&call.Record, data, NOTIFYICONDATAA_V1_SIZE);
    Current->Calls.push_back(call);
    return operation <= NIM_DELETE ? Current->Answers[operation] : FALSE;
  }
  static BOOL WINAPI SteerCursor(LPPOINT point) {
    ++Current->CursorReads;
    if (Current->CursorFails) throw EToviError(L"目が回る");
    *point = Current->Cursor;
    return TRUE;
  }
  static UINT OpenMenu(HMENU menu, HWND, POINT at) {
    Current->Log.push_back(Menu(Current->MenuNames[menu].c_str(), at));
    return Current->MenuCommand;
  }

  std::vector<std::string> Operations() const {
    std::vector<std::string> names;
    for (const TShellCall& call : Calls) names.push_back(OperationName(call.Operation));
    return names;
  }
  NOTIFYICONDATAA Last() const {
    if (!Calls.empty()) return Calls.back().Record;
    ADD_FAILURE() << "no call reached the shell";
    return {};
  }
  void Forget() {
    Calls.clear();
    Log.clear();
  }

  // Every event of the component goes to the log; the sender must be the component.
  void Watch(TTaskTrayIcon& tray) {
    const auto prefix = [&tray](TObject* sender) { return sender == &tray ? "" : "[wrong sender] "; };
    tray.OnClick = [this, prefix](TObject* sender) { Log.push_back(prefix(sender) + std::string("Click")); };
    tray.OnDblClick = [this, prefix](TObject* sender) { Log.push_back(prefix(sender) + std::string("DblClick")); };
    tray.OnMouseMove = [this, prefix](TObject* sender, TShiftState shift, int x, int y) {
      Log.push_back(prefix(sender) + Move(shift, {x, y}));
    };
    tray.OnMouseDown = [this, prefix](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
      Log.push_back(prefix(sender) + Down(ButtonName(button), shift, {x, y}));
    };
    tray.OnMouseUp = [this, prefix](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
      Log.push_back(prefix(sender) + Up(ButtonName(button), shift, {x, y}));
    };
  }

  static LRESULT Callback(const TTaskTrayIcon& tray, UINT mouseMessage) {
    return SendMessageA(tray.WindowHandle(), kCallback, 1, mouseMessage);
  }
  static LRESULT RetryTick(const TTaskTrayIcon& tray) {
    return SendMessageA(tray.WindowHandle(), WM_TIMER, kRetryTimer, 0);
  }

  static inline TaskTrayIcon* Current = nullptr;

  TSeamOverride<decltype(seams::ShellNotifyIcon)> ShellSeam{seams::ShellNotifyIcon, &RecordShellCall};
  TSeamOverride<decltype(seams::CursorPos)> CursorSeam{seams::CursorPos, &SteerCursor};
  TSeamOverride<decltype(seams::OpenPopupMenu)> MenuSeam{seams::OpenPopupMenu, &OpenMenu};

  std::vector<TShellCall> Calls;
  BOOL Answers[3] = {TRUE, TRUE, TRUE};
  POINT Cursor = kCursor;
  int CursorReads = 0;
  bool CursorFails = false;
  std::map<HMENU, std::string> MenuNames;
  UINT MenuCommand = 0;
  std::vector<std::string> Log;
  std::vector<std::pair<TObject*, std::wstring>> Reports;
  TIcon Picture = MakeIcon(kWhite);
};

TEST_F(TaskTrayIcon, FillsEveryRecordTheSameWay) {
  TTaskTrayIcon tray(nullptr);
  tray.Loaded();
  tray.SetIcon(&Picture);
  tray.SetHint("eyes");
  tray.SetVisible(false);

  struct TExpected {
    const char* Operation;
    HICON Icon;
    const char* Tip;
  };
  const TExpected expected[] = {
      {"add", nullptr, ""},
      {"modify", Picture.Handle(), ""},
      {"modify", Picture.Handle(), "eyes"},
      {"delete", Picture.Handle(), "eyes"},
  };
  ASSERT_EQ(Calls.size(), std::size(expected));
  for (std::size_t i = 0; i < Calls.size(); ++i) {
    const NOTIFYICONDATAA& record = Calls[i].Record;
    SCOPED_TRACE("call " + std::to_string(i));
    EXPECT_STREQ(OperationName(Calls[i].Operation), expected[i].Operation);
    EXPECT_EQ(record.cbSize, NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(record.hWnd, tray.WindowHandle());
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 1124u);
    EXPECT_EQ(record.hIcon, expected[i].Icon);
    EXPECT_EQ(Tip(record), expected[i].Tip);
  }
  EXPECT_NE(Picture.Handle(), nullptr);
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
  EXPECT_NE(first->WindowHandle(), second.WindowHandle());
  const TTaskTrayIcon* trays[] = {first.get(), &second};
  for (std::size_t i = 0; i < std::size(trays); ++i) {
    const HWND window = trays[i]->WindowHandle();
    SCOPED_TRACE("instance " + std::to_string(i + 1));
    EXPECT_EQ(Calls[i].Record.hWnd, window);
    EXPECT_EQ(Calls[i].Record.uID, 1u);
    EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow()) << "a top-level window";
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_VISIBLE), WS_POPUP);
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetClassLongPtrA(window, GCL_STYLE), 0u);
  }
  const HWND gone = first->WindowHandle();
  first.reset();
  EXPECT_FALSE(IsWindow(gone)) << "the window lives exactly as long as its component";
  EXPECT_TRUE(IsWindow(second.WindowHandle()));
}

TEST_F(TaskTrayIcon, TalksToTheShellOnlyWhenSomethingChanged) {
  using TTray = std::unique_ptr<TTaskTrayIcon>;
  struct TCase {
    const char* Steps;
    std::function<void(TTray&)> Run;
    std::vector<std::string> Operations;
  };
  TIcon samePicture;
  samePicture.Assign(&Picture);
  const TCase cases[] = {
      {"construction", [](TTray&) {}, {}},
      {"Loaded", [](TTray& t) { t->Loaded(); }, {"add"}},
      {"Visible False, then Loaded", [](TTray& t) { t->SetVisible(false); t->Loaded(); }, {"delete"}},
      {"Visible True while True", [](TTray& t) { t->SetVisible(true); }, {}},
      {"Visible False twice", [](TTray& t) { t->SetVisible(false); t->SetVisible(false); }, {"delete"}},
      {"Visible False, True, True",
       [](TTray& t) {
         t->SetVisible(false);
         t->SetVisible(true);
         t->SetVisible(true);
       },
       {"delete", "add"}},
      {"Icon written twice, then as another object of the same picture",
       [&](TTray& t) {
         t->Loaded();
         t->SetIcon(&Picture);
         t->SetIcon(&Picture);
         t->SetIcon(&samePicture);
       },
       {"add", "modify", "modify", "modify"}},
      {"its own Icon written back", [](TTray& t) { t->Loaded(); t->SetIcon(&t->Icon()); }, {"add"}},
      {"null Icon", [](TTray& t) { t->Loaded(); t->SetIcon(nullptr); }, {"add", "modify"}},
      {"same Hint twice",
       [](TTray& t) {
         t->Loaded();
         t->SetHint("eyes");
         t->SetHint("eyes");
       },
       {"add", "modify"}},
      {"the empty Hint it already has", [](TTray& t) { t->Loaded(); t->SetHint(""); }, {"add"}},
      {"Icon and Hint while invisible",
       [&](TTray& t) {
         t->SetVisible(false);
         t->SetIcon(&Picture);
         t->SetHint("eyes");
       },
       {"delete"}},
      {"Icon and Hint before Loaded",
       [&](TTray& t) {
         t->SetIcon(&Picture);
         t->SetHint("eyes");
         t->Loaded();
       },
       {"modify", "modify", "add"}},
      {"destruction while visible", [](TTray& t) { t->Loaded(); t.reset(); }, {"add", "delete"}},
      {"destruction while invisible",
       [](TTray& t) {
         t->Loaded();
         t->SetVisible(false);
         t.reset();
       },
       {"add", "delete"}},
  };
  for (const TCase& c : cases) {
    Calls.clear();
    auto tray = std::make_unique<TTaskTrayIcon>(nullptr);
    c.Run(tray);
    EXPECT_EQ(Operations(), c.Operations) << c.Steps;
  }
}

TEST_F(TaskTrayIcon, SendsWhatWasWrittenWhileInvisibleWithTheNextAdd) {
  TTaskTrayIcon tray(nullptr);
  tray.SetVisible(false);
  tray.SetIcon(&Picture);
  tray.SetHint("eyes");
  tray.SetVisible(true);
  ASSERT_EQ(Operations(), (std::vector<std::string>{"delete", "add"}));
  EXPECT_EQ(Last().hIcon, Picture.Handle());
  EXPECT_EQ(Tip(Last()), "eyes");

  tray.SetIcon(nullptr);
  EXPECT_EQ(Last().hIcon, nullptr) << "writing null empties the picture";
  EXPECT_EQ(tray.Icon().Handle(), nullptr);
}

TEST_F(TaskTrayIcon, KeepsThePictureAfterTheCallerFreesItsIcon) {
  TTaskTrayIcon tray(nullptr);
  tray.Loaded();
  HICON sent = nullptr;
  {
    const TIcon caller = MakeIcon(0x00FF00);
    tray.SetIcon(&caller);
    sent = Last().hIcon;
    EXPECT_EQ(sent, caller.Handle());
  }
  tray.SetHint("later");
  ASSERT_EQ(Operations(), (std::vector<std::string>{"add", "modify", "modify"}));
  EXPECT_EQ(Last().hIcon, sent);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(Last().hIcon, &info)) << "the shell was handed a destroyed icon";
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

// The first byte from 0x81 up that the system code page takes as the start of
// a double-byte character; 0x82 where it has none (a single-byte code page).
char LeadByte() {
  for (int byte = 0x81; byte <= 0xFE; ++byte)
    if (IsDBCSLeadByte(static_cast<BYTE>(byte))) return static_cast<char>(byte);
  return static_cast<char>(0x82);
}

std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

TEST_F(TaskTrayIcon, CutsALongHintAtACharacterBoundary) {
  const char lead = LeadByte();
  const bool doubleByte = IsDBCSLeadByte(static_cast<BYTE>(lead));
  const std::string wide{lead, 'A'};
  // Its second byte could also start a character: only walking from the start tells.
  const std::string ambiguous{lead, lead};
  const std::string a62(62, 'a');
  struct TCase {
    std::string Hint;
    std::string Tip;
  };
  const TCase cases[] = {
      {"eyes", "eyes"},
      {std::string(63, 'a'), std::string(63, 'a')},
      {std::string(64, 'a'), std::string(63, 'a')},
      {std::string(500, 'a'), std::string(63, 'a')},
      {std::string(61, 'a') + wide, std::string(61, 'a') + wide},
      {a62 + wide, doubleByte ? a62 : a62 + lead},
      {std::string(61, 'a') + wide + wide, std::string(61, 'a') + wide},
      {Repeat(wide, 32), doubleByte ? Repeat(wide, 31) : Repeat(wide, 32).substr(0, 63)},
      {"a" + Repeat(ambiguous, 32), "a" + Repeat(ambiguous, 31)},
  };
  for (const TCase& c : cases) {
    Calls.clear();
    TTaskTrayIcon tray(nullptr);
    tray.SetHint(c.Hint);
    tray.Loaded();
    ASSERT_FALSE(Calls.empty());
    EXPECT_LT(strnlen(Last().szTip, kTipBytes), kTipBytes) << "no terminating zero inside the field";
    EXPECT_EQ(Tip(Last()), c.Tip) << c.Hint.size() << " bytes, code page " << GetACP();
  }
}

TEST_F(TaskTrayIcon, TurnsEachMouseReportIntoItsEvents) {
  struct TCase {
    UINT Report;
    std::vector<std::string> Events;
  };
  const TCase cases[] = {
      {WM_MOUSEMOVE, {Move()}},
      {WM_LBUTTONDOWN, {Down("left", ssLeft)}},
      {WM_LBUTTONUP, {Up("left", ssLeft), "Click"}},
      {WM_LBUTTONDBLCLK, {"DblClick", Down("left", ssDouble)}},
      {WM_RBUTTONDOWN, {Down("right", ssRight)}},
      {WM_RBUTTONUP, {Up("right", ssRight), "Click"}},
      {WM_RBUTTONDBLCLK, {"DblClick", Down("right", ssDouble)}},
      {WM_MBUTTONDOWN, {Down("middle", ssMiddle)}},
      {WM_MBUTTONUP, {Up("middle", ssMiddle), "Click"}},
      {WM_MBUTTONDBLCLK, {}},
      {WM_MOUSEWHEEL, {}},
      {WM_XBUTTONDOWN, {}},
      {WM_CONTEXTMENU, {}},
      {NIN_SELECT, {}},
      {NIN_BALLOONUSERCLICK, {}},
      {0, {}},
  };
  TTaskTrayIcon watched(nullptr), unwatched(nullptr);
  Watch(watched);
  for (const TCase& c : cases) {
    Log.clear();
    CursorReads = 0;
    EXPECT_EQ(Callback(watched, c.Report), 0) << "report 0x" << std::hex << c.Report;
    EXPECT_EQ(Log, c.Events) << "report 0x" << std::hex << c.Report;
    EXPECT_EQ(CursorReads, 1) << "report 0x" << std::hex << c.Report;
    EXPECT_EQ(Callback(unwatched, c.Report), 0) << "report 0x" << std::hex << c.Report;
  }
  EXPECT_TRUE(Reports.empty()) << "an event that is not assigned is skipped, not called";
}

TEST_F(TaskTrayIcon, ReportsADoubleClickAsTheShellSendsIt) {
  TTaskTrayIcon tray(nullptr);
  Watch(tray);
  const std::pair<UINT, POINT> reports[] = {
      {WM_LBUTTONDOWN, {10, 20}}, {WM_LBUTTONUP, {11, 21}}, {WM_LBUTTONDBLCLK, {12, 22}}, {WM_LBUTTONUP, {13, 23}}};
  for (const auto& [report, cursor] : reports) {
    Cursor = cursor;
    Callback(tray, report);
  }
  EXPECT_EQ(Log, (std::vector<std::string>{Down("left", ssLeft, {10, 20}), Up("left", ssLeft, {11, 21}), "Click",
                                           "DblClick", Down("left", ssDouble, {12, 22}), Up("left", ssLeft, {13, 23}),
                                           "Click"}));
}

TEST_F(TaskTrayIcon, OpensTheButtonsMenuAtTheCursorBeforeReportingThePress) {
  TOwnerForm form(Log);
  TPopupMenu menuL(&form), menuR(&form);
  MenuNames = {{menuL.Handle(), "L"}, {menuR.Handle(), "R"}};
  menuR.Add({L"Blink", L"まばたき", [this](TObject*) { Log.push_back("Blink chosen"); }});
  TTaskTrayIcon tray(nullptr);
  tray.SetPopUpMenuL(&menuL);
  tray.SetPopUpMenuR(&menuR);
  Watch(tray);
  struct TCase {
    UINT Report;
    UINT Command;
    std::vector<std::string> Log;
  };
  const TCase cases[] = {
      {WM_LBUTTONDOWN, 0, {Menu("L"), Down("left", ssLeft)}},
      {WM_RBUTTONDOWN, 0, {Menu("R"), Down("right", ssRight)}},
      {WM_RBUTTONDOWN, 1, {Menu("R"), "Blink chosen", Down("right", ssRight)}},
      {WM_LBUTTONDBLCLK, 0, {"DblClick", Down("left", ssDouble)}},
      {WM_RBUTTONDBLCLK, 0, {"DblClick", Down("right", ssDouble)}},
      {WM_RBUTTONUP, 0, {Up("right", ssRight), "Click"}},
      {WM_MBUTTONDOWN, 0, {Down("middle", ssMiddle)}},
  };
  for (const TCase& c : cases) {
    Log.clear();
    MenuCommand = c.Command;
    Callback(tray, c.Report);
    EXPECT_EQ(Log, c.Log) << "report 0x" << std::hex << c.Report << ", command " << c.Command;
  }
  EXPECT_TRUE(Reports.empty());
}

TEST_F(TaskTrayIcon, BringsAFormOwnerForwardBeforeMenusAndDoubleClicks) {
  TOwnerForm form(Log);
  TComponent plainOwner(nullptr);
  TPopupMenu menu(&form);
  MenuNames = {{menu.Handle(), "R"}};
  struct TCase {
    bool FormOwner;
    UINT Report;
    std::vector<std::string> Log;
  };
  // "Posted" marks the dispatch of a message that waited in the queue.
  const TCase cases[] = {
      {true, WM_RBUTTONDOWN, {"Posted", Menu("R"), Down("right", ssRight)}},
      {true, WM_LBUTTONDOWN, {"Posted", Down("left", ssLeft)}},
      {true, WM_LBUTTONDBLCLK, {"Posted", "DblClick", Down("left", ssDouble)}},
      {true, WM_RBUTTONDBLCLK, {"Posted", "DblClick", Down("right", ssDouble)}},
      {true, WM_LBUTTONUP, {Up("left", ssLeft), "Click"}},
      {true, WM_MBUTTONDOWN, {Down("middle", ssMiddle)}},
      {true, WM_MOUSEMOVE, {Move()}},
      {false, WM_RBUTTONDOWN, {Menu("R"), Down("right", ssRight)}},
      {false, WM_LBUTTONDBLCLK, {"DblClick", Down("left", ssDouble)}},
  };
  for (const TCase& c : cases) {
    TTaskTrayIcon tray(c.FormOwner ? static_cast<TComponent*>(&form) : &plainOwner);
    tray.SetPopUpMenuR(&menu);
    Watch(tray);
    Log.clear();
    ASSERT_TRUE(PostMessageW(form.Handle(), kPosted, 0, 0));
    Callback(tray, c.Report);
    const auto story = std::string(c.FormOwner ? "form" : "plain") + " owner, report 0x";
    EXPECT_EQ(Log, c.Log) << story << std::hex << c.Report;
    Application().ProcessMessages();
    EXPECT_EQ(std::ranges::count(Log, std::string("Posted")), 1) << story << std::hex << c.Report;
  }
  EXPECT_TRUE(Reports.empty());
}

TEST_F(TaskTrayIcon, ForgetsAMenuWhenItIsDestroyed) {
  TOwnerForm form(Log);
  struct TCase {
    const char* Story;
    std::function<void(TTaskTrayIcon&, TPopupMenu&, TPopupMenu&)> Set;
    char Destroyed;  // menu 'a' or 'b', or 'c', a component that is no menu
    const char* Menus;  // what PopUpMenuL and PopUpMenuR then refer to, '-' for none
  };
  const auto aAsBoth = [](TTaskTrayIcon& t, TPopupMenu& a, TPopupMenu&) {
    t.SetPopUpMenuL(&a);
    t.SetPopUpMenuR(&a);
  };
  const auto aLeftBRight = [](TTaskTrayIcon& t, TPopupMenu& a, TPopupMenu& b) {
    t.SetPopUpMenuL(&a);
    t.SetPopUpMenuR(&b);
  };
  const auto bReplacedByA = [](TTaskTrayIcon& t, TPopupMenu& a, TPopupMenu& b) {
    t.SetPopUpMenuL(&b);
    t.SetPopUpMenuL(&a);
    t.SetPopUpMenuR(&a);
  };
  const TCase cases[] = {
      {"one menu as both", aAsBoth, 'a', "--"},
      {"the left menu", aLeftBRight, 'a', "-b"},
      {"the right menu", aLeftBRight, 'b', "a-"},
      {"a menu set before and replaced", bReplacedByA, 'b', "aa"},
      {"another component", aLeftBRight, 'c', "ab"},
  };
  for (const TCase& c : cases) {
    TTaskTrayIcon tray(nullptr);
    auto a = std::make_unique<TPopupMenu>(&form), b = std::make_unique<TPopupMenu>(&form);
    auto other = std::make_unique<TComponent>(nullptr);
    other->FreeNotification(&tray);
    MenuNames = {{a->Handle(), "a"}, {b->Handle(), "b"}};
    c.Set(tray, *a, *b);
    const std::map<TPopupMenu*, char> names = {{nullptr, '-'}, {a.get(), 'a'}, {b.get(), 'b'}};
    if (c.Destroyed == 'a') a.reset();
    if (c.Destroyed == 'b') b.reset();
    if (c.Destroyed == 'c') other.reset();
    const std::string menus{names.at(tray.PopUpMenuL()), names.at(tray.PopUpMenuR())};
    ASSERT_EQ(menus, c.Menus) << c.Story << ": a press would open a destroyed menu";

    // A press opens only a menu that is still there.
    Log.clear();
    Callback(tray, WM_LBUTTONDOWN);
    Callback(tray, WM_RBUTTONDOWN);
    std::vector<std::string> opened;
    for (const char name : std::string_view(c.Menus))
      if (name != '-') opened.push_back(Menu(std::string(1, name).c_str()));
    EXPECT_EQ(Log, opened) << c.Story;
  }
}

// Notes that a component it watches has gone.
class TWatcher : public TComponent {
 public:
  TWatcher() : TComponent(nullptr) {}
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == TOperation::opRemove) Removed.push_back(component);
  }
  std::vector<TComponent*> Removed;
};

TEST_F(TaskTrayIcon, LeavesNoTraceInAMenuThatOutlivesIt) {
  TOwnerForm form(Log);
  TWatcher watcher;
  auto menu = std::make_unique<TPopupMenu>(&form);
  menu->FreeNotification(&watcher);
  alignas(TTaskTrayIcon) std::byte storage[sizeof(TTaskTrayIcon)];
  auto* tray = new (storage) TTaskTrayIcon(nullptr);
  tray->SetPopUpMenuL(menu.get());
  tray->SetPopUpMenuR(menu.get());
  tray->~TTaskTrayIcon();
  // Whatever still pointed at the component would now meet garbage and crash.
  std::memset(storage, 0xA5, sizeof storage);
  TComponent* const gone = menu.get();
  menu.reset();
  EXPECT_EQ(watcher.Removed, std::vector<TComponent*>{gone});
}

TEST_F(TaskTrayIcon, HandsAFailureToTheApplicationAndCarriesOn) {
  TOwnerForm form(Log);
  TPopupMenu menu(&form);
  MenuNames = {{menu.Handle(), "R"}};
  menu.Add({L"Fail", L"失敗", [](TObject*) { throw EToviError(L"目が回る"); }});
  const auto fail = [](auto&&...) { throw EToviError(L"目が回る"); };
  struct TCase {
    const char* Where;
    std::function<void(TTaskTrayIcon&)> Arrange;
    UINT Report;
  };
  const TCase cases[] = {
      {"reading the cursor", [this](TTaskTrayIcon&) { CursorFails = true; }, WM_MOUSEMOVE},
      {"a menu command", [this](TTaskTrayIcon&) { MenuCommand = 1; }, WM_RBUTTONDOWN},
      {"OnMouseMove", [=](TTaskTrayIcon& t) { t.OnMouseMove = fail; }, WM_MOUSEMOVE},
      {"OnMouseDown", [=](TTaskTrayIcon& t) { t.OnMouseDown = fail; }, WM_LBUTTONDOWN},
      {"OnMouseUp", [=](TTaskTrayIcon& t) { t.OnMouseUp = fail; }, WM_RBUTTONUP},
      {"OnClick", [=](TTaskTrayIcon& t) { t.OnClick = fail; }, WM_MBUTTONUP},
      {"OnDblClick", [=](TTaskTrayIcon& t) { t.OnDblClick = fail; }, WM_LBUTTONDBLCLK},
  };
  for (const TCase& c : cases) {
    TTaskTrayIcon tray(nullptr);
    tray.Loaded();
    tray.SetPopUpMenuR(&menu);
    c.Arrange(tray);
    Reports.clear();
    EXPECT_EQ(Callback(tray, c.Report), 0) << c.Where;
    ASSERT_EQ(Reports.size(), 1u) << c.Where;
    EXPECT_EQ(Reports[0].first, &tray) << c.Where;
    EXPECT_EQ(Reports[0].second, L"目が回る") << c.Where;

    CursorFails = false;
    MenuCommand = 0;
    Watch(tray);
    Forget();
    tray.SetHint(c.Where);
    Callback(tray, WM_RBUTTONUP);
    EXPECT_EQ(Operations(), std::vector<std::string>{"modify"}) << c.Where;
    EXPECT_EQ(Log, (std::vector<std::string>{Up("right", ssRight), "Click"})) << c.Where;
  }
}

TEST_F(TaskTrayIcon, TakesItsIconAwayWhenTheSessionEnds) {
  auto tray = std::make_unique<TTaskTrayIcon>(nullptr);
  tray->Loaded();
  Calls.clear();
  EXPECT_EQ(SendMessageA(tray->WindowHandle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 1);
  EXPECT_TRUE(tray->Visible());
  tray->SetIcon(&Picture);
  tray.reset();
  EXPECT_EQ(Operations(), (std::vector<std::string>{"delete", "modify", "delete"}));
}

TEST_F(TaskTrayIcon, AddsItsIconAgainWhenTheTaskBarIsRebuilt) {
  for (const bool visible : {true, false}) {
    TTaskTrayIcon tray(nullptr);
    tray.Loaded();
    tray.SetHint("eyes");
    tray.SetVisible(visible);
    Calls.clear();
    EXPECT_EQ(SendMessageA(tray.WindowHandle(), TaskbarCreated, 0, 0), 0);
    if (visible) {
      EXPECT_EQ(Operations(), std::vector<std::string>{"add"});
      EXPECT_EQ(Tip(Last()), "eyes");
    } else {
      EXPECT_TRUE(Calls.empty()) << "an invisible icon stays away";
    }
  }
}

TEST_F(TaskTrayIcon, OffersARefusedIconAgainUntilTheShellTakesIt) {
  struct TCase {
    const char* Trigger;
    std::function<void(TTaskTrayIcon&)> Prepare, Run;
  };
  const TCase cases[] = {
      {"Loaded", [](TTaskTrayIcon&) {}, [](TTaskTrayIcon& t) { t.Loaded(); }},
      {"Visible False to True", [](TTaskTrayIcon& t) { t.SetVisible(false); },
       [](TTaskTrayIcon& t) { t.SetVisible(true); }},
      {"TaskbarCreated", [](TTaskTrayIcon& t) { t.Loaded(); },
       [](TTaskTrayIcon& t) { SendMessageA(t.WindowHandle(), TaskbarCreated, 0, 0); }},
  };
  const std::vector<std::string> refused{"add", "modify"};
  for (const TCase& c : cases) {
    Answers[NIM_ADD] = Answers[NIM_MODIFY] = TRUE;
    TTaskTrayIcon tray(nullptr);
    c.Prepare(tray);
    Answers[NIM_ADD] = Answers[NIM_MODIFY] = FALSE;
    Calls.clear();
    c.Run(tray);
    EXPECT_EQ(Operations(), refused) << c.Trigger << ": an add the shell refused, and no icon it still holds";
    EXPECT_TRUE(KillTimer(tray.WindowHandle(), kRetryTimer)) << c.Trigger << ": no retry armed";

    Calls.clear();
    RetryTick(tray);
    EXPECT_EQ(Operations(), refused) << c.Trigger << ": the retry";
    Answers[NIM_ADD] = TRUE;
    Calls.clear();
    RetryTick(tray);
    EXPECT_EQ(Operations(), std::vector<std::string>{"add"}) << c.Trigger << ": the retry the shell takes";
    EXPECT_FALSE(KillTimer(tray.WindowHandle(), kRetryTimer)) << c.Trigger << ": still retrying";
    Calls.clear();
    RetryTick(tray);
    EXPECT_TRUE(Calls.empty()) << c.Trigger << ": a late tick";
  }
}

TEST_F(TaskTrayIcon, RetriesNoIconTheShellHoldsOrTheUserHid) {
  struct TCase {
    const char* Story;
    BOOL ModifyAnswer;
    bool HideAfterwards;
    std::vector<std::string> Operations;
  };
  const TCase cases[] = {
      {"the shell still holds the icon", TRUE, false, {"add", "modify"}},
      {"hidden while the shell refused it", FALSE, true, {"add", "modify", "delete"}},
  };
  for (const TCase& c : cases) {
    TTaskTrayIcon tray(nullptr);
    Answers[NIM_ADD] = FALSE;
    Answers[NIM_MODIFY] = c.ModifyAnswer;
    Calls.clear();
    tray.Loaded();
    if (c.HideAfterwards) tray.SetVisible(false);
    RetryTick(tray);
    EXPECT_EQ(Operations(), c.Operations) << c.Story;
  }
}

TEST_F(TaskTrayIcon, LeavesOtherMessagesToTheDefaultProcedure) {
  TTaskTrayIcon tray(nullptr);
  tray.Loaded();
  Calls.clear();
  const HWND window = tray.WindowHandle();
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 0) << "the title is empty";
  EXPECT_TRUE(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("eyes")));
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 4);
  EXPECT_EQ(SendMessageA(window, WM_TIMER, kRetryTimer + 1, 0), 0);
  RetryTick(tray);
  EXPECT_TRUE(Calls.empty()) << "no retry without a refusal";
  EXPECT_FALSE(IsWindowVisible(window));
}

}  // namespace
}  // namespace tovi
