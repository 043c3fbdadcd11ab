#include "toolkit/popup_menu.h"

#include "toolkit/errors.h"
#include "toolkit/form.h"
#include "toolkit/seams.h"

namespace tovi {

UINT seams::TrackPopupMenuAt(HMENU menu, HWND owner, POINT at) {
  return static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                            at.x, at.y, owner, nullptr));
}

TPopupMenu::TPopupMenu(TForm& owner) : TComponent(&owner), FForm(owner), FMenu(CreatePopupMenu()) {
  if (!FMenu) throw EToviError(L"メニューを作れません");
}

void TPopupMenu::Add(TItem item) {
  // Commands count from 1: 0 is the answer of a menu closed without a choice.
  const auto command = static_cast<UINT_PTR>(FItems.size() + 1);
  const BOOL added = item.Caption == L"-" ? AppendMenuW(FMenu.Get(), MF_SEPARATOR, command, nullptr)
                                          : AppendMenuW(FMenu.Get(), MF_STRING, command, item.Caption.c_str());
  if (!added) throw EToviError(L"メニューを作れません");
  FItems.push_back(std::move(item));
}

void TPopupMenu::Popup(int x, int y) {
  const UINT command = seams::OpenPopupMenu(FMenu.Get(), FForm.Handle(), POINT{x, y});
  // Else the next menu opened from the notification area may close at once, or stay open when the user
  // clicks elsewhere: the owner must get a message after the menu's own loop.
  PostMessageW(FForm.Handle(), WM_NULL, 0, 0);
  if (command == 0 || command > FItems.size()) return;
  const TItem& item = FItems[command - 1];
  if (item.OnClick) item.OnClick(this);
}

}  // namespace tovi
