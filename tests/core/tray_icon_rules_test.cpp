#include "core/tray_icon_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace tovi {
namespace {

// "forward", "menu L" or "menu R", then the events, in the order they are done.
std::string Describe(const TTrayResponse& r) {
  const char* const kinds[] = {"Move", "Down", "Up", "Click", "DblClick"};
  const char* const buttons[] = {" left", " right", " middle"};
  std::string text = r.BringOwnerForward ? "forward;" : "";
  if (r.Menu != TTrayMenu::None) text += r.Menu == TTrayMenu::Left ? " menu L;" : " menu R;";
  for (const TTrayEvent& e : r.Events) {
    text += std::string(" ") + kinds[static_cast<int>(e.Kind)];
    if (e.Kind == TTrayEventKind::MouseDown || e.Kind == TTrayEventKind::MouseUp)
      text += buttons[static_cast<int>(e.Button)];
    if (e.Shift != 0) text += " shift " + std::to_string(e.Shift);
  }
  return text;
}

TEST(TrayResponse, BringsTheFormForwardOpensTheButtonsMenuAndThenReportsThePress) {
  // Shift flags: ssLeft 8, ssRight 16, ssMiddle 32, ssDouble 64.
  const std::pair<std::uint32_t, const char*> cases[] = {
      {0x0200, " Move"}, {0x0201, "forward; menu L; Down left shift 8"}, {0x0202, " Up left shift 8 Click"},
      {0x0203, "forward; DblClick Down left shift 64"}, {0x0204, "forward; menu R; Down right shift 16"},
      {0x0205, " Up right shift 16 Click"}, {0x0206, "forward; DblClick Down right shift 64"},
      {0x0207, " Down middle shift 32"}, {0x0208, " Up middle shift 32 Click"},
      // Nothing for a middle double click, nor for WM_CONTEXTMENU and NIN_SELECT, which only a later record asks for.
      {0x0209, ""}, {0x007B, ""}, {0x0400, ""}, {0, ""},
  };
  for (const auto& [message, expected] : cases) EXPECT_EQ(Describe(TrayResponse(message)), expected) << message;
}

TEST(FittingLength, KeepsWhatFitsWithoutSplittingADoubleByteCharacter) {
  // Shift JIS: 0x81-0x9F and 0xE0-0xFC lead a two-byte character; "\x82\xA0" is あ.
  const auto shiftJisLead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
  const std::tuple<const char*, std::string, std::size_t> cases[] = {
      {"empty", "", 0},
      {"fits exactly", std::string(63, 'a'), 63},
      {"one too many", std::string(64, 'a'), 63},
      {"a character that would end past the limit goes whole", std::string(62, 'a') + "\x82\xA0", 62},
      {"a character that ends at the limit stays", std::string(61, 'a') + "\x82\xA0", 63},
      {"a trail byte at the limit that looks like a lead stays with its own", std::string(61, 'a') + "\x82\x82" "a", 63},
      {"a lead byte that ends the text stays", "ab\x82", 3},
  };
  for (const auto& [reason, text, length] : cases) EXPECT_EQ(FittingLength(text, 63, shiftJisLead), length) << reason;
}

}  // namespace
}  // namespace tovi
