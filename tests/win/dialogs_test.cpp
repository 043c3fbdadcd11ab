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
#include "memory_surface.h"

namespace tovi {
namespace {

using namespace testing;

constexpr TColorRef kKey = 0xFF00FF, kUnpainted = 0x5A0A5A;

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

// The children that have all of `style`, in handle order.
std::vector<HWND> ChildrenOf(HWND parent, LONG_PTR style = 0) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if ((GetWindowLongPtrW(child, GWL_STYLE) & style) == style) children.push_back(child);
  std::ranges::sort(children);
  return children;
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

// Shows the form modally and runs the steps in its loop, one a tick: a tick comes
// only when nothing posted waits, so what a step posts is handled before the next
// looks. A form still open after the last step fails the test and is closed. Every
// opening comes centred, though the form was moved away as a user may drag it, and
// ends hidden. Gives the modal result.
int ShowModalWith(TForm& form, std::vector<std::function<void()>> steps) {
  static std::vector<std::function<void()>> script;
  static std::size_t next;
  static TForm* open;
  const HWND window = form.Handle();
  SetWindowPos(window, nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT shown{};
  steps.insert(steps.begin(), [&] { GetWindowRect(window, &shown); });
  script = std::move(steps), next = 0, open = &form;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    if (next < script.size()) {
      script[next++]();
    } else if (open->Showing()) {
      ADD_FAILURE() << "the form is still open after the last step";
      open->SetModalResult(-1);
    }
  });
  const int result = form.ShowModal();
  KillTimer(nullptr, timer);
  EXPECT_EQ(next, script.size()) << "the form closed before the last step";
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
  TPlace Place;         // a label is sized to its text in the font at hand: only its left and top count
  std::wstring Text;
  std::optional<TFontSeen> Font = kDialogFont;  // none: what the platform's control makes of it
};

// A fixed top-level frame with a close box, in the dialog font, with the face
// colour at `bare`, holding the listed controls and no others.
void ExpectLayout(const TForm& form, const std::wstring& caption, SIZE client, POINT bare,
                  const std::vector<TControlRow>& rows) {
  const HWND window = form.Handle();
  const SIZE size = ClientSize(window);
  EXPECT_EQ(std::tuple(TextOf(window), size.cx, size.cy, FontOf(window)),
            std::tuple(caption, client.cx, client.cy, kDialogFont));
  const LONG_PTR kinds = WS_CHILD | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (kinds | WS_THICKFRAME), WS_CAPTION | WS_SYSMENU) << "frame";
  EXPECT_EQ(Printed(window, kUnpainted, WM_PRINT, PRF_CLIENT | PRF_ERASEBKGND).Pixel(bare.x, bare.y),
            GetSysColor(COLOR_BTNFACE));
  std::vector<HWND> listed;
  for (const TControlRow& row : rows) {
    listed.push_back(row.Handle);
    wchar_t kind[64]{};
    GetClassNameW(row.Handle, kind, 64);
    TPlace place = PlaceIn(window, row.Handle);
    if (row.Place[2] == 0) place[2] = place[3] = 0;
    EXPECT_EQ(std::tuple(std::wstring(kind), TextOf(row.Handle), row.Font ? FontOf(row.Handle) : kNoFont, place),
              std::tuple(std::wstring(row.Kind), row.Text, row.Font.value_or(kNoFont), row.Place))
        << row.Name;
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

// A number as the up-down writes it, each space standing for the locale's thousands separator.
std::wstring Grouped(std::wstring text) {
  wchar_t separator[8]{};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  for (std::size_t at = text.find(L' '); at != std::wstring::npos; at = text.find(L' ', at))
    text.replace(at, 1, separator);
  return text;
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
                   {"Label1", Dlg.Label1.Handle(), L"Static", {12, 12}, L"ひとみの色"},
                   {"LblBlinkIvl", Dlg.LblBlinkIvl.Handle(), L"Static", {28, 60}, L"間隔"},
                   {"LblBlinkIvlUnit", Dlg.LblBlinkIvlUnit.Handle(), L"Static", {132, 60}, L"ミリ秒"},
                   {"CmbTovi", Dlg.CmbTovi.Handle(), L"ComboBox", {96, 8, 53, 19}, L""},
                   {"EdtBlinkIvl", Dlg.EdtBlinkIvl.Handle(), L"Edit", {60, 56, 53, 20}, L"100"},
                   {"ChkBlink", Dlg.ChkBlink.Handle(), L"Button", {12, 36, 97, 17}, L"まばたきする"},
                   {"OK", Dlg.OK.Handle(), L"TQuickButton", {180, 12, 89, 25}, L"OK"},
                   {"QuickButton1", Dlg.QuickButton1.Handle(), L"TQuickButton", {180, 44, 89, 25}, L"キャンセル"},
                   {"UdbBlinkIvl", Dlg.UdbBlinkIvl.Handle(), UPDOWN_CLASSW, {113, 56, 15, 20}, L"", {}},
               });
  const LONG_PTR kinds = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE;
  EXPECT_EQ(GetWindowLongPtrW(Dlg.CmbTovi.Handle(), GWL_STYLE) & kinds, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED)
      << "a list without an edit field, entries of one height drawn by the dialog";
}

