// winprobe: a console helper for the end-to-end tests. Run in the same Wine
// prefix as the program under test, it lists windows, dialogs, menus and
// processes, and sends input through SendInput, which reaches pop-up menus
// where X key events do not. Every result is one JSON object per line (UTF-8).
//
//   winprobe windows                   top-level windows, then task-bar buttons
//   winprobe message-boxes             dialogs with their texts and buttons
//   winprobe close CLASS [TITLE]       post WM_CLOSE to a top-level window
//   winprobe press-button TITLE TEXT   click a button of a dialog
//   winprobe key KEY...                press keys; "MENU+F4" presses together
//   winprobe kill EXE                  end every process of that file name
//   winprobe watch X Y W H MS          watch a screen rectangle for MS milliseconds
//   winprobe work-area                 the screen, its work area and the double-click time
//   winprobe hold MS                   keep Wine's desktop open for MS milliseconds or until killed
//   winprobe taskbar-created           tell every window the task bar was made anew, as a
//                                      restarted Explorer does, and wait until all have heard
//   winprobe session CLASS lock|unlock
//                                      tell every top-level window of CLASS that the session
//                                      was locked or unlocked, as the system tells the windows
//                                      registered for it, and wait until each has heard
//   winprobe fake-shell MS             stand in for a shell just restarted until closed
//                                      (class Shell_TrayWnd, title "winprobe fake shell")
//                                      or MS, printing every icon request it answers
//
// Exit code: 0 done, 1 nothing matched, 2 bad arguments.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <algorithm>
#include <concepts>
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

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string result(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                      nullptr, nullptr);
  return result;
}

std::string Json(std::wstring_view text) {
  std::string result = "\"";
  for (const char c : Utf8(text)) {
    switch (c) {
      case '"': result += "\\\""; break;
      case '\\': result += "\\\\"; break;
      case '\n': result += "\\n"; break;
      case '\r': result += "\\r"; break;
      case '\t': result += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          result += escaped;
        } else {
          result += c;
        }
    }
  }
  return result + "\"";
}

template <std::integral Number>
std::string Json(Number number) { return std::to_string(number); }
std::string Json(bool flag) { return flag ? "true" : "false"; }
std::string Json(HWND window) { return Json(reinterpret_cast<INT_PTR>(window)); }
std::string Json(const RECT& r) {
  char text[64];
  std::snprintf(text, sizeof text, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
  return text;
}

// Builds one line: {"kind":..., "name":value, ...}.
class JsonLine {
 public:
  explicit JsonLine(std::wstring_view kind) { FText = "{\"kind\":" + Json(kind); }
  JsonLine& Add(const char* name, const std::string& json) {
    FText += ",\"" + std::string(name) + "\":" + json;
    return *this;
  }
  std::string Text() const { return FText + "}"; }
  void Print() const {
    const std::string line = Text() + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
  }

 private:
  std::string FText;
};

std::string JsonArray(const std::vector<std::string>& items) {
  std::string result = "[";
  for (const auto& item : items) result += (result.size() > 1 ? "," : "") + item;
  return result + "]";
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

// Reads the text the window manager keeps, without sending a message that a
// hung program would never answer.
std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  InternalGetWindowText(window, text, 1024);
  return text;
}

RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::wstring ImagePathOf(DWORD pid) {
  std::wstring path;
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (QueryFullProcessImageNameW(process, 0, buffer, &size)) path.assign(buffer, size);
    CloseHandle(process);
  }
  return path;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                              TRUE) == CSTR_EQUAL;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows([](HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, [](HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

JsonLine WindowLine(std::wstring_view kind, HWND w) {
  const DWORD pid = ProcessOf(w);
  JsonLine line(kind);
  line.Add("hwnd", Json(w))
      .Add("class", Json(ClassOf(w)))
      .Add("title", Json(TextOf(w)))
      .Add("visible", Json(IsWindowVisible(w) != FALSE))
      .Add("rect", Json(RectOf(w)))
      .Add("pid", Json(pid))
      .Add("exe", Json(ImagePathOf(pid)))
      .Add("style", Json(static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE))))
      .Add("exstyle", Json(static_cast<DWORD>(GetWindowLongW(w, GWL_EXSTYLE))))
      .Add("owner", Json(GetWindow(w, GW_OWNER)))
      .Add("foreground", Json(w == GetForegroundWindow()));
  return line;
}

int ListWindows() {
  for (HWND w : TopLevelWindows()) WindowLine(L"window", w).Print();
  // Wine's task bar draws its buttons itself: a button has no text, but its
  // control identifier is the window it stands for, whose title it shows.
  if (HWND taskBar = FindWindowW(L"Shell_TrayWnd", nullptr)) {
    for (HWND button : ChildWindows(taskBar)) {
      const auto window = reinterpret_cast<HWND>(GetWindowLongPtrW(button, GWLP_ID));
      const bool standsForWindow = window && IsWindow(window);
      JsonLine(L"taskbar-button")
          .Add("hwnd", Json(button))
          .Add("class", Json(ClassOf(button)))
          .Add("text", Json(standsForWindow ? TextOf(window) : TextOf(button)))
          .Add("window", Json(standsForWindow ? window : nullptr))
          .Add("visible", Json(IsWindowVisible(button) != FALSE))
          .Add("rect", Json(RectOf(button)))
          .Print();
    }
  }
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
        JsonLine(L"killed").Add("pid", Json(entry.th32ProcessID)).Print();
        ++killed;
      }
      CloseHandle(process);
    }
  }
  CloseHandle(snapshot);
  return killed ? kDone : kNotFound;
}

