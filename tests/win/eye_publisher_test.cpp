#include "app/eye_publisher.h"

#include <gtest/gtest.h>

#include <tuple>

#include "seam_override.h"

namespace tovi {
namespace {

int Modifies = 0;

BOOL WINAPI CountModifies(DWORD operation, PNOTIFYICONDATAA) {
  Modifies += operation == NIM_MODIFY;
  return TRUE;
}

TEST(EyePublisher, HandsBothIconsEachPictureThatDiffersFromTheLastAndNoOther) {
  const TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &CountModifies);
  TTaskTrayIcon tray1(nullptr), tray2(nullptr);
  TEyePublisher publisher(tray1, tray2);
  const TEyePicture white{TRaster(16, 16, kWhite), TRaster(16, 16, kBlack)};
  TEyePicture dotted = white, masked = white;
  dotted.Colours.SetPixel(15, 15, kBlack);
  masked.Mask.SetPixel(0, 0, kWhite);
  // in turn: the picture, whether both icons get it
  const std::tuple<const char*, const TEyePicture&, bool> cases[] = {
      {"white", white, true},
      {"white again", white, false},
      {"a pixel darker", dotted, true},
      {"a pixel of mask clear", masked, true},
      {"that again", masked, false},
      {"white after it", white, true},
  };
  for (const auto& [what, picture, handed] : cases) {
    const int before = Modifies;
    const bool published = publisher.Publish(picture);
    EXPECT_EQ(std::pair(published, Modifies - before), std::pair(handed, handed ? 2 : 0))
        << what << ": published, and the icons changed";
  }
}

}  // namespace
}  // namespace tovi
