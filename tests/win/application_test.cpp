#include "toolkit/application.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/errors.h"

namespace tovi {
namespace {

// The text of every message box the user was shown, in order; errors raised while the first is open.
std::vector<std::wstring> Shown;
std::vector<std::wstring> RaisedDuringFirst;
HWND Answered = nullptr;

void Report(const std::wstring& text) {
  try {
    throw EToviError(text);
  } catch (...) {
    Application().HandleException(nullptr);
  }
}

HWND OpenMessageBox() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM result) -> BOOL {
        wchar_t name[16]{};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Runs inside the message box's own loop: notes the box, raises more errors while the first is open, answers it.
void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR, DWORD) {
  const HWND box = OpenMessageBox();
  if (box == nullptr || box == Answered) return;
  wchar_t text[256]{};
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  Shown.emplace_back(text);
  if (Shown.size() == 1)
    for (const std::wstring& error : RaisedDuringFirst) Report(error);
  Answered = box;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(Application, ShowsEachDistinctErrorOnceAndOneBoxAtATime) {
  struct TCase {
    std::vector<std::wstring> Raised;  // while the box of "first" is open
    std::vector<std::wstring> Shown;
    const char* Reason;
  };
  const TCase cases[] = {
      {{L"first"}, {L"first"}, "the error on every tick is not stacked"},
      {{L"second", L"first", L"second", L"third"}, {L"first", L"second", L"third"},
       "later errors wait their turn, repeats of one showing or waiting are dropped"},
  };
  for (const TCase& c : cases) {
    Shown.clear();
    Answered = nullptr;
    RaisedDuringFirst = c.Raised;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &AnswerTheBox);
    Report(L"first");
    KillTimer(nullptr, timer);
    // Each case starts with "first" again: an error answered before is worth telling anew.
    EXPECT_EQ(Shown, c.Shown) << c.Reason;
  }
}

}  // namespace
}  // namespace tovi
