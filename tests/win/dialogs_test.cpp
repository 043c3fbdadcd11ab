// The settings dialog as a real window: the values it takes and gives back
// through its controls, its keyboard, how its modal loop ends, and its entries.

#include "dialogs/setting_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "core/bitmap_list.h"
#include "memory_surface.h"

namespace tovi {
namespace {

using testing::TSurface;

constexpr TColorRef kKey = 0xFF00FF, kUnpainted = 0x5A0A5A;

// Pupil picture i: 7 by 7 in a colour of its own, its left corners in `paper`: the key colour or a background.
TRaster PupilPicture(int i, TColorRef paper = kKey) {
  TRaster picture(7, 7, RGB(30 + 20 * i, 200 - 15 * i, 60));
  picture.SetPixel(0, 0, paper);
  picture.SetPixel(0, 6, paper);
  return picture;
}

// A number as the up-down writes it, each space standing for the locale's thousands separator.
std::wstring Grouped(std::wstring text) {
  wchar_t separator[8]{};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  for (std::size_t at = text.find(L' '); at != std::wstring::npos; at = text.find(L' ', at + 1))
    text.replace(at, 1, separator);
  return text;
}

// Replaces the edit's text by typing: select all, delete, then each character.
void Type(HWND edit, const std::wstring& text) {
  SendMessageW(edit, EM_SETSEL, 0, -1);
  for (const wchar_t c : L"\b" + text) SendMessageW(edit, WM_CHAR, c, 1);
}

void PostClick(HWND control) {
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

// Shows the form modally, moved away first as a user may drag it, and runs the steps in its loop, one a
// tick: a tick comes only when nothing posted waits, so what a step posts is handled before the next looks.
int ShowModalWith(TForm& form, std::vector<std::function<void()>> steps) {
  static std::vector<std::function<void()>> script;
  static TForm* open;
  script = std::move(steps);
  open = &form;
  std::ranges::reverse(script);
  SetWindowPos(form.Handle(), nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    RECT r{};
    GetWindowRect(open->Handle(), &r);
    EXPECT_LE(std::abs(r.left + r.right - GetSystemMetrics(SM_CXSCREEN)), 1) << "shown centred";
    if (!script.empty()) {
      const std::function<void()> step = script.back();
      script.pop_back();
      step();
    } else if (open->Showing()) {
      ADD_FAILURE() << "the form is still open after the last step";
      open->SetModalResult(-1);
    }
  });
  const int result = form.ShowModal();
  KillTimer(nullptr, timer);
  EXPECT_TRUE(script.empty()) << "the form closed before the last step";
  EXPECT_FALSE(IsWindowVisible(form.Handle())) << "hidden once the modal loop has ended";
  return result;
}

class DlgSettingTest : public ::testing::Test {
 protected:
  DlgSettingTest() {
    for (int i = 0; i < 4; ++i) Pictures.Add(PupilPicture(i));
  }
  TBitmapList Pictures;
  TDlgSetting Dlg;
};

TEST_F(DlgSettingTest, SetValuesFillsTheControlsAndGetValuesGivesBackWhatTheUserLeftInThem) {
  struct TCase {
    const char* What;
    bool Pictures;  // four, or no list
    std::int32_t Type;
    bool Blink;
    std::int32_t Interval;
    const wchar_t* Typed;  // then typed into the edit
    int ArrowY;            // then a click in the upper (5) or lower (15) half of the up-down
    std::int32_t Selected, Value;
    const wchar_t* Shown;  // in the edit
  };
  const TCase cases[] = {
      {"type 2 of four", true, 2, true, 5000, nullptr, 0, 2, 5000, L"5 000"},
      {"type 7 of four: no entry", true, 7, true, 300, nullptr, 0, -1, 300, L"300"},
      {"no pictures", false, 0, true, 1000, nullptr, 0, -1, 1000, L"1 000"},
      {"blink off keeps its interval", true, 0, false, 2500, nullptr, 0, 0, 2500, L"2 500"},
      {"largest 32-bit", true, 1, true, INT32_MAX, nullptr, 0, 1, 10000, L"10 000"},
      {"smallest 32-bit", true, 1, true, INT32_MIN, nullptr, 0, 1, 100, L"100"},
      {"65536 + 500 is clamped, not cut to 16 bits", true, 1, true, 66036, nullptr, 0, 1, 10000, L"10 000"},
      {"up by 100", true, 3, true, 5000, nullptr, 5, 3, 5100, L"5 100"},
      {"up to the upper end", true, 3, true, 9950, nullptr, 5, 3, 10000, L"10 000"},
      {"down to the lower end", true, 3, true, 150, nullptr, 15, 3, 100, L"100"},
      {"typed", true, 3, true, 5000, L"7 300", 0, 3, 7300, L"7 300"},
      {"typed letters", true, 3, true, 5000, L"abc", 0, 3, 5000, L"abc"},
      {"typed beyond the range", true, 3, true, 5000, L"20000", 0, 3, 5000, L"20000"},
  };
  const HWND edit = Dlg.EdtBlinkIvl.Handle(), upDown = Dlg.UdbBlinkIvl.Handle();
  for (const TCase& c : cases) {
    // What the user left behind: the first entry, the box clicked, text typed.
    SendMessageW(Dlg.CmbTovi.Handle(), CB_SETCURSEL, 0, 0);
    SendMessageW(Dlg.ChkBlink.Handle(), BM_CLICK, 0, 0);
    Type(edit, L"abc");
    Dlg.SetEyeList(c.Pictures ? &Pictures : nullptr);
    Dlg.SetValues(c.Type, c.Blink, c.Interval);
    if (c.Typed) Type(edit, Grouped(c.Typed));
    if (c.ArrowY) {  // the release stops the repeat before it starts
      SendMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, c.ArrowY));
      SendMessageW(upDown, WM_LBUTTONUP, 0, MAKELPARAM(7, c.ArrowY));
    }
    std::int32_t type = 0, interval = 0;
    bool blink = false;
    Dlg.GetValues(type, blink, interval);
    wchar_t shown[64]{};
    GetWindowTextW(edit, shown, 64);
    int enabled = 0;
    for (const HWND control : {Dlg.LblBlinkIvl.Handle(), edit, upDown, Dlg.LblBlinkIvlUnit.Handle()})
      enabled += IsWindowEnabled(control);
    EXPECT_EQ(std::tuple(type, blink, interval, std::wstring(shown), Dlg.CmbTovi.Count(), enabled),
              std::tuple(c.Selected, c.Blink, c.Value, Grouped(c.Shown), c.Pictures ? 4 : 0, c.Blink ? 4 : 0))
        << c.What << ": the values, the interval shown, the entries, the interval's controls enabled";
  }
}

