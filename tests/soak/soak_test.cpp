// The soak: the eyes' composition and publication, run 200,000 times in one
// process, must leave no GDI or USER object behind and no growing memory.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <stdexcept>
#include <string>
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
// stand-in that does what the shell's code does inside our process.
constexpr int kRealShellEvery = 500;
constexpr std::size_t kAllowedGrowth = 1u << 20;

struct TGuiObjectCount {
  long Gdi = 0;
  long User = 0;
  std::string Describe() const { return std::to_string(Gdi) + " GDI and " + std::to_string(User) + " USER objects"; }
};

// Wine's GetGuiResources answers 0. Wine keeps every GDI object of the process
// in the table the PEB's GdiSharedHandleTable points to: 0x10000 entries of
// this shape, indexed by the handle's low word, a live one with a type.
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

const TWineGdiEntry* WineGdiTable() {
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    throw std::runtime_error("no PEB");
  const auto* table = *reinterpret_cast<const TWineGdiEntry* const*>(
      reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress) + kGdiTableOffset);
  // A table that does not show a bitmap made for the purpose is not the one we think it is.
  const HBITMAP probe = CreateBitmap(1, 1, 1, 1, nullptr);
  const bool shown = table != nullptr && table[reinterpret_cast<std::uintptr_t>(probe) & 0xFFFF].Type != 0;
  DeleteObject(probe);
  if (!shown) throw std::runtime_error("Wine's GDI handle table does not have the expected layout");
  return table;
}

TGuiObjectCount CountGuiObjects() {
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr)
    return {static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
            static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))};
  TGuiObjectCount count;
  const TWineGdiEntry* table = WineGdiTable();
  for (std::size_t i = 0; i < kGdiEntries; ++i) count.Gdi += table[i].Type != 0;
  // Wine's USER handles are a slot, two apart from 0x20 to 0xFFEF, in the low
  // word; a handle with a zero high word stands for whatever the slot holds.
  using TFrameInfo = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);
  const auto frameInfo = reinterpret_cast<TFrameInfo>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
  const DWORD self = GetCurrentProcessId();
  for (UINT low = 0x20; low <= 0xFFEF; low += 2) {
    const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(low));
    DWORD owner = 0, rate = 0, steps = 0;
    if (IsWindow(static_cast<HWND>(handle)))
      count.User += GetWindowThreadProcessId(static_cast<HWND>(handle), &owner) && owner == self;
    else
      count.User += IsMenu(static_cast<HMENU>(handle)) || frameInfo(static_cast<HCURSOR>(handle), 0, 0, &rate, &steps);
  }
  return count;
}

// On Wine the commit charge is the Unix process's anonymous memory.
std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    throw std::runtime_error("GetProcessMemoryInfo failed");
  return counters.PagefileUsage;
}

TEST(GuiObjectCount, SeesOneLeakedBitmapAndOneLeakedIcon) {
  // The first icon makes Wine load its system cursors; they stay for good.
  IconFromPicture(TRaster(16, 16, kWhite), TRaster(16, 16, kBlack));
  const TGuiObjectCount before = CountGuiObjects();
  const HBITMAP bitmap = CreateBitmap(16, 16, 1, 32, nullptr);
  const TGuiObjectCount withBitmap = CountGuiObjects();
  const HICON icon = IconFromPicture(TRaster(16, 16, kWhite), TRaster(16, 16, kBlack)).Release();
  const TGuiObjectCount withIcon = CountGuiObjects();
  DestroyIcon(icon);
  DeleteObject(bitmap);
  const TGuiObjectCount after = CountGuiObjects();
  EXPECT_EQ(std::vector({withBitmap.Gdi - before.Gdi, withBitmap.User - before.User, withIcon.User - before.User,
                         after.Gdi - before.Gdi, after.User - before.User}),
            std::vector<long>({1, 0, 1, 0, 0}))
      << "GDI and USER more with a bitmap, USER more with an icon too, GDI and USER more once both are gone";
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

// What every call to the shell came to.
struct TShellTally {
  bool UseRealShell = true;
  long RealCalls = 0, StandInCalls = 0, Refused = 0;
} Tally;

bool CopyBits(HBITMAP bitmap) {
  BITMAP header{};
  if (GetObjectW(bitmap, sizeof header, &header) != sizeof header || header.bmWidth != kEyeSize) return false;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(header.bmWidthBytes) * header.bmHeight);
  return GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data()) > 0;
}

// Wine's Shell_NotifyIcon reads the icon's bitmaps in the caller's process
// before it sends them to explorer; the stand-in does the same, so an icon
// that is gone by the time it is published is refused.
BOOL WINAPI CountingShell(DWORD operation, PNOTIFYICONDATAA data) {
  ICONINFO info{};
  const BOOL accepted = Tally.UseRealShell ? Shell_NotifyIconA(operation, data)
                        : data->hIcon != nullptr && GetIconInfo(data->hIcon, &info) &&
                              CopyBits(info.hbmColor) + CopyBits(info.hbmMask) == 2;
  if (!Tally.UseRealShell) {
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  ++(Tally.UseRealShell ? Tally.RealCalls : Tally.StandInCalls);
  Tally.Refused += !accepted;
  return accepted;
}

TEST(Soak, TwoHundredThousandPublicationsLeaveNothingBehind) {
  for (int i = 0; i < 600 && FindWindowA("Shell_TrayWnd", nullptr) == nullptr; ++i) Sleep(100);
  TFolderImageLoader loader(PictureFolder());
  const TImageSet images = LoadImageSet(loader, kEyeSize);
  const TRaster mask = IconMask(images.FBaseMask);
  const auto sequence = static_cast<std::int32_t>(images.FBlinkSequence.size());
  ASSERT_GT(images.FEyeList.Count(), 0);

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
    published += publisher.Publish(ComposeEye(images, mask, round % images.FEyeList.Count(), theta, blinkPos));
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
  std::printf("soak: %d rounds in %.1f s, %ld published; %ld real and %ld stand-in shell calls; %s -> %s; "
              "private %zu -> %zu bytes\n",
              kRounds, took.count(), published, Tally.RealCalls, Tally.StandInCalls, before.Describe().c_str(),
              after.Describe().c_str(), privateBefore, privateAfter);
  EXPECT_EQ(Tally.RealCalls + Tally.StandInCalls, 2 * published) << "each publication reaches both icons";
  EXPECT_GT(published, kRounds * 9L / 10) << "the rounds were meant to change the picture";
  EXPECT_EQ(Tally.Refused, 0) << "publications the shell refused";
  EXPECT_EQ(std::pair(after.Gdi, after.User), std::pair(before.Gdi, before.User))
      << "left behind: " << before.Describe() << " became " << after.Describe();
  EXPECT_LE(privateAfter, privateBefore + kAllowedGrowth)
      << "private memory grew by " << (privateAfter - privateBefore) << " bytes";
}

}  // namespace
}  // namespace tovi
