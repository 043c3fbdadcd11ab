// The soak: the eyes' composition and publication, run 200,000 times in one
// process, must leave no GDI or USER object behind and no growing memory.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "app/eye_publisher.h"
#include "components/task_tray_icon.h"
#include "core/eye_picture.h"
#include "core/image_set.h"
#include "gui_object_count.h"
#include "picture_folder.h"
#include "toolkit/icon.h"
#include "toolkit/image_file.h"
#include "toolkit/seams.h"

namespace tovi {
namespace {

constexpr int kRounds = 200'000;
// Wine loads cursors, fonts and caches on first use: the baseline comes after these.
constexpr int kWarmUpRounds = 2'000;
// The real shell takes milliseconds a call (a cross-process message, and
// explorer repaints), so 200,000 rounds of it would take a quarter of an hour:
// one round in this many goes to it, the others to a stand-in that does what
// the shell's code does inside our process.
constexpr int kRealShellEvery = 50;
constexpr std::size_t kAllowedGrowth = 1u << 20;
constexpr auto kTaskBarWait = std::chrono::seconds(60);

bool WaitForTaskBar() {
  const auto deadline = std::chrono::steady_clock::now() + kTaskBarWait;
  while (FindWindowA("Shell_TrayWnd", nullptr) == nullptr) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(100);
  }
  return true;
}

// What every call to the shell came to.
struct TShellTally {
  bool UseRealShell = true;
  long RealCalls = 0;
  long StandInCalls = 0;
  long Refused = 0;
};
TShellTally Tally;

bool CopyBits(HBITMAP bitmap) {
  BITMAP header{};
  if (GetObjectW(bitmap, sizeof header, &header) != sizeof header || header.bmWidth != kEyeSize) return false;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(header.bmWidthBytes) * header.bmHeight);
  return GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data()) > 0;
}

// Wine's Shell_NotifyIcon reads the icon's bitmaps in the caller's process
// before it sends them to explorer; the stand-in does the same, so an icon
// that is gone by the time it is published is refused.
BOOL StandInShell(PNOTIFYICONDATAA data) {
  ICONINFO info{};
  if (data->hIcon == nullptr || !GetIconInfo(data->hIcon, &info)) return FALSE;
  const bool copied = CopyBits(info.hbmColor) && CopyBits(info.hbmMask);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return copied;
}

BOOL WINAPI CountingShell(DWORD operation, PNOTIFYICONDATAA data) {
  BOOL accepted;
  if (Tally.UseRealShell) {
    ++Tally.RealCalls;
    accepted = Shell_NotifyIconA(operation, data);
  } else {
    ++Tally.StandInCalls;
    accepted = StandInShell(data);
  }
  if (!accepted) ++Tally.Refused;
  return accepted;
}

std::string Describe(const TGuiObjectCount& count) {
  return std::to_string(count.Gdi) + " GDI and " + std::to_string(count.User) + " USER objects (" +
         count.Detail + ")";
}

TEST(GuiObjectCount, SeesOneLeakedBitmapAndOneLeakedIcon) {
  {
    // The first icon makes Wine load its system cursors; they stay for good.
    const TUniqueIcon first = IconFromPicture(TRaster(16, 16, kWhite), TRaster(16, 16, kBlack));
  }
  SCOPED_TRACE(GuiObjectCountMethod());
  const TGuiObjectCount before = CountGuiObjects();

  const HBITMAP leakedBitmap = CreateBitmap(16, 16, 1, 32, nullptr);
  ASSERT_NE(leakedBitmap, nullptr);
  const TGuiObjectCount withBitmap = CountGuiObjects();
  EXPECT_EQ(withBitmap.Gdi - before.Gdi, 1) << "one bitmap left: " << Describe(before) << " became "
                                            << Describe(withBitmap);
  EXPECT_EQ(withBitmap.User, before.User) << Describe(before) << " became " << Describe(withBitmap);

  const HICON leakedIcon = IconFromPicture(TRaster(16, 16, kWhite), TRaster(16, 16, kBlack)).Release();
  const TGuiObjectCount withIcon = CountGuiObjects();
  EXPECT_EQ(withIcon.User - withBitmap.User, 1) << "one icon left: " << Describe(withBitmap) << " became "
                                                << Describe(withIcon);

  DestroyIcon(leakedIcon);
  DeleteObject(leakedBitmap);
  const TGuiObjectCount after = CountGuiObjects();
  EXPECT_EQ(after.Gdi, before.Gdi) << Describe(before) << " became " << Describe(after);
  EXPECT_EQ(after.User, before.User) << Describe(before) << " became " << Describe(after);
}

