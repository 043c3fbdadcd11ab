// floor: the least a program of Tovi's design can cost — one hidden window
// and one 10-ms timer whose ticks do nothing. The benchmarks hold Tovi
// against it, run the same way on the same Wine and display.
//
//   floor.exe [FILE]   with FILE, writes "COUNTER FREQUENCY" of the
//                      performance counter at the first tick to FILE, once
//
// Closing its window (WM_CLOSE) ends it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"ToviFloor";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMilliseconds = 10;

std::wstring StampFile;

// Written once, so the ticks after it cost what the floor stands for.
void WriteFirstTickStamp() {
  LARGE_INTEGER now{}, frequency{};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  char text[64];
  const int length = std::snprintf(text, sizeof text, "%lld %lld\n", now.QuadPart, frequency.QuadPart);
  const HANDLE file = CreateFileW(StampFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (!StampFile.empty()) {
        WriteFirstTickStamp();
        StampFile.clear();
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// The rest of the command line, without the quotes around a path.
std::wstring Argument(const wchar_t* commandLine) {
  std::wstring text = commandLine ? commandLine : L"";
  while (!text.empty() && (text.back() == L' ' || text.back() == L'"')) text.pop_back();
  while (!text.empty() && (text.front() == L' ' || text.front() == L'"')) text.erase(0, 1);
  return text;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  StampFile = Argument(commandLine);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &FloorWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassW(&windowClass)) return 1;
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"Floor", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      instance, nullptr);
  if (window == nullptr || !SetTimer(window, kTimerId, kTickMilliseconds, nullptr)) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