TEST_F(DlgSettingTest, PupilListDropsUpToEightEntriesUnderTheFieldWhichShowsThePupilChosen) {
  SetCursorPos(0, 0);  // away from the list, which follows the mouse
  ShowWindow(Dlg.Handle(), SW_SHOWNOACTIVATE);
  const HWND combo = Dlg.CmbTovi.Handle();
  for (const int pictures : {12, 3}) {
    Open(pictures, 2, true, 5000);
    COMBOBOXINFO info{sizeof info, {}, {}, 0, nullptr, nullptr, nullptr};
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    const bool scrolls = (GetWindowLongPtrW(info.hwndList, GWL_STYLE) & WS_VSCROLL) != 0;
    const auto dropped = std::tuple(PlaceIn(Dlg.Handle(), info.hwndList)[1], ClientSize(info.hwndList).cy, scrolls);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(dropped, std::tuple(LONG{8 + 19}, LONG{std::min(pictures, 8) * 13}, pictures > 8))
        << pictures << " pictures: the list's top under the field, its height, whether it scrolls";
    // The field draws the chosen entry wherever the platform puts its text area.
    const TRaster field = Printed(combo, kUnpainted);
    const TColorRef background = GetSysColor(GetFocus() == combo ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    std::vector<int> found;
    for (int i = 0; i < pictures; ++i)
      for (int y = 0; y + 7 <= field.Height(); ++y)
        for (int x = 0; x + 7 <= field.Width(); ++x)
          if (Crop(field, x, y, 7, 7) == PupilPicture(i, background)) found.push_back(i);
    EXPECT_EQ(found, std::vector{2}) << pictures << " pictures: the field shows pupil 2 once, and no other";
  }
}

TEST_F(DlgSettingTest, TheFocusMovesBetweenTheEnabledStopsAndNeitherEnterNorEscapeCloses) {
  const HWND combo = Dlg.CmbTovi.Handle(), edit = Dlg.EdtBlinkIvl.Handle(), box = Dlg.ChkBlink.Handle();
  for (const bool blink : {true, false}) {
    // The list has the focus on opening; Tab skips the push buttons, the up-down and a disabled edit.
    // Unticking the box while the edit has the focus moves it on to the next stop, the box.
    const std::vector<HWND> focus = blink ? std::vector{combo, edit, box, combo, box} : std::vector{combo, box, combo};
    Open(4, 0, blink, 5000);
    std::vector<HWND> seen;
    std::vector<std::function<void()>> steps(blink ? 4 : 3, [&] {
      seen.push_back(GetFocus());
      for (const UINT key : {VK_RETURN, VK_ESCAPE, VK_TAB}) PostKey(GetFocus(), key);
    });
    steps.push_back([&] {
      if (blink) {
        Dlg.ChkBlink.SetChecked(false);
        seen.push_back(GetFocus());
        PostClick(Dlg.QuickButton1.Handle());
      } else {
        PostMessageW(Dlg.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
      }
    });
    EXPECT_EQ(ShowModalWith(Dlg, steps), mrCancel);
    EXPECT_EQ(seen, focus) << (blink ? "blinking" : "not blinking");
  }
}

TEST_F(DlgSettingTest, SetValuesOverwritesWhatTheUserLeftAndGetValuesGivesBackWhatTheControlsHold) {
  struct Case {
    const char* what;
    int pictures, type;
    bool blink;
    std::int32_t interval;
    int selected, shown;  // the entry chosen and the interval in the edit: what GetValues gives back
    const wchar_t* text;  // the interval as the edit shows it
  };
  const Case cases[] = {
      {"type 2 of four pictures", 4, 2, true, 5000, 2, 5000, L"5 000"},
      {"type 7 of three: no entry", 3, 7, true, 300, -1, 300, L"300"},
      {"no pictures at all", 0, 0, true, 1000, -1, 1000, L"1 000"},
      {"blink off keeps its interval", 4, 0, false, 2500, 0, 2500, L"2 500"},
      {"upper end", 4, 1, true, 10000, 1, 10000, L"10 000"},
      {"lower end", 4, 1, true, 100, 1, 100, L"100"},
      {"largest 32-bit", 4, 1, true, INT32_MAX, 1, 10000, L"10 000"},
      {"smallest 32-bit", 4, 1, true, INT32_MIN, 1, 100, L"100"},
      {"65536 + 500 is clamped, not cut to 16 bits", 4, 1, true, 66036, 1, 10000, L"10 000"},
  };
  for (const Case& c : cases) {
    // What the user left behind: the first entry, the box clicked, text typed.
    SendMessageW(Dlg.CmbTovi.Handle(), CB_SETCURSEL, 0, 0);
    SendMessageW(Dlg.ChkBlink.Handle(), BM_CLICK, 0, 0);
    Type(Dlg.EdtBlinkIvl.Handle(), L"abc");
    Open(c.pictures, c.type, c.blink, c.interval);
    EXPECT_EQ(Shown(), std::tuple(c.pictures, c.selected, c.blink, Grouped(c.text)))
        << c.what << ": the entries, the one selected, the box, the interval shown";
    EXPECT_EQ(IntervalEnabled(), std::vector<bool>(4, c.blink)) << c.what << ": the interval controls follow the box";
    EXPECT_EQ(Values(), std::tuple(c.selected, c.blink, c.shown)) << c.what;
  }
}

TEST_F(DlgSettingTest, UpDownStepsBy100WithinItsRangeAndKeepsItsValueAgainstBadText) {
  struct Case {
    std::int32_t interval;
    std::optional<std::wstring> typed;
    int arrowY;  // a click in the upper (5) or lower (15) half of the up-down, or none (0)
    std::int32_t value;
    const wchar_t* shown;  // typed text stays
  };
  const Case cases[] = {
      {5000, {}, 5, 5100, L"5 100"},     {9950, {}, 5, 10000, L"10 000"}, {150, {}, 15, 100, L"100"},
      {5000, L"7 300", 0, 7300, L"7 300"}, {5000, L"abc", 0, 5000, L"abc"}, {5000, L"20000", 0, 5000, L"20000"},
  };
  const HWND upDown = Dlg.UdbBlinkIvl.Handle(), edit = Dlg.EdtBlinkIvl.Handle();
  for (const Case& c : cases) {
    Open(4, 0, true, c.interval);
    if (c.typed) Type(edit, Grouped(*c.typed));
    if (c.arrowY) {  // the release stops the repeat before it starts
      SendMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, c.arrowY));
      SendMessageW(upDown, WM_LBUTTONUP, 0, MAKELPARAM(7, c.arrowY));
    }
    EXPECT_EQ(std::pair(std::get<2>(Values()), TextOf(edit)), std::pair(c.value, Grouped(c.shown)))
        << c.interval << " " << c.arrowY << ": the interval, the text shown";
  }
  // Holding an arrow never speeds up: one acceleration step of 100 from the start.
  UDACCEL accel[4]{};
  const auto steps = SendMessageW(upDown, UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(accel));
  EXPECT_EQ(std::tuple(steps, accel[0].nSec, accel[0].nInc), std::tuple(LRESULT{1}, 0u, 100u));
}

