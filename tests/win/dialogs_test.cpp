// The settings dialog as a real window: the values it takes and gives back
// through its controls, its size, its keyboard and how its modal loop ends.

#include "dialogs/setting_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "core/bitmap_list.h"

namespace tovi {
namespace {

// A number as the up-down writes it, each space standing for the locale's thousands separator.
std::wstring Grouped(std::wstring text) {
  wchar_t separator[8]{};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, 8);
  for (std::size_t at = text.find(L' '); at != std::wstring::npos; at = text.find(L' ', at + 1))
    text.replace(at, 1, separator);
  return text;
}

// Shows the form modally, moved away first as a user may drag it, and runs one step a tick in its loop:
// a tick comes only when nothing posted waits, so what a step posts is handled before the next looks.
int ShowModalWith(TForm& form, const std::vector<std::function<void()>>& steps) {
  static std::vector<std::function<void()>> script;
  static TForm* open;
  script.assign(steps.rbegin(), steps.rend());
  open = &form;
  SetWindowPos(form.Handle(), nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
    if (script.empty()) return open->SetModalResult(-1);  // still open after the last step
    const std::function<void()> step = script.back();
    script.pop_back();
    step();
  });
  const int result = form.ShowModal();
  KillTimer(nullptr, timer);
  RECT r{};
  GetWindowRect(form.Handle(), &r);
  EXPECT_TRUE(script.empty() && !IsWindowVisible(form.Handle()) &&
              std::abs(r.left + r.right - GetSystemMetrics(SM_CXSCREEN)) <= 1)
      << "every step run, the form shown centred and hidden once its loop has ended";
  return result;
}

TEST(DlgSetting, SetValuesFillsTheControlsAndGetValuesGivesBackWhatTheUserLeftInThem) {
  TDlgSetting dlg;
  TBitmapList pictures;
  for (int i = 0; i < 4; ++i) pictures.Add(TRaster(7, 7, 0x102030 * i));
  dlg.SetEyeList(&pictures);
  RECT client{};
  GetClientRect(dlg.Handle(), &client);
  EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(283L, 86L)) << "the client area";
  // type, blink, interval set; then a click on the up-down's "up" or "down" arrow, or text typed into
  // the edit; the type, the interval got back, the interval's text
  const std::tuple<int, bool, int, const wchar_t*, int, int, const wchar_t*> cases[] = {
      {2, true, 5000, L"", 2, 5000, L"5 000"},           {7, true, 300, L"", -1, 300, L"300"},
      {0, false, 2500, L"", 0, 2500, L"2 500"},          {1, true, INT32_MAX, L"", 1, 10000, L"10 000"},
      {1, true, 66036, L"", 1, 10000, L"10 000"},        {1, true, INT32_MIN, L"", 1, 100, L"100"},
      {3, true, 5000, L"up", 3, 5100, L"5 100"},         {3, true, 9950, L"up", 3, 10000, L"10 000"},
      {3, true, 150, L"down", 3, 100, L"100"},           {3, true, 5000, L"7 300", 3, 7300, L"7 300"},
      {3, true, 5000, L"abc", 3, 5000, L"abc"},          {3, true, 5000, L"20000", 3, 5000, L"20000"},
  };
  const HWND edit = dlg.EdtBlinkIvl.Handle(), upDown = dlg.UdbBlinkIvl.Handle();
  for (const auto& [type, blink, interval, then, typeBack, intervalBack, shown] : cases) {
    SendMessageW(dlg.ChkBlink.Handle(), BM_CLICK, 0, 0);  // what the user left: the box clicked, text typed
    SetWindowTextW(edit, L"abc");
    dlg.SetValues(type, blink, interval);
    const std::wstring action = then;
    if (action == L"up" || action == L"down") {  // the release stops the repeat before it starts
      SendMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, action == L"up" ? 5 : 15));
      SendMessageW(upDown, WM_LBUTTONUP, 0, MAKELPARAM(7, action == L"up" ? 5 : 15));
    } else if (!action.empty()) {
      SendMessageW(edit, EM_SETSEL, 0, -1);
      for (const wchar_t c : L"\b" + Grouped(action)) SendMessageW(edit, WM_CHAR, c, 1);
    }
    std::int32_t typeGot = 0, intervalGot = 0;
    bool blinkGot = false;
    dlg.GetValues(typeGot, blinkGot, intervalGot);
    wchar_t text[64]{};
    GetWindowTextW(edit, text, 64);
    int enabled = 0;
    for (const HWND control : {dlg.LblBlinkIvl.Handle(), edit, upDown, dlg.LblBlinkIvlUnit.Handle()})
      enabled += IsWindowEnabled(control);
    EXPECT_EQ(std::tuple(typeGot, blinkGot, intervalGot, std::wstring(text), enabled),
              std::tuple(typeBack, blink, intervalBack, Grouped(shown), blink ? 4 : 0))
        << type << " " << interval << ": the values, the text, the interval's controls enabled";
  }
}

TEST(DlgSetting, TheFocusMovesBetweenTheEnabledStopsAndOnlyTheButtonsAndTheCloseBoxClose) {
  TDlgSetting dlg;
  const HWND combo = dlg.CmbTovi.Handle(), edit = dlg.EdtBlinkIvl.Handle(), box = dlg.ChkBlink.Handle();
  std::vector<HWND> seen;
  const auto tab = [&] {
    seen.push_back(GetFocus());
    for (const UINT key : {VK_RETURN, VK_ESCAPE, VK_TAB}) PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
  };
  const auto click = [](const TControl& button) {
    return [&button] {
      PostMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
      PostMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    };
  };
  // Tab skips the push buttons, the up-down and a disabled edit; unticking the box
  // while the edit has the focus moves it on to the next stop, the box.
  dlg.SetValues(0, true, 5000);
  const auto untick = [&] {
    dlg.ChkBlink.SetChecked(false);
    seen.push_back(GetFocus());
  };
  EXPECT_EQ(ShowModalWith(dlg, {tab, tab, tab, tab, untick, click(dlg.OK)}), mrOK);
  EXPECT_EQ(seen, (std::vector{combo, edit, box, combo, box})) << "blinking";
  seen.clear();
  EXPECT_EQ(ShowModalWith(dlg, {tab, tab, tab, [&] { PostMessageW(dlg.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }}),
            mrCancel);
  EXPECT_EQ(seen, (std::vector{combo, box, combo})) << "not blinking";
  EXPECT_EQ(ShowModalWith(dlg, {click(dlg.QuickButton1)}), mrCancel);
}

}  // namespace
}  // namespace tovi
