#include "components/quick_button.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "memory_surface.h"

namespace tovi {
namespace {

// Which shades each state takes is decided, and tested, in the core; here they must reach a real DC.
class QuickButtonTest : public ::testing::Test {
 protected:
  TForm Host{{.ClassName = L"ToviQuickButtonTestHost", .Caption = L"", .Style = WS_POPUP | WS_VISIBLE,
              .ClientWidth = 200, .ClientHeight = 100}};
  TQuickButton Button{Host, {10, 10, 16, 12}, L"", TQuickButtonStyle::qbsRound};
};

TEST_F(QuickButtonTest, RoundFramePixelForPixel) {
  // The core gives the frame's lines; here GDI's pen draws them, each without its end point. K black, 1 to 4 the
  // shades, F and o the face, '.' the corners the control never paints.
  const char* const frame[] = {"..KKKKKKKKKKKK..", ".K111111111111K.", "K11222222222234K", "K122FFFFFFFF334K",
                               "K12FooooooooF34K", "K12FooooooooF34K", "K12FooooooooF34K", "K12FooooooooF34K",
                               "K123FFFFFFFF334K", "K13333333333344K", ".K444444444444K.", "..KKKKKKKKKKKK.."};
  const TColorRef silver = 0xC0C0C0, light = 0xE8E8E8, lighter = 0xD4D4D4, darker = 0xACACAC, dark = 0x989898;
  Button.SetBaseColor(silver);
  for (const bool pressed : {false, true}) {
    if (pressed) SendMessageW(Button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    const std::map<char, TColorRef> colours{
        {'K', kBlack}, {'F', silver}, {'o', silver}, {'.', 0x5A0A5A}, {'1', pressed ? dark : light},
        {'2', pressed ? darker : lighter}, {'3', pressed ? lighter : darker}, {'4', pressed ? light : dark}};
    TRaster expected(16, 12);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) expected.SetPixel(x, y, colours.at(frame[y][x]));
    EXPECT_EQ(testing::Printed(Button.Handle(), 0x5A0A5A), expected) << (pressed ? "pressed: sunken" : "raised");
  }
}

TEST_F(QuickButtonTest, RealMouseMessagesReachASwitchInOrder) {
  std::string log;
  Button.SetSwitch(true);
  Button.OnClick = [&](TObject* sender) {
    const bool right = sender == &Button && !GetCapture();
    log += right ? (Button.Down() ? " click(down)" : " click(up)") : " [wrong sender or captured]";
  };
  for (const UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE, WM_LBUTTONDOWN, WM_LBUTTONUP}) {
    SendMessageW(Button.Handle(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
    log += GetCapture() == Button.Handle() ? " captured" : Button.Down() ? " down" : " up";
  }
  // The click's handler sees Down as it was; Down toggles after it.
  EXPECT_EQ(log, " up captured click(up) down down captured click(down) up");
}

TEST_F(QuickButtonTest, ADisabledCaptionIsEtched) {
  TQuickButton button{Host, {10, 30, 60, 25}, L"OK"};
  button.SetEnabled(false);
  const TRaster painted = testing::Printed(button.Handle(), 0x5A0A5A);
  const TColorRef shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  int shadows = 0, strays = 0;  // inside the frame: the text in shadow, over its copy in highlight one down-right
  for (int y = 4; y < 21; ++y)
    for (int x = 4; x < 56; ++x) {
      shadows += painted.Pixel(x, y) == shadow;
      strays += painted.Pixel(x, y) == highlight && painted.Pixel(x - 1, y - 1) != shadow;
    }
  EXPECT_TRUE(shadows > 10 && strays == 0) << shadows << " pixels in shadow, " << strays << " in highlight astray";
}

}  // namespace
}  // namespace tovi
