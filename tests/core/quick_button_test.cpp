#include "core/quick_button_look.h"
#include "core/quick_button_press.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "letter_picture.h"

namespace tovi {
namespace {

using enum TQuickButtonLayout;
using enum TQuickButtonStyle;
using enum TFrameKind;

constexpr TColorRef kSilver = 0xC0C0C0, kColor = 0x302010, kHi = 0xF0F0F1, kSh = 0x414040;

TEST(ButtonColours, FollowStyleContrastAndDown) {
  // State; face, step, highlight, shadow, fill: the shades saturate channel by channel.
  const std::tuple<TButtonLookState, TColorRef, std::int64_t, TColorRef, TColorRef, TColorRef> cases[] = {
      {{.Style = qbsRound}, kSilver, 20, 0xE8E8E8, 0x989898, kSilver},
      {{.Style = qbsRound, .Down = true}, kSilver, 20, 0xE8E8E8, 0x989898, 0xE8E8E8},
      {{.Style = qbsRound, .Pressed = true}, kSilver, 20, 0xE8E8E8, 0x989898, kSilver},  // only down fills with Hi
      {{.Style = qbsRound, .Contrast = 0, .Down = true}, kSilver, 0, kSilver, kSilver, kSilver},
      {{.Style = qbsRound, .Contrast = INT_MIN, .Down = true}, kColor, 20, kHi, kSh, kHi},
      {{.Style = qbsRound, .Contrast = INT_MAX}, kSilver, INT_MAX, 0xFFFFFF, 0x000000, kSilver},
      {{}, kColor, 20, kHi, kSh, kColor},
  };
  for (const auto& [state, face, step, hi, sh, fill] : cases) {
    const TButtonColours got = ButtonColours(state, {kSilver, kColor, kHi, kSh});
    EXPECT_EQ(std::tuple(got.Face, got.Step, got.Highlight, got.Shadow, got.Fill), std::tuple(face, step, hi, sh, fill))
        << "style " << static_cast<int>(state.Style) << ", contrast " << state.Contrast << ", down " << state.Down;
  }
  EXPECT_EQ(std::tuple(ShadeColor(0x10F080, 20), ShadeColor(0x10F080, -20)), std::tuple(0x24FF94u, 0x00DC6Cu))
      << "each channel on its own";
}

TEST(ChooseFrame, FollowsStyleStateAndSizeAndAPressShiftsTheContent) {
  // State, width and height; frame, inset, content shift.
  const std::tuple<TButtonLookState, int, int, TFrameKind, int, int> cases[] = {
      {{.MouseInControl = true}, 25, 25, RaisedEdge, 2, 0}, {{.Pressed = true}, 25, 25, SunkenEdge, 2, 1},
      // Flat: pressed with the mouse gone, under the mouse, pressed there, down.
      {{.Flat = true}, 25, 25, None, 0, 0}, {{.Flat = true, .Pressed = true}, 25, 25, None, 0, 1},
      {{.Flat = true, .MouseInControl = true}, 25, 25, RaisedInnerEdge, 1, 0},
      {{.Flat = true, .MouseInControl = true, .Pressed = true}, 25, 25, SunkenInnerEdge, 1, 1},
      {{.Flat = true, .Down = true}, 25, 25, SunkenInnerEdge, 1, 1},
      {{.Style = qbsRound, .Flat = true, .MouseInControl = true}, 6, 6, Round, 4, 0},
      {{.Style = qbsRound}, 5, 25, RoundTooSmall, 0, 0},
      {{.Style = qbsRound, .Down = true}, 25, 5, RoundTooSmall, 0, 1},
  };
  for (const auto& [state, width, height, kind, inset, shift] : cases) {
    const TButtonFrame frame = ChooseFrame(state, width, height);
    EXPECT_EQ(std::tuple(frame.Kind, frame.Inset, ContentShift(state)), std::tuple(kind, inset, shift))
        << "frame kind " << static_cast<int>(kind) << ", " << width << "x" << height;
  }
}

TEST(ChooseGlyphImage, PressedWinsOverDownAndDisabledEtchesOnlyAShortStrip) {
  // Enabled, images in the strip, down, pressed; image, etched.
  const std::tuple<bool, int, bool, bool, int, bool> cases[] = {
      {true, 4, false, false, 0, false}, {true, 4, true, false, 3, false},   {true, 4, true, true, 2, false},
      {true, 3, true, false, 0, false},  {true, 3, true, true, 2, false},    {true, 2, true, true, 0, false},
      {false, 4, true, true, 1, false},  {false, 2, false, false, 1, false}, {false, 1, false, false, 0, true},
  };
  for (const auto& [enabled, count, down, pressed, image, etched] : cases) {
    const TGlyphChoice got = ChooseGlyphImage({.Down = down, .Pressed = pressed, .Enabled = enabled}, count);
    EXPECT_EQ(std::tuple(got.Image, got.Etched), std::tuple(image, etched))
        << "enabled " << enabled << ", " << count << " images, down " << down << ", pressed " << pressed;
  }
  for (const auto& [width, height, count] :
       {std::tuple{40, 16, 2}, std::tuple{15, 16, 0}, std::tuple{5, 1, 5}, std::tuple{16, 0, 0}})
    EXPECT_EQ(GlyphCountOf(width, height), count) << width << "x" << height;
}

TEST(PlaceContent, EveryLayoutCentredOrAtAMarginWithHalvesTakenApart) {
  // Layout, margin, control size, inset, shift, glyph size, caption size, gap; the glyph's and the caption's corner.
  // A press moves content at a margin only across the layout direction; only -1 centres.
  const std::pair<TContentInput, TContentPlace> cases[] = {
      {{qblGlyphLeft, -1, 100, 60, 2, 0, 16, 30, 12, 4}, {{23, 20}, {43, 22}}},
      {{qblGlyphRight, -1, 100, 60, 2, 0, 16, 30, 12, 4}, {{57, 20}, {23, 22}}},
      {{qblGlyphTop, -1, 100, 60, 2, 0, 16, 30, 12, 4}, {{40, 12}, {33, 32}}},
      {{qblGlyphBottom, -1, 100, 60, 2, 1, 16, 30, 12, 4}, {{41, 29}, {34, 13}}},
      {{qblGlyphLeft, 5, 100, 60, 2, 1, 16, 30, 12, 4}, {{5, 21}, {25, 23}}},
      {{qblGlyphRight, 5, 100, 60, 2, 1, 16, 30, 12, 4}, {{39, 21}, {5, 23}}},
      {{qblGlyphTop, 5, 100, 60, 2, 1, 16, 30, 12, 4}, {{41, 5}, {34, 25}}},
      {{qblGlyphBottom, 5, 100, 60, 2, 1, 16, 30, 12, 4}, {{41, 21}, {34, 5}}},
      {{qblGlyphLeft, -2, 100, 60, 2, 0, 16, 30, 12, 4}, {{-2, 20}, {18, 22}}},
      // No glyph: the gap still moves a 20 by 10 caption 2 pixels off (20, 15).
      {{qblGlyphRight, -1, 60, 40, 0, 0, 0, 20, 10, 4}, {{42, 20}, {18, 15}}},
      // 24 div 2 - 13 div 2 is 6, where (24 - 13) div 2 would be 5.
      {{qblGlyphTop, -1, 24, 24, 0, 0, 0, 13, 13, 4}, {{12, 4}, {6, 8}}},
  };
  for (const auto& [in, place] : cases)
    EXPECT_EQ(PlaceContent(in), place)
        << "layout " << static_cast<int>(in.Layout) << ", margin " << in.Margin << ", " << in.Width << "x" << in.Height;
  EXPECT_EQ(std::pair(CaptionGap(true, false), CaptionGap(false, false)), std::pair(4, 0)) << "a caption's gap";
  EXPECT_EQ(PlaceContent({.Width = 60, .Height = 40, .GlyphSize = 15, .Gap = CaptionGap(true, true)}).Glyph,
            (TPoint{23, 13}))
      << "no caption, no gap: the glyph alone is centred";
  EXPECT_EQ(PlaceContent({.Margin = INT_MAX, .GlyphSize = 16, .Gap = 4}).Text.X, INT_MAX) << "saturates, never wraps";
}

TEST(RoundFrameLines, AnOctagonLitFromTheTopLeftOrFromTheBottomRightWhenSunken) {
  // Raised colour, sunken colour, points: each line runs from one point to the next, the end point left out (the
  // pixels they make are the Windows tier's); last the two dots the lines leave out. The middle is the fill's.
  const std::tuple<TColorRef, TColorRef, std::vector<TPoint>> expected[] = {
      {kBlack, kBlack, {{5, 2}, {12, 2}, {14, 4}, {14, 10}, {12, 12}, {5, 12}, {3, 10}, {3, 4}, {5, 2}}},
      {0xA0A0A0, 0x606060, {{4, 10}, {4, 4}, {5, 4}, {5, 3}, {13, 3}}},  // left and top, outer
      {0x909090, 0x707070, {{5, 9}, {5, 5}, {6, 5}, {6, 4}, {12, 4}}},  // left and top, inner
      {0x808080, 0x808080, {{7, 5}, {10, 5}, {11, 6}, {11, 8}, {10, 9}, {7, 9}, {6, 8}, {6, 5}}},  // the face
      {0x707070, 0x909090, {{5, 10}, {11, 10}, {11, 9}, {12, 9}, {12, 3}}},  // bottom and right, inner
      {0x606060, 0xA0A0A0, {{5, 11}, {12, 11}, {12, 10}, {13, 10}, {13, 3}}},  // bottom and right, outer
      {0x707070, 0x909090, {{6, 9}, {11, 5}}},
  };
  for (const bool sunken : {false, true}) {
    const TRoundFrame frame = RoundFrameLines({3, 2, 15, 13}, 0x808080, 0x10, sunken);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
      const auto& [raised, lowered, points] = expected[i];
      const auto got = i < frame.Lines.size()
                           ? std::tuple(frame.Lines[i].Colour, frame.Lines[i].Points)
                           : std::tuple(frame.DotColour, std::vector(frame.Dots.begin(), frame.Dots.end()));
      EXPECT_EQ(got, std::tuple(sunken ? lowered : raised, points)) << (sunken ? "sunken" : "raised") << ", line " << i;
    }
  }
}

// Strips and cells as letters: a and b ink, k the key, F the fill.
const testing::TLegend kInk{"abkF", {1, 2, 9, 5}};

TEST(GlyphCell, TheKeyBecomesFillAndPastTheStripsEndIsFillToo) {
  // Two 3 by 3 images and one column left over; the key is the bottom-left pixel, not the one above it.
  const TRaster strip = kInk.Picture({"akkbkka", "bakkbka", "kbakkka"});
  const std::vector<std::string> cells[] = {{"aFF", "baF", "Fba"}, {"bFF", "FbF", "FFF"}, {"aFF", "aFF", "aFF"}};
  for (int image = 0; image < 3; ++image) EXPECT_EQ(kInk.Rows(GlyphCell(strip, image, 5)), cells[image]) << image;
  // Image 0's shape in shadow (1), and one down-right in highlight (2) where the shape is not; image 1 casts nothing.
  std::vector<std::tuple<int, int, TColorRef>> etched;
  for (const TPixelPaint& p : EtchedGlyphPixels(kInk.Picture({"aakbbb", "kkkbbb", "kkkbbb"}), 1, 2))
    etched.emplace_back(p.At.X, p.At.Y, p.Colour);
  EXPECT_EQ(etched, (std::vector<std::tuple<int, int, TColorRef>>{{0, 0, 1}, {1, 0, 1}, {1, 1, 2}, {2, 1, 2}}));
}

// Passes the events on as the control does: P a left press, 2 the second press of a double click,
// U a left release inside, O one outside (as a press the platform cancels ends), R a right release,
// x disables the button. After each event but x its state: "p" pressed, "d" down, "." neither; a
// release that clicks first gives "c:" and the state the click's handler sees.
std::string Trace(bool isSwitch, const std::string& events) {
  TQuickButtonPress press;
  press.SetSwitch(isSwitch);
  const auto state = [&] {
    const std::string seen = std::string(press.Pressed() ? "p" : "") + (press.Down() ? "d" : "");
    return seen.empty() ? "." : seen;
  };
  bool enabled = true;
  std::string trace;
  for (const char event : events) {
    enabled = enabled && event != 'x';
    if (event == 'x') continue;
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
      {"click: its handler sees the released look", false, "PU", "p c:. ."}, {"outside: no click", false, "PO", "p ."},
      {"a switch toggles after its click's handler", true, "PU", "p c:. d"},
      {"a switch toggles on any left release, even outside", true, "PO", "p d"},
      {"a release dragged in from outside toggles a switch without a click", true, "U", "d"},
      {"a double click clicks once and toggles twice", true, "PU2U", "p c:. d pd ."},
      {"a right release ends the pressed look, not the click", false, "PRU", "p . c:. ."},
      {"right releases never toggle", true, "RR", ". ."}, {"disabled: no press, click, toggle", true, "xPU", ". ."},
      {"disabled while pressed, the platform cancels: Down stays", true, "PxO", "p ."},
  };
  for (const auto& [what, isSwitch, events, trace] : cases) EXPECT_EQ(Trace(isSwitch, events), trace) << what;
}

}  // namespace
}  // namespace tovi
