#include "app/eye_publisher.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/eyes.h"
#include "seam_override.h"

namespace tovi {
namespace {

int Modifies = 0;

BOOL WINAPI CountModifies(DWORD operation, PNOTIFYICONDATAA) {
  Modifies += operation == NIM_MODIFY;
  return TRUE;
}

TEST(EyePublisher, HandsTheShellEachPictureThatLooksDifferentAndNoOther) {
  // A plain white eye whose first two eyelid frames look alike: 4, 4 and 15 rows deep.
  TImageSet images{TRaster(16, 16, kWhite), TRaster(16, 16, kBlack), {}, BlinkSequence(3), {}};
  for (const int rows : {4, 4, 15}) {
    TRaster lid(16, 16, 0xFF00FF);
    lid.Draw(TRaster(16, rows, 0x7090E0), 0, 0, TRasterOp::Copy);
    images.FCapList.Add(lid);
  }
  const TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &CountModifies);
  TTaskTrayIcon tray1(nullptr), tray2(nullptr);
  TEyePublisher publisher(tray1, tray2);
  TEyes eyes(images);
  int composed = 0, published = 0;
  std::uint32_t now = 1000;
  const auto tick = [&] {
    const auto picture = eyes.Tick({now += 10, {300, 590}, {100, 580, 200, 600}}, {.FBlink = false});
    composed += picture.has_value();
    published += picture && publisher.Publish(*picture);
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
