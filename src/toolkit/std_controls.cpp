#include "toolkit/std_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/errors.h"
#include "toolkit/form.h"

namespace tovi {

TStdControl::TStdControl(TForm& form, const TParams& params)
    : TComponent(&form), FForm(form), FId(form.AddControl(this)), FItemHeight(params.ItemHeight) {
  const TBounds& b = params.Bounds;
  FHandle = CreateWindowExW(params.ExStyle, params.ClassName, params.Text.c_str(), WS_CHILD | WS_VISIBLE | params.Style,
                            b.Left, b.Top, b.Width, b.Height, form.Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(FId)), GetModuleHandleW(nullptr), nullptr);
  if (FHandle == nullptr) {
    form.RemoveControl(this);
    throw EToviError(L"コントロールを作れません");
  }
  SetFont(form.FontHandle());
}

TStdControl::~TStdControl() {
  FForm.RemoveControl(this);
  DestroyWindow(FHandle);
}

void TStdControl::SetEnabled(bool value) {
  if (!value && GetFocus() == FHandle) SendMessageW(FForm.Handle(), WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(FHandle, value);
}

void TStdControl::SetFont(HFONT font) { SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

std::wstring TStdControl::Text() const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(FHandle)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(FHandle, text.data(), static_cast<int>(text.size()))));
  return text;
}

void TStdControl::SetText(const std::wstring& text) { SetWindowTextW(FHandle, text.c_str()); }

TLabel::TLabel(TForm& form, TBounds bounds, const std::wstring& text)
    : TStdControl(form, {.ClassName = L"STATIC", .Style = SS_LEFT | SS_NOPREFIX, .Bounds = bounds, .Text = text}) {}

void TLabel::SizeToText() {
  const TWindowDc dc(Handle());
  const auto font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  const TSelectGuard select(dc.Get(), font ? font : GetStockObject(SYSTEM_FONT));
  const std::wstring text = Text();
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEdit::TEdit(TForm& form, TBounds bounds, const std::wstring& text)
    : TStdControl(form, {.ClassName = L"EDIT",
                         .Style = WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                         .ExStyle = WS_EX_CLIENTEDGE,
                         .Bounds = bounds,
                         .Text = text}) {}

TUpDown::TUpDown(TForm& form, TBounds bounds, TEdit& buddy, int minimum, int maximum, int step)
    // Set beside the edit by its bounds; aligning it would shrink the edit.
    : TStdControl(form, {.ClassName = UPDOWN_CLASSW, .Style = UDS_SETBUDDYINT | UDS_ARROWKEYS, .Bounds = bounds}),
      FMinimum(minimum),
      FMaximum(maximum) {
  // Wine gives a new up-down the width of a scroll bar: it takes its own again.
  SetWindowPos(Handle(), nullptr, 0, 0, bounds.Width, bounds.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy.Handle()), 0);
  SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
  // One acceleration step: holding an arrow never speeds up.
  UDACCEL accel{0, static_cast<UINT>(step)};
  SendMessageW(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  SetPosition(minimum);
}

int TUpDown::Position() const {
  BOOL failed = FALSE;
  const auto position = static_cast<int>(SendMessageW(Handle(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
  return std::clamp(position, FMinimum, FMaximum);
}

void TUpDown::SetPosition(int value) {
  SendMessageW(Handle(), UDM_SETPOS32, 0, std::clamp(value, FMinimum, FMaximum));
}

TCheckBox::TCheckBox(TForm& form, TBounds bounds, const std::wstring& text)
    : TStdControl(form, {.ClassName = L"BUTTON", .Style = WS_TABSTOP | BS_AUTOCHECKBOX, .Bounds = bounds, .Text = text}) {}

bool TCheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool value) {
  if (value == Checked()) return;
  SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (OnClick) OnClick(this);
}

void TCheckBox::Command(WORD notification) {
  if (notification == BN_CLICKED && OnClick) OnClick(this);
}

namespace {

// A combo box's window height is the field's and the dropped-down list's
// together: so many entries and the list's frame.
TBounds DroppedBounds(TBounds field, UINT itemHeight, int visibleItems) {
  return {field.Left, field.Top, field.Width, field.Height + visibleItems * static_cast<int>(itemHeight) + 2};
}

}  // namespace

TOwnerDrawComboBox::TOwnerDrawComboBox(TForm& form, TBounds bounds, UINT itemHeight, int visibleItems)
    : TStdControl(form, {.ClassName = L"COMBOBOX",
                         .Style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
                         .Bounds = DroppedBounds(bounds, itemHeight, visibleItems),
                         .ItemHeight = itemHeight}) {
  // Wine sizes the field anew from the text of the font set after creation,
  // and the list's room from what is then left: the entries' height decides
  // the field, and the window's height is given again to set the list's room.
  SendMessageW(Handle(), CB_SETITEMHEIGHT, WPARAM(-1), itemHeight);
  const TBounds dropped = DroppedBounds(bounds, itemHeight, visibleItems);
  SetWindowPos(Handle(), nullptr, 0, 0, dropped.Width, dropped.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TOwnerDrawComboBox::Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }

void TOwnerDrawComboBox::AddItem(const std::wstring& text) {
  SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int TOwnerDrawComboBox::Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }

int TOwnerDrawComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void TOwnerDrawComboBox::SetItemIndex(int index) {
  SendMessageW(Handle(), CB_SETCURSEL, index >= 0 && index < Count() ? static_cast<WPARAM>(index) : WPARAM(-1), 0);
}

void TOwnerDrawComboBox::DrawItem(const DRAWITEMSTRUCT& item) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const HBRUSH background = GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  const TSelectGuard brush(item.hDC, background);
  const int index = static_cast<int>(item.itemID);
  if (OnDrawItem && index >= 0) OnDrawItem(this, index, item.rcItem, item.itemState, item.hDC);
  else FillRect(item.hDC, &item.rcItem, background);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

TImage::TImage(TForm& form, TBounds bounds, int iconResource)
    : TStdControl(form, {.ClassName = L"STATIC", .Style = SS_ICON | SS_REALSIZEIMAGE, .Bounds = bounds}),
      FIcon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconResource), IMAGE_ICON,
                                          bounds.Width, bounds.Height, 0))) {
  SendMessageW(Handle(), STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(FIcon.Get()));
}

// Drawn by the control itself: the platform's etched rule (SS_ETCHEDHORZ) is
// a border of its own width and height, not the top line of these bounds.
TBevel::TBevel(TForm& form, TBounds bounds)
    : TStdControl(form, {.ClassName = L"STATIC", .Style = SS_OWNERDRAW, .Bounds = bounds}) {}

void TBevel::DrawItem(const DRAWITEMSTRUCT& item) {
  RECT rect = item.rcItem;
  FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &rect, EDGE_ETCHED, BF_TOP);
}

}  // namespace tovi
