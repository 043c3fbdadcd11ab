// winprobe: the end-to-end tests' hands inside the Wine desktop, run in the
// program's prefix. Every result is one JSON object per line (UTF-8).
//
//   windows                  top-level windows; a dialog's with the texts of its static children
//   close CLASS [TITLE]      post WM_CLOSE to the first such window
//   key KEY...               press keys through SendInput, which reaches pop-up menus where X key
//                            events do not; "MENU+F4" presses them together
//   watch X Y W H MS         every distinct picture of a screen rectangle for MS milliseconds
//   hold MS                  keep Wine's desktop open for MS milliseconds or until killed
//   taskbar-created          tell every window the task bar was made anew; returns once all heard
//   session CLASS lock|unlock  tell every window of CLASS the session was (un)locked, as the system does
//   fake-shell MS            stand in for a shell just restarted until closed or MS, printing every
//                            icon request it answers
//
// Exit code: 0 done, 1 nothing matched, 2 bad arguments.
#include <windows.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr int kDone = 0;
constexpr int kNotFound = 1;
constexpr int kUsage = 2;

std::string Str(std::wstring_view text) {
  std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                      static_cast<int>(utf8.size()), nullptr, nullptr);
  std::string result = "\"";
  for (const char c : utf8) {
    char escaped[8] = {c};
    if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) std::snprintf(escaped, 8, "\\u%04x", c);
    result += escaped;
  }
  return result + "\"";
}

std::string Num(long long number) { return std::to_string(number); }
std::string Bool(bool flag) { return flag ? "true" : "false"; }
std::string Handle(HWND window) { return Num(reinterpret_cast<INT_PTR>(window)); }

// Prints {"kind":KIND,"name":value,...} from values already in JSON, at once for a caller that waits for it.
void Print(const char* kind, std::initializer_list<std::pair<const char*, std::string>> fields) {
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

bool SameText(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The windows of a class and title (null for any), top-level or a parent's children, front first.
std::vector<HWND> Windows(const wchar_t* className, const wchar_t* title, HWND parent = nullptr) {
  std::vector<HWND> all, found;
  const auto add = [](HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
  };
  if (parent) EnumChildWindows(parent, add, reinterpret_cast<LPARAM>(&all));
  else EnumWindows(add, reinterpret_cast<LPARAM>(&all));
  for (HWND w : all) {
    if ((!className || SameText(ClassOf(w), className)) && (!title || TextOf(w) == title)) found.push_back(w);
  }
  return found;
}

std::string ImagePathOf(HWND window) {
  DWORD pid = 0, size = MAX_PATH * 2;
  GetWindowThreadProcessId(window, &pid);
  wchar_t path[MAX_PATH * 2] = {};
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
  }
  return Str(path);
}

int ListWindows() {
  for (HWND w : Windows(nullptr, nullptr)) {
    std::string texts = "[";
    for (HWND child : ClassOf(w) == L"#32770" ? Windows(L"Static", nullptr, w) : std::vector<HWND>{}) {
      if (TextOf(child).empty()) continue;  // the icon
      texts += (texts.size() > 1 ? "," : "");
      texts += Str(TextOf(child));
    }
    RECT r{};
    GetWindowRect(w, &r);
    char rect[64];
    std::snprintf(rect, sizeof rect, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
    Print("window", {{"hwnd", Handle(w)}, {"class", Str(ClassOf(w))}, {"title", Str(TextOf(w))},
                     {"visible", Bool(IsWindowVisible(w))}, {"foreground", Bool(w == GetForegroundWindow())},
                     {"rect", rect}, {"exe", ImagePathOf(w)}, {"texts", texts + "]"}});
  }
  return kDone;
}

int PostClose(const wchar_t* className, const wchar_t* title) {
  const auto found = Windows(className, title);
  if (found.empty()) return kNotFound;
  PostMessageW(found[0], WM_CLOSE, 0, 0);
  Print("closed", {{"hwnd", Handle(found[0])}});
  return kDone;
}

// A letter or digit, or one of the few named keys the tests press.
WORD KeyCode(std::wstring_view name) {
  if (name.size() == 1 && std::iswalnum(name[0])) return static_cast<WORD>(std::towupper(name[0]));
  constexpr std::pair<std::wstring_view, WORD> kKeys[] = {
      {L"RETURN", VK_RETURN}, {L"ESCAPE", VK_ESCAPE}, {L"TAB", VK_TAB}, {L"MENU", VK_MENU}, {L"F4", VK_F4}};
  const auto key = std::find_if(std::begin(kKeys), std::end(kKeys), [&](const auto& k) { return k.first == name; });
  return key == std::end(kKeys) ? 0 : key->second;
}

// Each argument is one stroke: its keys go down in order and up in reverse.
int PressKeys(int count, wchar_t** names) {
  for (int i = 0; i < count; ++i) {
    std::vector<INPUT> inputs;
    for (std::wstring_view rest = names[i]; !rest.empty();) {
      const auto plus = std::min(rest.find(L'+'), rest.size());
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = KeyCode(rest.substr(0, plus));
      if (!input.ki.wVk) return kUsage;
      // Scan codes too: Wine turns keys into characters (menu access keys) from them.
      input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(input.ki.wVk, MAPVK_VK_TO_VSC));
      inputs.insert(inputs.begin() + static_cast<std::ptrdiff_t>(inputs.size() / 2), {input, input});
      inputs[inputs.size() / 2].ki.dwFlags = KEYEVENTF_KEYUP;
      rest = rest.substr(std::min(plus + 1, rest.size()));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }
  return kDone;
}

// Copies a rectangle of the screen as often as it can and prints every picture
// that differs from the one before, rows as "RRGGBB...": a blink lasts a few
// timer ticks, far too short for screenshots taken from outside.
int WatchScreen(int left, int top, int width, int height, int milliseconds) {
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!picture || width <= 0 || height <= 0) return kUsage;
  const HGDIOBJ old = SelectObject(memory, picture);
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> last;
  const DWORD start = GetTickCount();
  do {
    const DWORD taken = GetTickCount() - start;
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    if (last.empty() || !std::equal(last.begin(), last.end(), pixels)) {
      last.assign(pixels, pixels + width * height);
      std::string rows;
      for (int i = 0; i < width * height; ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(pixels[i] & 0xFFFFFF));
        rows += (i % width ? "" : i ? "\",\"" : "\"") + std::string(hex);
      }
      Print("frame", {{"t", Num(taken)}, {"rows", "[" + rows + "\"]"}});
    }
    // A picture of the eyes lasts 10 ms: a sample a millisecond sees each one
    // and leaves the machine to the program watched.
    Sleep(1);
  } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
  Print("watched", {});
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return kDone;
}

