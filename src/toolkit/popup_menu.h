#pragma once

#include <string>
#include <vector>

#include "toolkit/component.h"
#include "toolkit/handles.h"

namespace tovi {

// A pop-up menu owned by a form, whose items run their OnClick when chosen.
class TPopupMenu : public TComponent {
 public:
  struct TItem {
    std::wstring Name;
    std::wstring Caption;  // "-" makes a separator
    TNotifyEvent OnClick;
  };

  explicit TPopupMenu(TComponent* owner);

  void Add(TItem item);
  const std::vector<TItem>& Items() const { return FItems; }
  HMENU Handle() const { return FMenu.Get(); }

  // Opens the menu at a screen point and returns once it has closed, after
  // the chosen item's OnClick has run.
  void Popup(int x, int y);

 private:
  TUniqueMenu FMenu;
  std::vector<TItem> FItems;
};

}  // namespace tovi
