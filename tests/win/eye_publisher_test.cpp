#include "app/eye_publisher.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "seam_override.h"

namespace tovi {
namespace {

int Modifies = 0;
TEyePublisher* Publisher;
const TEyePicture* Nested;  // published once from inside the next modify, as a tick a tray callback runs

BOOL WINAPI CountModifies(DWORD operation, PNOTIFYICONDATAA) {
  Modifies += operation == NIM_MODIFY;
  if (operation == NIM_MODIFY && Nested) Publisher->Publish(*std::exchange(Nested, nullptr));
  return TRUE;
}

TEST(EyePublisher, HandsBothIconsEachPictureThatDiffersFromTheLastAndNoOther) {
  const TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &CountModifies);
  TTaskTrayIcon tray1(nullptr), tray2(nullptr);
  TEyePublisher publisher(tray1, tray2);
  Publisher = &publisher;
  const TEyePicture white{TRaster(16, 16, kWhite), TRaster(16, 16, kBlack)};
  TEyePicture dotted = white, masked = white;
  dotted.Colours.SetPixel(15, 15, kBlack);
  masked.Mask.SetPixel(0, 0, kWhite);
  // in turn: the picture, one published from inside the first icon's change, whether published, how many changes
  const std::tuple<const char*, const TEyePicture&, const TEyePicture*, bool, int> cases[] = {
      {"white", white, nullptr, true, 2},
      {"white again", white, nullptr, false, 0},
      {"a pixel darker", dotted, nullptr, true, 2},
      {"a pixel of mask clear", masked, nullptr, true, 2},
      {"white after it", white, nullptr, true, 2},
      // The newer goes to both icons, the older to the first only.
      {"masked, and dotted during it", masked, &dotted, true, 3},
      {"dotted again", dotted, nullptr, false, 0},
      {"masked again", masked, nullptr, true, 2},
  };
  for (const auto& [what, picture, nested, published, changes] : cases) {
    const int before = Modifies;
    Nested = nested;
    const bool handed = publisher.Publish(picture);
    EXPECT_EQ(std::pair(handed, Modifies - before), std::pair(published, changes))
        << what << ": published, and the icons changed";
    EXPECT_EQ(tray1.Icon().Handle(), tray2.Icon().Handle()) << what << ": the eyes differ";
  }
}

}  // namespace
}  // namespace tovi
