#include "toolkit/std_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "toolkit/errors.h"
#include "toolkit/icon.h"
#include "toolkit/system_library.h"

namespace tovi {

TLabel::TLabel(TForm& form, TBounds bounds, const std::wstring& text, std::optional<TFont> font)
    : TControl(form, bounds, std::move(font)) {
  CreatePlatformControl({.ClassName = L"STATIC", .Title = text.c_str(), .Style = SS_LEFT | SS_NOPREFIX});
}

void TLabel::FitContent() {
  const std::wstring text = Text();
  const TScreenDc dc(GetDC(nullptr));
  const TSelectGuard select(dc.Get(), Font() ? Font() : GetStockObject(SYSTEM_FONT));
  SIZE size{};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
  SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEdit::TEdit(TForm& form, TBounds bounds, const std::wstring& text) : TControl(form, bounds) {
  CreatePlatformControl({.ClassName = L"EDIT",
                         .Title = text.c_str(),
                         .Style = WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                         .ExStyle = WS_EX_CLIENTEDGE});
}

namespace {

// Looked up rather than linked, though every Windows has it: the common
// controls' library is then loaded with the first up-down, and a run that
// never opens the settings dialog never maps it.
const wchar_t* UpDownClass() {
  static const bool registered = [] {
    static const auto init = SystemCall<decltype(::InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    return init != nullptr && init(&controls) != FALSE;
  }();
  if (!registered) throw EToviError(L"コモンコントロールを使えません");
  return UPDOWN_CLASSW;
}

}  // namespace

// Placed beside the edit by its own bounds, which its layout gives it again
// after Wine has made it as wide as a scroll bar; aligned to the edit
// (UDS_ALIGNRIGHT), it would shrink the edit.
TUpDown::TUpDown(TForm& form, TBounds bounds, TEdit& buddy, int minimum, int maximum, int step)
    : TControl(form, bounds), FMinimum(minimum), FMaximum(maximum) {
  CreatePlatformControl({.ClassName = UpDownClass(), .Style = UDS_SETBUDDYINT | UDS_ARROWKEYS});
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

TCheckBox::TCheckBox(TForm& form, TBounds bounds, const std::wstring& text) : TControl(form, bounds) {
  CreatePlatformControl({.ClassName = L"BUTTON", .Title = text.c_str(), .Style = WS_TABSTOP | BS_AUTOCHECKBOX});
}

bool TCheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool value) {
  if (value == Checked()) return;
  SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  Click();
}

void TCheckBox::Click() {
  if (OnClick) OnClick(this);
}

namespace {

// A combo box's window height is the field's and the dropped-down list's
// together: so many entries and the list's frame, at 96 DPI.
TBounds DroppedBounds(TBounds field, UINT itemHeight, int visibleItems) {
  return {field.Left, field.Top, field.Width, field.Height + visibleItems * static_cast<int>(itemHeight) + 2};
}

}  // namespace

// Made once its entries' height is set: the box asks for it (WM_MEASUREITEM) while it is made.
TOwnerDrawComboBox::TOwnerDrawComboBox(TForm& form, TBounds bounds, UINT itemHeight, int visibleItems)
    : TControl(form, DroppedBounds(bounds, itemHeight, visibleItems)), FItemHeight(itemHeight) {
  CreatePlatformControl(
      {.ClassName = L"COMBOBOX", .Style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED});
}

void TOwnerDrawComboBox::MeasureItem(MEASUREITEMSTRUCT& item) const {
  item.itemHeight = static_cast<UINT>(Form().Scale(static_cast<int>(FItemHeight)));
}

// Windows, as Wine, asks for the heights (WM_MEASUREITEM) once, while the box
// is made; a layout at another DPI can only set them. Each layout sets them,
// the first as well: Wine makes a measured field 2 pixels higher than a set
// one. It then sizes the list from what is left of the window, whose height is
// given again.
void TOwnerDrawComboBox::FitContent() {
  for (const WPARAM part : {WPARAM(-1), WPARAM(0)})
    SendMessageW(Handle(), CB_SETITEMHEIGHT, part, Form().Scale(static_cast<int>(FItemHeight)));
  const TBounds dropped = ScaledBounds();
  SetWindowPos(Handle(), nullptr, 0, 0, dropped.Width, dropped.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TOwnerDrawComboBox::Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }

void TOwnerDrawComboBox::AddItem(const std::wstring& text) {
  SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int TOwnerDrawComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void TOwnerDrawComboBox::SetItemIndex(int index) {
  const auto count = static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0));
  SendMessageW(Handle(), CB_SETCURSEL, index >= 0 && index < count ? static_cast<WPARAM>(index) : WPARAM(-1), 0);
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

TImage::TImage(TForm& form, TBounds bounds, int iconResource) : TControl(form, bounds), FIconResource(iconResource) {
  CreatePlatformControl({.ClassName = L"STATIC", .Style = SS_ICON | SS_REALSIZEIMAGE});
}

void TImage::FitContent() {
  // The old icon goes once the control shows the new one.
  const TUniqueIcon old = std::exchange(FIcon, ResourceIconAtSize(FIconResource, ScaledBounds().Width));
  SendMessageW(Handle(), STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(FIcon.Get()));
}

// Drawn by its owner: the platform's etched rule (SS_ETCHEDHORZ) is a border
// of its own width and height, not the top line of these bounds.
TBevel::TBevel(TForm& form, TBounds bounds) : TControl(form, bounds) {
  CreatePlatformControl({.ClassName = L"STATIC", .Style = SS_OWNERDRAW});
}

void TBevel::DrawItem(const DRAWITEMSTRUCT& item) const {
  RECT rect = item.rcItem;
  FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(item.hDC, &rect, EDGE_ETCHED, BF_TOP);
}

}  // namespace tovi