int PostClose(const wchar_t* className, const wchar_t* title) {
  HWND w = FindWindowW(className, title);
  if (!w) return kNotFound;
  PostMessageW(w, WM_CLOSE, 0, 0);
  JsonLine(L"closed").Add("hwnd", Json(w)).Print();
  return kDone;
}

bool IsButton(HWND w) { return SameText(ClassOf(w), L"Button"); }

int ListDialogs() {
  for (HWND w : TopLevelWindows()) {
    if (ClassOf(w) != L"#32770") continue;
    std::vector<std::string> texts, buttons;
    for (HWND child : ChildWindows(w)) {
      const std::wstring text = TextOf(child);
      if (SameText(ClassOf(child), L"Static") && !text.empty()) texts.push_back(Json(text));
      if (IsButton(child)) {
        buttons.push_back(JsonLine(L"button")
                              .Add("text", Json(text))
                              .Add("id", Json(GetDlgCtrlID(child)))
                              .Add("hwnd", Json(child))
                              .Text());
      }
    }
    WindowLine(L"dialog", w).Add("texts", JsonArray(texts)).Add("buttons", JsonArray(buttons)).Print();
  }
  return kDone;
}

std::wstring WithoutAccessMarks(std::wstring text) {
  std::erase(text, L'&');
  return text;
}

int PressButton(const wchar_t* title, std::wstring_view buttonText) {
  HWND dialog = FindWindowW(L"#32770", title);
  if (!dialog) return kNotFound;
  const std::wstring wanted = WithoutAccessMarks(std::wstring(buttonText));
  for (HWND child : ChildWindows(dialog)) {
    if (IsButton(child) && SameText(WithoutAccessMarks(TextOf(child)), wanted)) {
      // Posted, so that a dialog that ends its process cannot leave us waiting.
      PostMessageW(child, BM_CLICK, 0, 0);
      JsonLine(L"pressed").Add("hwnd", Json(child)).Print();
      return kDone;
    }
  }
  return kNotFound;
}

struct NamedKey {
  const wchar_t* Name;
  WORD Code;
};

constexpr NamedKey kKeys[] = {
    {L"RETURN", VK_RETURN}, {L"ENTER", VK_RETURN}, {L"ESCAPE", VK_ESCAPE}, {L"ESC", VK_ESCAPE},
    {L"TAB", VK_TAB},       {L"SPACE", VK_SPACE},  {L"BACK", VK_BACK},     {L"DELETE", VK_DELETE},
    {L"UP", VK_UP},         {L"DOWN", VK_DOWN},    {L"LEFT", VK_LEFT},     {L"RIGHT", VK_RIGHT},
    {L"HOME", VK_HOME},     {L"END", VK_END},      {L"MENU", VK_MENU},     {L"ALT", VK_MENU},
    {L"SHIFT", VK_SHIFT},   {L"CONTROL", VK_CONTROL}, {L"CTRL", VK_CONTROL}, {L"APPS", VK_APPS},
    {L"F1", VK_F1},         {L"F2", VK_F2},        {L"F3", VK_F3},         {L"F4", VK_F4},
    {L"F5", VK_F5},         {L"F10", VK_F10},
};

