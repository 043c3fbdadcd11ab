// winprobe: the end-to-end tests' hands inside the Wine desktop. Run in the
// program's prefix, it lists windows and acts on them; every result is one
// JSON object per line (UTF-8).
//
//   winprobe windows                  top-level windows, with the texts of their static children
//   winprobe close CLASS [TITLE]      post WM_CLOSE to the first such window
//   winprobe key KEY...               press keys through SendInput, which reaches pop-up
//                                     menus where X key events do not; "MENU+F4" presses together
//   winprobe kill EXE                 end every process of that file name
//   winprobe watch X Y W H MS         every distinct picture of a screen rectangle for MS milliseconds
//   winprobe hold MS                  keep Wine's desktop open for MS milliseconds or until killed
//   winprobe taskbar-created          tell every window the task bar was made anew and wait until all heard
//   winprobe session CLASS lock|unlock
//                                     tell every window of CLASS that the session was (un)locked
//   winprobe fake-shell MS            stand in for a shell just restarted until closed or MS,
//                                     printing every icon request it answers
//
// Exit code: 0 done, 1 nothing matched, 2 bad arguments.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
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
  std::string utf8(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                      static_cast<int>(utf8.size()), nullptr, nullptr);
  std::string result = "\"";
  for (const char c : utf8) {
    if (c == '"' || c == '\\') result += {'\\', c};
    else if (static_cast<unsigned char>(c) < 0x20) result += "\\u00" + std::string{"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    else result += c;
  }
  return result + "\"";
}

std::string Num(long long number) { return std::to_string(number); }
std::string Bool(bool flag) { return flag ? "true" : "false"; }
std::string Handle(HWND window) { return Num(reinterpret_cast<INT_PTR>(window)); }

// Prints {"kind":KIND,"name":value,...} from names and values already in JSON.
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

std::vector<HWND> Collect(HWND parent) {
  std::vector<HWND> windows;
  const auto add = [](HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
  };
  if (parent) EnumChildWindows(parent, add, reinterpret_cast<LPARAM>(&windows));
  else EnumWindows(add, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The top-level windows of a class and title (either null for any), front first as FindWindow sees them.
std::vector<HWND> Windows(const wchar_t* className, const wchar_t* title) {
  std::vector<HWND> found;
  for (HWND w : Collect(nullptr)) {
    if ((!className || SameText(ClassOf(w), className)) && (!title || TextOf(w) == title)) found.push_back(w);
  }
  return found;
}

std::string ImagePathOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) size = 0;
    CloseHandle(process);
  }
  return Str(path);
}

int ListWindows() {
  for (HWND w : Windows(nullptr, nullptr)) {
    RECT r{};
    GetWindowRect(w, &r);
    // A dialog's texts, a message box's message among them.
    std::string texts = "[";
    for (HWND child : ClassOf(w) == L"#32770" ? Collect(w) : std::vector<HWND>{}) {
      if (SameText(ClassOf(child), L"Static") && !TextOf(child).empty()) {
        texts += (texts.size() > 1 ? "," : "");
        texts += Str(TextOf(child));
      }
    }
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
  PostMessageW(found.front(), WM_CLOSE, 0, 0);
  Print("closed", {{"hwnd", Handle(found.front())}});
  return kDone;
}

int KillProcesses(std::wstring_view name) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return kNotFound;
  int killed = 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (!SameText(entry.szExeFile, name)) continue;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
      if (TerminateProcess(process, 1)) {
        Print("killed", {{"pid", Num(entry.th32ProcessID)}});
        ++killed;
      }
      CloseHandle(process);
    }
  }
  CloseHandle(snapshot);
  return killed ? kDone : kNotFound;
}

// A letter or digit, or one of the few named keys the tests press.
WORD KeyCode(std::wstring_view name) {
  if (name.size() == 1 && std::iswalnum(name[0])) return static_cast<WORD>(std::towupper(name[0]));
  constexpr std::pair<std::wstring_view, WORD> kKeys[] = {
      {L"RETURN", VK_RETURN}, {L"ESCAPE", VK_ESCAPE}, {L"TAB", VK_TAB}, {L"MENU", VK_MENU}, {L"F4", VK_F4}};
  for (const auto& [keyName, code] : kKeys) {
    if (name == keyName) return code;
  }
  return 0;
}

