// The settings dialog and the about box as real windows: their layout, fonts
// and keyboard, the values they take and give back, the pupil entries they
// paint, and how their modal loops end.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/bitmap_list.h"
#include "dialogs/about_dialog.h"
#include "dialogs/setting_dialog.h"
#include "toolkit/dc_canvas.h"
#include "toolkit/handles.h"
#include "memory_surface.h"

namespace tovi {
namespace {

using testing::TSurface;

constexpr TColorRef kKey = 0xFF00FF, kUnpainted = 0x5A0A5A;
constexpr int kEntryHeight = 13;

// ---- What a window shows.

// Left, top, width and height of a window in the client area of another.
using TPlace = std::array<LONG, 4>;

TPlace PlaceIn(HWND client, HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Face, height and character set of the font a window answers WM_GETFONT with.
using TFontSeen = std::tuple<std::wstring, LONG, int>;
const TFontSeen kDialogFont{L"ＭＳ Ｐゴシック", -12, SHIFTJIS_CHARSET}, kNoFont;

TFontSeen FontOf(HWND window) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
  if (handle == nullptr || GetObjectW(handle, sizeof font, &font) == 0) return kNoFont;
  return {font.lfFaceName, font.lfHeight, font.lfCharSet};
}

// The size of a window's text in the window's own font.
SIZE TextExtent(HWND window) {
  const TWindowDc dc(window);
  const TSelectGuard font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
  const std::wstring text = TextOf(window);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

// The children that have all of `style`, in handle order.
std::vector<HWND> ChildrenOf(HWND parent, LONG_PTR style = 0) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if ((GetWindowLongPtrW(child, GWL_STYLE) & style) == style) children.push_back(child);
  std::ranges::sort(children);
  return children;
}

// What a window paints of itself when asked by `message`.
TRaster Printed(HWND window, UINT message = WM_PRINTCLIENT, LPARAM flags = PRF_CLIENT) {
  const SIZE size = ClientSize(window);
  const TSurface surface(size.cx, size.cy, kUnpainted);
  SendMessageW(window, message, reinterpret_cast<WPARAM>(surface.Dc.Get()), flags);
  return surface.Picture();
}

TRaster Crop(const TRaster& picture, int left, int top, int width, int height) {
  TRaster cropped(width, height);
  cropped.Draw(picture, -left, -top, TRasterOp::Copy);
  return cropped;
}

// ---- Input, as the platform would deliver it.

void PostClick(HWND control, int x = 10, int y = 10) {
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PostKey(HWND target, UINT key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

// Replaces the edit's text by typing: select all, delete, then each character.
void Type(HWND edit, const std::wstring& text) {
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CHAR, VK_BACK, 1);
  for (const wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

// Runs steps in a form's modal loop, each posted once the one before has run,
// so that what a step posts is handled before the next step looks. A form
// still open after the last step fails the test and is closed.
class TModalScript final : public TWindow {
 public:
  TModalScript(TForm& form, std::vector<std::function<void()>> steps) : FForm(form), FSteps(std::move(steps)) {
    CreateHandle({.ClassName = L"ToviDialogTestScript"});
    PostMessageW(Handle(), kStep, 0, 0);
  }
  bool Finished() const { return FNext == FSteps.size(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kStep) return TWindow::HandleMessage(message, wParam, lParam);
    if (FNext < FSteps.size()) {
      FSteps[FNext++]();
      PostMessageW(Handle(), kStep, 0, 0);
    } else if (FForm.Showing()) {
      ADD_FAILURE() << "the form is still open after the last step";
      FForm.SetModalResult(-1);
    }
    return 0;
  }

 private:
  static constexpr UINT kStep = WM_APP + 1;
  TForm& FForm;
  std::vector<std::function<void()>> FSteps;
  std::size_t FNext = 0;
};

// Shows the form modally while the steps run in its loop; the modal result.
// Every opening comes centred on the screen, though the form was moved away
// before it as a user may drag it, and ends hidden.
int ShowModalWith(TForm& form, std::vector<std::function<void()>> steps) {
  const HWND window = form.Handle();
  SetWindowPos(window, nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT shown{};
  steps.insert(steps.begin(), [&] {
    if (IsWindowVisible(window)) GetWindowRect(window, &shown);
  });
  const TModalScript script(form, std::move(steps));
  const int result = form.ShowModal();
  EXPECT_TRUE(script.Finished()) << "the form closed before the last step";
  const LONG left = (GetSystemMetrics(SM_CXSCREEN) - (shown.right - shown.left)) / 2;
  const LONG top = (GetSystemMetrics(SM_CYSCREEN) - (shown.bottom - shown.top)) / 2;
  EXPECT_EQ(std::tuple(shown.left, shown.top, IsWindowVisible(window)), std::tuple(left, top, FALSE))
      << "shown centred on the screen, hidden once the modal loop has ended";
  return result;
}

// ---- Layout tables.

struct TControlRow {
  const char* Name;
  HWND Handle;
  const wchar_t* Kind;  // window class
  TPlace Place;         // a label is sized to its text: only its Left and Top count
  std::wstring Text;
  std::optional<POINT> Within = {};  // a label's text keeps left of x and above y, clear of its neighbours
  std::optional<TFontSeen> Font = kDialogFont;  // none: what the platform's control makes of it
};

// A hidden, fixed top-level frame with a close box, in the dialog font, with
// the face colour at `bare`, holding the listed controls and no others.
void ExpectLayout(const TForm& form, const std::wstring& caption, SIZE client, POINT bare,
                  const std::vector<TControlRow>& rows) {
  const HWND window = form.Handle();
  const SIZE size = ClientSize(window);
  EXPECT_EQ(std::tuple(TextOf(window), size.cx, size.cy, FontOf(window)),
            std::tuple(caption, client.cx, client.cy, kDialogFont));
  const LONG_PTR kinds = WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (kinds | WS_THICKFRAME), WS_CAPTION | WS_SYSMENU) << "frame";
  EXPECT_EQ(Printed(window, WM_PRINT, PRF_CLIENT | PRF_ERASEBKGND).Pixel(bare.x, bare.y), GetSysColor(COLOR_BTNFACE));
  std::vector<HWND> listed;
  for (const TControlRow& row : rows) {
    listed.push_back(row.Handle);
    wchar_t kind[64]{};
    GetClassNameW(row.Handle, kind, 64);
    EXPECT_EQ(std::tuple(std::wstring(kind), TextOf(row.Handle), row.Font ? FontOf(row.Handle) : kNoFont),
              std::tuple(std::wstring(row.Kind), row.Text, row.Font.value_or(kNoFont)))
        << row.Name;
    const TPlace place = PlaceIn(window, row.Handle);
    EXPECT_EQ(place, (row.Within ? TPlace{row.Place[0], row.Place[1], place[2], place[3]} : row.Place)) << row.Name;
    const SIZE text = TextExtent(row.Handle);
    EXPECT_TRUE(!row.Within || (place[2] >= text.cx && place[3] >= text.cy && place[0] + text.cx <= row.Within->x &&
                                place[1] + text.cy <= row.Within->y))
        << row.Name << " is " << place[2] << " x " << place[3] << " for a text of " << text.cx << " x " << text.cy
        << ", which must fit and keep clear of its neighbours";
  }
  std::ranges::sort(listed);
  EXPECT_EQ(ChildrenOf(window), listed) << "the form holds the listed controls and no others";
}

// ---- The settings dialog.

// Pupil picture i: 7 by 7 in a colour of its own with a white glint, its
// corners in `paper`: its key colour (found at the bottom left), or a background.
TRaster PupilPicture(int i, TColorRef paper = kKey) {
  TRaster picture(7, 7, RGB(30 + 20 * i, 200 - 15 * i, 60 + 10 * i));
  for (const POINT at : {POINT{0, 0}, POINT{6, 0}, POINT{0, 6}, POINT{6, 6}}) picture.SetPixel(at.x, at.y, paper);
  picture.SetPixel(2, 2, kWhite);
  return picture;
}

// The entry as it should look: `rect` in the background, pupil `index` (if any) at (x, y).
void DrawEntry(TRaster& target, const RECT& rect, TColorRef background, int index, int x, int y) {
  target.Draw(TRaster(rect.right - rect.left, rect.bottom - rect.top, background), rect.left, rect.top,
              TRasterOp::Copy);
  if (index >= 0) target.Draw(PupilPicture(index, background), x, y, TRasterOp::Copy);
}

// A number as the up-down writes it: groups of three digits parted by the locale's separator.
std::wstring Grouped(int value) {
  wchar_t separator[8]{};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  std::wstring digits = std::to_wstring(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), separator);
  return digits;
}

class DlgSettingTest : public ::testing::Test {
 protected:
  void Open(int pictures, std::int32_t type, bool blink, std::int32_t interval) {
    TBitmapList& list = Lists[pictures];
    for (int i = list.Count(); i < pictures; ++i) list.Add(PupilPicture(i));
    Dlg.SetEyeList(&list);
    Dlg.SetValues(type, blink, interval);
  }
  // Type, blink and interval as GetValues gives them.
  std::tuple<std::int32_t, bool, std::int32_t> Values() const {
    std::tuple<std::int32_t, bool, std::int32_t> v;
    Dlg.GetValues(std::get<0>(v), std::get<1>(v), std::get<2>(v));
    return v;
  }
  // The entries in the list, the one selected, whether the box is ticked, the interval's text.
  std::tuple<int, int, bool, std::wstring> Shown() const {
    const HWND combo = Dlg.CmbTovi.Handle();
    return {static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)),
            static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)),
            SendMessageW(Dlg.ChkBlink.Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED, TextOf(Dlg.EdtBlinkIvl.Handle())};
  }
  // Whether the interval label, edit, up-down and unit label are enabled.
  std::vector<bool> IntervalEnabled() const {
    std::vector<bool> enabled;
    for (const HWND control : {Dlg.LblBlinkIvl.Handle(), Dlg.EdtBlinkIvl.Handle(), Dlg.UdbBlinkIvl.Handle(),
                               Dlg.LblBlinkIvlUnit.Handle()})
      enabled.push_back(IsWindowEnabled(control) != FALSE);
    return enabled;
  }

