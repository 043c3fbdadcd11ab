// compose_bench: times one change of the eyes part by part, on the same
// path as the eyes' publisher (the real pictures, ComposeEye, IconFromPicture,
// TIcon and two real TTaskTrayIcon components), or the inputs every timer
// tick gathers even when nothing changes.
//
//   compose_bench shell ROUNDS      publishing through the real Shell_NotifyIconA
//   compose_bench no-shell ROUNDS   the shell calls answered at once by a stand-in
//   compose_bench ticks ROUNDS      only the inputs of a tick
//
// The difference between the two runs' publication times is what the two
// shell calls cost. Prints one JSON line per measured part: the median and
// mean wall time (QueryPerformanceCounter) in microseconds, and the process's
// CPU time per round. Each run does little besides its rounds, so the CPU
// that the Wine server and explorer spend meanwhile can be put down to them.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <exception>
#include <numbers>
#include <string>
#include <vector>

#include "components/task_tray_icon.h"
#include "core/eye_picture.h"
#include "core/eyes.h"
#include "core/image_set.h"
#include "picture_folder.h"
#include "seam_override.h"
#include "toolkit/icon.h"
#include "toolkit/image_file.h"
#include "toolkit/task_bar.h"
#include "toolkit/timer.h"

namespace tovi {
namespace {

constexpr int kWarmUpRounds = 20;

LONGLONG Now() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double Microseconds(LONGLONG counts) {
  static const double frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return static_cast<double>(counts) * 1e6 / frequency;
}

double ProcessCpuMicroseconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  const auto value = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(value(kernel) + value(user)) / 10.0;
}

BOOL WINAPI NoShell(DWORD, PNOTIFYICONDATAA) { return TRUE; }

void PrintPart(const char* mode, const char* part, std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  double sum = 0;
  for (double s : samples) sum += s;
  std::printf("{\"kind\":\"part\",\"mode\":\"%s\",\"part\":\"%s\",\"rounds\":%zu,\"median_us\":%.2f,\"mean_us\":%.2f}\n",
              mode, part, samples.size(), samples[samples.size() / 2], sum / static_cast<double>(samples.size()));
}

int Run(bool realShell, int rounds) {
  const char* mode = realShell ? "shell" : "no-shell";
  TFolderImageLoader loader(PictureFolder());
  const TImageSet images = LoadImageSet(loader, kEyeSize);
  const TRaster mask = IconMask(images.FBaseMask);
  const auto sequence = static_cast<std::int32_t>(images.FBlinkSequence.size());

  TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon,
                                                        realShell ? seams::ShellNotifyIcon : &NoShell);
  TTaskTrayIcon tray1(nullptr), tray2(nullptr);
  tray1.Loaded();
  tray2.Loaded();

  std::vector<double> compose, icon, publish1, publish2, whole;
  int refused = 0;
  const auto change = [&](int round, bool measured) {
    const double theta = 2 * std::numbers::pi * (round % 360) / 360.0 - std::numbers::pi;
    const std::int32_t blinkPos = round % (sequence + 2) - 2;
    const LONGLONG t0 = Now();
    const TEyePicture picture = ComposeEye(images, mask, 0, theta, blinkPos);
    const LONGLONG t1 = Now();
    const TIcon eye(IconFromPicture(picture.Colours, picture.Mask));
    const LONGLONG t2 = Now();
    tray1.SetIcon(&eye);
    tray1.SetHint("");
    const LONGLONG t3 = Now();
    // The picture of the round before goes with this call: tray 2 held it last.
    tray2.SetIcon(&eye);
    tray2.SetHint("");
    const LONGLONG t4 = Now();
    if (tray1.Icon().Handle() != eye.Handle() || tray2.Icon().Handle() != eye.Handle()) ++refused;
    if (!measured) return;
    compose.push_back(Microseconds(t1 - t0));
    icon.push_back(Microseconds(t2 - t1));
    publish1.push_back(Microseconds(t3 - t2));
    publish2.push_back(Microseconds(t4 - t3));
    whole.push_back(Microseconds(t4 - t0));
  };

  for (int round = 0; round < kWarmUpRounds; ++round) change(round, false);
  const double cpuBefore = ProcessCpuMicroseconds();
  const LONGLONG start = Now();
  for (int round = 0; round < rounds; ++round) change(round, true);
  const double wall = Microseconds(Now() - start);
  const double cpu = ProcessCpuMicroseconds() - cpuBefore;
  if (refused) {
    std::fprintf(stderr, "compose_bench: %d rounds did not reach both icons\n", refused);
    return 1;
  }

  PrintPart(mode, "compose", compose);
  PrintPart(mode, "icon", icon);
  PrintPart(mode, "publish1", publish1);
  PrintPart(mode, "publish2", publish2);
  PrintPart(mode, "change", whole);
  std::printf("{\"kind\":\"rounds\",\"mode\":\"%s\",\"rounds\":%d,\"wall_us_per_round\":%.2f,"
              "\"cpu_us_per_round\":%.2f}\n",
              mode, rounds, wall / rounds, cpu / rounds);
  return 0;
}

// What every tick costs before it knows whether anything changed: the
// cursor, the task bar's rectangle and the eyes' tick of Timer1Timer.
int RunTicks(int rounds) {
  const char* mode = "ticks";
  TEyes eyes;
  TNotificationArea notificationArea;
  std::vector<double> cursorRead, trayRect, gaze, tick;
  const double cpuBefore = ProcessCpuMicroseconds();
  for (int i = 0; i < rounds; ++i) {
    const LONGLONG t0 = Now();
    const TPoint cursor = MessageCursorPos();
    const LONGLONG t1 = Now();
    const TRect tray = notificationArea.Rect();
    const LONGLONG t2 = Now();
    eyes.Tick({seams::TickCount(), cursor, tray}, {.FBlink = false});
    const LONGLONG t3 = Now();
    cursorRead.push_back(Microseconds(t1 - t0));
    trayRect.push_back(Microseconds(t2 - t1));
    gaze.push_back(Microseconds(t3 - t2));
    tick.push_back(Microseconds(t3 - t0));
  }
  PrintPart(mode, "tick-cursor", cursorRead);
  PrintPart(mode, "tick-tray-rect", trayRect);
  PrintPart(mode, "tick-gaze", gaze);
  PrintPart(mode, "tick-inputs", tick);
  std::printf("{\"kind\":\"rounds\",\"mode\":\"%s\",\"rounds\":%d,\"cpu_us_per_round\":%.2f}\n", mode, rounds,
              (ProcessCpuMicroseconds() - cpuBefore) / rounds);
  return 0;
}

}  // namespace
}  // namespace tovi

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc == 3 ? _wtoi(argv[2]) : 0;
  const std::wstring mode = argc == 3 ? argv[1] : L"";
  if (rounds > 0 && (mode == L"shell" || mode == L"no-shell" || mode == L"ticks")) {
    try {
      return mode == L"ticks" ? tovi::RunTicks(rounds) : tovi::Run(mode == L"shell", rounds);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "compose_bench: %s\n", e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "usage: compose_bench shell|no-shell|ticks ROUNDS\n");
  return 2;
}
