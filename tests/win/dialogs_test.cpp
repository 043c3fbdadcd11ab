// The dialogs as real windows: the values the settings dialog takes and gives
// back through its controls, its keyboard, how its modal loop ends, what both
// draw for their controls, and the layout of both for the display scale of their monitor.

#include "dialogs/setting_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/bitmap_list.h"
#include "dialogs/about_dialog.h"
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
  // type, blink, interval set; then a click on the up-down's "up" or "down" arrow, or text typed into
  // the edit; the type, the interval got back, the interval's text
  const std::tuple<int, bool, int, const wchar_t*, int, int, const wchar_t*> cases[] = {
      {2, true, 5000, L"", 2, 5000, L"5 000"},           {12, true, 300, L"", -1, 300, L"300"},
      {0, false, 2500, L"", 0, 2500, L"2 500"},          {1, true, 66036, L"", 1, 10000, L"10 000"},
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

TEST(Dialogs, DrawTheControlsThatAskThemByIdentifier) {
  TDlgSetting dlg;
  TDlgAbout about;
  TBitmapList pictures;
  TRaster pupil(7, 7, 0x3080C0);
  pupil.SetPixel(0, 6, 0xFF00FF);  // the key
  pictures.Add(pupil);
  dlg.SetEyeList(&pictures);
  // The control, what it is, its entry (-1: none, as for a type beyond the pictures) and state; the background,
  // whether the pupil is on it (8 pixels in, centred on 6 rows), and the colours of the top two rows
  const std::tuple<const TControl*, UINT, UINT, UINT, int, bool, int, int> cases[] = {
      {&dlg.CmbTovi, ODT_COMBOBOX, 0, 0, COLOR_WINDOW, true, COLOR_WINDOW, COLOR_WINDOW},
      {&dlg.CmbTovi, ODT_COMBOBOX, 0, ODS_SELECTED, COLOR_HIGHLIGHT, true, COLOR_HIGHLIGHT, COLOR_HIGHLIGHT},
      {&dlg.CmbTovi, ODT_COMBOBOX, UINT(-1), ODS_SELECTED, COLOR_HIGHLIGHT, false, COLOR_HIGHLIGHT, COLOR_HIGHLIGHT},
      {&about.Bevel1, ODT_STATIC, 0, 0, COLOR_BTNFACE, false, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT},  // etched
  };
  for (const auto& [control, type, entry, state, background, pupilShown, top, second] : cases) {
    const testing::TSurface painted(20, 13, 0x5A0A5A);
    DRAWITEMSTRUCT item{type, control->Id(), entry, ODA_DRAWENTIRE, state, control->Handle(), painted.Dc.Get(),
                        {0, 0, 20, 13}, 0};
    SendMessageW(GetParent(control->Handle()), WM_DRAWITEM, control->Id(), reinterpret_cast<LPARAM>(&item));
    TRaster expected(20, 13, GetSysColor(background));
    expected.Draw(TRaster(20, 1, GetSysColor(top)), 0, 0, TRasterOp::Copy);
    expected.Draw(TRaster(20, 1, GetSysColor(second)), 0, 1, TRasterOp::Copy);
    pupil.SetPixel(0, 6, GetSysColor(background));
    if (pupilShown) expected.Draw(pupil, 8, 3, TRasterOp::Copy);
    EXPECT_EQ(painted.Picture(), expected) << type << " " << static_cast<int>(entry) << " " << state;
  }
}

// A rectangle's left, top, right and bottom.
using TEdges = std::array<LONG, 4>;

// Where a window stands on the screen, or in the client area of parent.
TEdges Placed(HWND window, HWND parent = nullptr) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

LONG FontHeight(const TControl& control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control.Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

LONG DroppedListHeight(const TOwnerDrawComboBox& combo) {
  SetCursorPos(0, 0);  // away from the list, which follows the mouse
  COMBOBOXINFO info{sizeof info, {}, {}, 0, nullptr, nullptr, nullptr};
  SendMessageW(combo.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
  GetComboBoxInfo(combo.Handle(), &info);
  RECT client{};
  GetClientRect(info.hwndList, &client);
  SendMessageW(combo.Handle(), CB_SHOWDROPDOWN, FALSE, 0);
  return client.bottom;
}

LONG IconWidth(const TImage& image) {
  ICONINFO info{};
  GetIconInfo(reinterpret_cast<HICON>(SendMessageW(image.Handle(), STM_GETICON, 0, 0)), &info);
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  return mask.bmWidth;
}

// Wine never changes the DPI while a program runs: a new scale comes as Windows sends it, the window's size
// asked for first and the place the move chose beside it; an opening finds Wine's monitor at 96 again.
TEST(Dialogs, AreLaidOutFromTheirTablesForTheDpiOfTheirMonitorAtEachOpeningAndEachChangeOfScale) {
  TDlgSetting dlg;
  TDlgAbout about;
  for (int i = 0; i < 12; ++i) dlg.CmbTovi.AddItem(L"");  // more than the 8 the list has room for
  // The windows: the client areas scaled in the frame the platform gives for that DPI, 6 wider and higher
  // by 25 at 96, 34 at 144 and 43 at 192 under Wine. The labels are as large as their text in the new font.
  const struct {
    int Dpi;
    bool Opened;  // else told by WM_DPICHANGED
    std::pair<LONG, LONG> Window, AboutWindow;
    TEdges Ok, UpDown, Label, Field;
    LONG FontHeight, EntryHeight, ListHeight, TitleHeight, IconWidth;
  } rows[] = {
      {144, false, {425 + 6, 129 + 34}, {374 + 6, 173 + 34}, {270, 18, 404, 56}, {170, 84, 192, 114},
       {18, 18, 101, 38}, {144, 12, 224, 38}, -18, 20, 8 * 20, -41, 48},
      {192, false, {566 + 6, 172 + 43}, {498 + 6, 230 + 43}, {360, 24, 538, 74}, {226, 112, 256, 152},
       {24, 24, 136, 50}, {192, 16, 298, 48}, -24, 26, 8 * 26, -54, 64},
      {96, true, {283 + 6, 86 + 25}, {249 + 6, 115 + 25}, {180, 12, 269, 37}, {113, 56, 128, 76},
       {12, 12, 68, 25}, {96, 8, 149, 27}, -12, 13, 8 * 13, -27, 32},
  };
  for (const auto& row : rows) {
    std::vector<std::pair<LONG, LONG>> windows;
    for (TForm* form : {static_cast<TForm*>(&dlg), static_cast<TForm*>(&about)}) {
      if (row.Opened) {
        PostMessageW(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        form->ShowModal();
      } else {
        SIZE size{};
        SendMessageW(form->Handle(), 0x02E4 /* WM_GETDPISCALEDSIZE */, row.Dpi, reinterpret_cast<LPARAM>(&size));
        const RECT suggested{7, 9, 7 + size.cx, 9 + size.cy};
        SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(row.Dpi, row.Dpi),
                     reinterpret_cast<LPARAM>(&suggested));
      }
      const TEdges window = Placed(form->Handle());
      windows.emplace_back(window[2] - window[0], window[3] - window[1]);
      EXPECT_TRUE(row.Opened || (window[0] == 7 && window[1] == 9)) << row.Dpi << ": not where the move put it";
    }
    ShowWindow(dlg.Handle(), SW_SHOWNOACTIVATE);
    const HWND client = dlg.Handle();
    EXPECT_EQ(windows, (std::vector{row.Window, row.AboutWindow})) << row.Dpi << ": the windows' sizes";
    EXPECT_EQ((std::vector{Placed(dlg.OK.Handle(), client), Placed(dlg.UdbBlinkIvl.Handle(), client),
                           Placed(dlg.Label1.Handle(), client), Placed(dlg.CmbTovi.Handle(), client)}),
              (std::vector{row.Ok, row.UpDown, row.Label, row.Field}))
        << row.Dpi << ": OK, the up-down, a label and the pupil list's field";
    MEASUREITEMSTRUCT measured{ODT_COMBOBOX, dlg.CmbTovi.Id(), 0, 0, 0, 0};  // as the list asks while it is made
    SendMessageW(dlg.Handle(), WM_MEASUREITEM, dlg.CmbTovi.Id(), reinterpret_cast<LPARAM>(&measured));
    EXPECT_EQ((std::vector<LONG>{FontHeight(dlg.Label1), static_cast<LONG>(SendMessageW(dlg.CmbTovi.Handle(),
                                                                                          CB_GETITEMHEIGHT, 0, 0)),
                                 static_cast<LONG>(measured.itemHeight), DroppedListHeight(dlg.CmbTovi),
                                 FontHeight(about.Label1), IconWidth(about.Image1)}),
              (std::vector{row.FontHeight, row.EntryHeight, row.EntryHeight, row.ListHeight, row.TitleHeight,
                           row.IconWidth}))
        << row.Dpi << ": the font, the list's entries set and measured and its room, the about box's title and icon";
  }
}

}  // namespace
}  // namespace tovi
