// The soak: the eyes' composition and publication, run 200,000 times in one
// process, must leave no GDI object or icon behind and no growing memory.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "app/eye_publisher.h"
#include "components/task_tray_icon.h"
#include "core/eye_picture.h"
#include "core/image_set.h"
#include "picture_folder.h"
#include "seam_override.h"
#include "toolkit/icon.h"
#include "toolkit/image_file.h"

namespace tovi {
namespace {

constexpr int kRounds = 200'000;
// Wine loads cursors, fonts and caches on first use: the baseline comes after these.
constexpr int kWarmUpRounds = 2'000;
// The real shell takes milliseconds a call (a cross-process message, and
// explorer repaints): one round in this many goes to it, the others to a
// stand-in that takes every icon.
constexpr int kRealShellEvery = 500;
constexpr std::size_t kAllowedGrowth = 1u << 20;

// Wine's GetGuiResources answers 0. Wine keeps every GDI object of the process
// in the table the PEB's GdiSharedHandleTable points to: 0x10000 entries of
// this shape, indexed by the handle's low word, a live one with a type. An
// icon keeps its pictures there as bitmaps, so a lost icon shows too.
struct TWineGdiEntry {
  std::uint64_t Object;
  std::uint32_t Owner;
  std::uint16_t Unique;
  std::uint8_t Type;
  std::uint8_t Flags;
  std::uint64_t UserPointer;
};
static_assert(sizeof(TWineGdiEntry) == 24);
constexpr std::size_t kGdiEntries = 0x10000, kGdiTableOffset = 0xF8;

long CountGdiObjects() {
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    throw std::runtime_error("no PEB");
  const auto* table = *reinterpret_cast<const TWineGdiEntry* const*>(
      reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress) + kGdiTableOffset);
  long count = 0;
  for (std::size_t i = 0; i < kGdiEntries; ++i) count += table[i].Type != 0;
  return count;
}

// On Wine the commit charge is the Unix process's anonymous memory.
std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{sizeof counters};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    throw std::runtime_error("GetProcessMemoryInfo failed");
  return counters.PagefileUsage;
}

bool UseRealShell = true;

BOOL WINAPI SometimesTheRealShell(DWORD operation, PNOTIFYICONDATAA data) {
  return UseRealShell ? Shell_NotifyIconA(operation, data) : TRUE;
}

TEST(Soak, TwoHundredThousandPublicationsLeaveNothingBehind) {
  for (int i = 0; i < 600 && FindWindowA("Shell_TrayWnd", nullptr) == nullptr; ++i) Sleep(100);
  TFolderImageLoader loader(PictureFolder());
  const TImageSet images = LoadImageSet(loader, kEyeSize);
  const TRaster mask = IconMask(images.FBaseMask);
  const auto sequence = static_cast<std::int32_t>(images.FBlinkSequence.size());
  ASSERT_GT(images.FEyeList.Count(), 0);

  TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &SometimesTheRealShell);
  TTaskTrayIcon tray1(nullptr), tray2(nullptr);
  tray1.Loaded();
  tray2.Loaded();

  // A new picture for nearly every round, as when the cursor never stops and the eyes blink all the time.
  TEyePublisher publisher(tray1, tray2);
  long published = 0;
  const auto publish = [&](int round) {
    UseRealShell = round % kRealShellEvery == 0;
    const double theta = 2 * std::numbers::pi * (round % 360) / 360.0 - std::numbers::pi;
    const std::int32_t blinkPos = round % (sequence + 2) - 2;
    published += publisher.Publish(ComposeEye(images, mask, round % images.FEyeList.Count(), theta, blinkPos));
  };
  for (int round = 0; round < kWarmUpRounds; ++round) publish(round);
  const long before = CountGdiObjects();
  const std::size_t privateBefore = PrivateBytes();
  published = 0;

  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < kRounds; ++round) publish(round);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

  const long after = CountGdiObjects();
  const std::size_t privateAfter = PrivateBytes();
  UseRealShell = true;
  std::printf("soak: %d rounds in %.1f s, %ld published; GDI objects %ld -> %ld; private %zu -> %zu bytes\n", kRounds,
              took.count(), published, before, after, privateBefore, privateAfter);
  EXPECT_GT(published, kRounds * 9L / 10) << "the rounds were meant to change the picture";
  EXPECT_EQ(after, before) << "GDI objects left behind";
  EXPECT_LE(privateAfter, privateBefore + kAllowedGrowth)
      << "private memory grew by " << (privateAfter - privateBefore) << " bytes";
  // Counters blind to a leak would let the soak pass: each must see one made on purpose.
  const HBITMAP bitmap = CreateBitmap(16, 16, 1, 32, nullptr);
  const HICON icon = IconFromPicture(TRaster(16, 16, kWhite), TRaster(16, 16, kBlack)).Release();
  const std::vector<char> block(4u << 20, 1);
  EXPECT_EQ(CountGdiObjects() - after, 3) << "GDI objects more unseen: a bitmap, and an icon's colours and mask";
  EXPECT_GE(PrivateBytes(), privateAfter + block.size() * 9 / 10) << "private bytes unseen: 4 MB more";
  DestroyIcon(icon);
  DeleteObject(bitmap);
}

}  // namespace
}  // namespace tovi