// Each argument is one stroke; "MENU+F4" holds MENU while pressing F4.
int PressKeys(int count, wchar_t** names) {
  for (int i = 0; i < count; ++i) {
    std::vector<INPUT> inputs;
    for (std::wstring_view rest = names[i]; !rest.empty();) {
      const auto plus = std::min(rest.find(L'+'), rest.size());
      const WORD code = KeyCode(rest.substr(0, plus));
      if (!code) return kUsage;
      // Scan codes too: Wine turns keys into characters (menu access keys) from them.
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = code;
      input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
      // Downs in order, ups in reverse: each key goes down after and up before the ones already held.
      inputs.insert(inputs.begin() + static_cast<std::ptrdiff_t>(inputs.size() / 2), {input, input});
      inputs[inputs.size() / 2].ki.dwFlags = KEYEVENTF_KEYUP;
      rest = rest.substr(std::min(plus + 1, rest.size()));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }
  return kDone;
}

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Copies a rectangle of the screen as often as it can and prints every picture
// that differs from the one before, rows as "RRGGBB...": a blink lasts a few
// timer ticks, far too short for screenshots taken from outside. The first
// picture is printed at once, so a caller that waits for it knows the watch has begun.
int WatchScreen(int left, int top, int width, int height, int milliseconds) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return kUsage;
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
  if (!picture) return kUsage;
  const HGDIOBJ old = SelectObject(memory, picture);
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<std::uint32_t> last;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  do {
    const double taken = MillisecondsSince(start);
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    if (last.size() != count || !std::equal(last.begin(), last.end(), pixels)) {
      last.assign(pixels, pixels + count);
      std::string rows;
      for (std::size_t i = 0; i < count; ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(pixels[i] & 0xFFFFFF));
        rows += (i % width == 0 ? (i ? "\",\"" : "\"") : "") + std::string(hex);
      }
      Print("frame", {{"t", Num(static_cast<long long>(taken))}, {"rows", "[" + rows + "\"]"}});
    }
    // A frame of the eyes lasts 10 ms: a sample a millisecond sees each one
    // and leaves the machine to the program watched.
    Sleep(1);
  } while (MillisecondsSince(start) < milliseconds);
  Print("watched", {});
  SelectObject(memory, old);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return kDone;
}

constexpr UINT_PTR kTimeUp = 1;

// Makes a hidden window, says whether it is the first of its class, and runs
// messages until it is closed or its time is up. Returns whether it was first.
bool RunWindow(const wchar_t* className, const wchar_t* title, DWORD extraStyle, int milliseconds, const char* kind) {
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | extraStyle, className, title, WS_POPUP, 0, 0, 0, 0,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  const bool first = Windows(className, nullptr)[0] == window;  // the window itself at least
  Print(kind, {{"first", Bool(first)}});
  SetTimer(window, kTimeUp, static_cast<UINT>(milliseconds), nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == window && message.message == WM_TIMER && message.wParam == kTimeUp) break;
    DispatchMessageW(&message);
  }
  DestroyWindow(window);
  return first;
}

int BroadcastTaskbarCreated() {
  // Sent rather than posted: when the probe ends, every window has handled it.
  DWORD_PTR result = 0;
  const bool sent = SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                                        SMTO_ABORTIFHUNG, 10000, &result) != 0;
  Print("taskbar-created", {{"sent", Bool(sent)}});
  return sent ? kDone : kNotFound;
}

// As the system tells the windows registered for session changes.
int SendSessionChange(const wchar_t* className, std::wstring_view change) {
  if (change != L"lock" && change != L"unlock") return kUsage;
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  int told = 0;
  for (HWND w : Windows(className, nullptr)) {
    DWORD_PTR result = 0;
    const bool sent = SendMessageTimeoutW(w, WM_WTSSESSION_CHANGE,
                                          change == L"lock" ? WTS_SESSION_LOCK : WTS_SESSION_UNLOCK, session,
                                          SMTO_ABORTIFHUNG, 10000, &result) != 0;
    Print("session", {{"sent", Bool(sent)}});
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

// Topmost, so that it comes before the real task bar in the search for the class.
int RunFakeShell(int milliseconds) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &FakeShellProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"Shell_TrayWnd";
  RegisterClassW(&windowClass);
  return RunWindow(L"Shell_TrayWnd", L"winprobe fake shell", WS_EX_TOPMOST, milliseconds, "fake-shell") ? kDone
                                                                                                    : kNotFound;
}

bool Number(const wchar_t* text, int& value) {
  wchar_t* end = nullptr;
  value = static_cast<int>(std::wcstol(text, &end, 10));
  return *text && *end == L'\0' && value >= 0;
}

int Run(int argc, wchar_t** argv) {
  const std::wstring_view command = argc > 1 ? argv[1] : L"";
  const int extra = argc - 2;
  int n[5] = {};
  const auto numbers = [&](int count) {
    for (int i = 0; i < count; ++i) {
      if (!Number(argv[2 + i], n[i])) return false;
    }
    return extra == count;
  };
  if (command == L"windows" && extra == 0) return ListWindows();
  if (command == L"close" && (extra == 1 || extra == 2)) return PostClose(argv[2], extra == 2 ? argv[3] : nullptr);
  if (command == L"key" && extra >= 1) return PressKeys(extra, argv + 2);
  if (command == L"kill" && extra == 1) return KillProcesses(argv[2]);
  if (command == L"watch" && extra == 5 && numbers(5)) return WatchScreen(n[0], n[1], n[2], n[3], n[4]);
  if (command == L"hold" && extra == 1 && numbers(1)) {
    RunWindow(L"STATIC", L"winprobe hold", 0, n[0], "hold");
    return kDone;
  }
  if (command == L"taskbar-created" && extra == 0) return BroadcastTaskbarCreated();
  if (command == L"session" && extra == 2) return SendSessionChange(argv[2], argv[3]);
  if (command == L"fake-shell" && extra == 1 && numbers(1)) return RunFakeShell(n[0]);
  std::fputs("usage: see the top of winprobe.cpp\n", stderr);
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) { return Run(argc, argv); }
