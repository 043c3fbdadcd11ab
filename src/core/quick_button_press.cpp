#include "core/quick_button_press.h"

#include <utility>

namespace tovi {

void TQuickButtonPress::LeftDown(bool enabled, bool secondOfDouble) {
  if (!enabled) return;
  FPressed = true;
  if (!secondOfDouble) FClickStarted = true;
}

bool TQuickButtonPress::LeftUp(bool inside) {
  FPressed = false;
  return std::exchange(FClickStarted, false) && inside;
}

void TQuickButtonPress::ButtonUp(bool left, bool enabled) {
  FPressed = false;
  if (left && enabled && FSwitch) FDown = !FDown;
}

}  // namespace tovi
