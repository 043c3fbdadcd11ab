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
  // The timers tick through a window the program has already; the first fails at its second tick, the last is off.
  const TForm form({.ClassName = L"ToviTimerTestWindow", .Caption = L"", .Style = WS_POPUP});
  TTimer timers[] = {{nullptr, form}, {nullptr, form}, {nullptr, form}};
  int ticks[3] = {};
  for (int i = 0; i < 3; ++i) {
    timers[i].SetInterval(10);
    timers[i].SetEnabled(true);
    timers[i].OnTimer = [&, i](TObject* sender) {
      ticks[i] += sender == &timers[i] ? 1 : 100;  // a tick naming another timer
      if (i == 0 && ticks[i] == 2) throw EToviError(L"second tick");
    };
  }
  timers[2].SetEnabled(false);
  testing::ServeUntil([&] { return ticks[0] >= 4 && ticks[1] >= 4; });
  Application().OnException = nullptr;
  EXPECT_TRUE(ticks[0] >= 4 && ticks[0] < 100 && ticks[1] >= 4 && ticks[1] < 100 && ticks[2] == 0)
      << ticks[0] << " " << ticks[1] << " " << ticks[2] << ": the failing one, the one beside it, the disabled one";
  EXPECT_EQ(reports, std::vector<std::wstring>{L"second tick"}) << "the failing tick not reported once, by its timer";
}

}  // namespace
}  // namespace tovi
