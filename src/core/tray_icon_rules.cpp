#include "core/tray_icon_rules.h"

#include <algorithm>

namespace tovi {

TTrayResponse TrayResponse(std::uint32_t mouseMessage) {
  using enum TTrayEventKind;
  using enum TMouseButton;
  using enum TTrayMenu;
  // A press that opens a menu is reported once the menu has closed.
  switch (mouseMessage) {
    case kMouseMove: return {false, None, {{MouseMove}}};
    case kLButtonDown: return {true, Left, {{MouseDown, mbLeft, ssLeft}}};
    case kLButtonUp: return {false, None, {{MouseUp, mbLeft, ssLeft}, {Click}}};
    case kLButtonDblClk: return {true, None, {{DblClick}, {MouseDown, mbLeft, ssDouble}}};
    case kRButtonDown: return {true, Right, {{MouseDown, mbRight, ssRight}}};
    case kRButtonUp: return {false, None, {{MouseUp, mbRight, ssRight}, {Click}}};
    case kRButtonDblClk: return {true, None, {{DblClick}, {MouseDown, mbRight, ssDouble}}};
    case kMButtonDown: return {false, None, {{MouseDown, mbMiddle, ssMiddle}}};
    case kMButtonUp: return {false, None, {{MouseUp, mbMiddle, ssMiddle}, {Click}}};
    default: return {};
  }
}

std::size_t FittingLength(std::string_view text, std::size_t maxBytes, bool (*isLeadByte)(unsigned char)) {
  std::size_t length = 0;
  while (length < text.size()) {
    const std::size_t next = length + (isLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1);
    if (next > maxBytes) break;
    length = next;
  }
  // A lead byte that ends the text keeps its place alone.
  return std::min(length, text.size());
}

}  // namespace tovi
