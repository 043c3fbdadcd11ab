#include "app/eye_publisher.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <tuple>

#include "core/eyes.h"
#include "toolkit/seams.h"

namespace tovi {
namespace {

constexpr TColorRef kKey = 0xFF00FF, kLid = 0x7090E0;

int Modifies = 0;

BOOL WINAPI CountModifies(DWORD operation, PNOTIFYICONDATAA) {
  if (operation == NIM_MODIFY) ++Modifies;
  return TRUE;
}

// A plain white eye whose first two eyelid frames look alike: 4, 4 and 15 rows deep.
TImageSet EyeWithTwoLikeLids() {
  TImageSet images;
  images.FBaseBitmap = TRaster(16, 16, kWhite);
  images.FBaseMask = TRaster(16, 16, kBlack);
  for (int rows : {4, 4, 15}) {
    TRaster lid(16, 16, kKey);
    lid.Draw(TRaster(16, rows, kLid), 0, 0, TRasterOp::Copy);
    images.FCapList.Add(lid);
  }
  images.FBlinkSequence = BlinkSequence(3);
  return images;
}

TEST(EyePublisher, HandsTheShellEachPictureThatLooksDifferentAndNoOther) {
  const TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &CountModifies);
  TTaskTrayIcon tray1(nullptr), tray2(nullptr);
  tray1.Loaded();
  tray2.Loaded();
  TEyePublisher publisher(tray1, tray2);
  TEyes eyes(EyeWithTwoLikeLids());
  Modifies = 0;
  int composed = 0, published = 0;
  std::uint32_t now = 1000;
  const auto tick = [&] {
    const auto picture = eyes.Tick({now += 10, {300, 590}, {100, 580, 200, 600}}, {.FBlink = false});
    if (!picture) return;
    ++composed;
    if (publisher.Publish(*picture)) ++published;
  };
  tick();
  tick();
  // A click on a still cursor: eyelids 4 (new), 15, 4, 4 (alike), then open (new) and open.
  eyes.StartBlink();
  for (int i = 0; i < 10; ++i) tick();
  EXPECT_EQ(std::tuple(composed, published, Modifies), std::tuple(8, 5, 10))
      << "pictures composed, published, and the shell's changes of the two icons";
}

}  // namespace
}  // namespace tovi
