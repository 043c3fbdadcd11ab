// The settings dialog and the about box as real windows: their layout, fonts
// and keyboard, the values they take and give back, the pupil entries they
// paint, and how their modal loops end.

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "core/bitmap_list.h"
#include "dialogs/about_dialog.h"
#include "dialogs/setting_dialog.h"
#include "toolkit/dc_canvas.h"
#include "toolkit/handles.h"

namespace tovi {
namespace {

constexpr TColorRef kKey = 0xFF00FF, kUnpainted = 0x5A0A5A;
constexpr int kEntryHeight = 13;
// Where Wine's controls measure otherwise than Windows', the tests say so.
const bool kOnWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;

// ---- What a window shows.

struct TPlace {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  friend bool operator==(const TPlace&, const TPlace&) = default;
};

void PrintTo(const TPlace& p, std::ostream* out) {
  *out << "(" << p.Left << ", " << p.Top << ", " << p.Width << " x " << p.Height << ")";
}

// A rectangle of the screen in the client area of a window.
TPlace ClientPlace(HWND window, RECT screen) {
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&screen), 2);
  return {screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top};
}

TPlace PlaceOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return ClientPlace(GetParent(control), r);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64]{};
  GetClassNameW(window, name, 64);
  std::wstring lower(name);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  return lower;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

struct TFontSeen {
  std::wstring Face;
  LONG Height = 0;
  BYTE CharSet = 0;
  friend bool operator==(const TFontSeen&, const TFontSeen&) = default;
};

void PrintTo(const TFontSeen& f, std::ostream* out) {
  *out << "height " << f.Height << ", character set " << int(f.CharSet) << ", face of " << f.Face.size()
       << " characters";
}

// The font a window answers WM_GETFONT with, as it was asked for.
TFontSeen FontOf(HWND window) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
  if (handle == nullptr || GetObjectW(handle, sizeof font, &font) == 0) return {};
  return {font.lfFaceName, font.lfHeight, font.lfCharSet};
}

const TFontSeen kDialogFont{L"ＭＳ Ｐゴシック", -12, SHIFTJIS_CHARSET};

