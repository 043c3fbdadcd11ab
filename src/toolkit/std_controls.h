#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/component.h"
#include "toolkit/handles.h"

namespace tovi {

class TForm;

// Where a control sits in its form's client area, in pixels.
struct TBounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// A control of one of the platform's own window classes, placed on a form
// when it is constructed. The form passes the control's notifications on.
class TStdControl : public TComponent {
 public:
  ~TStdControl() override;

  HWND Handle() const { return FHandle; }
  bool Enabled() const { return IsWindowEnabled(FHandle) != FALSE; }
  // Disabling first moves the keyboard focus away, which a disabled window
  // would otherwise keep.
  void SetEnabled(bool value);
  void SetFont(HFONT font);
  std::wstring Text() const;
  void SetText(const std::wstring& text);

 protected:
  struct TParams {
    const wchar_t* ClassName;
    DWORD Style;
    DWORD ExStyle = 0;
    TBounds Bounds;
    std::wstring Text;
    UINT ItemHeight = 0;  // of owner-drawn entries
  };
  TStdControl(TForm& form, const TParams& params);

 private:
  friend class TForm;
  virtual void Command(WORD) {}
  virtual void DrawItem(const DRAWITEMSTRUCT&) {}

  TForm& FForm;
  int FId;
  UINT FItemHeight;
  HWND FHandle = nullptr;
};

// Static text.
class TLabel final : public TStdControl {
 public:
  TLabel(TForm& form, TBounds bounds, const std::wstring& text);
  // Makes the label as wide and as high as its text in its font.
  void SizeToText();
};

class TEdit final : public TStdControl {
 public:
  TEdit(TForm& form, TBounds bounds, const std::wstring& text);
};

// Arrows beside an edit that own its number: they write their position into
// the edit, with the locale's thousands separator, and read it back from there.
class TUpDown final : public TStdControl {
 public:
  TUpDown(TForm& form, TBounds bounds, TEdit& buddy, int minimum, int maximum, int step);
  int Position() const;
  void SetPosition(int value);
  int Minimum() const { return FMinimum; }
  int Maximum() const { return FMaximum; }

 private:
  int FMinimum;
  int FMaximum;
};

class TCheckBox final : public TStdControl {
 public:
  TCheckBox(TForm& form, TBounds bounds, const std::wstring& text);
  bool Checked() const;
  // Runs OnClick when the state changes, as a click by the user would.
  void SetChecked(bool value);
  TNotifyEvent OnClick;

 private:
  void Command(WORD notification) override;
};

// What an owner-drawn entry is drawn with: the entry's index (-1 for an
// empty selection field), its rectangle, its state (ODS_ flags) and a DC whose
// brush the toolkit has set to the entry's background.
using TDrawItemEvent = std::function<void(TObject* control, int index, const RECT& rect, UINT state, HDC dc)>;

// A drop-down list whose entries all have one height and are drawn by OnDrawItem.
class TOwnerDrawComboBox final : public TStdControl {
 public:
  TOwnerDrawComboBox(TForm& form, TBounds bounds, UINT itemHeight, int visibleItems);
  void Clear();
  void AddItem(const std::wstring& text);
  int Count() const;
  // -1 when no entry is selected; an index that names no entry selects none.
  int ItemIndex() const;
  void SetItemIndex(int index);
  TDrawItemEvent OnDrawItem;

 private:
  void DrawItem(const DRAWITEMSTRUCT& item) override;
};

// An icon of the program's own resources, at its own size.
class TImage final : public TStdControl {
 public:
  TImage(TForm& form, TBounds bounds, int iconResource);

 private:
  TUniqueIcon FIcon;
};

// A sunken rule along the top of its bounds.
class TBevel final : public TStdControl {
 public:
  TBevel(TForm& form, TBounds bounds);

 private:
  void DrawItem(const DRAWITEMSTRUCT& item) override;
};

}  // namespace tovi
