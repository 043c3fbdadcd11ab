#pragma once

#include <string>
#include <vector>

#include "toolkit/component.h"
#include "toolkit/handles.h"

namespace tovi {

class TForm;

// A pop-up menu owned by a form, whose items run their OnClick when chosen.
class TPopupMenu : public TComponent {
 public:
  struct TItem {
    std::wstring Caption;  // "-" makes a separator
    TNotifyEvent OnClick;
  };

  explicit TPopupMenu(TForm& owner);

  void Add(TItem item);
  HMENU Handle() const { return FMenu.Get(); }

  // Opens the menu at a screen point for the owner form and returns once it
  // has closed, after the chosen item's OnClick has run.
  void Popup(int x, int y);

 private:
  TForm& FForm;
  TUniqueMenu FMenu;
  std::vector<TItem> FItems;
};

}  // namespace tovi