  std::map<int, TBitmapList> Lists;  // the dialog only points at its list
  TDlgSetting Dlg;
};

TEST_F(DlgSettingTest, FrameAndControlsFollowTheTable) {
  ExpectLayout(Dlg, L"設定", {283, 86}, {170, 80},
               {
                   {"Label1", Dlg.Label1.Handle(), L"Static", {12, 12}, L"ひとみの色", POINT{96, 36}},
                   {"LblBlinkIvl", Dlg.LblBlinkIvl.Handle(), L"Static", {28, 60}, L"間隔", POINT{60, 86}},
                   {"LblBlinkIvlUnit", Dlg.LblBlinkIvlUnit.Handle(), L"Static", {132, 60}, L"ミリ秒", POINT{180, 86}},
                   {"CmbTovi", Dlg.CmbTovi.Handle(), L"ComboBox", {96, 8, 53, 19}, L""},
                   {"EdtBlinkIvl", Dlg.EdtBlinkIvl.Handle(), L"Edit", {60, 56, 53, 20}, L"100"},
                   {"ChkBlink", Dlg.ChkBlink.Handle(), L"Button", {12, 36, 97, 17}, L"まばたきする"},
                   {"OK", Dlg.OK.Handle(), L"TQuickButton", {180, 12, 89, 25}, L"OK"},
                   {"QuickButton1", Dlg.QuickButton1.Handle(), L"TQuickButton", {180, 44, 89, 25}, L"キャンセル"},
                   {"UdbBlinkIvl", Dlg.UdbBlinkIvl.Handle(), UPDOWN_CLASSW, {113, 56, 15, 20}, L"", {}, {}},
               });
  const LONG_PTR kinds = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE;
  EXPECT_EQ(GetWindowLongPtrW(Dlg.CmbTovi.Handle(), GWL_STYLE) & kinds, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED)
      << "a list without an edit field, entries of one height drawn by the dialog";
  // Holding an arrow never speeds up: one acceleration step of 100 from the start.
  UDACCEL accel[4]{};
  const auto steps = SendMessageW(Dlg.UdbBlinkIvl.Handle(), UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(accel));
  EXPECT_EQ(std::tuple(steps, accel[0].nSec, accel[0].nInc), std::tuple(LRESULT{1}, 0u, 100u));
}

TEST_F(DlgSettingTest, PupilListDropsUpToEightEntriesUnderTheFieldAndBothShowThePictures) {
  SetCursorPos(0, 0);  // away from the list, which follows the mouse
  ShowWindow(Dlg.Handle(), SW_SHOWNOACTIVATE);
  const HWND combo = Dlg.CmbTovi.Handle();
  struct Case {
    int pictures, rows;
    bool scrolls;
  };
  for (const Case c : {Case{12, 8, true}, Case{8, 8, false}, Case{3, 3, false}}) {
    Open(c.pictures, 2, true, 5000);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    const bool scrolls = (GetWindowLongPtrW(info.hwndList, GWL_STYLE) & WS_VSCROLL) != 0;
    const auto dropped = std::tuple(PlaceIn(Dlg.Handle(), info.hwndList)[1], ClientSize(info.hwndList).cy, scrolls);
    const TRaster list = Printed(info.hwndList);
    const int top = static_cast<int>(SendMessageW(info.hwndList, LB_GETTOPINDEX, 0, 0));  // a list may scroll
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(dropped, std::tuple(LONG{8 + 19}, LONG{c.rows * kEntryHeight}, c.scrolls))
        << c.pictures << " pictures: the list's top under the field, its height, whether it scrolls";
    const int width = list.Width();
    for (int row = 0; row < c.rows; ++row) {
      const int i = top + row;
      TRaster expected(width, kEntryHeight);
      DrawEntry(expected, {0, 0, width, kEntryHeight}, GetSysColor(i == 2 ? COLOR_HIGHLIGHT : COLOR_WINDOW), i, 8, 3);
      // The outermost pixels may carry the focus rectangle.
      EXPECT_EQ(Crop(list, 1, row * kEntryHeight + 1, width - 2, kEntryHeight - 2),
                Crop(expected, 1, 1, width - 2, kEntryHeight - 2))
          << c.pictures << " pictures: entry " << i;
    }
    // The field draws the chosen entry wherever the platform puts its text area.
    const TRaster field = Printed(combo);
    const TColorRef background = GetSysColor(GetFocus() == combo ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    std::vector<int> found;
    for (int i = 0; i < c.pictures; ++i)
      for (int y = 0; y + 7 <= field.Height(); ++y)
        for (int x = 0; x + 7 <= field.Width(); ++x)
          if (Crop(field, x, y, 7, 7) == PupilPicture(i, background)) found.push_back(i);
    EXPECT_EQ(found, std::vector{2}) << c.pictures << " pictures: the field shows pupil 2 once, and no other";
  }
}

TEST_F(DlgSettingTest, TabKeyMovesBetweenTheEnabledStopsInTheModalLoop) {
  const HWND combo = Dlg.CmbTovi.Handle(), edit = Dlg.EdtBlinkIvl.Handle(), box = Dlg.ChkBlink.Handle();
  for (const bool blink : {true, false}) {
    // The list has the focus on opening; after each Tab: no push button, not the
    // up-down, not the disabled edit.
    const std::vector<HWND> focus = blink ? std::vector{combo, edit, box, combo} : std::vector{combo, box, combo};
    Open(4, 0, blink, 5000);
    std::vector<HWND> seen;
    std::vector<std::function<void()>> steps;
    for (std::size_t i = 0; i < focus.size(); ++i)
      steps.push_back([&] {
        seen.push_back(GetFocus());
        PostKey(GetFocus(), VK_TAB);
      });
    steps.push_back([&] { PostClick(Dlg.QuickButton1.Handle()); });
    EXPECT_EQ(ShowModalWith(Dlg, steps), mrCancel);
    EXPECT_EQ(seen, focus) << (blink ? "blinking" : "not blinking");
  }
}

TEST_F(DlgSettingTest, SetValuesOverwritesWhatTheUserLeftAndGetValuesGivesBackWhatTheControlsHold) {
  int runs = 0;
  Dlg.ChkBlink.OnClick = [&, handler = Dlg.ChkBlink.OnClick](TObject* sender) {
    ++runs;
    handler(sender);
  };
  struct Case {
    const char* what;
    int pictures, type;
    bool blink;
    std::int32_t interval;
    int selected, shown;  // the entry chosen and the interval in the edit: what GetValues gives back
  };
  const Case cases[] = {
      {"type 2 of four pictures", 4, 2, true, 5000, 2, 5000},
      {"type 3 of three: no entry", 3, 3, true, 300, -1, 300},
      {"negative type", 3, -1, true, 300, -1, 300},
      {"no pictures at all", 0, 0, true, 1000, -1, 1000},
      {"blink off keeps its interval", 4, 0, false, 2500, 0, 2500},
      {"upper end", 4, 1, true, 10000, 1, 10000},
      {"lower end", 4, 1, true, 100, 1, 100},
      {"off the step", 4, 1, true, 1234, 1, 1234},
      {"largest 32-bit", 4, 1, true, INT32_MAX, 1, 10000},
      {"smallest 32-bit", 4, 1, true, INT32_MIN, 1, 100},
      // Cut to 16 bits these would be 500, 500 and negative.
      {"65536 + 500 is clamped, not cut", 4, 1, true, 66036, 1, 10000},
      {"-65536 + 500 is clamped, not cut", 4, 1, true, -65036, 1, 100},
      {"32768", 4, 1, true, 32768, 1, 10000},
  };
  for (const Case& c : cases) {
    // What the user left behind: the first entry, the box clicked, text typed.
    SendMessageW(Dlg.CmbTovi.Handle(), CB_SETCURSEL, 0, 0);
    SendMessageW(Dlg.ChkBlink.Handle(), BM_CLICK, 0, 0);
    Type(Dlg.EdtBlinkIvl.Handle(), L"abc");
    const bool change = std::get<2>(Shown()) != c.blink;
    runs = 0;
    Open(c.pictures, c.type, c.blink, c.interval);
    EXPECT_EQ(Shown(), std::tuple(c.pictures, c.selected, c.blink, Grouped(c.shown)))
        << c.what << ": the entries, the one selected, the box, the interval shown";
    // The box's handler runs when the box changes, and only then, as at a click.
    EXPECT_EQ(std::pair(runs, IntervalEnabled()), std::pair(change ? 1 : 0, std::vector<bool>(4, c.blink)))
        << c.what << ": the box's handler runs and sets the interval controls";
    EXPECT_EQ(Values(), std::tuple(c.selected, c.blink, c.shown)) << c.what;
  }
}

TEST_F(DlgSettingTest, TheBoxEnablesTheIntervalControlsAtEveryOpeningAndEveryClick) {
  // Showing sets the states from the box even when they were put out of step behind its back.
  struct Case {
    const char* what;
    bool blink;
    std::function<void()> meddle;
    bool enabled;
  };
  const HWND combo = Dlg.CmbTovi.Handle(), box = Dlg.ChkBlink.Handle();
  const Case cases[] = {
      {"not blinking", false, [] {}, false},
      {"box ticked without notice", false, [&] { SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0); }, true},
      {"edit disabled behind its back", true, [&] { EnableWindow(Dlg.EdtBlinkIvl.Handle(), FALSE); }, true},
  };
  const HWND others[] = {Dlg.Label1.Handle(), combo, box, Dlg.OK.Handle(), Dlg.QuickButton1.Handle()};
  for (const Case& c : cases) {
    Open(4, 1, c.blink, 2500);
    c.meddle();
    std::vector<std::pair<std::vector<bool>, bool>> seen;  // the interval controls, and all the rest
    const auto look = [&] { seen.emplace_back(IntervalEnabled(), std::ranges::all_of(others, IsWindowEnabled)); };
    const auto clickBox = [&] {
      look();
      PostClick(box, 5, 8);
    };
    const auto pickNext = [&] {
      look();
      SetFocus(combo);
      PostKey(combo, VK_DOWN);
    };
    EXPECT_EQ(ShowModalWith(Dlg, {clickBox, clickBox, pickNext, [&] { PostClick(Dlg.OK.Handle()); }}), mrOK) << c.what;
    const std::pair shown(std::vector<bool>(4, c.enabled), true), flipped(std::vector<bool>(4, !c.enabled), true);
    EXPECT_EQ(seen, (std::vector{shown, flipped, shown})) << c.what << ": on showing, after one click, after two";
    EXPECT_EQ(Values(), std::tuple(2, c.enabled, 2500)) << c.what << ": the entry picked; the interval either way";
  }
}

TEST_F(DlgSettingTest, UpDownStepsBy100WithinItsRangeAndKeepsItsValueAgainstBadText) {
  enum TSpin { None, Up, Down, UpKey };  // a click on an arrow, or the up arrow key in the edit
  struct Case {
    const char* what;
    std::int32_t interval;
    std::optional<std::wstring> typed;
    TSpin spin;
    std::int32_t value;  // shown grouped unless text was typed, which stays
  };
  const Case cases[] = {
      {"5,000 up", 5000, {}, Up, 5100},
      {"up arrow key", 5000, {}, UpKey, 5100},
      {"a step past the top stops there", 9950, {}, Up, 10000},
      {"a step past the bottom stops there", 150, {}, Down, 100},
      {"typed with the separator", 5000, Grouped(7300), None, 7300},
      {"typed off the step", 5000, L"250", None, 250},
      {"letters keep the last value", 5000, L"abc", None, 5000},
      {"above the range keeps the last value", 5000, L"20000", None, 5000},
      {"below the range keeps the last value", 5000, L"50", None, 5000},
      {"a fraction keeps the last value", 5000, L"7300.5", None, 5000},
  };
  const HWND upDown = Dlg.UdbBlinkIvl.Handle(), edit = Dlg.EdtBlinkIvl.Handle();
  for (const Case& c : cases) {
    Open(4, 0, true, c.interval);
    if (c.typed) Type(edit, *c.typed);
    // Each press is followed by its release, which stops the repeat before it starts.
    const LPARAM arrow = MAKELPARAM(7, c.spin == Up ? 5 : 15);  // in the upper or the lower half of 20
    if (c.spin == UpKey) {
      SendMessageW(edit, WM_KEYDOWN, VK_UP, 1);
      SendMessageW(edit, WM_KEYUP, VK_UP, 0xC0000001);
    } else if (c.spin != None) {
      SendMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, arrow);
      SendMessageW(upDown, WM_LBUTTONUP, 0, arrow);
    }
    EXPECT_EQ(std::pair(std::get<2>(Values()), TextOf(edit)), std::pair(c.value, c.typed ? *c.typed : Grouped(c.value)))
        << c.what << ": the interval, the text shown";
  }
}

