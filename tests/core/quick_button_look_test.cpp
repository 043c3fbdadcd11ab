#include "core/quick_button_look.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace tovi {
namespace {

using enum TQuickButtonLayout;
using enum TQuickButtonStyle;
using enum TFrameKind;

constexpr TColorRef kSilver = 0xC0C0C0, kColor = 0x302010, kHi = 0xF0F0F1, kSh = 0x414040;

TEST(ShadeColor, AddsTheStepToEachChannelAndSaturates) {
  // Colour, step, shaded colour; in 0x10F080 each channel saturates on its own.
  const std::tuple<TColorRef, std::int64_t, TColorRef> cases[] = {
      {kSilver, 40, 0xE8E8E8},  {0x10F080, 20, 0x24FF94}, {0x10F080, -20, 0x00DC6C}, {0x10F080, -200, 0x002800},
      {kSilver, 2 * std::int64_t{INT_MAX}, 0xFFFFFF}, {kSilver, 2 * std::int64_t{INT_MIN}, 0x000000},
  };
  for (const auto& [colour, step, shaded] : cases)
    EXPECT_EQ(ShadeColor(colour, step), shaded) << std::hex << colour << " step " << std::dec << step;
}

TEST(ButtonColours, FollowStyleContrastAndDown) {
  // State; face, step, highlight, shadow, fill.
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
}

TEST(ChooseFrame, FollowsStyleStateAndSizeAndAPressShiftsTheContent) {
  // State, width and height; frame, inset, content shift.
  const std::tuple<TButtonLookState, int, int, TFrameKind, int, int> cases[] = {
      {{.MouseInControl = true}, 25, 25, RaisedEdge, 2, 0},
      {{.Pressed = true}, 25, 25, SunkenEdge, 2, 1},
      {{.Flat = true}, 25, 25, None, 0, 0},
      {{.Flat = true, .Pressed = true}, 25, 25, None, 0, 1},  // pressed, and the mouse gone
      {{.Flat = true, .MouseInControl = true}, 25, 25, RaisedInnerEdge, 1, 0},
      {{.Flat = true, .MouseInControl = true, .Pressed = true}, 25, 25, SunkenInnerEdge, 1, 1},
      {{.Flat = true, .Down = true}, 25, 25, SunkenInnerEdge, 1, 1},
      {{.Style = qbsRound, .Flat = true, .MouseInControl = true}, 6, 6, Round, 4, 0},
      {{.Style = qbsRound}, 5, 25, RoundTooSmall, 0, 0},
      {{.Style = qbsRound, .Down = true}, 25, 5, RoundTooSmall, 0, 1},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& [state, width, height, kind, inset, shift] = cases[i];
    const TButtonFrame frame = ChooseFrame(state, width, height);
    EXPECT_EQ(std::tuple(frame.Kind, frame.Inset, ContentShift(state)), std::tuple(kind, inset, shift)) << "case " << i;
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

TEST(PlaceContent, EveryLayoutCentredAndAtAMargin) {
  // Layout, margin, shift; glyph and caption corners in the content area of a
  // 100 by 60 control with a 2-pixel frame, a 16-pixel glyph and a 30 by 12 caption.
  const std::tuple<TQuickButtonLayout, int, int, TContentPlace> cases[] = {
      {qblGlyphLeft, -1, 0, {{23, 20}, {43, 22}}},   {qblGlyphRight, -1, 0, {{57, 20}, {23, 22}}},
      {qblGlyphTop, -1, 0, {{40, 12}, {33, 32}}},    {qblGlyphBottom, -1, 0, {{40, 28}, {33, 12}}},
      // At a margin a press moves the content only across the layout direction.
      {qblGlyphLeft, 5, 1, {{5, 21}, {25, 23}}},     {qblGlyphRight, 5, 1, {{39, 21}, {5, 23}}},
      {qblGlyphTop, 5, 1, {{41, 5}, {34, 25}}},      {qblGlyphBottom, 5, 1, {{41, 21}, {34, 5}}},
      {qblGlyphTop, 0, 0, {{40, 0}, {33, 20}}},      {qblGlyphLeft, -2, 0, {{-2, 20}, {18, 22}}},  // only -1 centres
      {qblGlyphBottom, -1, 1, {{41, 29}, {34, 13}}},
  };
  for (const auto& [layout, margin, shift, expected] : cases) {
    const TContentPlace got = PlaceContent({.Layout = layout, .Margin = margin, .Width = 100, .Height = 60,
                                            .Inset = 2, .Shift = shift, .GlyphSize = 16, .TextWidth = 30,
                                            .TextHeight = 12, .Gap = 4});
    EXPECT_EQ(std::tuple(got.Glyph.X, got.Glyph.Y, got.Text.X, got.Text.Y),
              std::tuple(expected.Glyph.X, expected.Glyph.Y, expected.Text.X, expected.Text.Y))
        << "layout " << static_cast<int>(layout) << ", margin " << margin << ", shift " << shift;
  }
}

TEST(PlaceContent, CaptionWithoutGlyphKeepsTheGapAndHalvesAreTakenApart) {
  // Layout, control size, inset, shift, caption size; the caption's corner.
  const std::tuple<TQuickButtonLayout, int, int, int, int, int, int, TPoint> cases[] = {
      // 60 by 40, a caption of 20 by 10: alone it would sit at (20, 15); the gap moves it 2 pixels.
      {qblGlyphLeft, 60, 40, 0, 0, 20, 10, {22, 15}},
      {qblGlyphRight, 60, 40, 0, 0, 20, 10, {18, 15}},
      {qblGlyphTop, 60, 40, 0, 0, 20, 10, {20, 17}},
      {qblGlyphBottom, 60, 40, 0, 0, 20, 10, {20, 13}},
      // 24 div 2 - 13 div 2 is 6, where (24 - 13) div 2 would be 5.
      {qblGlyphTop, 24, 24, 0, 0, 13, 13, {6, 8}},
      // The settings dialog's OK button, round, at rest and pressed: the caption at (39, 6) or (40, 7).
      {qblGlyphLeft, 89, 25, 4, 0, 14, 12, {35, 2}},
      {qblGlyphLeft, 89, 25, 4, 1, 14, 12, {36, 3}},
  };
  for (const auto& [layout, width, height, inset, shift, textWidth, textHeight, text] : cases)
    EXPECT_EQ(PlaceContent({.Layout = layout, .Width = width, .Height = height, .Inset = inset, .Shift = shift,
                            .TextWidth = textWidth, .TextHeight = textHeight, .Gap = CaptionGap(true, false)})
                  .Text,
              text)
        << "layout " << static_cast<int>(layout) << ", " << width << "x" << height << ", shift " << shift;
  EXPECT_EQ(PlaceContent({.Width = 60, .Height = 40, .GlyphSize = 16, .Gap = CaptionGap(true, true)}).Glyph,
            (TPoint{22, 12}))
      << "no caption, no gap: the glyph alone is centred";
  EXPECT_EQ(PlaceContent({.Margin = INT_MAX, .GlyphSize = 16, .Gap = 4}).Text.X, INT_MAX) << "saturates, never wraps";
}

// Paints the frame's lines as the platform's pen does (each line from a point
// to the next, the end point left out) and its two dots, a letter a colour.
std::vector<std::string> PaintedFrame(const TRoundFrame& frame, int width, int height) {
  std::vector<std::string> grid(height, std::string(width, '.'));
  const auto letter = [](TColorRef colour) {
    switch (colour) {
      case kButtonOutline: return 'o';
      case 0xA0A0A0: return '1';
      case 0x909090: return '2';
      case 0x808080: return 'f';
      case 0x707070: return '3';
      case 0x606060: return '4';
    }
    return '?';
  };
  for (const TPolyline& line : frame.Lines)
    for (std::size_t i = 0; i + 1 < line.Points.size(); ++i) {
      const TPoint from = line.Points[i], to = line.Points[i + 1];
      const int dx = (to.X > from.X) - (to.X < from.X), dy = (to.Y > from.Y) - (to.Y < from.Y);
      for (TPoint p = from; p.X != to.X || p.Y != to.Y; p.X += dx, p.Y += dy) grid.at(p.Y).at(p.X) = letter(line.Colour);
    }
  for (const TPoint dot : frame.Dots) grid.at(dot.Y).at(dot.X) = letter(frame.DotColour);
  return grid;
}

TEST(RoundFrameLines, AnOctagonLitFromTheTopLeftOrFromTheBottomRightWhenSunken) {
  // An 11 by 9 frame around a face of 0x808080 shaded in steps of 0x10: 1 and 2
  // lighter, 3 and 4 darker, o the outline, f the face; the middle is left to the fill.
  const std::vector<std::string> raised = {
      "..ooooooo..", ".o1111111o.", "o112222234o", "o122fff334o", "o12f...f34o",
      "o123fff334o", "o133333344o", ".o4444444o.", "..ooooooo..",
  };
  const std::vector<std::string> sunken = {
      "..ooooooo..", ".o4444444o.", "o443333321o", "o433fff221o", "o43f...f21o",
      "o432fff221o", "o422222211o", ".o1111111o.", "..ooooooo..",
  };
  for (const auto& [isSunken, expected] : {std::pair{false, raised}, std::pair{true, sunken}})
    EXPECT_EQ(PaintedFrame(RoundFrameLines({0, 0, 11, 9}, 0x808080, 0x10, isSunken), 11, 9), expected)
        << (isSunken ? "sunken" : "raised");
  // Taller, at (3, 2): the corner's row, and the column of the face's left side.
  const std::vector<std::string> taller = PaintedFrame(RoundFrameLines({3, 2, 14, 13}, 0x808080, 0x10, false), 14, 13);
  std::string column;
  for (const std::string& row : taller) column += row[6];
  EXPECT_EQ(std::tuple(taller[2], column), std::tuple(".....ooooooo..", "..o122fff334o"));
}

// A strip of pictures from rows of letters: a and b ink, anything else the key.
TRaster Strip(const std::vector<std::string>& rows) {
  TRaster strip(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 0);
  for (int y = 0; y < strip.Height(); ++y)
    for (int x = 0; x < strip.Width(); ++x)
      strip.SetPixel(x, y, rows[y][x] == 'a' ? 0x0000FF : rows[y][x] == 'b' ? 0xFF0000 : 0x00FF00);
  return strip;
}

std::vector<std::string> Letters(const TRaster& picture) {
  std::vector<std::string> rows(picture.Height(), std::string(picture.Width(), '?'));
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const TColorRef c = picture.Pixel(x, y);
      rows[y][x] = c == 0x0000FF ? 'a' : c == 0xFF0000 ? 'b' : c == 0x808080 ? 'F' : '?';
    }
  return rows;
}

TEST(GlyphCell, TheKeyBecomesFillAndPastTheStripsEndIsFillToo) {
  // Two 3 by 3 images and one column left over; k is the key, the bottom-left pixel (not the one above it).
  const TRaster strip = Strip({"akkbkka", "bakkbka", "kbakkka"});
  // Image; the cell, F the fill.
  const std::tuple<int, std::vector<std::string>> cases[] = {
      {0, {"aFF", "baF", "Fba"}},
      {1, {"bFF", "FbF", "FFF"}},
      {2, {"aFF", "aFF", "aFF"}},
  };
  for (const auto& [image, cell] : cases)
    EXPECT_EQ(Letters(GlyphCell(strip, image, 0x808080)), cell) << "image " << image;
}

TEST(EtchedGlyphPixels, TheShapeInShadowAndItsCopyOneDownRightWhereTheShapeIsNot) {
  std::vector<std::tuple<int, int, TColorRef>> painted;
  for (const TPixelPaint& p : EtchedGlyphPixels(Strip({"aakbbb", "kkkbbb", "kkkbbb"}), 1, 2))
    painted.emplace_back(p.At.X, p.At.Y, p.Colour);
  // Only image 0 counts: the next image's ink casts nothing.
  EXPECT_EQ(painted, (std::vector<std::tuple<int, int, TColorRef>>{{0, 0, 1}, {1, 0, 1}, {1, 1, 2}, {2, 1, 2}}));
}

}  // namespace
}  // namespace tovi