// The size of a window's text in the window's own font.
SIZE TextExtent(HWND window) {
  const TWindowDc dc(window);
  const TSelectGuard font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
  const std::wstring text = TextOf(window);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  std::ranges::sort(children);
  return children;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

// A memory DC over a top-down 32-bit DIB section, prefilled with one colour.
class TSurface {
 public:
  TSurface(int width, int height, TColorRef fill = kUnpainted)
      : FPicture(width, height, fill), FDc(CreateCompatibleDC(nullptr)) {
    const BITMAPINFO header = DibHeaderFor(FPicture);
    void* bits = nullptr;
    FBitmap = TUniqueBitmap(CreateDIBSection(FDc.Get(), &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    FBits = static_cast<std::uint32_t*>(bits);
    std::ranges::copy(FPicture.Bits(), FBits);
    FSelect.emplace(FDc.Get(), FBitmap.Get());
  }
  HDC Dc() const { return FDc.Get(); }
  TRaster Picture() {
    GdiFlush();
    std::copy_n(FBits, FPicture.Bits().size(), FPicture.Bits().begin());
    return FPicture;
  }

 private:
  TRaster FPicture;
  TUniqueMemoryDc FDc;
  TUniqueBitmap FBitmap;
  std::uint32_t* FBits = nullptr;
  std::optional<TSelectGuard> FSelect;
};

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

// Runs steps inside a form's modal loop, each as a posted message that is
// posted only when the one before has run, so that what a step posts is
// handled before the next step looks. When the last step has not closed the
// form, the test fails and the loop is ended rather than left to hang.
class TModalScript final : public TWindow {
 public:
  TModalScript(TForm& form, std::vector<std::function<void()>> steps) : FForm(form), FSteps(std::move(steps)) {
    CreateHandle({.ClassName = L"ToviDialogTestScript"});
    PostMessageW(Handle(), kStep, 0, 0);
  }
  std::size_t StepsRun() const { return FNext; }
  bool Finished() const { return FNext == FSteps.size(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kGiveUp && FForm.Showing()) {
      ADD_FAILURE() << "the form is still open after the last step";
      FForm.SetModalResult(-1);
    }
    if (message != kStep) return TWindow::HandleMessage(message, wParam, lParam);
    if (FNext < FSteps.size()) FSteps[FNext++]();
    PostMessageW(Handle(), FNext < FSteps.size() ? kStep : kGiveUp, 0, 0);
    return 0;
  }

 private:
  static constexpr UINT kStep = WM_APP + 1, kGiveUp = WM_APP + 2;
  TForm& FForm;
  std::vector<std::function<void()>> FSteps;
  std::size_t FNext = 0;
};

// Shows the form modally while the steps run in its loop; the modal result.
int ShowModalWith(TForm& form, std::vector<std::function<void()>> steps) {
  const TModalScript script(form, std::move(steps));
  const int result = form.ShowModal();
  EXPECT_TRUE(script.Finished()) << "the form closed after step " << script.StepsRun();
  EXPECT_FALSE(IsWindowVisible(form.Handle())) << "hidden once the modal loop has ended";
  return result;
}

// ---- Layout tables.

struct TControlRow {
  const char* Name;
  HWND Handle;
  const wchar_t* Kind;  // window class, in lower case
  // A label is sized to its text at run time: only Left and Top count.
  TPlace Place;
  std::wstring Text;
  std::optional<TFontSeen> Font;
  // For a label: the right and bottom edges that its text must keep within.
  std::optional<POINT> Within = {};
};

void ExpectControls(HWND form, const std::vector<TControlRow>& rows) {
  std::vector<HWND> listed;
  for (const TControlRow& row : rows) {
    listed.push_back(row.Handle);
    EXPECT_EQ(ClassOf(row.Handle), row.Kind) << row.Name;
    EXPECT_EQ(TextOf(row.Handle), row.Text) << row.Name;
    if (row.Font) {
      EXPECT_EQ(FontOf(row.Handle), *row.Font) << row.Name;
    }
    const TPlace place = PlaceOf(row.Handle);
    if (!row.Within) {
      EXPECT_EQ(place, row.Place) << row.Name;
      continue;
    }
    EXPECT_EQ(std::pair(place.Left, place.Top), std::pair(row.Place.Left, row.Place.Top)) << row.Name;
    const SIZE text = TextExtent(row.Handle);
    EXPECT_TRUE(place.Width >= text.cx && place.Height >= text.cy)
        << row.Name << ": " << place.Width << " x " << place.Height << " holds no text of " << text.cx << " x "
        << text.cy;
    EXPECT_TRUE(place.Left + text.cx <= row.Within->x && place.Top + text.cy <= row.Within->y)
        << row.Name << ": its text of " << text.cx << " x " << text.cy << " runs into its neighbours";
  }
  std::ranges::sort(listed);
  EXPECT_EQ(ChildrenOf(form), listed) << "the form holds the listed controls and no others";
}

struct TFrameRow {
  const char* Name;
  const TForm& Form;
  std::wstring Caption;
  SIZE Client;
  POINT Bare;  // a point of the client area that no control covers
};

void ExpectFrame(const TFrameRow& row) {
  const HWND window = row.Form.Handle();
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  EXPECT_EQ(TextOf(window), row.Caption) << row.Name;
  const SIZE client = ClientSize(window);
  EXPECT_EQ(std::pair(client.cx, client.cy), std::pair(row.Client.cx, row.Client.cy)) << row.Name;
  EXPECT_TRUE(!(style & WS_CHILD) && GetAncestor(window, GA_PARENT) == GetDesktopWindow()) << row.Name << ": top-level";
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr) << row.Name << ": no main form in the tests to own it";
  EXPECT_FALSE(IsWindowVisible(window)) << row.Name << ": hidden until shown";
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), DWORD(WS_CAPTION | WS_SYSMENU)) << row.Name << ": a close box";
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u) << row.Name << ": fixed, no min or max box";
  EXPECT_EQ(FontOf(window), kDialogFont) << row.Name;

  TSurface surface(client.cx, client.cy);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(surface.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(surface.Picture().Pixel(row.Bare.x, row.Bare.y), GetSysColor(COLOR_BTNFACE)) << row.Name << ": background";
}

// ---- The settings dialog.

// Pupil picture i: 7 by 7 with its key colour at the bottom left, drawn in a colour of its own.
TRaster PupilPicture(int i) {
  const char* const rows[] = {"..###..", ".#####.", "##o####", "#######", "#######", ".#####.", "..###.."};
  const TColorRef ink = RGB(30 + 20 * i, 200 - 15 * i, 60 + 10 * i);
  TRaster picture(7, 7, kKey);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x)
      if (rows[y][x] != '.') picture.SetPixel(x, y, rows[y][x] == 'o' ? kWhite : ink);
  return picture;
}

// The entry as it should look: the background with pupil picture `index` at (x, y) over it.
void DrawEntry(TRaster& target, const RECT& rect, TColorRef background, int index, int x, int y) {
  for (int row = rect.top; row < rect.bottom; ++row)
    for (int column = rect.left; column < rect.right; ++column) target.SetPixel(column, row, background);
  if (index < 0) return;
  const TRaster picture = PupilPicture(index);
  for (int row = 0; row < picture.Height(); ++row)
    for (int column = 0; column < picture.Width(); ++column)
      if (picture.Pixel(column, row) != kKey) target.SetPixel(x + column, y + row, picture.Pixel(column, row));
}

struct TValues {
  std::int32_t Type = 0;
  bool Blink = false;
  std::int32_t Interval = 0;
  friend bool operator==(const TValues&, const TValues&) = default;
};