TEST_F(DlgSettingTest, EntryIsThePupilOnItsBackgroundWithoutText) {
  Open(4, 0, true, 5000);
  const TColorRef window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
  struct Case {
    const char* what;
    int index;
    UINT state;
    RECT rect;
    TColorRef background;
    int pupilY;  // top + (height - 6) / 2
  };
  const Case cases[] = {
      {"first entry", 0, 0, {0, 0, 40, 13}, window, 3},
      {"selected entry", 2, ODS_SELECTED, {0, 26, 40, 39}, highlight, 29},
      {"entry off the origin", 1, 0, {5, 20, 45, 33}, window, 23},
      {"an odd height rounds down", 3, 0, {0, 0, 40, 16}, window, 5},
      {"empty selection field", -1, ODS_COMBOBOXEDIT, {3, 3, 43, 16}, window, 6},
      {"the focus rectangle comes after", 2, ODS_SELECTED | ODS_FOCUS, {0, 0, 40, 13}, highlight, 3},
  };
  const HWND combo = Dlg.CmbTovi.Handle();
  const auto id = static_cast<UINT>(GetDlgCtrlID(combo));
  for (const Case& c : cases) {
    const TSurface painted(50, 40, kUnpainted), expected(50, 40, kUnpainted);
    DRAWITEMSTRUCT item{ODT_COMBOBOX, id, UINT(c.index), ODA_DRAWENTIRE, c.state, combo, painted.Dc.Get(), c.rect, 0};
    EXPECT_TRUE(SendMessageW(Dlg.Handle(), WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item))) << c.what;
    TRaster entry(50, 40, kUnpainted);
    DrawEntry(entry, c.rect, c.background, c.index, c.rect.left + 8, c.pupilY);
    TDcCanvas(expected.Dc.Get()).Draw(0, 0, entry);
    if (c.state & ODS_FOCUS) DrawFocusRect(expected.Dc.Get(), &c.rect);
    EXPECT_EQ(painted.Picture(), expected.Picture()) << c.what;
  }
}

