#include "toolkit/application.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/errors.h"

namespace tovi {
namespace {

std::vector<std::wstring> Shown, RaisedDuringFirst;  // the boxes' texts; errors raised while the first is open
HWND Answered;

void Report(const std::wstring& text) {
  try {
    throw EToviError(text);
  } catch (...) {
    Application().HandleException(nullptr);
  }
}

// Runs inside the message box's own loop: notes its text, raises more errors while the first is open, answers it.
void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM found) {
    wchar_t name[8]{};
    GetClassNameW(window, name, 8);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr || box == Answered) return;
  wchar_t text[64]{};
  GetDlgItemTextW(box, 0xFFFF, text, 64);
  Shown.emplace_back(text);
  if (Shown.size() == 1)
    for (const std::wstring& error : RaisedDuringFirst) Report(error);
  Answered = box;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(Application, ShowsEachDistinctErrorOnceAndOneBoxAtATime) {
  // Each case starts with "first" again: an error answered before is worth telling anew.
  const std::tuple<std::vector<std::wstring>, std::vector<std::wstring>, const char*> cases[] = {
      {{L"first"}, {L"first"}, "the error on every tick is not stacked"},
      {{L"second", L"first", L"second", L"third"}, {L"first", L"second", L"third"},
       "later errors wait their turn, repeats of one showing or waiting are dropped"},
  };
  for (const auto& [raised, shown, reason] : cases) {
    Shown.clear();
    Answered = nullptr;
    RaisedDuringFirst = raised;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &AnswerTheBox);
    Report(L"first");
    KillTimer(nullptr, timer);
    EXPECT_EQ(Shown, shown) << reason;
  }
}

TEST(ExceptionText, GivesTheUserTheRightText) {
  const std::pair<std::exception_ptr, std::wstring> cases[] = {
      {std::make_exception_ptr(EToviError(L"目")), L"目"},
      {std::make_exception_ptr(std::runtime_error("\xE7\x9B\xAE")), L"目"},
      {std::make_exception_ptr(std::bad_alloc()), L"メモリが足りません"},
      {std::make_exception_ptr(42), L"不明なエラーが起きました"},
  };
  for (const auto& [error, text] : cases) EXPECT_EQ(ExceptionText(error), text);
  EXPECT_STREQ(EToviError(L"目").what(), "\xE7\x9B\xAE");
}

}  // namespace
}  // namespace tovi