void PrintTo(const TValues& v, std::ostream* out) {
  *out << "{type " << v.Type << ", blink " << v.Blink << ", interval " << v.Interval << "}";
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
  // A list of so many pupil pictures, kept for the whole run.
  static const TBitmapList& Pupils(int count) {
    static std::map<int, TBitmapList> lists;
    auto [list, made] = lists.try_emplace(count);
    if (made)
      for (int i = 0; i < count; ++i) list->second.Add(PupilPicture(i));
    return list->second;
  }
  void Open(int pictures, std::int32_t type, bool blink, std::int32_t interval) {
    Dlg.SetEyeList(&Pupils(pictures));
    Dlg.SetValues(type, blink, interval);
  }
  TValues Values() const {
    TValues values;
    Dlg.GetValues(values.Type, values.Blink, values.Interval);
    return values;
  }
  int Entries() const { return static_cast<int>(SendMessageW(Dlg.CmbTovi.Handle(), CB_GETCOUNT, 0, 0)); }
  int Selected() const { return static_cast<int>(SendMessageW(Dlg.CmbTovi.Handle(), CB_GETCURSEL, 0, 0)); }
  bool Checked() const { return SendMessageW(Dlg.ChkBlink.Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  std::wstring Shown() const { return TextOf(Dlg.EdtBlinkIvl.Handle()); }
  // The interval label, edit, up-down and unit label: whether each is enabled.
  std::vector<bool> IntervalEnabled() const {
    std::vector<bool> enabled;
    for (const HWND control : {Dlg.LblBlinkIvl.Handle(), Dlg.EdtBlinkIvl.Handle(), Dlg.UdbBlinkIvl.Handle(),
                               Dlg.LblBlinkIvlUnit.Handle()})
      enabled.push_back(IsWindowEnabled(control) != FALSE);
    return enabled;
  }
  bool OthersEnabled() const {
    return std::ranges::all_of(std::vector{Dlg.Label1.Handle(), Dlg.CmbTovi.Handle(), Dlg.ChkBlink.Handle(),
                                           Dlg.OK.Handle(), Dlg.QuickButton1.Handle()},
                               [](HWND w) { return IsWindowEnabled(w) != FALSE; });
  }
  int ClickOK() {
    return ShowModalWith(Dlg, {[this] { PostClick(Dlg.OK.Handle()); }});
  }

  TDlgSetting Dlg;
};

TEST_F(DlgSettingTest, FrameAndControlsFollowTheTable) {
  ExpectFrame({"settings", Dlg, L"設定", {283, 86}, {170, 80}});
  // Labels keep clear of the control to their right and of the row below.
  ExpectControls(Dlg.Handle(),
                 {
                     {"Label1", Dlg.Label1.Handle(), L"static", {12, 12}, L"ひとみの色", kDialogFont, POINT{96, 36}},
                     {"LblBlinkIvl", Dlg.LblBlinkIvl.Handle(), L"static", {28, 60}, L"間隔", kDialogFont,
                      POINT{60, 86}},
                     {"LblBlinkIvlUnit", Dlg.LblBlinkIvlUnit.Handle(), L"static", {132, 60}, L"ミリ秒",
                      kDialogFont, POINT{180, 86}},
                     {"CmbTovi", Dlg.CmbTovi.Handle(), L"combobox", {96, 8, 53, 19}, L"", kDialogFont},
                     {"EdtBlinkIvl", Dlg.EdtBlinkIvl.Handle(), L"edit", {60, 56, 53, 20}, L"100", kDialogFont},
                     {"ChkBlink", Dlg.ChkBlink.Handle(), L"button", {12, 36, 97, 17}, L"まばたきする",
                      kDialogFont},
                     {"OK", Dlg.OK.Handle(), L"tquickbutton", {180, 12, 89, 25}, L"OK", kDialogFont},
                     {"QuickButton1", Dlg.QuickButton1.Handle(), L"tquickbutton", {180, 44, 89, 25}, L"キャンセル",
                      kDialogFont},
                     {"UdbBlinkIvl", Dlg.UdbBlinkIvl.Handle(), UPDOWN_CLASSW, {113, 56, 15, 20}, L"",
                      std::nullopt},
                 });
  const LONG_PTR kinds = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE;
  EXPECT_EQ(GetWindowLongPtrW(Dlg.CmbTovi.Handle(), GWL_STYLE) & kinds, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED)
      << "a list without an edit field, entries of one height drawn by the dialog";
  // Holding an arrow never speeds up: one acceleration step of 100 from the start.
  UDACCEL accel[4]{};
  EXPECT_EQ(SendMessageW(Dlg.UdbBlinkIvl.Handle(), UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(accel)), 1);
  EXPECT_EQ(std::pair(accel[0].nSec, accel[0].nInc), std::pair(0u, 100u));
}

TEST_F(DlgSettingTest, PupilListFieldIs19HighAndDropsEightEntriesOf13) {
  const HWND combo = Dlg.CmbTovi.Handle();
  const int fieldHeight = PlaceOf(combo).Height, listHeight = 8 * kEntryHeight + 2;
  EXPECT_EQ(fieldHeight, 19);
  // Wine counts 2 pixels of padding into the field's item height.
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0), kEntryHeight + (kOnWine ? 2 : 0)) << "field";
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), kEntryHeight) << "entries";
  RECT dropped{};
  SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  // From the field's top to the list's bottom; Wine gives the list's height alone.
  EXPECT_EQ(ClientPlace(Dlg.Handle(), dropped), (TPlace{96, 8, 53, listHeight + (kOnWine ? 0 : fieldHeight)}));

  SetCursorPos(0, 0);  // away from the list, which follows the mouse
  ShowWindow(Dlg.Handle(), SW_SHOWNOACTIVATE);
  struct Case {
    int pictures, rows;
    bool scrolls;
  };
  for (const Case c : {Case{12, 8, true}, Case{8, 8, false}, Case{3, 3, false}}) {
    Open(c.pictures, 0, true, 5000);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    RECT list{};
    GetWindowRect(info.hwndList, &list);
    const TPlace place = ClientPlace(Dlg.Handle(), list);
    const SIZE client = ClientSize(info.hwndList);
    const bool scrollBar = (GetWindowLongPtrW(info.hwndList, GWL_STYLE) & WS_VSCROLL) != 0;
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(std::pair(place.Top, int(client.cy)), std::pair(8 + fieldHeight, c.rows * kEntryHeight))
        << c.pictures << " pictures: the list under the field, so many entries high";
    EXPECT_EQ(scrollBar, c.scrolls) << c.pictures << " pictures";
  }
}