TEST(PrivateBytes, SeeFourMegabytesWrittenAndGivenBack) {
  constexpr std::size_t kSize = 4u << 20;
  const std::size_t before = PrivateBytes();
  std::vector<char> block(kSize);
  std::memset(block.data(), 1, block.size());
  const std::size_t holding = PrivateBytes();
  EXPECT_GE(holding, before + kSize * 9 / 10) << "before " << before << ", holding " << holding;
  block = {};
  block.shrink_to_fit();
  EXPECT_LT(PrivateBytes(), holding - kSize / 2);
}

TEST(Soak, TwoHundredThousandPublicationsLeaveNothingBehind) {
  ASSERT_TRUE(WaitForTaskBar()) << "no task bar (Shell_TrayWnd) to publish the icons to";
  TFolderImageLoader loader(PictureFolder());
  const TImageSet images = LoadImageSet(loader, kEyeSize);
  const TRaster mask = IconMask(images.FBaseMask);
  const auto sequence = static_cast<std::int32_t>(images.FBlinkSequence.size());
  ASSERT_GT(images.FEyeList.Count(), 0);

  Tally = {};
  TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &CountingShell);
  TTaskTrayIcon tray1(nullptr), tray2(nullptr);
  tray1.Loaded();
  tray2.Loaded();
  ASSERT_EQ(Tally.Refused, 0) << "the shell refused to add the icons";

  // A new picture for nearly every round, as when the cursor never stops and the eyes blink all the time.
  TEyePublisher publisher(tray1, tray2);
  long published = 0;
  const auto publish = [&](int round) {
    Tally.UseRealShell = round % kRealShellEvery == 0;
    const double theta = 2 * std::numbers::pi * (round % 360) / 360.0 - std::numbers::pi;
    const std::int32_t blinkPos = round % (sequence + 2) - 2;
    if (publisher.Publish(ComposeEye(images, mask, round % images.FEyeList.Count(), theta, blinkPos))) ++published;
  };

  for (int round = 0; round < kWarmUpRounds; ++round) publish(round);
  const TGuiObjectCount before = CountGuiObjects();
  const std::size_t privateBefore = PrivateBytes();
  Tally = {};
  published = 0;

  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < kRounds; ++round) publish(round);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

  const TGuiObjectCount after = CountGuiObjects();
  const std::size_t privateAfter = PrivateBytes();
  Tally.UseRealShell = true;

  std::printf("soak: %d rounds in %.1f s, %ld published; %ld real and %ld stand-in shell calls; %s: %s -> %s; "
              "private %zu -> %zu bytes\n",
              kRounds, took.count(), published, Tally.RealCalls, Tally.StandInCalls, GuiObjectCountMethod(),
              Describe(before).c_str(), Describe(after).c_str(), privateBefore, privateAfter);
  EXPECT_EQ(Tally.RealCalls + Tally.StandInCalls, 2 * published) << "each publication reaches both icons";
  EXPECT_GT(published, kRounds * 9L / 10) << "the rounds were meant to change the picture";
  EXPECT_EQ(Tally.Refused, 0) << "publications the shell refused";
  EXPECT_EQ(after.Gdi, before.Gdi) << "GDI objects left behind: " << Describe(before) << " became "
                                   << Describe(after);
  EXPECT_EQ(after.User, before.User) << "USER objects left behind: " << Describe(before) << " became "
                                     << Describe(after);
  EXPECT_LE(privateAfter, privateBefore + kAllowedGrowth)
      << "private memory grew by " << (privateAfter - privateBefore) << " bytes";
}

}  // namespace
}  // namespace tovi
