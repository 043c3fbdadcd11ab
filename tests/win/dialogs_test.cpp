// The settings dialog as a real window: the values it takes and gives back
// through its controls, its size, its keyboard and how its modal loop ends.

#include "dialogs/setting_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "core/bitmap_list.h"
#include "memory_surface.h"

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

TEST(DlgSetting, SetValuesFillsTheControlsAndGetValuesGivesBackWhatTheUserLeftInThem) {
  TDlgSetting dlg;
  TBitmapList pictures;
  for (int i = 0; i < 12; ++i) pictures.Add(TRaster(7, 7, 0x102030 * i));
  dlg.SetEyeList(&pictures);
  RECT client{};
  GetClientRect(dlg.Handle(), &client);
  EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(283L, 86L)) << "the client area";
  // The pupil list drops with room for 8 of its 12 entries.
  SetCursorPos(0, 0);  // away from the list, which follows the mouse
  ShowWindow(dlg.Handle(), SW_SHOWNOACTIVATE);
  COMBOBOXINFO info{sizeof info, {}, {}, 0, nullptr, nullptr, nullptr};
  SendMessageW(dlg.CmbTovi.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
  GetComboBoxInfo(dlg.CmbTovi.Handle(), &info);
  GetClientRect(info.hwndList, &client);
  SendMessageW(dlg.CmbTovi.Handle(), CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(client.bottom, 8 * 13) << "the dropped list's room";
  // type, blink, interval set; then a click on the up-down's "up" or "down" arrow, or text typed into
  // the edit; the type, the interval got back, the interval's text
  const std::tuple<int, bool, int, const wchar_t*, int, int, const wchar_t*> cases[] = {
      {2, true, 5000, L"", 2, 5000, L"5 000"},           {12, true, 300, L"", -1, 300, L"300"},
      {0, false, 2500, L"", 0, 2500, L"2 500"},          {1, true, INT32_MAX, L"", 1, 10000, L"10 000"},
      {1, true, 66036, L"", 1, 10000, L"10 000"},        {1, true, INT32_MIN, L"", 1, 100, L"100"},
      {3, true, 5000, L"up", 3, 5100, L"5 100"},         {3, true, 9950, L"up", 3, 10000, L"10 000"},
      {3, true, 150, L"down", 3, 100, L"100"},           {3, true, 5000, L"7 300", 3, 7300, L"7 300"},
      {3, true, 5000, L"abc", 3, 5000, L"abc"},          {3, true, 5000, L"20000", 3, 5000, L"20000"},
  };
  const HWND upDown = dlg.UdbBlinkIvl.Handle();
  for (const auto& [type, blink, interval, then, typeBack, intervalBack, shown] : cases) {
    SendMessageW(dlg.ChkBlink.Handle(), BM_CLICK, 0, 0);  // what the user left: the box clicked, text typed
    SetWindowTextW(dlg.EdtBlinkIvl.Handle(), L"abc");
    dlg.SetValues(type, blink, interval);
    const std::wstring action = then;
    const int arrowY = action == L"up" ? 5 : action == L"down" ? 15 : 0;  // in the upper or lower half
    if (arrowY) {  // the release stops the repeat before it starts
      SendMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, arrowY));
      SendMessageW(upDown, WM_LBUTTONUP, 0, MAKELPARAM(7, arrowY));
    } else if (!action.empty()) {
      SetWindowTextW(dlg.EdtBlinkIvl.Handle(), Grouped(action).c_str());
    }
    std::int32_t typeGot = 0, intervalGot = 0;
    bool blinkGot = false;
    dlg.GetValues(typeGot, blinkGot, intervalGot);
    EXPECT_EQ(std::tuple(typeGot, blinkGot, intervalGot, dlg.EdtBlinkIvl.Text(), IsWindowEnabled(upDown)),
              std::tuple(typeBack, blink, intervalBack, Grouped(shown), BOOL{blink}))
        << type << " " << interval << ": the values, the text, the up-down enabled";
  }
}

TEST(DlgSetting, TabMovesBetweenTheEnabledStopsAndOnlyTheButtonsAndTheCloseBoxEndTheModalLoop) {
  TDlgSetting dlg;
  dlg.SetValues(0, true, 5000);
  const HWND combo = dlg.CmbTovi.Handle(), edit = dlg.EdtBlinkIvl.Handle(), box = dlg.ChkBlink.Handle();
  std::vector<HWND> seen;
  const TNotifyEvent ok = dlg.OK.OnClick;
  dlg.OK.OnClick = [&](TObject* sender) {
    seen.push_back(GetFocus());
    ok(sender);
  };
  // Waiting for the loop: Enter and Escape, which close nothing, then a click on a button or the close box.
  for (const auto& [button, result] : {std::pair(dlg.OK.Handle(), mrOK), {dlg.QuickButton1.Handle(), mrCancel},
                                       {static_cast<HWND>(nullptr), mrCancel}}) {
    SetWindowPos(dlg.Handle(), nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const UINT key : {VK_RETURN, VK_ESCAPE}) PostMessageW(dlg.Handle(), WM_KEYDOWN, key, 1);
    if (button) {
      PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      PostMessageW(button, WM_LBUTTONUP, 0, 0);
    } else {
      PostMessageW(dlg.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    }
    EXPECT_EQ(dlg.ShowModal(), result);
    RECT r{};
    GetWindowRect(dlg.Handle(), &r);
    EXPECT_TRUE(!IsWindowVisible(dlg.Handle()) && std::abs(r.left + r.right - GetSystemMetrics(SM_CXSCREEN)) <= 1 &&
                std::abs(r.top + r.bottom - GetSystemMetrics(SM_CYSCREEN)) <= 1)
        << result << ": shown centred, hidden once its loop has ended";
  }
  // Tab skips the push buttons, the up-down and a disabled edit; unticking the box
  // while the edit has the focus moves it on to the next stop, the box.
  ShowWindow(dlg.Handle(), SW_SHOW);
  SetFocus(combo);
  for (const bool blink : {true, true, false, true, true, false}) {
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    IsDialogMessageW(dlg.Handle(), &tab);
    dlg.ChkBlink.SetChecked(blink);
    seen.push_back(GetFocus());
  }
  EXPECT_EQ(seen, (std::vector{combo, edit, box, combo, box, combo, box}))
      << "the focus on opening, then after each Tab and tick";
}

TEST(DlgSetting, DrawsAnEntryAsItsPupilOnTheBackgroundOfItsState) {
  TDlgSetting dlg;
  TBitmapList pictures;
  TRaster pupil(7, 7, 0x3080C0);
  pupil.SetPixel(0, 6, 0xFF00FF);  // the key
  pictures.Add(pupil);
  dlg.SetEyeList(&pictures);
  for (const auto& [state, background] : {std::pair(UINT{0}, COLOR_WINDOW), {ODS_SELECTED, COLOR_HIGHLIGHT}}) {
    const testing::TSurface painted(20, 13, 0x5A0A5A);
    const HDC dc = painted.Dc.Get();
    DRAWITEMSTRUCT item{ODT_COMBOBOX, 0, 0, ODA_DRAWENTIRE, state, dlg.CmbTovi.Handle(), dc, {0, 0, 20, 13}, 0};
    SendMessageW(dlg.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    TRaster expected(20, 13, GetSysColor(background));
    pupil.SetPixel(0, 6, GetSysColor(background));
    expected.Draw(pupil, 8, 3, TRasterOp::Copy);  // 8 pixels in, centred on 6 rows
    EXPECT_EQ(painted.Picture(), expected) << state;
  }
}

}  // namespace
}  // namespace tovi