// Makes a hidden window, says whether it is the first of its class, and runs
// messages until it is closed or its time is up. Returns whether it was first.
bool RunWindow(const wchar_t* className, const wchar_t* title, DWORD extraStyle, int milliseconds, const char* kind) {
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | extraStyle, className, title, WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  const bool first = Windows(className, nullptr)[0] == window;  // the window itself at least
  Print(kind, {{"first", Bool(first)}});
  constexpr UINT_PTR kTimeUp = 1;
  SetTimer(window, kTimeUp, static_cast<UINT>(milliseconds), nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == window && message.message == WM_TIMER && message.wParam == kTimeUp) break;
    DispatchMessageW(&message);
  }
  DestroyWindow(window);
  return first;
}

// Sends rather than posts: when the probe ends, every window told has handled it.
int Tell(const std::vector<HWND>& windows, UINT message, WPARAM wParam, LPARAM lParam, const char* kind) {
  int told = 0;
  for (HWND w : windows) {
    DWORD_PTR result = 0;
    const bool sent = SendMessageTimeoutW(w, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result) != 0;
    Print(kind, {{"sent", Bool(sent)}});
    told += sent;
  }
  return told ? kDone : kNotFound;
}

// What a shell just restarted holds: an icon is added once, and only an icon it holds can be changed or deleted.
std::vector<std::pair<HWND, UINT>> HeldIcons;

bool AnswerIconRequest(DWORD message, HWND window, UINT id) {
  const auto held = std::find(HeldIcons.begin(), HeldIcons.end(), std::make_pair(window, id));
  if (message == NIM_ADD && held == HeldIcons.end()) HeldIcons.emplace_back(window, id);
  else if (message == NIM_DELETE && held != HeldIcons.end()) HeldIcons.erase(held);
  else return message == NIM_MODIFY && held != HeldIcons.end();
  return true;
}

// Wine's Shell_NotifyIcon sends the first window of class Shell_TrayWnd a
// WM_COPYDATA: dwData the operation, wParam the icon's window, the record
// starting with that window (32 bits) and the icon's id.
LRESULT CALLBACK FakeShellProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const auto window = reinterpret_cast<HWND>(wParam);
    UINT id = 0;
    if (copy->cbData >= 8) std::memcpy(&id, static_cast<const char*>(copy->lpData) + 4, sizeof id);
    const bool answer = AnswerIconRequest(static_cast<DWORD>(copy->dwData), window, id);
    Print("tray-request", {{"message", Num(static_cast<long long>(copy->dwData))}, {"window", Handle(window)},
                           {"answer", Bool(answer)}, {"held", Num(static_cast<long long>(HeldIcons.size()))}});
    return answer;
  }
  if (message == WM_CLOSE) PostQuitMessage(0);
  return message == WM_CLOSE ? 0 : DefWindowProcW(w, message, wParam, lParam);
}

int Run(int argc, wchar_t** argv) {
  const std::wstring_view command = argc > 1 ? argv[1] : L"";
  const int extra = argc - 2;
  int n[5] = {};
  for (int i = 0; i < std::min(extra, 5); ++i) n[i] = static_cast<int>(std::wcstol(argv[2 + i], nullptr, 10));
  if (command == L"windows" && extra == 0) return ListWindows();
  if (command == L"close" && (extra == 1 || extra == 2)) return PostClose(argv[2], extra == 2 ? argv[3] : nullptr);
  if (command == L"key" && extra >= 1) return PressKeys(extra, argv + 2);
  if (command == L"watch" && extra == 5) return WatchScreen(n[0], n[1], n[2], n[3], n[4]);
  if (command == L"hold" && extra == 1) {
    RunWindow(L"STATIC", L"winprobe hold", 0, n[0], "hold");
    return kDone;
  }
  if (command == L"taskbar-created" && extra == 0) {
    return Tell({HWND_BROADCAST}, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, "taskbar-created");
  }
  const std::wstring_view change = extra == 2 ? argv[3] : L"";
  if (command == L"session" && (change == L"lock" || change == L"unlock")) {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return Tell(Windows(argv[2], nullptr), WM_WTSSESSION_CHANGE,
                change == L"lock" ? WTS_SESSION_LOCK : WTS_SESSION_UNLOCK, session, "session");
  }
  if (command == L"fake-shell" && extra == 1) {
    // Topmost, so that it comes before the real task bar in the search for the class.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &FakeShellProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&windowClass);
    return RunWindow(L"Shell_TrayWnd", L"winprobe fake shell", WS_EX_TOPMOST, n[0], "fake-shell") ? kDone : kNotFound;
  }
  std::fputs("usage: see the top of winprobe.cpp\n", stderr);
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) { return Run(argc, argv); }
