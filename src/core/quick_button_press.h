#pragma once

namespace tovi {

// What the mouse's buttons do to the push button: whether it looks pressed,
// whether it is latched down, and which releases make a click. The control
// passes each press and release on in the order they come and shows the result.
class TQuickButtonPress {
 public:
  bool Pressed() const { return FPressed; }
  bool Down() const { return FDown; }
  bool Switch() const { return FSwitch; }
  void SetDown(bool value) { FDown = value; }
  void SetSwitch(bool value) { FSwitch = value; }

  // A press of the left button. The second press of a double click starts no
  // click; a disabled button takes no press at all.
  void LeftDown(bool enabled, bool secondOfDouble);
  // A release of the left button, inside the button or not: the pressed look
  // ends, and true says that it completes a click. Down stays as it was for
  // the click's handler: ButtonUp follows after it.
  bool LeftUp(bool inside);
  // The end of every release, of any button: no pressed look, and a left
  // release toggles the Down of an enabled switch, wherever it happens.
  void ButtonUp(bool left, bool enabled);

 private:
  bool FPressed = false;
  bool FDown = false;
  bool FSwitch = false;
  bool FClickStarted = false;
};

}  // namespace tovi