TEST_F(DlgSettingTest, TabStopsAreTheListTheEditAndTheBoxInThisOrder) {
  Open(4, 0, true, 5000);
  std::vector<HWND> stops;
  for (const HWND child : ChildrenOf(Dlg.Handle()))
    if (GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) stops.push_back(child);
  const std::vector<HWND> order = {Dlg.CmbTovi.Handle(), Dlg.EdtBlinkIvl.Handle(), Dlg.ChkBlink.Handle()};
  std::vector<HWND> expected = order;
  std::ranges::sort(expected);
  EXPECT_EQ(stops, expected) << "no push button and not the up-down";
  std::vector<HWND> walked;
  for (HWND at = order.front(); walked.size() < 4;) walked.push_back(at = GetNextDlgTabItem(Dlg.Handle(), at, FALSE));
  EXPECT_EQ(walked, (std::vector<HWND>{order[1], order[2], order[0], order[1]}));
}

TEST_F(DlgSettingTest, TabKeyMovesBetweenTheEnabledStopsInTheModalLoop) {
  struct Case {
    bool blink;
    std::vector<HWND> focus;  // after each Tab, from the list
  };
  const HWND combo = Dlg.CmbTovi.Handle(), edit = Dlg.EdtBlinkIvl.Handle(), box = Dlg.ChkBlink.Handle();
  for (const Case& c : {Case{true, {edit, box, combo}}, Case{false, {box, combo}}}) {
    Open(4, 0, c.blink, 5000);
    std::vector<HWND> seen;
    std::vector<std::function<void()>> steps = {[&] {
      SetFocus(combo);
      PostKey(GetFocus(), VK_TAB);
    }};
    for (std::size_t i = 0; i < c.focus.size(); ++i)
      steps.push_back([&] {
        seen.push_back(GetFocus());
        PostKey(GetFocus(), VK_TAB);
      });
    steps.push_back([&] { PostClick(Dlg.QuickButton1.Handle()); });
    EXPECT_EQ(ShowModalWith(Dlg, steps), mrCancel);
    EXPECT_EQ(seen, c.focus) << (c.blink ? "blinking" : "not blinking: the edit is disabled");
  }
}

TEST_F(DlgSettingTest, ValuesComeBackAfterOKAsTheControlsHoldThem) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  struct Case {
    const char* what;
    int pictures;
    TValues given;
    int selected;
    int shown;  // the interval in the edit
    TValues back;
  };
  const Case cases[] = {
      {"type 2 of four pictures", 4, {2, true, 5000}, 2, 5000, {2, true, 5000}},
      {"type 7 of three: no entry", 3, {7, true, 300}, -1, 300, {-1, true, 300}},
      {"type 3 of three: no entry", 3, {3, true, 300}, -1, 300, {-1, true, 300}},
      {"negative type", 3, {-1, true, 300}, -1, 300, {-1, true, 300}},
      {"no pictures at all", 0, {0, true, 1000}, -1, 1000, {-1, true, 1000}},
      {"blink off keeps its interval", 4, {0, false, 2500}, 0, 2500, {0, false, 2500}},
      {"upper end", 4, {1, true, 10000}, 1, 10000, {1, true, 10000}},
      {"lower end", 4, {1, true, 100}, 1, 100, {1, true, 100}},
      {"off the step", 4, {1, true, 1234}, 1, 1234, {1, true, 1234}},
      {"below the range", 4, {1, true, -5}, 1, 100, {1, true, 100}},
      {"above the range", 4, {1, true, 99999}, 1, 10000, {1, true, 10000}},
      {"largest 32-bit", 4, {1, true, kMax}, 1, 10000, {1, true, 10000}},
      {"smallest 32-bit", 4, {1, true, kMin}, 1, 100, {1, true, 100}},
      // Cut to 16 bits these would be 500, and 32768 would be negative.
      {"65536 + 500 is clamped, not cut", 4, {1, true, 66036}, 1, 10000, {1, true, 10000}},
      {"-65536 + 500 is clamped, not cut", 4, {1, true, -65036}, 1, 100, {1, true, 100}},
      {"32768", 4, {1, true, 32768}, 1, 10000, {1, true, 10000}},
  };
  for (const Case& c : cases) {
    Open(c.pictures, c.given.Type, c.given.Blink, c.given.Interval);
    EXPECT_EQ(Entries(), c.pictures) << c.what;
    EXPECT_EQ(Selected(), c.selected) << c.what;
    EXPECT_EQ(Checked(), c.given.Blink) << c.what;
    EXPECT_EQ(Shown(), Grouped(c.shown)) << c.what;
    EXPECT_EQ(ClickOK(), mrOK) << c.what;
    EXPECT_EQ(Values(), c.back) << c.what;
  }
}

