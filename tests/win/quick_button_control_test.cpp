#include "components/quick_button.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "memory_surface.h"

namespace tovi {
namespace {

using namespace testing;

using enum TQuickButtonStyle;

// What a button shows is read back through WM_PRINTCLIENT, the routine of WM_PAINT, over a colour no button paints.
constexpr TColorRef kSilver = 0xC0C0C0, kUnpainted = 0x5A0A5A, kKey = 0xFF00FF;
// The shades of silver with Contrast 20.
constexpr TColorRef kLight = 0xE8E8E8, kLighter = 0xD4D4D4, kDarker = 0xACACAC, kDark = 0x989898;

// The first pixel that differs from a map of symbols, or nothing.
std::string Differences(const TRaster& picture, const std::vector<std::string>& rows,
                        const std::map<char, TColorRef>& colours) {
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      if (const char symbol = rows[y][x]; picture.Pixel(x, y) != colours.at(symbol)) {
        char text[80];
        std::snprintf(text, sizeof text, "pixel %d,%d is %06X, not '%c'", x, y, picture.Pixel(x, y), symbol);
        return text;
      }
  return "";
}

// The mouse as a test drives it: over the button, pressed there.
enum TMouse { mNone = 0, mHover = 1, mPress = 2 };

void Drive(const TQuickButton& button, int mouse) {
  if (mouse & mHover) SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  if (mouse & mPress) SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
}

// Logs every click and every paint of a button with its state at that moment.
class TLoggedButton : public TQuickButton {
 public:
  TLoggedButton(TForm& host, TBounds bounds, std::vector<std::string>& log) : TQuickButton(host, bounds, L""), FLog(log) {
    OnClick = [this](TObject* sender) {
      Note(sender != this ? "wrong sender" : GetCapture() ? "click captured" : "click");
    };
  }

 protected:
  void Paint(HDC dc) override {
    Note("paint");
    TQuickButton::Paint(dc);
  }