TEST_F(DlgSettingTest, TheFocusMovesBetweenTheEnabledStopsAndOnlyTheButtonsAndTheCloseBoxClose) {
  const HWND combo = Dlg.CmbTovi.Handle(), edit = Dlg.EdtBlinkIvl.Handle(), box = Dlg.ChkBlink.Handle();
  std::vector<HWND> seen;
  const auto tab = [&] {
    seen.push_back(GetFocus());
    for (const UINT key : {VK_RETURN, VK_ESCAPE, VK_TAB}) {
      PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
      PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
    }
  };
  // Tab skips the push buttons, the up-down and a disabled edit; unticking the box
  // while the edit has the focus moves it on to the next stop, the box.
  Dlg.SetValues(0, true, 5000);
  EXPECT_EQ(ShowModalWith(Dlg, {tab, tab, tab, tab, [&] {
                                  Dlg.ChkBlink.SetChecked(false);
                                  seen.push_back(GetFocus());
                                  PostClick(Dlg.OK.Handle());
                                }}),
            mrOK);
  EXPECT_EQ(seen, (std::vector{combo, edit, box, combo, box})) << "blinking";
  seen.clear();
  EXPECT_EQ(ShowModalWith(Dlg, {tab, tab, tab, [&] { PostMessageW(Dlg.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }}),
            mrCancel);
  EXPECT_EQ(seen, (std::vector{combo, box, combo})) << "not blinking";
  EXPECT_EQ(ShowModalWith(Dlg, {[&] { PostClick(Dlg.QuickButton1.Handle()); }}), mrCancel);
}

TEST_F(DlgSettingTest, DrawsAnEntryAsItsPupilOnTheBackgroundOfItsState) {
  Dlg.SetEyeList(&Pictures);
  const TColorRef window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
  // index, state, background; the pupil goes 8 pixels in, at top + (13 - 6) / 2
  const std::tuple<int, UINT, TColorRef> cases[] = {
      {1, 0, window}, {2, ODS_SELECTED | ODS_FOCUS, highlight}, {-1, ODS_COMBOBOXEDIT, window}};
  for (const auto& [index, state, background] : cases) {
    const TSurface painted(40, 20, kUnpainted), expected(40, 20, kUnpainted);
    const RECT rect{5, 3, 35, 16};
    DRAWITEMSTRUCT item{ODT_COMBOBOX, 0, UINT(index), ODA_DRAWENTIRE, state, Dlg.CmbTovi.Handle(), painted.Dc.Get(), rect, 0};
    EXPECT_TRUE(SendMessageW(Dlg.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item))) << index;
    TDcCanvas canvas(expected.Dc.Get());
    canvas.Draw(5, 3, TRaster(30, 13, background));
    if (index >= 0) canvas.Draw(13, 6, PupilPicture(index, background));
    if (state & ODS_FOCUS) DrawFocusRect(expected.Dc.Get(), &rect);
    EXPECT_EQ(painted.Picture(), expected.Picture()) << index;
  }
}

}  // namespace
}  // namespace tovi
