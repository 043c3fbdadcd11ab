// bench_probe: the benchmarks' helper inside the Wine desktop (scripts/bench.py).
//
//   bench_probe hold
//       Keeps the desktop and its task bar alive between the measured
//       programs, with one hidden window and no timer; WM_CLOSE ends it.
//   bench_probe startup FLOOR_EXE TOVI_EXE RUNS STAMP_FILE [BASELINE_EXE]
//       Starts the floor and Tovi (then an earlier build of Tovi, the
//       baseline, if given; the two Tovis take turns going first) in turn,
//       RUNS times each, and prints one JSON line per start: the milliseconds
//       from just before CreateProcess to the floor's first timer tick (its
//       own stamp in STAMP_FILE), or to the moment both eyes are on the screen.
//
// Both eyes are "present" when the task bar looks exactly as it did with Tovi
// settled, which a first start shows (the calibration); the watch polls the
// task bar's pixels about every millisecond. The floor's runs poll the same
// way, so both kinds of start share the machine with the same watcher.
// Exit code: 0 done, 1 failed (the reason on stderr), 2 bad arguments.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr wchar_t kHoldClass[] = L"ToviBenchHold";
constexpr wchar_t kFloorClass[] = L"ToviFloor";
constexpr wchar_t kToviClass[] = L"TFrmMain";
constexpr DWORD kTimeoutMs = 30000;
// Tovi's first automatic blink comes 5 s after its start; look well before.
constexpr DWORD kSettleMs = 2500;

double Milliseconds(LONGLONG counts) {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return static_cast<double>(counts) * 1000.0 / static_cast<double>(frequency);
}

LONGLONG Now() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "bench_probe: %s\n", what);
  std::fflush(stderr);
  ExitProcess(kFailed);
}

int Hold() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
  };
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kHoldClass;
  RegisterClassW(&windowClass);
  if (!CreateWindowExW(WS_EX_TOOLWINDOW, kHoldClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                       windowClass.hInstance, nullptr))
    Fail("cannot create the holding window");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return kDone;
}

// The task bar's pixels, read from the screen.
class TTaskBarPicture {
 public:
  explicit TTaskBarPicture(RECT area) : FArea(area) {
    FScreen = GetDC(nullptr);
    FMemory = CreateCompatibleDC(FScreen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = Width();
    info.bmiHeader.biHeight = -Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    FBitmap = CreateDIBSection(FMemory, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    if (!FScreen || !FMemory || !FBitmap) Fail("cannot read the screen");
    FOld = SelectObject(FMemory, FBitmap);
  }
  ~TTaskBarPicture() {
    SelectObject(FMemory, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FMemory);
    ReleaseDC(nullptr, FScreen);
  }
  TTaskBarPicture(const TTaskBarPicture&) = delete;
  TTaskBarPicture& operator=(const TTaskBarPicture&) = delete;

  std::vector<std::uint32_t> Take() {
    BitBlt(FMemory, 0, 0, Width(), Height(), FScreen, FArea.left, FArea.top, SRCCOPY);
    GdiFlush();
    // Only the colours: the fourth byte keeps whatever the shell's drawing left
    // there, which differs between an icon drawn through its alpha and one
    // drawn through its mask that look alike.
    std::vector<std::uint32_t> colours(FBits, FBits + static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height()));
    for (std::uint32_t& pixel : colours) pixel &= 0x00FFFFFFu;
    return colours;
  }
  int Width() const { return FArea.right - FArea.left; }
  int Height() const { return FArea.bottom - FArea.top; }

 private:
  RECT FArea;
  HDC FScreen = nullptr;
  HDC FMemory = nullptr;
  HBITMAP FBitmap = nullptr;
  HGDIOBJ FOld = nullptr;
  std::uint32_t* FBits = nullptr;
};

struct TStarted {
  PROCESS_INFORMATION Process{};
  LONGLONG Start = 0;
};

TStarted Start(const std::wstring& exe, const std::wstring& argument) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!argument.empty()) commandLine += L" \"" + argument + L"\"";
  const std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  TStarted started;
  started.Start = Now();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &started.Process))
    Fail("cannot start a program");
  return started;
}

struct TCloseRequest {
  DWORD ProcessId;
  const wchar_t* ClassName;
};

