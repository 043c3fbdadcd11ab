#include "toolkit/task_bar.h"

#include <gtest/gtest.h>

#include <tuple>

#include "seam_override.h"

namespace tovi {
namespace {

seams::TTrayWindow ShellAnswer;
int Searches = 0;

seams::TTrayWindow AskShell() {
  ++Searches;
  return ShellAnswer;
}

HWND HiddenWindow(int left, int top, int width, int height) {
  return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, left, top, width, height, nullptr, nullptr, nullptr, nullptr);
}

TEST(NotificationArea, IsMeasuredTwiceASecondAndLookedForAgainOnceASecondWhileTheTaskBarStandsIn) {
  const TSeamOverride<decltype(seams::FindNotificationArea)> seam(seams::FindNotificationArea, &AskShell);
  const HWND taskBar = HiddenWindow(0, 560, 800, 40), area = HiddenWindow(700, 565, 90, 30);
  const TRect bar{0, 560, 800, 600}, raised{0, 520, 800, 560}, areaRect{700, 565, 790, 595}, none{};
  // the tick count, what a search finds then, the task bar's top, the area closed; the rectangle, the searches
  const std::tuple<std::uint32_t, seams::TTrayWindow, int, bool, TRect, int, const char*> steps[] = {
      {4'294'967'000u, {}, 560, false, none, 1, "no task bar: the screen's corner"},
      {4'294'967'295u, {taskBar, true}, 560, false, none, 1, "nothing asked within half a second"},
      {704, {taskBar, true}, 560, false, bar, 2, "a second later, across the counter's wrap: the task bar stands in"},
      {1203, {taskBar, true}, 520, false, bar, 2, "a moved task bar is not measured within half a second"},
      {1204, {area, false}, 520, false, raised, 2, "half a second on, the moved task bar is followed, not searched"},
      {1704, {area, false}, 520, false, areaRect, 3, "the area, once the shell has made it, a second after the search"},
      {60'000, {taskBar, true}, 520, false, areaRect, 3, "the area found is kept, not searched for again"},
      {60'010, {taskBar, true}, 520, true, areaRect, 3, "an area gone is not seen between measurements"},
      {60'500, {taskBar, true}, 520, false, raised, 4, "an area gone is searched for at the next measurement"},
  };
  TNotificationArea notificationArea;
  for (const auto& [now, shell, barTop, closeArea, rect, searches, reason] : steps) {
    ShellAnswer = shell;
    SetWindowPos(taskBar, nullptr, 0, barTop, 800, 40, SWP_NOZORDER | SWP_NOACTIVATE);
    if (closeArea) DestroyWindow(area);
    EXPECT_EQ(std::tuple(notificationArea.Rect(now), Searches), std::tuple(rect, searches)) << reason;
  }
  DestroyWindow(taskBar);
}

}  // namespace
}  // namespace tovi
