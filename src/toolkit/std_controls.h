#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "toolkit/control.h"
#include "toolkit/font.h"
#include "toolkit/handles.h"

namespace tovi {

// Static text, as large as its text in its font (the form's unless given):
// where a font is wider than the one the layout was drawn with, the label
// grows rather than cut its text.
class TLabel final : public TControl {
 public:
  TLabel(TForm& form, TBounds bounds, const std::wstring& text, std::optional<TFont> font = std::nullopt);

 private:
  void FitContent() override;
};

class TEdit final : public TControl {
 public:
  TEdit(TForm& form, TBounds bounds, const std::wstring& text);
};

// Arrows beside an edit that own its number: they write their position into
// the edit, with the locale's thousands separator, and read it back from there.
class TUpDown final : public TControl {
 public:
  TUpDown(TForm& form, TBounds bounds, TEdit& buddy, int minimum, int maximum, int step);
  int Position() const;
  void SetPosition(int value);

 private:
  int FMinimum;
  int FMaximum;
};

class TCheckBox final : public TControl {
 public:
  TCheckBox(TForm& form, TBounds bounds, const std::wstring& text);
  bool Checked() const;
  // A change of state clicks the box, as the user's click does.
  void SetChecked(bool value);
  // What a click does, the user's (BN_CLICKED) or SetChecked's: runs OnClick.
  void Click();
  TNotifyEvent OnClick;
};

// What an owner-drawn entry is drawn with: the entry's index, its rectangle,
// its state (ODS_ flags) and a DC whose brush is the entry's background.
using TDrawItemEvent = std::function<void(TObject* control, int index, const RECT& rect, UINT state, HDC dc)>;

// A drop-down list whose entries all have one height and are drawn by OnDrawItem.
class TOwnerDrawComboBox final : public TControl {
 public:
  TOwnerDrawComboBox(TForm& form, TBounds bounds, UINT itemHeight, int visibleItems);
  void Clear();
  void AddItem(const std::wstring& text);
  // -1 when no entry is selected; an index that names no entry selects none.
  int ItemIndex() const;
  void SetItemIndex(int index);
  TDrawItemEvent OnDrawItem;

  // Answers WM_MEASUREITEM: the field and every entry are as high as an entry at the form's DPI.
  void MeasureItem(MEASUREITEMSTRUCT& item) const;
  // Draws an entry or the field (WM_DRAWITEM); the field with no entry selected is background only.
  void DrawItem(const DRAWITEMSTRUCT& item);

 private:
  void FitContent() override;

  const UINT FItemHeight;
};

// An icon of the program's own resources, made at the size of its bounds.
class TImage final : public TControl {
 public:
  TImage(TForm& form, TBounds bounds, int iconResource);

 private:
  void FitContent() override;

  const int FIconResource;
  TUniqueIcon FIcon;
};

// A sunken rule along the top of its bounds.
class TBevel final : public TControl {
 public:
  TBevel(TForm& form, TBounds bounds);
  // Draws the rule (WM_DRAWITEM).
  void DrawItem(const DRAWITEMSTRUCT& item) const;
};

}  // namespace tovi
