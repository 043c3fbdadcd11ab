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

constexpr TColorRef kSilver = 0xC0C0C0, kUnpainted = 0x5A0A5A, kKey = 0xFF00FF;
// The shades of silver with Contrast 20.
constexpr TColorRef kLight = 0xE8E8E8, kLighter = 0xD4D4D4, kDarker = 0xACACAC, kDark = 0x989898;

// What the button shows, painted through WM_PRINTCLIENT (the routine of WM_PAINT) over a colour no button paints.
TRaster Painted(const TQuickButton& button) {
  return Printed(button.Handle(), button.Width(), button.Height(), kUnpainted);
}

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

// Logs every event and every paint of a button with its state at that moment.
class TLoggedButton : public TQuickButton {
 public:
  explicit TLoggedButton(std::vector<std::string>& log) : TQuickButton(nullptr), FLog(log) {
    static constexpr const char* kNames[] = {"left", "right", "middle"};  // in the order of TMouseButton
    OnMouseDown = [this](TObject*, TMouseButton b, TShiftState shift, int, int) {
      Note(std::string("down ") + kNames[int(b)] + (shift & ssDouble ? " double" : ""));
    };
    OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int, int) { Note(std::string("up ") + kNames[int(b)]); };
    OnClick = [this](TObject* sender) {
      Note(sender != this ? "wrong sender" : GetCapture() ? "click captured" : "click");
    };
    OnDblClick = [this](TObject*) { Note("double click"); };
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

// A shown top-level window that holds the buttons under test.
struct THost : TWindow {
  THost() {
    CreateHandle({.ClassName = L"ToviQuickButtonTestHost", .Style = WS_POPUP | WS_VISIBLE, .Bounds = {0, 0, 200, 100}});
  }
};

class QuickButtonTest : public ::testing::Test {
 protected:
  // A button in the shown host, painted once, with nothing left to repaint; its events and paints go to Log.
  std::unique_ptr<TQuickButton> MakeButton(int width, int height) {
    std::unique_ptr<TQuickButton> button = std::make_unique<TLoggedButton>(Log);
    button->SetBounds(10, 10, width, height);
    button->SetParent(Host.Handle());
    button->Loaded();
    RedrawWindow(Host.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Log.clear();
    return button;
  }

  THost Host;
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
      // Negative: the frame comes from Color (silver here) with the step 20, not from BaseColor.
      {"negative contrast", mNone, -5, kLight, kLighter, kDarker, kDark},
  };
  for (const Case& c : cases) {
    auto button = MakeButton(16, 12);
    button->SetStyle(qbsRound);
    button->SetBaseColor(c.contrast < 0 ? 0x00FF00 : kSilver);
    button->SetColor(kSilver);
    button->SetContrast(c.contrast);
    Drive(*button, c.mouse);
    const std::map<char, TColorRef> colours{{'K', kBlack}, {'1', c.c1}, {'2', c.c2},       {'3', c.c3},
                                            {'4', c.c4},   {'F', kSilver}, {'o', kSilver}, {'.', kUnpainted}};
    EXPECT_EQ(Differences(Painted(*button), frame, colours), "") << c.what;
  }
  for (const auto& [width, height] : {std::pair{5, 12}, {16, 5}}) {  // too small for a frame: all content
    auto button = MakeButton(width, height);
    button->SetStyle(qbsRound);
    button->SetBaseColor(kSilver);
    EXPECT_EQ(Painted(*button), TRaster(width, height, kSilver)) << width << "x" << height;
  }
}

TEST_F(QuickButtonTest, DefaultStyleFramesAreTheSystemEdges) {
  const TColorRef face = GetSysColor(COLOR_BTNFACE), light = GetSysColor(COLOR_3DLIGHT),
                  hi = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW),
                  dark = GetSysColor(COLOR_3DDKSHADOW);
  struct Case {
    const char* what;
    bool flat, down;
    int mouse;
    std::vector<TColorRef> pixels;  // outside in at the top left, then at the bottom right, then the middle
  };
  const Case cases[] = {
      {"new: raised", false, false, mNone, {light, hi, dark, shadow, face}},
      {"pressed: sunken", false, false, mPress, {shadow, dark, hi, light, face}},
      {"down: sunken, face in Hi", false, true, mNone, {shadow, dark, hi, light, hi}},
      {"flat hot: thin raised", true, false, mHover, {hi, face, shadow, face, face}},
      {"flat hot pressed: thin sunken", true, false, mHover | mPress, {dark, face, light, face, face}},
  };
  for (const Case& c : cases) {
    auto button = MakeButton(25, 25);
    button->SetFlat(c.flat);
    button->SetDown(c.down);
    Drive(*button, c.mouse);
    const TRaster painted = Painted(*button);
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
    const TRaster painted = Painted(*button);
    const std::map<char, TColorRef> colours{{'S', GetSysColor(COLOR_BTNSHADOW)},
                                            {'H', GetSysColor(COLOR_BTNHIGHLIGHT)},
                                            {'#', ink[c.shown < 0 ? 0 : c.shown]},
                                            {'.', face}};
    EXPECT_EQ(Differences(Crop(painted, at, at, 6, 6), c.shown < 0 ? etched : shape, colours), "") << c.what;
    EXPECT_EQ(Crop(painted, at - 1, at - 1, 1, 8), TRaster(1, 8, face)) << c.what << ": nothing beside the image";
  }
}