TEST_F(DlgSettingTest, OnlyTheChosenEntryChangesWhenTheUserPicksAnother) {
  Open(4, 2, false, 700);
  const int result = ShowModalWith(Dlg, {[&] {
                                           SetFocus(Dlg.CmbTovi.Handle());
                                           PostKey(Dlg.CmbTovi.Handle(), VK_DOWN);
                                         },
                                         [&] { PostClick(Dlg.OK.Handle()); }});
  EXPECT_EQ(result, mrOK);
  EXPECT_EQ(Values(), (TValues{3, false, 700}));
}

TEST_F(DlgSettingTest, TheBoxEnablesTheIntervalControlsAtEveryOpeningAndEveryClick) {
  const std::vector<bool> on(4, true), off(4, false);
  // FormShow must set the states from the box even when they were put out of step behind its back.
  struct Case {
    const char* what;
    bool blink;
    std::function<void()> meddle;
    std::vector<bool> shown;
  };
  const Case cases[] = {
      {"blinking", true, [] {}, on},
      {"not blinking", false, [] {}, off},
      {"box ticked without notice", false, [&] { SendMessageW(Dlg.ChkBlink.Handle(), BM_SETCHECK, BST_CHECKED, 0); },
       on},
      {"edit disabled behind its back", true, [&] { EnableWindow(Dlg.EdtBlinkIvl.Handle(), FALSE); }, on},
  };
  for (const Case& c : cases) {
    Open(4, 1, c.blink, 2500);
    c.meddle();
    std::vector<std::vector<bool>> seen;
    std::vector<bool> othersEnabled;
    const auto look = [&] {
      seen.push_back(IntervalEnabled());
      othersEnabled.push_back(OthersEnabled());
    };
    const int result = ShowModalWith(Dlg, {[&] {
                                             look();
                                             PostClick(Dlg.ChkBlink.Handle(), 5, 8);
                                           },
                                           [&] {
                                             look();
                                             PostClick(Dlg.ChkBlink.Handle(), 5, 8);
                                           },
                                           [&] {
                                             look();
                                             PostClick(Dlg.OK.Handle());
                                           }});
    EXPECT_EQ(result, mrOK) << c.what;
    const std::vector<bool> flipped(4, !c.shown[0]);
    EXPECT_EQ(seen, (std::vector{c.shown, flipped, c.shown})) << c.what << ": on showing, after one click, after two";
    EXPECT_EQ(othersEnabled, std::vector(3, true)) << c.what << ": the rest are never disabled";
    EXPECT_EQ(Values(), (TValues{1, c.shown[0], 2500})) << c.what << ": the interval comes back either way";
  }
}

TEST_F(DlgSettingTest, SetValuesRunsTheBoxHandlerOnlyWhenTheStateChanges) {
  int runs = 0;
  const TNotifyEvent handler = Dlg.ChkBlink.OnClick;
  Dlg.ChkBlink.OnClick = [&](TObject* sender) {
    ++runs;
    handler(sender);
  };
  for (const bool from : {false, true})
    for (const bool to : {false, true}) {
      SendMessageW(Dlg.ChkBlink.Handle(), BM_SETCHECK, from ? BST_CHECKED : BST_UNCHECKED, 0);
      // States opposite to what the handler would set show whether it ran.
      for (const HWND control : {Dlg.LblBlinkIvl.Handle(), Dlg.EdtBlinkIvl.Handle(), Dlg.UdbBlinkIvl.Handle(),
                                 Dlg.LblBlinkIvlUnit.Handle()})
        EnableWindow(control, !to);
      runs = 0;
      Open(4, 0, to, 5000);
      EXPECT_EQ(runs, from != to ? 1 : 0) << "from " << from << " to " << to;
      EXPECT_EQ(IntervalEnabled(), std::vector<bool>(4, from != to ? to : !to)) << "from " << from << " to " << to;
    }
}

TEST_F(DlgSettingTest, SecondSetValuesRebuildsTheListAndOverwritesEverything) {
  Open(4, 2, true, 5000);
  Open(4, 2, true, 5000);
  EXPECT_EQ(Entries(), 4) << "entries are not added twice";
  // What the user left behind: another entry, the box unticked, text typed.
  SendMessageW(Dlg.CmbTovi.Handle(), CB_SETCURSEL, 3, 0);
  SendMessageW(Dlg.ChkBlink.Handle(), BM_CLICK, 0, 0);
  Type(Dlg.EdtBlinkIvl.Handle(), L"abc");
  ASSERT_EQ(IntervalEnabled(), std::vector<bool>(4, false));
  Open(3, 1, true, 700);
  EXPECT_EQ(std::tuple(Entries(), Selected(), Checked(), Shown()), std::tuple(3, 1, true, Grouped(700)));
  EXPECT_EQ(IntervalEnabled(), std::vector<bool>(4, true));
  EXPECT_EQ(Values(), (TValues{1, true, 700}));
}

