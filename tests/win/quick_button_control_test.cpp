#include "components/quick_button.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "memory_surface.h"

namespace tovi {
namespace {

// Which shades each state takes is decided, and tested, in the core; here they must reach a real DC.
constexpr TColorRef kSilver = 0xC0C0C0, kUnpainted = 0x5A0A5A;

// Logs every click and every paint of a button with its state at that moment.
class TLoggedButton : public TQuickButton {
 public:
  TLoggedButton(TForm& host, TBounds bounds, std::string& log) : TQuickButton(host, bounds, L""), FLog(log) {
    OnClick = [this](TObject* sender) { Note(sender != this ? " wrong sender" : GetCapture() ? " captured" : " click"); };
  }

 protected:
  void Paint(HDC dc) override {
    Note(" paint");
    TQuickButton::Paint(dc);
  }

 private:
  void Note(const char* event) { FLog += event + std::string(Down() ? " down" : "") + (MouseInControl() ? " hot" : ""); }
  std::string& FLog;
};

class QuickButtonTest : public ::testing::Test {
 protected:
  // A button in the shown host with nothing left to repaint, the mouse over it and pressed there if asked.
  std::unique_ptr<TQuickButton> MakeButton(int width, int height, bool flat = false, bool pressed = false) {
    auto button = std::make_unique<TLoggedButton>(Host, TBounds{10, 10, width, height}, Log);
    button->SetFlat(flat);
    RedrawWindow(Host.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessageW(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    if (pressed) SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    Log.clear();
    return button;
  }

  TForm Host{{.ClassName = L"ToviQuickButtonTestHost", .Caption = L"", .Style = WS_POPUP | WS_VISIBLE,
              .ClientWidth = 200, .ClientHeight = 100}};
  std::string Log;
};

TEST_F(QuickButtonTest, RoundFramePixelForPixel) {
  // K black, 1 to 4 the shades, F and o the face, '.' the corners the control never paints.
  const char* const frame[] = {"..KKKKKKKKKKKK..", ".K111111111111K.", "K11222222222234K", "K122FFFFFFFF334K",
                               "K12FooooooooF34K", "K12FooooooooF34K", "K12FooooooooF34K", "K12FooooooooF34K",
                               "K123FFFFFFFF334K", "K13333333333344K", ".K444444444444K.", "..KKKKKKKKKKKK.."};
  const TColorRef light = 0xE8E8E8, lighter = 0xD4D4D4, darker = 0xACACAC, dark = 0x989898;  // contrast 20
  for (const bool pressed : {false, true}) {
    auto button = MakeButton(16, 12, false, pressed);
    button->SetStyle(TQuickButtonStyle::qbsRound);
    button->SetBaseColor(kSilver);
    const std::map<char, TColorRef> colours{
        {'K', kBlack}, {'F', kSilver}, {'o', kSilver}, {'.', kUnpainted}, {'1', pressed ? dark : light},
        {'2', pressed ? darker : lighter}, {'3', pressed ? lighter : darker}, {'4', pressed ? light : dark}};
    TRaster expected(16, 12);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) expected.SetPixel(x, y, colours.at(frame[y][x]));
    EXPECT_EQ(testing::Printed(button->Handle(), kUnpainted), expected) << (pressed ? "pressed: sunken" : "raised");
  }
}

TEST_F(QuickButtonTest, DefaultStyleFramesAreTheSystemEdges) {
  const TColorRef face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_3DLIGHT),
                  hi = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                  dark = GetSysColor(COLOR_3DDKSHADOW);
  struct TCase {
    const char* What;
    bool Flat, Pressed;
    std::vector<TColorRef> Pixels;  // outside in at the top left, then at the bottom right, then the middle
  };
  const TCase cases[] = {
      {"raised", false, false, {light, hi, dark, shadow, face}},
      {"pressed: sunken", false, true, {shadow, dark, hi, light, face}},
      {"flat hot: thin raised", true, false, {hi, face, shadow, face, face}},
      {"flat hot pressed: thin sunken", true, true, {dark, face, light, face, face}},
  };
  for (const TCase& c : cases) {
    const TRaster painted = testing::Printed(MakeButton(25, 25, c.Flat, c.Pressed)->Handle(), kUnpainted);
    std::vector<TColorRef> pixels;
    for (const int at : {0, 1, 24, 23, 12}) pixels.push_back(painted.Pixel(at, at));
    EXPECT_EQ(pixels, c.Pixels) << c.What;
  }
}

TEST_F(QuickButtonTest, RealMouseMessagesDriveASwitch) {
  // What a press and a release do is decided, and tested, in the core; here the messages must reach it in order.
  auto button = MakeButton(25, 25);
  button->SetSwitch(true);
  SendMessageW(button->Handle(), WM_MOUSELEAVE, 0, 0);
  std::string captured;
  for (const UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSELEAVE}) {
    SendMessageW(button->Handle(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(5, 5));
    captured += GetCapture() == button->Handle() ? "1" : "0";
  }
  EXPECT_EQ(captured, "0100") << "captured from the press to the release";
  // The mouse coming and going repaints at once; the click's handler runs after the released look is
  // painted and sees Down as it was; Down toggles after it.
  EXPECT_EQ(Log, " paint paint hot paint hot click hot paint down");
}

}  // namespace
}  // namespace tovi
