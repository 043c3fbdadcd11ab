#include "toolkit/task_bar.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "toolkit/seams.h"

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

TEST(NotificationArea, StandsInWithTheTaskBarAndLooksForTheAreaAgainOnceASecond) {
  const TSeamOverride<decltype(seams::FindNotificationArea)> seam(seams::FindNotificationArea, &AskShell);
  const HWND taskBar = HiddenWindow(0, 560, 800, 40);
  HWND area = HiddenWindow(700, 565, 90, 30);
  const TRect bar{0, 560, 800, 600}, areaRect{700, 565, 790, 595}, none{};
  struct TStep {
    std::uint32_t Now;
    seams::TTrayWindow Shell;  // what a search finds at that moment
    bool CloseArea;
    TRect Expected;
    int Searches;
    const char* Reason;
  };
  const std::vector<TStep> steps = {
      {4'294'967'000u, {}, false, none, 1, "no task bar: the screen's corner"},
      {4'294'967'295u, {taskBar, true}, false, none, 1, "no search within the second"},
      {704, {taskBar, true}, false, bar, 2, "a second later, across the counter's wrap: the task bar stands in"},
      {1703, {area, false}, false, bar, 2, "the stand-in is only measured within the second"},
      {1704, {area, false}, false, areaRect, 3, "the area, once the shell has made it"},
      {60'000, {taskBar, true}, false, areaRect, 3, "the area found is kept, not searched for again"},
      {60'010, {taskBar, true}, true, bar, 4, "an area gone is searched for at once"},
  };
  TNotificationArea notificationArea;
  Searches = 0;
  for (const TStep& step : steps) {
    ShellAnswer = step.Shell;
    if (step.CloseArea) DestroyWindow(area);
    EXPECT_EQ(notificationArea.Rect(step.Now), step.Expected) << step.Reason;
    EXPECT_EQ(Searches, step.Searches) << step.Reason;
  }
  DestroyWindow(taskBar);
}

}  // namespace
}  // namespace tovi