// Accepts "VK_RETURN" or "RETURN", a letter or digit, or a number like "0x0D".
bool KeyCode(std::wstring name, WORD& code) {
  if (name.starts_with(L"VK_") || name.starts_with(L"vk_")) name = name.substr(3);
  if (name.size() == 1 && std::iswalnum(name[0])) {
    code = static_cast<WORD>(std::towupper(name[0]));
    return true;
  }
  for (const auto& key : kKeys) {
    if (SameText(name, key.Name)) {
      code = key.Code;
      return true;
    }
  }
  wchar_t* end = nullptr;
  const unsigned long number = std::wcstoul(name.c_str(), &end, 0);
  if (!name.empty() && *end == L'\0' && number > 0 && number < 0xFF) {
    code = static_cast<WORD>(number);
    return true;
  }
  return false;
}

INPUT KeyInput(WORD code, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = code;
  // Scan codes too: Wine turns keys into characters (menu access keys) from them.
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
  const bool extended = code == VK_UP || code == VK_DOWN || code == VK_LEFT || code == VK_RIGHT ||
                        code == VK_HOME || code == VK_END || code == VK_DELETE || code == VK_APPS;
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

// Each argument is one stroke; "MENU+F4" holds MENU while pressing F4.
int PressKeys(int count, wchar_t** names) {
  std::vector<std::vector<WORD>> strokes;
  for (int i = 0; i < count; ++i) {
    std::vector<WORD> codes;
    std::wstring_view rest = names[i];
    while (!rest.empty()) {
      const auto plus = rest.find(L'+', 1);
      WORD code = 0;
      if (!KeyCode(std::wstring(rest.substr(0, plus)), code)) {
        std::fprintf(stderr, "unknown key: %s\n", Utf8(names[i]).c_str());
        return kUsage;
      }
      codes.push_back(code);
      rest = plus == std::wstring_view::npos ? std::wstring_view() : rest.substr(plus + 1);
    }
    strokes.push_back(codes);
  }
  for (const auto& codes : strokes) {
    std::vector<INPUT> inputs;
    for (WORD code : codes) inputs.push_back(KeyInput(code, false));
    for (auto it = codes.rbegin(); it != codes.rend(); ++it) inputs.push_back(KeyInput(*it, true));
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

std::string JsonMilliseconds(double milliseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", milliseconds);
  return text;
}

// Pixels of a top-down 32-bit DIB as one "RRGGBB..." string per row.
std::string JsonRows(const std::uint32_t* pixels, int width, int height) {
  std::vector<std::string> rows;
  for (int y = 0; y < height; ++y) {
    std::string row = "\"";
    for (int x = 0; x < width; ++x) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(pixels[y * width + x] & 0xFFFFFF));
      row += hex;
    }
    rows.push_back(row + "\"");
  }
  return JsonArray(rows);
}

// Copies a rectangle of the screen as often as it can for the given time and
// prints every picture that differs from the one before, with its time: a
// blink lasts a few timer ticks, far too short for screenshots taken from
// outside. The first picture is printed (and flushed) at once, so a caller
// that waits for it knows the watch has begun.
int WatchScreen(int left, int top, int width, int height, int milliseconds) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || milliseconds < 0) return kUsage;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const auto release = [&] {
    if (picture) DeleteObject(picture);
    if (memory) DeleteDC(memory);
    if (screen) ReleaseDC(nullptr, screen);
  };
  if (!screen || !memory || !picture) {
    std::fputs("watch: cannot make a picture of the screen\n", stderr);
    release();
    return kUsage;
  }
  const HGDIOBJ old = SelectObject(memory, picture);
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::vector<std::uint32_t> last;
  long long samples = 0, frames = 0;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  double elapsed = 0;
  do {
    const double taken = MillisecondsSince(start);
    BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    ++samples;
    if (last.size() != count || !std::equal(last.begin(), last.end(), pixels)) {
      last.assign(pixels, pixels + count);
      ++frames;
      JsonLine(L"frame")
          .Add("t", JsonMilliseconds(taken))
          .Add("sample", Json(samples))
          .Add("rows", JsonRows(pixels, width, height))
          .Print();
      std::fflush(stdout);
    }
    // A frame of the eyes lasts 10 ms: a sample a millisecond sees each one
    // and leaves the machine to the program watched.
    Sleep(1);
    elapsed = MillisecondsSince(start);
  } while (elapsed < milliseconds);
  JsonLine(L"watched")
      .Add("ms", JsonMilliseconds(elapsed))
      .Add("samples", Json(samples))
      .Add("frames", Json(frames))
      .Print();
  SelectObject(memory, old);
  release();
  return kDone;
}

int PrintWorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  JsonLine(L"work-area")
      .Add("rect", Json(work))
      .Add("screen", Json(screen))
      .Add("double_click_ms", Json(GetDoubleClickTime()))
      .Print();
  return kDone;
}

constexpr UINT_PTR kTimeUp = 1;

// Runs the window's messages until it is closed or its time is up.
void RunFor(HWND window, int milliseconds) {
  SetTimer(window, kTimeUp, static_cast<UINT>(milliseconds), nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == window && message.message == WM_TIMER && message.wParam == kTimeUp) break;
    DispatchMessageW(&message);
  }
}

// Wine closes a desktop a second after its last program has ended, and a
// program started while it closes cannot show itself: a test run holds it
// open from its first test to its last.
int HoldDesktop(int milliseconds) {
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"winprobe hold", WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window || milliseconds < 0) return kUsage;
  JsonLine(L"hold").Print();
  std::fflush(stdout);
  RunFor(window, milliseconds);
  DestroyWindow(window);
  return kDone;
}

// The registered message a newly made task bar sends to every top-level window.
int BroadcastTaskbarCreated() {
  const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  // Sent rather than posted: when the probe ends, every window has handled it.
  DWORD_PTR result = 0;
  const bool sent = SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
  JsonLine(L"taskbar-created").Add("message", Json(message)).Add("sent", Json(sent)).Print();
  return sent ? kDone : kNotFound;
}

int SendSessionChange(const wchar_t* className, std::wstring_view change) {
  if (change != L"lock" && change != L"unlock") return kUsage;
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  int told = 0;
  for (HWND w : TopLevelWindows()) {
    if (ClassOf(w) != className) continue;
    DWORD_PTR result = 0;
    const bool sent = SendMessageTimeoutW(w, WM_WTSSESSION_CHANGE, change == L"lock" ? WTS_SESSION_LOCK
                                                                                      : WTS_SESSION_UNLOCK,
                                          session, SMTO_ABORTIFHUNG, 10000, &result) != 0;
    JsonLine(L"session").Add("hwnd", Json(w)).Add("sent", Json(sent)).Print();
    if (sent) ++told;
  }
  return told ? kDone : kNotFound;
}

constexpr wchar_t kFakeShellTitle[] = L"winprobe fake shell";

struct FakeShell {
  LARGE_INTEGER Start{};
  std::vector<std::pair<HWND, UINT>> Icons;  // what an accepting shell holds

  // Answers as a shell does: an icon is added once, and only an icon it
  // holds can be changed or deleted.
  bool Answer(DWORD message, HWND window, UINT id) {
    const auto icon = std::make_pair(window, id);
    const auto held = std::find(Icons.begin(), Icons.end(), icon);
    switch (message) {
      case NIM_ADD:
        if (held != Icons.end()) return false;
        Icons.push_back(icon);
        return true;
      case NIM_MODIFY: return held != Icons.end();
      case NIM_DELETE:
        if (held == Icons.end()) return false;
        Icons.erase(held);
        return true;
      default: return false;
    }
  }
};

FakeShell* TheFakeShell = nullptr;