TEST_F(QuickButtonTest, MouseMessagesInOrder) {
  struct TMessage {
    UINT message;
    WPARAM keys;
    int x;
  };
  const TMessage leftDown{WM_LBUTTONDOWN, MK_LBUTTON, 5}, leftUp{WM_LBUTTONUP, 0, 5},
      leftUpOutside{WM_LBUTTONUP, 0, 40}, dragOff{WM_MOUSEMOVE, MK_LBUTTON, 40},
      leftDouble{WM_LBUTTONDBLCLK, MK_LBUTTON, 5}, hover{WM_MOUSEMOVE, 0, 5}, leave{WM_MOUSELEAVE, 0, 0};
  struct Case {
    const char* what;
    std::vector<TMessage> messages;
    std::vector<std::string> log;
    bool down;
  };
  // All switch buttons. A press and a release repaint later; the mouse coming and going, at once.
  const Case cases[] = {
      {"click: the released look is painted before the handler, which sees Down unchanged",
       {leftDown, leftUp}, {"down left", "paint", "click", "up left"}, true},
      {"release outside: no click, yet Down toggles",
       {leftDown, leftUpOutside}, {"down left", "up left pressed"}, true},
      {"double click: one click, one double click, Down back where it was",
       {leftDown, leftUp, leftDouble, leftUp},
       {"down left", "paint", "click", "up left", "double click down", "down left double down", "up left pressed down"},
       false},
      {"right and middle: events only",
       {{WM_RBUTTONDOWN, MK_RBUTTON, 5}, {WM_RBUTTONUP, 0, 5}, {WM_MBUTTONDOWN, MK_MBUTTON, 5}, {WM_MBUTTONUP, 0, 5},
        {WM_RBUTTONDBLCLK, MK_RBUTTON, 5}},
       {"down right", "up right", "down middle", "up middle", "down right double"}, false},
      {"hovered, pressed, dragged off, released, hovered and left",
       {hover, leftDown, dragOff, leftUpOutside, hover, leave},
       {"paint hot", "down left hot", "paint pressed", "up left pressed", "paint down hot", "paint down"}, true},
  };
  for (const Case& c : cases) {
    auto button = MakeButton(25, 25);
    button->SetSwitch(true);
    bool held = false;
    for (const TMessage& m : c.messages) {
      SendMessageW(button->Handle(), m.message, m.keys, MAKELPARAM(m.x, 5));
      if (m.message == WM_LBUTTONDOWN || m.message == WM_LBUTTONDBLCLK) held = true;
      if (m.message == WM_LBUTTONUP) held = false;
      EXPECT_EQ(GetCapture() == button->Handle(), held) << c.what << ": captured from left press to release";
    }
    EXPECT_EQ(Log, c.log) << c.what;
    EXPECT_EQ(button->Down(), c.down) << c.what;
  }
}

}  // namespace
}  // namespace tovi