enum class TSpin { None, UpClick, DownClick, UpKey, DownKey };

TEST_F(DlgSettingTest, UpDownStepsBy100WithinItsRangeAndKeepsItsValueAgainstBadText) {
  const std::wstring kKeep;  // the typed text stays in the edit
  struct Case {
    const char* what;
    std::int32_t interval;
    std::optional<std::wstring> typed;
    TSpin spin;
    std::wstring shown;
    std::int32_t value;
  };
  const Case cases[] = {
      {"5,000 up", 5000, {}, TSpin::UpClick, Grouped(5100), 5100},
      {"5,000 down", 5000, {}, TSpin::DownClick, Grouped(4900), 4900},
      {"up arrow key in the edit", 5000, {}, TSpin::UpKey, Grouped(5100), 5100},
      {"down arrow key in the edit", 5000, {}, TSpin::DownKey, Grouped(4900), 4900},
      {"no wrap at the top", 10000, {}, TSpin::UpClick, Grouped(10000), 10000},
      {"no wrap at the bottom", 100, {}, TSpin::DownClick, Grouped(100), 100},
      {"a step past the top stops there", 9950, {}, TSpin::UpClick, Grouped(10000), 10000},
      {"a step past the bottom stops there", 150, {}, TSpin::DownClick, Grouped(100), 100},
      {"typed in range", 5000, L"7300", TSpin::None, kKeep, 7300},
      {"typed with the separator", 5000, Grouped(7300), TSpin::None, kKeep, 7300},
      {"typed off the step", 5000, L"250", TSpin::None, kKeep, 250},
      {"steps from a typed value", 5000, L"250", TSpin::UpClick, Grouped(350), 350},
      {"letters keep the last value", 5000, L"abc", TSpin::None, kKeep, 5000},
      {"nothing keeps the last value", 5000, L"", TSpin::None, kKeep, 5000},
      {"above the range keeps the last value", 5000, L"20000", TSpin::None, kKeep, 5000},
      {"below the range keeps the last value", 5000, L"50", TSpin::None, kKeep, 5000},
      {"negative keeps the last value", 5000, L"-300", TSpin::None, kKeep, 5000},
      {"a fraction keeps the last value", 5000, L"7300.5", TSpin::None, kKeep, 5000},
      {"steps from the kept value", 5000, L"abc", TSpin::UpClick, Grouped(5100), 5100},
  };
  const HWND upDown = Dlg.UdbBlinkIvl.Handle(), edit = Dlg.EdtBlinkIvl.Handle();
  const int middle = PlaceOf(upDown).Height / 2;
  for (const Case& c : cases) {
    Open(4, 0, true, c.interval);
    if (c.typed) Type(edit, *c.typed);
    // Each press is followed by its release, which stops the repeat before it starts.
    const auto click = [&](int y) {
      SendMessageW(upDown, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, y));
      SendMessageW(upDown, WM_LBUTTONUP, 0, MAKELPARAM(7, y));
    };
    const auto key = [&](UINT k) {
      SendMessageW(edit, WM_KEYDOWN, k, 1);
      SendMessageW(edit, WM_KEYUP, k, 0xC0000001);
    };
    switch (c.spin) {
      case TSpin::None: break;
      case TSpin::UpClick: click(middle / 2); break;
      case TSpin::DownClick: click(middle + middle / 2); break;
      case TSpin::UpKey: key(VK_UP); break;
      case TSpin::DownKey: key(VK_DOWN); break;
    }
    EXPECT_EQ(Values().Interval, c.value) << c.what;
    EXPECT_EQ(Shown(), c.shown.empty() && c.typed ? *c.typed : c.shown) << c.what;
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
      {"a taller rectangle", 3, 0, {0, 0, 40, 18}, window, 6},
      {"an odd height rounds down", 3, 0, {0, 0, 40, 16}, window, 5},
      {"selection field of a focused box", 1, ODS_SELECTED | ODS_COMBOBOXEDIT, {3, 3, 43, 16}, highlight, 6},
      {"empty selection field", -1, ODS_COMBOBOXEDIT, {3, 3, 43, 16}, window, 6},
      {"the focus rectangle comes after", 2, ODS_SELECTED | ODS_FOCUS, {0, 0, 40, 13}, highlight, 3},
  };
  for (const Case& c : cases) {
    TSurface painted(50, 40);
    DRAWITEMSTRUCT item{.CtlType = ODT_COMBOBOX,
                        .CtlID = static_cast<UINT>(GetDlgCtrlID(Dlg.CmbTovi.Handle())),
                        .itemID = static_cast<UINT>(c.index),
                        .itemAction = ODA_DRAWENTIRE,
                        .itemState = c.state,
                        .hwndItem = Dlg.CmbTovi.Handle(),
                        .hDC = painted.Dc(),
                        .rcItem = c.rect,
                        .itemData = 0};
    EXPECT_TRUE(SendMessageW(Dlg.Handle(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item))) << c.what;

    TRaster expected(50, 40, kUnpainted);
    DrawEntry(expected, c.rect, c.background, c.index, c.rect.left + 8, c.pupilY);
    if (c.state & ODS_FOCUS) {
      TSurface focus(50, 40);
      const BITMAPINFO header = DibHeaderFor(expected);
      SetDIBitsToDevice(focus.Dc(), 0, 0, 50, 40, 0, 0, 0, 40, expected.Bits().data(), &header, DIB_RGB_COLORS);
      DrawFocusRect(focus.Dc(), &c.rect);
      expected = focus.Picture();
    }
    EXPECT_EQ(painted.Picture(), expected) << c.what;
  }
}