// Wine's Shell_NotifyIcon finds the first window of class Shell_TrayWnd and
// sends it WM_COPYDATA: dwData the operation, wParam the icon's window, the
// record starting with that window (32 bits) and the icon's id.
LRESULT CALLBACK FakeShellProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA && TheFakeShell) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const auto window = reinterpret_cast<HWND>(wParam);
    UINT id = 0;
    if (copy->cbData >= 8) std::memcpy(&id, static_cast<const char*>(copy->lpData) + 4, sizeof id);
    const auto operation = static_cast<DWORD>(copy->dwData);
    const bool answer = TheFakeShell->Answer(operation, window, id);
    JsonLine(L"tray-request")
        .Add("t", JsonMilliseconds(MillisecondsSince(TheFakeShell->Start)))
        .Add("message", Json(operation))
        .Add("window", Json(window))
        .Add("id", Json(id))
        .Add("answer", Json(answer))
        .Add("held", Json(TheFakeShell->Icons.size()))
        .Print();
    std::fflush(stdout);
    return answer;
  }
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(w, message, wParam, lParam);
}

// A stand-in for the shell's task bar, found before the real one: a shell
// just restarted that holds no icons. Topmost, so that it comes first in the
// search for the class.
int RunFakeShell(int milliseconds) {
  if (milliseconds < 0) return kUsage;
  FakeShell shell;
  QueryPerformanceCounter(&shell.Start);
  TheFakeShell = &shell;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &FakeShellProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"Shell_TrayWnd";
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, windowClass.lpszClassName, kFakeShellTitle,
                                      WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (!window) return kUsage;
  const bool first = FindWindowW(L"Shell_TrayWnd", nullptr) == window;
  JsonLine(L"fake-shell").Add("hwnd", Json(window)).Add("first", Json(first)).Print();
  std::fflush(stdout);
  RunFor(window, milliseconds);
  DestroyWindow(window);
  TheFakeShell = nullptr;
  return first ? kDone : kNotFound;
}

bool Coordinate(const wchar_t* text, int& value) {
  wchar_t* end = nullptr;
  value = static_cast<int>(std::wcstol(text, &end, 10));
  return *text && *end == L'\0';
}

int Usage() {
  std::fputs("usage: winprobe windows | message-boxes | close CLASS [TITLE] | press-button TITLE TEXT |\n"
             "       key KEY... | kill EXE | watch X Y W H MILLISECONDS | work-area | hold MILLISECONDS |\n"
             "       taskbar-created | session CLASS lock|unlock | fake-shell MILLISECONDS\n",
             stderr);
  return kUsage;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::wstring_view command = argv[1];
  const int extra = argc - 2;
  int x = 0, y = 0;
  if (command == L"windows" && extra == 0) return ListWindows();
  if (command == L"message-boxes" && extra == 0) return ListDialogs();
  if (command == L"close" && (extra == 1 || extra == 2)) {
    return PostClose(argv[2], extra == 2 ? argv[3] : nullptr);
  }
  if (command == L"press-button" && extra == 2) return PressButton(argv[2], argv[3]);
  if (command == L"key" && extra >= 1) return PressKeys(extra, argv + 2);
  if (command == L"kill" && extra == 1) return KillProcesses(argv[2]);
  if (command == L"work-area" && extra == 0) return PrintWorkArea();
  const bool point = extra >= 2 && Coordinate(argv[2], x) && Coordinate(argv[3], y);
  int width = 0, height = 0, milliseconds = 0;
  if (command == L"watch" && extra == 5 && point && Coordinate(argv[4], width) && Coordinate(argv[5], height) &&
      Coordinate(argv[6], milliseconds)) {
    return WatchScreen(x, y, width, height, milliseconds);
  }
  if (command == L"hold" && extra == 1 && Coordinate(argv[2], milliseconds)) return HoldDesktop(milliseconds);
  if (command == L"taskbar-created" && extra == 0) return BroadcastTaskbarCreated();
  if (command == L"session" && extra == 2) return SendSessionChange(argv[2], argv[3]);
  if (command == L"fake-shell" && extra == 1 && Coordinate(argv[2], milliseconds)) return RunFakeShell(milliseconds);
  return Usage();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int code = Run(argc, argv);
  std::fflush(stdout);
  return code;
}