 private:
  void Note(const std::string& event) {
    FLog.push_back(event + (Pressed() ? " pressed" : "") + (Down() ? " down" : "") + (MouseInControl() ? " hot" : ""));
  }
  std::vector<std::string>& FLog;
};

class QuickButtonTest : public ::testing::Test {
 protected:
  // A button in the shown host, painted once, with nothing left to repaint; its clicks and paints go to Log.
  std::unique_ptr<TQuickButton> MakeButton(int width, int height) {
    auto button = std::make_unique<TLoggedButton>(Host, TBounds{10, 10, width, height}, Log);
    RedrawWindow(Host.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Log.clear();
    return button;
  }

  TForm Host{{.ClassName = L"ToviQuickButtonTestHost", .Caption = L"", .Style = WS_POPUP | WS_VISIBLE,
              .ClientWidth = 200, .ClientHeight = 100}};
  std::vector<std::string> Log;
};

TEST_F(QuickButtonTest, RoundFramePixelForPixel) {
  // K black, 1 to 4 the shades c1 to c4, F the frame's face line, o the
  // content, '.' the corners the control never paints.
  const std::vector<std::string> frame = {
      "..KKKKKKKKKKKK..", ".K111111111111K.", "K11222222222234K", "K122FFFFFFFF334K",
      "K12FooooooooF34K", "K12FooooooooF34K", "K12FooooooooF34K", "K12FooooooooF34K",
      "K123FFFFFFFF334K", "K13333333333344K", ".K444444444444K.", "..KKKKKKKKKKKK..",
  };
  // Which shades each state takes is decided, and tested, in the core; here they must reach the screen.
  struct Case {
    const char* what;
    int mouse, contrast;
    TColorRef c1, c2, c3, c4;
  };
  const Case cases[] = {
      {"raised", mNone, 20, kLight, kLighter, kDarker, kDark},
      {"pressed: sunken", mPress, 20, kDark, kDarker, kLighter, kLight},
      {"contrast 0: no shading", mNone, 0, kSilver, kSilver, kSilver, kSilver},
  };
  for (const Case& c : cases) {
    auto button = MakeButton(16, 12);
    button->SetStyle(qbsRound);
    button->SetBaseColor(kSilver);
    button->SetContrast(c.contrast);
    Drive(*button, c.mouse);
    const std::map<char, TColorRef> colours{{'K', kBlack}, {'1', c.c1}, {'2', c.c2},       {'3', c.c3},
                                            {'4', c.c4},   {'F', kSilver}, {'o', kSilver}, {'.', kUnpainted}};
    EXPECT_EQ(Differences(Printed(button->Handle(), kUnpainted), frame, colours), "") << c.what;
  }
  for (const auto& [width, height] : {std::pair{5, 12}, {16, 5}}) {  // too small for a frame: all content
    auto button = MakeButton(width, height);
    button->SetStyle(qbsRound);
    button->SetBaseColor(kSilver);
    EXPECT_EQ(Printed(button->Handle(), kUnpainted), TRaster(width, height, kSilver)) << width << "x" << height;
  }
}

TEST_F(QuickButtonTest, DefaultStyleFramesAreTheSystemEdges) {
  const TColorRef face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_3DLIGHT),
                  hi = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                  dark = GetSysColor(COLOR_3DDKSHADOW);
  struct Case {
    const char* what;
    bool flat;
    int mouse;
    std::vector<TColorRef> pixels;  // outside in at the top left, then at the bottom right, then the middle
  };
  const Case cases[] = {
      {"new: raised", false, mNone, {light, hi, dark, shadow, face}},
      {"pressed: sunken", false, mPress, {shadow, dark, hi, light, face}},
      {"flat hot: thin raised", true, mHover, {hi, face, shadow, face, face}},
      {"flat hot pressed: thin sunken", true, mHover | mPress, {dark, face, light, face, face}},
  };
  for (const Case& c : cases) {
    auto button = MakeButton(25, 25);
    button->SetFlat(c.flat);
    Drive(*button, c.mouse);
    const TRaster painted = Printed(button->Handle(), kUnpainted);
    std::vector<TColorRef> pixels;
    for (const int at : {0, 1, 24, 23, 12}) pixels.push_back(painted.Pixel(at, at));
    EXPECT_EQ(pixels, c.pixels) << c.what;
  }
}

TEST_F(QuickButtonTest, GlyphImageTransparencyAndTheEtchedDisabledLook) {
  // Strips of 6 by 6 images, the same shape in each image's own colour on the key.
  const std::vector<std::string> shape = {"......", ".####.", ".#....", ".#.##.", ".#....", "......"};
  const std::vector<std::string> etched = {"......", ".SSSS.", ".SHHHH", ".SHSS.", ".SH.HH", "..H..."};
  const TColorRef ink[] = {0x0000FF, 0x00C000, 0xFF0000, 0x00FFFF}, face = GetSysColor(COLOR_BTNFACE);
  struct Case {
    const char* what;
    int images, mouse, shown;  // shown: the image painted, or -1 for the etched first one
    bool enabled = true;
  };
  for (const Case& c : {Case{"enabled", 4, mNone, 0}, {"pressed: image 2, moved", 4, mPress, 2},
                        {"disabled, own image", 2, mNone, 1, false}, {"disabled, etched", 1, mNone, -1, false}}) {
    TRaster strip(6 * c.images, 6, kKey);
    for (int i = 0; i < c.images; ++i)
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
          if (shape[y][x] == '#') strip.SetPixel(6 * i + x, y, ink[i]);
    auto button = MakeButton(24, 24);
    button->SetGlyph(&strip);
    Drive(*button, c.mouse);
    button->SetEnabled(c.enabled);
    // No caption: the image sits at 12 - 3 - inset 2 + shift in the content area, which lies 2 pixels in.
    const int at = c.mouse & mPress ? 10 : 9;
    const TRaster painted = Printed(button->Handle(), kUnpainted);
    const std::map<char, TColorRef> colours{{'S', GetSysColor(COLOR_BTNSHADOW)},
                                            {'H', GetSysColor(COLOR_BTNHIGHLIGHT)},
                                            {'#', ink[c.shown < 0 ? 0 : c.shown]},
                                            {'.', face}};
    EXPECT_EQ(Differences(Crop(painted, at, at, 6, 6), c.shown < 0 ? etched : shape, colours), "") << c.what;
    EXPECT_EQ(Crop(painted, at - 1, at - 1, 1, 8), TRaster(1, 8, face)) << c.what << ": nothing beside the image";
  }
}

TEST_F(QuickButtonTest, RealMouseMessagesDriveASwitch) {
  // What a press and a release do is decided, and tested, in the core; here the messages must reach it in order.
  auto button = MakeButton(25, 25);
  button->SetSwitch(true);
  const std::pair<UINT, WPARAM> messages[] = {
      {WM_MOUSEMOVE, 0}, {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}, {WM_MOUSELEAVE, 0}};
  std::vector<bool> captured;
  for (const auto& [message, keys] : messages) {
    SendMessageW(button->Handle(), message, keys, MAKELPARAM(5, 5));
    captured.push_back(GetCapture() == button->Handle());
  }
  EXPECT_EQ(captured, (std::vector<bool>{false, true, false, false})) << "captured from the press to the release";
  // The mouse coming and going repaints at once; the click's handler runs after the released look is
  // painted and sees Down as it was; Down toggles after it.
  EXPECT_EQ(Log, (std::vector<std::string>{"paint hot", "paint hot", "click hot", "paint down"}));
}

}  // namespace
}  // namespace tovi
