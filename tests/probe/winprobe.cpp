// winprobe: the end-to-end tests' eyes and hands inside the Wine desktop, run in the program's prefix.
// Every result is one JSON object per line. Exit code: 0 done, 1 nothing matched, 2 bad arguments.
//
//   windows                    top-level windows, front first, each with its message-box text if any
//   close CLASS [TITLE]        post WM_CLOSE to the first such window
//   send CLASS MSG WP [LP]     send every window of CLASS a message
//   watch X Y W H MS           every distinct picture of a screen rectangle for MS milliseconds
//   hold MS                    keep Wine's desktop open for MS milliseconds or until killed
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

enum TExitCode { kDone, kNotFound, kUsage };

// A JSON string; every character outside printable ASCII as its UTF-16 escape.
std::string Str(std::wstring_view text) {
  std::string json = "\"";
  for (const wchar_t c : text) {
    char escaped[8] = {static_cast<char>(c)};
    if (c < 0x20 || c > 0x7E || c == L'"' || c == L'\\') std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
    json += escaped;
  }
  return json + "\"";
}

std::string Num(long long number) { return std::to_string(number); }
std::string Bool(bool value) { return value ? "true" : "false"; }
std::string List(std::initializer_list<long> numbers) {
  std::string list;
  for (const long number : numbers) list.append(list.empty() ? "[" : ",").append(Num(number));
  return list + "]";
}

// Prints {"kind":KIND,"name":value,...} from values already in JSON, at once for a caller that waits for it.
void Print(const char* kind, std::initializer_list<std::pair<const char*, std::string>> fields = {}) {
  std::string line = std::string("{\"kind\":\"") + kind + "\"";
  for (const auto& [name, json] : fields) line += std::string(",\"") + name + "\":" + json;
  line += "}\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// The text the window manager keeps, read without a message a hung program would never answer.
std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  InternalGetWindowText(window, text, 1024);
  return text;
}

// The top-level windows of a class and title (null for any), front first.
std::vector<HWND> Windows(const wchar_t* className, const wchar_t* title) {
  std::vector<HWND> all, found;
  EnumWindows([](HWND w, LPARAM list) { return reinterpret_cast<std::vector<HWND>*>(list)->push_back(w), TRUE; },
              reinterpret_cast<LPARAM>(&all));
  for (HWND w : all)
    if ((!className || !lstrcmpiW(ClassOf(w).c_str(), className)) && (!title || TextOf(w) == title)) found.push_back(w);
  return found;
}

int ListWindows() {
  for (HWND w : Windows(nullptr, nullptr)) {
    RECT r{};
    GetWindowRect(w, &r);
    POINT client{};
    ClientToScreen(w, &client);
    Print("window", {{"hwnd", Num(reinterpret_cast<INT_PTR>(w))}, {"class", Str(ClassOf(w))},
                     {"title", Str(TextOf(w))}, {"visible", Bool(IsWindowVisible(w))},
                     {"foreground", Bool(w == GetForegroundWindow())},
                     {"rect", List({r.left, r.top, r.right, r.bottom})}, {"client", List({client.x, client.y})},
                     {"text", Str(TextOf(GetDlgItem(w, 0xFFFF)))}});  // a message box's, in its control 0xFFFF
  }
  return kDone;
}

// Sends rather than posts: when the probe ends, every window told has handled it.
int Send(const wchar_t* className, UINT message, WPARAM wParam, LPARAM lParam) {
  int sent = 0;
  for (HWND w : Windows(className, nullptr))
    sent += SendMessageTimeoutW(w, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, nullptr) != 0;
  Print("sent", {{"to", Num(sent)}});
  return sent ? kDone : kNotFound;
}

// Copies a rectangle of the screen as often as it can and prints every picture
// that differs from the one before, row by row as "RRGGBB...": a blink lasts a few
// timer ticks, far too short for screenshots taken from outside.
int WatchScreen(int left, int top, int width, int height, int milliseconds) {
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
  void* bits = nullptr;
  const HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!picture || width <= 0 || height <= 0) return kUsage;
  SelectObject(memory, picture);
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> last;
  const DWORD start = GetTickCount();
  do {
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    if (last.empty() || !std::equal(last.begin(), last.end(), pixels)) {
      last.assign(pixels, pixels + width * height);
      std::string hex = "\"";
      for (const std::uint32_t pixel : last) {
        char colour[8];
        std::snprintf(colour, sizeof colour, "%06x", static_cast<unsigned>(pixel & 0xFFFFFF));
        hex += colour;
      }
      Print("frame", {{"pixels", hex + "\""}});
    }
    // A picture of the eyes lasts 10 ms: a sample a millisecond sees each one
    // and leaves the machine to the program watched.
    Sleep(1);
  } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
  return kDone;  // the system frees the pictures as the probe ends
}

int Run(int argc, wchar_t** argv) {
  const std::wstring_view command = argc > 1 ? argv[1] : L"";
  const int extra = argc - 2;
  int n[5] = {};
  for (int i = 0; i < std::min(extra, 5); ++i) n[i] = static_cast<int>(std::wcstol(argv[2 + i], nullptr, 0));
  if (command == L"windows" && extra == 0) return ListWindows();
  if (command == L"close" && (extra == 1 || extra == 2)) {
    const auto found = Windows(argv[2], extra == 2 ? argv[3] : nullptr);
    if (found.empty()) return kNotFound;
    PostMessageW(found[0], WM_CLOSE, 0, 0);
    Print("closed");
    return kDone;
  }
  if (command == L"send" && (extra == 3 || extra == 4)) return Send(argv[2], n[1], n[2], n[3]);
  if (command == L"watch" && extra == 5) return WatchScreen(n[0], n[1], n[2], n[3], n[4]);
  if (command == L"hold" && extra == 1) {
    // A window of its own keeps the desktop up; its messages are served, as a broadcast waits for them.
    CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"winprobe", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    Print("hold");
    SetTimer(nullptr, 0, static_cast<UINT>(n[0]), nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) DispatchMessageW(&message);
    return kDone;
  }
  std::fputs("usage: see the top of winprobe.cpp\n", stderr);
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) { return Run(argc, argv); }