// Asks the program to end as a user would, then reaps it.
void Stop(TStarted& started, const wchar_t* className) {
  TCloseRequest request{started.Process.dwProcessId, className};
  EnumWindows(
      [](HWND window, LPARAM parameter) -> BOOL {
        const auto& request = *reinterpret_cast<const TCloseRequest*>(parameter);
        DWORD owner = 0;
        wchar_t name[64] = {};
        GetWindowThreadProcessId(window, &owner);
        GetClassNameW(window, name, 64);
        if (owner == request.ProcessId && std::wcscmp(name, request.ClassName) == 0)
          PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&request));
  if (WaitForSingleObject(started.Process.hProcess, kTimeoutMs) != WAIT_OBJECT_0)
    TerminateProcess(started.Process.hProcess, 1);
  CloseHandle(started.Process.hThread);
  CloseHandle(started.Process.hProcess);
}

std::optional<LONGLONG> ReadStamp(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  char text[64] = {};
  DWORD read = 0;
  ReadFile(file, text, sizeof text - 1, &read, nullptr);
  CloseHandle(file);
  long long counter = 0, frequency = 0;
  if (std::memchr(text, '\n', read) == nullptr || std::sscanf(text, "%lld %lld", &counter, &frequency) != 2)
    return std::nullopt;
  return counter;
}

void WaitUntilLooksLike(TTaskBarPicture& picture, const std::vector<std::uint32_t>& expected, const char* what) {
  const LONGLONG start = Now();
  while (picture.Take() != expected) {
    if (Milliseconds(Now() - start) > kTimeoutMs) Fail(what);
    Sleep(10);
  }
}

void PrintStart(const char* program, int run, double ms) {
  std::printf("{\"kind\":\"startup\",\"program\":\"%s\",\"run\":%d,\"ms\":%.2f}\n", program, run, ms);
  std::fflush(stdout);
}

struct TEyesProgram {
  const char* Name;
  std::wstring Exe;
};

int Startup(const std::wstring& floorExe, std::vector<TEyesProgram> eyes, int runs, const std::wstring& stampFile) {
  const std::wstring& toviExe = eyes.front().Exe;
  const HWND taskBar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (taskBar == nullptr) Fail("no task bar");
  RECT area{};
  GetWindowRect(taskBar, &area);
  TTaskBarPicture picture(area);
  const std::vector<std::uint32_t> empty = picture.Take();

  TStarted calibration = Start(toviExe, L"");
  Sleep(kSettleMs);
  const std::vector<std::uint32_t> settled = picture.Take();
  Stop(calibration, kToviClass);
  WaitUntilLooksLike(picture, empty, "the task bar did not return to its look without Tovi");
  const auto changed = std::count_if(settled.begin(), settled.end(),
                                     [&, i = std::size_t{0}](std::uint32_t pixel) mutable {
                                       return pixel != empty[i++];
                                     });
  // Two eyes of 16 by 16 pixels change far more than this.
  if (changed < 64) Fail("Tovi's eyes did not show on the task bar");
  std::printf("{\"kind\":\"calibration\",\"changed_pixels\":%lld}\n", static_cast<long long>(changed));

  for (int run = 1; run <= runs; ++run) {
    DeleteFileW(stampFile.c_str());
    TStarted floor = Start(floorExe, stampFile);
    for (;;) {
      picture.Take();
      if (const auto stamp = ReadStamp(stampFile)) {
        PrintStart("floor", run, Milliseconds(*stamp - floor.Start));
        break;
      }
      if (Milliseconds(Now() - floor.Start) > kTimeoutMs) Fail("the floor never ticked");
      Sleep(1);
    }
    Stop(floor, kFloorClass);

    for (const TEyesProgram& program : eyes) {
      TStarted tovi = Start(program.Exe, L"");
      for (;;) {
        if (picture.Take() == settled) {
          PrintStart(program.Name, run, Milliseconds(Now() - tovi.Start));
          break;
        }
        if (Milliseconds(Now() - tovi.Start) > kTimeoutMs) Fail("Tovi's eyes never appeared");
        Sleep(1);
      }
      Stop(tovi, kToviClass);
      WaitUntilLooksLike(picture, empty, "Tovi's eyes stayed on the task bar after it ended");
    }
    std::reverse(eyes.begin(), eyes.end());
  }
  DeleteFileW(stampFile.c_str());
  return kDone;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"hold" && argc == 2) return Hold();
  if (command == L"startup" && (argc == 6 || argc == 7)) {
    const int runs = _wtoi(argv[4]);
    std::vector<TEyesProgram> eyes{{"tovi", argv[3]}};
    if (argc == 7) eyes.push_back({"baseline", argv[6]});
    if (runs > 0) return Startup(argv[2], std::move(eyes), runs, argv[5]);
  }
  std::fprintf(stderr, "usage: bench_probe hold | startup FLOOR_EXE TOVI_EXE RUNS STAMP_FILE [BASELINE_EXE]\n");
  return kUsage;
}
