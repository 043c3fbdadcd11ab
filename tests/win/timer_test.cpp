#include "toolkit/timer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serve_until.h"
#include "toolkit/application.h"
#include "toolkit/errors.h"
#include "toolkit/form.h"

namespace tovi {
namespace {

TEST(Timer, EachTickReachesItsOwnTimerAndAFailingOneIsReportedWithoutStoppingIt) {
  std::vector<std::wstring> reports;
  Application().OnException = [&](TObject* sender, const std::wstring& text) {
    reports.push_back(text + (sender == nullptr ? L" from nobody" : L""));
  };
  // The timers tick through a window the program has already.
  const TForm form({.ClassName = L"ToviTimerTestWindow", .Caption = L"", .Style = WS_POPUP});
  TTimer first(nullptr, form), second(nullptr, form), stopped(nullptr, form);
  int firstTicks = 0, secondTicks = 0, stoppedTicks = 0;
  for (TTimer* timer : {&first, &second, &stopped}) {
    timer->SetInterval(10);
    timer->SetEnabled(true);
  }
  first.OnTimer = [&](TObject* sender) {
    EXPECT_EQ(sender, &first) << "a tick names another timer";
    if (++firstTicks == 2) throw EToviError(L"second tick");
  };
  second.OnTimer = [&](TObject*) { ++secondTicks; };
  stopped.OnTimer = [&](TObject*) { ++stoppedTicks; };
  stopped.SetEnabled(false);

  testing::ServeUntil([&] { return firstTicks >= 4 && secondTicks >= 4; });
  Application().OnException = nullptr;

  EXPECT_GE(firstTicks, 4) << "the timer stopped after its failing tick";
  EXPECT_GE(secondTicks, 4) << "a timer beside it did not tick";
  EXPECT_EQ(stoppedTicks, 0) << "a disabled timer ticked";
  EXPECT_EQ(reports, std::vector<std::wstring>{L"second tick"}) << "the failing tick was not reported once, by its timer";
}

}  // namespace
}  // namespace tovi
