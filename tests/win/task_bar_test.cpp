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

TEST(NotificationArea, IsMeasuredAtEachAskingAndLookedForAgainWhileTheTaskBarStandsInOrTheAreaHasGone) {
  const TSeamOverride<decltype(seams::FindNotificationArea)> seam(seams::FindNotificationArea, &AskShell);
  const HWND taskBar = HiddenWindow(0, 560, 800, 40), area = HiddenWindow(700, 565, 90, 30);
  const TRect bar{0, 560, 800, 600}, raised{0, 520, 800, 560}, none{};
  // what a search finds, the task bar's top, the area's left or -1 to close it; the rectangle, the searches so far
  const std::tuple<seams::TTrayWindow, int, int, TRect, int, const char*> steps[] = {
      {{}, 560, 700, none, 1, "no task bar: the screen's corner"},
      {{taskBar, true}, 560, 700, bar, 2, "the task bar stands in"},
      {{taskBar, true}, 520, 700, raised, 3, "and is looked for again: a shell starting adds the area later"},
      {{area, false}, 520, 700, {700, 565, 790, 595}, 4, "the area, once the shell has made it"},
      {{taskBar, true}, 520, 600, {600, 565, 690, 595}, 4, "the area found is followed, not searched for again"},
      {{taskBar, true}, 520, -1, raised, 5, "an area gone is searched for again"},
  };
  TNotificationArea notificationArea;
  for (const auto& [shell, barTop, areaLeft, rect, searches, reason] : steps) {
    ShellAnswer = shell;
    SetWindowPos(taskBar, nullptr, 0, barTop, 800, 40, SWP_NOZORDER | SWP_NOACTIVATE);
    if (areaLeft < 0) DestroyWindow(area);
    else SetWindowPos(area, nullptr, areaLeft, 565, 90, 30, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(std::tuple(notificationArea.Rect(), Searches), std::tuple(rect, searches)) << reason;
  }
  DestroyWindow(taskBar);
}

}  // namespace
}  // namespace tovi
