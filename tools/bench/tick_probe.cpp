// tick_probe: the floor program plus the inputs that Tovi's timer gathers on
// every tick, in one of two ways, so the benchmarks can tell what each way
// costs while the cursor stands still (when nothing is composed); and three
// programs to hold a sleeping Tovi against.
//
//   tick_probe search   the cursor asked of the window server (GetCursorPos)
//                       and the notification area searched for anew, on
//                       every tick
//   tick_probe tovi     as Timer1Timer does while the eyes are awake: the
//                       cursor the timer message brought, the notification
//                       area found once and then only measured, once a second
//   tick_probe cursor   the floor asking GetCursorPos on each tick, nothing more:
//                       the least a program that follows the cursor by a timer costs
//   tick_probe wait     no timer at all, only waiting in GetMessage: the least
//                       any program with a window costs
//   tick_probe second   a 1-s timer whose ticks do nothing: what waking once a
//                       second costs, as a sleeping Tovi's refresh does
//
// Each mode's window has its own title ("Tick probe MODE"), so that two of
// them can run side by side and be closed one at a time. Closing its window
// (WM_CLOSE) ends it.
#include <windows.h>

#include <string>

#include "core/eyes.h"
#include "toolkit/seams.h"
#include "toolkit/task_bar.h"
#include "toolkit/timer.h"

namespace {

constexpr wchar_t kClassName[] = L"ToviTickProbe";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMilliseconds = 10;

enum class TMode { Search, Tovi, Cursor, Wait, Second };

TMode Mode = TMode::Tovi;
tovi::TEyes Eyes;
tovi::TNotificationArea NotificationArea;
tovi::TRect TrayRect;
int TicksToMeasure = 0;

tovi::TRect SearchedRect() {
  RECT r{};
  const HWND area = tovi::seams::FindTrayWindow().Window;
  if (area == nullptr || !GetWindowRect(area, &r)) return {};
  return {r.left, r.top, r.right, r.bottom};
}

void Tick() {
  if (Mode == TMode::Second) return;
  if (Mode == TMode::Cursor) {
    POINT asked{};
    GetCursorPos(&asked);
    return;
  }
  tovi::TPoint cursor;
  tovi::TRect tray;
  if (Mode == TMode::Search) {
    POINT asked{};
    tovi::seams::CursorPos(&asked);
    cursor = {asked.x, asked.y};
    tray = SearchedRect();
  } else {
    cursor = tovi::MessageCursorPos();
    // Tovi's refresh measures it once a second, beside the tick.
    if (TicksToMeasure-- == 0) {
      TrayRect = NotificationArea.Rect();
      TicksToMeasure = 1000 / kTickMilliseconds - 1;
    }
    tray = TrayRect;
  }
  Eyes.Tick({tovi::seams::TickCount(), cursor, tray}, {.FBlink = false});
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER: Tick(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  const std::wstring mode = commandLine ? commandLine : L"";
  if (mode == L"search") Mode = TMode::Search;
  else if (mode == L"cursor") Mode = TMode::Cursor;
  else if (mode == L"wait") Mode = TMode::Wait;
  else if (mode == L"second") Mode = TMode::Second;
  else if (mode != L"tovi") return 2;
  const std::wstring title = L"Tick probe " + mode;

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &ProbeWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassW(&windowClass)) return 1;
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  const UINT interval = Mode == TMode::Second ? 1000 : kTickMilliseconds;
  if (Mode != TMode::Wait && !SetTimer(window, kTimerId, interval, nullptr)) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
