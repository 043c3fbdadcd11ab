#include "core/quick_button_press.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace tovi {
namespace {

// Passes the events on as the control does: P a left press, 2 the second press of a double click,
// U a left release inside, O one outside (as a press the platform cancels ends), R a right release,
// x disables the button. After each event but x its state: "p" pressed, "d" down, "." neither; a
// release that clicks first gives "c:" and the state the click's handler sees.
std::string Trace(TQuickButtonPress& press, const std::string& events) {
  const auto state = [&] {
    const std::string seen = std::string(press.Pressed() ? "p" : "") + (press.Down() ? "d" : "");
    return seen.empty() ? "." : seen;
  };
  bool enabled = true;
  std::string trace;
  for (const char event : events) {
    if (event == 'x') {
      enabled = false;
      continue;
    }
    if (event == 'P' || event == '2') press.LeftDown(enabled, event == '2');
    if ((event == 'U' || event == 'O') && press.LeftUp(event == 'U')) trace += " c:" + state();
    if (event != 'P' && event != '2') press.ButtonUp(event != 'R', enabled);
    trace += " " + state();
  }
  return trace.substr(1);
}

TEST(QuickButtonPress, PressesAndReleasesMakeClicksAndToggleASwitch) {
  // What happens, whether the button is a switch, the events, the trace.
  const std::tuple<const char*, bool, const char*, const char*> cases[] = {
      {"a click: its handler sees the released look", false, "PU", "p c:. ."},
      {"released outside: no click", false, "PO", "p ."},
      {"a switch toggles after its click's handler", true, "PU", "p c:. d"},
      {"a switch toggles on any left release, even outside", true, "PO", "p d"},
      {"a release dragged in from outside toggles a switch without a click", true, "U", "d"},
      {"a double click clicks once and toggles twice", true, "PU2U", "p c:. d pd ."},
      {"a right release ends the pressed look, not the click", false, "PRU", "p . c:. ."},
      {"right releases never toggle", true, "RR", ". ."},
      {"disabled: no press, no click, no toggle", true, "xPU", ". ."},
      {"disabled while pressed, the platform cancels: Down stays", true, "PxO", "p ."},
  };
  for (const auto& [what, isSwitch, events, trace] : cases) {
    TQuickButtonPress press;
    press.SetSwitch(isSwitch);
    EXPECT_EQ(Trace(press, events), trace) << what;
  }
}

}  // namespace
}  // namespace tovi