TEST_F(DlgSettingTest, EntryIsThePupilOnItsBackgroundWithoutText) {
  Open(4, 0, true, 5000);
  const TColorRef window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
  struct Case {
    int index;
    UINT state;
    RECT rect;
    TColorRef background;
    int pupilY;  // top + (height - 6) / 2
  };
  const Case cases[] = {
      {1, 0, {5, 20, 45, 36}, window, 25},  // off the origin, an odd height rounding down
      {-1, ODS_COMBOBOXEDIT, {3, 3, 43, 16}, window, 6},  // the empty selection field
      {2, ODS_SELECTED | ODS_FOCUS, {0, 0, 40, 13}, highlight, 3},  // the focus rectangle comes after
  };
  const HWND combo = Dlg.CmbTovi.Handle();
  for (const Case& c : cases) {
    const TSurface painted(50, 40, kUnpainted), expected(50, 40, kUnpainted);
    DRAWITEMSTRUCT item{ODT_COMBOBOX, 0, UINT(c.index), ODA_DRAWENTIRE, c.state, combo, painted.Dc.Get(), c.rect, 0};
    EXPECT_TRUE(SendMessageW(Dlg.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item))) << c.index;
    TRaster entry(50, 40, kUnpainted);
    entry.Draw(TRaster(c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, c.background), c.rect.left,
               c.rect.top, TRasterOp::Copy);
    if (c.index >= 0) entry.Draw(PupilPicture(c.index, c.background), c.rect.left + 8, c.pupilY, TRasterOp::Copy);
    TDcCanvas(expected.Dc.Get()).Draw(0, 0, entry);
    if (c.state & ODS_FOCUS) DrawFocusRect(expected.Dc.Get(), &c.rect);
    EXPECT_EQ(painted.Picture(), expected.Picture()) << c.index;
  }
}