// ---- Modal behaviour of both dialogs.

TEST(DlgModalTest, EachWayOfClosingGivesItsResultAndNeitherEnterNorEscapeCloses) {
  // The same dialogs serve every opening, as in the program.
  TDlgSetting setting;
  TDlgAbout about;
  setting.SetValues(0, true, 5000);
  const auto click = [](const TQuickButton& button) { return [&button] { PostClick(button.Handle()); }; };
  const auto closeBox = [](const TForm& f) { return [&f] { PostMessageW(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }; };
  struct Case {
    const char* what;
    TForm& form;
    UINT key;  // pressed first in each target (null: the dialog itself), closing nothing
    std::vector<HWND> targets;
    std::function<void()> close;
    int result;
  };
  const std::vector<HWND> settingTargets = {nullptr, setting.CmbTovi.Handle(), setting.EdtBlinkIvl.Handle(),
                                            setting.ChkBlink.Handle()},
                          aboutTargets = {nullptr, about.OK.Handle()};
  const Case cases[] = {
      {"settings: OK", setting, 0, {}, click(setting.OK), 1},
      {"settings: Cancel", setting, 0, {}, click(setting.QuickButton1), 2},
      {"settings: close box", setting, 0, {}, closeBox(setting), 2},
      {"settings: Enter, then Cancel", setting, VK_RETURN, settingTargets, click(setting.QuickButton1), 2},
      {"settings: Escape, then OK", setting, VK_ESCAPE, settingTargets, click(setting.OK), 1},
      {"about: OK", about, 0, {}, click(about.OK), 1},
      {"about: close box", about, 0, {}, closeBox(about), 2},
      {"about: Enter, then the close box", about, VK_RETURN, aboutTargets, closeBox(about), 2},
      {"about: Escape, then OK", about, VK_ESCAPE, aboutTargets, click(about.OK), 1},
  };
  for (const Case& c : cases) {
    std::vector<std::function<void()>> steps;
    for (const HWND target : c.targets)
      steps.push_back([&c, to = target ? target : c.form.Handle()] {
        SetFocus(to);
        PostKey(to, c.key);
      });
    steps.push_back(c.close);
    EXPECT_EQ(ShowModalWith(c.form, steps), c.result) << c.what;
  }
}

// ---- The about box.

TEST(DlgAboutTest, FrameControlsRuleAndIcon) {
  TDlgAbout about;
  const TFontSeen title{L"Century Gothic", -27, ANSI_CHARSET};
  ExpectLayout(about, L"Toviについて", {249, 115}, {230, 100},
               {
                   {"Image1", about.Image1.Handle(), L"Static", {8, 8, 32, 32}, L"", {}, {}},
                   {"Label1", about.Label1.Handle(), L"Static", {48, 8}, L"Tovi", POINT{249, 44}, title},
                   {"Label2", about.Label2.Handle(), L"Static", {48, 44}, L"トヴィ Ver.1.20", POINT{249, 58}},
                   {"LblCopyright", about.LblCopyright.Handle(), L"Static", {48, 58}, L"© 2026 Tovi の開発者",
                    POINT{249, 76}},
                   {"Bevel1", about.Bevel1.Handle(), L"Static", {12, 76, 229, 5}, L"", {}, {}},
                   {"OK", about.OK.Handle(), L"TQuickButton", {84, 84, 89, 25}, L"OK"},
               });
  EXPECT_EQ(ChildrenOf(about.Handle(), WS_TABSTOP), std::vector<HWND>{}) << "no tab stop";

  TRaster rule(229, 5, GetSysColor(COLOR_BTNFACE));
  rule.Draw(TRaster(229, 1, GetSysColor(COLOR_BTNSHADOW)), 0, 0, TRasterOp::Copy);
  rule.Draw(TRaster(229, 1, GetSysColor(COLOR_BTNHIGHLIGHT)), 0, 1, TRasterOp::Copy);
  EXPECT_EQ(Printed(about.Bevel1.Handle()), rule) << "the bevel is a sunken rule along its top";

  // An icon static takes the size of its icon: the place above holds it at 32 pixels.
  EXPECT_NE(SendMessageW(about.Image1.Handle(), STM_GETIMAGE, IMAGE_ICON, 0), 0) << "the image holds the program's icon";
}

}  // namespace
}  // namespace tovi