TEST_F(DlgSettingTest, DroppedListAndFieldShowThePicturesThroughThePlatform) {
  SetCursorPos(0, 0);  // away from the list, which follows the mouse
  Open(5, 2, true, 5000);
  ShowWindow(Dlg.Handle(), SW_SHOWNOACTIVATE);
  const HWND combo = Dlg.CmbTovi.Handle();
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO info{};
    info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  const SIZE list = ClientSize(info.hwndList);
  TSurface painted(list.cx, list.cy);
  SendMessageW(info.hwndList, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(painted.Dc()), PRF_CLIENT);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  const TRaster picture = painted.Picture();
  for (int i = 0; i < 5; ++i) {
    const TColorRef background = GetSysColor(i == 2 ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    TRaster expected(list.cx, kEntryHeight);
    DrawEntry(expected, {0, 0, list.cx, kEntryHeight}, background, i, 8, 3);
    // The outermost pixels may carry the focus rectangle.
    EXPECT_EQ(Crop(picture, 1, i * kEntryHeight + 1, list.cx - 2, kEntryHeight - 2),
              Crop(expected, 1, 1, list.cx - 2, kEntryHeight - 2))
        << "entry " << i;
  }

  // The field draws the chosen entry wherever the platform puts its text area.
  const SIZE field = ClientSize(combo);
  TSurface fieldPainted(field.cx, field.cy);
  SendMessageW(combo, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(fieldPainted.Dc()), PRF_CLIENT);
  const TRaster fieldPicture = fieldPainted.Picture();
  const TColorRef fieldBackground = GetSysColor(GetFocus() == combo ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  std::vector<int> found;
  for (int i = 0; i < 5; ++i) {
    TRaster pupil(7, 7);
    DrawEntry(pupil, {0, 0, 7, 7}, fieldBackground, i, 0, 0);
    for (int y = 0; y + 7 <= field.cy; ++y)
      for (int x = 0; x + 7 <= field.cx; ++x)
        if (Crop(fieldPicture, x, y, 7, 7) == pupil) found.push_back(i);
  }
  EXPECT_EQ(found, std::vector{2}) << "the field shows pupil 2 once, and no other";
}

// ---- Modal behaviour of both dialogs.

class DlgModalTest : public ::testing::Test {
 protected:
  TDlgSetting Setting;
  TDlgAbout About;
};

TEST_F(DlgModalTest, ResultIsOneAfterOKAndTwoAfterCancelTheCloseBoxOrTheCloseCommand) {
  struct Case {
    const char* what;
    TForm& form;
    std::function<void()> close;
    int result;
  };
  const auto closeBox = [](const TForm& f) { return [&f] { PostMessageW(f.Handle(), WM_CLOSE, 0, 0); }; };
  const auto closeCommand = [](const TForm& f) {
    return [&f] { PostMessageW(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); };
  };
  // The same dialogs serve every opening, as in the program.
  const Case cases[] = {
      {"settings: OK", Setting, [&] { PostClick(Setting.OK.Handle()); }, mrOK},
      {"settings: Cancel", Setting, [&] { PostClick(Setting.QuickButton1.Handle()); }, mrCancel},
      {"settings: close box", Setting, closeBox(Setting), mrCancel},
      {"settings: close command", Setting, closeCommand(Setting), mrCancel},
      {"settings: OK again", Setting, [&] { PostClick(Setting.OK.Handle()); }, mrOK},
      {"about: OK", About, [&] { PostClick(About.OK.Handle()); }, mrOK},
      {"about: close box", About, closeBox(About), mrCancel},
      {"about: close command", About, closeCommand(About), mrCancel},
      {"about: OK again", About, [&] { PostClick(About.OK.Handle()); }, mrOK},
  };
  for (const Case& c : cases) EXPECT_EQ(ShowModalWith(c.form, {c.close}), c.result) << c.what;
}

TEST_F(DlgModalTest, EnterAndEscapeEndNeither) {
  struct Case {
    const char* what;
    TForm& form;
    UINT key;
    std::vector<HWND> targets;  // null: the dialog itself
    std::function<void()> close;
    int result;  // other than what the key would give, had it closed the dialog
  };
  const std::vector<HWND> settingTargets = {nullptr, Setting.CmbTovi.Handle(), Setting.EdtBlinkIvl.Handle(),
                                            Setting.ChkBlink.Handle()};
  const Case cases[] = {
      {"settings: Enter", Setting, VK_RETURN, settingTargets, [&] { PostClick(Setting.QuickButton1.Handle()); },
       mrCancel},
      {"settings: Escape", Setting, VK_ESCAPE, settingTargets, [&] { PostClick(Setting.OK.Handle()); }, mrOK},
      {"about: Enter", About, VK_RETURN, {nullptr, About.OK.Handle()},
       [&] { PostMessageW(About.Handle(), WM_CLOSE, 0, 0); }, mrCancel},
      {"about: Escape", About, VK_ESCAPE, {nullptr, About.OK.Handle()}, [&] { PostClick(About.OK.Handle()); }, mrOK},
  };
  Setting.SetValues(0, true, 5000);
  for (const Case& c : cases) {
    std::vector<std::function<void()>> steps;
    for (const HWND target : c.targets)
      steps.push_back([&c, target] {
        const HWND to = target ? target : c.form.Handle();
        SetFocus(to);
        PostKey(to, c.key);
      });
    steps.push_back(c.close);
    EXPECT_EQ(ShowModalWith(c.form, steps), c.result) << c.what;
  }
}

TEST_F(DlgModalTest, EveryOpeningIsCentredOnTheScreen) {
  for (const auto& [name, form] : {std::pair<const char*, TForm*>{"settings", &Setting}, {"about", &About}}) {
    const HWND window = form->Handle();
    for (int opening = 1; opening <= 2; ++opening) {
      // Moved away between openings, as a user may drag it.
      SetWindowPos(window, nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      RECT shown{};
      bool visible = false;
      EXPECT_EQ(ShowModalWith(*form,
                              {[&] {
                                 GetWindowRect(window, &shown);
                                 visible = IsWindowVisible(window);
                                 PostMessageW(window, WM_CLOSE, 0, 0);
                               }}),
                mrCancel);
      const LONG left = (GetSystemMetrics(SM_CXSCREEN) - (shown.right - shown.left)) / 2;
      const LONG top = (GetSystemMetrics(SM_CYSCREEN) - (shown.bottom - shown.top)) / 2;
      EXPECT_TRUE(visible) << name << ", opening " << opening;
      EXPECT_EQ(std::pair(shown.left, shown.top), std::pair(left, top))
          << name << ", opening " << opening;
    }
  }
}

// ---- The about box.

TEST(DlgAboutTest, FrameAndControlsFollowTheTable) {
  TDlgAbout about;
  ExpectFrame({"about", about, L"Toviについて", {249, 115}, {230, 100}});
  const TFontSeen title{L"Century Gothic", -27, ANSI_CHARSET};
  ExpectControls(about.Handle(),
                 {
                     {"Image1", about.Image1.Handle(), L"static", {8, 8, 32, 32}, L"", std::nullopt},
                     {"Label1", about.Label1.Handle(), L"static", {48, 8}, L"Tovi", title, POINT{249, 44}},
                     {"Label2", about.Label2.Handle(), L"static", {48, 44}, L"トヴィ Ver.1.20", kDialogFont,
                      POINT{249, 58}},
                     {"LblCopyright", about.LblCopyright.Handle(), L"static", {48, 58},
                      TextOf(about.LblCopyright.Handle()), kDialogFont, POINT{249, 76}},
                     {"Bevel1", about.Bevel1.Handle(), L"static", {12, 76, 229, 5}, L"", std::nullopt},
                     {"OK", about.OK.Handle(), L"tquickbutton", {84, 84, 89, 25}, L"OK", kDialogFont},
                 });
  EXPECT_NE(TextOf(about.LblCopyright.Handle()).find(L"©"), std::wstring::npos) << "a copyright line";
  std::vector<HWND> stops;
  for (const HWND child : ChildrenOf(about.Handle()))
    if (GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) stops.push_back(child);
  EXPECT_TRUE(stops.empty()) << "no tab stop";
}

TEST(DlgAboutTest, BevelIsASunkenRuleAlongItsTop) {
  TDlgAbout about;
  TSurface painted(229, 5);
  SendMessageW(about.Bevel1.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(painted.Dc()), PRF_CLIENT);
  const TRaster picture = painted.Picture();
  const TColorRef rows[] = {GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNFACE),
                            GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNFACE)};
  for (int y = 0; y < 5; ++y) EXPECT_EQ(Crop(picture, 0, y, 229, 1), TRaster(229, 1, rows[y])) << "row " << y;
}

TEST(DlgAboutTest, ImageHoldsTheProgramIconAt32Pixels) {
  if (FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_GROUP_ICON) == nullptr)
    GTEST_SKIP() << "this test program carries no icon of its own";
  TDlgAbout about;
  const auto icon = reinterpret_cast<HICON>(SendMessageW(about.Image1.Handle(), STM_GETIMAGE, IMAGE_ICON, 0));
  ICONINFO info{};
  ASSERT_TRUE(icon && GetIconInfo(icon, &info));
  const TUniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
  BITMAP bitmap{};
  GetObjectW(colour ? colour.Get() : mask.Get(), sizeof bitmap, &bitmap);
  EXPECT_TRUE(info.fIcon);
  EXPECT_EQ(std::pair(bitmap.bmWidth, bitmap.bmHeight), std::pair(32L, colour ? 32L : 64L));
}

}  // namespace
}  // namespace tovi