// ---- The about box.

TEST(DlgAboutTest, FrameControlsRuleAndIcon) {
  TDlgAbout about;
  ExpectLayout(about, L"Toviについて", {249, 115}, {230, 100},
               {
                   {"Image1", about.Image1.Handle(), L"Static", {8, 8, 32, 32}, L"", {}},
                   {"Label1", about.Label1.Handle(), L"Static", {48, 8}, L"Tovi",
                    TFontSeen{L"Century Gothic", -27, ANSI_CHARSET}},
                   {"Label2", about.Label2.Handle(), L"Static", {48, 44}, L"トヴィ Ver." TOVI_VERSION_TEXT},
                   {"LblCopyright", about.LblCopyright.Handle(), L"Static", {48, 58}, L"© 2026 Tovi の開発者"},
                   {"Bevel1", about.Bevel1.Handle(), L"Static", {12, 76, 229, 5}, L"", {}},
                   {"OK", about.OK.Handle(), L"TQuickButton", {84, 84, 89, 25}, L"OK"},
               });
  EXPECT_EQ(ChildrenOf(about.Handle(), WS_TABSTOP), std::vector<HWND>{}) << "no tab stop";
  TRaster rule(229, 5, GetSysColor(COLOR_BTNFACE));
  rule.Draw(TRaster(229, 1, GetSysColor(COLOR_BTNSHADOW)), 0, 0, TRasterOp::Copy);
  rule.Draw(TRaster(229, 1, GetSysColor(COLOR_BTNHIGHLIGHT)), 0, 1, TRasterOp::Copy);
  EXPECT_EQ(Printed(about.Bevel1.Handle(), kUnpainted), rule) << "the bevel is a sunken rule along its top";
  // The place above holds the icon at 32 pixels, the size of the program's icon.
  EXPECT_NE(SendMessageW(about.Image1.Handle(), STM_GETIMAGE, IMAGE_ICON, 0), 0) << "the program's icon";
  const auto press = [&](UINT key) { return [&, key] { PostKey(about.Handle(), key); }; };
  const auto close = [&] { PostMessageW(about.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); };
  EXPECT_EQ(ShowModalWith(about, {press(VK_RETURN), press(VK_ESCAPE), [&] { PostClick(about.OK.Handle()); }}), mrOK);
  EXPECT_EQ(ShowModalWith(about, {close}), mrCancel) << "the close box";
}

}  // namespace
}  // namespace tovi
